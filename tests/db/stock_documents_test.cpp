#include "DbTest.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/StockDocuments.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <cmath>
#include <functional>
#include <thread>

using db::StockDocuments;

namespace {

const QString kMain = QStringLiteral("001");
const QString kSecond = QStringLiteral("002");

Money yuan(const char* text) { return *Money::parse(QString::fromLatin1(text)); }

}  // namespace

// Two suppliers, a client, two stores and two products; nothing in stock.
class StockDocumentsTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        for (const char* sql : {"INSERT INTO CSB(CSNO, CSNAME) VALUES('S01', '甲供应商')",
                                "INSERT INTO CSB(CSNO, CSNAME) VALUES('S02', '乙供应商')",
                                "INSERT INTO KHB(KHNO, KHNAME) VALUES('K01', '客户甲')",
                                "INSERT INTO STORE(CKNO, CKNAME) VALUES('002', '二号库')",
                                "INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('201', '王五', '0')",
                                "INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('A', '甲商品', '个', 5, 3)",
                                "INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('B', '乙商品', '盒', 12, 8)"})
            db().execute(QString::fromUtf8(sql));
        setCheckStore(true);
    }

    void setCheckStore(bool on) {
        db::Statement s(db(), QStringLiteral("UPDATE sysvariable SET vrvalue = :v WHERE vrname = 'isCheckStore'"));
        s.bind(QStringLiteral(":v"), on ? QStringLiteral("-1") : QStringLiteral("0")).exec();
    }

    static db::ReceivingLine line(const char* product, double quantity, const char* price, const QString& store = kMain) {
        const QString p = QString::fromLatin1(product);
        return {p, p == QLatin1String("A") ? QStringLiteral("甲商品") : QStringLiteral("乙商品"), QStringLiteral("个"),
                quantity, yuan(price), store};
    }
    db::PostedStockDocument receive(std::vector<db::ReceivingLine> lines, const QString& supplier = QStringLiteral("S01")) {
        db::Receiving r{QStringLiteral("GYS-88"), supplier, QStringLiteral("201"), QDateTime::currentDateTime(),
                        QStringLiteral("备注"), QStringLiteral("001"), std::move(lines)};
        return StockDocuments(db()).receive(r);
    }
    db::BatchLine fromBatch(const QString& batch, const char* product, double quantity, const char* price,
                            const QString& store = kMain) {
        return {batch, QString::fromLatin1(product), QString(), QString(), quantity, yuan(price), store};
    }
    // A wholesale-like sale to the client, allocated to batches, at `price` each.
    QString sell(const QString& client, const char* product, double quantity, const char* price) {
        static int n = 0;
        const QString no = QStringLiteral("X%1").arg(++n);
        db::Transaction tx(db());
        db::Statement h(db(), QStringLiteral("INSERT INTO XSB(XSNO, KHNO) VALUES(:no, :k)"));
        h.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":k"), client).exec();
        db::StockLedger(db()).allocateSale(no, QStringLiteral("001"), QString::fromLatin1(product), quantity);
        db::Statement sj(db(), QStringLiteral("UPDATE XSCBB SET SJ = :p WHERE XSNO = :no"));
        sj.bind(QStringLiteral(":p"), yuan(price)).bind(QStringLiteral(":no"), no).exec();
        tx.commit();
        return no;
    }
    double stock(const char* product, const QString& store = kMain) {
        return db::StockLedger(db()).storeCount(QString::fromLatin1(product), store);
    }
    double batchUsed(const QString& batch, const char* product) {
        return scalar(QStringLiteral("SELECT XSSL FROM JHDMXB WHERE JHDNO = '%1' AND SPNO = '%2'").arg(batch, QLatin1String(product)))
            .toDouble();
    }
    // Everything a document can write, so a refused one can be shown to have written nothing.
    QList<qint64> rowCounts() {
        QList<qint64> n;
        for (const char* t : {"JHDSJB", "JHDMXB", "GYSTHSJB", "GYSTHMXB", "KHTHSJB", "KHTHMXB", "BSB", "QTJHDMXB",
                              "GYSJSWLB", "KHJSWLB"})
            n << count(QString::fromLatin1(t));
        n << qint64(scalar(QStringLiteral("SELECT SUM(XSSL) FROM JHDMXB")).toDouble() * 1000)
          << qint64(scalar(QStringLiteral("SELECT SUM(THSL) FROM XSCBB")).toDouble() * 1000)
          << qint64(scalar(QStringLiteral("SELECT SUM(KCSL) FROM KCYEB")).toDouble() * 1000);
        return n;
    }
};

