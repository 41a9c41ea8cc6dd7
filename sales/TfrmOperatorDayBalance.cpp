#include "sales/TfrmOperatorDayBalance.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "sales/CashierHandIn.h"

#include <QDateTimeEdit>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kInfo = QStringLiteral("信息提示");
const QString kBusy = QStringLiteral("数据库忙，请稍后再试！");
const QString kZero = QStringLiteral("0.00");

QLabel* panel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumHeight(26);
    return l;
}
}  // namespace

TfrmOperatorDayBalance::TfrmOperatorDayBalance(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmOperatorDayBalance"));
    setWindowTitle(QStringLiteral("收银员日结"));
    resize(380, 280);
    QWidget* p = pnBaseHint();
    auto* root = new QVBoxLayout(p);
    root->setContentsMargins(24, 18, 24, 12);
    auto* form = new QFormLayout;
    form->setVerticalSpacing(12);
    m_dtBalanceDate = new QDateTimeEdit(p);
    m_dtBalanceDate->setObjectName(QStringLiteral("dtBalanceDate"));
    m_dtBalanceDate->setCalendarPopup(true);
    m_dtBalanceDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_lcbOperatorNo = new LookupComboBox(p);
    m_lcbOperatorNo->setObjectName(QStringLiteral("lcbOperatorNo"));
    m_pnMoney = panel(p, "pnMoney");
    m_edTrueMoney = new QLineEdit(p);
    m_edTrueMoney->setObjectName(QStringLiteral("edTrueMoney"));
    m_edTrueMoney->setAlignment(Qt::AlignRight);
    m_edTrueMoney->setMaxLength(14);
    m_pnOperatorName = panel(p, "pnOperatorName");
    m_pnOperatorName->hide();
    form->addRow(QStringLiteral("缴款日期"), m_dtBalanceDate);
    form->addRow(QStringLiteral("收银员"), m_lcbOperatorNo);
    form->addRow(QStringLiteral("应缴款额"), m_pnMoney);
    form->addRow(QStringLiteral("实缴款额"), m_edTrueMoney);
    root->addLayout(form);
    root->addStretch();
    m_bitYes = new QPushButton(QStringLiteral("缴款"), p);
    m_bitYes->setObjectName(QStringLiteral("bitYes"));
    m_bitClose = new QPushButton(QStringLiteral("关闭"), p);
    m_bitClose->setObjectName(QStringLiteral("bitClose"));
    for (QPushButton* b : {m_bitYes, m_bitClose}) {
        b->setAutoDefault(false);
        b->setMinimumSize(90, 32);
    }
    root->addLayout(centredButtonRow(m_bitYes, m_bitClose));

    connect(m_lcbOperatorNo, qOverload<int>(&QComboBox::activated), this, [this] { lcbOperatorNoCloseUp(); });
    // The amount always belongs to the day shown: a new day is a new amount.
    connect(m_dtBalanceDate, &QDateTimeEdit::dateChanged, this, [this] { showTakings(false); });
    connect(m_bitYes, &QPushButton::clicked, this, &TfrmOperatorDayBalance::bitYesClick);
    connect(m_bitClose, &QPushButton::clicked, this, &TfrmOperatorDayBalance::bitCloseClick);
    FormCreate();
}

void TfrmOperatorDayBalance::FormCreate() {
    ClearEdits();
    m_bitYes->setEnabled(false);
    QList<QStringList> rows;
    try {
        db::Statement s(frmBaseDataModule().Database(), QStringLiteral("select BNNO, BNNAME from BMAN order by BNNO"));
        s.exec();
        while (s.next()) rows << QStringList{s.text(0), s.text(1)};
    } catch (const db::Error&) {
        // Without the operator list there is nobody to hand in for.
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    m_lcbOperatorNo->setRows(rows);
    m_dtBalanceDate->setDateTime(QDateTime::currentDateTime());
}

void TfrmOperatorDayBalance::lcbOperatorNoCloseUp() { showTakings(true); }

void TfrmOperatorDayBalance::showTakings(bool focusButton) {
    const QString cashier = m_lcbOperatorNo->keyValue();
    m_pnOperatorName->clear();
    m_pnMoney->clear();
    m_edTrueMoney->clear();
    m_bitYes->setEnabled(false);
    if (cashier.isEmpty()) return;
    db::Connection& c = frmBaseDataModule().Database();
    try {
        db::Statement name(c, QStringLiteral("Select BNNAME From BMAN Where BNNO = :BNNO"));
        name.bind(QStringLiteral(":BNNO"), cashier);
        if (!name.first()) return;
        m_pnOperatorName->setText(name.text(0));
        name.query().finish();
        m_pnMoney->setText(CashierHandIn(c).takings(cashier, m_dtBalanceDate->date()).toString());
    } catch (const db::Error&) {
        messages().info(kInfo, kBusy);
        return;
    }
    m_edTrueMoney->setText(m_pnMoney->text());
    m_bitYes->setEnabled(m_pnMoney->text() != kZero);
    if (focusButton && m_bitYes->isEnabled()) m_bitYes->setFocus();
}

void TfrmOperatorDayBalance::bitYesClick() {
    const std::optional<Money> handedIn = Money::parse(m_edTrueMoney->text());
    if (!handedIn) {
        messages().info(kInfo, QStringLiteral("实缴款额不是有效的金额，请重新输入！"));
        m_edTrueMoney->setFocus();
        m_edTrueMoney->selectAll();
        return;
    }
    HandIn handIn{m_lcbOperatorNo->keyValue(), m_pnOperatorName->text(), m_dtBalanceDate->date(), *handedIn,
                  session().OperatorNo};
    std::optional<RecordedHandIn> recorded;
    try {
        recorded = CashierHandIn(frmBaseDataModule().Database()).record(handIn);
    } catch (const std::exception&) {
        messages().info(kInfo, kBusy);
        return;
    }
    if (!recorded) {
        // Handed in meanwhile from another till: show what is left (nothing).
        messages().info(kInfo, QStringLiteral("该收银员当日已没有未缴款项！"));
        showTakings(false);
        return;
    }
    const QString shown = m_pnMoney->text();
    session().SerialType = QStringLiteral("j");
    session().LastSerialNo = recorded->handInNo;
    m_pnOperatorName->clear();
    m_pnMoney->clear();
    m_edTrueMoney->clear();
    m_bitYes->setEnabled(false);
    if (recorded->due.toString() == shown)
        messages().info(kInfo, QStringLiteral("数据已保存！"));
    else
        messages().info(kInfo, QStringLiteral("数据已保存！应缴款额按缴款时的收款记为 %1 元。").arg(recorded->due.toString()));
}

void TfrmOperatorDayBalance::bitCloseClick() { reject(); }
