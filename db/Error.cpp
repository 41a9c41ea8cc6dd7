#include "db/Error.h"

namespace db {

Error::Error(const QString& message, ErrorKind kind)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message) {}

Error Error::fromSql(const QSqlError& error, const QString& context) {
    const QString code = error.nativeErrorCode();
    const QString text = error.text();
    const QString lower = text.toLower();
    ErrorKind kind = ErrorKind::General;
    if (code == QLatin1String("23503") || lower.contains(QLatin1String("foreign key")))
        kind = ErrorKind::ForeignKey;
    else if (code == QLatin1String("23505") || lower.contains(QLatin1String("unique constraint")))
        kind = ErrorKind::UniqueKey;
    else if (code == QLatin1String("23502") || lower.contains(QLatin1String("not null")))
        kind = ErrorKind::NotNull;
    // SQLite: SQLITE_BUSY / SQLITE_LOCKED after the busy timeout; PostgreSQL: a lock that
    // could not be had, or a transaction chosen as the victim of a deadlock or serialization
    // failure. Each is another till's work in the way, not a fault of this one.
    else if (code == QLatin1String("5") || code == QLatin1String("6") || lower.contains(QLatin1String("database is locked"))
             || lower.contains(QLatin1String("database table is locked")) || code == QLatin1String("55P03")
             || code == QLatin1String("40001") || code == QLatin1String("40P01"))
        kind = ErrorKind::Busy;
    else if (error.type() == QSqlError::ConnectionError)
        kind = ErrorKind::Connection;
    QString message = text.trimmed();
    if (!context.isEmpty()) message += QStringLiteral("\n") + context;
    return Error(message, kind);
}

}  // namespace db
