#include "SuiteSupport.h"

#include "../sales/SalesShop.h"
#include "DbTest.h"
#include "DocumentKinds.h"
#include "db/Statement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace suite {

int size(const char* variable, int scaled, int full) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(variable, &ok);
    if (ok && value > 0) return value;
    return qEnvironmentVariableIsSet("POS_SUITE_FULL") ? full : scaled;
}

QString workerPath() { return QString::fromUtf8(POS_TILL_WORKER); }

namespace {

void runProgram(const QStringList& arguments) {
    QProcess p;
    p.start(QString::fromUtf8(POS_BINARY), arguments);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(("pos " + arguments.join(u' ') + " failed: " + QString::fromUtf8(p.readAllStandardError()))
                                     .toStdString());
}

}  // namespace

ShopDatabase::ShopDatabase(db::Backend backend) {
    if (backend == db::Backend::Sqlite) {
        m_url = db::ConnectionUrl::sqlite(m_dir.filePath(QStringLiteral("shop.db")));
    } else {
        m_url = testPostgresUrl();
        m_schema = QStringLiteral("suite%1").arg(QCoreApplication::applicationPid());
        db::Connection admin(m_url);
        admin.open();
        admin.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
        admin.execute(QStringLiteral("CREATE SCHEMA %1").arg(m_schema));
        m_url.schema = m_schema;
    }
    runProgram({QStringLiteral("--database"), urlText(), QStringLiteral("--init-database"), QStringLiteral("--demo-data")});
    m_connection = std::make_unique<db::Connection>(m_url);
    m_connection->open();
    sales_shop::checkStock(*m_connection, true);
}

ShopDatabase::~ShopDatabase() {
    m_connection.reset();
    if (m_schema.isEmpty()) return;
    try {
        db::Connection admin(testPostgresUrl());
        admin.open();
        admin.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
    } catch (const std::exception&) {
    }
}

void ShopDatabase::receive(int products, double quantity) {
    if (quantity <= 0) return;
    for (const till::Product& p : till::stockedProducts(*m_connection, products))
        sales_shop::receive(*m_connection, p.no, quantity);
}

std::map<QString, double> ShopDatabase::books() {
    std::map<QString, double> books;
    auto read = [&](const QString& book, const QString& sql) {
        db::Statement s(*m_connection, sql);
        s.exec();
        while (s.next()) books[book + u'/' + s.text(0)] = s.real(1);
    };
    read(QStringLiteral("store"), QStringLiteral("SELECT SPNO, KCSL FROM KCYEB WHERE CKNO = '001'"));
    for (const auto& [book, table, account] : {std::tuple{"client", "KHJSWLB", "KHNO"}, std::tuple{"supplier", "GYSJSWLB", "CSNO"}})
        read(QLatin1String(book), QStringLiteral("SELECT W.%2, W.YE FROM %1 W WHERE W.JSNO = (SELECT MAX(X.JSNO) FROM %1 X WHERE X.%2 = W.%2)")
                                      .arg(QLatin1String(table), QLatin1String(account)));
    return books;
}

Till::Till(QStringList arguments) : m_arguments(std::move(arguments)) {}

Till::~Till() {
    if (running()) kill();
}

void Till::start() {
    m_process.start(workerPath(), m_arguments);
    if (!m_process.waitForStarted(30000)) throw std::runtime_error("the till worker did not start");
}

void Till::take(const QString& line) {
    const QStringList f = line.split(u' ');
    if (f.value(0) == QLatin1String("COMMITTED") && f.size() >= 4) {
        acknowledged.push_back({f[1], f[2], f[3].toInt(), f.value(4).split(u',', Qt::SkipEmptyParts)});
    } else if (f.value(0) == QLatin1String("REFUSED") && f.size() >= 3) {
        ++refusals[f[1]];
        if (f[1] != QLatin1String("shortage") && unexpectedRefusals.size() < 20) unexpectedRefusals << line;
    } else if (f.value(0) == QLatin1String("RECONNECTED")) {
        ++reconnects;
    } else if (f.value(0) == QLatin1String("DONE")) {
        done = true;
    }
}

void Till::listen(int ms) {
    if (m_process.bytesAvailable() == 0 && running()) m_process.waitForReadyRead(ms);
    m_pending += m_process.readAllStandardOutput();
    m_errors += QString::fromUtf8(m_process.readAllStandardError());
    // A line cut by a kill has no newline and is never taken.
    int end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        take(QString::fromUtf8(m_pending.left(end)));
        m_pending.remove(0, end + 1);
    }
}

void Till::waitForCommits(int count, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (int(acknowledged.size()) < count && running() && t.elapsed() < timeoutMs) listen(100);
}

void Till::waitForReconnect(int timeoutMs) {
    const int before = reconnects;
    QElapsedTimer t;
    t.start();
    while (reconnects == before && running() && t.elapsed() < timeoutMs) listen(100);
}

bool Till::waitForEnd(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (running() && t.elapsed() < timeoutMs) listen(200);
    m_process.waitForFinished(1000);
    listen(0);
    return !running();
}

void Till::kill() {
    m_process.kill();   // SIGKILL: no handler, no flush, no rollback of its own
    m_process.waitForFinished(30000);
    listen(0);
}

CheckRun checkIntegrity(const QString& url) {
    QProcess p;
    p.start(QString::fromUtf8(POS_BINARY), {QStringLiteral("--check-integrity"), QStringLiteral("--database"), url});
    CheckRun run;
    if (!p.waitForFinished(300000)) return run;
    run.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.output = QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
    return run;
}

Presence verifyPresent(db::Connection& connection, const std::vector<Acknowledged>& documents) {
    Presence presence;
    for (const Acknowledged& d : documents) {
        const till::DocumentKind* kind = till::findDocumentKind(d.kind);
        if (!kind) {
            presence.faults << QStringLiteral("unknown kind %1").arg(d.kind);
            continue;
        }
        db::Statement s(connection, kind->linesSql);
        s.bind(QStringLiteral(":no"), d.number);
        const int lines = s.first() ? int(s.integer(0)) : 0;
        if (lines == d.lines) continue;
        if (lines == 0) ++presence.lost;
        else ++presence.partial;
        if (presence.faults.size() < 20)
            presence.faults << QStringLiteral("%1 %2: %3 of %4 lines").arg(d.kind, d.number).arg(lines).arg(d.lines);
    }
    return presence;
}

}  // namespace suite
