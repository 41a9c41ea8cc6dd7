#include "DbTest.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "db/WriteBatch.h"

#include <functional>

namespace {

// Product A with one batch J1 in store 001, product D without stock, clerk Z01 and sale S1
// with one line, one cost row and one movement line of A.
void shopWithASale(db::Connection& c) {
    for (const char* sql : {
             "INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '供应商')",
             "INSERT INTO SPB(SPNO, SPNAME) VALUES('A', '甲商品')",
             "INSERT INTO SPB(SPNO, SPNAME) VALUES('D', '丁商品')",
             "INSERT INTO GZRYB(ZYNO, NAME) VALUES('Z01', '营业员')",
             "INSERT INTO JHDSJB(JHDNO, CSNO) VALUES('J1', '001')",
             "INSERT INTO JHDMXB(JHDNO, SPNO, SL, XSSL, CKNO) VALUES('J1', 'A', 10, 2, '001')",
             "INSERT INTO XSB(XSNO, KHNO) VALUES('S1', '000')",
             "INSERT INTO XSMXB(XSNO, SPNO, SPSL, ZYNO) VALUES('S1', 'A', 2, 'Z01')",
             "INSERT INTO XSCBB(XSNO, JHDNO, SPNO, XSSL, ZYNO) VALUES('S1', 'J1', 'A', 2, 'Z01')",
             "INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SL, CKNO, WLTYPE) VALUES('W1', 'S1', 'A', 2, '001', '销售')",
         })
        c.execute(QString::fromUtf8(sql));
}

QString refusedAs(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const db::Error& e) {
        return e.kind() == db::ErrorKind::ForeignKey ? QStringLiteral("reference") : QStringLiteral("other: ") + e.message();
    }
    return QStringLiteral("done");
}

}  // namespace

class SaleReferencesTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        shopWithASale(db());
    }
};

// PostgreSQL checks these references by statement triggers, SQLite by foreign keys: both
// refuse a row naming nothing, and a named row going or changing its key.
TEST_P(SaleReferencesTest, saleRowsNameOnlyWhatExistsAndWhatTheyNameStays) {
    const char* refused[] = {
        "INSERT INTO XSMXB(XSNO, SPNO) VALUES('NONE', 'A')",
        "INSERT INTO XSMXB(XSNO, SPNO) VALUES('S1', 'NONE')",
        "INSERT INTO XSMXB(XSNO, SPNO, ZYNO) VALUES('S1', 'A', 'Z09')",
        "INSERT INTO XSMXB(XSNO, SPNO) VALUES('S1', 'A'), ('S1', 'D'), ('S1', 'NONE')",
        "INSERT INTO XSCBB(XSNO, JHDNO, SPNO) VALUES('NONE', 'J1', 'A')",
        "INSERT INTO XSCBB(XSNO, JHDNO, SPNO) VALUES('S1', 'J1', 'D')",
        "INSERT INTO XSCBB(XSNO, JHDNO, SPNO, ZYNO) VALUES('S1', 'J1', 'A', 'Z09')",
        "INSERT INTO QTJHDMXB(WLNO, SPNO, CKNO, WLTYPE) VALUES('W2', 'NONE', '001', '销售')",
        "INSERT INTO QTJHDMXB(WLNO, SPNO, CKNO, WLTYPE) VALUES('W2', 'A', '009', '销售')",
        "UPDATE XSMXB SET SPNO = 'NONE' WHERE XSNO = 'S1'",
        "UPDATE XSCBB SET JHDNO = 'J9' WHERE XSNO = 'S1'",
        "UPDATE QTJHDMXB SET CKNO = '009' WHERE WLNO = 'W1'",
        "DELETE FROM XSB WHERE XSNO = 'S1'",
        "DELETE FROM GZRYB WHERE ZYNO = 'Z01'",
        "DELETE FROM JHDMXB WHERE JHDNO = 'J1'",
        "UPDATE XSB SET XSNO = 'S9' WHERE XSNO = 'S1'",
        "UPDATE GZRYB SET ZYNO = 'Z09' WHERE ZYNO = 'Z01'",
    };
    // SQLite checks a cost row's sale when its transaction commits.
    auto committed = [this](const char* sql) {
        return [this, sql] {
            db::Transaction tx(db());
            db().execute(QString::fromUtf8(sql));
            tx.commit();
        };
    };
    for (const char* sql : refused) EXPECT_EQ(refusedAs(committed(sql)), QStringLiteral("reference")) << sql;
    EXPECT_EQ(count(QStringLiteral("XSMXB")) + count(QStringLiteral("XSCBB")) + count(QStringLiteral("QTJHDMXB")), 3);

    // What names existing rows passes; a product named by sale lines alone stays until they go.
    db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, ZYNO) VALUES('S1', 'D', NULL), ('S1', 'D', 'Z01')"));
    db().execute(QStringLiteral("INSERT INTO QTJHDMXB(WLNO, SPNO, CKNO, WLTYPE) VALUES('W2', 'D', '001', '销售')"));
    for (const char* sql : {"DELETE FROM SPB WHERE SPNO = 'D'", "UPDATE SPB SET SPNO = 'D2' WHERE SPNO = 'D'"})
        EXPECT_EQ(refusedAs(committed(sql)), QStringLiteral("reference")) << sql;
    db().execute(QStringLiteral("DELETE FROM XSMXB WHERE SPNO = 'D'"));
    db().execute(QStringLiteral("DELETE FROM QTJHDMXB WHERE SPNO = 'D'"));
    db().execute(QStringLiteral("DELETE FROM SPB WHERE SPNO = 'D'"));
    EXPECT_EQ(count(QStringLiteral("SPB"), QStringLiteral("SPNO = 'D'")), 0);
}

