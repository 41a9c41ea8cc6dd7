#include "accounts/TfrmBaseWLList.h"

#include "accounts/AccountGrid.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/TfrmBaseDataModule.h"
#include "reports/TfrmBaseReport.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using report::Format;

const std::vector<GridColumn>& ledgerColumns(db::AccountKind kind) {
    static const std::vector<GridColumn> clients = {
        {"编号", "JSNO", Format::Plain, 120},   {"摘要", "ZY", Format::Plain, 150},   {"凭证号码", "PZHM", Format::Plain, 90},
        {"单据号码", "DJBH", Format::Plain, 120}, {"借方", "JF", Format::Money, 80},   {"贷方", "DF", Format::Money, 80},
        {"借/贷", "JD", Format::Plain, 44},     {"余额", "YE", Format::Money, 90},    {"操作日期", "CZRQ", Format::Plain, 140}};
    static const std::vector<GridColumn> suppliers = {
        {"编号", "JSNO", Format::Plain, 120},   {"摘要", "ZY", Format::Plain, 150},   {"凭证号码", "PZHM", Format::Plain, 90},
        {"单据编号", "DJBH", Format::Plain, 120}, {"借方", "JF", Format::Money, 80},   {"贷方", "DF", Format::Money, 80},
        {"借贷", "JD", Format::Plain, 44},      {"余额", "YE", Format::Money, 90},    {"操作日期", "CZRQ", Format::Plain, 140}};
    return kind == db::AccountKind::Client ? clients : suppliers;
}

const std::vector<GridColumn>& goodsColumns(db::AccountKind kind) {
    static const std::vector<GridColumn> clients = {
        {"编号", "XSNO", Format::Plain, 120},     {"商品编号", "SPNO", Format::Plain, 110}, {"商品名称", "SPNAME", Format::Plain, 160},
        {"单位", "JLDW", Format::Plain, 44},      {"数量", "SPSL", Format::Quantity, 64},   {"单价", "SPDJ", Format::Money, 74},
        {"金额", "ZJE", Format::Money, 84},       {"操作日期", "XSDATE", Format::Plain, 140}};
    static const std::vector<GridColumn> suppliers = {
        {"编号", "JHDNO", Format::Plain, 120},    {"单据号", "JHNO", Format::Plain, 90},    {"单据日期", "DJDATE", Format::Date, 84},
        {"经办人", "NAME", Format::Plain, 60},    {"商品编号", "SPNO", Format::Plain, 100}, {"商品名称", "SPNAME", Format::Plain, 130},
        {"单位", "JSDW", Format::Plain, 44},      {"数量", "SL", Format::Quantity, 60},     {"单价", "DJ", Format::Money, 70},
        {"总金额", "ZJE", Format::Money, 80},     {"操作日期", "CZDATE", Format::Plain, 140}, {"备注", "BZ", Format::Plain, 120}};
    return kind == db::AccountKind::Client ? clients : suppliers;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setMinimumSize(80, 30);
    return b;
}

QDateEdit* datePicker(QWidget* parent, const char* name) {
    auto* d = new QDateEdit(QDate::currentDate(), parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return d;
}

}  // namespace

