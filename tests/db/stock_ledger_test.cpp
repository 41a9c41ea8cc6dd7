#include "DbTest.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <thread>

namespace {

// Two products; product A has three batches received in this order: 5, 3 and 10 units.
void smallShopWithBatches(db::Connection& c) {
    c.execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '供应商')"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('A', '甲商品', '个', 5, 3)"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('B', '乙商品', '个', 8, 6)"));
    db::SerialNumbers serials(c);
    const double quantities[] = {5, 3, 10};
    for (double q : quantities) {
        const QString no = serials.next(QStringLiteral("J"));
        db::Statement h(c, QStringLiteral("INSERT INTO JHDSJB(JHDNO, CSNO) VALUES(:no, '001')"));
        h.bind(QStringLiteral(":no"), no).exec();
        db::Statement l(c, QStringLiteral("INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, CKNO) VALUES(:no, 'A', '甲商品', '个', 3, :sl, '001')"));
        l.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":sl"), q).exec();
        db::StockLedger(c).recordMovements(serials.next(QStringLiteral("W")), no,
                                           {{QStringLiteral("A"), QStringLiteral("甲商品"), QStringLiteral("个"), q,
                                             QStringLiteral("001"), db::MovementKind::Receive}},
                                           false);
    }
    c.execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO) VALUES('S1', '000')"));
}

QList<double> batchUse(db::Connection& c) {
    db::Statement s(c, QStringLiteral("SELECT XSSL FROM JHDMXB WHERE SPNO = 'A' ORDER BY JHDNO"));
    s.exec();
    QList<double> out;
    while (s.next()) out << s.real(0);
    return out;
}

}  // namespace

class StockLedgerTest : public DbTest {};

TEST_P(StockLedgerTest, saleTakesBatchesOldestFirstWithOneCostRowEach) {
    smallShopWithBatches(db());
    db::Transaction tx(db());
    const auto draws = db::StockLedger(db()).allocateSale(QStringLiteral("S1"), QStringLiteral("001"), QStringLiteral("A"), 9.5);
    tx.commit();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_DOUBLE_EQ(draws[0].quantity, 5);
    EXPECT_DOUBLE_EQ(draws[1].quantity, 3);
    EXPECT_DOUBLE_EQ(draws[2].quantity, 1.5);
    EXPECT_EQ(batchUse(db()), (QList<double>{5, 3, 1.5}));
    EXPECT_EQ(count(QStringLiteral("XSCBB"), QStringLiteral("XSNO = 'S1' AND SPNO = 'A'")), 3);
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(XSSL) FROM XSCBB")).toDouble(), 9.5);
}

TEST_P(StockLedgerTest, exactUseUpLeavesNoBatchAndTheNextSaleIsShort) {
    smallShopWithBatches(db());
    db::StockLedger ledger(db());
    ledger.allocateSale(QStringLiteral("S1"), QStringLiteral("001"), QStringLiteral("A"), 18);
    EXPECT_EQ(batchUse(db()), (QList<double>{5, 3, 10}));
    try {
        ledger.allocateSale(QStringLiteral("S1"), QStringLiteral("001"), QStringLiteral("A"), 0.5);
        FAIL() << "a sale beyond the batches must fail";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::Shortage);
    }
}

TEST_P(StockLedgerTest, aShortageInsideADocumentRollsBackEverything) {
    smallShopWithBatches(db());
    {
        db::Transaction tx(db());
        db::StockLedger ledger(db());
        ledger.allocateSale(QStringLiteral("S1"), QStringLiteral("001"), QStringLiteral("A"), 4);   // fits
        EXPECT_THROW(ledger.allocateSale(QStringLiteral("S1"), QStringLiteral("001"), QStringLiteral("B"), 1), db::Error);
        // the caller does not commit: the guard rolls back
    }
    EXPECT_EQ(batchUse(db()), (QList<double>{0, 0, 0}));
    EXPECT_EQ(count(QStringLiteral("XSCBB")), 0);
}

TEST_P(StockLedgerTest, storeCountIsTheMovementBalance) {
    smallShopWithBatches(db());
    db::StockLedger ledger(db());
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("A"), QStringLiteral("001")), 18);
    const std::pair<QString, double> moves[] = {
        {db::MovementKind::Sale, 2}, {db::MovementKind::Loss, 1}, {db::MovementKind::SupplierReturn, 0.5},
        {db::MovementKind::TransferOut, 4}, {db::MovementKind::ClientReturn, 1}, {db::MovementKind::TransferIn, 0.25}};
    for (const auto& [kind, qty] : moves)
        ledger.recordMovements(QStringLiteral("W"), QStringLiteral("D"),
                               {{QStringLiteral("A"), QString(), QString(), qty, QStringLiteral("001"), kind}}, true);
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("A"), QStringLiteral("001")), 18 - 2 - 1 - 0.5 - 4 + 1 + 0.25);
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("A"), QStringLiteral("999")), 0);
    EXPECT_DOUBLE_EQ(frmDM().GetStoreCount(QStringLiteral("NONE"), QStringLiteral("001")), 0);
}

