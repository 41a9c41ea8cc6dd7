#include "DbTest.h"
#include "SalesShop.h"

#include "db/Error.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"
#include "sales/RetailPosting.h"

#include <chrono>
#include <thread>

namespace {

RetailSaleLine line(const QString& product, double quantity, const char* price, const QString& promoter = QStringLiteral("101")) {
    RetailSaleLine l;
    l.productNo = product;
    l.productName = product == QLatin1String("A") ? QStringLiteral("甲商品")
                    : product == QLatin1String("B") ? QStringLiteral("乙商品") : QStringLiteral("丙商品");
    l.unit = QStringLiteral("个");
    l.quantity = quantity;
    l.price = *Money::parse(QString::fromLatin1(price));
    l.promoterNo = promoter;
    return l;
}

RetailSale sale(std::vector<RetailSaleLine> lines, const char* received = nullptr) {
    RetailSale s;
    s.operatorNo = QStringLiteral("001");
    s.storeNo = QStringLiteral("001");
    s.customerName = QStringLiteral("李先生");
    s.customerAddress = QStringLiteral("人民路1号");
    s.customerPhone = QStringLiteral("13800000000");
    s.lines = std::move(lines);
    Money total;
    for (const RetailSaleLine& l : s.lines) total += l.amount();
    s.amountDue = total.roundedToCents();
    s.amountReceived = received ? *Money::parse(QString::fromLatin1(received)) : s.amountDue;
    return s;
}

}  // namespace

class RetailPostingTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        sales_shop::install(db());
    }
    double batchSold(const QString& product) {
        return scalar(QStringLiteral("SELECT SUM(XSSL) FROM JHDMXB WHERE SPNO = '%1'").arg(product)).toDouble();
    }
    qint64 documentRows() {
        return count(QStringLiteral("XSB")) + count(QStringLiteral("XSMXB")) + count(QStringLiteral("SYYSKB"))
               + count(QStringLiteral("XSCBB")) + count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLTYPE = '销售'"));
    }
};

TEST_P(RetailPostingTest, withoutStockCheckingOnlyTakingsHeaderAndLinesAreWritten) {
    sales_shop::checkStock(db(), false);
    const PostedSale posted = RetailPosting(db()).post(sale({line("A", 2, "5"), line("C", 1.5, "2.35")}, "20"));

    EXPECT_EQ(posted.saleNo.size(), 15);
    EXPECT_EQ(posted.movementNo.size(), 15);
    EXPECT_FALSE(posted.stockChecked);
    EXPECT_EQ(count(QStringLiteral("XSB")), 1);
    EXPECT_EQ(count(QStringLiteral("XSMXB"), QStringLiteral("XSNO = '%1'").arg(posted.saleNo)), 2);
    EXPECT_EQ(count(QStringLiteral("SYYSKB")), 1);
    EXPECT_EQ(count(QStringLiteral("XSCBB")), 0);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLTYPE = '销售'")), 0);
    EXPECT_EQ(batchSold(QStringLiteral("A")), 0);

    db::Statement h(db(), QStringLiteral("SELECT SPZE, SKZE, KHNO, KHLX, KHName, KHDZ, LXDH, BNNO, ZFBZ FROM XSB"));
    ASSERT_TRUE(h.first());
    EXPECT_EQ(h.money(0).toString(), QStringLiteral("13.53"));   // 10 + 3.525, rounded as shown
    EXPECT_EQ(h.money(1).toString(), QStringLiteral("20.00"));
    EXPECT_EQ(h.text(2), QStringLiteral("000"));
    EXPECT_EQ(h.text(3), QStringLiteral("L"));
    EXPECT_EQ(h.text(4), QStringLiteral("李先生"));
    EXPECT_EQ(h.text(5), QStringLiteral("人民路1号"));
    EXPECT_EQ(h.text(6), QStringLiteral("13800000000"));
    EXPECT_EQ(h.text(7), QStringLiteral("001"));
    EXPECT_EQ(h.integer(8), 0);

    db::Statement t(db(), QStringLiteral("SELECT SKMONEY, BNNO, JKFLAG FROM SYYSKB"));
    ASSERT_TRUE(t.first());
    EXPECT_EQ(t.money(0).toString(), QStringLiteral("13.53"));   // the change is not takings
    EXPECT_EQ(t.integer(2), 0);
    EXPECT_EQ(posted.change.toString(), QStringLiteral("6.47"));

    db::Statement l(db(), QStringLiteral("SELECT SPNO, SPSL, SPDJ, ZKL, ZJE, ZYNO FROM XSMXB WHERE SPNO = 'C'"));
    ASSERT_TRUE(l.first());
    EXPECT_DOUBLE_EQ(l.real(1), 1.5);
    EXPECT_EQ(l.money(2).toString(4), QStringLiteral("2.3500"));
    EXPECT_EQ(l.integer(3), 100);
    EXPECT_EQ(l.money(4).toString(4), QStringLiteral("3.5250"));  // four decimals kept on the line
    EXPECT_EQ(l.text(5), QStringLiteral("101"));
}

