// The integrity rules on a small shop: clean after real postings, and each kind of damage
// found by the rule that guards against it and by no other.
#include "../sales/SalesShop.h"
#include "DbTest.h"
#include "db/IntegrityCheck.h"
#include "db/Statement.h"
#include "db/StockDocuments.h"
#include "db/Stocktake.h"
#include "db/Transaction.h"
#include "sales/CashierHandIn.h"
#include "sales/RetailPosting.h"
#include "sales/WholesalePosting.h"

#include <QFile>
#include <QProcess>
#include <QSet>

QT_BEGIN_NAMESPACE
// Rule names in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }
QT_END_NAMESPACE

namespace {

RetailSaleLine line(const QString& product, double quantity, const char* price) {
    RetailSaleLine l;
    l.productNo = product;
    l.productName = product;
    l.unit = QStringLiteral("个");
    l.quantity = quantity;
    l.price = *Money::parse(QString::fromLatin1(price));
    return l;
}

PostedSale sell(db::Connection& c, std::vector<RetailSaleLine> lines) {
    RetailSale sale;
    sale.operatorNo = QStringLiteral("001");
    sale.storeNo = QStringLiteral("001");
    for (const RetailSaleLine& l : lines) sale.amountDue += l.amount();
    sale.amountReceived = sale.amountDue;
    sale.lines = std::move(lines);
    return RetailPosting(c).post(sale);
}

void ledgerRow(db::Connection& c, const QString& table, const QString& account, const QString& no, const char* side,
               const char* amount, const char* balance) {
    const bool debit = QString::fromUtf8(side) == QStringLiteral("借");
    const QString column = table == QLatin1String("KHJSWLB") ? QStringLiteral("KHNO") : QStringLiteral("CSNO");
    db::Statement s(c, QStringLiteral("INSERT INTO %1(JSNO, %2, JF, DF, JD, YE) VALUES(:no, :acc, :jf, :df, :jd, :ye)")
                           .arg(table, column));
    s.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":acc"), account).bind(QStringLiteral(":jd"), QString::fromUtf8(side))
        .bind(QStringLiteral(":ye"), *Money::parse(QString::fromLatin1(balance)));
    if (debit) s.bind(QStringLiteral(":jf"), *Money::parse(QString::fromLatin1(amount))).bindNull(QStringLiteral(":df"));
    else s.bindNull(QStringLiteral(":jf")).bind(QStringLiteral(":df"), *Money::parse(QString::fromLatin1(amount)));
    s.exec();
}

}  // namespace

