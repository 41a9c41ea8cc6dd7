#include "sales/RetailPosting.h"

#include "db/Comm.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <algorithm>

namespace {

const QString kRetailClient = QStringLiteral("000");

// Completes the cost rows that the allocation of one line created, found by their IDs:
// matching by sale and product alone would give every line of a product sold at two
// prices the last line's price.
const QString kCompleteCostRows = QStringLiteral(
    "Update XSCBB set SPNAME = :SPNAME, JSDW = :JSDW, ZYNO = :ZYNO, SJ = :SJ1, XSJE = XSSL * :SJ2, "
    "DJ = (Select S.CBJG from SPB S where S.SPNO = XSCBB.SPNO), "
    "ZJE = (Select S.CBJG from SPB S where S.SPNO = XSCBB.SPNO) * XSSL "
    "where XSNO = :XSNO and ID between :FIRSTID and :LASTID");

// Products of the sale whose store quantity the sale would take below zero. Runs after the
// allocation, which holds the product's batch rows, so a concurrent sale of the same
// product has either committed (and is counted) or waits for this one.
QString overdrawnProductsSql() {
    return QStringLiteral(
               "Select M.SPNO from QTJHDMXB M where M.CKNO = :ckno and M.SPNO in "
               "(Select Q.SPNO from QTJHDMXB Q where Q.WLNO = :wlno) "
               "group by M.SPNO having sum(%1) < -0.000000001")
        .arg(db::StockLedger::signedQuantitySql(QStringLiteral("M")));
}

}  // namespace

