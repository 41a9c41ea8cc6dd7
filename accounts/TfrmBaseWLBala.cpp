#include "accounts/TfrmBaseWLBala.h"

#include "accounts/AccountGrid.h"
#include "accounts/AccountStatement.h"
#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"
#include "reports/TfrmBaseReport.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kInfo = QStringLiteral("信息提示");

const std::vector<GridColumn>& ledgerColumns() {
    using report::Format;
    static const std::vector<GridColumn> columns = {
        {"编号", "JSNO", Format::Plain, 120},   {"摘要", "ZY", Format::Plain, 150},
        {"凭证号码", "PZHM", Format::Plain, 90}, {"单据编号", "DJBH", Format::Plain, 120},
        {"借方", "JF", Format::Money, 80},      {"贷方", "DF", Format::Money, 80},
        {"借贷", "JD", Format::Plain, 40},      {"余额", "YE", Format::Money, 90},
        {"操作日期", "CZRQ", Format::Plain, 140}};
    return columns;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setMinimumSize(84, 32);
    return b;
}

}  // namespace

TfrmBaseWLBala::TfrmBaseWLBala(db::AccountKind kind, QWidget* parent) : TfrmBase(parent), m_kind(kind) {
    const bool clients = kind == db::AccountKind::Client;
    setObjectName(clients ? QStringLiteral("frmClientBala") : QStringLiteral("frmSuppBala"));
    setWindowTitle(clients ? QStringLiteral("收款") : QStringLiteral("付款"));
    resize(900, 600);
    QWidget* p = pnBaseHint();
    auto* root = new QHBoxLayout(p);
    auto* left = new QVBoxLayout;
    root->addLayout(left, 1);

    auto* entry = new QGroupBox(p);
    auto* g = new QGridLayout(entry);
    m_account = new LookupComboBox(entry);
    m_account->setObjectName(clients ? QStringLiteral("lcbClient") : QStringLiteral("lcbSupply"));
    m_account->setMinimumWidth(220);
    m_edNo = new QLineEdit(entry);
    m_edNo->setObjectName(QStringLiteral("edNo"));
    m_edNo->setMaxLength(15);   // PZHM
    m_edRemark = new QLineEdit(entry);
    m_edRemark->setObjectName(QStringLiteral("edRemark"));
    m_edRemark->setMaxLength(50);  // ZY
    m_edMoney = new QLineEdit(entry);
    m_edMoney->setObjectName(QStringLiteral("edMoney"));
    m_edMoney->setAlignment(Qt::AlignRight);
    m_edMoney->setMaxLength(16);
    auto* sides = new QGroupBox(entry);
    sides->setObjectName(QStringLiteral("rgInOrOut"));
    auto* sideRow = new QHBoxLayout(sides);
    // Each screen offers the side that lowers its balance first, and selects it.
    m_lowering = new QRadioButton(clients ? QStringLiteral("借") : QStringLiteral("贷"), sides);
    m_raising = new QRadioButton(clients ? QStringLiteral("贷") : QStringLiteral("借"), sides);
    m_lowering->setChecked(true);
    sideRow->addWidget(m_lowering);
    sideRow->addWidget(m_raising);
    m_edYE = new QLineEdit(entry);
    m_edYE->setObjectName(QStringLiteral("edYE"));
    m_edYE->setEnabled(false);
    m_edYE->setAlignment(Qt::AlignRight);
    g->addWidget(new QLabel(QStringLiteral("厂商"), entry), 0, 0);
    g->addWidget(m_account, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("凭证号码"), entry), 0, 2);
    g->addWidget(m_edNo, 0, 3);
    g->addWidget(new QLabel(QStringLiteral("摘要"), entry), 1, 0);
    g->addWidget(m_edRemark, 1, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("金额"), entry), 2, 0);
    g->addWidget(m_edMoney, 2, 1);
    g->addWidget(sides, 2, 2, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("余额"), entry), 3, 0);
    g->addWidget(m_edYE, 3, 1);
    left->addWidget(entry);
    m_dgBase = accountGrid(p, "dgBase", ledgerColumns());
    left->addWidget(m_dgBase, 1);

    auto* buttons = new QVBoxLayout;
    m_btiSerch = button(p, "btiSerch", QStringLiteral("查询"));
    m_bitNext = button(p, "bitNext", QStringLiteral("下笔"));
    m_bitSave = button(p, "bitSave", QStringLiteral("存盘"));
    m_bitPreview = button(p, "bitPreview", QStringLiteral("预览"));
    m_bitPrint = button(p, "bitPrint", QStringLiteral("打印"));
    m_bitClose = button(p, "bitClose", QStringLiteral("退出"));
    for (QPushButton* b : {m_btiSerch, m_bitNext, m_bitSave, m_bitPreview, m_bitPrint, m_bitClose}) buttons->addWidget(b);
    buttons->addStretch();
    root->addLayout(buttons);

    setTabOrder(m_account, m_edNo);
    setTabOrder(m_edNo, m_edRemark);
    setTabOrder(m_edRemark, m_edMoney);
    setTabOrder(m_edMoney, m_lowering);
    setTabOrder(m_lowering, m_raising);

    onFocusLeave(m_account, [this] { accountChosen(); });
    // A balance worked out for one account must never stand beside another.
    connect(m_account, qOverload<int>(&QComboBox::activated), this, [this] { accountChosen(); });
    onFocusLeave(m_edMoney, [this] { edMoneyExit(); });
    connect(m_lowering, &QRadioButton::clicked, this, &TfrmBaseWLBala::rgInOrOutClick);
    connect(m_raising, &QRadioButton::clicked, this, &TfrmBaseWLBala::rgInOrOutClick);
    connect(m_bitNext, &QPushButton::clicked, this, &TfrmBaseWLBala::bitNextClick);
    connect(m_bitSave, &QPushButton::clicked, this, &TfrmBaseWLBala::bitSaveClick);
    connect(m_bitPreview, &QPushButton::clicked, this, &TfrmBaseWLBala::bitPreviewClick);
    connect(m_bitPrint, &QPushButton::clicked, this, &TfrmBaseWLBala::bitPrintClick);
    connect(m_bitClose, &QPushButton::clicked, this, &TfrmBaseWLBala::bitCloseClick);
    FormCreate();
}

