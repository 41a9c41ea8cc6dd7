#include "sales/RetailPosting.h"

#include "db/Comm.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <QStringList>
#include <algorithm>

namespace {

const QString kRetailClient = QStringLiteral("000");

QString saleLinesSql(int lines) {
    QStringList rows;
    for (int i = 0; i < lines; ++i)
        rows << QStringLiteral("(:XSNO%1, :SPNO%1, :SPNAME%1, :JLDW%1, :SPSL%1, :SPDJ%1, :ZKL%1, :ZJE%1, :ZYNO%1)").arg(i);
    return QStringLiteral("Insert Into XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, ZYNO) Values ") +
           rows.join(QStringLiteral(", "));
}

// Completes the cost rows that the allocation created, each line's rows found by their IDs
// (first and last): matching by sale and product alone would give every line of a product
// sold at two prices the last line's price. Each line gets its own price, clerk, sale
// amount (its quantity × price) and the product's current cost price; one statement for
// the whole sale.
QString costCompletionSql(int lines) {
    QStringList rows;
    for (int i = 0; i < lines; ++i)
        rows << QStringLiteral(
                    "Select CAST(:F%1 AS BIGINT) AS F, CAST(:L%1 AS BIGINT) AS L, CAST(:N%1 AS VARCHAR(40)) AS N, "
                    "CAST(:U%1 AS VARCHAR(4)) AS U, CAST(:Z%1 AS VARCHAR(3)) AS Z, CAST(:P%1 AS NUMERIC(19,4)) AS P")
                    .arg(i);
    return QStringLiteral(
               "Update XSCBB set SPNAME = R.N, JSDW = R.U, ZYNO = R.Z, SJ = R.P, XSJE = XSCBB.XSSL * R.P, "
               "DJ = S.CBJG, ZJE = S.CBJG * XSCBB.XSSL from (%1) R, SPB S "
               "where XSCBB.XSNO = :XSNO and XSCBB.ID between R.F and R.L and S.SPNO = XSCBB.SPNO")
        .arg(rows.join(QStringLiteral(" union all ")));
}

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
    // A failed read must not pass for "off": the sale would then post without taking stock.
    posted.stockChecked = FetchSysVariable(m_connection, QStringLiteral("isCheckStore")).value_or(QString()) == QLatin1String("-1");

    // Drawn before the sale's transaction, so the counters are not held while it is written.
    const QStringList numbers = db::SerialNumbers(m_connection).draw({QStringLiteral("X"), QStringLiteral("W")});
    posted.saleNo = numbers[0];
    posted.movementNo = numbers[1];

    db::Transaction tx(m_connection);

    db::Statement takings(m_connection, QStringLiteral(
        "Insert into SYYSKB(XSNO, SKDATE, SKMONEY, BNNO, JKFLAG) values(:xsno, getdate(), :skmoney, :bnno, 0)"));
    takings.bind(QStringLiteral(":xsno"), posted.saleNo)
        .bind(QStringLiteral(":skmoney"), posted.takings)
        .bind(QStringLiteral(":bnno"), sale.operatorNo)
        .exec();

    // The cost rows of each line, as the allocation created them (first and last ID).
    std::vector<std::pair<qint64, qint64>> costRows(sale.lines.size(), {0, -1});
    if (posted.stockChecked) {
        // The whole sale is allocated at once; a line of quantity 0 takes nothing from stock.
        std::vector<db::SaleQuantity> quantities;
        for (const RetailSaleLine& line : sale.lines)
            quantities.push_back({line.productNo.trimmed(), line.quantity > 0 ? line.quantity : 0.0});
        const auto drawsPerLine = db::StockLedger(m_connection).allocateSaleLines(posted.saleNo, sale.operatorNo, quantities);
        for (size_t i = 0; i < drawsPerLine.size(); ++i) {
            const std::vector<db::BatchDraw>& draws = drawsPerLine[i];
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

    // All lines in one statement, in grid order (their IDs keep that order).
    db::Statement saleLines(m_connection, saleLinesSql(int(sale.lines.size())));
    for (size_t i = 0; i < sale.lines.size(); ++i) {
        const RetailSaleLine& line = sale.lines[i];
        auto name = [i](const char* column) { return QStringLiteral(":%1%2").arg(QLatin1String(column)).arg(i); };
        saleLines.bind(name("XSNO"), posted.saleNo)
            .bind(name("SPNO"), line.productNo.trimmed())
            .bind(name("SPNAME"), line.productName.trimmed())
            .bind(name("JLDW"), line.unit.trimmed())
            .bind(name("SPSL"), line.quantity)
            .bind(name("SPDJ"), line.price)
            .bind(name("ZKL"), line.rate)
            .bind(name("ZJE"), line.amount())
            .bindTextOrNull(name("ZYNO"), line.promoterNo);
    }
    saleLines.exec();

    std::vector<size_t> costed;
    for (size_t i = 0; i < sale.lines.size(); ++i)
        if (costRows[i].first <= costRows[i].second) costed.push_back(i);
    if (!costed.empty()) {
        db::Statement costs(m_connection, costCompletionSql(int(costed.size())));
        costs.bind(QStringLiteral(":XSNO"), posted.saleNo);
        for (size_t k = 0; k < costed.size(); ++k) {
            const RetailSaleLine& line = sale.lines[costed[k]];
            auto name = [k](const char* column) { return QStringLiteral(":%1%2").arg(QLatin1String(column)).arg(k); };
            costs.bind(name("F"), costRows[costed[k]].first)
                .bind(name("L"), costRows[costed[k]].second)
                .bind(name("N"), line.productName.trimmed())
                .bind(name("U"), line.unit.trimmed())
                .bindTextOrNull(name("Z"), line.promoterNo)
                .bind(name("P"), line.price);
        }
        costs.exec();
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