PostedSale RetailPosting::post(const RetailSale& sale) {
    if (sale.lines.empty()) throw db::Error(QStringLiteral("a sale needs at least one line"));
    PostedSale posted;
    posted.amountDue = sale.amountDue;
    posted.amountReceived = sale.amountReceived;
    posted.change = sale.amountReceived > sale.amountDue ? sale.amountReceived - sale.amountDue : Money{};
    posted.takings = sale.amountReceived - posted.change;
    posted.stockChecked = GetSysVariable(m_connection, QStringLiteral("isCheckStore")) == QLatin1String("-1");

    db::Transaction tx(m_connection);
    // Inside the sale's transaction: a rolled-back sale leaves no gap in the numbers, and
    // the commit is the only disk flush of the sale.
    db::SerialNumbers serials(m_connection);
    posted.saleNo = serials.next(QStringLiteral("X"));
    posted.movementNo = serials.next(QStringLiteral("W"));

    db::Statement takings(m_connection, QStringLiteral(
        "Insert into SYYSKB(XSNO, SKDATE, SKMONEY, BNNO, JKFLAG) values(:xsno, getdate(), :skmoney, :bnno, 0)"));
    takings.bind(QStringLiteral(":xsno"), posted.saleNo)
        .bind(QStringLiteral(":skmoney"), posted.takings)
        .bind(QStringLiteral(":bnno"), sale.operatorNo)
        .exec();

    // The cost rows of each line, as the allocation created them (first and last ID).
    std::vector<std::pair<qint64, qint64>> costRows(sale.lines.size(), {0, -1});
    if (posted.stockChecked) {
        db::StockLedger ledger(m_connection);
        for (size_t i = 0; i < sale.lines.size(); ++i) {
            const RetailSaleLine& line = sale.lines[i];
            if (!(line.quantity > 0)) continue;  // a line of quantity 0 takes nothing from stock
            const std::vector<db::BatchDraw> draws =
                ledger.allocateSale(posted.saleNo, sale.operatorNo, line.productNo.trimmed(), line.quantity);
            if (draws.empty()) continue;
            const auto [lowest, highest] = std::minmax_element(
                draws.begin(), draws.end(), [](const db::BatchDraw& a, const db::BatchDraw& b) { return a.costRowId < b.costRowId; });
            costRows[i] = {lowest->costRowId, highest->costRowId};
        }
    }

    db::Statement header(m_connection, QStringLiteral(
        "Insert Into XSB(XSNO, SPZE, SKZE, BNNO, XSDATE, KHNO, KHName,KHDZ,LXDH,KHLX ) "
        " Values (:XSNO, :SPZE, :SKZE, :BNNO, Getdate(), :KHNO, :ClientName,:ClientAdress,:ClientTel, 'L')"));
    header.bind(QStringLiteral(":XSNO"), posted.saleNo)
        .bind(QStringLiteral(":SPZE"), sale.amountDue.roundedToCents())
        .bind(QStringLiteral(":SKZE"), sale.amountReceived)
        .bind(QStringLiteral(":BNNO"), sale.operatorNo)
        .bind(QStringLiteral(":KHNO"), kRetailClient)
        .bind(QStringLiteral(":ClientName"), sale.customerName)
        .bind(QStringLiteral(":ClientAdress"), sale.customerAddress)
        .bind(QStringLiteral(":ClientTel"), sale.customerPhone)
        .exec();

    db::Statement saleLine(m_connection, QStringLiteral(
        "Insert Into XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, ZYNO) "
        "Values (:XSNO, :SPNO, :SPNAME, :JLDW, :SPSL, :SPDJ, :ZKL, :ZJE, :ZYNO)"));
    db::Statement costs(m_connection, kCompleteCostRows);
    for (size_t i = 0; i < sale.lines.size(); ++i) {
        const RetailSaleLine& line = sale.lines[i];
        const QString productNo = line.productNo.trimmed();
        const QString name = line.productName.trimmed();
        const QString unit = line.unit.trimmed();
        saleLine.bind(QStringLiteral(":XSNO"), posted.saleNo)
            .bind(QStringLiteral(":SPNO"), productNo)
            .bind(QStringLiteral(":SPNAME"), name)
            .bind(QStringLiteral(":JLDW"), unit)
            .bind(QStringLiteral(":SPSL"), line.quantity)
            .bind(QStringLiteral(":SPDJ"), line.price)
            .bind(QStringLiteral(":ZKL"), line.rate)
            .bind(QStringLiteral(":ZJE"), line.amount())
            .bindTextOrNull(QStringLiteral(":ZYNO"), line.promoterNo)
            .exec();
        if (costRows[i].second < costRows[i].first) continue;
        costs.bind(QStringLiteral(":SPNAME"), name)
            .bind(QStringLiteral(":JSDW"), unit)
            .bindTextOrNull(QStringLiteral(":ZYNO"), line.promoterNo)
            .bind(QStringLiteral(":SJ1"), line.price)
            .bind(QStringLiteral(":SJ2"), line.price)
            .bind(QStringLiteral(":XSNO"), posted.saleNo)
            .bind(QStringLiteral(":FIRSTID"), costRows[i].first)
            .bind(QStringLiteral(":LASTID"), costRows[i].second)
            .exec();
    }

    if (posted.stockChecked) {
        // One movement line per sale line, all under the sale's one movement number, with
        // the sale number as the document; written from the lines just saved, in their order.
        db::Statement movements(m_connection, QStringLiteral(
            "Insert Into QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE) "
            "Select :wlno, XSNO, SPNO, SPNAME, JLDW, SPSL, :ckno, :wltype From XSMXB Where XSNO = :xsno Order By ID"));
        movements.bind(QStringLiteral(":wlno"), posted.movementNo)
            .bind(QStringLiteral(":ckno"), sale.storeNo)
            .bind(QStringLiteral(":wltype"), db::MovementKind::Sale)
            .bind(QStringLiteral(":xsno"), posted.saleNo)
            .exec();

        db::Statement overdrawn(m_connection, overdrawnProductsSql());
        overdrawn.bind(QStringLiteral(":ckno"), sale.storeNo).bind(QStringLiteral(":wlno"), posted.movementNo);
        if (overdrawn.first()) {
            const QString productNo = overdrawn.text(0);
            overdrawn.query().finish();
            throw db::Error(QStringLiteral("库存不足：商品 %1 在本仓库的库存不够本次销售").arg(productNo),
                            db::ErrorKind::Shortage);
        }
        overdrawn.query().finish();
    }
    tx.commit();
    return posted;
}
