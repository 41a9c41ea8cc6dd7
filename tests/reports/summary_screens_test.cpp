#include "DbTest.h"
#include "GuiTest.h"
#include "ReportFixture.h"
#include "../db/SummaryShop.h"

#include "app/LookupComboBox.h"
#include "reports/StatScreens.h"
#include "reports/TfrmBaseReport.h"
#include "reports/TfrmJXC.h"
#include "reports/TfrmMonthBala.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>

using summary_shop::s;

namespace {

void periodFrom(db::Connection& c, const char* lastEnd) {
    db::Statement st(c, s("UPDATE sysvariable SET vrvalue = :v WHERE vrname = 'BalaEndDate'"));
    st.bind(s(":v"), s(lastEnd)).exec();
}

// `n` more products, each received once, so the summary has n + 2 rows.
void moreProducts(db::Connection& c, int n) {
    summary_shop::on(c, 3, 3);
    for (int i = 0; i < n; ++i) {
        const QString no = s("Z%1").arg(i, 3, 10, QLatin1Char('0'));
        db::Statement p(c, s("INSERT INTO SPB(SPNO, SPNAME, SPDW, CBJG) VALUES(:no, :no2, '个', 1)"));
        p.bind(s(":no"), no).bind(s(":no2"), no).exec();
        summary_shop::receive(c, no, 1, "1");
    }
}

// The texts of the page's title line that carries "页数：": page number and page count.
QStringList pageLine(const report::Page& page) {
    double y = -1;
    for (const auto& op : page.ops)
        if (op.kind == report::DrawOp::Text && op.text == s("页数：")) y = op.box.top();
    QStringList out;
    for (const auto& op : page.ops)
        if (op.kind == report::DrawOp::Text && qFuzzyCompare(op.box.top() + 1, y + 1)) out << op.text;
    return out;
}

bool hasText(const report::Page& page, const QString& text) {
    for (const auto& op : page.ops)
        if (op.kind == report::DrawOp::Text && op.text == text) return true;
    return false;
}

double leftOf(const report::Page& page, const QString& text) {
    for (const auto& op : page.ops)
        if (op.kind == report::DrawOp::Text && op.text == text) return op.box.left();
    return -1;
}

}  // namespace

class SummaryScreensTest : public DbTest {
protected:
    GuiSeams seams;
};

TEST_P(SummaryScreensTest, summaryShowsThePeriodAndPrintsTwentyRowsAPage) {
    summary_shop::install(db());
    periodFrom(db(), "2024-02-29");
    TfrmJXC screen;
    screen.show();
    auto* begYear = screen.control<QSpinBox>(s("seBegYear"));
    EXPECT_FALSE(begYear->isEnabled());
    EXPECT_EQ(begYear->value(), 2024);
    EXPECT_EQ(screen.control<QSpinBox>(s("seBegMonth"))->value(), 3);
    EXPECT_TRUE(screen.control<QSpinBox>(s("seEndDay"))->isEnabled());
    EXPECT_EQ(screen.control<QSpinBox>(s("seEndDay"))->value(), 31);

    QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
    auto* grid = screen.control<QTableView>(s("dgJXC"));
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->index(0, 4).data().toString(), s("25.00"));   // an amount with two decimals
    EXPECT_EQ(grid->model()->index(0, 3).data().toString(), s("10"));      // a quantity as it is
    EXPECT_EQ(grid->model()->index(1, 13).data().toString(), s("3.5"));

    // An impossible end date reports and leaves no rows.
    screen.control<QSpinBox>(s("seEndMonth"))->setValue(4);
    QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_EQ(seams.recorder.shown.size(), 1u);
}

