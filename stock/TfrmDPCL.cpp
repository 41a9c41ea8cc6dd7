#include "stock/TfrmDPCL.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"
#include "sales/SaleLines.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {
enum Column { Code = 1, Name, Unit, Quantity, InName, InStore, OutName, OutStore };
}

TfrmDPCL::TfrmDPCL(QWidget* parent) : TfrmBaseOtherInput(parent) {
    setObjectName(QStringLiteral("frmDPCL"));
    setWindowTitle(QStringLiteral("调拨处理"));
    QWidget* p = pnBaseHint();
    m_lcbStore = lookupList(p, "lcbStore");
    m_lcbOutStore = lookupList(p, "lcbOutStore");
    QGridLayout* h = headerArea();
    h->addWidget(caption(p, QStringLiteral("调出仓库")), 0, 0);
    h->addWidget(m_lcbOutStore, 0, 1);
    h->addWidget(caption(p, QStringLiteral("调入仓库")), 0, 2);
    h->addWidget(m_lcbStore, 0, 3);
    h->setColumnStretch(4, 1);

    m_edOutCount = edit(p, "edOutCount", 0, true);
    m_edOutCount->setEnabled(false);
    m_edOutCount->setAlignment(Qt::AlignRight);
    QGridLayout* e = entryArea();
    placeProductRow();
    e->addWidget(caption(p, QStringLiteral("数量")), 1, 0);
    e->addWidget(m_edCount, 1, 1);
    e->addWidget(caption(p, QStringLiteral("可调出数量")), 1, 2);
    e->addWidget(m_edOutCount, 1, 3);
    e->setColumnStretch(3, 1);

    setGridColumns({QStringLiteral("商品代码"), QStringLiteral("商品名称"), QStringLiteral("单位"), QStringLiteral("数量"),
                    QStringLiteral("调入仓库"), QStringLiteral("调入仓库代号"), QStringLiteral("调出仓库"),
                    QStringLiteral("调出仓库代号")},
                   {130, 240, 60, 90, 120, 0, 120, 0});

    QWidget* order[] = {m_lcbStore, m_lcbOutStore, m_edProductNo, m_edCount, sgBaseGrid(), m_bitNext};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    // The document starts at its head, not on the grid or a button.
    order[0]->setFocus();
    onEnterKey(m_edProductNo, [this] { edProductNoKeyDown(); });
    onFocusLeave(m_edCount, [this] { edCountExit(); });
    FormCreate();
}

void TfrmDPCL::FormCreate() {
    const QString sql = QStringLiteral("select CKNO, CKNAME from store order by ckno");
    db::Connection& c = frmBaseDataModule().Database();
    if (!loadList(c, m_lcbStore, sql) || !loadList(c, m_lcbOutStore, sql))
        messages().info(QStringLiteral("数据库忙，请稍后再操作！"));
}

double TfrmDPCL::outCount(const QString& code, const QString& outStore) {
    double keyed = 0;
    for (int line = 1; line <= lineCount(); ++line)
        if (cell(line, Code) == code && cell(line, OutStore) == outStore)
            keyed += parseQuantity(cell(line, Quantity)).value_or(0);
    return frmDM().GetStoreCount(code, outStore) - keyed;
}

void TfrmDPCL::edProductNoKeyDown() {
    lookUpProduct(QStringLiteral("产品编号不对，请重新输入！"));
    m_edOutCount->setText(quantityText(outCount(m_edProductNo->text(), m_lcbOutStore->keyValue())));
}

void TfrmDPCL::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (m_lcbStore->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新选择仓库！"));
        m_lcbStore->setFocus();
        return;
    }
    if (m_lcbOutStore->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新选择仓库！"));
        m_lcbOutStore->setFocus();
        return;
    }
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = parseQuantity(m_edCount->text());
    if (!quantity || *quantity <= 0) {
        messages().info(QStringLiteral("数据非法，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    // Counted again now: the out-store may have changed, or stock moved, since the lookup.
    const QString code = m_edProductNo->text();
    const double available = outCount(code, m_lcbOutStore->keyValue());
    m_edOutCount->setText(quantityText(available));
    if (available < *quantity) {
        messages().info(QStringLiteral("出库数量大于可出库数量，请重新录入！"));
        m_edCount->setFocus();
        return;
    }
    int line = 1;
    while (line <= lineCount() && !(cell(line, Code) == code && cell(line, InStore) == m_lcbStore->keyValue() &&
                                    cell(line, OutStore) == m_lcbOutStore->keyValue()))
        ++line;
    if (line <= lineCount()) {
        setCell(line, Quantity, quantityText(parseQuantity(cell(line, Quantity)).value_or(0) + *quantity));
    } else {
        InsertTopLine();
        const QString cells[] = {code, m_edProductName->text(), m_edUnit->text(), m_edCount->text(),
                                 m_lcbStore->currentText(), m_lcbStore->keyValue(), m_lcbOutStore->currentText(),
                                 m_lcbOutStore->keyValue()};
        for (int c = 0; c < int(std::size(cells)); ++c) setCell(1, c + 1, cells[c]);
        documentChanged();
    }
    ClearEdits();
    m_edProductNo->setFocus();
}

void TfrmDPCL::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    m_edProductNo->setFocus();
}

void TfrmDPCL::bitDeleteClick() {
    TfrmBaseOtherInput::bitDeleteClick();
    m_edProductNo->setFocus();
}

void TfrmDPCL::bitSaveClick() {
    if (m_saving || lineCount() == 0) return;
    m_saving = true;
    db::Transfer document{session().OperatorNo, {}};
    for (int line = 1; line <= lineCount(); ++line)
        document.lines.push_back({cell(line, Code), cell(line, Name), cell(line, Unit),
                                  parseQuantity(cell(line, Quantity)).value_or(0), cell(line, InStore), cell(line, OutStore)});
    try {
        m_transferNo = documents().transfer(document).movementNo;
        bitNextClick();
        messages().info(QStringLiteral("数据已成功保存！"));
    } catch (const db::Error& e) {
        setPanelText(3, e.message());
        messages().info(QStringLiteral("网络忙，请稍后重新操作！"));
    }
    m_saving = false;
}