void TfrmBaseWLBala::FormCreate() {
    ClearEdits();
    m_account->load(frmBaseDataModule().Database(),
                    m_kind == db::AccountKind::Client
                        ? QStringLiteral("select KHNO, KHNAME from KHB where khno <> '000' order by khno")
                        : QStringLiteral("select CSNO, CSNAME from csb order by csno"),
                    2);
    m_account->setFocus();
}

db::AccountSide TfrmBaseWLBala::side() const {
    const QString text = (m_lowering->isChecked() ? m_lowering : m_raising)->text();
    return *db::AccountLedger::sideFromText(text);
}

QString TfrmBaseWLBala::reportName() const {
    return m_kind == db::AccountKind::Client ? QStringLiteral("TfrmRepkhjs") : QStringLiteral("TfrmRepgysjs");
}

bool TfrmBaseWLBala::reloadGrid() {
    if (m_account->keyValue().isEmpty()) {
        m_dgBase->setRowCount(0);
        return true;
    }
    const db::AccountLedger ledger(frmBaseDataModule().Database(), m_kind);
    try {
        const ReportDataset rows = runStatement(
            frmBaseDataModule().Database(),
            QStringLiteral("Select * from %1 where %2 = :account order by JSNO DESC").arg(ledger.table(), ledger.accountColumn()),
            {{QStringLiteral(":account"), m_account->keyValue()}});
        fillAccountGrid(m_dgBase, rows, ledgerColumns());
    } catch (const db::Error&) {
        return false;
    }
    return true;
}

void TfrmBaseWLBala::accountChosen() {
    if (m_account->keyValue().isEmpty()) return;
    if (!reloadGrid()) messages().info(kInfo, QStringLiteral("数据库忙，请稍后再试！"));
    if (!m_edMoney->text().isEmpty()) rgInOrOutClick();
}

void TfrmBaseWLBala::edMoneyExit() {
    if (!m_edMoney->text().isEmpty()) rgInOrOutClick();
}

void TfrmBaseWLBala::rgInOrOutClick() {
    // A preview: the row saved takes the balance read under the account's lock.
    const std::optional<Money> amount = Money::parse(m_edMoney->text());
    if (!amount || m_account->keyValue().isEmpty()) return;
    try {
        db::AccountLedger ledger(frmBaseDataModule().Database(), m_kind);
        m_edYE->setText(db::AccountLedger::applySide(m_kind, ledger.balance(m_account->keyValue()), side(), *amount).toString());
    } catch (const db::Error&) {
        m_edYE->clear();
    }
}

void TfrmBaseWLBala::bitSaveClick() {
    const std::optional<Money> amount = Money::parse(m_edMoney->text());
    if (!amount) {
        messages().info(kInfo, QStringLiteral("数据格式不全，请重新输入金额！"));
        m_edMoney->setFocus();
        return;
    }
    if (m_account->keyValue().isEmpty()) {
        messages().info(kInfo, m_kind == db::AccountKind::Client ? QStringLiteral("数据不全，请重新输入客户！")
                                                                 : QStringLiteral("数据不全，请重新输入供应商！"));
        m_account->setFocus();
        return;
    }
    const db::LedgerEntry entry{m_account->keyValue(), side(), *amount, m_edNo->text(), m_edRemark->text(), QString(),
                                session().OperatorNo};
    const std::optional<db::PostedLedgerRow> row =
        m_kind == db::AccountKind::Client ? frmDM().PostClientLedger(entry) : frmDM().PostSupplierLedger(entry);
    if (!row) {
        messages().info(kInfo, QStringLiteral("网络忙，请稍后重新操作！"));
        return;
    }
    session().SerialType = db::AccountLedger(frmBaseDataModule().Database(), m_kind).serialType();
    session().LastSerialNo = row->rowNo;
    bitNextClick();
    messages().info(kInfo, QStringLiteral("数据已成功保存！"));
}

void TfrmBaseWLBala::bitNextClick() {
    ClearEdits();
    if (!reloadGrid()) {
        messages().info(kInfo, QStringLiteral("系统忙，请退出后重新进入！"));
        reject();
    }
}

void TfrmBaseWLBala::bitPreviewClick() {
    TfrmBaseReport report(reportName(), this);
    report.openDocument(session().LastSerialNo);
    report.preview();
}

void TfrmBaseWLBala::bitPrintClick() {
    TfrmBaseReport report(reportName(), this);
    report.openDocument(session().LastSerialNo);
    report.print();
}

void TfrmBaseWLBala::bitCloseClick() { reject(); }

TfrmClientBala::TfrmClientBala(QWidget* parent) : TfrmBaseWLBala(db::AccountKind::Client, parent) {}

TfrmSuppBala::TfrmSuppBala(QWidget* parent) : TfrmBaseWLBala(db::AccountKind::Supplier, parent) {}
