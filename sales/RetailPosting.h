// Posting a retail sale: numbers, takings, batch allocation, header, lines,
// movement lines and cost lines in one transaction, so a sale is either complete or absent.
#pragma once

#include "db/Money.h"
#include "db/SerialNumbers.h"

#include <QString>
#include <vector>

namespace db {
class Connection;
class Transaction;
}  // namespace db

struct RetailSaleLine {
    QString productNo;
    QString productName;
    QString unit;
    double quantity = 0;
    Money price;
    int rate = 100;
    QString promoterNo;

    // quantity × price × rate / 100, as XSMXB.ZJE holds it.
    Money amount() const { return price.percent(rate).times(quantity); }
};

struct RetailSale {
    QString operatorNo;
    QString storeNo;
    QString customerName;
    QString customerAddress;
    QString customerPhone;
    Money amountDue;        // as shown: whole cents
    Money amountReceived;
    std::vector<RetailSaleLine> lines;   // in grid order, newest first
};

struct PostedSale {
    QString saleNo;
    QString movementNo;
    Money amountDue;
    Money amountReceived;
    Money change;           // received beyond the amount due, never negative
    Money takings;          // what the cashier keeps: the amount due, or less when underpaid
    bool stockChecked = false;
};

// Who a sale's header names and what it records as collected: the retail client "000" with
// "L" and the amount received, or a registered client with "P" and what the client keeps paid.
struct SaleParty {
    QString clientNo;
    QString kind;           // XSB.KHLX
    Money collected;        // XSB.SKZE
    bool trimStaffNo = false;
};

// What every sale settles before its transaction: the amounts (change, takings) and the
// stock rule read once (a failed read fails the sale rather than pass for "off"). Throws db::Error.
PostedSale prepareSale(db::Connection& connection, const RetailSale& sale);

// The sale and movement numbers of a sale, set up before its transaction begins.
db::DocumentNumbers saleNumbers(db::Connection& connection);

// The steps every sale shares, inside the sale's transaction: its numbers (into `posted`),
// takings, batch allocation (with stock checking), header, lines, cost rows and movement
// lines. `posted` brings the takings and the stock rule; throws db::Error.
void writeSaleDocument(db::Transaction& tx, db::DocumentNumbers& numbers, const RetailSale& sale, const SaleParty& party,
                       PostedSale& posted);

class RetailPosting {
public:
    explicit RetailPosting(db::Connection& connection) : m_connection(connection) {}

    // Posts the sale with its sale and movement numbers in one transaction; throws db::Error
    // (kind Shortage when, with stock checking on, the batches or the store cannot cover a
    // quantity; also when "isCheckStore" cannot be read) and leaves nothing behind but, on
    // PostgreSQL, the unused numbers. "isCheckStore" is read once, so the whole sale follows one rule.
    PostedSale post(const RetailSale& sale);

private:
    db::Connection& m_connection;
};
