#include "db/StockQueries.h"

#include "db/Statement.h"

namespace db {

namespace {
// A summed balance below this is rounding of the doubles, not stock.
const QString kNonZero = QStringLiteral("> 0.000000001");
}  // namespace

std::vector<StoreStockRow> StockQueries::storeStock(const QString& storeNo) {
    std::vector<StoreStockRow> rows;
    if (storeNo.isEmpty()) return rows;
    const bool all = storeNo == AllStores;
    // All stores: the balances are summed first, so the products are joined once each.
    Statement s(m_connection, QStringLiteral(
        "SELECT K.SPNO, P.SPNAME, P.SPDW, K.SL, P.CBJG, F.FLName FROM (%1) K JOIN SPB P ON P.SPNO = K.SPNO "
        "LEFT JOIN SPFLB F ON F.FLNo = P.SPLB WHERE ABS(K.SL) %2 ORDER BY K.SPNO")
        .arg(all ? QStringLiteral("SELECT SPNO, SUM(KCSL) AS SL FROM KCYEB GROUP BY SPNO")
                 : QStringLiteral("SELECT SPNO, KCSL AS SL FROM KCYEB WHERE CKNO = :store"),
             kNonZero));
    if (!all) s.bind(QStringLiteral(":store"), storeNo);
    s.exec();
    while (s.next()) {
        StoreStockRow r{s.text(0), s.text(1), s.text(2), s.real(3), s.money(4), Money(), s.text(5)};
        r.amount = r.cost.times(r.quantity);
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<StockCheckRow> StockQueries::stockCheck(const QString& supplierNo, const QString& categoryNo,
                                                    bool restockOnly) {
    std::vector<StockCheckRow> rows;
    if (supplierNo.isEmpty() || categoryNo.isEmpty()) return rows;
    QString where = QStringLiteral("1 = 1");
    if (supplierNo != AllOf) where += QStringLiteral(" AND P.QSGYS = :supplier");
    if (categoryNo != AllOf) where += QStringLiteral(" AND P.SPLB = :category");
    if (restockOnly) where += QStringLiteral(" AND COALESCE(K.SL, 0) < P.KCMIN");
    Statement s(m_connection, QStringLiteral(
        "SELECT P.SPNO, P.SPNAME, COALESCE(K.SL, 0), P.KCMAX, P.KCMIN, C.CSNAME, P.BZ FROM SPB P "
        "LEFT JOIN (SELECT SPNO, SUM(KCSL) AS SL FROM KCYEB GROUP BY SPNO) K ON K.SPNO = P.SPNO "
        "LEFT JOIN CSB C ON C.CSNO = P.QSGYS WHERE %1 ORDER BY P.SPNO").arg(where));
    if (supplierNo != AllOf) s.bind(QStringLiteral(":supplier"), supplierNo);
    if (categoryNo != AllOf) s.bind(QStringLiteral(":category"), categoryNo);
    s.exec();
    while (s.next()) {
        StockCheckRow r{s.text(0), s.text(1), s.real(2), int(s.integer(3)), int(s.integer(4)), QString(), s.text(5), s.text(6)};
        if (r.storeCount < r.minStock) r.restockMark = RestockMark;
        rows.push_back(std::move(r));
    }
    return rows;
}

}  // namespace db