class IntegrityCheckTest : public DbTest {
protected:
    // Two stock-checked sales (the first draws on two batches of A), one sale with stock
    // checking off, and a client and a supplier ledger whose balances chain correctly; then
    // one document of every stock kind, a wholesale sale partly returned, a stocktake with a
    // shortfall and a gain, and the cashier's hand-in.
    void SetUp() override {
        DbTest::SetUp();
        sales_shop::install(db());
        sales_shop::checkStock(db(), true);
        first = sell(db(), {line(QStringLiteral("A"), 6, "5"), line(QStringLiteral("B"), 2, "12.5")});
        second = sell(db(), {line(QStringLiteral("A"), 1, "5"), line(QStringLiteral("B"), 1, "12.5")});
        sales_shop::checkStock(db(), false);
        sell(db(), {line(QStringLiteral("C"), 3, "2")});
        db().execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES('001', '客户')"));
        ledgerRow(db(), QStringLiteral("KHJSWLB"), QStringLiteral("001"), QStringLiteral("K1"), "借", "100", "-100");
        ledgerRow(db(), QStringLiteral("KHJSWLB"), QStringLiteral("001"), QStringLiteral("K2"), "贷", "30.5", "-69.5");
        ledgerRow(db(), QStringLiteral("GYSJSWLB"), QStringLiteral("001"), QStringLiteral("F1"), "借", "200", "200");
        ledgerRow(db(), QStringLiteral("GYSJSWLB"), QStringLiteral("001"), QStringLiteral("F2"), "贷", "50", "150");

        sales_shop::checkStock(db(), true);
        const QString store = QStringLiteral("001");
        db::StockDocuments documents(db());
        documents.receive({QStringLiteral("S1"), QStringLiteral("001"), QString(), QDateTime(), QString(), QStringLiteral("001"),
                           {{QStringLiteral("C"), QStringLiteral("C"), QStringLiteral("瓶"), 10, Money::fromCents(100), store}}});
        const QString batchOfB = batchOf(QStringLiteral("B"));
        documents.returnToSupplier({QStringLiteral("001"), QStringLiteral("001"),
                                    {{batchOfB, QStringLiteral("B"), QStringLiteral("B"), QStringLiteral("盒"), 2,
                                      Money::fromCents(800), store}}});
        documents.writeOff({QStringLiteral("001"),
                            {{batchOfB, QStringLiteral("B"), QStringLiteral("B"), QStringLiteral("盒"), 1, Money::fromCents(800), store}}});
        documents.transfer({QStringLiteral("001"),
                            {{QStringLiteral("C"), QStringLiteral("C"), QStringLiteral("瓶"), 4, QStringLiteral("002"), store}}});

        WholesaleSale wholesale;
        wholesale.clientNo = QStringLiteral("001");
        wholesale.operatorNo = QStringLiteral("001");
        wholesale.storeNo = store;
        wholesale.lines = {line(QStringLiteral("A"), 3, "5")};
        wholesale.amountDue = *Money::parse(QStringLiteral("15"));
        wholesale.amountReceived = *Money::parse(QStringLiteral("10"));
        wholesaleNo = WholesalePosting(db()).post(wholesale).sale.saleNo;
        const auto returnable = documents.returnableSales(QStringLiteral("001"), QStringLiteral("A"));
        ASSERT_FALSE(returnable.empty());
        documents.returnFromClient({QStringLiteral("001"), QStringLiteral("001"),
                                    {{returnable[0].saleNo, returnable[0].batchNo, QStringLiteral("A"), QStringLiteral("A"),
                                      QStringLiteral("个"), 1, returnable[0].salePrice, store}}});

        db::Stocktake stocktake(db());
        stocktake.initialise(QDate::currentDate(), QDate::currentDate());
        stocktake.saveCounts({{QStringLiteral("A"), store, 5}, {QStringLiteral("B"), store, 20}});
        stocktake.apply(QStringLiteral("001"), true);

        ASSERT_TRUE(CashierHandIn(db()).record({QStringLiteral("001"), QString(), QDate::currentDate(),
                                                 Money::fromCents(100), QStringLiteral("001")}));
    }

    QString batchOf(const QString& product) {
        db::Statement s(db(), QStringLiteral("SELECT MIN(JHDNO) FROM JHDMXB WHERE SPNO = :s AND SL - XSSL >= 3"));
        s.bind(QStringLiteral(":s"), product);
        return s.first() ? s.text(0) : QString();
    }

    QSet<QString> rulesBroken() {
        QSet<QString> rules;
        for (const db::IntegrityProblem& p : db::IntegrityCheck(db()).run()) rules << p.rule;
        return rules;
    }

    // One or more statements, separated by ";"; :sale names the given sale.
    void exec(const QString& sql, const QString& saleNo) {
        for (const QString& one : sql.split(u';', Qt::SkipEmptyParts)) {
            db::Statement s(db(), one);
            if (one.contains(QLatin1String(":sale"))) s.bind(QStringLiteral(":sale"), saleNo);
            s.exec();
        }
    }

    PostedSale first, second;
    QString wholesaleNo;
};

TEST_P(IntegrityCheckTest, realPostingsBreakNoRule) {
    const auto problems = db::IntegrityCheck(db()).run();
    for (const auto& p : problems) ADD_FAILURE() << p.rule.toStdString() << ": " << p.detail.toStdString();
    EXPECT_TRUE(problems.empty());
}

