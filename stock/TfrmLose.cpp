#include "stock/TfrmLose.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "reports/TfrmBaseReport.h"
#include "sales/SaleLines.h"
#include "stock/BatchList.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Code = 1, Name, Unit, Price, Quantity, Amount, Batch, StoreName, StoreNo };
}

TfrmLose::TfrmLose(QWidget* parent) : TfrmBaseOtherInput(parent) {
    setObjectName(QStringLiteral("frmLose"));
    setWindowTitle(QStringLiteral("报损处理"));
    QWidget* p = pnBaseHint();
    m_lcbStore = lookupList(p, "lcbStore");
    m_edTotalMoney = edit(p, "edTotalMoney", 0, true);
    m_edTotalMoney->setEnabled(false);
    m_edTotalMoney->setAlignment(Qt::AlignRight);
    QGridLayout* h = headerArea();
    h->addWidget(caption(p, QStringLiteral("仓库")), 0, 0);
    h->addWidget(m_lcbStore, 0, 1);
    h->addWidget(caption(p, QStringLiteral("总金额")), 0, 2);
    h->addWidget(m_edTotalMoney, 0, 3);
    h->setColumnStretch(4, 1);

    m_edPrice = edit(p, "edPrice", 0, true);
    m_edPrice->setEnabled(false);
    m_edMoney = edit(p, "edMoney", 0, true);
    m_edJHDNO = edit(p, "edJHDNO", 0, true);
    m_edJHDNO->setEnabled(false);
    m_edLoseCount = edit(p, "edLoseCount", 0, true);
    m_edLoseCount->setEnabled(false);
    for (QLineEdit* e : {m_edPrice, m_edMoney, m_edLoseCount}) e->setAlignment(Qt::AlignRight);
    QGridLayout* e = entryArea();
    placeProductRow();
    e->addWidget(caption(p, QStringLiteral("单价")), 1, 0);
    e->addWidget(m_edPrice, 1, 1);
    e->addWidget(caption(p, QStringLiteral("数量")), 1, 2);
    e->addWidget(m_edCount, 1, 3);
    e->addWidget(caption(p, QStringLiteral("金额")), 1, 4);
    e->addWidget(m_edMoney, 1, 5);
    e->addWidget(caption(p, QStringLiteral("进货单号")), 2, 0);
    e->addWidget(m_edJHDNO, 2, 1);
    e->addWidget(caption(p, QStringLiteral("可报损数量")), 2, 2);
    e->addWidget(m_edLoseCount, 2, 3);
    e->setColumnStretch(3, 1);

    setGridColumns({QStringLiteral("商品代码"), QStringLiteral("商品名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                    QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("进货单号"), QStringLiteral("仓库"),
                    QStringLiteral("仓库代号")},
                   {110, 200, 50, 70, 70, 80, 130, 90, 0});
    m_dgInData = BatchList::create(p, QStringLiteral("可报损数量"));
    gridColumn()->addWidget(m_dgInData, 2);

    QWidget* order[] = {m_lcbStore, m_edProductNo, m_edCount, sgBaseGrid(), m_dgInData, m_bitNext};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    // The document starts at its head, not on the grid or a button.
    order[0]->setFocus();
    onEnterKey(m_edProductNo, [this] { edProductNoKeyDown(); });
    onFocusLeave(m_edCount, [this] { edCountExit(); });
    connect(m_dgInData, &QTableWidget::cellDoubleClicked, this, [this] { dgInDataDblClick(); });
    onEnterKey(m_dgInData, [this] { dgInDataDblClick(); });
    FormCreate();
}

void TfrmLose::FormCreate() {
    if (!loadList(frmBaseDataModule().Database(), m_lcbStore, QStringLiteral("select CKNO, CKNAME from store order by ckno")))
        messages().info(QStringLiteral("数据库忙，请稍后再操作！"));
    m_edTotalMoney->setText(QStringLiteral("0.00"));
}

void TfrmLose::edProductNoKeyDown() {
    m_edJHDNO->clear();
    m_edLoseCount->clear();
    if (lookUpProduct(QStringLiteral("产品编号不对，请重新输入！"))) m_edPrice->setText(product()->cost.toString());
    BatchList::fill(m_dgInData, documents().lossBatches(m_edProductNo->text()));
    if (product()) m_dgInData->setFocus();
}

void TfrmLose::dgInDataDblClick() {
    const std::optional<db::BatchRow> batch = BatchList::current(m_dgInData);
    if (!batch) return;
    m_edPrice->setText(plainAmountText(batch->price));
    m_edJHDNO->setText(batch->batchNo);
    double available = batch->remaining;
    for (int line = 1; line <= lineCount(); ++line)
        if (cell(line, Code) == batch->productNo && cell(line, Batch) == batch->batchNo)
            available -= parseQuantity(cell(line, Quantity)).value_or(0);
    m_edLoseCount->setText(quantityText(available));
    m_edCount->setFocus();
}

void TfrmLose::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (m_lcbStore->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新选择仓库！"));
        m_lcbStore->setFocus();
        return;
    }
    if (m_edJHDNO->text().isEmpty()) {  // the batch is chosen in the batch list
        m_dgInData->setFocus();
        return;
    }
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = parseQuantity(m_edCount->text());
    const std::optional<double> available = parseQuantity(m_edLoseCount->text());
    if (!quantity || !available || *quantity <= 0) {
        messages().info(QStringLiteral("数据非法，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    if (*available < *quantity) {
        messages().info(QStringLiteral("报损数量不能大于当前进货单中该商品的可报损数量，或该商品在当前报损操作中已做过部分报损，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    const Money price = Money::parse(m_edPrice->text()).value_or(Money{});
    m_edMoney->setText(plainAmountText(price.times(*quantity)));
    const QString code = m_edProductNo->text();
    const QString batch = m_edJHDNO->text();
    const QString store = m_lcbStore->keyValue();
    int line = 1;
    // A line leaves one store: the same batch written off from two stores stays two lines.
    while (line <= lineCount() && !(cell(line, Code) == code && cell(line, Price) == m_edPrice->text() &&
                                    cell(line, Batch) == batch && cell(line, StoreNo) == store))
        ++line;
    if (line <= lineCount()) {
        const double merged = parseQuantity(cell(line, Quantity)).value_or(0) + *quantity;
        setCell(line, Quantity, quantityText(merged));
        setCell(line, Amount, plainAmountText(price.times(merged)));
    } else {
        InsertTopLine();
        const QString cells[] = {code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                                 m_edMoney->text(), batch, m_lcbStore->currentText(), store};
        for (int c = 0; c < int(std::size(cells)); ++c) setCell(1, c + 1, cells[c]);
        documentChanged();
    }
    ClearEdits();
    showTotal();
    m_edProductNo->setFocus();
}

void TfrmLose::showTotal() { m_edTotalMoney->setText(LineTotal(Amount).toString()); }

void TfrmLose::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    m_dgInData->setRowCount(0);
    showTotal();
}

void TfrmLose::bitDeleteClick() {
    TfrmBaseOtherInput::bitDeleteClick();
    showTotal();
}

void TfrmLose::bitSaveClick() {
    if (m_saving || lineCount() == 0) return;
    m_saving = true;
    db::Loss document{session().OperatorNo, {}};
    for (int line = 1; line <= lineCount(); ++line)
        document.lines.push_back({cell(line, Batch), cell(line, Code), cell(line, Name), cell(line, Unit),
                                  parseQuantity(cell(line, Quantity)).value_or(0),
                                  Money::parse(cell(line, Price)).value_or(Money{}), cell(line, StoreNo)});
    try {
        const db::PostedStockDocument posted = documents().writeOff(document);
        session().SerialType = QStringLiteral("B");
        session().LastSerialNo = posted.documentNo;
        bitNextClick();
        messages().info(QStringLiteral("数据已成功保存！"));
    } catch (const db::Error& e) {
        setPanelText(3, e.message());
        messages().info(QStringLiteral("网络忙，请稍后重新操作！"));
    }
    m_saving = false;
}

void TfrmLose::bitPrintClick() {
    TfrmBaseReport report(reportName(), this);
    if (report.openDocument(previewNumber())) report.print();
}
