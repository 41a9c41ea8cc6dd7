// Document numbers (spGetSerialNo): 15 characters, unique across every case-sensitive
// letter and sorting in issue order within a letter. Form: the letter, yyyyMMdd of the
// issuing day, then a 6-digit counter that restarts each day. Carrying the letter keeps a
// sale and a receiving of the same day apart wherever numbers of several kinds meet (the
// movement lines' document column, the ledgers). The day never goes backwards for a
// letter, so a clock set back cannot break the order.
#pragma once

#include <QString>
#include <QStringList>

namespace db {

class Connection;

class SerialNumbers {
public:
    static constexpr int CounterDigits = 6;

    explicit SerialNumbers(Connection& connection) : m_connection(connection) {}
    // Runs inside the caller's transaction when there is one, else atomically on its own.
    // Throws db::Error.
    QString next(const QString& serialType);
    // One number of each type, drawn and committed in a short transaction of its own before
    // a document's posting begins: the counter rows are then not held while the document is
    // written, so tills posting different goods never wait on each other's numbers. A
    // posting that fails afterwards leaves its numbers unused. Throws db::Error, also when
    // called inside a transaction (the numbers would then be held until its end).
    QStringList draw(const QStringList& serialTypes);

private:
    Connection& m_connection;
};

}  // namespace db