TEST_P(StockDocumentsTest, receivingWritesOneHeaderItsBatchesMovementsAndOneLedgerRow) {
    const auto first = receive({line("A", 10, "3.5"), line("B", 2.5, "8", kSecond)});
    EXPECT_EQ(first.total, yuan("55"));
    EXPECT_EQ(count(QStringLiteral("JHDSJB"), QStringLiteral("JHDNO = '%1' AND JHNO = 'GYS-88' AND CSNO = 'S01' AND JBR = '201' "
                                                              "AND BNNO = '001'").arg(first.documentNo)), 1);
    db::Statement batches(db(), QStringLiteral("SELECT SPNO, SL, XSSL, DJ, ZJE, CKNO FROM JHDMXB WHERE JHDNO = :no ORDER BY SPNO"));
    batches.bind(QStringLiteral(":no"), first.documentNo).exec();
    ASSERT_TRUE(batches.next());
    EXPECT_EQ(batches.real(1), 10);
    EXPECT_EQ(batches.real(2), 0);
    EXPECT_EQ(batches.money(3), yuan("3.5"));
    EXPECT_EQ(batches.money(4), yuan("35"));
    ASSERT_TRUE(batches.next());
    EXPECT_EQ(batches.text(5), kSecond);
    // One movement number for the whole document, each line into its own store.
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = '%1' AND JHDNO = '%2' AND WLTYPE = '入库'")
                                                    .arg(first.movementNo, first.documentNo)), 2);
    EXPECT_EQ(stock("A"), 10);
    EXPECT_EQ(stock("B", kSecond), 2.5);
    // The shop owes the supplier; the next receipt carries the balance on.
    const auto second = receive({line("A", 1, "0.25")});
    EXPECT_EQ(second.balance, yuan("55.25"));
    db::Statement ledger(db(), QStringLiteral("SELECT JSNO, JF, DF, JD, YE, DJBH FROM GYSJSWLB WHERE CSNO = 'S01' ORDER BY JSNO"));
    ledger.exec();
    ASSERT_TRUE(ledger.next());
    EXPECT_EQ(ledger.text(0), first.ledgerNo);
    EXPECT_EQ(ledger.money(1), yuan("55"));
    EXPECT_TRUE(ledger.isNull(2));
    EXPECT_EQ(ledger.text(3).trimmed(), QStringLiteral("借"));
    EXPECT_EQ(ledger.text(5), first.documentNo);
    ASSERT_TRUE(ledger.next());
    EXPECT_EQ(ledger.money(4), yuan("55.25"));
    EXPECT_FALSE(ledger.next());
}

