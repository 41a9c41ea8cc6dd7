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
        rows << QStringLiteral("(:XSNO%1, :SPNO%1, :SPNAME%1, :JLDW%1, :SPSL%1, :SPDJ%1, :ZKL%1, :ZJE%1, :ZYNO%1, "
                               "date10(getdate()))").arg(i);
    // XSDAY: the sale's day beside each line, so the sale-line list is read in order from an index.
    return QStringLiteral("Insert Into XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, ZYNO, XSDAY) Values ") +
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

}  // namespace

void writeSaleDocument(db::Connection& connection, const RetailSale& sale, const SaleParty& party,
                       const PostedSale& posted) {
    // An empty staff number is stored as NULL: it never breaks the reference to GZRYB.
    auto staffNo = [&party](const RetailSaleLine& line) { return party.trimStaffNo ? line.promoterNo.trimmed() : line.promoterNo; };
    db::Statement takings(connection, QStringLiteral(
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
        const auto drawsPerLine = db::StockLedger(connection).allocateSaleLines(posted.saleNo, sale.operatorNo, quantities);
        for (size_t i = 0; i < drawsPerLine.size(); ++i) {
            const std::vector<db::BatchDraw>& draws = drawsPerLine[i];
            if (draws.empty()) continue;
            const auto [lowest, highest] = std::minmax_element(
                draws.begin(), draws.end(), [](const db::BatchDraw& a, const db::BatchDraw& b) { return a.costRowId < b.costRowId; });
            costRows[i] = {lowest->costRowId, highest->costRowId};
        }
    }

    db::Statement header(connection, QStringLiteral(
        "Insert Into XSB(XSNO, SPZE, SKZE, BNNO, XSDATE, KHNO, KHName,KHDZ,LXDH,KHLX ) "
        " Values (:XSNO, :SPZE, :SKZE, :BNNO, Getdate(), :KHNO, :ClientName,:ClientAdress,:ClientTel, :KHLX)"));
    header.bind(QStringLiteral(":XSNO"), posted.saleNo)
        .bind(QStringLiteral(":SPZE"), sale.amountDue.roundedToCents())
        .bind(QStringLiteral(":SKZE"), party.collected)
        .bind(QStringLiteral(":BNNO"), sale.operatorNo)
        .bind(QStringLiteral(":KHNO"), party.clientNo)
        .bind(QStringLiteral(":ClientName"), sale.customerName)
        .bind(QStringLiteral(":ClientAdress"), sale.customerAddress)
        .bind(QStringLiteral(":ClientTel"), sale.customerPhone)
        .bind(QStringLiteral(":KHLX"), party.kind)
        .exec();

    // All lines in one statement, in grid order (their IDs keep that order).
    db::Statement saleLines(connection, saleLinesSql(int(sale.lines.size())));
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
            .bindTextOrNull(name("ZYNO"), staffNo(line));
    }
    saleLines.exec();

    std::vector<size_t> costed;
    for (size_t i = 0; i < sale.lines.size(); ++i)
        if (costRows[i].first <= costRows[i].second) costed.push_back(i);
    if (!costed.empty()) {
        db::Statement costs(connection, costCompletionSql(int(costed.size())));
        costs.bind(QStringLiteral(":XSNO"), posted.saleNo);
        for (size_t k = 0; k < costed.size(); ++k) {
            const RetailSaleLine& line = sale.lines[costed[k]];
            auto name = [k](const char* column) { return QStringLiteral(":%1%2").arg(QLatin1String(column)).arg(k); };
            costs.bind(name("F"), costRows[costed[k]].first)
                .bind(name("L"), costRows[costed[k]].second)
                .bind(name("N"), line.productName.trimmed())
                .bind(name("U"), line.unit.trimmed())
                .bindTextOrNull(name("Z"), staffNo(line))
                .bind(name("P"), line.price);
        }
        costs.exec();
    }

    if (posted.stockChecked) {
        // One movement line per sale line, all under the sale's one movement number, with
        // the sale number as the document. The store balance may not go below zero: with the
        // batches already held by the allocation, a concurrent sale of the same product has
        // either committed (and is counted) or waits for this one.
        std::vector<db::Movement> movements;
        movements.reserve(sale.lines.size());
        for (const RetailSaleLine& line : sale.lines)
            movements.push_back({line.productNo.trimmed(), line.productName.trimmed(), line.unit.trimmed(), line.quantity,
                                 sale.storeNo, db::MovementKind::Sale});
        db::StockLedger(connection).recordMovements(posted.movementNo, posted.saleNo, movements, true);
    }
}

PostedSale prepareSale(db::Connection& connection, const RetailSale& sale) {
    if (sale.lines.empty()) throw db::Error(QStringLiteral("a sale needs at least one line"));
    PostedSale posted;
    posted.amountDue = sale.amountDue;
    posted.amountReceived = sale.amountReceived;
    posted.change = sale.amountReceived > sale.amountDue ? sale.amountReceived - sale.amountDue : Money{};
    posted.takings = sale.amountReceived - posted.change;
    posted.stockChecked = FetchSysVariable(connection, QStringLiteral("isCheckStore")).value_or(QString()) == QLatin1String("-1");
    const QStringList numbers = db::SerialNumbers(connection).draw({QStringLiteral("X"), QStringLiteral("W")});
    posted.saleNo = numbers[0];
    posted.movementNo = numbers[1];
    return posted;
}

PostedSale RetailPosting::post(const RetailSale& sale) {
    const PostedSale posted = prepareSale(m_connection, sale);
    db::Transaction tx(m_connection);

    writeSaleDocument(m_connection, sale, SaleParty{kRetailClient, QStringLiteral("L"), sale.amountReceived}, posted);
    tx.commit();
    return posted;
}
