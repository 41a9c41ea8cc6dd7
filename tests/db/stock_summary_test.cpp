#include "DbTest.h"
#include "SummaryShop.h"

#include "db/MonthEnd.h"
#include "db/Periods.h"
#include "db/Schema.h"
#include "db/StockSummary.h"
#include "db/Transaction.h"

#include <algorithm>
#include <map>

using summary_shop::s;

namespace {

Money m(const char* text) { return *Money::parse(s(text)); }

std::map<QString, db::SummaryRow> byProduct(const std::vector<db::SummaryRow>& rows) {
    std::map<QString, db::SummaryRow> out;
    for (const auto& r : rows) out[r.productNo] = r;
    return out;
}

struct Expected {
    const char* product;
    double bala; const char* balaMoney;
    double in; const char* inMoney;
    double sale; const char* saleMoney;
    double retu; const char* retuMoney;
    double bs; const char* bsMoney;
    double store; const char* storeMoney;
};

void expectRow(const db::SummaryRow& r, const Expected& e) {
    SCOPED_TRACE(e.product);
    EXPECT_DOUBLE_EQ(r.balaCount, e.bala);
    EXPECT_EQ(r.balaMoney, m(e.balaMoney));
    EXPECT_DOUBLE_EQ(r.inCount, e.in);
    EXPECT_EQ(r.inMoney, m(e.inMoney));
    EXPECT_DOUBLE_EQ(r.saleCount, e.sale);
    EXPECT_EQ(r.saleMoney, m(e.saleMoney));
    EXPECT_DOUBLE_EQ(r.retuCount, e.retu);
    EXPECT_EQ(r.retuMoney, m(e.retuMoney));
    EXPECT_DOUBLE_EQ(r.bsCount, e.bs);
    EXPECT_EQ(r.bsMoney, m(e.bsMoney));
    EXPECT_DOUBLE_EQ(r.storeCount, e.store);
    EXPECT_EQ(r.storeMoney, m(e.storeMoney));
}

}  // namespace

class StockSummaryTest : public DbTest {};

TEST_P(StockSummaryTest, everyKindOfMovementLandsInItsColumn) {
    summary_shop::install(db());
    const auto rows = db::StockSummary(db()).rows(QDate(2024, 3, 1), QDate(2024, 3, 31));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].productNo, s("A"));
    EXPECT_EQ(rows[0].productName, s("甲商品"));
    EXPECT_EQ(rows[0].balaPrice, m("2.5"));
    expectRow(rows[0], {"A", 10, "25", 21, "63", 4, "12", 3, "9", 0, "0", 24, "67"});
    expectRow(rows[1], {"B", 0, "0", 5, "40", 0, "0", 0, "0", 1.5, "12", 3.5, "28"});
}

TEST_P(StockSummaryTest, periodsCountOnlyTheirOwnDays) {
    summary_shop::install(db());
    db::StockSummary summary(db());
    // One day: only the sale and nothing else of March.
    auto day = byProduct(summary.rows(QDate(2024, 3, 5), QDate(2024, 3, 5)));
    ASSERT_EQ(day.size(), 2u);   // B has an opening of 5 from 2 March
    expectRow(day[s("A")], {"A", 30, "85", 0, "0", 6, "18", 0, "0", 0, "0", 24, "67"});
    expectRow(day[s("B")], {"B", 5, "40", 0, "0", 0, "0", 0, "0", 0, "0", 5, "40"});
    // Before anything happened: no rows at all.
    EXPECT_TRUE(summary.rows(QDate(2024, 1, 1), QDate(2024, 1, 31)).empty());
    EXPECT_THROW(summary.rows(QDate(2024, 3, 2), QDate(2024, 3, 1)), db::Error);
}

TEST_P(StockSummaryTest, nextPeriodOpensAtTheCarriedForwardClose) {
    summary_shop::install(db());
    summary_shop::on(db(), 4, 5);
    db::MonthEnd(db()).carryForward(QDate(2024, 3, 1), QDate(2024, 3, 31), s("001"));

    EXPECT_EQ(count(s("YZJZSJB")), 1);
    EXPECT_EQ(scalar(s("SELECT JZSL FROM YZJZMXB WHERE SPNO = 'A'")).toDouble(), 24);
    EXPECT_EQ(scalar(s("SELECT vrvalue FROM sysvariable WHERE vrname = 'BalaEndDate'")), s("2024-03-31"));
    const db::Period next = db::Periods(db()).current();
    EXPECT_EQ(next.begin, QDate(2024, 4, 1));

    // The recorded close must be what the next period opens with, even when the documents
    // of March are changed behind the summary's back afterwards.
    db().execute(s("UPDATE JHDMXB SET ZJE = 0"));
    auto april = byProduct(db::StockSummary(db()).rows(next.begin, QDate(2024, 4, 30)));
    expectRow(april[s("A")], {"A", 24, "67", 0, "0", 0, "0", 0, "0", 0, "0", 24, "67"});
    expectRow(april[s("B")], {"B", 3.5, "28", 0, "0", 1, "8", 0, "0", 0, "0", 2.5, "20"});
    EXPECT_EQ(april[s("A")].balaPrice, m("2.7917"));
    EXPECT_TRUE(db::StockSummary(db()).productsOffBalance().isEmpty());
}

