#include "DbTest.h"
#include "db/AccountLedger.h"
#include "db/DatabaseCopy.h"
#include "db/DemoData.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/InitialData.h"
#include "db/Schema.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "sales/RetailPosting.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>

namespace {

// An empty database on the other backend: the copy goes SQLite -> PostgreSQL when the
// tests run on SQLite, and PostgreSQL -> SQLite when they run on PostgreSQL.
class OtherDatabase {
public:
    explicit OtherDatabase(db::Backend sourceBackend) {
        if (sourceBackend == db::Backend::Sqlite) {
            static int serial = 0;
            m_url = testPostgresUrl();
            m_schema = QStringLiteral("copy%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
            db::Connection admin(m_url);
            admin.open();
            admin.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
            admin.execute(QStringLiteral("CREATE SCHEMA %1").arg(m_schema));
            m_url.schema = m_schema;
        } else {
            m_url = db::ConnectionUrl::sqlite(m_dir.filePath(QStringLiteral("copy.db")));
        }
    }
    ~OtherDatabase() {
        if (m_schema.isEmpty()) return;
        db::Connection admin(testPostgresUrl());
        admin.open();
        admin.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
    }
    const db::ConnectionUrl& url() const { return m_url; }
    std::unique_ptr<db::Connection> open() const {
        auto c = std::make_unique<db::Connection>(m_url);
        c->open(db::Connection::OpenMode::Create);
        return c;
    }

private:
    QTemporaryDir m_dir;
    db::ConnectionUrl m_url;
    QString m_schema;
};

// Every row of a table as text that means the same on both backends, sorted.
QStringList tableRows(db::Connection& c, const QString& table) {
    const QStringList money = c.dialect().moneyColumns(c, table);
    db::Statement s(c, QStringLiteral("SELECT * FROM ") + table);
    s.exec();
    QStringList rows;
    while (s.next()) {
        const QSqlRecord record = s.query().record();
        QStringList cells;
        for (int i = 0; i < record.count(); ++i) {
            const QString column = record.fieldName(i).toUpper();
            const QVariant v = s.value(i);
            if (v.isNull()) cells << QStringLiteral("NULL");
            else if (money.contains(column)) cells << column + u'=' + s.money(i).toDecimalString();
            else if (v.typeId() == QMetaType::QDateTime) cells << column + u'=' + v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            else if (v.typeId() == QMetaType::Double) cells << column + u'=' + QString::number(v.toDouble(), 'g', 15);
            else cells << column + u'=' + v.toString().trimmed();
        }
        rows << cells.join(u'|');
    }
    rows.sort();
    return rows;
}

}  // namespace

class DatabaseCopyTest : public DbTest {
protected:
    // A small shop with a document of every kind: receiving and the supplier ledger (demo
    // data), a retail sale with stock checking (cost rows, takings, movements, balances), a
    // client ledger row, and rows of the other documents' tables.
    void fillShop() {
        db::DemoData::install(db());
        db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '-1' WHERE vrname = 'isCheckStore'"));
        db::Statement product(db(), QStringLiteral("SELECT SPNO, SPNAME, SPDW, BZJG FROM SPB ORDER BY SPNO LIMIT 2"));
        product.exec();
        RetailSale sale;
        sale.operatorNo = db::InitialData::OperatorNo;
        sale.storeNo = db::InitialData::MainStore;
        while (product.next())
            sale.lines.push_back({product.text(0), product.text(1), product.text(2), 1.5, product.money(3), 100, QString()});
        for (const auto& l : sale.lines) sale.amountDue += l.amount();
        sale.amountDue = sale.amountDue.roundedToCents();
        sale.amountReceived = sale.amountDue + Money::fromYuan(1);
        RetailPosting(db()).post(sale);
        db::AccountLedger(db(), db::AccountKind::Client)
            .post({QStringLiteral("001"), db::AccountSide::Credit, *Money::parse(QStringLiteral("1234.5678")), QStringLiteral("P1"),
                   QStringLiteral("赊销"), QString(), QStringLiteral("001")});
        const char* rows[] = {
            "INSERT INTO BSB(BSDNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO) SELECT 'B1', NULL, SPNO, SPNAME, SPDW, 0.25, CBJG, CBJG * 0.25, '001' FROM SPB WHERE SPNO = (SELECT MIN(SPNO) FROM SPB)",
            "INSERT INTO GYSTHSJB(THDNO, CSNO) SELECT 'T1', MIN(CSNO) FROM CSB",
            "INSERT INTO GYSTHMXB(THDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) SELECT 'T1', SPNO, SPNAME, SPDW, 2, CBJG, CBJG * 2 FROM SPB WHERE SPNO = (SELECT MIN(SPNO) FROM SPB)",
            "INSERT INTO YPDSJB(SPNO, CKNO, CKKCSL, CKPDSL) SELECT SPNO, '001', 100, 99.5 FROM SPB",
        };
        for (const char* sql : rows) db().execute(QString::fromUtf8(sql));
    }
};

TEST_P(DatabaseCopyTest, aShopIsCopiedExactlyAndItsCountersFollowOn) {
    fillShop();
    OtherDatabase other(GetParam());
    auto target = other.open();
    const auto copied = db::DatabaseCopy(db(), *target).run();
    EXPECT_EQ(db::Schema::storedVersion(*target), db::Schema::storedVersion(db()));

    qint64 total = 0;
    for (const db::CopiedTable& t : copied) {
        EXPECT_EQ(tableRows(*target, t.table), tableRows(db(), t.table)) << t.table.toStdString();
        total += t.rows;
    }
    EXPECT_EQ(qint64(copied.size()), qint64(db::Schema::tablesChildFirst().size()));
    EXPECT_GT(total, 300);

    // The next document number and the next line ID continue after the copied ones.
    const QString lastSale = scalar(QStringLiteral("SELECT MAX(XSNO) FROM XSB"));
    EXPECT_GT(db::SerialNumbers(*target).next(QStringLiteral("X")), lastSale);
    const qint64 highestId = scalar(QStringLiteral("SELECT MAX(ID) FROM XSMXB")).toLongLong();
    db::Statement line(*target, QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPSL) SELECT XSNO, SPNO, 1 FROM XSMXB "
                                               "WHERE ID = :id RETURNING ID"));
    ASSERT_TRUE(line.bind(QStringLiteral(":id"), highestId).first());
    EXPECT_GT(line.integer(0), highestId);
}

