// One open database connection (SQLite file or PostgreSQL server) with its dialect
// and a cache of prepared statements. Used by one thread at a time.
#pragma once

#include "db/ConnectionUrl.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace db {

class Dialect;

class Connection {
public:
    explicit Connection(ConnectionUrl url);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    enum class OpenMode { Existing, Create };
    // Opens (or reopens) the connection and prepares the session: pragmas and portable
    // functions on SQLite, search path and number precision on PostgreSQL. Throws db::Error.
    // An SQLite file is created only with OpenMode::Create, and only a missing, empty or
    // table-less file is made ours; a damaged (ErrorKind::Damaged), foreign or unreadable
    // file is refused before anything is written to it. Existing wants our schema present.
    void open(OpenMode mode = OpenMode::Existing);
    void close();
    bool isOpen() const;

    const ConnectionUrl& url() const { return m_url; }
    Backend backend() const { return m_url.backend; }
    const Dialect& dialect() const { return *m_dialect; }
    QSqlDatabase& handle() { return m_db; }

    // Runs a statement without parameters (DDL, session settings). Throws db::Error.
    void execute(const QString& sql);

    // The server clock `getdate()`: tests set it so dates and periods are repeatable.
    // SQLite: a process-wide override; PostgreSQL: a setting of this session. nullopt = real time.
    void setClock(const std::optional<QDateTime>& at);

    bool inTransaction() const { return m_transactionDepth > 0; }

    // Prepared statements kept for reuse, the least recently used released first. On
    // PostgreSQL each is a statement prepared in the server session, and query screens make
    // a new text for every condition, so the number kept is bounded.
    static constexpr int DefaultStatementCacheCapacity = 256;
    void setStatementCacheCapacity(int capacity);
    int cachedStatementCount() const { return int(m_cache.size()); }
    bool holdsPrepared(const QString& sql) const { return m_cache.count(sql) > 0; }

private:
    friend class Statement;
    friend class Transaction;

    // A prepared query for the text, reused across calls; a fresh one when the cached
    // one is still in use further up the stack.
    QSqlQuery* acquire(const QString& sql, bool* cached);
    void release(const QString& sql, QSqlQuery* query, bool cached);
    void dropStatementCache();

    ConnectionUrl m_url;
    const Dialect* m_dialect;
    QString m_name;
    QSqlDatabase m_db;
    int m_transactionDepth = 0;
    int m_savepointSerial = 0;
    void evictBeyondCapacity();

    struct CachedQuery {
        std::unique_ptr<QSqlQuery> query;
        bool inUse = false;
        std::list<QString>::iterator recency;  // its place in m_recency
    };
    std::unordered_map<QString, CachedQuery> m_cache;
    std::list<QString> m_recency;  // most recently used first
    // Statements sent directly (Statement::Direct), prepared in the server session by libpq
    // under their own names: each name and its placeholders in order.
    struct DirectStatement {
        QByteArray name;
        QStringList placeholders;
    };
    std::unordered_map<QString, DirectStatement> m_direct;
    int m_directSerial = 0;
    int m_cacheCapacity = DefaultStatementCacheCapacity;
};

}  // namespace db
