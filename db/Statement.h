// A parameterised SQL statement: values are always bound by name, never pasted.
// The prepared query is cached on the connection and reused.
#pragma once

#include "db/Connection.h"
#include "db/Money.h"

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

typedef struct pg_result PGresult;
typedef struct pg_conn PGconn;

namespace db {

class Transaction;

class Statement {
public:
    Statement(Connection& connection, const QString& sql);
    // On PostgreSQL, sent by libpq with its values as parameters of the protocol rather than
    // through the Qt driver, which writes every value into the text of an EXECUTE for the
    // server to parse: for a document's writes of hundreds of values that parsing cost more
    // than the writes. Not kept prepared. Its result is read by column number. On SQLite the
    // same as the plain constructor.
    struct DirectTag {};
    static constexpr DirectTag Direct{};
    Statement(Connection& connection, const QString& sql, DirectTag);
    Statement(Transaction& transaction, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(const QString& name, const QString& value);
    Statement& bind(const QString& name, const char* value) { return bind(name, QString::fromUtf8(value)); }
    Statement& bind(const QString& name, Money value);
    Statement& bind(const QString& name, double value);
    Statement& bind(const QString& name, int value);
    Statement& bind(const QString& name, qint64 value);
    Statement& bind(const QString& name, bool value);
    Statement& bind(const QString& name, const QDateTime& value);
    Statement& bind(const QString& name, const QDate& value);
    // Empty text binds NULL: optional references (a product's default supplier) stay valid.
    Statement& bindTextOrNull(const QString& name, const QString& value);
    Statement& bindNull(const QString& name);
    // A value carried in a QVariant (bound values kept with a statement, as a query screen
    // keeps its filter): QString, int, qint64, double, bool, QDate, QDateTime or Money; null binds NULL.
    Statement& bindValue(const QString& name, const QVariant& value);

    // Runs the statement; throws db::Error with the statement text on failure.
    Statement& exec();
    // Runs the statement in a transaction of its own: `opening` (statements without values,
    // the first of them the begin), the statement, then the commit, all sent at once through
    // a libpq pipeline (one round trip); its result is read afterwards. A statement sent
    // directly on PostgreSQL only, outside any transaction. A failure leaves nothing written
    // and no transaction open.
    Statement& execInOwnTransaction(const QStringList& opening);
    bool next();
    // Runs and returns whether a first row exists (positioned on it).
    bool first();
    int rowsAffected() const;

    QVariant value(int column) const;
    QVariant value(const QString& column) const;
    bool isNull(int column) const;
    QString text(int column) const;
    QString text(const QString& column) const;
    Money money(int column) const;
    Money money(const QString& column) const;
    double real(int column) const;
    double real(const QString& column) const;
    qint64 integer(int column) const;
    qint64 integer(const QString& column) const;
    QDateTime dateTime(int column) const;
    QDateTime dateTime(const QString& column) const;

    int columnCount() const;

    QSqlQuery& query() { return *m_query; }
    const QString& sql() const { return m_sql; }

private:
    int indexOf(const QString& column) const;
    void put(const QString& name, const QVariant& value);
    void execDirect();
    // libpq free for this statement, its last result let go.
    ::pg_conn* readyDirect();
    // The statement prepared in the server session for direct sending: its name and its
    // placeholders in order.
    const Connection::DirectStatement& preparedDirect(::pg_conn* pg);

    Connection& m_connection;
    QString m_sql;
    QSqlQuery* m_query;
    bool m_cached;
    // The direct form: values bound, and the result read.
    std::vector<std::pair<QString, QVariant>> m_bound;
    ::pg_result* m_result = nullptr;
    int m_row = -1;
};

}  // namespace db
