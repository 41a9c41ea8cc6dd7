#include "DbTest.h"
#include "SummaryShop.h"

#include "db/Error.h"
#include "db/SalesStatistics.h"
#include "db/Statement.h"
#include "db/TfrmDM.h"

using summary_shop::s;

namespace {

QStringList names(const std::vector<db::TCostSell>& list) {
    QStringList out;
    for (const auto& e : list) out << e.name;
    return out;
}

}  // namespace

class SalesStatisticsTest : public DbTest {};

TEST_P(SalesStatisticsTest, topTenOfADayRanksByQuantityWithTiesInNameOrder) {
    summary_shop::statsShop(db());
    db::SalesStatistics stats(db());
    const auto top = stats.topSalesOfDay(QDate(2024, 3, 15), s("01"));
    ASSERT_EQ(top.size(), 10u);
    EXPECT_EQ(names(top), (QStringList{s("商品12"), s("商品11"), s("商品09"), s("商品10"), s("商品08"), s("商品07"),
                                       s("商品06"), s("商品05"), s("商品04"), s("商品03")}));
    EXPECT_EQ(top[0].count, 12);
    EXPECT_EQ(top[0].money, Money::fromYuan(24));
    EXPECT_EQ(top[0].profit, Money::fromYuan(12));
    // No category chosen: every category, so the product of 02 leads.
    EXPECT_EQ(stats.topSalesOfDay(QDate(2024, 3, 15), QString()).front().name, s("日用品"));
    EXPECT_TRUE(stats.topSalesOfDay(QDate(2024, 3, 16), s("01")).empty());
}

TEST_P(SalesStatisticsTest, aMonthCountsThatMonthOfEveryYear) {
    summary_shop::statsShop(db());
    const auto top = db::SalesStatistics(db()).topSalesOfMonth(3, s("01"));
    ASSERT_FALSE(top.empty());
    EXPECT_EQ(top.front().name, s("商品05"));
    EXPECT_EQ(top.front().count, 5 + 3 + 100);   // 15th, 5th, 4th and 10th of 2024 and 2023
    EXPECT_TRUE(db::SalesStatistics(db()).topSalesOfMonth(7, s("01")).empty());
}

TEST_P(SalesStatisticsTest, aProductsRecentDaysAndMonthsComeInDateOrder) {
    summary_shop::statsShop(db());
    db::SalesStatistics stats(db());
    const auto days = stats.productSalesByDay(s("P05"), QDate(2024, 3, 15));
    EXPECT_EQ(names(days), (QStringList{s("3-5"), s("3-10"), s("3-15")}));
    EXPECT_EQ(days.back().count, 5);
    const auto months = stats.productSalesByMonth(s("P05"), 3);
    EXPECT_EQ(names(months), (QStringList{s("2"), s("3")}));
    EXPECT_EQ(months.back().count, 5 + 3 + 100);
    EXPECT_TRUE(stats.productSalesByMonth(s("P05"), 1).empty());
    EXPECT_TRUE(stats.productSalesByDay(s("NONE"), QDate(2024, 3, 15)).empty());
}

TEST_P(SalesStatisticsTest, anEmptyResultLeavesTheTopListAsItWas) {
    summary_shop::statsShop(db());
    ASSERT_TRUE(frmDM().SelectTopSales(QDate(2024, 3, 15), 0, 0, s("01")));
    EXPECT_EQ(frmDM().TopList.size(), 10u);
    EXPECT_FALSE(frmDM().SelectTopSales(QDate(2025, 1, 1), 0, 0, s("01")));
    EXPECT_FALSE(frmDM().SelectProductSales(s("P05"), QDate(), 1, 1));
    EXPECT_EQ(frmDM().TopList.size(), 10u);
    EXPECT_EQ(frmDM().TopList.front().name, s("商品12"));
}

