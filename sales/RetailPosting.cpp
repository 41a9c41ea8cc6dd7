#include "sales/RetailPosting.h"

#include "db/Comm.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"
#include "db/WriteBatch.h"

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

}  // namespace

db::DocumentNumbers saleNumbers(db::Connection& connection) {
    return db::DocumentNumbers(connection, {QStringLiteral("X"), QStringLiteral("W")});
}

void writeSaleDocument(db::Transaction& tx, db::DocumentNumbers& numbers, const RetailSale& sale, const SaleParty& party,
                       PostedSale& posted) {
    db::Connection& connection = tx.connection();
    const QStringList drawn = numbers.in(tx);
    posted.saleNo = drawn[0];
    posted.movementNo = drawn[1];
    // An empty staff number is stored as NULL: it never breaks the reference to GZRYB.
    auto staffNo = [&party](const RetailSaleLine& line) { return party.trimStaffNo ? line.promoterNo.trimmed() : line.promoterNo; };
    // The takings, the header and the lines (in grid order: their IDs keep it) go together,
    // with the read of the batches where stock is checked, before the cost rows that name
    // the header.
    db::WriteBatch document(connection);
    document.add(QStringLiteral("Insert into SYYSKB(XSNO, SKDATE, SKMONEY, BNNO, JKFLAG) values(:takingSale, getdate(), :takingMoney, :takingClerk, 0)"),
                 [&](db::Statement& takings) {
                     takings.bind(QStringLiteral(":takingSale"), posted.saleNo)
                         .bind(QStringLiteral(":takingMoney"), posted.takings)
                         .bind(QStringLiteral(":takingClerk"), sale.operatorNo);
                 });
    document.add(QStringLiteral("Insert Into XSB(XSNO, SPZE, SKZE, BNNO, XSDATE, KHNO, KHName,KHDZ,LXDH,KHLX ) "
                                " Values (:XSNO, :SPZE, :SKZE, :BNNO, Getdate(), :KHNO, :ClientName,:ClientAdress,:ClientTel, :KHLX)"),
                 [&](db::Statement& header) {
                     header.bind(QStringLiteral(":XSNO"), posted.saleNo)
                         .bind(QStringLiteral(":SPZE"), sale.amountDue.roundedToCents())
                         .bind(QStringLiteral(":SKZE"), party.collected)
                         .bind(QStringLiteral(":BNNO"), sale.operatorNo)
                         .bind(QStringLiteral(":KHNO"), party.clientNo)
                         .bind(QStringLiteral(":ClientName"), sale.customerName)
                         .bind(QStringLiteral(":ClientAdress"), sale.customerAddress)
                         .bind(QStringLiteral(":ClientTel"), sale.customerPhone)
                         .bind(QStringLiteral(":KHLX"), party.kind);
                 });
    document.add(saleLinesSql(int(sale.lines.size())), [&](db::Statement& saleLines) {
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
    });

    if (!posted.stockChecked) {
        document.run();
        return;
    }
    // The whole sale is allocated at once; a line of quantity 0 takes nothing from stock. Each
    // line's cost rows carry its price, clerk and name and the product's current cost price.
    std::vector<db::SaleQuantity> quantities;
    // One movement line per sale line, all under the sale's one movement number, with the
    // sale number as the document, each carrying the sum of its cost rows' amounts. The
    // store balance may not go below zero: with the batches already held by the allocation, a
    // concurrent sale of the same product has either committed (and is counted) or waits for
    // this one.
    std::vector<db::Movement> movements;
    for (const RetailSaleLine& line : sale.lines) {
        quantities.push_back({line.productNo.trimmed(), line.quantity > 0 ? line.quantity : 0.0,
                              db::SaleCostDetails{line.productName.trimmed(), line.unit.trimmed(), staffNo(line), line.price}});
        movements.push_back({line.productNo.trimmed(), line.productName.trimmed(), line.unit.trimmed(), line.quantity,
                             sale.storeNo, db::MovementKind::Sale});
    }
    db::StockLedger(connection).sell(posted.saleNo, quantities, posted.movementNo, std::move(movements), document);
}

PostedSale prepareSale(db::Connection& connection, const RetailSale& sale) {
    if (sale.lines.empty()) throw db::Error(QStringLiteral("a sale needs at least one line"));
    PostedSale posted;
    posted.amountDue = sale.amountDue;
    posted.amountReceived = sale.amountReceived;
    posted.change = sale.amountReceived > sale.amountDue ? sale.amountReceived - sale.amountDue : Money{};
    posted.takings = sale.amountReceived - posted.change;
    posted.stockChecked = FetchSysVariable(connection, QStringLiteral("isCheckStore")).value_or(QString()) == QLatin1String("-1");
    return posted;
}

PostedSale RetailPosting::post(const RetailSale& sale) {
    PostedSale posted = prepareSale(m_connection, sale);
    db::DocumentNumbers numbers = saleNumbers(m_connection);
    db::Transaction tx(m_connection, db::Transaction::Kind::Document);
    writeSaleDocument(tx, numbers, sale, SaleParty{kRetailClient, QStringLiteral("L"), sale.amountReceived}, posted);
    tx.commit();
    return posted;
}