TEST_P(DatabaseCopyTest, aTargetThatHoldsAnythingIsRefusedUntouched) {
    OtherDatabase other(GetParam());
    auto target = other.open();
    db::Schema::migrate(*target);
    db::InitialData::install(*target);
    const qint64 operators = [&] {
        db::Statement s(*target, QStringLiteral("SELECT COUNT(*) FROM BMAN"));
        return s.first() ? s.integer(0) : -1;
    }();
    try {
        db::DatabaseCopy(db(), *target).run();
        FAIL() << "a target with data must be refused";
    } catch (const db::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("not empty"))) << e.message().toStdString();
    }
    db::Statement s(*target, QStringLiteral("SELECT COUNT(*) FROM BMAN"));
    ASSERT_TRUE(s.first());
    EXPECT_EQ(s.integer(0), operators);
}

TEST_P(DatabaseCopyTest, aCopyThatFailsAtTheLastStepLeavesTheTargetEmpty) {
    fillShop();
    OtherDatabase other(GetParam());
    auto target = other.open();
    EXPECT_THROW(db::DatabaseCopy(db(), *target).run({}, [](db::Connection&) { throw db::Error(QStringLiteral("check failed")); }),
                 db::Error);
    EXPECT_EQ(target->dialect().tableNames(*target), QStringList());
    // The same target then takes the copy.
    EXPECT_NO_THROW(db::DatabaseCopy(db(), *target).run());
}

TEST_P(DatabaseCopyTest, theCommandCommitsOnlyACopyThatPassesTheIntegrityCheck) {
    db::DemoData::install(db());
    auto copyTo = [&](const OtherDatabase& other) {
        QProcess copy;
        copy.start(QString::fromUtf8(POS_BINARY), {QStringLiteral("--copy-database"), url().display(), other.url().display()});
        EXPECT_TRUE(copy.waitForFinished(120000));
        return std::make_pair(copy.exitCode(), QString::fromUtf8(copy.readAllStandardOutput() + copy.readAllStandardError()));
    };
    // Kept balances one more than their movements: every row copies, the proof fails.
    db().execute(QStringLiteral("UPDATE KCYEB SET KCSL = KCSL + 1"));
    OtherDatabase refused(GetParam());
    const auto [refusedCode, refusedText] = copyTo(refused);
    EXPECT_EQ(refusedCode, 1) << refusedText.toStdString();
    EXPECT_TRUE(refusedText.contains(QStringLiteral("store-balance-kept: "))) << refusedText.toStdString();
    auto refusedTarget = refused.open();
    EXPECT_EQ(refusedTarget->dialect().tableNames(*refusedTarget), QStringList());

    db().execute(QStringLiteral("UPDATE KCYEB SET KCSL = KCSL - 1"));
    OtherDatabase taken(GetParam());
    const auto [takenCode, takenText] = copyTo(taken);
    EXPECT_EQ(takenCode, 0) << takenText.toStdString();
    EXPECT_TRUE(takenText.contains(QStringLiteral("no integrity problems"))) << takenText.toStdString();
    auto takenTarget = taken.open();
    EXPECT_EQ(tableRows(*takenTarget, QStringLiteral("KCYEB")), tableRows(db(), QStringLiteral("KCYEB")));
}

TEST_P(DatabaseCopyTest, aCopyKilledMidwayLeavesTheTargetEmpty) {
    fillShop();
    // Enough rows that the copy is still running when the first progress line arrives.
    db().execute(QStringLiteral(
        "INSERT INTO RZ(GH, CZDZ, CS1, CS2) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400000) "
        "SELECT '001', '增加', 'SPB', CAST(i AS VARCHAR(20)) FROM n"));
    OtherDatabase other(GetParam());
    QProcess copy;
    copy.start(QString::fromUtf8(POS_BINARY), {QStringLiteral("--copy-database"), url().display(), other.url().display()});
    ASSERT_TRUE(copy.waitForStarted());
    QString seen;
    while (!seen.contains(QStringLiteral("…")) && copy.waitForReadyRead(60000)) seen += QString::fromUtf8(copy.readAllStandardOutput());
    ASSERT_TRUE(seen.contains(QStringLiteral("…"))) << seen.toStdString() << copy.readAllStandardError().toStdString();
    copy.kill();
    copy.waitForFinished();
    auto target = other.open();
    EXPECT_EQ(target->dialect().tableNames(*target), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseCopyTest, ::testing::ValuesIn(backends()), backendName);
