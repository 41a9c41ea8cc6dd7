#include "reports/StatScreens.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/SalesStatistics.h"
#include "db/TfrmDM.h"
#include "reports/RadioGroup.h"
#include "reports/ResultGrid.h"
#include "reports/TfrmBaseReport.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

using report::Format;

// A date picker that takes every day the shop will see and never clamps one silently.
QDateEdit* datePicker(QWidget* parent, const QString& name) {
    auto* d = new QDateEdit(QDate::currentDate(), parent);
    // Wide enough that the whole date shows beside the calendar button.
    d->setMinimumWidth(112);
    d->setObjectName(name);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setCalendarPopup(true);
    d->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
    return d;
}

QSpinBox* monthBox(QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QStringLiteral("seMonth"));
    s->setRange(1, 12);
    s->setValue(1);
    // Wide enough for "12" beside the arrows whatever the style squeezes.
    s->setMinimumWidth(s->fontMetrics().horizontalAdvance(QStringLiteral("12")) + 44);
    return s;
}

LookupComboBox* categoryList(QWidget* parent) {
    auto* l = new LookupComboBox(parent, 0, 1);
    l->setObjectName(QStringLiteral("lcbType"));
    l->setMinimumWidth(140);
    l->load(frmDM().connection(), QStringLiteral("select FLNo, FLName from SPFLB order by FLNo"), 2);
    return l;
}

void addLabelled(QHBoxLayout* row, QWidget* parent, const QString& label, QWidget* w) {
    // The screen opens on its first condition, not on the buttons or the chart's options
    // that were built before the conditions.
    if (row->count() == 0) w->setFocus();
    row->addWidget(new QLabel(label, parent));
    row->addWidget(w);
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void fill(ResultGrid* grid, const db::StatTable& table) {
    grid->setResult(table.columns, std::vector<ReportDataset::Row>(table.rows.begin(), table.rows.end()));
}

}  // namespace

// ---- charts ----

TfrmStatSellOfDay::TfrmStatSellOfDay(QWidget* parent) : TfrmBaseStat(Bars, QStringLiteral("产品销售排行榜"), parent) {
    setObjectName(QStringLiteral("frmStatSellOfDay"));
    setWindowTitle(QStringLiteral("产品销售排行榜(按日)"));
    m_dtDate = datePicker(pnBaseHint(), QStringLiteral("dtDate"));
    m_lcbType = categoryList(pnBaseHint());
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("日期："), m_dtDate);
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("类型"), m_lcbType);
    inputRow()->addStretch(1);
}

bool TfrmStatSellOfDay::runOperation() { return frmDM().SelectTopSales(m_dtDate->date(), 0, 0, m_lcbType->keyValue()); }

TfrmStatSellOfMonth::TfrmStatSellOfMonth(QWidget* parent) : TfrmBaseStat(Bars, QStringLiteral("产品销售排行榜"), parent) {
    setObjectName(QStringLiteral("frmStatSellOfMonth"));
    setWindowTitle(QStringLiteral("产品销售排行榜(按月)"));
    m_seMonth = monthBox(pnBaseHint());
    m_lcbType = categoryList(pnBaseHint());
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("月份"), m_seMonth);
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("类型"), m_lcbType);
    inputRow()->addStretch(1);
}

bool TfrmStatSellOfMonth::runOperation() {
    return frmDM().SelectTopSales(QDate(), m_seMonth->value(), 1, m_lcbType->keyValue());
}

TfrmStatProductSell::TfrmStatProductSell(const QString& caption, QWidget* parent)
    : TfrmBaseStat(Line, QStringLiteral("单品销售分析"), parent) {
    setWindowTitle(caption);
    m_edProductNo = new QLineEdit(pnBaseHint());
    m_edProductNo->setObjectName(QStringLiteral("edProductNo"));
    m_edProductNo->setMaxLength(18);
    m_edProductName = new QLineEdit(pnBaseHint());
    m_edProductName->setObjectName(QStringLiteral("edProductName"));
    m_edProductName->setReadOnly(true);
    m_edProductName->setFocusPolicy(Qt::NoFocus);
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("商品编码"), m_edProductNo);
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("商品名称"), m_edProductName);
    connect(m_edProductNo, &QLineEdit::editingFinished, this, &TfrmStatProductSell::edProductNoExit);
}

