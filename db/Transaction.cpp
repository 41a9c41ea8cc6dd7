#include "db/Transaction.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"

namespace db {

Transaction::Transaction(Connection& connection, Kind kind) : m_connection(connection) {
    if (m_connection.m_transactionDepth > 0) {
        m_savepoint = QStringLiteral("sp%1").arg(++m_connection.m_savepointSerial);
        m_connection.execute(QStringLiteral("SAVEPOINT ") + m_savepoint);
    } else {
        // A document's planning ends with its transaction; inside a caller's transaction the
        // caller's planning stays.
        const Dialect& dialect = m_connection.dialect();
        m_connection.execute(kind == Kind::Document ? dialect.beginDocumentSql() : dialect.beginSql());
        dialect.transactionBegun(m_connection);
    }
    ++m_connection.m_transactionDepth;
}

Transaction::~Transaction() {
    if (!m_open) return;
    try {
        rollback();
    } catch (...) {
        // A destructor must not throw; the connection's own state tells the next caller.
    }
}

void Transaction::commit() {
    if (!m_open) throw Error(QStringLiteral("transaction already ended"));
    m_open = false;
    --m_connection.m_transactionDepth;
    if (isNested()) {
        m_connection.execute(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
        return;
    }
    try {
        m_connection.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        // SQLite keeps the transaction open when its commit fails (a deferred reference
        // naming nothing): nothing of it was saved, and the connection must not stay inside it.
        try {
            m_connection.execute(QStringLiteral("ROLLBACK"));
        } catch (...) {
        }
        throw;
    }
}

void Transaction::rollback() {
    if (!m_open) return;
    m_open = false;
    --m_connection.m_transactionDepth;
    if (isNested()) {
        m_connection.execute(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_savepoint);
        m_connection.execute(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
    } else {
        m_connection.execute(QStringLiteral("ROLLBACK"));
    }
}

ProcedureScope::ProcedureScope(Connection& connection) {
    if (!connection.inTransaction()) m_own.emplace(connection);
}

void ProcedureScope::commit() {
    if (m_own) m_own->commit();
}

}  // namespace db
