#include "DbTest.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

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
        db::Statement m(c, QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SL, CKNO, WLTYPE) VALUES(:wl, :no, 'A', :sl, '001', :t)"));
        m.bind(QStringLiteral(":wl"), serials.next(QStringLiteral("W"))).bind(QStringLiteral(":no"), no)
            .bind(QStringLiteral(":sl"), q).bind(QStringLiteral(":t"), db::MovementKind::Receive).exec();
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
    for (const auto& [kind, qty] : moves) {
        db::Statement m(db(), QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SL, CKNO, WLTYPE) VALUES('W', 'D', 'A', :sl, '001', :t)"));
        m.bind(QStringLiteral(":sl"), qty).bind(QStringLiteral(":t"), kind).exec();
    }
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

INSTANTIATE_TEST_SUITE_P(Backends, StockLedgerTest, ::testing::ValuesIn(backends()), backendName);