TEST_P(StockLedgerTest, aBatchDrawnByAnotherTillMeanwhileIsNotOverdrawn) {
    smallShopWithBatches(db());
    auto other = openAnother();
    db::StockLedger(*other).allocateSale(QStringLiteral("S1"), QStringLiteral("002"), QStringLiteral("A"), 17);
    EXPECT_THROW(db::StockLedger(db()).allocateSale(QStringLiteral("S1"), QStringLiteral("001"), QStringLiteral("A"), 2),
                 db::Error);
    EXPECT_EQ(scalar(QStringLiteral("SELECT MIN(SL - XSSL) FROM JHDMXB")).toDouble(), 0);
}

TEST_P(StockLedgerTest, aWholeSaleIsAllocatedInLineOrderWithEachLinesOwnCostRows) {
    smallShopWithBatches(db());
    db().execute(QStringLiteral("INSERT INTO JHDSJB(JHDNO, CSNO) VALUES('J0', '001')"));
    db().execute(QStringLiteral("INSERT INTO JHDMXB(JHDNO, SPNO, SL, CKNO) VALUES('J0', 'B', 2, '001')"));
    // Product A stands on two lines (two prices at the counter); B between them; a zero line.
    const std::vector<db::SaleQuantity> lines = {
        {QStringLiteral("A"), 4}, {QStringLiteral("B"), 2}, {QStringLiteral("A"), 3}, {QStringLiteral("B"), 0}};
    db::Transaction tx(db());
    const auto perLine = db::StockLedger(db()).allocateSaleLines(QStringLiteral("S1"), QStringLiteral("001"), lines);
    tx.commit();
    ASSERT_EQ(perLine.size(), 4u);
    ASSERT_EQ(perLine[0].size(), 1u);   // 4 of the first batch's 5
    EXPECT_DOUBLE_EQ(perLine[0][0].quantity, 4);
    ASSERT_EQ(perLine[2].size(), 2u);   // the last 1 of the first batch, then 2 of the second
    EXPECT_EQ(perLine[2][0].batchNo, perLine[0][0].batchNo);
    EXPECT_DOUBLE_EQ(perLine[2][0].quantity, 1);
    EXPECT_DOUBLE_EQ(perLine[2][1].quantity, 2);
    EXPECT_TRUE(perLine[3].empty());
    EXPECT_EQ(batchUse(db()), (QList<double>{5, 2, 0}));
    // Cost rows exist as reported, in line order, each with its own quantity.
    for (size_t l = 0; l < perLine.size(); ++l)
        for (const db::BatchDraw& d : perLine[l]) {
            db::Statement row(db(), QStringLiteral("SELECT JHDNO, XSSL FROM XSCBB WHERE ID = :id"));
            ASSERT_TRUE(row.bind(QStringLiteral(":id"), d.costRowId).first());
            EXPECT_EQ(row.text(0), d.batchNo);
            EXPECT_DOUBLE_EQ(row.real(1), d.quantity);
        }
    EXPECT_LT(perLine[0][0].costRowId, perLine[1][0].costRowId);
    EXPECT_LT(perLine[1][0].costRowId, perLine[2][0].costRowId);
}

namespace {

db::Movement move(const QString& product, const QString& store, double quantity, const QString& kind) {
    return {product, QString(), QString(), quantity, store, kind};
}

// Every kept balance against the sum of its movement lines.
void expectBalancesEqualMovementSums(db::Connection& c) {
    db::Statement s(c, QStringLiteral(
        "SELECT M.SPNO, M.CKNO, SUM(%1), MAX(B.KCSL), COUNT(B.SPNO) FROM QTJHDMXB M LEFT JOIN KCYEB B "
        "ON B.SPNO = M.SPNO AND B.CKNO = M.CKNO GROUP BY M.SPNO, M.CKNO").arg(db::StockLedger::signedQuantitySql(QStringLiteral("M"))));
    s.exec();
    int groups = 0;
    while (s.next()) {
        ++groups;
        EXPECT_GT(s.integer(4), 0) << "no balance row for " << s.text(0).toStdString() << "/" << s.text(1).toStdString();
        EXPECT_NEAR(s.real(2), s.real(3), 1e-9) << s.text(0).toStdString() << "/" << s.text(1).toStdString();
    }
    EXPECT_GT(groups, 0);
}

}  // namespace

