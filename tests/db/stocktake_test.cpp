#include "DbTest.h"
#include "db/Error.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/StockQueries.h"
#include "db/Stocktake.h"
#include "db/Transaction.h"
#include "tests/stock/StocktakeShop.h"

#include <QThread>
#include <atomic>
#include <functional>
#include <map>
#include <thread>

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

TEST_P(StocktakeTest, aLaterInitialisationRewritesEveryRowAndAddsNewProductsAndStores) {
    db().setClock(QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    initialise();
    save({{QStringLiteral("A"), QStringLiteral("001"), 5}, {QStringLiteral("B"), QStringLiteral("001"), 21}});
    apply();  // A/001 goes to 5, B/001 to 21; both rows applied
    save({{QStringLiteral("A"), QStringLiteral("002"), 9}});  // counted, never applied
    // Since then: a product and a store, stock of the new product in the new store only.
    db().execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('003', '三号库', '0')"));
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, QSGYS) VALUES('AB', '新商品', '001')"));
    stocktake_shop::receive(db(), QStringLiteral("AB"), 6, QStringLiteral("003"));
    db().setClock(QDateTime(QDate(2024, 4, 1), QTime(10, 30)));
    initialise();

    // Every product in every store, the new product between two old ones in key order.
    const std::map<QString, double> expected{
        {"A/001", 5}, {"A/002", 4}, {"A/003", 0}, {"AB/001", 0}, {"AB/002", 0}, {"AB/003", 6},
        {"B/001", 21}, {"B/002", 0}, {"B/003", 0}, {"C/001", 0}, {"C/002", 0}, {"C/003", 0}};
    EXPECT_EQ(stocktakeColumn(db(), QStringLiteral("CKKCSL")), expected);
    const QString fresh = QStringLiteral("CKPDSL = 0 AND CKGXKCL = 0 AND CKGXKCBZ = 0 AND CKPDDATE = '2024-04-01 10:30:00'");
    EXPECT_EQ(count(QStringLiteral("YPDSJB"), fresh), 12);
    EXPECT_EQ(db::Stocktake(db()).state().countedUnapplied, 0);
}

// PostgreSQL checks the references of the stocktake rows by statement triggers, SQLite by
// foreign keys: both refuse a row naming nothing and keep what rows name.
TEST_P(StocktakeTest, stocktakeRowsNameOnlyProductsAndStoresThatExist) {
    db().execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('003', '三号库', '0')"));
    initialise();  // C and store 003 are named by stocktake rows alone
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('D', '丁商品')"));
    const char* refused[] = {
        "INSERT INTO YPDSJB(SPNO, CKNO) VALUES('NONE', '001')",
        "INSERT INTO YPDSJB(SPNO, CKNO) VALUES('D', '009')",
        "INSERT INTO YPDSJB(SPNO, CKNO) VALUES('D', '001'), ('D', '002'), ('NONE', '003')",
        "INSERT INTO YPDSJB(SPNO, CKNO, CKKCSL) SELECT 'NONE2', CKNO, 0 FROM STORE",
        "UPDATE YPDSJB SET SPNO = 'NONE' WHERE SPNO = 'A' AND CKNO = '001'",
        "UPDATE YPDSJB SET CKNO = '009' WHERE SPNO = 'C' AND CKNO = '003'",
        "DELETE FROM SPB WHERE SPNO = 'C'",
        "DELETE FROM STORE WHERE CKNO = '003'",
        "UPDATE SPB SET SPNO = 'C2' WHERE SPNO = 'C'",
        "UPDATE STORE SET CKNO = '004' WHERE CKNO = '003'",
    };
    for (const char* sql : refused) {
        try {
            db().execute(QString::fromUtf8(sql));
            ADD_FAILURE() << sql << " must be refused";
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), db::ErrorKind::ForeignKey) << sql << ": " << e.message().toStdString();
        }
    }
    EXPECT_EQ(count(QStringLiteral("YPDSJB")), 9);
    EXPECT_EQ(count(QStringLiteral("YPDSJB"), QStringLiteral("SPNO = 'D' OR SPNO LIKE 'NONE%' OR CKNO = '009'")), 0);

    // What names existing rows passes; a product or store named by no stocktake row goes.
    db().execute(QStringLiteral("INSERT INTO YPDSJB(SPNO, CKNO) VALUES('D', '001'), ('D', '003')"));
    db().execute(QStringLiteral("UPDATE YPDSJB SET CKNO = '002' WHERE SPNO = 'D' AND CKNO = '003'"));
    db().execute(QStringLiteral("DELETE FROM YPDSJB WHERE SPNO = 'D' OR CKNO = '003'"));
    db().execute(QStringLiteral("DELETE FROM SPB WHERE SPNO = 'D'"));
    db().execute(QStringLiteral("DELETE FROM STORE WHERE CKNO = '003'"));
    EXPECT_EQ(count(QStringLiteral("STORE"), QStringLiteral("CKNO = '003'")), 0);
    EXPECT_EQ(count(QStringLiteral("YPDSJB")), 6);
}

