#include "stock/TfrmDPCL.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Session.h"
#include "db/TfrmDM.h"
#include "sales/SaleLines.h"

#include <QGridLayout>
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
    placeRow(headerArea(), 0, {{QStringLiteral("调出仓库"), m_lcbOutStore}, {QStringLiteral("调入仓库"), m_lcbStore}});
    headerArea()->setColumnStretch(4, 1);

    m_edOutCount = edit(p, "edOutCount", 0, true);
    m_edOutCount->setEnabled(false);
    m_edOutCount->setAlignment(Qt::AlignRight);
    placeProductRow();
    placeRow(entryArea(), 1, {{QStringLiteral("数量"), m_edCount}, {QStringLiteral("可调出数量"), m_edOutCount}});
    entryArea()->setColumnStretch(3, 1);

    setGridColumns({QStringLiteral("商品代码"), QStringLiteral("商品名称"), QStringLiteral("单位"), QStringLiteral("数量"),
                    QStringLiteral("调入仓库"), QStringLiteral("调入仓库代号"), QStringLiteral("调出仓库"),
                    QStringLiteral("调出仓库代号")},
                   {130, 240, 60, 90, 120, 0, 120, 0});

    setEntryOrder({m_lcbStore, m_lcbOutStore, m_edProductNo, m_edCount, sgBaseGrid(), m_bitNext});
    FormCreate();
}

void TfrmDPCL::FormCreate() {
    loadLists({{m_lcbStore, storeListSql()}, {m_lcbOutStore, storeListSql()}}, QStringLiteral("数据库忙，请稍后再操作！"));
}

double TfrmDPCL::outCount(const QString& code, const QString& outStore) {
    return frmDM().GetStoreCount(code, outStore) - quantityInLines(Quantity, {{Code, code}, {OutStore, outStore}});
}

void TfrmDPCL::edProductNoKeyDown() {
    lookUpProduct(QStringLiteral("产品编号不对，请重新输入！"));
    m_edOutCount->setText(quantityText(outCount(m_edProductNo->text(), m_lcbOutStore->keyValue())));
}

void TfrmDPCL::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (!storeChosen(m_lcbStore)) return;
    if (!storeChosen(m_lcbOutStore)) return;
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = keyedQuantity();
    if (!quantity) return;
    // Counted again now: the out-store may have changed, or stock moved, since the lookup.
    const QString code = m_edProductNo->text();
    const double available = outCount(code, m_lcbOutStore->keyValue());
    m_edOutCount->setText(quantityText(available));
    if (available < *quantity) {
        messages().info(QStringLiteral("出库数量大于可出库数量，请重新录入！"));
        m_edCount->setFocus();
        return;
    }
    if (const int line = lineOf({{Code, code}, {InStore, m_lcbStore->keyValue()}, {OutStore, m_lcbOutStore->keyValue()}})) {
        addToLine(line, Quantity, *quantity);
    } else {
        addTopLine({code, m_edProductName->text(), m_edUnit->text(), m_edCount->text(), m_lcbStore->currentText(),
                    m_lcbStore->keyValue(), m_lcbOutStore->currentText(), m_lcbOutStore->keyValue()});
    }
    lineAccepted();
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
    saveDocument([this] {
        db::Transfer document{session().OperatorNo, {}};
        for (int line = 1; line <= lineCount(); ++line)
            document.lines.push_back({cell(line, Code), cell(line, Name), cell(line, Unit),
                                      parseQuantity(cell(line, Quantity)).value_or(0), cell(line, InStore),
                                      cell(line, OutStore)});
        m_transferNo = documents().transfer(document).movementNo;
        bitNextClick();
        messages().info(QStringLiteral("数据已成功保存！"));
    }, QStringLiteral("网络忙，请稍后重新操作！"));
}
