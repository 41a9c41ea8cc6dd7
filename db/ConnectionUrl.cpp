#include "db/ConnectionUrl.h"

#include <QUrl>
#include <QUrlQuery>

namespace db {

std::optional<ConnectionUrl> ConnectionUrl::parse(const QString& text, QString* error) {
    auto fail = [&](const QString& why) -> std::optional<ConnectionUrl> {
        if (error) *error = why;
        return std::nullopt;
    };
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)) {
        QString path = t.mid(7);
        if (path.startsWith(QLatin1String("//"))) path = path.mid(2);
        if (path.isEmpty()) return fail(QStringLiteral("SQLite URL has no file path: %1").arg(t));
        return sqlite(path);
    }
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)) {
        const QUrl url(t, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty())
            return fail(QStringLiteral("PostgreSQL URL is not valid: %1").arg(t));
        ConnectionUrl u;
        u.backend = Backend::Postgres;
        u.host = url.host();
        u.port = url.port(5432);
        u.user = url.userName();
        u.password = url.password();
        u.database = url.path().mid(1);
        if (u.database.isEmpty()) return fail(QStringLiteral("PostgreSQL URL names no database: %1").arg(t));
        u.schema = QUrlQuery(url).queryItemValue(QStringLiteral("schema"));
        return u;
    }
    return fail(QStringLiteral("unknown database URL scheme (use sqlite:PATH or postgresql://user@host:port/dbname): %1").arg(t));
}

ConnectionUrl ConnectionUrl::sqlite(const QString& path) {
    ConnectionUrl u;
    u.backend = Backend::Sqlite;
    u.path = path;
    return u;
}

QString ConnectionUrl::display() const {
    if (backend == Backend::Sqlite) return QStringLiteral("sqlite:") + path;
    QString s = QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
    if (!schema.isEmpty()) s += QStringLiteral("?schema=") + schema;
    return s;
}

}  // namespace db
