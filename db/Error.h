// The one exception type of the data layer: a plain class fails by throwing it,
// and a screen turns it into the message the operator must see.
#pragma once

#include <QSqlError>
#include <QString>
#include <stdexcept>

namespace db {

enum class ErrorKind {
    General,
    Connection,     // cannot reach or open the database
    ForeignKey,     // a referenced row cannot be deleted, or a reference points nowhere
    UniqueKey,      // duplicate key
    NotNull,        // a required column is empty
    Shortage,       // stock cannot cover a quantity
    SchemaTooNew,   // the database was made by a newer program
    SchemaTooOld,   // the database lacks steps of this program's schema: bring it up to date first
    Refused,        // a rule of the shop refuses the change; the message says which, for the operator
    Busy,           // another connection holds the lock longer than we wait: try again later
    Damaged,        // the database file fails SQLite's own check
};

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message, ErrorKind kind = ErrorKind::General);
    // Classifies a driver error (constraint kinds by SQLSTATE or SQLite's message).
    static Error fromSql(const QSqlError& error, const QString& context = {});

    ErrorKind kind() const { return m_kind; }
    QString message() const { return m_message; }

private:
    ErrorKind m_kind;
    QString m_message;
};

}  // namespace db
