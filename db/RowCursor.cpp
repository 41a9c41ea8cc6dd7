#include "db/RowCursor.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Money.h"
#include "db/PostgresParameters.h"
#include "db/Statement.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <libpq-fe.h>
#include <optional>

namespace db {

namespace {

RowCursor::Row currentRow(const QSqlQuery& query, int columns) {
    RowCursor::Row row(columns);
    for (int c = 0; c < columns; ++c) row[c] = query.value(c);
    return row;
}

// One statement kept open and stepped as rows are wanted. Each row stepped through the
// driver costs microseconds, so a long way forward is left to SQLite: the statement runs
// again from there with an OFFSET (which SQLite passes over inside its own loop).
class SqliteRowCursor final : public RowCursor {
public:
    SqliteRowCursor(Connection& connection, const QString& sql, const Values& values, qint64 passed)
        : m_connection(connection), m_sql(sql), m_values(values) {
        run(passed);
        const QSqlRecord record = m_statement->query().record();
        for (int f = 0; f < record.count(); ++f) m_columns << record.fieldName(f);
    }

    std::vector<Row> fetch(int count) override {
        std::vector<Row> rows;
        rows.reserve(size_t(std::max(0, count)));
        while (int(rows.size()) < count && step()) rows.push_back(currentRow(m_statement->query(), int(m_columns.size())));
        return rows;
    }

    void skip(qint64 count) override {
        if (count > kLongestStep && !m_atEnd) {
            run(m_position + count);
            return;
        }
        for (qint64 i = 0; i < count && step(); ++i) {}
    }

private:
    static constexpr qint64 kLongestStep = 5000;

    void run(qint64 passed) {
        m_statement.reset();
        const QString sql = passed > 0 ? m_sql + QStringLiteral(" Limit -1 Offset :rowCursorPassed") : m_sql;
        auto statement = std::make_unique<Statement>(m_connection, sql);
        for (const auto& [name, value] : m_values) statement->bindValue(name, value);
        if (passed > 0) statement->bind(QStringLiteral(":rowCursorPassed"), passed);
        statement->exec();
        m_statement = std::move(statement);
        m_position = passed;
    }

    bool step() {
        if (!m_statement) return false;
        if (m_statement->next()) {
            ++m_position;
            return true;
        }
        // Finished: the statement (and the read it holds on the database) goes at once.
        m_statement.reset();
        m_atEnd = true;
        return false;
    }

    Connection& m_connection;
    QString m_sql;
    Values m_values;
    std::unique_ptr<Statement> m_statement;
};


// A server-side cursor read with FETCH a page at a time. Held: WITH HOLD, so it outlives
// the statement's own transaction (the server stores the whole result when that ends).
// Browsing: without HOLD inside a read-only transaction of its own connection, so rows are
// produced only as they are fetched; the transaction ends with the cursor.
class PostgresRowCursor final : public RowCursor {
public:
    enum class Kind { Held, Browsing };
    PostgresRowCursor(Connection& connection, const QString& sql, const Values& values, Kind kind)
        : m_connection(connection), m_kind(kind) {
        static QAtomicInt serial;
        m_name = QStringLiteral("pos_rows_%1").arg(serial.fetchAndAddRelaxed(1) + 1);
        PGconn* pg = handle();
        if (!pg) throw Error(QStringLiteral("no PostgreSQL connection for a cursor\n") + sql, ErrorKind::Connection);
        // The Qt driver leaves the end of its last result unread until its next statement;
        // one statement of its own makes it finish, and what is left of that is read here.
        QSqlQuery(connection.handle()).exec(QStringLiteral("SELECT 1"));
        while (PGresult* left = PQgetResult(pg)) PQclear(left);

        // DECLARE cannot be prepared through the Qt driver (its PREPARE takes no DECLARE), so
        // it goes through libpq with the values as real parameters: they never enter the text.
        const PostgresParameters parameters(connection.dialect(), sql, values);
        if (m_kind == Kind::Browsing) {
            PGresult* begun = PQexec(pg, "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY");
            const bool begunOk = PQresultStatus(begun) == PGRES_COMMAND_OK;
            const QString message = QString::fromUtf8(PQresultErrorMessage(begun)).trimmed();
            PQclear(begun);
            if (!begunOk) throw Error(message + QStringLiteral("\n") + sql);
            m_inTransaction = true;
        }
        // NO SCROLL: the server never keeps rows a browsing cursor has passed.
        const QString kindText = m_kind == Kind::Held ? QStringLiteral(" NO SCROLL CURSOR WITH HOLD FOR ")
                                                      : QStringLiteral(" NO SCROLL CURSOR FOR ");
        const QByteArray declare = (QStringLiteral("DECLARE ") + m_name + kindText + parameters.text()).toUtf8();
        PGresult* declared = PQexecParams(pg, declare.constData(), parameters.count(), nullptr, parameters.values(),
                                          nullptr, nullptr, 0);
        const bool ok = PQresultStatus(declared) == PGRES_COMMAND_OK;
        const QString message = QString::fromUtf8(PQresultErrorMessage(declared)).trimmed();
        PQclear(declared);
        if (!ok) {
            endTransaction();
            throw Error(message + QStringLiteral("\n") + sql);
        }
        m_open = true;

        PGresult* described = PQdescribePortal(pg, m_name.toUtf8().constData());
        if (PQresultStatus(described) == PGRES_COMMAND_OK)
            for (int f = 0; f < PQnfields(described); ++f) m_columns << QString::fromUtf8(PQfname(described, f));
        PQclear(described);
    }

