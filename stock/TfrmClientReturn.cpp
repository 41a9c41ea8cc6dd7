#include "stock/TfrmClientReturn.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "sales/SaleLines.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Code = 1, Name, Unit, Price, Quantity, Amount, Batch, Sale, Client, StoreName, StoreNo };
}

TfrmClientReturn::TfrmClientReturn(QWidget* parent) : TfrmBaseOtherInput(parent) {
    setObjectName(QStringLiteral("frmClientReturn"));
    setWindowTitle(QStringLiteral("客户退货处理--所有客户退货一律退回仓库库存"));
    QWidget* p = pnBaseHint();
    m_lcbClient = lookupList(p, "lcbClient");
    m_lcbStore = lookupList(p, "lcbStore");
    m_pnTotalMoney = new QLabel(QStringLiteral("0.00"), p);
    m_pnTotalMoney->setObjectName(QStringLiteral("pnTotalMoney"));
    m_pnTotalMoney->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pnTotalMoney->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pnTotalMoney->setMinimumWidth(120);
    QGridLayout* h = headerArea();
    h->addWidget(caption(p, QStringLiteral("客户")), 0, 0);
    h->addWidget(m_lcbClient, 0, 1);
    h->addWidget(caption(p, QStringLiteral("仓库")), 0, 2);
    h->addWidget(m_lcbStore, 0, 3);
    h->addWidget(caption(p, QStringLiteral("总金额")), 0, 4);
    h->addWidget(m_pnTotalMoney, 0, 5);
    h->setColumnStretch(1, 1);
    h->setColumnStretch(3, 1);

    m_edProductName->setEnabled(false);
    m_edUnit->setEnabled(false);
    m_edPrice = edit(p, "edPrice", 0, true);
    m_edRetuCount = edit(p, "edRetuCount", 0, true);
    m_edRetuCount->setEnabled(false);
    m_edJHNO = edit(p, "edJHNO");
    m_edJHNO->hide();
    m_edXSNO = edit(p, "edXSNO");
    m_edXSNO->hide();
    for (QLineEdit* e : {m_edPrice, m_edRetuCount}) e->setAlignment(Qt::AlignRight);
    QGridLayout* e = entryArea();
    e->addWidget(caption(p, QStringLiteral("商品编码")), 0, 0);
    e->addWidget(m_edProductNo, 0, 1);
    e->addWidget(m_edProductName, 0, 2, 1, 3);
    e->addWidget(caption(p, QStringLiteral("单位")), 0, 5);
    e->addWidget(m_edUnit, 0, 6);
    e->addWidget(caption(p, QStringLiteral("单价")), 1, 0);
    e->addWidget(m_edPrice, 1, 1);
    e->addWidget(caption(p, QStringLiteral("数量")), 1, 2);
    e->addWidget(m_edCount, 1, 3);
    e->addWidget(caption(p, QStringLiteral("可退数量")), 1, 4);
    e->addWidget(m_edRetuCount, 1, 5);
    e->setColumnStretch(3, 1);

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
    gridColumn()->addWidget(m_dgSellData, 2);
    lockWhileLines(m_lcbClient);

    QWidget* order[] = {m_lcbClient, m_lcbStore, m_edProductNo, m_edCount, sgBaseGrid(), m_dgSellData, m_bitNext};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    // The document starts at its head, not on the grid or a button.
    order[0]->setFocus();
    onEnterKey(m_edProductNo, [this] { edProductNoKeyDown(); });
    onFocusLeave(m_edCount, [this] { edCountExit(); });
    connect(m_dgSellData, &QTableWidget::cellDoubleClicked, this, [this] { dgSellDataDblClick(); });
    onEnterKey(m_dgSellData, [this] { dgSellDataDblClick(); });
    FormCreate();
}

