// spSelYZJZ: the purchase–sale–stock summary of every product over a period.
//
// Quantities come from the movement lines (QTJHDMXB), the same lines the store balances
// (KCYEB) are kept from, so a summary that runs up to today closes at the store balances.
// Amounts are at cost and come from the same lines (CBJE), which carry their documents'
// amounts: receiving JHDMXB.ZJE, sale cost XSCBB.ZJE less client returns at the cost they
// were sold at, supplier returns GYSTHMXB.JE, losses BSB.JE; a stocktake difference at the
// product's cost price when it was applied. One pass over the lines gives the whole summary.
//
// Columns: 入库 = received + stocktake gains; 销售 = sold less returned by clients;
// 退货 = returned to suppliers; 报损 = losses + stocktake shortfalls. Transfers move stock
// between stores of the same product and leave every column of the product unchanged.
//
// The opening (结转) is the position the last carry-forward ending before the period
// recorded (YZJZMXB), plus whatever moved between that carry-forward's end and the period's
// start; without any carry-forward it is everything before the start.
#pragma once

#include "db/Money.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace db {

class Connection;

struct SummaryRow {
    QString productNo;     // BPSERIALNO
    QString productName;   // BPNAME
    Money balaPrice;       // BalaMoney / BalaCount
    double balaCount = 0;
    Money balaMoney;
    double inCount = 0;
    Money inMoney;
    double saleCount = 0;
    Money saleMoney;
    double retuCount = 0;
    Money retuMoney;
    double bsCount = 0;
    Money bsMoney;
    double storeCount = 0;
    Money storeMoney;
};

class StockSummary {
public:
    explicit StockSummary(Connection& connection) : m_connection(connection) {}

    // One row per product that has an opening position or moved in the period, by product
    // code; products with nothing to show are left out. Days are whole days, both included.
    // Throws db::Error for an invalid or reversed period.
    std::vector<SummaryRow> rows(const QDate& begin, const QDate& end);

    // The end of the latest recorded carry-forward ending before `day`; invalid when none.
    QDate lastCarryForwardBefore(const QDate& day);

    // Products whose closing quantity, summed from the current period's start up to today
    // (or the latest movement, if later), differs from the sum of their store balances.
    // Empty when the summary and the balances agree.
    QStringList productsOffBalance();

    // An amount per unit of a quantity (a position's price); zero for no quantity.
    static Money unitPrice(Money amount, double quantity);

    // The 15 result columns in order (BPSERIALNO ... StoreMoney).
    static const QStringList& columnNames();

private:
    Connection& m_connection;
};

}  // namespace db
