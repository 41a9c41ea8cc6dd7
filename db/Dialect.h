// The few differences between SQLite and PostgreSQL, kept in one place.
#pragma once

#include "db/ConnectionUrl.h"
#include "db/Money.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace db {

class Connection;

class Dialect {
public:
    virtual ~Dialect() = default;
    static const Dialect& of(Backend backend);

    virtual Backend backend() const = 0;
    virtual QString driverName() const = 0;
    // Writers take the write lock at once on SQLite so two tills never deadlock on upgrade.
    virtual QString beginSql() const = 0;
    // Appended to a SELECT that must hold the rows it read until commit: FOR UPDATE on
    // PostgreSQL; nothing on SQLite, whose writers already hold the database's write lock.
    virtual QString lockRowsSql() const = 0;

    virtual QVariant moneyValue(Money value) const = 0;
    virtual QVariant dateTimeValue(const QDateTime& value) const = 0;

    // Expands the schema's type tokens: @MONEY @FLOAT @BIT @DATETIME @NOW @ID @TEXT.
    virtual QString ddl(const QString& portable) const = 0;

    // Session set-up right after the driver opened the connection.
    virtual void prepareSession(Connection& connection) const = 0;
    // Portable functions that live in the database (PostgreSQL); SQLite registers them per connection.
    virtual void createFunctions(Connection& connection) const = 0;
    virtual void setClock(Connection& connection, const std::optional<QDateTime>& at) const = 0;
    virtual bool tableExists(Connection& connection, const QString& table) const = 0;
    // Every table of the database (of the session's schema on PostgreSQL), in upper case.
    virtual QStringList tableNames(Connection& connection) const = 0;
    // The table's NUMERIC columns (money), in upper case.
    virtual QStringList moneyColumns(Connection& connection, const QString& table) const = 0;
};

// The server clock of SQLite connections in this process (tests may fix it).
std::optional<QDateTime> sqliteClockOverride();
void setSqliteClockOverride(const std::optional<QDateTime>& at);

// The text form of a stamped time in the database: "yyyy-MM-dd HH:mm:ss".
QString timestampText(const QDateTime& at);

}  // namespace db
