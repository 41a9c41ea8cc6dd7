// Copies a whole shop from one database to another (SQLite to PostgreSQL when a shop grows
// from one till to several; PostgreSQL to SQLite for a single-file backup).
#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace db {

class Connection;

struct CopiedTable {
    QString table;
    qint64 rows = 0;
};

class DatabaseCopy {
public:
    // Told after each table and every 100,000 rows: the table and the rows copied of it so far.
    using Progress = std::function<void(const QString& table, qint64 rows, bool tableDone)>;
    // Called with the target inside the copy's transaction, after the rows are verified and
    // before the commit: a further check that throws db::Error undoes the whole copy.
    using Verify = std::function<void(Connection& target)>;

    DatabaseCopy(Connection& source, Connection& target) : m_source(source), m_target(target) {}

    // Refuses (db::Error) a source that is not a usable database of ours and a target that
    // has any table. Creates the schema on the target at the source's version and copies
    // every table from one consistent view of the source, all in one transaction on the
    // target: a copy that fails or is interrupted leaves the target without a table or row.
    // Row counts are compared table by table before the commit. Identity counters on the
    // target continue after the copied rows; the document number counters are copied rows.
    std::vector<CopiedTable> run(const Progress& progress = {}, const Verify& verify = {});

private:
    qint64 copyTable(const QString& table, const Progress& progress);

    Connection& m_source;
    Connection& m_target;
};

}  // namespace db
