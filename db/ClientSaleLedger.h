// spSaveKHSellWL: a wholesale sale on the client's current account, inside the caller's
// transaction, through the one ledger posting routine.
#pragma once

#include "db/Money.h"

#include <QString>

namespace db {

class Connection;

struct ClientSalePosting {
    Money paid;            // what the client keeps paid: the amount received, at most the amount due
    Money onAccount;       // amount due − paid, never negative
    QString saleRowNo;     // JSNO of the "贷" row carrying the amount due
    QString paymentRowNo;  // JSNO of the "借" row carrying the payment; empty when nothing was paid
    Money balance;         // the client's balance after the sale
};

class ClientSaleLedger {
public:
    explicit ClientSaleLedger(Connection& connection) : m_connection(connection) {}

    // Raises the client's balance by what the sale leaves unpaid. Change handed back is no
    // payment: a client who pays more than is due owes nothing and is owed nothing. The
    // sale is one "贷" row for the amount due and, when the client paid, one "借" row for
    // the payment, both naming the sale in DJBH. A negative amount received is refused.
    // Throws db::Error.
    ClientSalePosting post(const QString& saleNo, const QString& clientNo, Money received, Money due,
                           const QString& operatorNo);

private:
    Connection& m_connection;
};

}  // namespace db
