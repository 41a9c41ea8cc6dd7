// Document numbers (spGetSerialNo): 15 characters, unique per case-sensitive letter,
// sorting in issue order within a letter. Form: yyyyMMdd of the issuing day followed
// by a 7-digit counter that restarts each day. The day never goes backwards for a
// letter, so a clock set back cannot break the order.
#pragma once

#include <QString>

namespace db {

class Connection;

class SerialNumbers {
public:
    explicit SerialNumbers(Connection& connection) : m_connection(connection) {}
    // Runs inside the caller's transaction when there is one, else atomically on its own.
    // Throws db::Error.
    QString next(const QString& serialType);

private:
    Connection& m_connection;
};

}  // namespace db
