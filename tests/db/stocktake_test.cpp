#include "DbTest.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/StockQueries.h"
#include "db/Stocktake.h"
#include "db/Transaction.h"
#include "tests/stock/StocktakeShop.h"

#include <map>

namespace {

const QDate kBegin(2024, 3, 1);
const QDate kEnd(2024, 3, 31);

QString q(const char* s) { return QString::fromUtf8(s); }

// "SPNO/CKNO" -> value of `column` for every stocktake row.
std::map<QString, double> stocktakeColumn(db::Connection& c, const QString& column) {
    db::Statement s(c, QStringLiteral("SELECT SPNO, CKNO, %1 FROM YPDSJB").arg(column));
    s.exec();
    std::map<QString, double> out;
    while (s.next()) out[s.text(0) + u'/' + s.text(1)] = s.real(2);
    return out;
}

std::map<QString, double> balances(db::Connection& c) {
    db::Statement s(c, QStringLiteral("SELECT SPNO, CKNO, KCSL FROM KCYEB"));
    s.exec();
    std::map<QString, double> out;
    while (s.next()) out[s.text(0) + u'/' + s.text(1)] = s.real(2);
    return out;
}

}  // namespace

class StocktakeTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        stocktake_shop::install(db());
    }
    void initialise() { db::Stocktake(db()).initialise(kBegin, kEnd); }
    void save(std::vector<db::StocktakeCount> counts) { db::Stocktake(db()).saveCounts(counts); }
    db::StocktakeApplied apply(bool guard = false) {
        db::Transaction tx(db());
        const auto applied = db::Stocktake(db()).apply(QStringLiteral("001"), guard);
        tx.commit();
        return applied;
    }
};

TEST_P(StocktakeTest, initialisationTakesEveryProductInEveryStoreAtItsBalance) {
    std::vector<std::pair<int, int>> calls;
    db::Stocktake(db()).initialise(kBegin, kEnd, [&](int done, int total) { calls.push_back({done, total}); });
    const std::map<QString, double> expected{{"A/001", 8}, {"A/002", 4}, {"B/001", 20},
                                             {"B/002", 0}, {"C/001", 0}, {"C/002", 0}};
    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKKCSL")), expected);
    EXPECT_EQ(count(QStringLiteral("YPDSJB"), QStringLiteral("CKGXKCBZ = 0 AND CKPDSL = 0 AND CKPDDATE IS NOT NULL")), 6);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().first, calls.back().second);

    // A second initialisation replaces the rows, counts included, with the balances of now.
    save({{QStringLiteral("A"), QStringLiteral("001"), 7}});
    stocktake_shop::sell(db(), QStringLiteral("B"), 5, QStringLiteral("001"));
    EXPECT_EQ(db::Stocktake(db()).state().countedUnapplied, 1);
    initialise();
    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKKCSL")).at(QStringLiteral("B/001")), 15);
    EXPECT_EQ(count(QStringLiteral("YPDSJB")), 6);
    EXPECT_EQ(db::Stocktake(db()).state().countedUnapplied, 0);
}

TEST_P(StocktakeTest, initialisationInSlicesReadsEachProductsOwnBalances) {
    // Enough products for several slices; balances on the first, a middle and the last one.
    db().execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 450) "
        "INSERT INTO SPB(SPNO, SPNAME, QSGYS) SELECT 'P' || CAST(1000 + i AS VARCHAR(4)), '批量商品', '001' FROM n"));
    stocktake_shop::receive(db(), QStringLiteral("P1001"), 3, QStringLiteral("002"));
    stocktake_shop::receive(db(), QStringLiteral("P1230"), 7, QStringLiteral("001"));
    stocktake_shop::receive(db(), QStringLiteral("P1450"), 9, QStringLiteral("002"));
    std::vector<std::pair<int, int>> calls;
    db::Stocktake(db()).initialise(kBegin, kEnd, [&](int done, int total) { calls.push_back({done, total}); });

    ASSERT_GE(calls.size(), 3u);  // the start and at least two slices
    EXPECT_EQ(calls.front(), std::make_pair(0, 453));
    for (size_t i = 1; i < calls.size(); ++i) {
        EXPECT_GT(calls[i].first, calls[i - 1].first);
        EXPECT_EQ(calls[i].second, 453);
    }
    EXPECT_EQ(calls.back().first, 453);
    const std::map<QString, double> rows = stocktakeColumn(db(), QStringLiteral("CKKCSL"));
    EXPECT_EQ(rows.size(), 453u * 2);
    EXPECT_EQ(rows.at(QStringLiteral("P1001/002")), 3);
    EXPECT_EQ(rows.at(QStringLiteral("P1230/001")), 7);
    EXPECT_EQ(rows.at(QStringLiteral("P1450/002")), 9);
    EXPECT_EQ(rows.at(QStringLiteral("P1450/001")), 0);
    EXPECT_EQ(rows.at(QStringLiteral("A/001")), 8);
    double sum = 0;
    for (const auto& [key, quantity] : rows) sum += quantity;
    EXPECT_EQ(sum, 8 + 4 + 20 + 3 + 7 + 9);
}

