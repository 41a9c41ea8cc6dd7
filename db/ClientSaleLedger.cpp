#include "db/ClientSaleLedger.h"

#include "db/AccountLedger.h"
#include "db/Error.h"
#include "db/Transaction.h"

#include <algorithm>

namespace db {

ClientSalePosting ClientSaleLedger::post(const QString& saleNo, const QString& clientNo, Money received, Money due,
                                         const QString& operatorNo) {
    if (received.isNegative()) throw Error(QStringLiteral("实收金额不能为负数"));
    ProcedureScope scope(m_connection);
    ClientSalePosting result;
    result.paid = std::min(received, due);
    result.onAccount = due - result.paid;

    AccountLedger ledger(m_connection, AccountKind::Client);
    LedgerEntry sale{clientNo, AccountSide::Credit, due, QString(), QStringLiteral("批发销售"), saleNo, operatorNo};
    const PostedLedgerRow saleRow = ledger.post(sale);
    result.saleRowNo = saleRow.rowNo;
    result.balance = saleRow.balance;
    if (result.paid > Money{}) {
        LedgerEntry payment{clientNo, AccountSide::Debit, result.paid, QString(), QStringLiteral("批发收款"), saleNo, operatorNo};
        const PostedLedgerRow paymentRow = ledger.post(payment);
        result.paymentRowNo = paymentRow.rowNo;
        result.balance = paymentRow.balance;
    }
    scope.commit();
    return result;
}

}  // namespace db
