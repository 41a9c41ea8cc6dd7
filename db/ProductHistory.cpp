#include "db/ProductHistory.h"

#include "db/Connection.h"
#include "db/Statement.h"

namespace db {

QString ProductHistory::lastDate(const QString& productNo) {
    // Every stock movement (receiving, sales with stock checking, returns, losses,
    // transfers) leaves a movement line; sales without stock checking only leave sale
    // lines, and documents keep their own stamp.
    Statement s(m_connection, QStringLiteral(
        "SELECT MAX(d) FROM ("
        " SELECT MAX(CZRQ) AS d FROM QTJHDMXB WHERE SPNO = :p1"
        " UNION ALL SELECT MAX(H.CZDATE) FROM JHDSJB H JOIN JHDMXB M ON M.JHDNO = H.JHDNO WHERE M.SPNO = :p2"
        " UNION ALL SELECT MAX(H.XSDATE) FROM XSB H JOIN XSMXB M ON M.XSNO = H.XSNO WHERE M.SPNO = :p3"
        " UNION ALL SELECT MAX(H.CZDATE) FROM GYSTHSJB H JOIN GYSTHMXB M ON M.THDNO = H.THDNO WHERE M.SPNO = :p4"
        " UNION ALL SELECT MAX(H.CZDATE) FROM KHTHSJB H JOIN KHTHMXB M ON M.THDNO = H.THDNO WHERE M.SPNO = :p5"
        " UNION ALL SELECT MAX(CZRQ) FROM BSB WHERE SPNO = :p6"
        ") T"));
    for (int i = 1; i <= 6; ++i) s.bind(QStringLiteral(":p%1").arg(i), productNo);
    if (!s.first() || s.isNull(0)) return {};
    return s.dateTime(0).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace db