TEST_P(StocktakeTest, initialisationRefusesAPeriodThatEndsBeforeItBegins) {
    EXPECT_THROW(db::Stocktake(db()).initialise(kEnd, kBegin), db::Error);
    EXPECT_EQ(count(QStringLiteral("YPDSJB")), 0);
}

TEST_P(StocktakeTest, countsThatChangeNoRowAreRefusedAndNothingIsSaved) {
    initialise();
    // A product created after the initialisation has no stocktake row.
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('D', '丁商品')"));
    struct Case { const char* name; db::StocktakeCount bad; const char* named; };
    const Case cases[] = {
        {"product without a row", {QStringLiteral("D"), QStringLiteral("001"), 3}, "D"},
        {"unknown store", {QStringLiteral("A"), QStringLiteral("009"), 3}, "009"},
        {"no store", {QStringLiteral("A"), QString(), 3}, "A"},
        {"negative count", {QStringLiteral("A"), QStringLiteral("002"), -1}, "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            save({{QStringLiteral("B"), QStringLiteral("001"), 19}, c.bad});
            ADD_FAILURE() << "saved";
        } catch (const db::StocktakeRefusal& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.named))) << e.message().toStdString();
        }
        EXPECT_EQ(count(QStringLiteral("YPDSJB"), QStringLiteral("CKPDSL <> 0")), 0);
    }
    save({{QStringLiteral("B"), QStringLiteral("001"), 19}, {QStringLiteral("B"), QStringLiteral("001"), 18.5}});
    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKPDSL")).at(QStringLiteral("B/001")), 18.5);
}

TEST_P(StocktakeTest, applyingBringsTheBalancesToTheCountsWithBatchesInStep) {
    stocktake_shop::checkStock(db(), true);
    initialise();
    // Found 5 of A where the book says 8 (loss 3), 6 in store 002 where it says 4 (gain 2),
    // B as booked, C counted 0 (never applied).
    save({{QStringLiteral("A"), QStringLiteral("001"), 5}, {QStringLiteral("A"), QStringLiteral("002"), 6},
          {QStringLiteral("B"), QStringLiteral("001"), 20}, {QStringLiteral("C"), QStringLiteral("001"), 0}});
    const db::StocktakeApplied applied = apply(true);
    EXPECT_EQ(applied.rows, 3);
    EXPECT_EQ(applied.gainLines, 1);
    EXPECT_EQ(applied.lossLines, 1);

    const std::map<QString, double> expectedBalances{{"A/001", 5}, {"A/002", 6}, {"B/001", 20}};
    EXPECT_EQ(balances(db()), expectedBalances);
    // The balances agree with the movement lines they stand for.
    db::StockLedger(db()).rebuildBalances();
    EXPECT_EQ(balances(db()), expectedBalances);

    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKGXKCBZ")),
              (std::map<QString, double>{{"A/001", 1}, {"A/002", 1}, {"B/001", 1}, {"B/002", 0}, {"C/001", 0}, {"C/002", 0}}));
    const auto differences = stocktakeColumn(db(), QStringLiteral("CKGXKCL"));
    EXPECT_EQ(differences.at(QStringLiteral("A/001")), -3);
    EXPECT_EQ(differences.at(QStringLiteral("A/002")), 2);
    EXPECT_EQ(differences.at(QStringLiteral("C/001")), 0);

    // The loss drew on A's oldest batch; the gain is a batch of its own at the cost price,
    // received from A's supplier into store 002.
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(XSSL) FROM JHDMXB WHERE SPNO = 'A'")).toDouble(), 3);
    EXPECT_EQ(count(QStringLiteral("JHDMXB"), QStringLiteral("SPNO = 'A' AND SL = 5 AND XSSL = 3")), 1);
    EXPECT_EQ(count(QStringLiteral("JHDMXB M JOIN JHDSJB H ON H.JHDNO = M.JHDNO"),
                    QStringLiteral("M.SPNO = 'A' AND M.SL = 2 AND M.XSSL = 0 AND M.DJ = 3 AND M.ZJE = 6 AND M.CKNO = '002' "
                                   "AND H.CSNO = '001' AND H.BNNO = '001'")),
              1);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = '%1' AND WLTYPE = '%2' AND SL = 3 AND CKNO = '001'")
                                                   .arg(applied.movementNo, db::MovementKind::StocktakeLoss)),
              1);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = '%1' AND WLTYPE = '%2' AND SL = 2 AND CKNO = '002'")
                                                   .arg(applied.movementNo, db::MovementKind::StocktakeGain)),
              1);

    // Applying again changes nothing; a later save changes the count, never the difference.
    const qint64 movements = count(QStringLiteral("QTJHDMXB"));
    EXPECT_EQ(apply(true).rows, 0);
    save({{QStringLiteral("A"), QStringLiteral("001"), 4}});
    EXPECT_EQ(apply(true).rows, 0);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB")), movements);
    EXPECT_EQ(balances(db()), expectedBalances);
    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKPDSL")).at(QStringLiteral("A/001")), 4);
    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKGXKCL")).at(QStringLiteral("A/001")), -3);
}