TEST_P(RetailPostingTest, anUnderpaidSaleStillSavesWithTheAmountReceivedAsTakings) {
    sales_shop::checkStock(db(), false);
    const PostedSale posted = RetailPosting(db()).post(sale({line("A", 3, "5")}, "12"));
    EXPECT_EQ(posted.change.toString(), QStringLiteral("0.00"));
    EXPECT_EQ(Money::fromVariant(scalar(QStringLiteral("SELECT SKMONEY FROM SYYSKB"))).toString(), QStringLiteral("12.00"));
    EXPECT_EQ(Money::fromVariant(scalar(QStringLiteral("SELECT SKZE FROM XSB"))).toString(), QStringLiteral("12.00"));
    EXPECT_EQ(Money::fromVariant(scalar(QStringLiteral("SELECT SPZE FROM XSB"))).toString(), QStringLiteral("15.00"));
}

TEST_P(RetailPostingTest, withStockCheckingLinesAreAllocatedMovedAndCostedEachAtItsOwnPrice) {
    sales_shop::checkStock(db(), true);
    // A at two prices (two lines, newest first), the first one spanning all three batches.
    const PostedSale posted = RetailPosting(db()).post(
        sale({line("A", 9.5, "5", QStringLiteral("101")), line("B", 2, "12.5", QStringLiteral("102")),
              line("A", 1, "4.5", QStringLiteral("102"))}));
    ASSERT_TRUE(posted.stockChecked);

    EXPECT_EQ(batchSold(QStringLiteral("A")), 10.5);
    EXPECT_EQ(batchSold(QStringLiteral("B")), 2);

    // One movement line per sale line, all under the one movement number, naming the sale.
    db::Statement m(db(), QStringLiteral("SELECT WLNO, JHDNO, SPNO, SL, CKNO FROM QTJHDMXB WHERE WLTYPE = '销售' ORDER BY ID"));
    m.exec();
    QStringList moved;
    while (m.next()) {
        EXPECT_EQ(m.text(0), posted.movementNo);
        EXPECT_EQ(m.text(1), posted.saleNo);
        EXPECT_EQ(m.text(4), QStringLiteral("001"));
        moved << m.text(2) + u':' + QString::number(m.real(3));
    }
    EXPECT_EQ(moved, (QStringList{QStringLiteral("A:9.5"), QStringLiteral("B:2"), QStringLiteral("A:1")}));
    EXPECT_DOUBLE_EQ(db::StockLedger(db()).storeCount(QStringLiteral("A"), QStringLiteral("001")), 18 - 10.5);

    // Cost rows: every row of a line carries that line's price, clerk and amounts.
    db::Statement cost(db(), QStringLiteral(
        "SELECT SPNO, XSSL, SJ, XSJE, DJ, ZJE, ZYNO, SPNAME, JSDW FROM XSCBB WHERE XSNO = :no ORDER BY ID"));
    cost.bind(QStringLiteral(":no"), posted.saleNo).exec();
    QStringList rows;
    while (cost.next()) {
        rows << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                    .arg(cost.text(0)).arg(cost.real(1)).arg(cost.money(2).toString(), cost.money(3).toString(),
                                                             cost.money(4).toString(), cost.money(5).toString(), cost.text(6));
        EXPECT_FALSE(cost.text(7).isEmpty());
        EXPECT_EQ(cost.text(8), QStringLiteral("个"));
    }
    EXPECT_EQ(rows, (QStringList{
                        QStringLiteral("A 5 5.00 25.00 3.00 15.00 101"),
                        QStringLiteral("A 3 5.00 15.00 3.00 9.00 101"),
                        QStringLiteral("A 1.5 5.00 7.50 3.00 4.50 101"),
                        QStringLiteral("B 2 12.50 25.00 8.00 16.00 102"),
                        QStringLiteral("A 1 4.50 4.50 3.00 3.00 102"),
                    }));
}