TEST_P(SummaryScreensTest, pagesAreNumberedAndRemovedOrWidenedColumnsPrintSo) {
    summary_shop::install(db());
    moreProducts(db(), 43);
    periodFrom(db(), "2024-02-29");
    TfrmJXC screen;
    screen.show();
    QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
    auto* grid = screen.control<QTableView>(s("dgJXC"));
    ASSERT_EQ(grid->model()->rowCount(), 45);

    const auto all = screen.buildPages(false);
    ASSERT_EQ(all.pages.size(), 3u);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(pageLine(all.pages[size_t(p)]),
                  (QStringList{s("页数："), QString::number(p + 1), s("页"), s("共计："), s("3"), s("页")}));
    EXPECT_EQ(screen.RowsOnPage, 5);
    EXPECT_TRUE(hasText(all.pages[2], s("Z042")));
    EXPECT_FALSE(hasText(all.pages[1], s("Z042")));
    const auto preview = screen.buildPages(true);
    ASSERT_EQ(preview.pages.size(), 1u);
    EXPECT_EQ(pageLine(preview.pages[0]), (QStringList{s("页数："), s("1"), s("页"), s("共计："), s("1"), s("页")}));

    // Widen the name by 30 pixels: the columns after it move right on paper by as much.
    const double before = leftOf(all.pages[0], s("结转单价"));
    grid->horizontalHeader()->resizeSection(1, grid->horizontalHeader()->sectionSize(1) + 30);
    EXPECT_NEAR(leftOf(screen.buildPages(true).pages[0], s("结转单价")) - before, report::pxToMm(30), 0.01);

    // F4 on the name column: hidden on screen, printed with no width and no text.
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTest::keyClick(&screen, Qt::Key_F4);
    EXPECT_TRUE(grid->isColumnHidden(1));
    EXPECT_TRUE(screen.ColRemoved[1]);
    const auto trimmed = screen.buildPages(true);
    EXPECT_EQ(screen.ColWidths[1], 0);
    EXPECT_FALSE(hasText(trimmed.pages[0], s("商品名称")));
    EXPECT_FALSE(hasText(trimmed.pages[0], s("甲商品")));
    EXPECT_NEAR(leftOf(trimmed.pages[0], s("结转单价")), leftOf(all.pages[0], s("商品名称")), 0.3);
}

TEST_P(SummaryScreensTest, monthEndRunsOnceAndSaysWhyASecondRunIsRefused) {
    summary_shop::install(db());
    periodFrom(db(), "2024-02-29");
    summary_shop::on(db(), 4, 5);
    TfrmMonthBala screen;
    screen.show();
    EXPECT_FALSE(screen.control<QSpinBox>(s("seEndDay"))->isEnabled());
    auto* save = screen.control<QPushButton>(s("bitSave"));
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(seams.recorder.lastText(), s("数据已成功保存！"));
    EXPECT_EQ(count(s("YZJZSJB")), 1);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_TRUE(seams.recorder.lastText().contains(s("不能重复结转")));
    EXPECT_EQ(count(s("YZJZSJB")), 1);
    EXPECT_EQ(count(s("YZJZMXB")), 2);
}

TEST_P(SummaryScreensTest, bestSellerChartDrawsTheFirstFiveByTheChosenFigure) {
    summary_shop::statsShop(db());
    TfrmStatSellOfDay screen;
    screen.show();
    screen.control<QDateEdit>(s("dtDate"))->setDate(QDate(2024, 3, 15));
    screen.control<LookupComboBox>(s("lcbType"))->setKeyValue(s("01"));
    QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
    ASSERT_EQ(screen.chart()->series().size(), 1);
    auto* bars = qobject_cast<QBarSeries*>(screen.chart()->series().front());
    ASSERT_TRUE(bars);
    const QBarSet* set = bars->barSets().front();
    ASSERT_EQ(set->count(), 5);
    EXPECT_EQ((QList<double>{set->at(0), set->at(1), set->at(2), set->at(3), set->at(4)}), (QList<double>{12, 11, 9, 9, 8}));

    screen.control<QRadioButton>(s("rgStatType1"))->setChecked(true);   // 销售额: the order stays the quantity's
    QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
    set = qobject_cast<QBarSeries*>(screen.chart()->series().front())->barSets().front();
    EXPECT_EQ(set->at(0), 24);
    EXPECT_EQ(screen.StatData[0][2].caption, s("商品09"));

    // A day without sales: the message, and the chart as it was.
    screen.control<QDateEdit>(s("dtDate"))->setDate(QDate(2024, 3, 16));
    QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
    EXPECT_EQ(seams.recorder.lastText(), s("没有该时间段信息！"));
    EXPECT_EQ(screen.StatData[0][0].value, 24);
}

