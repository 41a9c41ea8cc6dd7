// The writes of one document sent together. On PostgreSQL every write but the last becomes a
// data-modifying WITH clause of the last, so the batch costs one round trip to the server
// (each trip wakes the server and the till, which costs more than a small write itself); the
// foreign keys and reference checks of the statement see the rows of all its clauses. SQLite
// runs in the till's own process and has no such clauses: the writes run one after another,
// in the order added.
// Every write's placeholders are its own: no name may appear in two writes.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace db {

class Connection;
class Statement;

class WriteBatch {
public:
    using Binder = std::function<void(Statement&)>;
    // The values a write's RETURNING gave (one integer column), in no set order.
    using Collect = std::function<void(const std::vector<qint64>&)>;
    // How many rows a write wrote.
    using Count = std::function<void(qint64)>;

    explicit WriteBatch(Connection& connection) : m_connection(connection) {}

    // A write whose result is not read.
    WriteBatch& add(const QString& sql, Binder bind);
    // A write ending in RETURNING one integer column: `collect` gets what it returned once
    // the batch has run, and may throw (a check of what was written).
    WriteBatch& add(const QString& sql, Binder bind, Collect collect);
    // A write without RETURNING whose rows are counted: `count` gets the number once the
    // batch has run, and may throw.
    WriteBatch& addCounted(const QString& sql, Binder bind, Count count);
    // Runs the writes added and then `sql`, each row of whose result `eachRow` reads. When a
    // write collects, `sql` must end in its select or RETURNING list (values are added to it)
    // and return a row.
    void run(const QString& sql, const Binder& bind, const std::function<void(Statement&)>& eachRow = {});
    // Runs the writes added (the last as the statement the others go with).
    void run();

private:
    struct Write {
        QString sql;
        Binder bind;
        Collect collect;
        Count count;
    };
    Connection& m_connection;
    std::vector<Write> m_writes;
};

}  // namespace db
