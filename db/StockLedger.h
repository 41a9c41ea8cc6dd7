// Stock: batches (receiving lines, remaining SL - XSSL) and per-store movement balances
// (QTJHDMXB). Server procedures spGetSPStoreCount and spDayOver live here.
#pragma once

#include <QString>
#include <vector>

namespace db {

class Connection;

// The movement kinds written to QTJHDMXB.WLTYPE and which way each moves stock.
namespace MovementKind {
inline const QString Receive = QStringLiteral("入库");
inline const QString Sale = QStringLiteral("销售");
inline const QString Loss = QStringLiteral("报损");
inline const QString SupplierReturn = QStringLiteral("退货");
inline const QString ClientReturn = QStringLiteral("客户退货");
inline const QString TransferIn = QStringLiteral("调入");
inline const QString TransferOut = QStringLiteral("调出");
inline const QString StocktakeGain = QStringLiteral("盘盈");
inline const QString StocktakeLoss = QStringLiteral("盘亏");
}  // namespace MovementKind

// One part of a sold quantity, taken from one batch.
struct BatchDraw {
    qint64 costRowId;   // the XSCBB row created for it
    QString batchNo;    // JHDMXB.JHDNO
    double quantity;
};

// One sold quantity of a product (a sale line).
struct SaleQuantity {
    QString productNo;
    double quantity;
};

class StockLedger {
public:
    explicit StockLedger(Connection& connection) : m_connection(connection) {}

    // SQL expression of a movement line's signed quantity (in +, out -), for the
    // movement table aliased as `alias`.
    static QString signedQuantitySql(const QString& alias = QString());

    // spGetSPStoreCount: quantity of the product in the store (movement balance).
    double storeCount(const QString& productNo, const QString& storeNo);

    // spDayOver: takes `quantity` of the product from its batches, oldest receipt first,
    // one XSCBB row per batch used, raising each batch's XSSL. A shortage throws
    // db::Error(Shortage) and leaves the caller's transaction to roll back.
    std::vector<BatchDraw> allocateSale(const QString& saleNo, const QString& operatorNo, const QString& productNo,
                                        double quantity);
    // spDayOver for every line of a sale at once, in line order (a product on two lines
    // takes its batches in turn): one read, one batch update and one cost-row insert for
    // the whole sale. Lines of quantity 0 take nothing. Result: each line's draws, their
    // cost rows created in line order. A shortage throws db::Error(Shortage).
    std::vector<std::vector<BatchDraw>> allocateSaleLines(const QString& saleNo, const QString& operatorNo,
                                                          const std::vector<SaleQuantity>& lines);

private:
    Connection& m_connection;
};

}  // namespace db
