#include "sales/TfrmPrintSellsData.h"

#include "app/ControlEvents.h"
#include "app/DateTimeText.h"
#include "app/MessageService.h"
#include "app/PrintCanvas.h"
#include "app/SysSetIni.h"
#include "db/Comm.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "sales/ReceiptPrinter.h"
#include "sales/SaleNote.h"
#include "sales/TfrmPOS.h"
#include "sales/TillReceipt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

const QString kInfo = QStringLiteral("信息提示");
const QString kBusy = QStringLiteral("数据库忙，请稍后再试！");

// Only digits, the point and Backspace reach the amount box.
class NumberKeyFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text[0].isPrint() && FilterNumberKey(text[0]).isNull()) return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QLabel* amountLabel(QWidget* parent, const char* name, int pointSize) {
    auto* l = new QLabel(QStringLiteral("0.00"), parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(170);
    return l;
}

QLabel* caption(QWidget* parent, const QString& text, int pointSize) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSize(pointSize);
    l->setFont(f);
    return l;
}

// "-1" and other non-zero numbers, or "True", tick the box; "0" and "False" clear it; any
// other text leaves the default (ticked).
std::optional<bool> booleanText(const QString& text) {
    bool isNumber = false;
    const int n = text.trimmed().toInt(&isNumber);
    if (isNumber) return n != 0;
    if (text.trimmed().compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) return true;
    if (text.trimmed().compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

std::optional<QString> readVariable(const QString& name) { return ReadSysVariable(frmBaseDataModule().Database(), name); }

QString todayText() { return dateTimeText(QDateTime::currentDateTime()).section(u' ', 0, 0); }

}  // namespace

TfrmPrintSellsData::TfrmPrintSellsData(TfrmPOS& sale, QWidget* parent) : TfrmBase(parent), m_sale(sale) {
    setObjectName(QStringLiteral("frmPrintSellsData"));
    setWindowTitle(QStringLiteral("打印零售收款单"));
    resize(440, 330);
    QWidget* p = pnBaseHint();
    auto* root = new QVBoxLayout(p);
    root->setContentsMargins(18, 14, 18, 10);

    auto* g = new QGridLayout;
    g->setVerticalSpacing(10);
    m_pnTotalMoney = amountLabel(p, "pnTotalMoney", 16);
    m_pnTotalMoney->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lbFalseMoney = amountLabel(p, "lbFalseMoney", 16);
    m_edTrueMoney = new QLineEdit(p);
    m_edTrueMoney->setObjectName(QStringLiteral("edTrueMoney"));
    m_edTrueMoney->setAlignment(Qt::AlignRight);
    QFont big = m_edTrueMoney->font();
    big.setPointSize(16);
    big.setBold(true);
    m_edTrueMoney->setFont(big);
    // Room for the largest sale the sale screen accepts, with its cents.
    m_edTrueMoney->setMaxLength(18);
    m_edTrueMoney->installEventFilter(new NumberKeyFilter(m_edTrueMoney));
    m_lbPayMoney = amountLabel(p, "lbPayMoney", 16);
    m_lbPayMoney->setStyleSheet(QStringLiteral("color: #b00000;"));
    g->addWidget(caption(p, QStringLiteral("总 金 额："), 12), 0, 0);
    g->addWidget(m_pnTotalMoney, 0, 1);
    g->addWidget(caption(p, QStringLiteral("应收金额："), 12), 1, 0);
    g->addWidget(m_lbFalseMoney, 1, 1);
    g->addWidget(caption(p, QStringLiteral("元"), 12), 1, 2);
    g->addWidget(caption(p, QStringLiteral("实收金额："), 12), 2, 0);
    g->addWidget(m_edTrueMoney, 2, 1);
    g->addWidget(caption(p, QStringLiteral("元"), 12), 2, 2);
    g->addWidget(caption(p, QStringLiteral("找    零："), 12), 3, 0);
    g->addWidget(m_lbPayMoney, 3, 1);
    g->addWidget(caption(p, QStringLiteral("元"), 12), 3, 2);
    root->addLayout(g);

    m_cbPrintCheck = new QCheckBox(QStringLiteral("打印票据"), p);
    m_cbPrintCheck->setObjectName(QStringLiteral("cbPrintCheck"));
    m_cbPrintCheck->setChecked(true);
    root->addWidget(m_cbPrintCheck);
    root->addStretch();

    auto* buttons = new QHBoxLayout;
    m_bitPrint = new QPushButton(QStringLiteral("存盘Enter"), p);
    m_bitPrint->setObjectName(QStringLiteral("bitPrint"));
    m_bitClose = new QPushButton(QStringLiteral("退出ESC"), p);
    m_bitClose->setObjectName(QStringLiteral("bitClose"));
    for (QPushButton* b : {m_bitPrint, m_bitClose}) {
        b->setMinimumHeight(36);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);

    m_mmPrintData = new QPlainTextEdit(p);
    m_mmPrintData->setObjectName(QStringLiteral("mmPrintData"));
    m_mmPrintData->hide();

    setTabOrder(m_edTrueMoney, m_bitPrint);
    setTabOrder(m_bitPrint, m_bitClose);
    setTabOrder(m_bitClose, m_cbPrintCheck);
    connect(m_edTrueMoney, &QLineEdit::textChanged, this, [this] { edTrueMoneyChange(); });
    onEnterKey(m_edTrueMoney, [this] { edTrueMoneyKeyDown(); });
    connect(m_bitPrint, &QPushButton::clicked, this, &TfrmPrintSellsData::bitPrintClick);
    connect(m_bitClose, &QPushButton::clicked, this, &TfrmPrintSellsData::bitCloseClick);

    FormCreate();
}

void TfrmPrintSellsData::FormCreate() {
    ClearEdits();
    if (const auto isPrint = readVariable(QStringLiteral("isPrint")))
        if (const auto tick = booleanText(*isPrint)) m_cbPrintCheck->setChecked(*tick);
    m_amountDue = m_sale.SaleTotal().roundedToCents();
    m_pnTotalMoney->setText(m_sale.SaleTotal().toString());
    m_lbFalseMoney->setText(m_amountDue.toString());
    m_edTrueMoney->setText(m_lbFalseMoney->text());
    m_edTrueMoney->setFocus();
    m_edTrueMoney->selectAll();
}

void TfrmPrintSellsData::edTrueMoneyChange() {
    const QString text = m_edTrueMoney->text();
    if (text.isEmpty()) {
        m_lbPayMoney->setText(QStringLiteral("0.00"));
        return;
    }
    const std::optional<Money> received = Money::parse(text);
    if (!received) return;  // not an amount (yet): the change keeps its text
    const Money change = *received - m_amountDue;
    m_lbPayMoney->setText(!received->isNegative() && !change.isNegative() ? change.toString() : QStringLiteral("0.00"));
}

void TfrmPrintSellsData::edTrueMoneyKeyDown() {
    if (m_edTrueMoney->text().isEmpty()) m_edTrueMoney->setFocus();
    else m_bitPrint->setFocus();
}

void TfrmPrintSellsData::bitCloseClick() { reject(); }

RetailSale TfrmPrintSellsData::saleFromScreen(Money received) const {
    RetailSale sale;
    sale.operatorNo = session().OperatorNo;
    sale.storeNo = m_sale.storeNo();
    sale.customerName = m_sale.customerName();
    sale.customerAddress = m_sale.customerAddress();
    sale.customerPhone = m_sale.customerPhone();
    sale.amountDue = m_amountDue;
    sale.amountReceived = received;
    for (const SaleLine& l : m_sale.saleLines().lines()) {
        RetailSaleLine line;
        line.productNo = l.productNo;
        line.productName = l.productName;
        line.unit = l.unit;
        line.quantity = l.quantity();
        line.price = l.price();
        line.rate = l.rate();
        line.promoterNo = l.promoterNo;
        sale.lines.push_back(line);
    }
    return sale;
}

void TfrmPrintSellsData::bitPrintClick() {
    // Inert while a save runs and after one succeeded: a second Enter never posts twice.
    if (m_saving || m_posted) return;
    const std::optional<Money> received = Money::parse(m_edTrueMoney->text());
    if (!received || static_cast<long double>(received->units()) / Money::Scale > kLargestSaleAmountYuan) {
        messages().info(kInfo, !received ? QStringLiteral("实收金额不是有效的金额，请重新输入！")
                                         : QStringLiteral("实收金额超出范围，请重新输入！"));
        m_edTrueMoney->setFocus();
        m_edTrueMoney->selectAll();
        return;
    }
    m_saving = true;
    m_bitPrint->setEnabled(false);
    try {
        m_posted = RetailPosting(frmBaseDataModule().Database()).post(saleFromScreen(*received));
    } catch (const db::Error& e) {
        m_saving = false;
        m_bitPrint->setEnabled(true);
        if (e.kind() == db::ErrorKind::Shortage)
            messages().info(kInfo, e.message() + QStringLiteral("。本单未保存，请修改数量后重新存盘！"));
        else
            messages().info(kInfo, kBusy);
        return;
    } catch (const std::overflow_error&) {
        m_saving = false;
        m_bitPrint->setEnabled(true);
        messages().info(kInfo, QStringLiteral("金额超出范围，本单未保存！"));
        return;
    } catch (const std::exception&) {
        m_saving = false;
        m_bitPrint->setEnabled(true);
        messages().info(kInfo, kBusy);
        return;
    }
    m_saving = false;
    session().SerialType = QStringLiteral("W");
    session().LastSerialNo = m_posted->saleNo;
    printAfterPosting(*m_posted);
    messages().info(kInfo, QStringLiteral("数据保存成功！"));
    // The sale is saved: its lines leave the sale screen whatever printing did.
    m_sale.bitClearClick();
    accept();
}

void TfrmPrintSellsData::printAfterPosting(const PostedSale& posted) {
    if (!m_cbPrintCheck->isChecked()) return;
    const QString mode = readVariable(printModeVariable()).value_or(QString());
    try {
        if (mode == QLatin1String("0")) PrintReceipt(posted);
        else if (mode == QLatin1String("1")) PrintSaleNote(posted);
    } catch (const PrintError& e) {
        messages().warning(QStringLiteral("警告"), QStringLiteral("本单已保存，但票据未能打印：") + e.message());
    } catch (const std::exception& e) {
        messages().warning(QStringLiteral("警告"), QStringLiteral("本单已保存，但票据未能打印：") + QString::fromUtf8(e.what()));
    }
}

void TfrmPrintSellsData::PrintReceipt(const PostedSale& posted) {
    TillReceiptData d;
    d.shopName = session().ShopName;
    d.shopTel = session().ShopTel;
    d.customerName = m_sale.customerName();
    d.operatorName = session().OperatorName;
    d.saleNo = posted.saleNo;
    d.dateText = todayText();
    for (const SaleLine& l : m_sale.saleLines().lines())
        d.lines.push_back({l.productNo, l.priceText, l.quantityText, l.amount()});
    d.amountDueText = m_lbFalseMoney->text();
    d.amountReceived = posted.amountReceived;
    d.changeText = m_lbPayMoney->text();
    completeReceipt(d);
    const TillReceipt receipt(std::move(d));
    m_mmPrintData->setPlainText(receipt.lines().join(u'\n'));
    if (m_receiptCanvas) {
        receipt.print(*m_receiptCanvas, SysSetIni::receiptWidthMm());
        return;
    }
    const QString file = ReceiptPrinter::print(receipt);
    if (!file.isEmpty()) m_sale.showReceiptFile(file);
}

void TfrmPrintSellsData::PrintSaleNote(const PostedSale& posted) {
    SaleNoteData note;
    note.saleNo = posted.saleNo;
    note.shopName = session().ShopName;
    note.shopNote = session().ShopNote;
    note.shopTel = session().ShopTel;
    note.customerName = m_sale.customerName();
    note.dateText = todayText();
    note.amountDue = posted.amountDue;
    note.storeName = m_sale.storeName();
    QStringList promoters;
    for (const SaleLine& l : m_sale.saleLines().lines())
        if (!l.promoterName.isEmpty() && !promoters.contains(l.promoterName)) promoters << l.promoterName;
    note.promoterNames = promoters.join(QStringLiteral("、"));
    note.operatorName = session().OperatorName;
    completeNote(note);
    SaleNote::print(note, this);
}
