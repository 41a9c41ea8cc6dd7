#include "stock/TfrmReceiveProduct.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Session.h"
#include "sales/SaleLines.h"

#include <QDateTimeEdit>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {
enum Column { Code = 1, Name, Unit, Price, Quantity, Amount, StoreName, StoreNo };
}

TfrmReceiveProduct::TfrmReceiveProduct(QWidget* parent) : TfrmBaseOtherInput(parent) {
    setObjectName(QStringLiteral("frmReceiveProduct"));
    setWindowTitle(QStringLiteral("入库业务处理"));
    QWidget* p = pnBaseHint();
    m_edDocNo = edit(p, "edDocNo", 15);
    m_lcbFactory = lookupList(p, "lcbFactory");
    m_lcbSelfMan = lookupList(p, "lcbSelfMan");
    m_edRemark = edit(p, "edRemark", 40);
    m_dtDate = new QDateTimeEdit(p);
    m_dtDate->setObjectName(QStringLiteral("dtDate"));
    m_dtDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    m_dtDate->setCalendarPopup(true);
    m_lcbStore = lookupList(p, "lcbStore");
    m_edTotalMoney = edit(p, "edTotalMoney", 0, true);
    m_edTotalMoney->setEnabled(false);
    m_edTotalMoney->setAlignment(Qt::AlignRight);
    QGridLayout* h = headerArea();
    placeRow(h, 0, {{QStringLiteral("单据号"), m_edDocNo}, {QStringLiteral("厂家"), m_lcbFactory},
                    {QStringLiteral("经办人"), m_lcbSelfMan}});
    placeRow(h, 1, {{QStringLiteral("日期"), m_dtDate}, {QStringLiteral("备注"), m_edRemark, 3}});
    placeRow(h, 2, {{QStringLiteral("仓库"), m_lcbStore}});
    placeRow(h, 2, {{QStringLiteral("总计金额"), m_edTotalMoney}}, 4);

    m_edPrice = edit(p, "edPrice", 12);
    m_edMoney = edit(p, "edMoney", 0, true);
    for (QLineEdit* e : {m_edPrice, m_edMoney}) e->setAlignment(Qt::AlignRight);
    placeProductRow();
    placeRow(entryArea(), 1, {{QStringLiteral("单价"), m_edPrice}, {QStringLiteral("数量"), m_edCount},
                              {QStringLiteral("金额"), m_edMoney}});
    entryArea()->setColumnStretch(3, 1);

    setGridColumns({QStringLiteral("商品代码"), QStringLiteral("商品名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                    QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("仓库"), QStringLiteral("仓库代号")},
                   {120, 220, 50, 80, 80, 90, 100, 0});
    // The document posts to one supplier: it cannot change under lines already keyed.
    lockWhileLines(m_lcbFactory);

    setEntryOrder({m_edDocNo, m_lcbFactory, m_lcbSelfMan, m_dtDate, m_edRemark, m_lcbStore, m_edProductNo, m_edPrice,
                   m_edCount, sgBaseGrid(), m_bitNext});
    showTotalIn(m_edTotalMoney, Amount);
    FormCreate();
}

void TfrmReceiveProduct::FormCreate() {
    loadLists({{m_lcbFactory, QStringLiteral("select CSNO, CSNAME from CSB order by CSNO")},
               {m_lcbSelfMan, QStringLiteral("select ZYNO, NAME from GZRYB where ZW= '0' order by ZYNO")},
               {m_lcbStore, storeListSql()}},
              QStringLiteral("数据库忙，基本表打不开，请稍后再试！"));
    m_dtDate->setDateTime(QDateTime::currentDateTime());
}

void TfrmReceiveProduct::edProductNoKeyDown() {
    if (!lookUpProduct(QStringLiteral("产品编号不对，请重新输入！"))) return;
    m_edPrice->setText(product()->cost.toString());
    focusSelected(m_edPrice);
}

void TfrmReceiveProduct::edCountExit() {
    if (m_edCount->text().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新输入数量！"));
        m_edCount->setFocus();
        return;
    }
    if (!chosen(m_lcbFactory, QStringLiteral("数据不全，请重新输入供应商！"))) return;
    if (!chosen(m_lcbSelfMan, QStringLiteral("数据不全，请重新输入经办人！"))) return;
    if (!storeChosen(m_lcbStore)) return;
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = keyedQuantity();
    if (!quantity) return;
    const std::optional<Money> price = Money::parse(m_edPrice->text());
    if (!price || price->isNegative()) {
        messages().info(QStringLiteral("数据非法，请重新录入！"));
        focusSelected(m_edPrice);
        return;
    }
    const QString code = m_edProductNo->text();
    const QString store = m_lcbStore->keyValue();
    const int line = lineOf({{Code, code}});
    // Prices compare as typed: 10 and 10.00 are two prices.
    const bool merges = line && cell(line, Price) == m_edPrice->text() && cell(line, StoreNo) == store;
    if (!amountFits(*price, *quantity, merges ? line : 0, Quantity)) return;
    m_edMoney->setText(plainAmountText(price->times(*quantity)));

    if (line) {
        if (!merges) {
            messages().info(QStringLiteral("存在相同商品但单价不同的不合理情况，请核对， 或存在相同商品但入库货位不同的不合理情况，请核对后重新分开录入！"));
            m_edProductNo->setFocus();
            return;
        }
        setCell(line, Amount, plainAmountText(price->times(addToLine(line, Quantity, *quantity))));
        // Only the line's boxes: the header's document number and remark stay.
        for (QLineEdit* box : {m_edProductNo, m_edProductName, m_edUnit, m_edPrice, m_edCount, m_edMoney}) box->clear();
        showTotal();
    } else {
        // The line's boxes keep what was keyed.
        addTopLine({code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                    m_edMoney->text(), m_lcbStore->currentText(), store});
    }
    m_edProductNo->setFocus();
}

void TfrmReceiveProduct::bitSaveClick() {
    saveDocument([this] {
        db::Receiving document;
        document.supplierDocumentNo = m_edDocNo->text();
        document.supplierNo = m_lcbFactory->keyValue();
        document.handlerNo = m_lcbSelfMan->keyValue();
        document.documentDate = m_dtDate->dateTime();
        document.remark = m_edRemark->text();
        document.operatorNo = session().OperatorNo;
        for (int line = 1; line <= lineCount(); ++line)
            document.lines.push_back({cell(line, Code), cell(line, Name), cell(line, Unit),
                                      parseQuantity(cell(line, Quantity)).value_or(0),
                                      Money::parse(cell(line, Price)).value_or(Money{}), cell(line, StoreNo)});
        const db::PostedStockDocument posted = documents().receive(document);
        session().SerialType = QStringLiteral("J");
        session().LastSerialNo = posted.documentNo;
        bitNextClick();
        messages().info(QStringLiteral("数据已成功保存！"));
    }, QStringLiteral("网络忙，请稍后重新操作！"));
}
