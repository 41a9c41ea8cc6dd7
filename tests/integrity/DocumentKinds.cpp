#include "DocumentKinds.h"

#include "db/Money.h"
#include "db/Statement.h"
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
        document.quantities << QStringLiteral("%1:%2").arg(line.productNo).arg(line.quantity);
    return document;
}

}  // namespace

const std::vector<DocumentKind>& documentKinds() {
    static const std::vector<DocumentKind> kinds = {
        {QStringLiteral("sale"), postRetailSale, QStringLiteral("SELECT COUNT(*) FROM XSMXB WHERE XSNO = :no")},
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
