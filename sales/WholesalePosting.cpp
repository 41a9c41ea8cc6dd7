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
    if (sale.lines.empty()) throw db::Error(QStringLiteral("a sale needs at least one line"));
    if (sale.clientNo.isEmpty()) throw db::Error(QStringLiteral("a wholesale sale needs a client"));
    if (sale.amountReceived.isNegative()) throw db::Error(QStringLiteral("实收金额不能为负数"));
    PostedWholesaleSale result;
    PostedSale& posted = result.sale;
    posted.amountDue = sale.amountDue;
    posted.amountReceived = sale.amountReceived;
    posted.change = sale.amountReceived > sale.amountDue ? sale.amountReceived - sale.amountDue : Money{};
    posted.takings = sale.amountReceived - posted.change;
    posted.stockChecked = GetSysVariable(m_connection, QStringLiteral("isCheckStore")) == QLatin1String("-1");

    db::Transaction tx(m_connection);
    db::SerialNumbers serials(m_connection);
    posted.saleNo = serials.next(QStringLiteral("X"));
    posted.movementNo = serials.next(QStringLiteral("W"));

    writeSaleDocument(m_connection, sale,
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
