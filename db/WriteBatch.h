// The writes of one document sent together. On PostgreSQL every write but the last becomes a
// data-modifying WITH clause of the last, so the batch costs one round trip to the server
// (each trip wakes the server and the till, which costs more than a small write itself); the
// foreign keys of the last write see the rows of the clauses. SQLite runs in the till's own
// process and has no such clauses: the writes run one after another, in the order added.
// Every write's placeholders are its own: no name may appear in two writes.
#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace db {

class Connection;
class Statement;

class WriteBatch {
public:
    using Binder = std::function<void(Statement&)>;

    explicit WriteBatch(Connection& connection) : m_connection(connection) {}

    // A write whose result is not read.
    WriteBatch& add(const QString& sql, Binder bind);
    // Runs the writes added and then `sql`, whose result `read` may read.
    void run(const QString& sql, const Binder& bind, const std::function<void(Statement&)>& read = {});

private:
    struct Write {
        QString sql;
        Binder bind;
    };
    Connection& m_connection;
    std::vector<Write> m_writes;
};

}  // namespace db
