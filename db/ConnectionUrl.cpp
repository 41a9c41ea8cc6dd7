#include "db/ConnectionUrl.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace db {

namespace {
// A URL as typed, fit for a message: whatever stands for a password (user:password@ or a
// password= item) is replaced, even when the rest of the text is not a valid URL.
QString withoutPassword(const QString& text) {
    QString s = text;
    const qsizetype scheme = s.indexOf(QLatin1String("://"));
    if (scheme >= 0) {
        const qsizetype at = s.lastIndexOf(QLatin1Char('@'));
        if (at > scheme) {
            const qsizetype colon = s.indexOf(QLatin1Char(':'), scheme + 3);
            if (colon >= 0 && colon < at) s.replace(colon + 1, at - colon - 1, QStringLiteral("***"));
        }
    }
    static const QRegularExpression item(QStringLiteral("(password=)[^&;\\s]*"), QRegularExpression::CaseInsensitiveOption);
    s.replace(item, QStringLiteral("\\1***"));
    return s;
}
}  // namespace

std::optional<ConnectionUrl> ConnectionUrl::parse(const QString& text, QString* error) {
    auto fail = [&](const QString& why) -> std::optional<ConnectionUrl> {
        if (error) *error = why;
        return std::nullopt;
    };
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)) {
        QString path = t.mid(7);
        if (path.startsWith(QLatin1String("//"))) path = path.mid(2);
        if (path.isEmpty()) return fail(QStringLiteral("SQLite URL has no file path: %1").arg(withoutPassword(t)));
        return sqlite(path);
    }
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)) {
        const QUrl url(t, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty())
            return fail(QStringLiteral("PostgreSQL URL is not valid: %1").arg(withoutPassword(t)));
        ConnectionUrl u;
        u.backend = Backend::Postgres;
        u.host = url.host();
        u.port = url.port(5432);
        u.user = url.userName();
        u.password = url.password();
        u.database = url.path().mid(1);
        if (u.database.isEmpty()) return fail(QStringLiteral("PostgreSQL URL names no database: %1").arg(withoutPassword(t)));
        u.schema = QUrlQuery(url).queryItemValue(QStringLiteral("schema"));
        return u;
    }
    return fail(QStringLiteral("unknown database URL scheme (use sqlite:PATH or postgresql://user@host:port/dbname): %1").arg(withoutPassword(t)));
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