void TfrmStatProductSell::edProductNoExit() {
    const QString code = m_edProductNo->text().trimmed();
    if (code.isEmpty()) return;
    bool found = false;
    try {
        found = frmDM().FindProduct(code);
    } catch (const db::Error& e) {
        messages().error(QStringLiteral("错误"), e.message());
        return;
    }
    if (found) {
        m_edProductNo->setText(frmDM().FoundProductNo);
        m_edProductName->setText(frmDM().FoundProductName);
        return;
    }
    m_edProductName->clear();
    messages().info(QStringLiteral("信息提示"), QStringLiteral("没有该商品信息！"));
    m_edProductNo->setFocus();
    m_edProductNo->selectAll();
}

int TfrmStatProductSell::firstDrawn(int listSize) const { return std::max(0, listSize - kPointsDrawn); }

TfrmStatProductSellOfDay::TfrmStatProductSellOfDay(QWidget* parent)
    : TfrmStatProductSell(QStringLiteral("单品销售分析（按日）"), parent) {
    setObjectName(QStringLiteral("frmStatProductSellOfDay"));
    m_dtDate = datePicker(pnBaseHint(), QStringLiteral("dtDate"));
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("日期"), m_dtDate);
    inputRow()->addStretch(1);
}

bool TfrmStatProductSellOfDay::runOperation() {
    return frmDM().SelectProductSales(m_edProductNo->text().trimmed(), m_dtDate->date(), 0, 0);
}

TfrmStatProductSellOfMonth::TfrmStatProductSellOfMonth(QWidget* parent)
    : TfrmStatProductSell(QStringLiteral("单品销售分析(按月)"), parent) {
    setObjectName(QStringLiteral("frmStatProductSellOfMonth"));
    m_seMonth = monthBox(pnBaseHint());
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("月份"), m_seMonth);
    inputRow()->addStretch(1);
}

bool TfrmStatProductSellOfMonth::runOperation() {
    return frmDM().SelectProductSales(m_edProductNo->text().trimmed(), QDate(), m_seMonth->value(), 1);
}

// ---- tables ----

TfrmBaseStatQuery::TfrmBaseStatQuery(QWidget* parent) : TfrmBase(parent) {
    m_body = new QVBoxLayout(pnBaseHint());
    m_inputs = new QHBoxLayout;
    m_body->addLayout(m_inputs);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* bitYes = button(pnBaseHint(), QStringLiteral("bitYes"), QStringLiteral("确定"));
    auto* bitPrint = button(pnBaseHint(), QStringLiteral("bitPrint"), QStringLiteral("打印"));
    auto* bitClose = button(pnBaseHint(), QStringLiteral("bitClose"), QStringLiteral("退出"));
    for (QPushButton* b : {bitYes, bitPrint, bitClose}) buttons->addWidget(b);
    m_body->addLayout(buttons);
    connect(bitYes, &QPushButton::clicked, this, [this] { bitYesClick(); });
    connect(bitPrint, &QPushButton::clicked, this, [this] { bitPrintClick(); });
    connect(bitClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 560);
}

void TfrmBaseStatQuery::reportError(const std::exception& e) {
    const auto* dbError = dynamic_cast<const db::Error*>(&e);
    messages().error(QStringLiteral("错误"), dbError ? dbError->message() : QString::fromUtf8(e.what()));
}

