// Stocktaking: the stocktake table YPDSJB from its initialisation (spInitCheckedData)
// through the counts to applying the differences to the stock.
//
// Applying is what makes a count matter: each counted row not yet applied gets movement
// lines (盘盈 / 盘亏) that bring its store balance to the counted quantity, written through
// the one ledger writer, and the batches follow: a loss draws on the oldest batches, a gain
// is received as a batch of its own at the product's cost price (serial letter "P", one
// document per store and supplier). The stocktake columns keep the book-to-count difference
// as the stocktake reports show it.
#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "db/Error.h"

namespace db {

class Connection;

// A count or an apply refused for a reason the operator can mend (the text names the
// product and store), as against the database failing.
class StocktakeRefusal : public Error {
public:
    explicit StocktakeRefusal(const QString& message) : Error(message) {}
};

// What an earlier initialisation left in the stocktake table.
struct StocktakeState {
    qint64 rows = 0;              // rows of the stocktake in progress
    qint64 countedUnapplied = 0;  // rows with a count that has not been applied yet
};

// One counted quantity of a product in a store.
struct StocktakeCount {
    QString productNo;
    QString storeNo;
    double count = 0;
};

struct StocktakeApplied {
    int rows = 0;          // stocktake rows marked applied
    int gainLines = 0;     // 盘盈 movement lines written
    int lossLines = 0;     // 盘亏 movement lines written
    QString movementNo;    // empty when no balance had to move
};

class Stocktake {
public:
    // Serial letter of the batches a stocktake gain is received as.
    static inline const QString GainSerialType = QStringLiteral("P");

    explicit Stocktake(Connection& connection) : m_connection(connection) {}

    StocktakeState state();

    // spInitCheckedData: replaces the stocktake table with one row per product and store,
    // its book quantity the store balance now, flag 0, dated by the server clock. Works in
    // slices of products sized by time, calling `progress(products done, products)` between
    // them. Runs in the caller's transaction (or its own). Throws db::Error.
    using Progress = std::function<void(int done, int total)>;
    void initialise(const QDate& begin, const QDate& end, const Progress& progress = {});

    // Writes the counted quantities, all or nothing. A count that is negative, without a
    // store, or naming a product and store without a stocktake row throws StocktakeRefusal
    // naming them: a count that changes nothing must not pass for saved.
    void saveCounts(const std::vector<StocktakeCount>& counts);

    // Applies every counted row (count above 0) not applied yet, in every store: the
    // stocktake columns (CKGXKCL = CKPDSL - CKKCSL, flag 1), the movement lines that make the
    // store balances equal to the counts and the batches in step, in one transaction.
    // `guardBalances` as stock checking says. Throws db::Error (StocktakeRefusal when a gain
    // has no supplier to be received from); nothing is marked then.
    StocktakeApplied apply(const QString& operatorNo, bool guardBalances);

private:
    Connection& m_connection;
};

}  // namespace db