TEST_P(StockDocumentsTest, supplierReturnDrawsOnItsBatchLeavesTheStoreAndLowersWhatTheShopOwes) {
    const auto in = receive({line("A", 10, "3")});
    const auto out = StockDocuments(db()).returnToSupplier(
        {QStringLiteral("S01"), QStringLiteral("001"), {fromBatch(in.documentNo, "A", 4, "3")}});
    EXPECT_EQ(batchUsed(in.documentNo, "A"), 4);
    EXPECT_EQ(stock("A"), 6);
    EXPECT_EQ(count(QStringLiteral("GYSTHSJB"), QStringLiteral("THDNO = '%1' AND CSNO = 'S01'").arg(out.documentNo)), 1);
    EXPECT_EQ(count(QStringLiteral("GYSTHMXB"), QStringLiteral("THDNO = '%1' AND JHDNO = '%2' AND SL = 4 AND JE = 12")
                                                    .arg(out.documentNo, in.documentNo)), 1);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = '%1' AND WLTYPE = '退货' AND CKNO = '001'").arg(out.movementNo)), 1);
    EXPECT_EQ(out.balance, yuan("18"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT JD FROM GYSJSWLB WHERE JSNO = '%1'").arg(out.ledgerNo)).trimmed(), QStringLiteral("贷"));
    // What is left of the batch is what the return list offers.
    const auto offered = StockDocuments(db()).supplierBatches(QStringLiteral("S01"), QStringLiteral("A"));
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].remaining, 6);
    EXPECT_TRUE(StockDocuments(db()).supplierBatches(QStringLiteral("S02"), QStringLiteral("A")).empty());
}

TEST_P(StockDocumentsTest, lossTakesFromTheBatchAndNamesTheLossOnItsMovement) {
    const auto in = receive({line("A", 5, "3")});
    const auto loss = StockDocuments(db()).writeOff({QStringLiteral("001"), {fromBatch(in.documentNo, "A", 5, "3")}});
    EXPECT_EQ(loss.total, yuan("15"));
    EXPECT_EQ(count(QStringLiteral("BSB"), QStringLiteral("BSDNO = '%1' AND JHDNO = '%2' AND SL = 5 AND DJ = 3 AND JE = 15 AND BNNO = '001'")
                                               .arg(loss.documentNo, in.documentNo)), 1);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = '%1' AND JHDNO = '%2' AND WLTYPE = '报损'")
                                                    .arg(loss.movementNo, loss.documentNo)), 1);
    EXPECT_EQ(stock("A"), 0);
    // A batch used up is offered no more.
    EXPECT_TRUE(StockDocuments(db()).lossBatches(QStringLiteral("A")).empty());
}

TEST_P(StockDocumentsTest, clientReturnGivesTheQuantityBackToTheSalesOwnBatch) {
    const auto older = receive({line("A", 2, "3")});
    const auto newer = receive({line("A", 10, "3")});
    const QString sale = sell(QStringLiteral("K01"), "A", 5, "6");  // 2 from the older batch, 3 from the newer
    db().execute(QStringLiteral("INSERT INTO KCYEB(SPNO, CKNO, KCSL) VALUES('A', '002', 0)"));
    const auto offered = StockDocuments(db()).returnableSales(QStringLiteral("K01"), QStringLiteral("A"));
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_TRUE(StockDocuments(db()).returnableSales(QStringLiteral("000"), QStringLiteral("A")).empty());

    const auto back = StockDocuments(db()).returnFromClient(
        {QStringLiteral("K01"), QStringLiteral("001"),
         {{sale, newer.documentNo, QStringLiteral("A"), QStringLiteral("甲商品"), QStringLiteral("个"), 3, yuan("6"), kSecond}}});
    EXPECT_EQ(batchUsed(older.documentNo, "A"), 2);  // untouched
    EXPECT_EQ(batchUsed(newer.documentNo, "A"), 0);  // whole again
    EXPECT_EQ(scalar(QStringLiteral("SELECT THSL FROM XSCBB WHERE XSNO = '%1' AND JHDNO = '%2'").arg(sale, newer.documentNo)).toDouble(), 3);
    EXPECT_EQ(stock("A", kSecond), 3);
    EXPECT_EQ(count(QStringLiteral("KHTHMXB"), QStringLiteral("THDNO = '%1' AND XSNO = '%2' AND JHDNO = '%3' AND JE = 18")
                                                   .arg(back.documentNo, sale, newer.documentNo)), 1);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLNO = '%1' AND WLTYPE = '客户退货' AND CKNO = '002'").arg(back.movementNo)), 1);
    // The client owes less: "借" on a client account.
    EXPECT_EQ(back.balance, yuan("-18"));
    // Only the older batch's part is still returnable.
    const auto left = StockDocuments(db()).returnableSales(QStringLiteral("K01"), QStringLiteral("A"));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].batchNo, older.documentNo);
    EXPECT_EQ(left[0].salePrice, yuan("6"));
}

