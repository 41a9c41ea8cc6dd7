// Posting a wholesale sale: the sale as a retail sale is posted (takings, allocation,
// header, lines, cost rows, movement lines) and the unpaid part on the client's current
// account, all in one transaction.
#pragma once

#include "db/ClientSaleLedger.h"
#include "sales/RetailPosting.h"

struct WholesaleSale : RetailSale {
    QString clientNo;   // KHB.KHNO; customerName is the client's name
};

struct PostedWholesaleSale {
    PostedSale sale;
    db::ClientSalePosting ledger;
};

// The note's remark: empty when nothing is put on account, else "实收：…元;挂帐：…元".
QString wholesaleRemark(Money received, Money due);

class WholesalePosting {
public:
    explicit WholesalePosting(db::Connection& connection) : m_connection(connection) {}

    // Throws db::Error; nothing of the sale remains then. A failure of the ledger posting
    // is thrown as LedgerPostingFailed so the screen can keep the sale for another try.
    PostedWholesaleSale post(const WholesaleSale& sale);

private:
    db::Connection& m_connection;
};

// The client's account refused the sale (the sale itself was rolled back with it).
class LedgerPostingFailed : public std::runtime_error {
public:
    explicit LedgerPostingFailed(const QString& message) : std::runtime_error(message.toStdString()) {}
};
