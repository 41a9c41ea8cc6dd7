#include "db/Statement.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/PostgresParameters.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlRecord>

#include <libpq-fe.h>

namespace db {

namespace {

// A failed libpq result (or the connection's own error when there is none) as db::Error,
// classified as the Qt driver's errors are. Frees the result.
Error resultError(PGconn* pg, PGresult* result, const QString& sql) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QSqlError error(QStringLiteral("Unable to execute statement"),
                          QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(pg)),
                          PQstatus(pg) == CONNECTION_OK ? QSqlError::StatementError : QSqlError::ConnectionError,
                          QString::fromLatin1(state ? state : ""));
    PQclear(result);
    return Error::fromSql(error, sql);
}

}  // namespace

Statement::Statement(Connection& connection, const QString& sql)
    : m_connection(connection), m_sql(sql), m_query(connection.acquire(sql, &m_cached)) {}

Statement::Statement(Connection& connection, const QString& sql, DirectTag)
    : m_connection(connection), m_sql(sql), m_query(nullptr), m_cached(false) {
    if (connection.backend() != Backend::Postgres) m_query = connection.acquire(sql, &m_cached);
}

Statement::Statement(Transaction& transaction, const QString& sql) : Statement(transaction.connection(), sql) {}

Statement::~Statement() {
    if (m_query) m_connection.release(m_sql, m_query, m_cached);
    if (m_result) PQclear(m_result);
}

void Statement::put(const QString& name, const QVariant& value) {
    if (m_query) {
        m_query->bindValue(name, value);
        return;
    }
    // A name bound again is looked up later by hash, the last value winning.
    m_bound.emplace_back(name, value);
}

PGconn* Statement::readyDirect() {
    PGconn* pg = postgresHandle(m_connection);
    if (!pg) throw Error(QStringLiteral("no PostgreSQL connection for: %1").arg(m_sql), ErrorKind::Connection);
    // What the Qt driver left unread of its last result (the end of a result it read row by
    // row) is read here, so libpq is free for this statement.
    while (PGresult* left = PQgetResult(pg)) PQclear(left);
    if (m_result) {
        PQclear(m_result);
        m_result = nullptr;
    }
    m_row = -1;
    return pg;
}

