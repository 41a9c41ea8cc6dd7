#include "stock/TfrmReceiveProduct.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "sales/SaleLines.h"

#include <QDateTimeEdit>
#include <QGridLayout>
#include <QLabel>
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
    h->addWidget(caption(p, QStringLiteral("单据号")), 0, 0);
    h->addWidget(m_edDocNo, 0, 1);
    h->addWidget(caption(p, QStringLiteral("厂家")), 0, 2);
    h->addWidget(m_lcbFactory, 0, 3);
    h->addWidget(caption(p, QStringLiteral("经办人")), 0, 4);
    h->addWidget(m_lcbSelfMan, 0, 5);
    h->addWidget(caption(p, QStringLiteral("日期")), 1, 0);
    h->addWidget(m_dtDate, 1, 1);
    h->addWidget(caption(p, QStringLiteral("备注")), 1, 2);
    h->addWidget(m_edRemark, 1, 3, 1, 3);
    h->addWidget(caption(p, QStringLiteral("仓库")), 2, 0);
    h->addWidget(m_lcbStore, 2, 1);
    h->addWidget(caption(p, QStringLiteral("总计金额")), 2, 4);
    h->addWidget(m_edTotalMoney, 2, 5);

    m_edPrice = edit(p, "edPrice", 12);
    m_edMoney = edit(p, "edMoney", 0, true);
    for (QLineEdit* e : {m_edPrice, m_edMoney}) e->setAlignment(Qt::AlignRight);
    QGridLayout* e = entryArea();
    placeProductRow();
    e->addWidget(caption(p, QStringLiteral("单价")), 1, 0);
    e->addWidget(m_edPrice, 1, 1);
    e->addWidget(caption(p, QStringLiteral("数量")), 1, 2);
    e->addWidget(m_edCount, 1, 3);
    e->addWidget(caption(p, QStringLiteral("金额")), 1, 4);
    e->addWidget(m_edMoney, 1, 5);
    e->setColumnStretch(3, 1);

    setGridColumns({QStringLiteral("商品代码"), QStringLiteral("商品名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                    QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("仓库"), QStringLiteral("仓库代号")},
                   {120, 220, 50, 80, 80, 90, 100, 0});
    // The document posts to one supplier: it cannot change under lines already keyed.
    lockWhileLines(m_lcbFactory);

    QWidget* order[] = {m_edDocNo, m_lcbFactory, m_lcbSelfMan, m_dtDate, m_edRemark, m_lcbStore,
                        m_edProductNo, m_edPrice, m_edCount, sgBaseGrid(), m_bitNext};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    // The document starts at its head, not on the grid or a button.
    order[0]->setFocus();
    onEnterKey(m_edProductNo, [this] { edProductNoKeyDown(); });
    onFocusLeave(m_edCount, [this] { edCountExit(); });
    FormCreate();
}

void TfrmReceiveProduct::FormCreate() {
    db::Connection& c = frmBaseDataModule().Database();
    bool ok = loadList(c, m_lcbFactory, QStringLiteral("select CSNO, CSNAME from CSB order by CSNO"));
    ok = loadList(c, m_lcbSelfMan, QStringLiteral("select ZYNO, NAME from GZRYB where ZW= '0' order by ZYNO")) && ok;
    ok = loadList(c, m_lcbStore, QStringLiteral("select CKNO, CKNAME from store order by ckno")) && ok;
    if (!ok) messages().info(QStringLiteral("数据库忙，基本表打不开，请稍后再试！"));
    m_dtDate->setDateTime(QDateTime::currentDateTime());
    m_edTotalMoney->setText(QStringLiteral("0.00"));
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
    if (m_lcbFactory->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新输入供应商！"));
        m_lcbFactory->setFocus();
        return;
    }
    if (m_lcbSelfMan->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新输入经办人！"));
        m_lcbSelfMan->setFocus();
        return;
    }
    if (m_lcbStore->keyValue().isEmpty()) {
        messages().info(QStringLiteral("数据不全，请重新选择仓库！"));
        m_lcbStore->setFocus();
        return;
    }
    if (!productStillLookedUp()) return;
    const std::optional<double> quantity = parseQuantity(m_edCount->text());
    if (!quantity || *quantity <= 0) {
        messages().info(QStringLiteral("数据非法，请重新录入！"));
        focusSelected(m_edCount);
        return;
    }
    const std::optional<Money> price = Money::parse(m_edPrice->text());
    if (!price) {
        messages().info(QStringLiteral("数据非法，请重新录入！"));
        focusSelected(m_edPrice);
        return;
    }
    m_edMoney->setText(plainAmountText(price->times(*quantity)));

    const QString code = m_edProductNo->text();
    const QString store = m_lcbStore->keyValue();
    for (int line = 1; line <= lineCount(); ++line) {
        if (cell(line, Code) != code) continue;
        // Prices compare as typed: 10 and 10.00 are two prices.
        if (cell(line, Price) == m_edPrice->text() && cell(line, StoreNo) == store) {
            const double merged = parseQuantity(cell(line, Quantity)).value_or(0) + *quantity;
            setCell(line, Quantity, quantityText(merged));
            setCell(line, Amount, plainAmountText(price->times(merged)));
            // Only the line's boxes: the header's document number and remark stay.
            for (QLineEdit* box : {m_edProductNo, m_edProductName, m_edUnit, m_edPrice, m_edCount, m_edMoney}) box->clear();
            showTotal();
            m_edProductNo->setFocus();
            return;
        }
        messages().info(QStringLiteral("存在相同商品但单价不同的不合理情况，请核对， 或存在相同商品但入库货位不同的不合理情况，请核对后重新分开录入！"));
        m_edProductNo->setFocus();
        return;
    }
    InsertTopLine();
    const QString cells[] = {code, m_edProductName->text(), m_edUnit->text(), m_edPrice->text(), m_edCount->text(),
                             m_edMoney->text(), m_lcbStore->currentText(), store};
    for (int c = 0; c < int(std::size(cells)); ++c) setCell(1, c + 1, cells[c]);
    documentChanged();
    showTotal();
    m_edProductNo->setFocus();
}

void TfrmReceiveProduct::showTotal() { m_edTotalMoney->setText(LineTotal(Amount).toString()); }

void TfrmReceiveProduct::bitNextClick() {
    TfrmBaseOtherInput::bitNextClick();
    showTotal();
}

void TfrmReceiveProduct::bitDeleteClick() {
    TfrmBaseOtherInput::bitDeleteClick();
    showTotal();
}

void TfrmReceiveProduct::bitSaveClick() {
    if (m_saving || lineCount() == 0) return;  // nothing to save, or a second click while saving
    m_saving = true;
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
    try {
        const db::PostedStockDocument posted = documents().receive(document);
        session().SerialType = QStringLiteral("J");
        session().LastSerialNo = posted.documentNo;
        bitNextClick();
        messages().info(QStringLiteral("数据已成功保存！"));
    } catch (const db::Error& e) {
        setPanelText(3, e.message());
        messages().info(QStringLiteral("网络忙，请稍后重新操作！"));
    }
    m_saving = false;
}
