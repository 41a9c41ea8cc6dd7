#include "accounts/TfrmBaseQueryWL.h"

#include "accounts/AccountBalanceList.h"
#include "accounts/AccountGrid.h"
#include "accounts/TfrmBaseWLList.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "db/Error.h"
#include "db/TfrmBaseDataModule.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

std::vector<GridColumn> columns(db::AccountKind kind) {
    using report::Format;
    if (kind == db::AccountKind::Client)
        return {{"客户编号", "KHNO", Format::Plain, 90}, {"客户名称", "KHNAME", Format::Plain, 300}, {"余额", "YE", Format::Money, 120}};
    return {{"厂商编号", "CSNO", Format::Plain, 90}, {"厂商名称", "CSName", Format::Plain, 300}, {"余额", "YE", Format::Money, 120}};
}

QDateEdit* datePicker(QWidget* parent, const char* name) {
    auto* d = new QDateEdit(QDate::currentDate(), parent);
    // Wide enough that the whole date shows beside the calendar button.
    d->setMinimumWidth(112);
    d->setObjectName(QString::fromLatin1(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return d;
}

}  // namespace

TfrmBaseQueryWL::TfrmBaseQueryWL(db::AccountKind kind, QWidget* parent) : TfrmBase(parent), m_kind(kind) {
    const bool clients = kind == db::AccountKind::Client;
    setObjectName(clients ? QStringLiteral("frmQyKHWL") : QStringLiteral("frmQyGYSWL"));
    setWindowTitle(clients ? QStringLiteral("客户往来查询") : QStringLiteral("供应商往来查询"));
    resize(620, 520);
    QWidget* p = pnBaseHint();
    auto* root = new QVBoxLayout(p);
    auto* bar = new QHBoxLayout;
    m_dtBegDate = datePicker(p, "dtBegDate");
    m_dtEndDate = datePicker(p, "dtEndDate");
    bar->addWidget(new QLabel(QStringLiteral("起期"), p));
    bar->addWidget(m_dtBegDate);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("止期"), p));
    bar->addWidget(m_dtEndDate);
    bar->addStretch();
    root->addLayout(bar);
    m_dgBase = accountGrid(p, "dgBase", columns(kind));
    root->addWidget(m_dgBase, 1);
    m_bitYes = new QPushButton(QStringLiteral("确定"), p);
    m_bitYes->setObjectName(QStringLiteral("bitYes"));
    m_bitExit = new QPushButton(QStringLiteral("退出"), p);
    m_bitExit->setObjectName(QStringLiteral("bitExit"));
    for (QPushButton* b : {m_bitYes, m_bitExit}) {
        b->setAutoDefault(false);
        b->setMinimumSize(84, 30);
    }
    root->addLayout(centredButtonRow(m_bitYes, m_bitExit));

    connect(m_bitYes, &QPushButton::clicked, this, &TfrmBaseQueryWL::bitYesClick);
    connect(m_bitExit, &QPushButton::clicked, this, &TfrmBaseQueryWL::bitExitClick);
    connect(m_dgBase, &QTableWidget::cellDoubleClicked, this, [this] { dgBaseDblClick(); });
    FormCreate();
}

void TfrmBaseQueryWL::FormCreate() {
    try {
        if (const auto first = AccountBalanceList(frmBaseDataModule().Database(), m_kind).earliestPosting())
            m_dtBegDate->setDate(*first);
    } catch (const db::Error&) {
        // the list below reports the failure
    }
    load();
}

bool TfrmBaseQueryWL::load() {
    try {
        const ReportDataset rows =
            AccountBalanceList(frmBaseDataModule().Database(), m_kind).load(m_dtBegDate->date(), m_dtEndDate->date());
        fillAccountGrid(m_dgBase, rows, columns(m_kind));
        if (m_dgBase->rowCount() > 0) m_dgBase->selectRow(0);
        return true;
    } catch (const db::Error& e) {
        // An empty list must never pass for accounts without balances.
        m_dgBase->setRowCount(0);
        messages().error(QStringLiteral("错误"), QStringLiteral("读取往来余额失败：") + e.message());
        return false;
    }
}

void TfrmBaseQueryWL::bitYesClick() { load(); }

void TfrmBaseQueryWL::dgBaseDblClick() {
    const int row = m_dgBase->currentRow();
    if (row < 0) return;
    const QString code = m_dgBase->item(row, 0) ? m_dgBase->item(row, 0)->text() : QString();
    const QString name = m_dgBase->item(row, 1) ? m_dgBase->item(row, 1)->text() : QString();
    std::unique_ptr<TfrmBaseWLList> statement;
    if (m_kind == db::AccountKind::Client) statement = std::make_unique<TfrmKHWLList>(this);
    else statement = std::make_unique<TfrmGYSWLList>(this);
    statement->setAccount(code, name, m_dtBegDate->date(), m_dtEndDate->date());
    modalRunner().run(*statement);
}

void TfrmBaseQueryWL::bitExitClick() { reject(); }

TfrmQyKHWL::TfrmQyKHWL(QWidget* parent) : TfrmBaseQueryWL(db::AccountKind::Client, parent) {}

TfrmQyGYSWL::TfrmQyGYSWL(QWidget* parent) : TfrmBaseQueryWL(db::AccountKind::Supplier, parent) {}
