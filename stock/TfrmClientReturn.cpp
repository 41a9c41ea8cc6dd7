#include "stock/TfrmClientReturn.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Session.h"
#include "sales/SaleLines.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {
enum Column { Code = 1, Name, Unit, Price, Quantity, Amount, Batch, Sale, Client, StoreName, StoreNo };
}

TfrmClientReturn::TfrmClientReturn(QWidget* parent) : TfrmBaseOtherInput(parent) {
    setObjectName(QStringLiteral("frmClientReturn"));
    setWindowTitle(QStringLiteral("客户退货处理--所有客户退货一律退回仓库库存"));
    QWidget* p = pnBaseHint();
    m_lcbClient = lookupList(p, "lcbClient");
    m_lcbStore = lookupList(p, "lcbStore");
    m_edPrice = edit(p, "edPrice", 0, true);
    m_edRetuCount = edit(p, "edRetuCount", 0, true);
    m_edJHNO = edit(p, "edJHNO");
    m_edJHNO->hide();
    m_edXSNO = edit(p, "edXSNO");
    m_edXSNO->hide();
    placeReturnFields(QStringLiteral("客户"), m_lcbClient, m_lcbStore, totalPanel(Amount), m_edPrice, m_edRetuCount);

    setGridColumns({QStringLiteral("商品编码"), QStringLiteral("商品名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                    QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("进货单编号"), QStringLiteral("销售编号"),
                    QStringLiteral("客户编号"), QStringLiteral("仓库"), QStringLiteral("仓库代号")},
                   {120, 220, 50, 80, 80, 90, 0, 0, 0, 100, 0});
    m_dgSellData = dataGrid(p, "dgSellData",
                            {QStringLiteral("销售编号"), QStringLiteral("进货单编号"), QStringLiteral("商品编号"),
                             QStringLiteral("商品名称"), QStringLiteral("可退数量"), QStringLiteral("进价"), QStringLiteral("售价")});
    m_dgSellData->setColumnWidth(0, 140);
    m_dgSellData->setColumnWidth(1, 140);
    m_dgSellData->setColumnWidth(3, 180);
    placeChoiceList(m_dgSellData, [this] { dgSellDataDblClick(); });
    lockWhileLines(m_lcbClient);
    emptyChoiceOnChange(m_lcbClient, m_dgSellData, {m_edJHNO, m_edXSNO, m_edRetuCount, m_edPrice});

    setEntryOrder({m_lcbClient, m_lcbStore, m_edProductNo, m_edCount, sgBaseGrid(), m_dgSellData, m_bitNext});
    FormCreate();
}

void TfrmClientReturn::FormCreate() {
    loadLists({{m_lcbClient, QStringLiteral("select KHNO, KHNAME from KHB order by KHNO")}, {m_lcbStore, storeListSql()}},
              QStringLiteral("数据库忙，请稍后再操作！"));
}

void TfrmClientReturn::edProductNoKeyDown() {
    for (QLineEdit* box : {m_edJHNO, m_edXSNO, m_edRetuCount, m_edPrice}) box->clear();
    const bool found = lookUpProduct(QStringLiteral("该商品信息不全，请维护商品目录表！"));
    m_sales = documents().returnableSales(m_lcbClient->keyValue(), m_edProductNo->text());
    m_dgSellData->setRowCount(0);
    m_dgSellData->setRowCount(int(m_sales.size()));
    for (int r = 0; r < int(m_sales.size()); ++r) {
        const db::ReturnableSale& s = m_sales[size_t(r)];
        const QString texts[] = {s.saleNo, s.batchNo, s.productNo, s.productName, quantityText(s.returnable),
                                 s.cost.toString(), s.salePrice.toString()};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c >= 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_dgSellData->setItem(r, c, item);
        }
    }
    if (!m_sales.empty()) m_dgSellData->selectRow(0);
    if (found) m_dgSellData->setFocus();
}

void TfrmClientReturn::dgSellDataDblClick() {
    const int row = m_dgSellData->currentRow();
    if (row < 0 || row >= int(m_sales.size())) return;
    const db::ReturnableSale& s = m_sales[size_t(row)];
    m_edPrice->setText(plainAmountText(s.salePrice));
    m_edJHNO->setText(s.batchNo);
    m_edXSNO->setText(s.saleNo);
    // Counted by sale and batch together, as the lines merge: a line of the same batch
    // from another sale takes nothing from this one.
    m_edRetuCount->setText(quantityText(
        s.returnable - quantityInLines(Quantity, {{Code, s.productNo}, {Sale, s.saleNo}, {Batch, s.batchNo},
                                                  {Price, m_edPrice->text()}})));
    m_edCount->setFocus();
}

void TfrmClientReturn::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (!chosen(m_lcbClient, QStringLiteral("数据不全，请重新输入客户！"))) return;
    if (!storeChosen(m_lcbStore)) return;
    const std::optional<double> quantity = keyedQuantityWithin(
        m_edRetuCount,
        QStringLiteral("退货数量不能大于当前销售单中该商品的可退货数量，或该商品在当前退货操作中已做过部分退货，请重新录入！"));
    if (!quantity) return;
    if (m_edJHNO->text().isEmpty() || m_edXSNO->text().isEmpty()) {
        messages().info(QStringLiteral("请选择销售记录，请重新录入！"));
        m_dgSellData->setFocus();
        return;
    }
    if (!productStillLookedUp()) return;
    const Money price = Money::parse(m_edPrice->text()).value_or(Money{});
    const QString code = m_edProductNo->text();
    const int line = lineOf({{Code, code}, {Sale, m_edXSNO->text()}, {Batch, m_edJHNO->text()}, {Price, m_edPrice->text()}});
    if (!amountFits(price, *quantity, line, Quantity)) return;
    if (line) {
        setCell(line, Amount, price.times(addToLine(line, Quantity, *quantity)).toString());
    } else {
        addTopLine({code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                    price.times(*quantity).toString(), m_edJHNO->text(), m_edXSNO->text(), m_lcbClient->keyValue(),
                    m_lcbStore->currentText(), m_lcbStore->keyValue()});
    }
    lineAccepted();
}

void TfrmClientReturn::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    m_sales.clear();
    m_dgSellData->setRowCount(0);
    m_lcbClient->setFocus();
}

void TfrmClientReturn::bitSaveClick() {
    saveDocument([this] {
        db::ClientReturn document{m_lcbClient->keyValue(), session().OperatorNo, {}};
        for (int line = 1; line <= lineCount(); ++line)
            document.lines.push_back({cell(line, Sale), cell(line, Batch), cell(line, Code), cell(line, Name),
                                      cell(line, Unit), parseQuantity(cell(line, Quantity)).value_or(0),
                                      Money::parse(cell(line, Price)).value_or(Money{}), cell(line, StoreNo)});
        const db::PostedStockDocument posted = documents().returnFromClient(document);
        session().SerialType = QStringLiteral("c");
        session().LastSerialNo = posted.documentNo;
        messages().info(QStringLiteral("数据已成功保存！"));
        bitNextClick();
    }, QStringLiteral("数据库忙，请稍后重新操作！"));
}
