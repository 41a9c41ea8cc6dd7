#include "db/StockLedger.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <cmath>

namespace db {

namespace {
// Quantities are doubles; a remainder below this is rounding, not stock.
constexpr double kQuantityEpsilon = 1e-9;
}

QString StockLedger::signedQuantitySql(const QString& alias) {
    const QString p = alias.isEmpty() ? QString() : alias + u'.';
    const QStringList in = {MovementKind::Receive, MovementKind::ClientReturn, MovementKind::TransferIn,
                            MovementKind::StocktakeGain};
    QStringList quoted;
    for (const QString& k : in) quoted << u'\'' + k + u'\'';
    return QStringLiteral("CASE WHEN %1WLTYPE IN (%2) THEN %1SL ELSE -%1SL END").arg(p, quoted.join(QStringLiteral(", ")));
}

double StockLedger::storeCount(const QString& productNo, const QString& storeNo) {
    static const QString sql = QStringLiteral("SELECT COALESCE(SUM(%1), 0) FROM QTJHDMXB WHERE SPNO = :spno AND CKNO = :ckno")
                                   .arg(signedQuantitySql());
    Statement s(m_connection, sql);
    s.bind(QStringLiteral(":spno"), productNo).bind(QStringLiteral(":ckno"), storeNo);
    return s.first() ? s.real(0) : 0.0;
}

std::vector<BatchDraw> StockLedger::allocateSale(const QString& saleNo, const QString& operatorNo,
                                                 const QString& productNo, double quantity) {
    if (!(quantity > 0)) throw Error(QStringLiteral("sale quantity must be positive: %1").arg(quantity));
    ProcedureScope scope(m_connection);

    struct Batch { QString no; double remaining; };
    std::vector<Batch> batches;
    {
        // Receiving numbers sort in issue order, so JHDNO order is oldest receipt first.
        Statement pick(m_connection, QStringLiteral(
            "SELECT JHDNO, SL - XSSL FROM JHDMXB WHERE SPNO = :spno AND SL - XSSL > 0 ORDER BY JHDNO"));
        pick.bind(QStringLiteral(":spno"), productNo).exec();
        double covered = 0;
        while (covered < quantity - kQuantityEpsilon && pick.next()) {
            batches.push_back({pick.text(0), pick.real(1)});
            covered += batches.back().remaining;
        }
        if (covered < quantity - kQuantityEpsilon)
            throw Error(QStringLiteral("库存不足：商品 %1 需要 %2，批次余量 %3").arg(productNo).arg(quantity).arg(covered),
                        ErrorKind::Shortage);
    }

    Statement raise(m_connection, QStringLiteral(
        "UPDATE JHDMXB SET XSSL = XSSL + :take WHERE JHDNO = :jhdno AND SPNO = :spno AND SL - XSSL >= :take - 0.000000001"));
    Statement cost(m_connection, QStringLiteral(
        "INSERT INTO XSCBB(XSNO, JHDNO, SPNO, XSSL, THSL) VALUES(:xsno, :jhdno, :spno, :xssl, 0) RETURNING ID"));
    std::vector<BatchDraw> draws;
    double left = quantity;
    for (const Batch& b : batches) {
        const double take = std::min(left, b.remaining);
        raise.bind(QStringLiteral(":take"), take).bind(QStringLiteral(":jhdno"), b.no).bind(QStringLiteral(":spno"), productNo);
        raise.exec();
        // Another till drew on the batch between our read and this write.
        if (raise.rowsAffected() != 1)
            throw Error(QStringLiteral("库存不足：批次 %1 已被占用").arg(b.no), ErrorKind::Shortage);
        cost.bind(QStringLiteral(":xsno"), saleNo).bind(QStringLiteral(":jhdno"), b.no)
            .bind(QStringLiteral(":spno"), productNo).bind(QStringLiteral(":xssl"), take);
        if (!cost.first()) throw Error(QStringLiteral("cost line not created for %1").arg(productNo));
        draws.push_back({cost.integer(0), b.no, take});
        cost.query().finish();
        left -= take;
        if (left <= kQuantityEpsilon) break;
    }
    Q_UNUSED(operatorNo);
    scope.commit();
    return draws;
}

}  // namespace db
