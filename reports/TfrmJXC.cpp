#include "reports/TfrmJXC.h"

#include "app/MessageService.h"
#include "db/Error.h"
#include "db/StockSummary.h"
#include "db/TfrmDM.h"
#include "reports/ResultGrid.h"
#include "reports/TfrmBaseReport.h"
#include "reports/TfrmRepJXCList.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

using report::Format;

std::vector<GridColumn> summaryColumns() {
    const QStringList& names = db::StockSummary::columnNames();
    const QStringList titles = {QStringLiteral("商品编号"), QStringLiteral("商品名称"), QStringLiteral("结转单价"),
                                QStringLiteral("结转数量"), QStringLiteral("结转金额"), QStringLiteral("入库数量"),
                                QStringLiteral("入库金额"), QStringLiteral("销售数量"), QStringLiteral("销售成本"),
                                QStringLiteral("退货数量"), QStringLiteral("退货金额"), QStringLiteral("报损数量"),
                                QStringLiteral("报损金额"), QStringLiteral("结存数量"), QStringLiteral("结存金额")};
    const int widths[] = {68, 94, 67, 55, 84, 53, 97, 50, 75, 55, 82, 50, 74, 50, 96};
    const QColor tints[] = {{}, {}, {}, {}, GridTint::ActiveCaptionGradient, {}, GridTint::ActiveCaptionGradient, {},
                            GridTint::MoneyGreen, {}, GridTint::MoneyGreen, {}, GridTint::MoneyGreen, {},
                            GridTint::TooltipBackground};
    std::vector<GridColumn> columns;
    for (int i = 0; i < names.size(); ++i) {
        const Format f = i < 2 ? Format::Plain : (i == 2 || i % 2 == 0) ? Format::Money : Format::Quantity;
        columns.push_back({titles[i], names[i], f, widths[i], tints[i]});
    }
    return columns;
}

QSpinBox* dateBox(QWidget* parent, const QString& name, int min, int max, const QString& suffix) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(min, max);
    box->setSuffix(suffix);
    return box;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void showDate(const QDate& d, QSpinBox* y, QSpinBox* m, QSpinBox* day) {
    // A box holds the nearest end of its range rather than a year outside it: say so instead.
    if (d.year() < y->minimum() || d.year() > y->maximum())
        throw db::Error(QStringLiteral("结转期间的年份 %1 超出范围").arg(d.year()));
    y->setValue(d.year());
    m->setValue(d.month());
    day->setValue(d.day());
}

}  // namespace

TfrmJXC::TfrmJXC(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmJXC"));
    setWindowTitle(QStringLiteral("进销存查询--选中一列，按F4可删除该列!"));
    ColWidths.fill(0, TfrmRepJXCList::kColumns);
    ColRemoved.fill(false, TfrmRepJXCList::kColumns);

    auto* layout = new QVBoxLayout(pnBaseHint());
    auto* dates = new QHBoxLayout;
    // Every year the shop will see: the range never clamps a period's date.
    m_seBegYear = dateBox(pnBaseHint(), QStringLiteral("seBegYear"), 1900, 9999, QStringLiteral(" 年"));
    m_seBegMonth = dateBox(pnBaseHint(), QStringLiteral("seBegMonth"), 1, 12, QStringLiteral(" 月"));
    m_seBegDay = dateBox(pnBaseHint(), QStringLiteral("seBegDay"), 1, 31, QStringLiteral(" 日"));
    m_seEndYear = dateBox(pnBaseHint(), QStringLiteral("seEndYear"), 1900, 9999, QStringLiteral(" 年"));
    m_seEndMonth = dateBox(pnBaseHint(), QStringLiteral("seEndMonth"), 1, 12, QStringLiteral(" 月"));
    m_seEndDay = dateBox(pnBaseHint(), QStringLiteral("seEndDay"), 1, 31, QStringLiteral(" 日"));
    for (QSpinBox* b : {m_seBegYear, m_seBegMonth, m_seBegDay}) b->setEnabled(false);
    dates->addWidget(new QLabel(QStringLiteral("结转起期"), pnBaseHint()));
    for (QSpinBox* b : {m_seBegYear, m_seBegMonth, m_seBegDay}) dates->addWidget(b);
    dates->addSpacing(16);
    dates->addWidget(new QLabel(QStringLiteral("结转止期"), pnBaseHint()));
    for (QSpinBox* b : {m_seEndYear, m_seEndMonth, m_seEndDay}) dates->addWidget(b);
    dates->addStretch(1);
    auto* bitYes = button(pnBaseHint(), QStringLiteral("bitYes"), QStringLiteral("确定"));
    auto* bitPrint = button(pnBaseHint(), QStringLiteral("bitPrint"), QStringLiteral("打印"));
    auto* bitPreview = button(pnBaseHint(), QStringLiteral("bitPreview"), QStringLiteral("预览"));
    auto* bitSel = button(pnBaseHint(), QStringLiteral("bitSel"), QStringLiteral("删除"));
    auto* bitClose = button(pnBaseHint(), QStringLiteral("bitClose"), QStringLiteral("退出"));
    bitSel->setVisible(false);
    for (QPushButton* b : {bitYes, bitPrint, bitPreview, bitSel, bitClose}) dates->addWidget(b);
    layout->addLayout(dates);
    m_dgJXC = new ResultGrid(summaryColumns(), pnBaseHint());
    m_dgJXC->setObjectName(QStringLiteral("dgJXC"));
    layout->addWidget(m_dgJXC, 1);

    connect(bitYes, &QPushButton::clicked, this, &TfrmJXC::bitYesClick);
    connect(bitPrint, &QPushButton::clicked, this, &TfrmJXC::bitPrintClick);
    connect(bitPreview, &QPushButton::clicked, this, &TfrmJXC::bitPreviewClick);
    connect(bitSel, &QPushButton::clicked, this, &TfrmJXC::bitSelClick);
    connect(bitClose, &QPushButton::clicked, this, &QDialog::reject);

    // A period that cannot be read fails the creation; the shell reports it.
    const QDate begin = QDate::fromString(frmDM().GetCheckedDate(QStringLiteral("beg")), QStringLiteral("yyyy-MM-dd"));
    const QDate end = QDate::fromString(frmDM().GetCheckedDate(QStringLiteral("end")), QStringLiteral("yyyy-MM-dd"));
    if (!begin.isValid() || !end.isValid()) throw db::Error(QStringLiteral("结转期间的日期不正确"));
    showDate(begin, m_seBegYear, m_seBegMonth, m_seBegDay);
    showDate(end, m_seEndYear, m_seEndMonth, m_seEndDay);
    resize(1000, 640);
}

