#include "DocumentKinds.h"

#include "db/AccountLedger.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "sales/RetailPosting.h"

namespace till {

namespace {

// A retail sale of one to three lines, whole units and now and then half a unit, at the
// product's price, paid exactly.
PostedDocument postRetailSale(db::Connection& connection, TillContext& till) {
    std::uniform_int_distribution<int> lineCount(1, 3), pick(0, int(till.products.size()) - 1), units(1, 3), half(0, 4);
    RetailSale sale;
    sale.operatorNo = till.operatorNo;
    sale.storeNo = till.storeNo;
    const int n = lineCount(till.random);
    for (int i = 0; i < n; ++i) {
        const Product& p = till.products[size_t(pick(till.random))];
        RetailSaleLine line;
        line.productNo = p.no;
        line.productName = p.name;
        line.unit = p.unit;
        line.quantity = units(till.random) + (half(till.random) == 0 ? 0.5 : 0.0);
        line.price = Money::parse(p.price).value_or(Money{});
        sale.amountDue += line.amount();
        sale.lines.push_back(line);
    }
    sale.amountDue = sale.amountDue.roundedToCents();
    sale.amountReceived = sale.amountDue;
    const PostedSale posted = RetailPosting(connection).post(sale);
    PostedDocument document{posted.saleNo, n, {}};
    for (const RetailSaleLine& line : sale.lines)
        document.effects << QStringLiteral("store/%1=%2").arg(line.productNo).arg(-line.quantity);
    return document;
}

// A receipt from a client or a payment to a supplier on one of the demo shop's accounts
// (clients 001-003, suppliers 001-006), either side, 0.01 to 500.00: all tills post to
// the same few accounts.
PostedDocument postLedgerRow(db::Connection& connection, TillContext& till, db::AccountKind kind) {
    std::uniform_int_distribution<int> account(1, kind == db::AccountKind::Client ? 3 : 6), side(0, 1), cents(1, 50000);
    db::LedgerEntry entry;
    entry.accountNo = QStringLiteral("%1").arg(account(till.random), 3, 10, QLatin1Char('0'));
    entry.side = side(till.random) ? db::AccountSide::Debit : db::AccountSide::Credit;
    entry.amount = Money::fromCents(cents(till.random));
    entry.summary = kind == db::AccountKind::Client ? QStringLiteral("收款") : QStringLiteral("付款");
    entry.operatorNo = till.operatorNo;
    db::Transaction tx(connection);
    const db::PostedLedgerRow row = db::AccountLedger(connection, kind).post(entry);
    tx.commit();
    const Money delta = db::AccountLedger::applySide(kind, Money{}, entry.side, entry.amount);
    const QString book = kind == db::AccountKind::Client ? QStringLiteral("client") : QStringLiteral("supplier");
    return {row.rowNo, 1, {QStringLiteral("%1/%2=%3").arg(book, entry.accountNo, delta.toDecimalString())}};
}

PostedDocument postClientReceipt(db::Connection& c, TillContext& till) { return postLedgerRow(c, till, db::AccountKind::Client); }
PostedDocument postSupplierPayment(db::Connection& c, TillContext& till) {
    return postLedgerRow(c, till, db::AccountKind::Supplier);
}

}  // namespace

const std::vector<DocumentKind>& documentKinds() {
    static const std::vector<DocumentKind> kinds = {
        {QStringLiteral("sale"), postRetailSale, QStringLiteral("SELECT COUNT(*) FROM XSMXB WHERE XSNO = :no")},
        {QStringLiteral("client-receipt"), postClientReceipt, QStringLiteral("SELECT COUNT(*) FROM KHJSWLB WHERE JSNO = :no")},
        {QStringLiteral("supplier-payment"), postSupplierPayment,
         QStringLiteral("SELECT COUNT(*) FROM GYSJSWLB WHERE JSNO = :no")},
    };
    return kinds;
}

const DocumentKind* findDocumentKind(const QString& name) {
    for (const DocumentKind& k : documentKinds())
        if (k.name == name) return &k;
    return nullptr;
}

std::vector<Product> stockedProducts(db::Connection& connection, int count) {
    db::Statement s(connection, QStringLiteral(
        "SELECT P.SPNO, P.SPNAME, P.SPDW, P.BZJG FROM SPB P "
        "WHERE EXISTS (SELECT 1 FROM JHDMXB B WHERE B.SPNO = P.SPNO) ORDER BY P.SPNO"));
    s.exec();
    std::vector<Product> products;
    while (s.next() && (count <= 0 || int(products.size()) < count))
        products.push_back({s.text(0), s.text(1), s.text(2), s.money(3).toDecimalString()});
    return products;
}

}  // namespace till
