// The program's command line: pos [--database URL] [--init-database] [--demo-data]
// [--import-products FILE.csv] [--copy-database FROM TO] [--check-integrity] [--version] [--help].
// Administration runs without a window; the default is the GUI.
#pragma once

#include "db/ConnectionUrl.h"

#include <QString>
#include <QStringList>
#include <optional>

class QTextStream;

struct CommandLine {
    QString databaseUrl;
    bool initDatabase = false;
    bool demoData = false;
    QString importProducts;  // a CSV catalogue to add to the products
    QString copyFrom;        // --copy-database FROM TO: database URLs
    QString copyTo;
    bool checkIntegrity = false;
    bool help = false;
    bool version = false;
    QString error;  // non-empty: the arguments are wrong (exit code 2)

    static CommandLine parse(const QStringList& arguments);
    static QString usage();
    bool runsGui() const {
        return !initDatabase && !demoData && importProducts.isEmpty() && copyFrom.isEmpty() && !checkIntegrity && !help &&
               !version;
    }
};

// The database the command line names, else SysSet.ini's [DATABASE] URL, else the default
// SQLite file beside the program. nullopt and *error when the URL is not usable.
std::optional<db::ConnectionUrl> resolveDatabaseUrl(const CommandLine& commandLine, QString* error);
QString defaultDatabasePath();

// Runs --init-database / --demo-data. Returns the exit code:
// 0 done, 1 the database could not be reached or written.
int runAdministration(const CommandLine& commandLine, const db::ConnectionUrl& url, QTextStream& out, QTextStream& err);

// Runs --import-products on an existing database: all products of the file or none.
// Returns 0 when imported, 1 when the file or the database was refused (reasons on err).
// Runs --copy-database FROM TO: the whole shop into an empty database, all or nothing.
// Returns 0 when copied and verified, 1 when refused or failed (reasons on err), 2 for a bad URL.
int runDatabaseCopy(const CommandLine& commandLine, QTextStream& out, QTextStream& err);

int runProductImport(const CommandLine& commandLine, const db::ConnectionUrl& url, QTextStream& out, QTextStream& err);

// Runs --check-integrity: prints each problem. Returns 0 when the database is consistent,
// 1 when a problem was found or the database could not be read.
int runIntegrityCheck(const db::ConnectionUrl& url, QTextStream& out, QTextStream& err);