TEST_P(IntegrityCheckTest, eachDamageIsFoundByItsRules) {
    struct Case {
        const char* damage;
        const char* sql;   // :sale is the first sale's number, or the wholesale sale's
        QSet<QString> rules;
        bool wholesale = false;
    };
    const Case cases[] = {
        {"a sale lost its lines", "DELETE FROM XSMXB WHERE XSNO = :sale",
         {QStringLiteral("documents-complete"), QStringLiteral("sale-stock")}},
        {"a sale lost its takings", "DELETE FROM SYYSKB WHERE XSNO = :sale",
         {QStringLiteral("sale-takings"), QStringLiteral("hand-in-takings")}},
        {"a sale lost one of its batch draws",
         "DELETE FROM XSCBB WHERE ID = (SELECT MIN(ID) FROM XSCBB WHERE XSNO = :sale AND SPNO = 'A')",
         {QStringLiteral("sale-stock"), QStringLiteral("batch-drawn"), QStringLiteral("movement-cost")}},
        {"a sale lost its movement lines", "DELETE FROM QTJHDMXB WHERE JHDNO = :sale",
         {QStringLiteral("sale-stock"), QStringLiteral("store-balance-kept"), QStringLiteral("month-end-balance"),
          QStringLiteral("movement-cost")}},
        {"a batch gave more than it received", "UPDATE JHDMXB SET XSSL = SL + 1 WHERE SPNO = 'B'",
         {QStringLiteral("batch-remainder"), QStringLiteral("batch-drawn"), QStringLiteral("batches-match-stores")}},
        {"a movement overdrew a store behind its kept balance",
         "INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SL, CKNO, WLTYPE) VALUES('WX', 'LX', 'A', 30, '002', '报损')",
         {QStringLiteral("store-balance"), QStringLiteral("store-balance-kept"), QStringLiteral("document-movements"),
          QStringLiteral("month-end-balance")}},
        {"a kept store balance went below zero", "UPDATE KCYEB SET KCSL = -2 WHERE SPNO = 'A' AND CKNO = '001'",
         {QStringLiteral("store-balance"), QStringLiteral("store-balance-kept"), QStringLiteral("batches-match-stores"),
          QStringLiteral("month-end-balance")}},
        {"a client balance skipped a posting", "UPDATE KHJSWLB SET YE = -60 WHERE JSNO = 'K2'",
         {QStringLiteral("client-ledger-chain")}},
        {"a supplier row put its debit in the credit column", "UPDATE GYSJSWLB SET JF = NULL, DF = 200 WHERE JSNO = 'F1'",
         {QStringLiteral("supplier-ledger-chain")}},
        {"a movement number was given to two sales",
         "UPDATE QTJHDMXB SET WLNO = (SELECT MIN(WLNO) FROM QTJHDMXB WHERE JHDNO = :sale) "
         "WHERE ID = (SELECT MAX(ID) FROM QTJHDMXB WHERE WLTYPE = '销售')",
         {QStringLiteral("numbers-unique")}},
        {"a receiving line claims more than it moved", "UPDATE JHDMXB SET SL = SL + 1 WHERE SPNO = 'C'",
         {QStringLiteral("document-movements"), QStringLiteral("batches-match-stores")}},
        {"a loss line was recorded twice the quantity it moved", "UPDATE BSB SET SL = SL * 2",
         {QStringLiteral("document-movements"), QStringLiteral("batch-drawn")}},
        {"a supplier return lost its lines", "DELETE FROM GYSTHMXB",
         {QStringLiteral("documents-complete"), QStringLiteral("document-movements"), QStringLiteral("batch-drawn"),
          QStringLiteral("movement-cost")}},
        {"a receiving's movement line carries another cost",
         "UPDATE QTJHDMXB SET CBJE = CBJE + 0.01 WHERE ID = (SELECT MIN(ID) FROM QTJHDMXB WHERE WLTYPE = '入库')",
         {QStringLiteral("movement-cost")}},
        {"a transfer's way in went under another movement number",
         "UPDATE QTJHDMXB SET WLNO = 'WX', JHDNO = 'WX' WHERE WLTYPE = '调入'", {QStringLiteral("transfers-paired")}},
        {"a client return was not recorded on the sale", "UPDATE XSCBB SET THSL = 0",
         {QStringLiteral("client-returns-recorded")}},
        {"a sale's cost row shows more returned than sold",
         "UPDATE XSCBB SET THSL = XSSL + 1 WHERE XSNO = :sale AND THSL > 0;"
         "UPDATE KHTHMXB SET SL = (SELECT SUM(THSL) FROM XSCBB WHERE XSNO = :sale)",
         {QStringLiteral("client-return-within-sale"), QStringLiteral("document-movements"), QStringLiteral("batch-drawn")},
         true},
        {"a sale line carries another day", "UPDATE XSMXB SET XSDAY = '1999-01-01' WHERE XSNO = :sale",
         {QStringLiteral("sale-line-day")}},
        {"a wholesale sale lost its payment row", "DELETE FROM KHJSWLB WHERE DJBH = :sale AND JD = '借'",
         {QStringLiteral("wholesale-ledger"), QStringLiteral("client-ledger-chain")}, true},
        {"a hand-in recorded more than it marked", "UPDATE SYYJKB SET YJJE = YJJE + 1",
         {QStringLiteral("hand-in-takings")}},
        {"a carry-forward recorded a position the movements never had",
         "INSERT INTO YZJZSJB(ENDDATE, BEGDATE) VALUES('2000-01-31 00:00:00', '2000-01-01 00:00:00');"
         "INSERT INTO YZJZMXB(ENDDATE, SPNO, JZSL, JZJE, JZDJ) VALUES('2000-01-31 00:00:00', 'A', 5, 15, 3)",
         {QStringLiteral("month-end-balance")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        {
            // Rolled back at the end of the block: each damage meets the clean shop.
            db::Transaction tx(db());
            exec(QString::fromUtf8(c.sql), c.wholesale ? wholesaleNo : first.saleNo);
            EXPECT_EQ(rulesBroken(), c.rules);
        }
        EXPECT_EQ(rulesBroken(), QSet<QString>());
    }
}

TEST_P(IntegrityCheckTest, problemsNameTheRowsAndAreCountedBeyondTheLimit) {
    exec(QStringLiteral("DELETE FROM SYYSKB"), QString());
    std::vector<db::IntegrityProblem> problems;
    for (const db::IntegrityProblem& p : db::IntegrityCheck(db()).run(2))
        if (p.rule == QLatin1String("sale-takings")) problems.push_back(p);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].detail, QStringLiteral("XSNO=%1, TAKINGS_ROWS=0").arg(first.saleNo));
    EXPECT_EQ(problems[2].detail, QStringLiteral("and 2 more rows"));
}

