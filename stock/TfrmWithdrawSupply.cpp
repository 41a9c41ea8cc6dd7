#include "stock/TfrmWithdrawSupply.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "sales/SaleLines.h"
#include "stock/BatchList.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Code = 1, Name, Unit, Price, Quantity, Amount, Batch, Supplier, StoreName, StoreNo };
}

TfrmWithdrawSupply::TfrmWithdrawSupply(QWidget* parent) : TfrmBaseOtherInput(parent) {
    setObjectName(QStringLiteral("frmWithdrawSupply"));
    setWindowTitle(QStringLiteral("供应商退货业务处理"));
    QWidget* p = pnBaseHint();
    m_lcbSupply = lookupList(p, "lcbSupply");
    m_lcbStore = lookupList(p, "lcbStore");
    m_pnTotalMoney = new QLabel(QStringLiteral("0.00"), p);
    m_pnTotalMoney->setObjectName(QStringLiteral("pnTotalMoney"));
    m_pnTotalMoney->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pnTotalMoney->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pnTotalMoney->setMinimumWidth(120);
    QGridLayout* h = headerArea();
    h->addWidget(caption(p, QStringLiteral("供应商")), 0, 0);
    h->addWidget(m_lcbSupply, 0, 1);
    h->addWidget(caption(p, QStringLiteral("仓库")), 0, 2);
    h->addWidget(m_lcbStore, 0, 3);
    h->addWidget(caption(p, QStringLiteral("总金额")), 0, 4);
    h->addWidget(m_pnTotalMoney, 0, 5);
    h->setColumnStretch(1, 1);
    h->setColumnStretch(3, 1);

    m_edProductName->setEnabled(false);
    m_edUnit->setEnabled(false);
    m_edPrice = edit(p, "edPrice", 0, true);
    m_edExistCount = edit(p, "edExistCount", 0, true);
    m_edExistCount->setEnabled(false);
    m_edJHNO = edit(p, "edJHNO");
    m_edJHNO->hide();
    for (QLineEdit* e : {m_edPrice, m_edExistCount}) e->setAlignment(Qt::AlignRight);
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
    e->addWidget(m_edExistCount, 1, 5);
    e->setColumnStretch(3, 1);

    setGridColumns({QStringLiteral("编码"), QStringLiteral("名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                    QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("进货单编号"), QStringLiteral("厂商编号"),
                    QStringLiteral("仓库"), QStringLiteral("仓库代号")},
                   {120, 220, 50, 80, 80, 90, 0, 0, 100, 0});
    m_dgInData = BatchList::create(p, QStringLiteral("可退货数量"));
    gridColumn()->addWidget(m_dgInData, 2);
    lockWhileLines(m_lcbSupply);

    QWidget* order[] = {m_lcbSupply, m_lcbStore, m_edProductNo, m_edCount, sgBaseGrid(), m_dgInData, m_bitNext};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    // The document starts at its head, not on the grid or a button.
    order[0]->setFocus();
    onEnterKey(m_edProductNo, [this] { edProductNoKeyDown(); });
    onFocusLeave(m_edCount, [this] { edCountExit(); });
    connect(m_dgInData, &QTableWidget::cellDoubleClicked, this, [this] { dgInDataDblClick(); });
    onEnterKey(m_dgInData, [this] { dgInDataDblClick(); });
    FormCreate();
}

void TfrmWithdrawSupply::FormCreate() {
    db::Connection& c = frmBaseDataModule().Database();
    const bool ok = loadList(c, m_lcbSupply, QStringLiteral("select CSNO, CSNAME from csb order by csno")) &&
                    loadList(c, m_lcbStore, QStringLiteral("select CKNO, CKNAME from store order by ckno"));
    if (!ok) messages().info(QStringLiteral("数据库忙，请稍后再操作！"));
}

void TfrmWithdrawSupply::edProductNoKeyDown() {
    m_edJHNO->clear();
    m_edExistCount->clear();
    m_edPrice->clear();
    const bool found = lookUpProduct(QStringLiteral("该商品信息不全，请维护商品目录表！"));
    BatchList::fill(m_dgInData, documents().supplierBatches(m_lcbSupply->keyValue(), m_edProductNo->text()));
    if (found) m_dgInData->setFocus();
}

void TfrmWithdrawSupply::dgInDataDblClick() {
    const std::optional<db::BatchRow> batch = BatchList::current(m_dgInData);
    if (!batch) return;
    m_edPrice->setText(plainAmountText(batch->price));
    m_edJHNO->setText(batch->batchNo);
    // What this document already returns from the batch is not returnable again.
    double returnable = batch->remaining;
    for (int line = 1; line <= lineCount(); ++line)
        if (cell(line, Code) == batch->productNo && cell(line, Batch) == batch->batchNo)
            returnable -= parseQuantity(cell(line, Quantity)).value_or(0);
    m_edExistCount->setText(quantityText(returnable));
    m_edCount->setFocus();
}

void TfrmWithdrawSupply::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (m_lcbSupply->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新输入供应商！"));
        m_lcbSupply->setFocus();
        return;
    }
    if (m_edJHNO->text().isEmpty()) {  // the batch is chosen in the batch list
        m_dgInData->setFocus();
        return;
    }
    if (m_lcbStore->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新选择仓库！"));
        m_lcbStore->setFocus();
        return;
    }
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = parseQuantity(m_edCount->text());
    const std::optional<double> returnable = parseQuantity(m_edExistCount->text());
    if (!quantity || !returnable || *quantity <= 0) {
        messages().info(QStringLiteral("数据非法，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    if (*returnable < *quantity) {
        messages().info(QStringLiteral("退货数量不能大于当前进货单中该商品的可退货数量，或该商品在当前退货操作中已做过部分退货，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    const Money price = Money::parse(m_edPrice->text()).value_or(Money{});
    const QString code = m_edProductNo->text();
    const QString batch = m_edJHNO->text();
    int line = 1;
    while (line <= lineCount() && !(cell(line, Code) == code && cell(line, Batch) == batch)) ++line;
    if (line <= lineCount()) {
        const double merged = parseQuantity(cell(line, Quantity)).value_or(0) + *quantity;
        setCell(line, Quantity, quantityText(merged));
        setCell(line, Amount, price.times(merged).toString());
    } else {
        InsertTopLine();
        const QString cells[] = {code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                                 price.times(*quantity).toString(), batch, m_lcbSupply->keyValue(),
                                 m_lcbStore->currentText(), m_lcbStore->keyValue()};
        for (int c = 0; c < int(std::size(cells)); ++c) setCell(1, c + 1, cells[c]);
        documentChanged();
    }
    showTotal();
    ClearEdits();
    m_edProductNo->setFocus();
}

void TfrmWithdrawSupply::showTotal() { m_pnTotalMoney->setText(LineTotal(Amount).toString()); }

void TfrmWithdrawSupply::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    m_dgInData->setRowCount(0);
    m_pnTotalMoney->setText(QStringLiteral("0.00"));
    m_lcbSupply->setFocus();
}

void TfrmWithdrawSupply::bitDeleteClick() {
    TfrmBaseOtherInput::bitDeleteClick();
    showTotal();
}

void TfrmWithdrawSupply::bitSaveClick() {
    if (m_saving || lineCount() == 0) return;
    m_saving = true;
    db::SupplierReturn document{m_lcbSupply->keyValue(), session().OperatorNo, {}};
    for (int line = 1; line <= lineCount(); ++line)
        document.lines.push_back({cell(line, Batch), cell(line, Code), cell(line, Name), cell(line, Unit),
                                  parseQuantity(cell(line, Quantity)).value_or(0),
                                  Money::parse(cell(line, Price)).value_or(Money{}), cell(line, StoreNo)});
    try {
        const db::PostedStockDocument posted = documents().returnToSupplier(document);
        session().SerialType = QStringLiteral("T");
        session().LastSerialNo = posted.documentNo;
        messages().info(QStringLiteral("数据已成功保存！"));
        bitNextClick();
    } catch (const db::Error& e) {
        setPanelText(3, e.message());
        messages().info(QStringLiteral("数据库忙，请稍后重新操作！"));
    }
    m_saving = false;
}