TEST_P(StockDocumentsTest, transferMovesTheQuantityOutOfOneStoreIntoTheOther) {
    receive({line("A", 10, "3"), line("B", 4, "8")});
    const auto moved = StockDocuments(db()).transfer(
        {QStringLiteral("001"),
         {{QStringLiteral("A"), QStringLiteral("甲商品"), QStringLiteral("个"), 7, kSecond, kMain},
          {QStringLiteral("B"), QStringLiteral("乙商品"), QStringLiteral("盒"), 4, kSecond, kMain}}});
    EXPECT_EQ(stock("A"), 3);
    EXPECT_EQ(stock("A", kSecond), 7);
    EXPECT_EQ(stock("B"), 0);
    EXPECT_EQ(stock("B", kSecond), 4);
    EXPECT_EQ(count(QStringLiteral("vwDBCL"), QStringLiteral("WLNO = '%1'").arg(moved.movementNo)), 4);
    EXPECT_EQ(count(QStringLiteral("vwDBCL"), QStringLiteral("WLNO = '%1' AND WLTYPE = '调出' AND CKNO = '001'").arg(moved.movementNo)), 2);
    EXPECT_EQ(count(QStringLiteral("JHDMXB"), QStringLiteral("XSSL <> 0")), 0);  // batches are not tied to stores
}

TEST_P(StockDocumentsTest, aDocumentThatWouldOverdrawFailsWholeAndWritesNothing) {
    const auto in = receive({line("A", 5, "3"), line("B", 2, "8")}, QStringLiteral("S01"));
    const auto fromOther = receive({line("A", 1, "3")}, QStringLiteral("S02"));
    const QString sale = sell(QStringLiteral("K01"), "B", 2, "12");
    const QString one = QStringLiteral("001");
    auto clientLine = [&](double q) {
        return db::ClientReturnLine{sale, in.documentNo, QStringLiteral("B"), QString(), QString(), q, yuan("12"), kMain};
    };
    struct Case {
        const char* name;
        std::function<void(StockDocuments&)> post;
    };
    // In every case the first line fits and a later one does not.
    const Case cases[] = {
        {"supplier return beyond the batch",
         [&](StockDocuments& d) { d.returnToSupplier({QStringLiteral("S01"), one, {fromBatch(in.documentNo, "A", 2, "3"), fromBatch(in.documentNo, "A", 3.5, "3")}}); }},
        {"supplier return from another supplier's batch",
         [&](StockDocuments& d) { d.returnToSupplier({QStringLiteral("S01"), one, {fromBatch(in.documentNo, "A", 1, "3"), fromBatch(fromOther.documentNo, "A", 1, "3")}}); }},
        {"loss beyond the batch",
         [&](StockDocuments& d) { d.writeOff({one, {fromBatch(in.documentNo, "A", 5, "3"), fromBatch(fromOther.documentNo, "A", 1.5, "3")}}); }},
        {"loss beyond the store",
         [&](StockDocuments& d) { d.writeOff({one, {fromBatch(in.documentNo, "A", 1, "3"), fromBatch(fromOther.documentNo, "A", 1, "3", kSecond)}}); }},
        {"client return beyond the sale",
         [&](StockDocuments& d) { d.returnFromClient({QStringLiteral("K01"), one, {clientLine(1), clientLine(1.5)}}); }},
        {"client return of another client's sale",
         [&](StockDocuments& d) { d.returnFromClient({QStringLiteral("000"), one, {clientLine(1)}}); }},
        {"transfer beyond the out-store",
         [&](StockDocuments& d) {
             d.transfer({one, {{QStringLiteral("A"), QString(), QString(), 6, kSecond, kMain},
                               {QStringLiteral("A"), QString(), QString(), 0.5, kSecond, kMain}}});
         }},
    };
    const QList<qint64> before = rowCounts();
    for (const Case& c : cases) {
        StockDocuments documents(db());
        try {
            c.post(documents);
            ADD_FAILURE() << c.name << ": posted";
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), db::ErrorKind::Shortage) << c.name << ": " << e.what();
        }
        EXPECT_EQ(rowCounts(), before) << c.name;
        EXPECT_FALSE(db().inTransaction()) << c.name;
    }
}

