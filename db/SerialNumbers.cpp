#include "db/SerialNumbers.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"

namespace db {

QString SerialNumbers::next(const QString& serialType) {
    const bool asciiLetter = serialType.size() == 1 && ((serialType[0] >= u'A' && serialType[0] <= u'Z') ||
                                                        (serialType[0] >= u'a' && serialType[0] <= u'z'));
    if (!asciiLetter)
        throw Error(QStringLiteral("invalid serial type: %1").arg(serialType));
    // One statement, atomic on its own: row lock on PostgreSQL, the write lock on SQLite; concurrent
    // callers queue here and each sees the other's counter.
    Statement s(m_connection, QStringLiteral(
        "INSERT INTO SERIALNO(SERIALTYPE, LASTDATE, LASTNO) VALUES(:t, today8(), 1) "
        "ON CONFLICT(SERIALTYPE) DO UPDATE SET "
        "LASTNO = CASE WHEN SERIALNO.LASTDATE >= excluded.LASTDATE THEN SERIALNO.LASTNO + 1 ELSE 1 END, "
        "LASTDATE = CASE WHEN SERIALNO.LASTDATE >= excluded.LASTDATE THEN SERIALNO.LASTDATE ELSE excluded.LASTDATE END "
        "RETURNING LASTDATE, LASTNO"));
    s.bind(QStringLiteral(":t"), serialType);
    if (!s.first()) throw Error(QStringLiteral("no serial number issued for %1").arg(serialType));
    const QString day = s.text(0);
    const qint64 counter = s.integer(1);
    if (counter > 999999)
        throw Error(QStringLiteral("serial numbers of type %1 are exhausted for %2").arg(serialType, day));
    return serialType + day + QStringLiteral("%1").arg(counter, CounterDigits, 10, QLatin1Char('0'));
}

DocumentNumbers::DocumentNumbers(Connection& connection, QStringList serialTypes)
    : m_connection(connection), m_types(std::move(serialTypes)) {
    if (m_connection.inTransaction())
        throw Error(QStringLiteral("a document's numbers are set up before its transaction, not inside another"));
    if (m_connection.dialect().numbersInsideDocument()) return;
    Transaction tx(m_connection);
    SerialNumbers serials(m_connection);
    for (const QString& type : m_types) m_drawn << serials.next(type);
    tx.commit();
}

QStringList DocumentNumbers::in(Transaction& documentTransaction) {
    if (!m_connection.dialect().numbersInsideDocument()) return m_drawn;
    if (&documentTransaction.connection() != &m_connection || !m_connection.inTransaction())
        throw Error(QStringLiteral("a document's numbers are drawn inside its own transaction"));
    if (m_drawn.isEmpty()) {
        SerialNumbers serials(m_connection);
        for (const QString& type : m_types) m_drawn << serials.next(type);
    }
    return m_drawn;
}

}  // namespace db
