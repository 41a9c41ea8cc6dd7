#include "db/SerialNumbers.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"

namespace db {

QString SerialNumbers::next(const QString& serialType) {
    if (serialType.size() != 1 || !serialType[0].isLetter())
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
    if (counter > 9999999)
        throw Error(QStringLiteral("serial numbers of type %1 are exhausted for %2").arg(serialType, day));
    const QString number = day + QStringLiteral("%1").arg(counter, 7, 10, QLatin1Char('0'));
    return number;
}

}  // namespace db