TfrmSellsStat::TfrmSellsStat(QWidget* parent) : TfrmBaseStatQuery(parent) {
    setObjectName(QStringLiteral("frmSellsStat"));
    setWindowTitle(QStringLiteral("销售业绩统计查询"));
    m_dtBegDate = datePicker(pnBaseHint(), QStringLiteral("dtBegDate"));
    m_dtEndDate = datePicker(pnBaseHint(), QStringLiteral("dtEndDate"));
    m_rgType = new RadioGroup(QStringLiteral("rgType"), QString(), {QStringLiteral("部门"), QStringLiteral("个人")}, 1, pnBaseHint());
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("起止期"), m_dtBegDate);
    inputRow()->addWidget(m_dtEndDate);
    inputRow()->addWidget(m_rgType);
    inputRow()->addStretch(1);
    m_grid = new ResultGrid({{QStringLiteral("编号"), QStringLiteral("offno"), Format::Plain, 60},
                             {QStringLiteral("名称"), QStringLiteral("NAME"), Format::Plain, 110},
                             {QStringLiteral("数量"), QStringLiteral("XSSL"), Format::Quantity, 80},
                             {QStringLiteral("金额"), QStringLiteral("XSJE"), Format::Money, 110, GridTint::ActiveCaptionGradient},
                             {QStringLiteral("销售成本"), QStringLiteral("ZJE"), Format::Money, 110, GridTint::TooltipBackground},
                             {QStringLiteral("利润"), QStringLiteral("lr"), Format::Money, 110, GridTint::MoneyGreen}},
                            pnBaseHint());
    m_grid->setObjectName(QStringLiteral("dgSellsStat"));
    body()->addWidget(m_grid, 1);
}

void TfrmSellsStat::bitYesClick() {
    m_grid->clearResult();
    try {
        fill(m_grid, db::SalesStatistics(frmDM().connection()).sellsStat(m_dtBegDate->date(), m_dtEndDate->date(), m_rgType->code()));
    } catch (const db::Error& e) {
        reportError(e);
    }
}

void TfrmSellsStat::bitPrintClick() {
    if (!m_grid->isOpen()) {
        messages().info(QStringLiteral("信息提示"), QStringLiteral("没有数据，请检查后再操作！"));
        return;
    }
    TfrmBaseReport report(QStringLiteral("TfrmRepyjbb"), this);
    report.setDataset(m_grid->dataset());
    report.preview();
}

TfrmQyDaySell::TfrmQyDaySell(QWidget* parent) : TfrmBaseStatQuery(parent) {
    setObjectName(QStringLiteral("frmQyDaySell"));
    setWindowTitle(QStringLiteral("日销售分析"));
    m_dtBegDate = datePicker(pnBaseHint(), QStringLiteral("dtBegDate"));
    m_dtEndDate = datePicker(pnBaseHint(), QStringLiteral("dtEndDate"));
    m_rgType = new RadioGroup(QStringLiteral("rgType"), QString(),
                              {QStringLiteral("全部"), QStringLiteral("包销"), QStringLiteral("代销")}, 0, pnBaseHint());
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("起期"), m_dtBegDate);
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("止期"), m_dtEndDate);
    inputRow()->addWidget(m_rgType);
    inputRow()->addStretch(1);
    m_grid = new ResultGrid({{QStringLiteral("日期"), QStringLiteral("CZDATE"), Format::Plain, 90},
                             {QStringLiteral("类别"), QStringLiteral("FLNAME"), Format::Plain, 110},
                             {QStringLiteral("销售额"), QStringLiteral("XSJE"), Format::Money, 110},
                             {QStringLiteral("成本"), QStringLiteral("ZJE"), Format::Money, 110},
                             {QStringLiteral("毛利润"), QStringLiteral("MLJE"), Format::Money, 110, GridTint::SkyBlue}},
                            pnBaseHint());
    m_grid->setObjectName(QStringLiteral("dgDaySell"));
    body()->addWidget(m_grid, 1);
}

void TfrmQyDaySell::bitYesClick() {
    m_grid->clearResult();
    try {
        fill(m_grid, db::SalesStatistics(frmDM().connection()).daySell(m_dtBegDate->date(), m_dtEndDate->date(), m_rgType->code()));
    } catch (const db::Error& e) {
        reportError(e);
    }
}

void TfrmQyDaySell::bitPrintClick() {
    if (!m_grid->isOpen()) {
        messages().info(QStringLiteral("信息提示"), QStringLiteral("没有数据，请检查后再操作！"));
        return;
    }
    TfrmBaseReport report(QStringLiteral("TfrmReprxsfx"), this);
    report.setDataset(m_grid->dataset());
    report.preview();
}

