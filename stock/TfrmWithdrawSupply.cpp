#include "stock/TfrmWithdrawSupply.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Session.h"
#include "sales/SaleLines.h"
#include "stock/BatchList.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {
enum Column { Code = 1, Name, Unit, Price, Quantity, Amount, Batch, Supplier, StoreName, StoreNo };
}

TfrmWithdrawSupply::TfrmWithdrawSupply(QWidget* parent) : TfrmBaseOtherInput(parent) {
    setObjectName(QStringLiteral("frmWithdrawSupply"));
    setWindowTitle(QStringLiteral("供应商退货业务处理"));
    QWidget* p = pnBaseHint();
    m_lcbSupply = lookupList(p, "lcbSupply");
    m_lcbStore = lookupList(p, "lcbStore");
    m_edPrice = edit(p, "edPrice", 0, true);
    m_edExistCount = edit(p, "edExistCount", 0, true);
    m_edJHNO = edit(p, "edJHNO");
    m_edJHNO->hide();
    placeReturnFields(QStringLiteral("供应商"), m_lcbSupply, m_lcbStore, totalPanel(Amount), m_edPrice, m_edExistCount);

    setGridColumns({QStringLiteral("编码"), QStringLiteral("名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                    QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("进货单编号"), QStringLiteral("厂商编号"),
                    QStringLiteral("仓库"), QStringLiteral("仓库代号")},
                   {120, 220, 50, 80, 80, 90, 0, 0, 100, 0});
    m_dgInData = BatchList::create(p, QStringLiteral("可退货数量"));
    placeChoiceList(m_dgInData, [this] { dgInDataDblClick(); });
    lockWhileLines(m_lcbSupply);
    emptyChoiceOnChange(m_lcbSupply, m_dgInData, {m_edJHNO, m_edExistCount, m_edPrice});

    setEntryOrder({m_lcbSupply, m_lcbStore, m_edProductNo, m_edCount, sgBaseGrid(), m_dgInData, m_bitNext});
    FormCreate();
}

void TfrmWithdrawSupply::FormCreate() {
    loadLists({{m_lcbSupply, QStringLiteral("select CSNO, CSNAME from csb order by csno")}, {m_lcbStore, storeListSql()}},
              QStringLiteral("数据库忙，请稍后再操作！"));
}

void TfrmWithdrawSupply::edProductNoKeyDown() {
    for (QLineEdit* box : {m_edJHNO, m_edExistCount, m_edPrice}) box->clear();
    const bool found = lookUpProduct(QStringLiteral("该商品信息不全，请维护商品目录表！"));
    BatchList::fill(m_dgInData, documents().supplierBatches(m_lcbSupply->keyValue(), m_edProductNo->text()));
    if (found) m_dgInData->setFocus();
}

void TfrmWithdrawSupply::dgInDataDblClick() {
    // What this document already returns from the batch is not returnable again.
    takeChosenBatch(m_dgInData, m_edPrice, m_edJHNO, m_edExistCount, Quantity, Batch);
}

void TfrmWithdrawSupply::edCountExit() {
    if (m_edCount->text().isEmpty()) return;
    if (!chosen(m_lcbSupply, QStringLiteral("数据不全，请重新输入供应商！"))) return;
    if (m_edJHNO->text().isEmpty()) {  // the batch is chosen in the batch list
        m_dgInData->setFocus();
        return;
    }
    if (!storeChosen(m_lcbStore)) return;
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = keyedQuantityWithin(
        m_edExistCount,
        QStringLiteral("退货数量不能大于当前进货单中该商品的可退货数量，或该商品在当前退货操作中已做过部分退货，请重新录入！"));
    if (!quantity) return;
    const Money price = Money::parse(m_edPrice->text()).value_or(Money{});
    const QString code = m_edProductNo->text();
    const QString batch = m_edJHNO->text();
    const int line = lineOf({{Code, code}, {Batch, batch}});
    if (!amountFits(price, *quantity, line, Quantity)) return;
    if (line) {
        setCell(line, Amount, price.times(addToLine(line, Quantity, *quantity)).toString());
    } else {
        addTopLine({code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                    price.times(*quantity).toString(), batch, m_lcbSupply->keyValue(), m_lcbStore->currentText(),
                    m_lcbStore->keyValue()});
    }
    lineAccepted();
}

void TfrmWithdrawSupply::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    m_dgInData->setRowCount(0);
    m_lcbSupply->setFocus();
}

void TfrmWithdrawSupply::bitSaveClick() {
    saveDocument([this] {
        db::SupplierReturn document{m_lcbSupply->keyValue(), session().OperatorNo, {}};
        for (int line = 1; line <= lineCount(); ++line)
            document.lines.push_back({cell(line, Batch), cell(line, Code), cell(line, Name), cell(line, Unit),
                                      parseQuantity(cell(line, Quantity)).value_or(0),
                                      Money::parse(cell(line, Price)).value_or(Money{}), cell(line, StoreNo)});
        const db::PostedStockDocument posted = documents().returnToSupplier(document);
        session().SerialType = QStringLiteral("T");
        session().LastSerialNo = posted.documentNo;
        messages().info(QStringLiteral("数据已成功保存！"));
        bitNextClick();
    }, QStringLiteral("数据库忙，请稍后重新操作！"));
}
