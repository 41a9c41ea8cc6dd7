// The system variables that the settings screen edits (table sysvariable): read as they
// are stored, written insert-or-update all in one transaction.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

namespace db { class Connection; }

class SystemVariables {
public:
    explicit SystemVariables(db::Connection& connection) : m_connection(connection) {}

    // The nine variables in the order the screen reads them.
    static const QStringList& names();
    // vrscript written when the row is created (the three period rows have none).
    static QString description(const QString& name);

    // The rows that exist: name -> vrvalue (NULL reads as empty text). Throws db::Error.
    std::map<QString, QString> load();

    struct Value {
        QString name;
        std::optional<QString> value;  // nullopt stores NULL
    };
    // Writes every value, creating missing rows, in one transaction: all or nothing.
    // Throws db::Error.
    void save(const std::vector<Value>& values);

private:
    db::Connection& m_connection;
};