TEST_P(StocktakeTest, aSaleAfterTheBookQuantityIsNotCountedTwice) {
    initialise();
    stocktake_shop::sell(db(), QStringLiteral("A"), 1, QStringLiteral("001"));  // book 8, now 7
    save({{QStringLiteral("A"), QStringLiteral("001"), 5}});
    apply();
    EXPECT_EQ(balances(db()).at(QStringLiteral("A/001")), 5);
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(XSSL) FROM JHDMXB WHERE SPNO = 'A'")).toDouble(), 2);
    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKGXKCL")).at(QStringLiteral("A/001")), -3);
}

TEST_P(StocktakeTest, aLossBeyondTheBatchesTakesWhatTheyHold) {
    initialise();
    db().execute(QStringLiteral("UPDATE JHDMXB SET XSSL = SL - 1 WHERE SPNO = 'A'"));  // one unit left per batch
    save({{QStringLiteral("A"), QStringLiteral("001"), 1}});
    apply();
    EXPECT_EQ(balances(db()).at(QStringLiteral("A/001")), 1);
    EXPECT_EQ(count(QStringLiteral("JHDMXB"), QStringLiteral("SPNO = 'A' AND XSSL <> SL")), 0);
}

TEST_P(StocktakeTest, aGainWithoutASupplierIsRefusedAndNothingIsApplied) {
    initialise();
    save({{QStringLiteral("A"), QStringLiteral("001"), 5}, {QStringLiteral("C"), QStringLiteral("002"), 2}});
    db::Transaction tx(db());
    try {
        db::Stocktake(db()).apply(QStringLiteral("001"), false);
        ADD_FAILURE() << "applied";
    } catch (const db::StocktakeRefusal& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("C"))) << e.message().toStdString();
    }
    tx.rollback();
    EXPECT_EQ(count(QStringLiteral("YPDSJB"), QStringLiteral("CKGXKCBZ = 1")), 0);
    EXPECT_EQ(balances(db()).at(QStringLiteral("A/001")), 8);
    // With a supplier set the same counts apply.
    db().execute(QStringLiteral("UPDATE SPB SET QSGYS = '002' WHERE SPNO = 'C'"));
    EXPECT_EQ(apply().gainLines, 1);
    EXPECT_EQ(balances(db()).at(QStringLiteral("C/002")), 2);
}

class StockQueriesTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        stocktake_shop::install(db());
    }
};

TEST_P(StockQueriesTest, storeStockOfOneStoreOrAllValuedAtCost) {
    db::StockQueries queries(db());
    const auto store2 = queries.storeStock(QStringLiteral("002"));
    ASSERT_EQ(store2.size(), 1u);
    EXPECT_EQ(store2[0].productNo, QStringLiteral("A"));
    EXPECT_EQ(store2[0].quantity, 4);
    EXPECT_EQ(store2[0].amount, Money::fromYuan(12));
    EXPECT_EQ(store2[0].categoryName, q("饮料"));

    stocktake_shop::sell(db(), QStringLiteral("B"), 20, QStringLiteral("001"));  // B's balance goes to 0
    const auto all = queries.storeStock(db::StockQueries::AllStores);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].quantity, 12);
    EXPECT_EQ(all[0].cost, Money::fromYuan(3));
    EXPECT_EQ(all[0].amount, Money::fromYuan(36));
    EXPECT_EQ(all[0].unit, q("个"));
    EXPECT_TRUE(queries.storeStock(QString()).empty());
}

TEST_P(StockQueriesTest, stockCheckFiltersAndMarksWhatNeedsRestocking) {
    db::StockQueries queries(db());
    struct Case { const char* supplier; const char* category; bool restockOnly; const char* products; };
    const Case cases[] = {
        {"zzz", "zzz", false, "A B C"}, {"001", "zzz", false, "A"}, {"zzz", "02", false, "B"},
        {"zzz", "zzz", true, "A"},      {"002", "zzz", true, ""},   {"", "zzz", false, ""},
    };
    for (const Case& c : cases) {
        QStringList products;
        for (const db::StockCheckRow& r : queries.stockCheck(QString::fromUtf8(c.supplier), QString::fromUtf8(c.category), c.restockOnly))
            products << r.productNo;
        EXPECT_EQ(products.join(u' '), QString::fromUtf8(c.products)) << c.supplier << "/" << c.category << "/" << c.restockOnly;
    }
    const auto rows = queries.stockCheck(QStringLiteral("zzz"), QStringLiteral("zzz"), false);
    EXPECT_EQ(rows[0].storeCount, 12);
    EXPECT_EQ(rows[0].restockMark, db::StockQueries::RestockMark);  // 12 below the minimum of 15
    EXPECT_EQ(rows[0].supplierName, q("一厂"));
    EXPECT_EQ(rows[1].restockMark, QString());
    EXPECT_EQ(rows[2].storeCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, StocktakeTest, ::testing::ValuesIn(backends()), backendName);
INSTANTIATE_TEST_SUITE_P(Backends, StockQueriesTest, ::testing::ValuesIn(backends()), backendName);