// A cost row's two amounts are products rounded once to four decimals, halves to even, the
// same on both backends: 1.0001 x 0.5 = 0.50005 -> 0.5000 and 2.0001 x 0.5 = 1.00005 -> 1.0000.
TEST_P(RetailPostingTest, costRowAmountsRoundHalfToEvenOnEveryBackend) {
    sales_shop::checkStock(db(), true);
    db().execute(QStringLiteral("UPDATE SPB SET CBJG = 2.0001, ZDJG = NULL WHERE SPNO = 'A'"));
    RetailPosting(db()).post(sale({line(QStringLiteral("A"), 0.5, "1.0001")}));
    db::Statement row(db(), QStringLiteral("SELECT SJ, XSJE, DJ, ZJE FROM XSCBB"));
    ASSERT_TRUE(row.first());
    EXPECT_EQ(row.money(0).toDecimalString(), QStringLiteral("1.0001"));
    EXPECT_EQ(row.money(1).toDecimalString(), QStringLiteral("0.5000"));
    EXPECT_EQ(row.money(2).toDecimalString(), QStringLiteral("2.0001"));
    EXPECT_EQ(row.money(3).toDecimalString(), QStringLiteral("1.0000"));
}

TEST_P(RetailPostingTest, aQuantityTheBatchesCannotCoverFailsAndLeavesNothing) {
    sales_shop::checkStock(db(), true);
    const QString lastX = [&] {
        return scalar(QStringLiteral("SELECT LASTNO FROM SERIALNO WHERE SERIALTYPE = 'X'"));
    }();
    try {
        RetailPosting(db()).post(sale({line("B", 1, "12.5"), line("A", 18.5, "5")}));
        FAIL() << "18.5 of A cannot come from 18 in the batches";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::Shortage);
    }
    EXPECT_EQ(documentRows(), 0);
    EXPECT_EQ(batchSold(QStringLiteral("A")), 0);
    EXPECT_EQ(batchSold(QStringLiteral("B")), 0);
    // PostgreSQL draws the numbers before the sale's transaction: a failed sale leaves one
    // unused. SQLite draws them inside it: a failed sale uses none.
    EXPECT_EQ(scalar(QStringLiteral("SELECT LASTNO FROM SERIALNO WHERE SERIALTYPE = 'X'")).toInt(),
              lastX.toInt() + (GetParam() == db::Backend::Postgres ? 1 : 0));
}

TEST_P(RetailPostingTest, aStoreThatCannotCoverTheQuantityFailsEvenWhenBatchesCould) {
    sales_shop::checkStock(db(), true);
    // B's batch is in store 001; store 002 holds none of it.
    RetailSale s = sale({line("B", 1, "12.5")});
    s.storeNo = QStringLiteral("002");
    try {
        RetailPosting(db()).post(s);
        FAIL() << "store 002 has no B";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::Shortage);
    }
    EXPECT_EQ(documentRows(), 0);
    EXPECT_EQ(batchSold(QStringLiteral("B")), 0);
    EXPECT_DOUBLE_EQ(db::StockLedger(db()).storeCount(QStringLiteral("B"), QStringLiteral("002")), 0);
}

TEST_P(RetailPostingTest, anotherTillSellingTheLastUnitsFirstMakesThisSaleFailCleanly) {
    sales_shop::checkStock(db(), true);
    auto other = openAnother();
    RetailPosting(*other).post(sale({line("B", 19, "12.5")}));
    EXPECT_THROW(RetailPosting(db()).post(sale({line("B", 2, "12.5")})), db::Error);
    EXPECT_EQ(count(QStringLiteral("XSB")), 1);
    EXPECT_EQ(batchSold(QStringLiteral("B")), 19);
    EXPECT_DOUBLE_EQ(db::StockLedger(db()).storeCount(QStringLiteral("B"), QStringLiteral("001")), 1);
}

