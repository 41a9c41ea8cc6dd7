// Stock: batches (receiving lines, remaining SL - XSSL), the movement lines (QTJHDMXB) and
// the store balances kept from them (KCYEB). Server procedures spGetSPStoreCount and
// spDayOver live here, and so does the one writer of movement lines.
#pragma once

#include <optional>

#include "db/Money.h"

#include <QString>
#include <vector>

namespace db {

class WriteBatch;

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
    Money cost;         // what it is worth at the product's cost price (the cost row's ZJE)
};

// What a sale line's cost rows record beside the draw: written with the rows, so each is
// inserted once, whole (a second pass over them rewrote every index of XSCBB).
struct SaleCostDetails {
    QString productName;
    QString unit;
    QString staffNo;    // empty: NULL
    Money price;        // the line's selling price
};

// One sold quantity of a product (a sale line).
struct SaleQuantity {
    QString productNo;
    double quantity;
    std::optional<SaleCostDetails> details = std::nullopt;  // without: names NULL and amounts 0
};

// One movement line of a document: a quantity of a product entering or leaving a store.
struct Movement {
    QString productNo;
    QString productName;
    QString unit;
    double quantity = 0;   // never negative; the kind gives the direction
    QString storeNo;
    QString kind;          // a MovementKind
    // What the quantity is worth at cost (CBJE): the amount the summary reports for it, kept
    // on the line so the summary reads one table. Zero for transfers.
    Money cost = {};
};

class StockLedger {
public:
    explicit StockLedger(Connection& connection) : m_connection(connection) {}

    // SQL expression of a movement line's signed quantity (in +, out -), for the
    // movement table aliased as `alias`.
    static QString signedQuantitySql(const QString& alias = QString());

    // Whether a movement kind brings stock into its store.
    static bool isIncoming(const QString& kind);

    // spGetSPStoreCount: quantity of the product in the store (its kept balance, equal to
    // the sum of its movement lines).
    double storeCount(const QString& productNo, const QString& storeNo);

    // The one writer of movement lines. Writes `lines` under one movement number, each
    // naming the document that caused it and carrying its cost amount, and moves the store balances by them in the same
    // transaction; balance rows are locked in key order, so concurrent documents serialise
    // per product and store and never lose an update. With `guardBalances` (stock checking
    // on) a document that would take a store balance below zero throws db::Error(Shortage)
    // naming the product and store, and the caller's transaction rolls back.
    void recordMovements(const QString& movementNo, const QString& documentNo, const std::vector<Movement>& lines,
                         bool guardBalances);

    // Recomputes every store balance from the movement lines: the schema step that
    // introduced the balances, generated data, and repairs.
    void rebuildBalances();

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

    // A sale with stock checking on, in two round trips on PostgreSQL: the writes of the
    // sale's own `document` (takings, header, lines) go with the read of the batches; the
    // batch updates and cost rows of allocateSaleLines, the sale's movement lines (one per
    // sale line, each costed by its line's draws) and the guarded store balances of
    // recordMovements go in one more. Result: each line's draws.
    std::vector<std::vector<BatchDraw>> sell(const QString& saleNo, const std::vector<SaleQuantity>& lines,
                                             const QString& movementNo, std::vector<Movement> movements,
                                             WriteBatch& document);

    // Takes each quantity from its product's batches, oldest receipt first, raising XSSL,
    // without cost rows (stock that left without a sale). Batches and store balances are
    // kept side by side, not reconciled, so a product whose batches hold less gives what
    // they hold: no batch goes below zero. Result: the quantity taken per line.
    std::vector<double> drawBatches(const std::vector<SaleQuantity>& lines);

private:
    Connection& m_connection;
};

}  // namespace db