    ~PostgresRowCursor() override {
        if (m_kind == Kind::Browsing) {
            endTransaction();  // the cursor and the snapshot go with it
            return;
        }
        if (!m_open || !m_connection.isOpen()) return;
        QSqlQuery close(m_connection.handle());
        close.exec(QStringLiteral("CLOSE ") + m_name);  // an aborted transaction has dropped it already
    }

    std::vector<Row> fetch(int count) override {
        std::vector<Row> rows;
        if (count <= 0 || m_atEnd) return rows;
        QSqlQuery query = run(QStringLiteral("FETCH FORWARD %1 FROM ").arg(count) + m_name);
        rows.reserve(size_t(count));
        const int columns = query.record().count();
        while (query.next()) rows.push_back(currentRow(query, columns));
        m_position += qint64(rows.size());
        if (int(rows.size()) < count) m_atEnd = true;
        return rows;
    }

    void skip(qint64 count) override {
        if (count <= 0 || m_atEnd) return;
        const QSqlQuery query = run(QStringLiteral("MOVE FORWARD %1 IN ").arg(count) + m_name);
        const qint64 moved = query.numRowsAffected();
        m_position += moved;
        if (moved < count) m_atEnd = true;
    }

private:
    PGconn* handle() const { return postgresHandle(m_connection); }

    // Nothing was written, so ending by ROLLBACK loses nothing, and it also ends a
    // transaction that an error aborted.
    void endTransaction() {
        if (!m_inTransaction || !m_connection.isOpen()) return;
        m_inTransaction = false;
        QSqlQuery(m_connection.handle()).exec(QStringLiteral("ROLLBACK"));
    }

    QSqlQuery run(const QString& sql) {
        QSqlQuery query(m_connection.handle());
        query.setForwardOnly(true);  // rows arrive one by one instead of as one block
        if (!query.exec(sql)) throw Error::fromSql(query.lastError(), sql);
        return query;
    }

    Connection& m_connection;
    Kind m_kind;
    QString m_name;
    bool m_open = false;
    bool m_inTransaction = false;
};

}  // namespace

std::unique_ptr<RowCursor> RowCursor::open(Connection& connection, const QString& sql, const Values& values) {
    if (connection.backend() == Backend::Postgres)
        return std::make_unique<PostgresRowCursor>(connection, sql, values, PostgresRowCursor::Kind::Held);
    return std::make_unique<SqliteRowCursor>(connection, sql, values, 0);
}

std::unique_ptr<RowCursor> RowCursor::openBrowsing(Connection& own, const QString& sql, const Values& values,
                                                   qint64 passed) {
    if (own.backend() == Backend::Sqlite) return std::make_unique<SqliteRowCursor>(own, sql, values, passed);
    // MOVE rather than an OFFSET in the statement: a large OFFSET could talk the planner out of
    // the plan that gives rows soonest.
    auto cursor = std::make_unique<PostgresRowCursor>(own, sql, values, PostgresRowCursor::Kind::Browsing);
    cursor->skip(passed);
    return cursor;
}

}  // namespace db
