#include "db/Statement.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlRecord>

namespace db {

Statement::Statement(Connection& connection, const QString& sql)
    : m_connection(connection), m_sql(sql), m_query(connection.acquire(sql, &m_cached)) {}

Statement::Statement(Transaction& transaction, const QString& sql) : Statement(transaction.connection(), sql) {}

Statement::~Statement() { m_connection.release(m_sql, m_query, m_cached); }

Statement& Statement::bind(const QString& name, const QString& value) {
    // PostgreSQL text cannot hold a NUL and the driver cuts the statement at it; SQLite would
    // store a value that C-string readers see shortened. No caller means to store one.
    if (value.contains(QChar(0)))
        throw Error(QStringLiteral("a value for %1 holds a NUL character and was not written").arg(name));
    m_query->bindValue(name, value.isNull() ? QString(QLatin1String("")) : value);
    return *this;
}
Statement& Statement::bind(const QString& name, Money value) {
    m_query->bindValue(name, m_connection.dialect().moneyValue(value));
    return *this;
}
Statement& Statement::bind(const QString& name, double value) { m_query->bindValue(name, value); return *this; }
Statement& Statement::bind(const QString& name, int value) { m_query->bindValue(name, value); return *this; }
Statement& Statement::bind(const QString& name, qint64 value) { m_query->bindValue(name, value); return *this; }
Statement& Statement::bind(const QString& name, bool value) { m_query->bindValue(name, value ? 1 : 0); return *this; }
Statement& Statement::bind(const QString& name, const QDateTime& value) {
    m_query->bindValue(name, m_connection.dialect().dateTimeValue(value));
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
    m_query->bindValue(name, QVariant(QMetaType::fromType<QString>()));
    return *this;
}

Statement& Statement::exec() {
    if (!m_query->exec()) throw Error::fromSql(m_query->lastError(), m_sql);
    return *this;
}

bool Statement::next() { return m_query->next(); }

bool Statement::first() {
    exec();
    return m_query->next();
}

int Statement::rowsAffected() const { return m_query->numRowsAffected(); }

int Statement::indexOf(const QString& column) const {
    const int i = m_query->record().indexOf(column);
    if (i < 0) throw Error(QStringLiteral("no column %1 in result of: %2").arg(column, m_sql));
    return i;
}

QVariant Statement::value(int column) const { return m_query->value(column); }
QVariant Statement::value(const QString& column) const { return m_query->value(indexOf(column)); }
bool Statement::isNull(int column) const { return m_query->isNull(column); }
QString Statement::text(int column) const { return m_query->value(column).toString(); }
QString Statement::text(const QString& column) const { return text(indexOf(column)); }
Money Statement::money(int column) const { return Money::fromVariant(m_query->value(column)); }
Money Statement::money(const QString& column) const { return money(indexOf(column)); }
double Statement::real(int column) const { return m_query->value(column).toDouble(); }
double Statement::real(const QString& column) const { return real(indexOf(column)); }
qint64 Statement::integer(int column) const { return m_query->value(column).toLongLong(); }
qint64 Statement::integer(const QString& column) const { return integer(indexOf(column)); }

QDateTime Statement::dateTime(int column) const {
    const QVariant v = m_query->value(column);
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    const QString t = v.toString();
    QDateTime d = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!d.isValid()) d = QDateTime::fromString(t, Qt::ISODate);
    if (!d.isValid()) d = QDateTime(QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return d;
}
QDateTime Statement::dateTime(const QString& column) const { return dateTime(indexOf(column)); }

}  // namespace db
