#include "DbTest.h"

#include "db/Dialect.h"
#include "db/IntegrityCheck.h"
#include "db/InitialData.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QProcessEnvironment>

std::vector<db::Backend> backends() {
    const QString b = qEnvironmentVariable("POS_TEST_BACKEND", QStringLiteral("sqlite"));
    if (b == QLatin1String("postgres")) return {db::Backend::Postgres};
    return {db::Backend::Sqlite};
}

std::string backendName(const ::testing::TestParamInfo<db::Backend>& info) {
    return info.param == db::Backend::Sqlite ? "sqlite" : "postgres";
}

db::ConnectionUrl testPostgresUrl() {
    const QString text = qEnvironmentVariable("POS_TEST_PG_URL");
    if (text.isEmpty()) throw std::runtime_error("POS_TEST_PG_URL is not set: the PostgreSQL tests need a server (run `make test`)");
    QString error;
    auto url = db::ConnectionUrl::parse(text, &error);
    if (!url) throw std::runtime_error(error.toStdString());
    return *url;
}

void DbTest::SetUp() {
    if (GetParam() == db::Backend::Sqlite) {
        m_dir = std::make_unique<QTemporaryDir>();
        m_url = db::ConnectionUrl::sqlite(m_dir->filePath(QStringLiteral("test.db")));
    } else {
        static QAtomicInt serial;
        m_url = testPostgresUrl();
        m_schema = QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(serial.fetchAndAddRelaxed(1) + 1);
        db::Connection admin(m_url);
        admin.open();
        admin.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
        admin.execute(QStringLiteral("CREATE SCHEMA %1").arg(m_schema));
        m_url.schema = m_schema;
    }
    {
        db::Connection setup(m_url);
        setup.open(db::Connection::OpenMode::Create);
        db::Schema::migrate(setup, schemaVersion() > 0 ? schemaVersion() : db::Schema::currentVersion());
        if (wantsInitialData()) db::InitialData::install(setup);
    }
    m_module = std::make_unique<TfrmBaseDataModule>(m_url);
    if (schemaVersion() > 0 && schemaVersion() < db::Schema::currentVersion()) {
        // A database left at an earlier step, for a migration to take it on: the till itself
        // refuses such a database, so the connection is opened as the migration opens it.
        m_module->Database().open();
    } else {
        m_module->DataModuleConnect();
        ASSERT_TRUE(m_module->ConnectOK) << m_module->LastConnectError.toStdString();
    }
    setFrmBaseDataModule(m_module.get());
    m_dm = std::make_unique<TfrmDM>(*m_module);
    setFrmDM(m_dm.get());
}

void DbTest::TearDown() {
    db::setSqliteClockOverride(std::nullopt);
    m_dm.reset();
    m_module.reset();
    if (!m_schema.isEmpty()) {
        db::Connection admin(testPostgresUrl());
        admin.open();
        admin.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
    }
    m_dir.reset();
}

std::unique_ptr<db::Connection> DbTest::openAnother() const {
    auto c = std::make_unique<db::Connection>(m_url);
    c->open();
    return c;
}

QString DbTest::scalar(const QString& sql) {
    db::Statement s(db(), sql);
    return s.first() ? s.text(0) : QString();
}

void DbTest::executeUnchecked(const QString& sql) {
    const bool postgres = db().backend() == db::Backend::Postgres;
    if (postgres) db().execute(QStringLiteral("SET session_replication_role = replica"));
    else db().dialect().enforceForeignKeys(db(), false);
    db().execute(sql);
    if (postgres) db().execute(QStringLiteral("SET session_replication_role = DEFAULT"));
    else db().dialect().enforceForeignKeys(db(), true);
}

QStringList DbTest::integrityFindings(const QString& rule) {
    QStringList out;
    for (const db::IntegrityProblem& p : db::IntegrityCheck(db()).run())
        if (p.rule == rule) out << p.detail;
    return out;
}

qint64 DbTest::count(const QString& table, const QString& where) {
    db::Statement s(db(), QStringLiteral("SELECT COUNT(*) FROM ") + table + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    return s.first() ? s.integer(0) : -1;
}