void TfrmClientReturn::FormCreate() {
    db::Connection& c = frmBaseDataModule().Database();
    const bool ok = loadList(c, m_lcbClient, QStringLiteral("select KHNO, KHNAME from KHB order by KHNO")) &&
                    loadList(c, m_lcbStore, QStringLiteral("select CKNO, CKNAME from store order by ckno"));
    if (!ok) messages().info(QStringLiteral("数据库忙，请稍后再操作！"));
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

int TfrmClientReturn::lineOf(const QString& code, const QString& sale, const QString& batch, const QString& price) const {
    for (int line = 1; line <= lineCount(); ++line)
        if (cell(line, Code) == code && cell(line, Sale) == sale && cell(line, Batch) == batch && cell(line, Price) == price)
            return line;
    return 0;
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
    double returnable = s.returnable;
    if (const int line = lineOf(s.productNo, s.saleNo, s.batchNo, m_edPrice->text()))
        returnable -= parseQuantity(cell(line, Quantity)).value_or(0);
    m_edRetuCount->setText(quantityText(returnable));
    m_edCount->setFocus();
}

void TfrmClientReturn::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (m_lcbClient->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新输入客户！"));
        m_lcbClient->setFocus();
        return;
    }
    if (m_lcbStore->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新选择仓库！"));
        m_lcbStore->setFocus();
        return;
    }
    const std::optional<double> quantity = parseQuantity(m_edCount->text());
    const std::optional<double> returnable = parseQuantity(m_edRetuCount->text());
    if (!quantity || !returnable || *quantity <= 0) {
        messages().info(QStringLiteral("数据非法，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    if (*returnable < *quantity) {
        messages().info(QStringLiteral("退货数量不能大于当前销售单中该商品的可退货数量，或该商品在当前退货操作中已做过部分退货，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    if (m_edJHNO->text().isEmpty() || m_edXSNO->text().isEmpty()) {
        messages().info(QStringLiteral("请选择销售记录，请重新录入！"));
        m_dgSellData->setFocus();
        return;
    }
    if (!productStillLookedUp()) return;
    const Money price = Money::parse(m_edPrice->text()).value_or(Money{});
    const QString code = m_edProductNo->text();
    if (const int line = lineOf(code, m_edXSNO->text(), m_edJHNO->text(), m_edPrice->text())) {
        const double merged = parseQuantity(cell(line, Quantity)).value_or(0) + *quantity;
        setCell(line, Quantity, quantityText(merged));
        setCell(line, Amount, price.times(merged).toString());
    } else {
        InsertTopLine();
        const QString cells[] = {code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                                 price.times(*quantity).toString(), m_edJHNO->text(), m_edXSNO->text(),
                                 m_lcbClient->keyValue(), m_lcbStore->currentText(), m_lcbStore->keyValue()};
        for (int c = 0; c < int(std::size(cells)); ++c) setCell(1, c + 1, cells[c]);
        documentChanged();
    }
    showTotal();
    ClearEdits();
    m_edProductNo->setFocus();
}

void TfrmClientReturn::showTotal() { m_pnTotalMoney->setText(LineTotal(Amount).toString()); }

void TfrmClientReturn::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    m_sales.clear();
    m_dgSellData->setRowCount(0);
    m_pnTotalMoney->setText(QStringLiteral("0.00"));
    m_lcbClient->setFocus();
}

void TfrmClientReturn::bitDeleteClick() {
    TfrmBaseOtherInput::bitDeleteClick();
    showTotal();
}

void TfrmClientReturn::bitSaveClick() {
    if (m_saving || lineCount() == 0) return;
    m_saving = true;
    db::ClientReturn document{m_lcbClient->keyValue(), session().OperatorNo, {}};
    for (int line = 1; line <= lineCount(); ++line)
        document.lines.push_back({cell(line, Sale), cell(line, Batch), cell(line, Code), cell(line, Name), cell(line, Unit),
                                  parseQuantity(cell(line, Quantity)).value_or(0),
                                  Money::parse(cell(line, Price)).value_or(Money{}), cell(line, StoreNo)});
    try {
        const db::PostedStockDocument posted = documents().returnFromClient(document);
        session().SerialType = QStringLiteral("c");
        session().LastSerialNo = posted.documentNo;
        messages().info(QStringLiteral("数据已成功保存！"));
        bitNextClick();
    } catch (const db::Error& e) {
        setPanelText(3, e.message());
        messages().info(QStringLiteral("数据库忙，请稍后重新操作！"));
    }
    m_saving = false;
}