// The statement check locks each product it found, as a foreign key would, so a product
// cannot be deleted between a stocktake's check and its commit, nor named while being deleted.
TEST_P(StocktakeTest, aProductCannotGoWhileAStocktakeNamingItIsBeingWritten) {
    if (GetParam() != db::Backend::Postgres) GTEST_SKIP() << "SQLite has one writer at a time";
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('D', '丁商品')"));
    auto other = openAnother();
    other->execute(QStringLiteral("SET lock_timeout = '300ms'"));
    auto refusedAs = [](const std::function<void()>& statement) {
        try {
            statement();
        } catch (const db::Error& e) {
            return e.kind() == db::ErrorKind::ForeignKey ? QStringLiteral("reference") : QStringLiteral("other");
        }
        return QStringLiteral("done");
    };
    const QString deleteD = QStringLiteral("DELETE FROM SPB WHERE SPNO = 'D'");
    const QString nameD = QStringLiteral("INSERT INTO YPDSJB(SPNO, CKNO) VALUES('D', '001')");
    {
        db::Transaction tx(db());
        db().execute(nameD);
        EXPECT_EQ(refusedAs([&] { other->execute(deleteD); }), QStringLiteral("other"));  // waits, times out
        tx.commit();
    }
    EXPECT_EQ(refusedAs([&] { other->execute(deleteD); }), QStringLiteral("reference"));
    db().execute(QStringLiteral("DELETE FROM YPDSJB WHERE SPNO = 'D'"));
    {
        db::Transaction tx(db());
        db().execute(deleteD);
        EXPECT_EQ(refusedAs([&] { other->execute(nameD); }), QStringLiteral("other"));  // waits, times out
        tx.commit();
    }
    EXPECT_EQ(refusedAs([&] { other->execute(nameD); }), QStringLiteral("reference"));
    EXPECT_EQ(count(QStringLiteral("SPB"), QStringLiteral("SPNO = 'D'")), 0);
    EXPECT_EQ(count(QStringLiteral("YPDSJB"), QStringLiteral("SPNO = 'D'")), 0);
}

// The first initialisation inserts every row: a second one started meanwhile would collide
// with those rows unless it waits for the first and then rewrites them.
TEST_P(StocktakeTest, twoInitialisationsAtOnceTakeTurns) {
    if (GetParam() != db::Backend::Postgres) GTEST_SKIP() << "SQLite has one writer at a time";
    auto other = openAnother();
    db::Transaction tx(db());
    initialise();
    std::atomic<bool> finished{false};
    QString failure;
    std::thread second([&] {
        try {
            db::Stocktake(*other).initialise(kBegin, kEnd);
        } catch (const db::Error& e) {
            failure = e.message();
        }
        finished = true;
    });
    QThread::msleep(300);
    EXPECT_FALSE(finished.load());  // waiting for the first
    tx.commit();
    second.join();
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(count(QStringLiteral("YPDSJB")), count(QStringLiteral("SPB")) * count(QStringLiteral("STORE")));
}

TEST_P(StocktakeTest, theIntegrityCheckFindsAStocktakeRowNamingNothing) {
    initialise();
    EXPECT_TRUE(integrityFindings(QStringLiteral("stocktake-references")).isEmpty());
    executeUnchecked(QStringLiteral("INSERT INTO YPDSJB(SPNO, CKNO) VALUES('NONE', '001')"));
    const QStringList found = integrityFindings(QStringLiteral("stocktake-references"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0].contains(QStringLiteral("NONE"))) << found[0].toStdString();
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

// A shop whose stocktake was written before its references were checked per statement.
class StocktakeMigrationTest : public DbTest {
protected:
    int schemaVersion() const override { return 13; }
};

TEST_P(StocktakeMigrationTest, anEarlierStocktakeKeepsItsRowsAndItsReferences) {
    stocktake_shop::install(db());
    db::Stocktake(db()).initialise(kBegin, kEnd);
    db::Stocktake(db()).saveCounts({{QStringLiteral("A"), QStringLiteral("001"), 6}});
    db::Schema::migrate(db());
    EXPECT_EQ(count(QStringLiteral("YPDSJB")), 6);
    EXPECT_EQ(count(QStringLiteral("YPDSJB"), QStringLiteral("SPNO = 'A' AND CKNO = '001' AND CKPDSL = 6")), 1);
    for (const char* sql : {"INSERT INTO YPDSJB(SPNO, CKNO) VALUES('NONE', '001')", "DELETE FROM SPB WHERE SPNO = 'C'"}) {
        try {
            db().execute(QString::fromUtf8(sql));
            ADD_FAILURE() << sql << " must be refused";
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), db::ErrorKind::ForeignKey) << sql << ": " << e.message().toStdString();
        }
    }
    // The next stocktake starts over the rows of this one.
    db::Stocktake(db()).initialise(kBegin, kEnd);
    EXPECT_EQ(count(QStringLiteral("YPDSJB"), QStringLiteral("CKPDSL = 0")), 6);
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
INSTANTIATE_TEST_SUITE_P(Backends, StocktakeMigrationTest, ::testing::ValuesIn(backends()), backendName);
INSTANTIATE_TEST_SUITE_P(Backends, StockQueriesTest, ::testing::ValuesIn(backends()), backendName);