TEST_P(RetailPostingTest, aFailingLaterStepRollsBackTheEarlierOnes) {
    sales_shop::checkStock(db(), true);
    // The second line names a clerk who does not exist: its insert fails after the
    // takings, the allocation of both lines and the header were written.
    EXPECT_THROW(RetailPosting(db()).post(sale({line("A", 2, "5"), line("B", 1, "12.5", QStringLiteral("999"))})),
                 db::Error);
    EXPECT_EQ(documentRows(), 0);
    EXPECT_EQ(batchSold(QStringLiteral("A")), 0);
    EXPECT_EQ(batchSold(QStringLiteral("B")), 0);
    // The connection is usable for the next sale.
    const PostedSale posted = RetailPosting(db()).post(sale({line("A", 2, "5")}));
    EXPECT_EQ(count(QStringLiteral("XSB"), QStringLiteral("XSNO = '%1'").arg(posted.saleNo)), 1);
}

TEST_P(RetailPostingTest, aLineOfQuantityZeroIsSavedWithoutTouchingStock) {
    sales_shop::checkStock(db(), true);
    const PostedSale posted = RetailPosting(db()).post(sale({line("A", 0, "5"), line("B", 1, "12.5")}));
    EXPECT_EQ(count(QStringLiteral("XSMXB"), QStringLiteral("XSNO = '%1'").arg(posted.saleNo)), 2);
    EXPECT_EQ(count(QStringLiteral("XSCBB"), QStringLiteral("SPNO = 'A'")), 0);
    EXPECT_EQ(batchSold(QStringLiteral("A")), 0);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLTYPE = '销售'")), 2);
}

TEST_P(RetailPostingTest, aStockSwitchThatCannotBeReadFailsThePostingInsteadOfSkippingStock) {
    sales_shop::checkStock(db(), true);
    db().execute(QStringLiteral("DROP TABLE sysvariable"));
    EXPECT_THROW(RetailPosting(db()).post(sale({line("A", 2, "5")})), db::Error);
    EXPECT_EQ(documentRows(), 0);
    EXPECT_EQ(batchSold(QStringLiteral("A")), 0);
}

// One till's posting stays open (its allocation waits on a lock held elsewhere); another
// till selling other goods must neither wait for it nor share its numbers.
TEST_P(RetailPostingTest, anOpenPostingOnOneTillDoesNotHoldUpAnotherTillsSale) {
    if (GetParam() != db::Backend::Postgres) GTEST_SKIP() << "SQLite queues every writer by design";
    sales_shop::checkStock(db(), true);
    auto blocker = openAnother();
    db::Transaction holdA(*blocker);
    blocker->execute(QStringLiteral("SELECT * FROM JHDMXB WHERE SPNO = 'A' FOR UPDATE"));

    std::string tillAFailure;
    QString tillASale;
    std::thread tillA([&] {
        try {
            auto connection = openAnother();
            tillASale = RetailPosting(*connection).post(sale({line("A", 2, "5")})).saleNo;
        } catch (const std::exception& e) {
            tillAFailure = e.what();
        }
    });
    // Wait until till A's posting is inside its transaction, waiting on the batch lock.
    bool waiting = false;
    for (int i = 0; i < 200 && !waiting; ++i) {
        waiting = scalar(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                                        "AND wait_event_type = 'Lock'")).toInt() > 0;
        if (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::string tillBFailure;
    QString tillBSale;
    if (waiting) {
        // Fails rather than hangs if the sale had to wait for a lock till A holds.
        db().execute(QStringLiteral("SET lock_timeout = '3s'"));
        try {
            tillBSale = RetailPosting(db()).post(sale({line("B", 1, "12.5")})).saleNo;
        } catch (const std::exception& e) {
            tillBFailure = e.what();
        }
    }
    holdA.rollback();
    tillA.join();
    ASSERT_TRUE(waiting) << "till A never reached its allocation";
    EXPECT_EQ(tillBFailure, "");
    EXPECT_EQ(tillAFailure, "");
    EXPECT_NE(tillASale, tillBSale);
    EXPECT_EQ(count(QStringLiteral("XSB")), 2);
    EXPECT_EQ(batchSold(QStringLiteral("A")), 2);
    EXPECT_EQ(batchSold(QStringLiteral("B")), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, RetailPostingTest, ::testing::ValuesIn(backends()), backendName);