// The statement check locks what it found, as a foreign key would: a product cannot be
// deleted between a sale's check and its commit, nor named while being deleted.
TEST_P(SaleReferencesTest, aProductCannotGoWhileASaleNamingItIsBeingWritten) {
    if (GetParam() != db::Backend::Postgres) GTEST_SKIP() << "SQLite has one writer at a time";
    auto other = openAnother();
    other->execute(QStringLiteral("SET lock_timeout = '300ms'"));
    const QString deleteD = QStringLiteral("DELETE FROM SPB WHERE SPNO = 'D'");
    const QString nameD = QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES('S1', 'D')");
    {
        db::Transaction tx(db());
        db().execute(nameD);
        EXPECT_TRUE(refusedAs([&] { other->execute(deleteD); }).startsWith(QStringLiteral("other")));  // waits, times out
        tx.commit();
    }
    EXPECT_EQ(refusedAs([&] { other->execute(deleteD); }), QStringLiteral("reference"));
    db().execute(QStringLiteral("DELETE FROM XSMXB WHERE SPNO = 'D'"));
    {
        db::Transaction tx(db());
        db().execute(deleteD);
        EXPECT_TRUE(refusedAs([&] { other->execute(nameD); }).startsWith(QStringLiteral("other")));  // waits, times out
        tx.commit();
    }
    EXPECT_EQ(refusedAs([&] { other->execute(nameD); }), QStringLiteral("reference"));
    EXPECT_EQ(count(QStringLiteral("XSMXB"), QStringLiteral("SPNO = 'D'")), 0);
}

TEST_P(SaleReferencesTest, theIntegrityCheckFindsASaleRowNamingNothing) {
    EXPECT_TRUE(integrityFindings(QStringLiteral("sale-references")).isEmpty());
    executeUnchecked(QStringLiteral("INSERT INTO XSCBB(XSNO, JHDNO, SPNO) VALUES('S1', 'J9', 'A')"));
    const QStringList found = integrityFindings(QStringLiteral("sale-references"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0].contains(QStringLiteral("XSCBB"))) << found[0].toStdString();
}

// A batch of writes: what each counted write wrote reaches it, and a write that fails
// fails the batch with its reason, leaving nothing of it written.
TEST_P(SaleReferencesTest, aBatchOfWritesCollectsWhatItsWritesReturnAndFailsWhole) {
    qint64 raised = -1;
    QStringList balances;
    {
        db::Transaction tx(db());
        db::WriteBatch batch(db());
        batch.add(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES(:s, :p)"),
                  [](db::Statement& s) { s.bind(QStringLiteral(":s"), "S1").bind(QStringLiteral(":p"), "D"); });
        batch.addCounted(QStringLiteral("UPDATE JHDMXB SET XSSL = XSSL + 1 WHERE SPNO IN ('A', 'D')"), [](db::Statement&) {},
                         [&](qint64 rows) { raised = rows; });
        batch.run(QStringLiteral("INSERT INTO KCYEB(SPNO, CKNO, KCSL) VALUES(:b, '001', 5) RETURNING SPNO, KCSL"),
                  [](db::Statement& s) { s.bind(QStringLiteral(":b"), "A"); },
                  [&](db::Statement& s) { balances << s.text(0) + u'=' + QString::number(s.real(1)); });
        tx.commit();
    }
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(balances, QStringList{QStringLiteral("A=5")});
    EXPECT_EQ(count(QStringLiteral("XSMXB"), QStringLiteral("SPNO = 'D'")), 1);

    db::Transaction tx(db());
    db::WriteBatch failing(db());
    failing.add(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES('S1', 'A')"), [](db::Statement&) {});
    EXPECT_EQ(refusedAs([&] {
                  failing.run(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES(:s, 'A')"),
                              [](db::Statement& s) { s.bind(QStringLiteral(":s"), "NONE"); });
              }),
              QStringLiteral("reference"));
    tx.rollback();
    EXPECT_EQ(count(QStringLiteral("XSMXB")), 2);
}

// A statement in a transaction of its own (numbers drawn ahead of a document): what it wrote
// is committed and what it returned is read; a failed one leaves nothing and no transaction.
TEST_P(SaleReferencesTest, aStatementInItsOwnTransactionCommitsOrLeavesNothing) {
    if (GetParam() != db::Backend::Postgres) GTEST_SKIP() << "SQLite draws numbers inside the document";
    const QStringList opening = db().dialect().unflushedOpening();
    {
        db::Statement insert(db(), QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES(:s, :p) RETURNING SPNO"), db::Statement::Direct);
        insert.bind(QStringLiteral(":s"), "S1").bind(QStringLiteral(":p"), "D").execInOwnTransaction(opening);
        ASSERT_TRUE(insert.next());
        EXPECT_EQ(insert.text(0), QStringLiteral("D"));
    }
    EXPECT_FALSE(db().inTransaction());
    auto other = openAnother();
    db::Statement seen(*other, QStringLiteral("SELECT COUNT(*) FROM XSMXB WHERE SPNO = 'D'"));
    ASSERT_TRUE(seen.first());
    EXPECT_EQ(seen.integer(0), 1);

    db::Statement orphan(db(), QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES(:s, 'A')"), db::Statement::Direct);
    orphan.bind(QStringLiteral(":s"), "NONE");
    EXPECT_EQ(refusedAs([&] { orphan.execInOwnTransaction(opening); }), QStringLiteral("reference"));
    // The connection is left outside any transaction: a transaction of its own begins.
    db::Transaction tx(db());
    db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO) VALUES('S1', 'A')"));
    tx.commit();
    EXPECT_EQ(count(QStringLiteral("XSMXB")), 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, SaleReferencesTest, ::testing::ValuesIn(backends()), backendName);