void Statement::execDirect() {
    PGconn* pg = readyDirect();
    const Connection::DirectStatement& prepared = preparedDirect(pg);
    const PostgresParameters parameters(m_connection.dialect(), prepared.placeholders, m_bound, m_sql);
    m_result = PQexecPrepared(pg, prepared.name.constData(), parameters.count(), parameters.values(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(m_result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    PGresult* failed = m_result;
    m_result = nullptr;
    throw resultError(pg, failed, m_sql);
}

const Connection::DirectStatement& Statement::preparedDirect(PGconn* pg) {
    // Prepared once per text in the session. A document's statements come in few shapes, and
    // the shapes of sales are bounded by their sizes; past a bound all are let go.
    auto& prepared = m_connection.m_direct;
    auto it = prepared.find(m_sql);
    if (it != prepared.end()) return it->second;
    constexpr size_t kKept = 128;
    if (prepared.size() >= kKept) {
        for (const auto& [text, statement] : prepared)
            PQclear(PQexec(pg, (QByteArrayLiteral("DEALLOCATE ") + statement.name).constData()));
        prepared.clear();
    }
    const auto [numbered, names] = numberedPlaceholders(m_sql);
    const QByteArray name = QByteArrayLiteral("pos_direct_") + QByteArray::number(++m_connection.m_directSerial);
    PGresult* made = PQprepare(pg, name.constData(), numbered.toUtf8().constData(), 0, nullptr);
    if (PQresultStatus(made) != PGRES_COMMAND_OK) throw resultError(pg, made, m_sql);
    PQclear(made);
    return prepared.emplace(m_sql, Connection::DirectStatement{name, names}).first->second;
}

Statement& Statement::execInOwnTransaction(const QStringList& opening) {
    if (m_connection.inTransaction())
        throw Error(QStringLiteral("a statement in a transaction of its own cannot run inside another: %1").arg(m_sql));
    // Read after the commit: only a result held apart from the connection can be.
    if (m_query) throw Error(QStringLiteral("only a statement sent directly to PostgreSQL runs in a transaction of its own: %1").arg(m_sql));
    PGconn* pg = readyDirect();
    const Connection::DirectStatement& prepared = preparedDirect(pg);
    const QByteArray name = prepared.name;
    const PostgresParameters parameters(m_connection.dialect(), prepared.placeholders, m_bound, m_sql);
    std::vector<QByteArray> texts;
    for (const QString& sql : opening) texts.push_back(sql.toUtf8());
    const QByteArray commit = QByteArrayLiteral("COMMIT");
    if (PQenterPipelineMode(pg) != 1) throw resultError(pg, nullptr, m_sql);
    bool sent = true;
    for (const QByteArray& t : texts) sent = sent && PQsendQueryParams(pg, t.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    sent = sent && PQsendQueryPrepared(pg, name.constData(), parameters.count(), parameters.values(), nullptr, nullptr, 0);
    sent = sent && PQsendQueryParams(pg, commit.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    sent = sent && PQpipelineSync(pg);
    // Each query's result, then the end of the pipeline; the first failure is kept. A query
    // after a failed one is not run (PGRES_PIPELINE_ABORTED).
    PGresult* failed = nullptr;
    const int statementAt = int(texts.size());
    for (int q = 0; sent && q <= statementAt + 1; ++q) {
        PGresult* r = PQgetResult(pg);
        if (!r) break;
        const ExecStatusType status = PQresultStatus(r);
        const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (!ok && status != PGRES_PIPELINE_ABORTED && !failed) failed = r;
        else if (q == statementAt && ok) m_result = r;
        else PQclear(r);
        while (PGresult* rest = PQgetResult(pg)) PQclear(rest);  // the query's end
    }
    while (PGresult* r = PQgetResult(pg)) {  // the sync
        const bool end = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
        PQclear(r);
        if (end) break;
    }
    PQexitPipelineMode(pg);
    if (sent && !failed) return *this;
    if (m_result) {
        PQclear(m_result);
        m_result = nullptr;
    }
    // The transaction begun and then failed is ended; nothing of it was kept.
    if (PQtransactionStatus(pg) != PQTRANS_IDLE) PQclear(PQexec(pg, "ROLLBACK"));
    throw resultError(pg, failed, m_sql);
}

Statement& Statement::bind(const QString& name, const QString& value) {
    // PostgreSQL text cannot hold a NUL and the driver cuts the statement at it; SQLite would
    // store a value that C-string readers see shortened. No caller means to store one.
    if (value.contains(QChar(0)))
        throw Error(QStringLiteral("a value for %1 holds a NUL character and was not written").arg(name));
    put(name, value.isNull() ? QString(QLatin1String("")) : value);
    return *this;
}
Statement& Statement::bind(const QString& name, Money value) {
    put(name, m_connection.dialect().moneyValue(value));
    return *this;
}
Statement& Statement::bind(const QString& name, double value) { put(name, value); return *this; }
Statement& Statement::bind(const QString& name, int value) { put(name, value); return *this; }
Statement& Statement::bind(const QString& name, qint64 value) { put(name, value); return *this; }
Statement& Statement::bind(const QString& name, bool value) { put(name, value ? 1 : 0); return *this; }
Statement& Statement::bind(const QString& name, const QDateTime& value) {
    put(name, m_connection.dialect().dateTimeValue(value));
    return *this;
}
Statement& Statement::bind(const QString& name, const QDate& value) { return bind(name, QDateTime(value, QTime(0, 0))); }
Statement& Statement::bindTextOrNull(const QString& name, const QString& value) {
    return value.isEmpty() ? bindNull(name) : bind(name, value);
}
Statement& Statement::bindValue(const QString& name, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return bindNull(name);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
        return bind(name, value.toInt());
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return bind(name, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return bind(name, value.toDouble());
    case QMetaType::Bool:
        return bind(name, value.toBool());
    case QMetaType::QDate:
        return bind(name, value.toDate());
    case QMetaType::QDateTime:
        return bind(name, value.toDateTime());
    default:
        break;
    }
    if (value.typeId() == qMetaTypeId<Money>()) return bind(name, value.value<Money>());
    return bind(name, value.toString());
}
Statement& Statement::bindNull(const QString& name) {
    put(name, QVariant(QMetaType::fromType<QString>()));
    return *this;
}

Statement& Statement::exec() {
    if (!m_query) {
        execDirect();
        return *this;
    }
    if (!m_query->exec()) throw Error::fromSql(m_query->lastError(), m_sql);
    return *this;
}

bool Statement::next() {
    if (m_query) return m_query->next();
    return m_result && ++m_row < PQntuples(m_result);
}

int Statement::columnCount() const {
    if (m_query) return m_query->record().count();
    return m_result ? PQnfields(m_result) : 0;
}

bool Statement::first() {
    exec();
    return next();
}

int Statement::rowsAffected() const {
    if (m_query) return m_query->numRowsAffected();
    return m_result ? QByteArray(PQcmdTuples(m_result)).toInt() : -1;
}

int Statement::indexOf(const QString& column) const {
    if (!m_query) throw Error(QStringLiteral("a statement sent directly is read by column number: %1").arg(m_sql));
    const int i = m_query->record().indexOf(column);
    if (i < 0) throw Error(QStringLiteral("no column %1 in result of: %2").arg(column, m_sql));
    return i;
}

QVariant Statement::value(int column) const {
    if (m_query) return m_query->value(column);
    if (!m_result || m_row < 0 || m_row >= PQntuples(m_result) || column < 0 || column >= PQnfields(m_result)) return {};
    if (PQgetisnull(m_result, m_row, column)) return QVariant(QMetaType::fromType<QString>());
    return QString::fromUtf8(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
}
QVariant Statement::value(const QString& column) const { return value(indexOf(column)); }
bool Statement::isNull(int column) const { return m_query ? m_query->isNull(column) : value(column).isNull(); }
QString Statement::text(int column) const { return value(column).toString(); }
QString Statement::text(const QString& column) const { return text(indexOf(column)); }
Money Statement::money(int column) const { return Money::fromVariant(value(column)); }
Money Statement::money(const QString& column) const { return money(indexOf(column)); }
double Statement::real(int column) const { return value(column).toDouble(); }
double Statement::real(const QString& column) const { return real(indexOf(column)); }
qint64 Statement::integer(int column) const { return value(column).toLongLong(); }
qint64 Statement::integer(const QString& column) const { return integer(indexOf(column)); }

QDateTime Statement::dateTime(int column) const {
    const QVariant v = value(column);
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    const QString t = v.toString();
    QDateTime d = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!d.isValid()) d = QDateTime::fromString(t, Qt::ISODate);
    if (!d.isValid()) d = QDateTime(QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return d;
}
QDateTime Statement::dateTime(const QString& column) const { return dateTime(indexOf(column)); }

}  // namespace db
