#include "sales/WholesalePosting.h"

#include "db/Comm.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Transaction.h"

#include <algorithm>

QString wholesaleRemark(Money received, Money due) {
    if (received.isNegative() || received >= due) return {};
    return QStringLiteral("实收：") + received.toString() + QStringLiteral("元;挂帐：") + (due - received).toString()
           + QStringLiteral("元");
}

PostedWholesaleSale WholesalePosting::post(const WholesaleSale& sale) {
    if (sale.clientNo.isEmpty()) throw db::Error(QStringLiteral("a wholesale sale needs a client"));
    if (sale.amountReceived.isNegative()) throw db::Error(QStringLiteral("实收金额不能为负数"));
    PostedWholesaleSale result;
    result.sale = prepareSale(m_connection, sale);
    PostedSale& posted = result.sale;
    db::DocumentNumbers numbers = saleNumbers(m_connection);

    db::Transaction tx(m_connection, db::Transaction::Kind::Document);
    writeSaleDocument(tx, numbers, sale,
                      SaleParty{sale.clientNo, QStringLiteral("P"), std::min(sale.amountReceived, sale.amountDue), true},
                      posted);
    try {
        result.ledger = db::ClientSaleLedger(m_connection).post(posted.saleNo, sale.clientNo, sale.amountReceived,
                                                                sale.amountDue, sale.operatorNo);
    } catch (const db::Error& e) {
        throw LedgerPostingFailed(e.message());
    }
    tx.commit();
    return result;
}