TfrmQYcsxsfx::TfrmQYcsxsfx(QWidget* parent) : TfrmBaseStatQuery(parent) {
    setObjectName(QStringLiteral("frmQYcsxsfx"));
    setWindowTitle(QStringLiteral("厂商销售查询"));
    m_begdate1 = datePicker(pnBaseHint(), QStringLiteral("begdate1"));
    m_enddate1 = datePicker(pnBaseHint(), QStringLiteral("enddate1"));
    m_rgType = new RadioGroup(QStringLiteral("rgType"), QString(),
                              {QStringLiteral("包销"), QStringLiteral("代销"), QStringLiteral("全部")}, 2, pnBaseHint());
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("起期"), m_begdate1);
    addLabelled(inputRow(), pnBaseHint(), QStringLiteral("止期"), m_enddate1);
    inputRow()->addWidget(m_rgType);
    inputRow()->addStretch(1);
    m_DBcsxs = new ResultGrid({{QStringLiteral("厂商编号"), QStringLiteral("CSNO"), Format::Plain, 70},
                               {QStringLiteral("厂商名称"), QStringLiteral("csname"), Format::Plain, 170},
                               {QStringLiteral("销售金额"), QStringLiteral("xsje"), Format::Money, 100, GridTint::ActiveCaptionGradient}},
                              pnBaseHint());
    m_DBcsxs->setObjectName(QStringLiteral("DBcsxs"));
    m_DBspxs = new ResultGrid({{QStringLiteral("商品编号"), QStringLiteral("SPNO"), Format::Plain, 100},
                               {QStringLiteral("商品名称"), QStringLiteral("SPname"), Format::Plain, 150},
                               {QStringLiteral("销售金额"), QStringLiteral("xsje"), Format::Money, 100, GridTint::MoneyGreen}},
                              pnBaseHint());
    m_DBspxs->setObjectName(QStringLiteral("DBspxs"));
    auto* grids = new QHBoxLayout;
    grids->addWidget(m_DBcsxs, 1);
    grids->addWidget(m_DBspxs, 1);
    body()->addLayout(grids, 1);
    connect(m_DBcsxs, &QTableView::doubleClicked, this, &TfrmQYcsxsfx::DBcsxsDblClick);
}

void TfrmQYcsxsfx::bitYesClick() {
    m_DBcsxs->clearResult();
    try {
        fill(m_DBcsxs, db::SalesStatistics(frmDM().connection()).sellsMoney(m_begdate1->date(), m_enddate1->date(), m_rgType->code()));
    } catch (const db::Error& e) {
        reportError(e);
    }
}

void TfrmQYcsxsfx::DBcsxsDblClick() {
    const int row = m_DBcsxs->currentIndex().row();
    if (!m_DBcsxs->isOpen() || row < 0) return;
    const QString supplier = m_DBcsxs->dataset().value(row, QStringLiteral("CSNO")).toString();
    m_DBspxs->clearResult();
    try {
        fill(m_DBspxs, db::SalesStatistics(frmDM().connection())
                           .productSellsMoney(m_begdate1->date(), m_enddate1->date(), supplier, m_rgType->code()));
    } catch (const db::Error& e) {
        reportError(e);
    }
}

void TfrmQYcsxsfx::bitPrintClick() {
    // The printout sums every sale mode of the period and needs no "确定" first.
    TfrmBaseReport report(QStringLiteral("TfrmRepcsxscx"), this);
    report.setLabel(QStringLiteral("lbBegDate"), m_begdate1->date().toString(QStringLiteral("yyyy-MM-dd")));
    report.setLabel(QStringLiteral("lbEndDate"), m_enddate1->date().toString(QStringLiteral("yyyy-MM-dd")));
    report.setParam(QStringLiteral(":begdate1"), m_begdate1->date());
    report.setParam(QStringLiteral(":enddate1"), m_enddate1->date());
    if (!report.open()) return;
    report.preview();
}
