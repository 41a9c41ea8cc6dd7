#include "db/SerialNumbers.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <optional>

namespace db {

QString SerialNumbers::next(const QString& serialType) { return next(QStringList{serialType}).constFirst(); }

QStringList SerialNumbers::next(const QStringList& serialTypes) { return draw(serialTypes, false); }

QStringList SerialNumbers::draw(const QStringList& serialTypes, bool committedAheadUnflushed) {
    for (const QString& type : serialTypes) {
        const bool asciiLetter = type.size() == 1 && ((type[0] >= u'A' && type[0] <= u'Z') ||
                                                      (type[0] >= u'a' && type[0] <= u'z'));
        if (!asciiLetter) throw Error(QStringLiteral("invalid serial type: %1").arg(type));
        // One statement may not update a counter row twice.
        if (serialTypes.count(type) > 1) throw Error(QStringLiteral("serial type %1 asked twice at once").arg(type));
    }
    if (serialTypes.isEmpty()) return {};
    // One statement, atomic on its own: row locks on PostgreSQL, the write lock on SQLite;
    // concurrent callers queue here and each sees the other's counter. Several types in one
    // statement cost one round trip.
    QStringList rows;
    for (int i = 0; i < serialTypes.size(); ++i) rows << QStringLiteral("(:t%1, today8(), 1)").arg(i);
    const QString sql = QStringLiteral(
        "INSERT INTO SERIALNO(SERIALTYPE, LASTDATE, LASTNO) VALUES %1 "
        "ON CONFLICT(SERIALTYPE) DO UPDATE SET "
        "LASTNO = CASE WHEN SERIALNO.LASTDATE >= excluded.LASTDATE THEN SERIALNO.LASTNO + 1 ELSE 1 END, "
        "LASTDATE = CASE WHEN SERIALNO.LASTDATE >= excluded.LASTDATE THEN SERIALNO.LASTDATE ELSE excluded.LASTDATE END "
        "RETURNING SERIALTYPE, LASTDATE, LASTNO").arg(rows.join(QStringLiteral(", ")));
    std::optional<Statement> statement;
    if (committedAheadUnflushed) statement.emplace(m_connection, sql, Statement::Direct);
    else statement.emplace(m_connection, sql);
    Statement& s = *statement;
    for (int i = 0; i < serialTypes.size(); ++i) s.bind(QStringLiteral(":t%1").arg(i), serialTypes[i]);
    // Ahead of a document, in a transaction of its own whose commit need not wait for the disk:
    // the document that uses the numbers commits with a flush, and that flush writes this
    // earlier commit too. Numbers lost to a crash before it were used by no document, and are
    // drawn again. The opening, the draw and the commit go to the server at once.
    if (committedAheadUnflushed) s.execInOwnTransaction(m_connection.dialect().unflushedOpening());
    else s.exec();
    // RETURNING gives no promise of the order of VALUES.
    QStringList numbers(serialTypes.size());
    while (s.next()) {
        const QString type = s.text(0), day = s.text(1);
        const qint64 counter = s.integer(2);
        if (counter > 999999)
            throw Error(QStringLiteral("serial numbers of type %1 are exhausted for %2").arg(type, day));
        const int at = serialTypes.indexOf(type);
        if (at >= 0) numbers[at] = type + day + QStringLiteral("%1").arg(counter, CounterDigits, 10, QLatin1Char('0'));
    }
    for (int i = 0; i < numbers.size(); ++i)
        if (numbers[i].isEmpty()) throw Error(QStringLiteral("no serial number issued for %1").arg(serialTypes[i]));
    return numbers;
}

DocumentNumbers::DocumentNumbers(Connection& connection, QStringList serialTypes)
    : m_connection(connection), m_types(std::move(serialTypes)) {
    if (m_connection.inTransaction())
        throw Error(QStringLiteral("a document's numbers are set up before its transaction, not inside another"));
    if (m_connection.dialect().numbersInsideDocument()) return;
    m_drawn = SerialNumbers(m_connection).draw(m_types, true);
}

QStringList DocumentNumbers::in(Transaction& documentTransaction) {
    if (!m_connection.dialect().numbersInsideDocument()) return m_drawn;
    if (&documentTransaction.connection() != &m_connection || !m_connection.inTransaction())
        throw Error(QStringLiteral("a document's numbers are drawn inside its own transaction"));
    if (m_drawn.isEmpty()) m_drawn = SerialNumbers(m_connection).next(m_types);
    return m_drawn;
}

}  // namespace db
