#include "db/BulkQuery.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/PostgresParameters.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <charconv>
#include <libpq-fe.h>
#include <optional>
#include <sqlite3.h>

namespace db {

namespace {

// Beyond this many integer digits a decimal leaves the quick path (the int64 range of Money).
constexpr int kQuickIntegerDigits = 14;

// "-123.4500" and the like, as the server writes a NUMERIC(19,4) or its sum; anything else
// (more decimals, an exponent, a huge amount) goes the way Statement reads money.
Money moneyFromText(QByteArrayView bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    int64_t units = 0;
    int integerDigits = 0;
    while (p != end && *p >= '0' && *p <= '9' && integerDigits <= kQuickIntegerDigits) {
        units = units * 10 + (*p++ - '0');
        ++integerDigits;
    }
    int decimals = 0;
    bool quick = integerDigits > 0 && integerDigits <= kQuickIntegerDigits;
    if (quick && p != end && *p == '.') {
        ++p;
        while (p != end && *p >= '0' && *p <= '9' && decimals < 4) {
            units = units * 10 + (*p++ - '0');
            ++decimals;
        }
    }
    if (!quick || p != end)
        return Money::fromVariant(QVariant(QString::fromLatin1(bytes.data(), bytes.size())));
    for (; decimals < 4; ++decimals) units *= 10;
    return Money::fromUnits(negative ? -units : units);
}

template <typename Number>
std::optional<Number> numberFromText(QByteArrayView bytes) {
    Number value{};
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (error != std::errc() || end != bytes.data() + bytes.size()) return std::nullopt;
    return value;
}

}  // namespace

class BulkQuery::Backend {
public:
    virtual ~Backend() = default;
    virtual bool next() = 0;
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    virtual QByteArrayView utf8(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual Money money(int column) const = 0;
};

namespace {

// One statement of its own on the connection's sqlite3 handle, stepped row by row.
class SqliteBulk final : public BulkQuery::Backend {
public:
    SqliteBulk(sqlite3* handle, const QString& sql, const std::vector<std::pair<QString, QVariant>>& values)
        : m_handle(handle), m_sql(sql) {
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* prepared = nullptr;
        const int prepareResult = sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &prepared, nullptr);
        m_statement.reset(prepared);
        if (prepareResult != SQLITE_OK) fail();
        if (sqlite3_bind_parameter_count(m_statement.get()) != int(values.size()))
            throw Error(QStringLiteral("%1 values bound for %2 parameters in: %3")
                            .arg(values.size()).arg(sqlite3_bind_parameter_count(m_statement.get())).arg(sql));
        for (const auto& [name, value] : values) {
            const int index = sqlite3_bind_parameter_index(m_statement.get(), name.toUtf8().constData());
            if (index == 0) throw Error(QStringLiteral("no parameter %1 in: %2").arg(name, sql));
            int rc = SQLITE_OK;
            if (value.isNull()) rc = sqlite3_bind_null(m_statement.get(), index);
            else if (value.typeId() == QMetaType::Double) rc = sqlite3_bind_double(m_statement.get(), index, value.toDouble());
            else if (value.typeId() == QMetaType::LongLong) rc = sqlite3_bind_int64(m_statement.get(), index, value.toLongLong());
            else {
                const QByteArray bytes = value.toString().toUtf8();
                rc = sqlite3_bind_text(m_statement.get(), index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            }
            if (rc != SQLITE_OK) fail();
        }
        m_columns = sqlite3_column_count(m_statement.get());
    }

    bool next() override {
        if (m_done) return false;
        const int rc = sqlite3_step(m_statement.get());
        if (rc == SQLITE_ROW) return true;
        m_done = true;
        if (rc != SQLITE_DONE) fail();
        // Finished: the read it held on the database ends now, not when the query goes.
        sqlite3_reset(m_statement.get());
        return false;
    }
    int columnCount() const override { return m_columns; }
    bool isNull(int column) const override { return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL; }
    QByteArrayView utf8(int column) const override {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
        return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement.get(), column)) : QByteArrayView();
    }
    double real(int column) const override { return sqlite3_column_double(m_statement.get(), column); }
    qint64 integer(int column) const override { return sqlite3_column_int64(m_statement.get(), column); }
    // As Qt's driver hands them to Money::fromVariant: whole numbers as integers, reals as doubles.
    Money money(int column) const override {
        switch (sqlite3_column_type(m_statement.get(), column)) {
        case SQLITE_NULL: return {};
        case SQLITE_INTEGER: return Money::fromYuan(sqlite3_column_int64(m_statement.get(), column));
        case SQLITE_FLOAT: return Money::fromDouble(sqlite3_column_double(m_statement.get(), column));
        default: return Money::fromVariant(QVariant(QString::fromUtf8(utf8(column))));
        }
    }

private:
    [[noreturn]] void fail() const {
        const QSqlError error(QStringLiteral("Unable to execute statement"), QString::fromUtf8(sqlite3_errmsg(m_handle)),
                              QSqlError::StatementError, QString::number(sqlite3_errcode(m_handle)));
        throw Error::fromSql(error, m_sql);
    }