TEST_P(StockDocumentsTest, emptyDocumentsQuantitiesOfZeroOrLessAndNegativePricesAreRefusedBeforeAnyNumberIsDrawn) {
    StockDocuments documents(db());
    const QString one = QStringLiteral("001");
    const std::function<void()> posts[] = {
        [&] { receive({}); },
        [&] { receive({line("A", 0, "3")}); },
        [&] { receive({line("A", -1, "3")}); },
        [&] { receive({line("A", 1, "-3")}); },  // a price below nothing
        [&] { receive({line("A", 1, "3"), line("A", 2, "3", kSecond)}); },  // one batch per product and receipt
        [&] { documents.writeOff({one, {}}); },
        [&] { documents.returnToSupplier({QStringLiteral("S01"), one, {fromBatch(QStringLiteral("J"), "A", 0, "1")}}); },
        [&] { documents.returnFromClient({QStringLiteral("K01"), one, {}}); },
        [&] { documents.transfer({one, {{QStringLiteral("A"), QString(), QString(), std::nan(""), kSecond, kMain}}}); },
    };
    for (size_t i = 0; i < std::size(posts); ++i) EXPECT_THROW(posts[i](), db::Error) << "case " << i;
    EXPECT_EQ(count(QStringLiteral("SERIALNO")), 0);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB")), 0);
}

TEST_P(StockDocumentsTest, tillsReceivingForOneSupplierAtOnceKeepItsBalanceChainExact) {
    constexpr int kTills = 4;
    constexpr int kEach = 6;
    std::vector<std::string> failures(kTills);
    std::vector<std::thread> tills;
    for (int t = 0; t < kTills; ++t) {
        tills.emplace_back([&, t] {
            try {
                auto connection = openAnother();
                StockDocuments documents(*connection);
                for (int i = 0; i < kEach; ++i) {
                    db::Receiving r{QString(), QStringLiteral("S01"), QString(), QDateTime::currentDateTime(), QString(),
                                    QStringLiteral("001"), {line(t % 2 ? "A" : "B", 1, "1.01")}};
                    const QString batch = documents.receive(r).documentNo;
                    // Returns to the supplier interleave with the receipts on the same account.
                    if (i % 2) {
                        documents.returnToSupplier({QStringLiteral("S01"), QStringLiteral("001"),
                                                    {{batch, r.lines[0].productNo, QString(), QString(), 1, yuan("1.01"), kMain}}});
                    }
                }
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
    }
    for (auto& th : tills) th.join();
    for (const std::string& f : failures) EXPECT_EQ(f, "");
    db::Statement rows(db(), QStringLiteral("SELECT JF, DF, YE FROM GYSJSWLB WHERE CSNO = 'S01' ORDER BY JSNO"));
    rows.exec();
    Money running;
    int n = 0;
    while (rows.next()) {
        running += rows.money(0) - rows.money(1);
        EXPECT_EQ(rows.money(2), running) << "row " << n;
        ++n;
    }
    EXPECT_EQ(n, kTills * kEach * 3 / 2);
    EXPECT_EQ(running, yuan("1.01").times(kTills * kEach / 2));
    EXPECT_EQ(stock("A") + stock("B"), kTills * kEach / 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, StockDocumentsTest, ::testing::ValuesIn(backends()), backendName);