INSTANTIATE_TEST_SUITE_P(Backends, IntegrityCheckTest, ::testing::ValuesIn(backends()), backendName);

namespace {

struct ProgramRun {
    int code;
    QString out;
    QString err;
};

ProgramRun pos(const QStringList& arguments) {
    QProcess p;
    p.start(QString::fromUtf8(POS_BINARY), arguments);
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

class IntegrityCommandTest : public DbTest {};

TEST_P(IntegrityCommandTest, exitCodeTellsCleanDamagedAndMisused) {
    const QString url = this->url().display();
    sales_shop::install(db());
    sales_shop::checkStock(db(), true);
    const PostedSale sale = sell(db(), {line(QStringLiteral("A"), 2, "5")});

    const ProgramRun clean = pos({QStringLiteral("--check-integrity"), QStringLiteral("--database"), url});
    EXPECT_EQ(clean.code, 0) << clean.out.toStdString() << clean.err.toStdString();

    db::Statement damage(db(), QStringLiteral("DELETE FROM SYYSKB WHERE XSNO = :xsno"));
    damage.bind(QStringLiteral(":xsno"), sale.saleNo).exec();
    const ProgramRun damaged = pos({QStringLiteral("--check-integrity"), QStringLiteral("--database"), url});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_TRUE(damaged.out.contains(QStringLiteral("sale-takings: XSNO=") + sale.saleNo)) << damaged.out.toStdString();

    EXPECT_EQ(pos({QStringLiteral("--check-integrity"), QStringLiteral("--init-database"), QStringLiteral("--database"), url}).code, 2);
}

TEST_P(IntegrityCommandTest, aDamagedOrMissingFileIsAProblem) {
    if (GetParam() != db::Backend::Sqlite) GTEST_SKIP() << "files are SQLite's";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shop.db"));
    ASSERT_EQ(pos({QStringLiteral("--database"), QStringLiteral("sqlite:") + path, QStringLiteral("--demo-data")}).code, 0);
    {
        // A page in the middle of the file zeroed, as a failing disk leaves it.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_GT(file.size(), 20 * 4096);
        file.seek((file.size() / 4096 / 2) * 4096);
        file.write(QByteArray(4096, '\0'));
    }
    const ProgramRun damaged = pos({QStringLiteral("--check-integrity"), QStringLiteral("--database"), QStringLiteral("sqlite:") + path});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_TRUE(damaged.out.contains(QStringLiteral("sqlite-quick-check: "))) << damaged.out.toStdString();

    const ProgramRun missing = pos({QStringLiteral("--check-integrity"), QStringLiteral("--database"),
                                    QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("none.db"))});
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(missing.err.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, IntegrityCommandTest, ::testing::ValuesIn(backends()), backendName);
