// A unit of work on a connection: all or nothing. Rolls back in the destructor unless
// committed. Nested guards become savepoints, so a server procedure that needs its own
// atomicity can open one inside the caller's transaction.
#pragma once

#include <QString>
#include <optional>

namespace db {

class Connection;

class Transaction {
public:
    // A document's rows are written by statements whose best plan is the same for any values
    // (inserts of bound values, updates and reads by key): on PostgreSQL a Document
    // transaction plans each once instead of at every run, which cost a ten-line sale more
    // time than writing it. Other work keeps the session's planning for the values at hand.
    enum class Kind { General, Document };
    explicit Transaction(Connection& connection, Kind kind = Kind::General);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    Connection& connection() { return m_connection; }
    bool isNested() const { return !m_savepoint.isEmpty(); }

private:
    Connection& m_connection;
    QString m_savepoint;
    bool m_open = true;
};

// A server procedure's atomicity: inside the caller's transaction it adds nothing (the
// caller rolls back on the error it raises); called on its own it opens a transaction.
class ProcedureScope {
public:
    explicit ProcedureScope(Connection& connection);
    void commit();

private:
    std::optional<Transaction> m_own;
};

}  // namespace db
