// The database schema, written once in portable SQL and brought up to date by migrations.
#pragma once

#include <QString>
#include <QStringList>

namespace db {

class Connection;

class Schema {
public:
    // The version this program writes and understands.
    static int currentVersion();
    // The version stored in the database; 0 for a database without our tables.
    static int storedVersion(Connection& connection);
    // Creates or upgrades the schema; each step runs in one transaction.
    // Throws db::Error (SchemaTooNew) for a database made by a newer program.
    static void migrate(Connection& connection);
    // Applies the steps up to and including `version` only (a copy is made at its source's
    // version; tests build an older database).
    static void migrate(Connection& connection, int version);
    // Refuses a database that is not ours or is newer (db::Error), without writing.
    static void checkUsable(Connection& connection);
    // checkUsable, and every step of this program's schema applied (ErrorKind::SchemaTooOld
    // otherwise): the till works on no other database, because its statements name what the
    // missing steps add. `pos --init-database` brings a database up to date.
    static void checkCurrent(Connection& connection);

    // Every business and master table, children before parents (the order to clear them).
    static QStringList tablesChildFirst();
};

}  // namespace db
