// Statements sent through libpq itself rather than Qt's driver (a cursor's DECLARE, a bulk
// read): the connection's PGconn, and :name placeholders numbered $1, $2 … with the values
// passed as real parameters in the text form Statement binds them in. Values never enter
// the statement's text.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

typedef struct pg_conn PGconn;

namespace db {

class Connection;
class Dialect;

// The connection's libpq handle; nullptr when it is not a PostgreSQL connection.
PGconn* postgresHandle(Connection& connection);

// `sql` with its :name placeholders numbered $1, $2 … for the server, and the names in that
// order (a name used twice gets one number). Quoted text and PostgreSQL's :: casts are left alone.
std::pair<QString, QStringList> numberedPlaceholders(const QString& sql);

class PostgresParameters {
public:
    using Values = std::vector<std::pair<QString, QVariant>>;
    // Throws db::Error when a placeholder has no value.
    PostgresParameters(const Dialect& dialect, const QString& sql, const Values& values);
    // For a statement already numbered: its placeholders in order (`sql` names it in errors).
    PostgresParameters(const Dialect& dialect, const QStringList& placeholders, const Values& values, const QString& sql);

    const QString& text() const { return m_text; }
    const QStringList& names() const { return m_names; }
    int count() const { return int(m_pointers.size()); }
    // For PQexecParams: one per parameter, nullptr for NULL.
    const char* const* values() const { return m_pointers.data(); }

private:
    PostgresParameters(const Dialect& dialect, std::pair<QString, QStringList> numbered, const Values& values,
                       const QString& sql);

    QString m_text;
    QStringList m_names;
    std::vector<std::optional<QByteArray>> m_texts;
    std::vector<const char*> m_pointers;
};

}  // namespace db