TEST_P(SalesStatisticsTest, tableProceduresGroupAndFilterBySaleMode) {
    summary_shop::statsShop(db());
    db::SalesStatistics stats(db());
    const QDate d(2024, 3, 15);
    const auto people = stats.sellsStat(d, d, s("1"));
    ASSERT_EQ(people.rows.size(), 2u);
    EXPECT_EQ(people.rows[0][1].toString(), s("张三"));
    EXPECT_EQ(people.rows[0][2].toLongLong(), 1 + 2 + 3 + 4 + 5 + 6 + 50);
    EXPECT_EQ(people.rows[0][5].value<Money>(), Money::fromYuan(71));   // sold at 2, cost 1
    const auto depts = stats.sellsStat(d, d, s("0"));
    ASSERT_EQ(depts.rows.size(), 2u);   // D1, and the product without a department
    EXPECT_EQ(stats.sellsStat(d, d, s("0")).columns, (QStringList{s("offno"), s("NAME"), s("XSSL"), s("XSJE"), s("ZJE"), s("lr")}));

    // Odd products are bought outright (包销), even ones on consignment (代销).
    const struct { const char* dayType; const char* supplierType; qint64 units; } modes[] = {
        {"0", "2", 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + 9 + 11 + 12},
        {"1", "0", 1 + 3 + 5 + 7 + 9 + 11},
        {"2", "1", 2 + 4 + 6 + 8 + 9 + 12},
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.dayType);
        const auto days = stats.daySell(d, d, s(mode.dayType));
        Money food;
        for (const auto& r : days.rows)
            if (r[1].toString() == s("食品")) food += r[2].value<Money>();
        EXPECT_EQ(food, Money::fromYuan(2 * mode.units));
        const auto suppliers = stats.sellsMoney(d, d, s(mode.supplierType));
        Money total;
        for (const auto& r : suppliers.rows) {
            total += r[2].value<Money>();
            Money products;
            for (const auto& p : stats.productSellsMoney(d, d, r[0].toString(), s(mode.supplierType)).rows)
                products += p[2].value<Money>();
            EXPECT_EQ(products, r[2].value<Money>());
        }
        // Q (日用, bought outright, supplier 001) sells 50 more where outright goods count.
        EXPECT_EQ(total, Money::fromYuan(2 * mode.units + (QString(s(mode.supplierType)) == s("1") ? 0 : 100)));
    }
    EXPECT_THROW(stats.daySell(d, d, s("3")), db::Error);
}

// P05 sold on 4, 5, 10 and 15 March 2024 and on 20 February; the other products and Q on
// the 15th. Days come in date order with their categories, the first and last day of the
// period included and the days around it left out.
TEST_P(SalesStatisticsTest, daySalesListEachDayOfThePeriodInOrderWithItsCategories) {
    summary_shop::statsShop(db());
    db::SalesStatistics stats(db());
    const auto march = stats.daySell(QDate(2024, 3, 4), QDate(2024, 3, 15), s("0"));
    QStringList days;
    for (const auto& r : march.rows) days << r[0].toString() + s(" ") + r[1].toString() + s(" ") + r[2].value<Money>().toString();
    EXPECT_EQ(days, (QStringList{s("2024-03-04 食品 2.00"), s("2024-03-05 食品 2.00"), s("2024-03-10 食品 2.00"),
                                 s("2024-03-15 食品 154.00"), s("2024-03-15 日用 100.00")}));
    EXPECT_EQ(march.rows[3][4].value<Money>(), Money::fromYuan(77));   // sold at 2, cost 1
    EXPECT_EQ(stats.daySell(QDate(2024, 3, 5), QDate(2024, 3, 9), s("0")).rows.size(), 1u);
    EXPECT_TRUE(stats.daySell(QDate(2024, 3, 16), QDate(2024, 12, 31), s("0")).rows.empty());
    EXPECT_TRUE(stats.daySell(QDate(2024, 3, 15), QDate(2024, 3, 1), s("0")).rows.empty());
}

// Sales without a clerk and products without a department form a group of their own, listed
// after the named ones whichever backend sorts.
TEST_P(SalesStatisticsTest, groupsWithoutAKeyComeLast) {
    summary_shop::statsShop(db());
    summary_shop::on(db(), 3, 15);
    const QString sale = summary_shop::sell(db(), s("P01"), 4, summary_shop::receive(db(), s("P01"), 10, "1"), "2");
    db::Statement noClerk(db(), s("UPDATE XSCBB SET ZYNO = NULL WHERE XSNO = :no"));
    noClerk.bind(s(":no"), sale).exec();
    db::SalesStatistics stats(db());
    const QDate d(2024, 3, 15);
    const auto people = stats.sellsStat(d, d, s("1"));
    ASSERT_EQ(people.rows.size(), 3u);
    EXPECT_EQ(people.rows[0][0].toString(), s("101"));
    EXPECT_EQ(people.rows[1][0].toString(), s("102"));
    EXPECT_TRUE(people.rows[2][0].toString().isEmpty());
    EXPECT_EQ(people.rows[2][2].toLongLong(), 4);
    const auto depts = stats.sellsStat(d, d, s("0"));
    ASSERT_EQ(depts.rows.size(), 2u);
    EXPECT_EQ(depts.rows[0][1].toString(), s("一部"));
    EXPECT_TRUE(depts.rows[1][0].toString().isEmpty());
    EXPECT_EQ(depts.rows[1][3].value<Money>(), Money::fromYuan(100));
}

INSTANTIATE_TEST_SUITE_P(Backends, SalesStatisticsTest, ::testing::ValuesIn(backends()), backendName);