TEST_P(SummaryScreensTest, productChartChecksTheCodeAndDrawsItsDays) {
    summary_shop::statsShop(db());
    TfrmStatProductSellOfDay screen;
    screen.show();
    auto* code = screen.control<QLineEdit>(s("edProductNo"));
    code->setFocus();
    QTest::keyClicks(code, s("NONE"));
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(seams.recorder.lastText(), s("没有该商品信息！"));
    code->selectAll();
    QTest::keyClicks(code, s("P05"));
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(screen.control<QLineEdit>(s("edProductName"))->text(), s("商品05"));
    screen.control<QDateEdit>(s("dtDate"))->setDate(QDate(2024, 3, 15));
    QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
    auto* line = qobject_cast<QLineSeries*>(screen.chart()->series().front());
    ASSERT_TRUE(line);
    ASSERT_EQ(line->count(), 5);
    EXPECT_EQ(line->at(2).y(), 5);   // 15 March, after 5 and 10 March
    EXPECT_EQ(line->at(3).y(), 0);   // positions beyond the rows are empty
    EXPECT_EQ(screen.StatData[0][0].caption, s("3-5"));
}

TEST_P(SummaryScreensTest, tableScreensShowTheirRowsAndPrintOnlyAnOpenResult) {
    summary_shop::statsShop(db());
    {
        TfrmSellsStat screen;
        screen.show();
        QTest::mouseClick(screen.control<QPushButton>(s("bitPrint")), Qt::LeftButton);
        EXPECT_EQ(seams.recorder.lastText(), s("没有数据，请检查后再操作！"));
        EXPECT_EQ(seams.runner.opened, 0);
        screen.control<QDateEdit>(s("dtBegDate"))->setDate(QDate(2024, 3, 1));
        screen.control<QDateEdit>(s("dtEndDate"))->setDate(QDate(2024, 3, 31));
        QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
        EXPECT_EQ(screen.control<QTableView>(s("dgSellsStat"))->model()->rowCount(), 2);
        QTest::mouseClick(screen.control<QPushButton>(s("bitPrint")), Qt::LeftButton);
        EXPECT_EQ(seams.runner.opened, 1);
    }
    {
        TfrmQYcsxsfx screen;
        screen.show();
        screen.control<QDateEdit>(s("begdate1"))->setDate(QDate(2024, 3, 15));
        screen.control<QDateEdit>(s("enddate1"))->setDate(QDate(2024, 3, 15));
        QTest::mouseClick(screen.control<QPushButton>(s("bitYes")), Qt::LeftButton);
        auto* left = screen.control<QTableView>(s("DBcsxs"));
        ASSERT_EQ(left->model()->rowCount(), 2);
        left->setCurrentIndex(left->model()->index(1, 0));
        screen.DBcsxsDblClick();
        EXPECT_EQ(screen.control<QTableView>(s("DBspxs"))->model()->rowCount(), 6);   // the even products of 002
    }
}

// The supplier printout counts every sale mode over whole days, both ends included.
TEST_P(SummaryScreensTest, supplierPrintoutSumsEveryModeOverWholeDays) {
    summary_shop::statsShop(db());
    const struct { QDate from, to; QStringList rows; } cases[] = {
        {QDate(2024, 3, 15), QDate(2024, 3, 15), {s("乙厂 82.00"), s("甲厂 172.00")}},
        {QDate(2024, 3, 4), QDate(2024, 3, 10), {s("甲厂 6.00")}},
        {QDate(2024, 2, 20), QDate(2024, 2, 20), {s("甲厂 2.00")}},
        {QDate(2024, 3, 16), QDate(2024, 3, 31), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from.toString(Qt::ISODate).toStdString());
        TfrmBaseReport report(s("TfrmRepcsxscx"));
        report.setParam(s(":begdate1"), c.from);
        report.setParam(s(":enddate1"), c.to);
        ASSERT_TRUE(report.open());
        QStringList rows;
        for (int r = 0; r < report.dataset().rowCount(); ++r)
            rows << report.dataset().value(r, s("csname")).toString() + s(" ") +
                        Money::fromVariant(report.dataset().value(r, s("xsje"))).toString();
        EXPECT_EQ(rows, c.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SummaryScreensTest, ::testing::ValuesIn(backends()), backendName);