TfrmBaseWLList::TfrmBaseWLList(db::AccountKind kind, QWidget* parent) : TfrmBase(parent), m_kind(kind) {
    const bool clients = kind == db::AccountKind::Client;
    setObjectName(clients ? QStringLiteral("frmKHWLList") : QStringLiteral("frmGYSWLList"));
    setWindowTitle(clients ? QStringLiteral("客户往来数据") : QStringLiteral("厂商往来明细数据"));
    resize(960, 620);
    QWidget* p = pnBaseHint();
    auto* root = new QVBoxLayout(p);
    m_pcWL = new QTabWidget(p);
    m_pcWL->setObjectName(QStringLiteral("pcWL"));
    auto page = [this](const char* name, const QString& title, QTableWidget* grid) {
        auto* sheet = new QWidget(m_pcWL);
        sheet->setObjectName(QString::fromLatin1(name));
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(2, 2, 2, 2);
        grid->setParent(sheet);
        layout->addWidget(grid);
        m_pcWL->addTab(sheet, title);
    };
    m_dgWL = accountGrid(p, "dgWL", ledgerColumns(kind));
    m_dgSJ = accountGrid(p, "dgSJ", goodsColumns(kind));
    page("tsWLMX", QStringLiteral("往来帐明细"), m_dgWL);
    page("tsSJMX", QStringLiteral("数据明细"), m_dgSJ);
    root->addWidget(m_pcWL, 1);

    auto* bar = new QHBoxLayout;
    m_dtBegDate = datePicker(p, "dtBegDate");
    m_dtEndDate = datePicker(p, "dtEndDate");
    m_bitYes = button(p, "bitYes", QStringLiteral("确定"));
    m_BitBtn1 = button(p, "BitBtn1", QStringLiteral("打印"));
    m_bitExit = button(p, "bitExit", QStringLiteral("关闭"));
    bar->addWidget(new QLabel(QStringLiteral("起期"), p));
    bar->addWidget(m_dtBegDate);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("止期"), p));
    bar->addWidget(m_dtEndDate);
    bar->addStretch();
    for (QPushButton* b : {m_bitYes, m_BitBtn1, m_bitExit}) bar->addWidget(b);
    root->addLayout(bar);

    connect(m_bitYes, &QPushButton::clicked, this, &TfrmBaseWLList::bitYesClick);
    connect(m_BitBtn1, &QPushButton::clicked, this, &TfrmBaseWLList::BitBtn1Click);
    connect(m_bitExit, &QPushButton::clicked, this, &TfrmBaseWLList::bitExitClick);
}

void TfrmBaseWLList::setAccount(const QString& accountNo, const QString& accountName, const QDate& begin, const QDate& end) {
    m_accountNo = accountNo.trimmed();
    m_accountName = accountName;
    m_dtBegDate->setDate(begin);
    m_dtEndDate->setDate(end);
}

AccountStatement TfrmBaseWLList::statement() const {
    return AccountStatement(m_kind, m_accountNo, m_dtBegDate->date(), m_dtEndDate->date());
}

void TfrmBaseWLList::showEvent(QShowEvent* event) {
    TfrmBase::showEvent(event);
    bitYesClick();
}

void TfrmBaseWLList::bitYesClick() {
    const AccountStatement s = statement();
    try {
        db::Connection& c = frmBaseDataModule().Database();
        const ReportDataset ledger = s.ledgerRows(c);
        const ReportDataset goods = s.goodsRows(c);
        fillAccountGrid(m_dgWL, ledger, ledgerColumns(m_kind));
        fillAccountGrid(m_dgSJ, goods, goodsColumns(m_kind));
    } catch (const db::Error& e) {
        // An empty statement must never pass for an account without postings.
        m_dgWL->setRowCount(0);
        m_dgSJ->setRowCount(0);
        messages().error(QStringLiteral("错误"), QStringLiteral("读取往来明细失败：") + e.message());
    }
}

void TfrmBaseWLList::BitBtn1Click() {
    const AccountStatement s = statement();
    const bool ledgerPage = m_pcWL->currentIndex() == 0;
    TfrmBaseReport report(ledgerPage ? s.ledgerReport() : s.goodsReport(), this);
    report.setStatement(ledgerPage ? s.ledgerSql() : s.goodsSql(), ledgerPage ? s.ledgerParams() : s.goodsParams());
    report.setLabel(QStringLiteral("lbUnit"), m_accountName);
    report.setLabel(QStringLiteral("lbBegDate"), m_dtBegDate->date().toString(QStringLiteral("yyyy-MM-dd")));
    report.setLabel(QStringLiteral("lbEndDate"), m_dtEndDate->date().toString(QStringLiteral("yyyy-MM-dd")));
    report.preview();
}

void TfrmBaseWLList::bitExitClick() { reject(); }

TfrmKHWLList::TfrmKHWLList(QWidget* parent) : TfrmBaseWLList(db::AccountKind::Client, parent) {}

TfrmGYSWLList::TfrmGYSWLList(QWidget* parent) : TfrmBaseWLList(db::AccountKind::Supplier, parent) {}
