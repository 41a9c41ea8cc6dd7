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
    else if (error.type() == QSqlError::ConnectionError)
        kind = ErrorKind::Connection;
    QString message = text.trimmed();
    if (!context.isEmpty()) message += QStringLiteral("\n") + context;
    return Error(message, kind);
}

}  // namespace db