TEST_P(StockLedgerTest, balancesFollowEveryKindOfMovementAndEqualTheirSums) {
    smallShopWithBatches(db());
    db::StockLedger ledger(db());
    db().execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('002', '二号库', '0')"));
    const std::vector<db::Movement> document = {
        move(QStringLiteral("A"), QStringLiteral("001"), 2, db::MovementKind::Sale), move(QStringLiteral("A"), QStringLiteral("001"), 1, db::MovementKind::Loss),
        move(QStringLiteral("A"), QStringLiteral("001"), 0.5, db::MovementKind::SupplierReturn), move(QStringLiteral("A"), QStringLiteral("001"), 4, db::MovementKind::TransferOut),
        move(QStringLiteral("A"), QStringLiteral("002"), 4, db::MovementKind::TransferIn), move(QStringLiteral("A"), QStringLiteral("001"), 1, db::MovementKind::ClientReturn),
        move(QStringLiteral("A"), QStringLiteral("002"), 0.25, db::MovementKind::StocktakeLoss), move(QStringLiteral("B"), QStringLiteral("002"), 3, db::MovementKind::StocktakeGain),
        move(QStringLiteral("B"), QStringLiteral("002"), 1, db::MovementKind::Receive)};
    ledger.recordMovements(QStringLiteral("W1"), QStringLiteral("D1"), document, true);
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("A"), QStringLiteral("001")), 18 - 2 - 1 - 0.5 - 4 + 1);
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("A"), QStringLiteral("002")), 4 - 0.25);
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("B"), QStringLiteral("002")), 4);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = 'W1' AND JHDNO = 'D1'")), qint64(document.size()));
    expectBalancesEqualMovementSums(db());

    // Recomputing from the movements gives the same balances.
    ledger.rebuildBalances();
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("A"), QStringLiteral("001")), 11.5);
    expectBalancesEqualMovementSums(db());
}

TEST_P(StockLedgerTest, aDocumentThatWouldOverdrawAStoreIsRefusedWhole) {
    smallShopWithBatches(db());
    db::StockLedger ledger(db());
    {
        db::Transaction tx(db());
        try {
            // The first line fits; the two lines of A together take 19 of 18.
            ledger.recordMovements(QStringLiteral("W1"), QStringLiteral("D1"),
                                   {move(QStringLiteral("A"), QStringLiteral("001"), 10, db::MovementKind::Sale), move(QStringLiteral("A"), QStringLiteral("001"), 9, db::MovementKind::Loss)},
                                   true);
            FAIL() << "an overdrawn store must be refused";
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), db::ErrorKind::Shortage);
            EXPECT_TRUE(e.message().contains(QStringLiteral("A"))) << e.message().toStdString();
        }
    }
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("A"), QStringLiteral("001")), 18);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = 'W1'")), 0);
    // A store that never held the product cannot give any; without the guard it may go below zero.
    EXPECT_THROW(ledger.recordMovements(QStringLiteral("W2"), QStringLiteral("D2"), {move(QStringLiteral("B"), QStringLiteral("001"), 1, db::MovementKind::Sale)}, true),
                 db::Error);
    ledger.recordMovements(QStringLiteral("W3"), QStringLiteral("D3"), {move(QStringLiteral("B"), QStringLiteral("001"), 1, db::MovementKind::Sale)}, false);
    EXPECT_DOUBLE_EQ(ledger.storeCount(QStringLiteral("B"), QStringLiteral("001")), -1);
    EXPECT_THROW(ledger.recordMovements(QStringLiteral("W4"), QStringLiteral("D4"), {move(QStringLiteral("B"), QStringLiteral("001"), -1, db::MovementKind::Receive)}, false),
                 db::Error);
    EXPECT_THROW(ledger.recordMovements(QStringLiteral("W4"), QStringLiteral("D4"), {move(QStringLiteral("B"), QStringLiteral("001"), 1, QStringLiteral("其他"))}, false),
                 db::Error);
}

TEST_P(StockLedgerTest, concurrentDocumentsOnOneBalanceNeverLoseAnUpdate) {
    smallShopWithBatches(db());   // A: 18 in store 001
    constexpr int kTills = 4;
    constexpr int kEach = 10;
    std::vector<std::string> failures(kTills);
    std::vector<int> refused(kTills, 0);
    std::vector<std::thread> tills;
    for (int t = 0; t < kTills; ++t) {
        tills.emplace_back([&, t] {
            try {
                auto connection = openAnother();
                db::StockLedger ledger(*connection);
                for (int i = 0; i < kEach; ++i) {
                    db::Transaction tx(*connection);
                    try {
                        // Receive 1 and sell 0.5 in separate documents, so each balance update races the others.
                        ledger.recordMovements(QStringLiteral("W"), QStringLiteral("R"), {move(QStringLiteral("A"), QStringLiteral("001"), 1, db::MovementKind::Receive)}, true);
                        tx.commit();
                    } catch (const db::Error& e) {
                        ++refused[t];
                    }
                    db::Transaction sale(*connection);
                    ledger.recordMovements(QStringLiteral("W"), QStringLiteral("S"), {move(QStringLiteral("A"), QStringLiteral("001"), 0.5, db::MovementKind::Sale)}, true);
                    sale.commit();
                }
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
    }
    for (auto& th : tills) th.join();
    for (int t = 0; t < kTills; ++t) {
        EXPECT_EQ(failures[t], "");
        EXPECT_EQ(refused[t], 0);
    }
    EXPECT_DOUBLE_EQ(db::StockLedger(db()).storeCount(QStringLiteral("A"), QStringLiteral("001")), 18 + kTills * kEach * 0.5);
    expectBalancesEqualMovementSums(db());
}

INSTANTIATE_TEST_SUITE_P(Backends, StockLedgerTest, ::testing::ValuesIn(backends()), backendName);