    sqlite3* m_handle;
    QString m_sql;
    // Finalised also when the constructor throws after preparing (a value that cannot be bound).
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> m_statement{nullptr, sqlite3_finalize};
    int m_columns = 0;
    bool m_done = false;
};

// The whole result in libpq's text form, read in place.
class PostgresBulk final : public BulkQuery::Backend {
public:
    PostgresBulk(Connection& connection, const QString& sql, const std::vector<std::pair<QString, QVariant>>& values) {
        PGconn* pg = postgresHandle(connection);
        if (!pg) throw Error(QStringLiteral("no PostgreSQL connection for a bulk read\n") + sql, ErrorKind::Connection);
        // The Qt driver may leave the end of its last result unread until its next statement;
        // one statement of its own makes it finish, and what is left of that is read here.
        QSqlQuery(connection.handle()).exec(QStringLiteral("SELECT 1"));
        while (PGresult* left = PQgetResult(pg)) PQclear(left);

        const PostgresParameters parameters(connection.dialect(), sql, values);
        if (parameters.names().size() != qsizetype(values.size()))
            throw Error(QStringLiteral("%1 values bound for %2 parameters in: %3")
                            .arg(values.size()).arg(parameters.names().size()).arg(sql));
        const QByteArray statement = parameters.text().toUtf8();
        m_result = PQexecParams(pg, statement.constData(), parameters.count(), nullptr, parameters.values(), nullptr,
                                nullptr, 0);
        if (PQresultStatus(m_result) != PGRES_TUPLES_OK) {
            const char* state = PQresultErrorField(m_result, PG_DIAG_SQLSTATE);
            const QSqlError error(QStringLiteral("Unable to execute statement"),
                                  QString::fromUtf8(m_result ? PQresultErrorMessage(m_result) : PQerrorMessage(pg)),
                                  PQstatus(pg) == CONNECTION_OK ? QSqlError::StatementError : QSqlError::ConnectionError,
                                  QString::fromLatin1(state ? state : ""));
            PQclear(m_result);
            m_result = nullptr;
            throw Error::fromSql(error, sql);
        }
        m_rows = PQntuples(m_result);
        m_columns = PQnfields(m_result);
    }
    ~PostgresBulk() override { PQclear(m_result); }

    bool next() override { return ++m_row < m_rows; }
    int columnCount() const override { return m_columns; }
    bool isNull(int column) const override { return PQgetisnull(m_result, m_row, column) != 0; }
    QByteArrayView utf8(int column) const override {
        return QByteArrayView(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
    }
    double real(int column) const override {
        if (isNull(column)) return 0;
        if (const auto v = numberFromText<double>(utf8(column))) return *v;
        return utf8(column).toByteArray().toDouble();  // NaN, Infinity
    }
    qint64 integer(int column) const override {
        if (isNull(column)) return 0;
        if (const auto v = numberFromText<qint64>(utf8(column))) return *v;
        return qint64(real(column));
    }
    Money money(int column) const override { return isNull(column) ? Money() : moneyFromText(utf8(column)); }

private:
    PGresult* m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
    int m_columns = 0;
};

}  // namespace

BulkQuery::BulkQuery(Connection& connection, const QString& sql) : m_connection(connection), m_sql(sql) {}

BulkQuery::~BulkQuery() = default;

BulkQuery& BulkQuery::bind(const QString& name, const QString& value) {
    // Empty text is text, not NULL, as Statement binds it.
    m_values.emplace_back(name, value.isNull() ? QString(QLatin1String("")) : value);
    return *this;
}
BulkQuery& BulkQuery::bind(const QString& name, Money value) {
    m_values.emplace_back(name, m_connection.dialect().moneyValue(value));
    return *this;
}
BulkQuery& BulkQuery::bind(const QString& name, double value) {
    m_values.emplace_back(name, value);
    return *this;
}
BulkQuery& BulkQuery::bind(const QString& name, qint64 value) {
    m_values.emplace_back(name, value);
    return *this;
}
BulkQuery& BulkQuery::bind(const QString& name, const QDateTime& value) {
    m_values.emplace_back(name, m_connection.dialect().dateTimeValue(value));
    return *this;
}

BulkQuery& BulkQuery::exec() {
    m_backend.reset();
    if (m_connection.backend() == db::Backend::Postgres)
        m_backend = std::make_unique<PostgresBulk>(m_connection, m_sql, m_values);
    else if (sqlite3* handle = sqliteHandle(m_connection))
        m_backend = std::make_unique<SqliteBulk>(handle, m_sql, m_values);
    else
        throw Error(QStringLiteral("no SQLite connection for a bulk read\n") + m_sql, ErrorKind::Connection);
    return *this;
}

bool BulkQuery::next() {
    if (!m_backend) throw Error(QStringLiteral("bulk read not run: ") + m_sql);
    return m_backend->next();
}

int BulkQuery::columnCount() const { return m_backend ? m_backend->columnCount() : 0; }
bool BulkQuery::isNull(int column) const { return m_backend->isNull(column); }
QByteArrayView BulkQuery::utf8(int column) const { return m_backend->utf8(column); }
double BulkQuery::real(int column) const { return m_backend->real(column); }
qint64 BulkQuery::integer(int column) const { return m_backend->integer(column); }
Money BulkQuery::money(int column) const { return m_backend->money(column); }


}  // namespace db
