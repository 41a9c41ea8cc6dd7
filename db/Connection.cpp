#include "db/Connection.h"

#include "db/Dialect.h"
#include "db/Error.h"
#include "db/SqliteFileCheck.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>

#include <algorithm>

namespace db {

namespace {
QString nextConnectionName() {
    static QAtomicInt serial;
    return QStringLiteral("pos-%1").arg(serial.fetchAndAddRelaxed(1) + 1);
}
}  // namespace

Connection::Connection(ConnectionUrl url)
    : m_url(std::move(url)), m_dialect(&Dialect::of(m_url.backend)), m_name(nextConnectionName()) {
    m_db = QSqlDatabase::addDatabase(m_dialect->driverName(), m_name);
}

Connection::~Connection() {
    close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

void Connection::open(OpenMode mode) {
    close();
    if (!m_db.isValid())
        throw Error(QStringLiteral("database driver %1 is not installed").arg(m_dialect->driverName()), ErrorKind::Connection);
    if (m_url.backend == Backend::Sqlite) {
        // Everything that refuses the file runs before the driver opens it: the session
        // set-up writes (WAL mode), and a refused file must be left exactly as it was.
        const SqliteFile inspected = SqliteFileCheck::inspect(m_url.path);
        switch (inspected.state) {
        case SqliteFile::State::Ours:
            break;
        case SqliteFile::State::Missing:
        case SqliteFile::State::Empty:
        case SqliteFile::State::Blank:
            if (mode == OpenMode::Existing) throw Error(inspected.refusal(), ErrorKind::Connection);
            break;
        case SqliteFile::State::Damaged:
            throw Error(inspected.refusal(), ErrorKind::Damaged);
        case SqliteFile::State::NotDatabase:
        case SqliteFile::State::Unreadable:
        case SqliteFile::State::Foreign:
            throw Error(inspected.refusal(), ErrorKind::Connection);
        }
        const QFileInfo file(m_url.path);
        if (file.exists() && !file.isWritable())
            throw Error(QStringLiteral("database file is read-only: %1").arg(m_url.path), ErrorKind::Connection);
        m_db.setDatabaseName(m_url.path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        m_db.setHostName(m_url.host);
        m_db.setPort(m_url.port);
        m_db.setUserName(m_url.user);
        m_db.setPassword(m_url.password);
        m_db.setDatabaseName(m_url.database);
        m_db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        // Numeric columns arrive as decimal text: money never passes through a double.
        m_db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    }
    if (!m_db.open()) {
        const QSqlError e = m_db.lastError();
        m_db.close();
        throw Error(QStringLiteral("cannot open %1: %2").arg(m_url.display(), e.text().trimmed()), ErrorKind::Connection);
    }
    try {
        m_dialect->prepareSession(*this);
    } catch (const Error& e) {
        close();
        throw Error(QStringLiteral("cannot use %1: %2").arg(m_url.display(), e.message()), ErrorKind::Connection);
    }
}

void Connection::close() {
    dropStatementCache();
    m_transactionDepth = 0;
    if (m_db.isOpen()) m_db.close();
}

bool Connection::isOpen() const { return m_db.isOpen(); }

void Connection::execute(const QString& sql) {
    QSqlQuery q(m_db);
    if (!q.exec(sql)) throw Error::fromSql(q.lastError(), sql);
}

void Connection::setClock(const std::optional<QDateTime>& at) { m_dialect->setClock(*this, at); }

QSqlQuery* Connection::acquire(const QString& sql, bool* cached) {
    auto it = m_cache.find(sql);
    if (it != m_cache.end()) m_recency.splice(m_recency.begin(), m_recency, it->second.recency);
    if (it != m_cache.end() && !it->second.inUse) {
        it->second.inUse = true;
        *cached = true;
        return it->second.query.get();
    }
    auto query = std::make_unique<QSqlQuery>(m_db);
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        const QSqlError e = query->lastError();
        throw Error::fromSql(e, sql);
    }
    if (it == m_cache.end()) {
        CachedQuery& slot = m_cache[sql];
        slot.query = std::move(query);
        slot.inUse = true;
        m_recency.push_front(sql);
        slot.recency = m_recency.begin();
        *cached = true;
        evictBeyondCapacity();
        return slot.query.get();
    }
    *cached = false;
    return query.release();
}

// Statements still running further up the stack stay; they go at a later eviction.
void Connection::evictBeyondCapacity() {
    auto victim = m_recency.end();
    while (int(m_cache.size()) > m_cacheCapacity && victim != m_recency.begin()) {
        --victim;
        auto it = m_cache.find(*victim);
        if (it->second.inUse) continue;
        victim = m_recency.erase(victim);
        m_cache.erase(it);  // the driver releases the server's prepared statement
    }
}

void Connection::setStatementCacheCapacity(int capacity) {
    m_cacheCapacity = std::max(1, capacity);
    evictBeyondCapacity();
}

void Connection::release(const QString& sql, QSqlQuery* query, bool cached) {
    query->finish();
    if (!cached) {
        delete query;
        return;
    }
    auto it = m_cache.find(sql);
    if (it != m_cache.end()) it->second.inUse = false;
}

void Connection::dropStatementCache() {
    m_cache.clear();
    m_recency.clear();
    m_direct.clear();
}

}  // namespace db