TEST_P(StockSummaryTest, aPeriodIsCarriedForwardOnceAndOnlyWhenItHasEnded) {
    summary_shop::install(db());
    db::MonthEnd monthEnd(db());
    summary_shop::on(db(), 3, 31);
    EXPECT_THROW(monthEnd.carryForward(QDate(2024, 3, 1), QDate(2024, 3, 31), s("001")), db::MonthEndRefused);
    summary_shop::on(db(), 4, 1);
    monthEnd.carryForward(QDate(2024, 3, 1), QDate(2024, 3, 31), s("001"));
    const struct { QDate begin, end; } again[] = {
        {QDate(2024, 3, 1), QDate(2024, 3, 31)},    // the same period
        {QDate(2024, 3, 15), QDate(2024, 3, 20)},   // inside it
        {QDate(2024, 2, 1), QDate(2024, 3, 10)},    // overlapping its start
    };
    summary_shop::on(db(), 6, 1);
    for (const auto& p : again) {
        SCOPED_TRACE(p.begin.toString(Qt::ISODate).toStdString());
        EXPECT_THROW(monthEnd.carryForward(p.begin, p.end, s("001")), db::MonthEndRefused);
    }
    EXPECT_EQ(count(s("YZJZSJB")), 1);
    EXPECT_EQ(count(s("YZJZMXB")), 2);
    monthEnd.carryForward(QDate(2024, 4, 1), QDate(2024, 4, 30), s("001"));
    EXPECT_EQ(scalar(s("SELECT JZSL FROM YZJZMXB WHERE SPNO = 'B' AND ENDDATE = (SELECT MAX(ENDDATE) FROM YZJZSJB)"))
                  .toDouble(), 2.5);
}

// A database from before movement lines kept their cost gets it from the documents once, and
// its summary stays what it was.
TEST_P(StockSummaryTest, aDatabaseFromBeforeKeptCostsMigratesToTheSameSummary) {
    summary_shop::install(db());
    db().execute(s("DROP INDEX QTJHDMXB_SUMMARY"));
    db().execute(s("ALTER TABLE QTJHDMXB DROP COLUMN CBJE"));
    db().execute(s("CREATE INDEX QTJHDMXB_SUMMARY ON QTJHDMXB(SPNO, WLTYPE, CZRQ, SL)"));
    db().execute(s("DELETE FROM SCHEMA_VERSION WHERE VERSION = 9"));   // later steps stay recorded
    db::Schema::migrate(db());
    EXPECT_EQ(count(s("SCHEMA_VERSION"), s("VERSION = 9")), 1);
    const auto rows = db::StockSummary(db()).rows(QDate(2024, 3, 1), QDate(2024, 3, 31));
    ASSERT_EQ(rows.size(), 2u);
    expectRow(rows[0], {"A", 10, "25", 21, "63", 4, "12", 3, "9", 0, "0", 24, "67"});
    expectRow(rows[1], {"B", 0, "0", 5, "40", 0, "0", 0, "0", 1.5, "12", 3.5, "28"});
}

// The carry-forward's inserts are planned once; the reads that follow in the same
// transaction are planned for their own dates again.
TEST_P(StockSummaryTest, aCarryForwardLeavesTheSessionsPlanningAsItWas) {
    if (GetParam() != db::Backend::Postgres) GTEST_SKIP() << "SQLite plans no differently";
    summary_shop::install(db());
    summary_shop::on(db(), 4, 5);
    db::Transaction tx(db());
    db::MonthEnd(db()).carryForward(QDate(2024, 3, 1), QDate(2024, 3, 31), s("001"));
    EXPECT_EQ(scalar(s("SELECT current_setting('plan_cache_mode')")), s("force_custom_plan"));
    tx.commit();
    EXPECT_EQ(count(s("YZJZMXB")), 2);
}

