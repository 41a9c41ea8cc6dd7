#include "stock/TfrmLose.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Session.h"
#include "reports/TfrmBaseReport.h"
#include "sales/SaleLines.h"
#include "stock/BatchList.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

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
    placeRow(headerArea(), 0, {{QStringLiteral("仓库"), m_lcbStore}, {QStringLiteral("总金额"), m_edTotalMoney}});
    headerArea()->setColumnStretch(4, 1);

    m_edPrice = edit(p, "edPrice", 0, true);
    m_edPrice->setEnabled(false);
    m_edMoney = edit(p, "edMoney", 0, true);
    m_edJHDNO = edit(p, "edJHDNO", 0, true);
    m_edJHDNO->setEnabled(false);
    m_edLoseCount = edit(p, "edLoseCount", 0, true);
    m_edLoseCount->setEnabled(false);
    for (QLineEdit* e : {m_edPrice, m_edMoney, m_edLoseCount}) e->setAlignment(Qt::AlignRight);
    placeProductRow();
    placeRow(entryArea(), 1, {{QStringLiteral("单价"), m_edPrice}, {QStringLiteral("数量"), m_edCount},
                              {QStringLiteral("金额"), m_edMoney}});
    placeRow(entryArea(), 2, {{QStringLiteral("进货单号"), m_edJHDNO}, {QStringLiteral("可报损数量"), m_edLoseCount}});
    entryArea()->setColumnStretch(3, 1);

    setGridColumns({QStringLiteral("商品代码"), QStringLiteral("商品名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                    QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("进货单号"), QStringLiteral("仓库"),
                    QStringLiteral("仓库代号")},
                   {110, 200, 50, 70, 70, 80, 130, 90, 0});
    m_dgInData = BatchList::create(p, QStringLiteral("可报损数量"));
    placeChoiceList(m_dgInData, [this] { dgInDataDblClick(); });

    setEntryOrder({m_lcbStore, m_edProductNo, m_edCount, sgBaseGrid(), m_dgInData, m_bitNext});
    showTotalIn(m_edTotalMoney, Amount);
    FormCreate();
}

void TfrmLose::FormCreate() {
    loadLists({{m_lcbStore, storeListSql()}}, QStringLiteral("数据库忙，请稍后再操作！"));
}

void TfrmLose::edProductNoKeyDown() {
    m_edJHDNO->clear();
    m_edLoseCount->clear();
    if (lookUpProduct(QStringLiteral("产品编号不对，请重新输入！"))) m_edPrice->setText(product()->cost.toString());
    BatchList::fill(m_dgInData, documents().lossBatches(m_edProductNo->text()));
    if (product()) m_dgInData->setFocus();
}

void TfrmLose::dgInDataDblClick() {
    takeChosenBatch(m_dgInData, m_edPrice, m_edJHDNO, m_edLoseCount, Quantity, Batch);
}

void TfrmLose::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (!storeChosen(m_lcbStore)) return;
    if (m_edJHDNO->text().isEmpty()) {  // the batch is chosen in the batch list
        m_dgInData->setFocus();
        return;
    }
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = keyedQuantityWithin(
        m_edLoseCount,
        QStringLiteral("报损数量不能大于当前进货单中该商品的可报损数量，或该商品在当前报损操作中已做过部分报损，请重新录入！"));
    if (!quantity) return;
    const Money price = Money::parse(m_edPrice->text()).value_or(Money{});
    const QString code = m_edProductNo->text();
    const QString batch = m_edJHDNO->text();
    const QString store = m_lcbStore->keyValue();
    // A line leaves one store: the same batch written off from two stores stays two lines.
    const int line = lineOf({{Code, code}, {Price, m_edPrice->text()}, {Batch, batch}, {StoreNo, store}});
    if (!amountFits(price, *quantity, line, Quantity)) return;
    m_edMoney->setText(plainAmountText(price.times(*quantity)));
    if (line) {
        setCell(line, Amount, plainAmountText(price.times(addToLine(line, Quantity, *quantity))));
    } else {
        addTopLine({code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                    m_edMoney->text(), batch, m_lcbStore->currentText(), store});
    }
    lineAccepted();
}

void TfrmLose::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    m_dgInData->setRowCount(0);
}

void TfrmLose::bitSaveClick() {
    saveDocument([this] {
        db::Loss document{session().OperatorNo, {}};
        for (int line = 1; line <= lineCount(); ++line)
            document.lines.push_back({cell(line, Batch), cell(line, Code), cell(line, Name), cell(line, Unit),
                                      parseQuantity(cell(line, Quantity)).value_or(0),
                                      Money::parse(cell(line, Price)).value_or(Money{}), cell(line, StoreNo)});
        const db::PostedStockDocument posted = documents().writeOff(document);
        session().SerialType = QStringLiteral("B");
        session().LastSerialNo = posted.documentNo;
        bitNextClick();
        messages().info(QStringLiteral("数据已成功保存！"));
    }, QStringLiteral("网络忙，请稍后重新操作！"));
}

void TfrmLose::bitPrintClick() {
    TfrmBaseReport report(reportName(), this);
    if (report.openDocument(previewNumber())) report.print();
}
