// The few differences between SQLite and PostgreSQL, kept in one place.
#pragma once

#include "db/ConnectionUrl.h"
#include "db/Money.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

struct sqlite3;

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
    // Begins a document's transaction planned once for any values (see planOnceForAnyValues),
    // in one round trip to the server.
    virtual QString beginDocumentSql() const { return beginSql(); }
    // Told after a transaction of ours began. SQLite fixes its clock here, so getdate() is the
    // time the transaction began on both backends (PostgreSQL's localtimestamp is): every row a
    // document writes carries the same stamp, also when it is written across midnight.
    virtual void transactionBegun(Connection&) const {}
    // Appended to a SELECT that must hold the rows it read until commit: FOR NO KEY UPDATE on
    // PostgreSQL (it serialises the lockers but lets documents referring to the row go on);
    // nothing on SQLite, whose writers already hold the database's write lock.
    virtual QString lockRowsSql() const = 0;
    // Run first in a transaction that rewrites a whole table, so a second one waits for it
    // and then rewrites what the first wrote, instead of colliding with its new rows: an
    // exclusive table lock on PostgreSQL (readers go on); nothing on SQLite, whose writers
    // already take turns.
    virtual QString lockTableForRewriteSql(const QString& table) const = 0;
    // Whether a document draws its numbers inside its own transaction. Yes on SQLite: every
    // writer waits for the one write lock anyway, and a commit (a disk flush) is saved. No on
    // PostgreSQL: the counter row would stay locked until the document commits, and every
    // other till would wait on it.
    virtual bool numbersInsideDocument() const = 0;
    // The statements that begin a transaction whose commit may skip waiting for the disk
    // because a later, flushed commit carries it (numbers drawn ahead); a plain begin where
    // there is no such option.
    virtual QStringList unflushedOpening() const { return {beginSql()}; }
    // The day of a stored time, as an expression to group rows by: cheap per row on both
    // backends, where date10() costs PostgreSQL a function call per row. Reads back as a
    // date or as "yyyy-MM-dd" text (Statement::dateTime reads both).
    virtual QString dayOf(const QString& column) const = 0;
    // Whether a grouping by something of the product reads best summed per product first:
    // SQLite looks a product up by index once per row (two b-tree descents each), so a year
    // of cost rows summed per product first looks each product up once; PostgreSQL hashes
    // the join, and a month summed per product first spills to disk at the default work_mem.
    virtual bool sumsPerProductFirst() const = 0;
    // Whether a large sum over rows read in index order is cheaper added up by us than by
    // SQL: SQLite's statement machine spends more per row on a CASE than stepping the whole
    // row costs us; PostgreSQL sums next to the data and sends only the sums.
    virtual bool sumsScannedRowsInProcess() const = 0;
    // Whether a filter that a small table could answer first (a part of the sale number, which
    // the headers hold) is handed to the planner in the form that starts from that table only
    // after counting that few rows of the table meet it: SQLite's planner cannot tell how many
    // rows a LIKE meets; PostgreSQL's estimates it and starts from the headers by itself.
    virtual bool choosesLookupFormByCount() const = 0;
    // Until `on` is false again or the transaction ends, statements are planned once for any
    // values: for inserts of many rows of bound values, which have no plan to choose. The
    // PostgreSQL session plans every run for its values (see prepareSession), which costs an
    // insert of 400 rows more than writing them. Nothing on SQLite. Inside a transaction only.
    virtual void planOnceForAnyValues(Connection&, bool on) const { (void)on; }

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
    // A callable, made in the connection's own thread, that stops the statement the connection
    // is running (it then fails with an error); it may be called from any thread while the
    // connection stays open, and does nothing when no statement runs.
    virtual std::function<void()> interrupter(Connection& connection) const = 0;
    // Every table of the database (of the session's schema on PostgreSQL), in upper case.
    virtual QStringList tableNames(Connection& connection) const = 0;
    // The table's NUMERIC columns (money), in upper case.
    virtual QStringList moneyColumns(Connection& connection, const QString& table) const = 0;

    // Schema steps that change a column. Table and column names come from the schema, never
    // from typed text. SQLite cannot alter a column in place: it rebuilds the table (new
    // table, copy, drop, rename; its indexes, triggers and every view recreated), which
    // needs foreign keys off around the step's transaction (see Schema::migrate).
    virtual void dropNotNullAndDefault(Connection& connection, const QString& table, const QString& column) const = 0;
    // A fixed-width text column becomes VARCHAR, so a value reads back as it was written
    // ("借", not PostgreSQL's blank-padded "借 "). SQLite never pads: nothing to do.
    virtual void unpadTextColumn(Connection& connection, const QString& table, const QString& column, int width) const = 0;
    // Foreign-key enforcement around a table rebuild; set outside any transaction. Throws
    // db::Error when the switch cannot be set.
    virtual void enforceForeignKeys(Connection& connection, bool on) const = 0;
    // Throws db::Error when any row refers to a missing parent (after a rebuild, before commit).
    virtual void checkForeignKeys(Connection& connection) const = 0;
};

// The server clock of SQLite connections in this process (tests may fix it).
std::optional<QDateTime> sqliteClockOverride();
void setSqliteClockOverride(const std::optional<QDateTime>& at);

// The text form of a stamped time in the database: "yyyy-MM-dd HH:mm:ss".
QString timestampText(const QDateTime& at);

// The SQLite handle under an open SQLite connection; null on another backend.
sqlite3* sqliteHandle(Connection& c);

}  // namespace db
