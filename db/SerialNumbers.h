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
    // One number of each type, in their order, drawn by one statement. Throws db::Error.
    QStringList next(const QStringList& serialTypes);

private:
    friend class DocumentNumbers;
    // `committedAheadUnflushed`: drawn in a transaction of its own, committed without waiting
    // for the disk (see DocumentNumbers).
    QStringList draw(const QStringList& serialTypes, bool committedAheadUnflushed);

    Connection& m_connection;
};

class Transaction;

// The numbers of one document, one per serial type, drawn where they cost least (see
// Dialect::numbersInsideDocument). Made before the document's transaction begins: where
// numbers are drawn ahead (PostgreSQL) they are drawn and committed here in a short
// transaction of their own, so a document refused later leaves them unused. Elsewhere
// (SQLite) they are drawn by `in`, inside the document's transaction, and a refused
// document uses none.
class DocumentNumbers {
public:
    // Throws db::Error, also when called inside a transaction (numbers drawn ahead would be
    // held until its end).
    DocumentNumbers(Connection& connection, QStringList serialTypes);
    // The numbers, in the order of their types, inside the document's transaction. Throws db::Error.
    QStringList in(Transaction& documentTransaction);

private:
    Connection& m_connection;
    QStringList m_types;
    QStringList m_drawn;
};

}  // namespace db