void TfrmJXC::bitYesClick() {
    const QDate begin(m_seBegYear->value(), m_seBegMonth->value(), m_seBegDay->value());
    const QDate end(m_seEndYear->value(), m_seEndMonth->value(), m_seEndDay->value());
    m_dgJXC->clearResult();
    if (!begin.isValid() || !end.isValid()) {
        messages().error(QStringLiteral("错误"), QStringLiteral("结转止期不是有效的日期，请检查后再操作！"));
        m_seEndDay->setFocus();
        return;
    }
    try {
        const std::vector<db::SummaryRow> rows = db::StockSummary(frmDM().connection()).rows(begin, end);
        std::vector<ReportDataset::Row> out;
        out.reserve(rows.size());
        for (const db::SummaryRow& r : rows)
            out.push_back({r.productNo, r.productName, QVariant::fromValue(r.balaPrice), r.balaCount,
                           QVariant::fromValue(r.balaMoney), r.inCount, QVariant::fromValue(r.inMoney), r.saleCount,
                           QVariant::fromValue(r.saleMoney), r.retuCount, QVariant::fromValue(r.retuMoney), r.bsCount,
                           QVariant::fromValue(r.bsMoney), r.storeCount, QVariant::fromValue(r.storeMoney)});
        m_dgJXC->setResult(db::StockSummary::columnNames(), std::move(out));
    } catch (const db::Error& e) {
        messages().error(QStringLiteral("错误"), e.message());
    }
}

void TfrmJXC::bitSelClick() {
    const int column = m_dgJXC->currentIndex().column();
    if (column < 0 || column >= TfrmRepJXCList::kColumns) return;
    m_dgJXC->hideColumn(column);
    ColRemoved[column] = true;
}

void TfrmJXC::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier) {
        bitSelClick();
        return;
    }
    TfrmBase::keyPressEvent(event);
}

report::LaidOutReport TfrmJXC::buildPages(bool firstPageOnly) {
    RowCount = m_dgJXC->rowCount();
    for (int i = 0; i < TfrmRepJXCList::kColumns; ++i)
        ColWidths[i] = ColRemoved[i] ? 0 : m_dgJXC->horizontalHeader()->sectionSize(i);
    RowsOnPage = PageRows;
    PageCount = (RowCount + PageRows - 1) / PageRows;
    if (firstPageOnly) PageCount = std::min(PageCount, 1);
    const int printed = std::min(RowCount, PageCount * PageRows);
    std::vector<QStringList> texts;
    texts.reserve(size_t(printed));
    for (int r = 0; r < printed; ++r) {
        QStringList row;
        for (int c = 0; c < TfrmRepJXCList::kColumns; ++c) row << (ColRemoved[c] ? QString() : m_dgJXC->cellText(r, c));
        texts.push_back(std::move(row));
    }
    PageNo = PageCount;
    if (PageCount > 0) RowsOnPage = RowCount < PageCount * PageRows ? RowCount - (PageCount - 1) * PageRows : PageRows;
    return TfrmRepJXCList::pages(texts, ColWidths, PageRows, PageCount);
}

void TfrmJXC::printPages(bool preview) {
    if (!m_dgJXC->isOpen() || m_dgJXC->rowCount() == 0) return;
    m_dgJXC->setVisible(false);
    report::LaidOutReport laid = buildPages(preview);
    TfrmBaseReport report(TfrmRepJXCList::definition(ColWidths), this);
    report.setPages(std::move(laid));
    if (preview) report.preview();
    else report.print();
    m_dgJXC->setVisible(true);
    // The result's current row is left after the last row printed.
    const int last = std::min(RowCount, PageCount * PageRows) - 1;
    if (last >= 0) m_dgJXC->setCurrentIndex(m_dgJXC->model()->index(last, 0));
}

void TfrmJXC::bitPrintClick() { printPages(false); }
void TfrmJXC::bitPreviewClick() { printPages(true); }
