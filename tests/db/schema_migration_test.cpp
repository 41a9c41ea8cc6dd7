#include "DbTest.h"

#include "db/Error.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <functional>

namespace {

// Reads back a ledger side and a few fixed-width codes exactly as the program sees them.
void expectTextReadsBackAsWritten(const std::function<QString(const QString&)>& scalar) {
    EXPECT_EQ(scalar(QStringLiteral("SELECT JD FROM KHJSWLB WHERE JSNO = 'K1'")), QStringLiteral("借"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT JD FROM GYSJSWLB WHERE JSNO = 'F1'")), QStringLiteral("贷"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM KHJSWLB WHERE JD = '借'")), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT KHLX FROM XSB WHERE XSNO = 'X1'")), QString());
    EXPECT_EQ(scalar(QStringLiteral("SELECT length(JD) FROM KHJSWLB WHERE JSNO = 'K1'")), QStringLiteral("1"));
}

void insertShop(db::Connection& c) {
    c.execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES('001', '客户')"));
    c.execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '厂商')"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, BZJG, ZDJG) VALUES('P0', '无最低价', 12.5, 0)"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, BZJG, ZDJG) VALUES('P1', '有最低价', 12.5, 4.5)"));
    c.execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO, KHLX) VALUES('X1', '000', '')"));
    c.execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPSL, SPDJ, ZJE) VALUES('X1', 'P1', 1, 12.5, 12.5)"));
    c.execute(QStringLiteral("INSERT INTO KHJSWLB(JSNO, KHNO, JF, JD, YE) VALUES('K1', '001', 10, '借', -10)"));
    c.execute(QStringLiteral("INSERT INTO GYSJSWLB(JSNO, CSNO, DF, JD, YE) VALUES('F1', '001', 10, '贷', -10)"));
}

}  // namespace

// A database written by the first schema, with products, a sale and ledger rows.
class SchemaMigrationTest : public DbTest {
protected:
    int schemaVersion() const override { return 1; }
};

TEST_P(SchemaMigrationTest, anOlderDatabaseKeepsItsRowsAndKeysAndGetsEmptyLowestPrices) {
    insertShop(db());
    db::Schema::migrate(db());
    EXPECT_EQ(db::Schema::storedVersion(db()), db::Schema::currentVersion());

    // A zero floor was an empty box: it is empty now, so the standard price is the floor.
    EXPECT_EQ(count(QStringLiteral("SPB"), QStringLiteral("SPNO = 'P0' AND ZDJG IS NULL")), 1);
    db::Statement p1(db(), QStringLiteral("SELECT ZDJG, BZJG FROM SPB WHERE SPNO = 'P1'"));
    ASSERT_TRUE(p1.first());
    EXPECT_EQ(p1.money(0).toDecimalString(), QStringLiteral("4.5000"));
    p1.query().finish();
    // A product stored without a lowest price keeps none.
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, BZJG) VALUES('P2', '新商品', 3)"));
    EXPECT_EQ(count(QStringLiteral("SPB"), QStringLiteral("SPNO = 'P2' AND ZDJG IS NULL")), 1);

    // The rebuilt product table is still the parent of the sale lines, and keys are enforced.
    try {
        db().execute(QStringLiteral("DELETE FROM SPB WHERE SPNO = 'P1'"));
        FAIL() << "a product a sale line names must not be deletable";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::ForeignKey);
    }
    EXPECT_THROW(db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES('X1', 'NONE')")), db::Error);
    // The views over the product table work again.
    EXPECT_EQ(count(QStringLiteral("vwSPXXCX")), 3);
    EXPECT_EQ(count(QStringLiteral("vwSPXSMXCX")), 1);

    expectTextReadsBackAsWritten([this](const QString& sql) { return scalar(sql); });
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaMigrationTest, ::testing::ValuesIn(backends()), backendName);

class TextColumnTest : public DbTest {};

// PostgreSQL used to read a CHAR(2) "借" back as "借 ", SQLite as "借".
TEST_P(TextColumnTest, fixedWidthTextReadsBackAsWrittenOnANewDatabase) {
    insertShop(db());
    expectTextReadsBackAsWritten([this](const QString& sql) { return scalar(sql); });
    EXPECT_EQ(count(QStringLiteral("SPB"), QStringLiteral("SPNO = 'P0' AND ZDJG = 0")), 1);  // a typed 0 stays 0
}

INSTANTIATE_TEST_SUITE_P(Backends, TextColumnTest, ::testing::ValuesIn(backends()), backendName);
