#include "DbTest.h"
#include "SummaryShop.h"

#include "db/Error.h"
#include "db/SalesStatistics.h"
#include "db/TfrmDM.h"

using summary_shop::s;

namespace {

// Twelve products of category 01 sold on 2024-03-15 (product Pn sells n units, except that
// P9 and P10 both sell 9 so they tie for ninth place), one product of category 02, and
// product P5 sold on a few more days and months.
void install(db::Connection& c) {
    c.execute(s("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '甲厂'), ('002', '乙厂')"));
    c.execute(s("INSERT INTO SPFLB(FLNo, FLName) VALUES('01', '食品'), ('02', '日用')"));
    c.execute(s("INSERT INTO dept(BMNO, BMName) VALUES('D1', '一部')"));
    c.execute(s("INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('101', '张三', '1'), ('102', '李四', '1')"));
    for (int i = 1; i <= 12; ++i) {
        db::Statement p(c, s("INSERT INTO SPB(SPNO, SPNAME, SPDW, SPLB, CBJG, QSGYS, XSFS, BMNO) "
                             "VALUES(:no, :name, '个', '01', 1, :cs, :fs, 'D1')"));
        p.bind(s(":no"), s("P%1").arg(i, 2, 10, QLatin1Char('0'))).bind(s(":name"), s("商品%1").arg(i, 2, 10, QLatin1Char('0')))
            .bind(s(":cs"), i % 2 ? s("001") : s("002")).bind(s(":fs"), i % 2 ? 0 : 1).exec();
    }
    c.execute(s("INSERT INTO SPB(SPNO, SPNAME, SPDW, SPLB, CBJG, QSGYS) VALUES('Q', '日用品', '个', '02', 1, '001')"));
    summary_shop::on(c, 3, 1);
    const QString batch = summary_shop::receive(c, s("P05"), 1000, "1");
    for (int i = 1; i <= 12; ++i) {
        const QString no = s("P%1").arg(i, 2, 10, QLatin1Char('0'));
        const QString b = i == 5 ? batch : summary_shop::receive(c, no, 100, "1");
        summary_shop::on(c, 3, 15);
        summary_shop::sell(c, no, i == 10 ? 9 : i, b, "2", i <= 6 ? s("101") : s("102"));
        summary_shop::on(c, 3, 1);
    }
    summary_shop::on(c, 3, 15);
    summary_shop::sell(c, s("Q"), 50, summary_shop::receive(c, s("Q"), 100, "1"), "2");
    // P05 on other days: 5 March (inside the ten days before the 15th), 4 March (outside),
    // 10 March; and in February and in March of the year before.
    for (const auto& [month, day] : {std::pair{3, 5}, {3, 4}, {3, 10}, {2, 20}}) {
        summary_shop::on(c, month, day);
        summary_shop::sell(c, s("P05"), 1, batch, "2");
    }
    c.setClock(QDateTime(QDate(2023, 3, 3), QTime(9, 0)));
    summary_shop::sell(c, s("P05"), 100, batch, "2");
}

QStringList names(const std::vector<db::TCostSell>& list) {
    QStringList out;
    for (const auto& e : list) out << e.name;
    return out;
}

}  // namespace

class SalesStatisticsTest : public DbTest {};

TEST_P(SalesStatisticsTest, topTenOfADayRanksByQuantityWithTiesInNameOrder) {
    install(db());
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
    install(db());
    const auto top = db::SalesStatistics(db()).topSalesOfMonth(3, s("01"));
    ASSERT_FALSE(top.empty());
    EXPECT_EQ(top.front().name, s("商品05"));
    EXPECT_EQ(top.front().count, 5 + 3 + 100);   // 15th, 5th, 4th and 10th of 2024 and 2023
    EXPECT_TRUE(db::SalesStatistics(db()).topSalesOfMonth(7, s("01")).empty());
}

TEST_P(SalesStatisticsTest, aProductsRecentDaysAndMonthsComeInDateOrder) {
    install(db());
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
    install(db());
    ASSERT_TRUE(frmDM().SelectTopSales(QDate(2024, 3, 15), 0, 0, s("01")));
    EXPECT_EQ(frmDM().TopList.size(), 10u);
    EXPECT_FALSE(frmDM().SelectTopSales(QDate(2025, 1, 1), 0, 0, s("01")));
    EXPECT_FALSE(frmDM().SelectProductSales(s("P05"), QDate(), 1, 1));
    EXPECT_EQ(frmDM().TopList.size(), 10u);
    EXPECT_EQ(frmDM().TopList.front().name, s("商品12"));
}

TEST_P(SalesStatisticsTest, tableProceduresGroupAndFilterBySaleMode) {
    install(db());
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

INSTANTIATE_TEST_SUITE_P(Backends, SalesStatisticsTest, ::testing::ValuesIn(backends()), backendName);