TEST_P(StockSummaryTest, aFailedCarryForwardLeavesPeriodAndPositionsAsTheyWere) {
    summary_shop::install(db());
    summary_shop::on(db(), 4, 5);
    // The positions cannot be written: the carry-forward fails after its header.
    if (GetParam() == db::Backend::Sqlite) {
        db().execute(s("CREATE TRIGGER refuse BEFORE INSERT ON YZJZMXB BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    } else {
        db().execute(s("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION 'disk full'; END $$"));
        db().execute(s("CREATE TRIGGER refuse BEFORE INSERT ON YZJZMXB FOR EACH ROW EXECUTE FUNCTION refuse()"));
    }
    const db::Period before = db::Periods(db()).current();
    {
        db::Transaction tx(db());
        EXPECT_THROW(db::MonthEnd(db()).carryForward(QDate(2024, 3, 1), QDate(2024, 3, 31), s("001")), db::Error);
    }
    EXPECT_EQ(count(s("YZJZSJB")), 0);
    EXPECT_EQ(count(s("YZJZMXB")), 0);
    EXPECT_EQ(db::Periods(db()).current().begin, before.begin);
    EXPECT_EQ(scalar(s("SELECT vrvalue FROM sysvariable WHERE vrname = 'BalaEndDate'")), QString());
}

TEST_P(StockSummaryTest, closingQuantitiesAgreeWithStoreBalancesAndAMismatchIsNamed) {
    summary_shop::install(db());
    summary_shop::on(db(), 4, 5);
    db::StockSummary summary(db());
    EXPECT_TRUE(summary.productsOffBalance().isEmpty());
    // A balance moved without a movement line (what the integrity check must catch).
    db().execute(s("UPDATE KCYEB SET KCSL = KCSL + 1 WHERE SPNO = 'B' AND CKNO = '001'"));
    EXPECT_EQ(summary.productsOffBalance(), QStringList{s("B")});
}

// Products whose codes sort differently as bytes, as text and by prefix, some only carried
// forward and some moving only afterwards: each meets its own opening and name, amounts to
// the last decimal, in the order of the codes.
TEST_P(StockSummaryTest, everyProductMeetsItsOpeningAndNameWhateverItsCode) {
    db().execute(s("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '供应商')"));
    const char* codes[] = {"B", "A1", "甲10", "A", "a", "甲2", "Z"};
    for (const char* code : codes) {
        db::Statement p(db(), s("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES(:c, :n, '个', 5, 3)"));
        p.bind(s(":c"), s(code)).bind(s(":n"), s("品") + s(code)).exec();
    }
    summary_shop::on(db(), 2, 10);
    for (int i = 0; i < 6; ++i) summary_shop::receive(db(), s(codes[i]), i + 1, "2");   // Z has nothing yet
    summary_shop::on(db(), 3, 1);
    db::MonthEnd(db()).carryForward(QDate(2024, 2, 1), QDate(2024, 2, 29), s("001"));
    summary_shop::on(db(), 3, 5);
    for (int i = 0; i < 3; ++i) summary_shop::receive(db(), s("A"), 1, "0.0001");
    summary_shop::receive(db(), s("甲10"), 2, "1.5");
    summary_shop::receive(db(), s("Z"), 1, "7.1234");

    const auto rows = db::StockSummary(db()).rows(QDate(2024, 3, 1), QDate(2024, 3, 31));
    QStringList order;
    for (const auto& r : rows) order << r.productNo;
    QStringList sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(order, sorted);
    ASSERT_EQ(rows.size(), 7u);
    auto by = byProduct(rows);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(by[s(codes[i])].productName, s("品") + s(codes[i])) << codes[i];
    expectRow(by[s("B")], {"B", 1, "2", 0, "0", 0, "0", 0, "0", 0, "0", 1, "2"});
    expectRow(by[s("A1")], {"A1", 2, "4", 0, "0", 0, "0", 0, "0", 0, "0", 2, "4"});
    expectRow(by[s("甲10")], {"甲10", 3, "6", 2, "3", 0, "0", 0, "0", 0, "0", 5, "9"});
    expectRow(by[s("A")], {"A", 4, "8", 3, "0.0003", 0, "0", 0, "0", 0, "0", 7, "8.0003"});
    expectRow(by[s("a")], {"a", 5, "10", 0, "0", 0, "0", 0, "0", 0, "0", 5, "10"});
    expectRow(by[s("甲2")], {"甲2", 6, "12", 0, "0", 0, "0", 0, "0", 0, "0", 6, "12"});
    expectRow(by[s("Z")], {"Z", 0, "0", 1, "7.1234", 0, "0", 0, "0", 0, "0", 1, "7.1234"});
}

INSTANTIATE_TEST_SUITE_P(Backends, StockSummaryTest, ::testing::ValuesIn(backends()), backendName);
