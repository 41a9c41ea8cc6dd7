#include "DocumentKinds.h"

#include "db/AccountLedger.h"
#include "db/Error.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "db/StockDocuments.h"
#include "db/Transaction.h"
#include "sales/RetailPosting.h"
#include "sales/WholesalePosting.h"

#include <algorithm>

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

// One to three distinct products of the till's, each with a quantity of 1 to `most`.
std::vector<std::pair<const Product*, double>> pickLines(TillContext& till, int most) {
    std::uniform_int_distribution<int> lineCount(1, 3), pick(0, int(till.products.size()) - 1), units(1, most);
    std::vector<std::pair<const Product*, double>> lines;
    const int n = lineCount(till.random);
    for (int i = 0; i < n; ++i) {
        const Product* p = &till.products[size_t(pick(till.random))];
        if (std::none_of(lines.begin(), lines.end(), [p](const auto& l) { return l.first == p; }))
            lines.push_back({p, double(units(till.random))});
    }
    return lines;
}

QString storeEffect(const TillContext& till, const QString& productNo, double delta) {
    // The suites keep store 001's book; another store's movements are not theirs to check.
    return till.storeNo == QLatin1String("001") ? QStringLiteral("store/%1=%2").arg(productNo).arg(delta) : QString();
}

QString accountEffect(db::AccountKind kind, const QString& accountNo, db::AccountSide side, Money amount) {
    const Money delta = db::AccountLedger::applySide(kind, Money{}, side, amount);
    return QStringLiteral("%1/%2=%3")
        .arg(kind == db::AccountKind::Client ? QStringLiteral("client") : QStringLiteral("supplier"), accountNo,
             delta.toDecimalString());
}

QString randomAccount(TillContext& till, db::AccountKind kind) {
    std::uniform_int_distribution<int> account(1, kind == db::AccountKind::Client ? 3 : 6);
    return QStringLiteral("%1").arg(account(till.random), 3, 10, QLatin1Char('0'));
}

void addEffect(PostedDocument& d, const QString& effect) {
    if (!effect.isEmpty()) d.effects << effect;
}

// Goods received from one of the demo suppliers at the product's price.
PostedDocument postReceiving(db::Connection& connection, TillContext& till) {
    db::Receiving r;
    r.supplierDocumentNo = QStringLiteral("S%1").arg(till.random() % 100000);
    r.supplierNo = randomAccount(till, db::AccountKind::Supplier);
    r.operatorNo = till.operatorNo;
    for (const auto& [p, quantity] : pickLines(till, 5))
        r.lines.push_back({p->no, p->name, p->unit, quantity, Money::parse(p->price).value_or(Money{}), till.storeNo});
    const db::PostedStockDocument posted = db::StockDocuments(connection).receive(r);
    PostedDocument d{posted.documentNo, int(r.lines.size()), {}};
    for (const db::ReceivingLine& l : r.lines) addEffect(d, storeEffect(till, l.productNo, l.quantity));
    addEffect(d, accountEffect(db::AccountKind::Supplier, r.supplierNo, db::AccountSide::Debit, posted.total));
    return d;
}

// The batch a document of this kind would take one product from: the newest with stock
// (a supplier return, with its supplier) or the oldest (a loss). Nothing left is a shortage.
struct PickedBatch { QString batchNo; QString supplierNo; double remaining; };
PickedBatch pickBatch(db::Connection& connection, const Product& p, bool newest) {
    db::Statement s(connection, QStringLiteral(
        "SELECT M.JHDNO, H.CSNO, M.SL - M.XSSL FROM JHDMXB M JOIN JHDSJB H ON H.JHDNO = M.JHDNO "
        "WHERE M.SPNO = :p AND M.SL - M.XSSL > 0.001 ORDER BY M.JHDNO %1 LIMIT 1")
                                    .arg(newest ? QStringLiteral("DESC") : QStringLiteral("ASC")));
    s.bind(QStringLiteral(":p"), p.no);
    if (!s.first()) throw db::Error(QStringLiteral("no batch of %1 has stock left").arg(p.no), db::ErrorKind::Shortage);
    PickedBatch b{s.text(0), s.text(1), s.real(2)};
    s.query().finish();
    return b;
}

const Product& pickProduct(TillContext& till) {
    std::uniform_int_distribution<int> pick(0, int(till.products.size()) - 1);
    return till.products[size_t(pick(till.random))];
}

// One product back to the supplier of its newest batch, at most 2 units.
PostedDocument postSupplierReturn(db::Connection& connection, TillContext& till) {
    const Product& p = pickProduct(till);
    const PickedBatch b = pickBatch(connection, p, true);
    const double quantity = std::min(2.0, b.remaining);
    db::SupplierReturn r{b.supplierNo, till.operatorNo,
                         {{b.batchNo, p.no, p.name, p.unit, quantity, Money::parse(p.price).value_or(Money{}), till.storeNo}}};
    const db::PostedStockDocument posted = db::StockDocuments(connection).returnToSupplier(r);
    PostedDocument d{posted.documentNo, 1, {}};
    addEffect(d, storeEffect(till, p.no, -quantity));
    addEffect(d, accountEffect(db::AccountKind::Supplier, b.supplierNo, db::AccountSide::Credit, posted.total));
    return d;
}

// One unit (or what is left) of a product's oldest batch written off.
PostedDocument postLoss(db::Connection& connection, TillContext& till) {
    const Product& p = pickProduct(till);
    const PickedBatch b = pickBatch(connection, p, false);
    const double quantity = std::min(1.0, b.remaining);
    db::Loss loss{till.operatorNo,
                  {{b.batchNo, p.no, p.name, p.unit, quantity, Money::parse(p.price).value_or(Money{}), till.storeNo}}};
    const db::PostedStockDocument posted = db::StockDocuments(connection).writeOff(loss);
    PostedDocument d{posted.documentNo, 1, {}};
    addEffect(d, storeEffect(till, p.no, -quantity));
    return d;
}

// One to three products moved from the till's store to store 002.
PostedDocument postTransfer(db::Connection& connection, TillContext& till) {
    db::Transfer t{till.operatorNo, {}};
    for (const auto& [p, quantity] : pickLines(till, 2))
        t.lines.push_back({p->no, p->name, p->unit, quantity, QStringLiteral("002"), till.storeNo});
    const db::PostedStockDocument posted = db::StockDocuments(connection).transfer(t);
    PostedDocument d{posted.documentNo, int(t.lines.size()), {}};
    for (const db::TransferLine& l : t.lines) addEffect(d, storeEffect(till, l.productNo, -l.quantity));
    return d;
}

// A wholesale sale to one of the demo clients, paid in full, in part or not at all.
PostedDocument postWholesaleSale(db::Connection& connection, TillContext& till) {
    WholesaleSale sale;
    sale.clientNo = randomAccount(till, db::AccountKind::Client);
    sale.operatorNo = till.operatorNo;
    sale.storeNo = till.storeNo;
    for (const auto& [p, quantity] : pickLines(till, 3)) {
        RetailSaleLine line;
        line.productNo = p->no;
        line.productName = p->name;
        line.unit = p->unit;
        line.quantity = quantity;
        line.price = Money::parse(p->price).value_or(Money{});
        sale.amountDue += line.amount();
        sale.lines.push_back(line);
    }
    sale.amountDue = sale.amountDue.roundedToCents();
    std::uniform_int_distribution<int> paidPart(0, 2);
    const int part = paidPart(till.random);
    sale.amountReceived = part == 0 ? Money{} : part == 1 ? sale.amountDue.times(0.5).roundedToCents() : sale.amountDue;
    try {
        const PostedWholesaleSale posted = WholesalePosting(connection).post(sale);
        PostedDocument d{posted.sale.saleNo, int(sale.lines.size()), {}};
        for (const RetailSaleLine& l : sale.lines) addEffect(d, storeEffect(till, l.productNo, -l.quantity));
        addEffect(d, QStringLiteral("client/%1=%2").arg(sale.clientNo, posted.ledger.onAccount.toDecimalString()));
        return d;
    } catch (const LedgerPostingFailed& e) {
        throw db::Error(QString::fromStdString(e.what()));
    }
}

// Up to 2 units of a recent wholesale sale's line back from its client into the till's store.
PostedDocument postClientReturn(db::Connection& connection, TillContext& till) {
    QString clientNo, productNo;
    {
        db::Statement s(connection, QStringLiteral(
            "SELECT X.KHNO, C.SPNO FROM XSCBB C JOIN XSB X ON X.XSNO = C.XSNO "
            "WHERE X.KHLX = 'P' AND X.ZFBZ = 0 AND C.XSSL - C.THSL > 0.001 ORDER BY C.ID DESC LIMIT 1 OFFSET :skip"));
        std::uniform_int_distribution<int> skip(0, 5);
        s.bind(QStringLiteral(":skip"), skip(till.random));
        if (!s.first()) throw db::Error(QStringLiteral("no wholesale sale to return"), db::ErrorKind::Shortage);
        clientNo = s.text(0);
        productNo = s.text(1);
        s.query().finish();
    }
    db::StockDocuments documents(connection);
    const std::vector<db::ReturnableSale> returnable = documents.returnableSales(clientNo, productNo);
    if (returnable.empty()) throw db::Error(QStringLiteral("nothing of %1 to return").arg(productNo), db::ErrorKind::Shortage);
    const db::ReturnableSale& r = returnable.front();
    const double quantity = std::min(2.0, r.returnable);
    db::ClientReturn document{clientNo, till.operatorNo,
                              {{r.saleNo, r.batchNo, r.productNo, r.productName, QString(), quantity, r.salePrice, till.storeNo}}};
    const db::PostedStockDocument posted = documents.returnFromClient(document);
    PostedDocument d{posted.documentNo, 1, {}};
    addEffect(d, storeEffect(till, r.productNo, quantity));
    addEffect(d, accountEffect(db::AccountKind::Client, clientNo, db::AccountSide::Debit, posted.total));
    return d;
}

}  // namespace

const std::vector<DocumentKind>& documentKinds() {
    static const std::vector<DocumentKind> kinds = {
        {QStringLiteral("sale"), postRetailSale, QStringLiteral("SELECT COUNT(*) FROM XSMXB WHERE XSNO = :no")},
        {QStringLiteral("client-receipt"), postClientReceipt, QStringLiteral("SELECT COUNT(*) FROM KHJSWLB WHERE JSNO = :no")},
        {QStringLiteral("supplier-payment"), postSupplierPayment,
         QStringLiteral("SELECT COUNT(*) FROM GYSJSWLB WHERE JSNO = :no")},
        {QStringLiteral("receiving"), postReceiving, QStringLiteral("SELECT COUNT(*) FROM JHDMXB WHERE JHDNO = :no")},
        {QStringLiteral("supplier-return"), postSupplierReturn,
         QStringLiteral("SELECT COUNT(*) FROM GYSTHMXB WHERE THDNO = :no")},
        {QStringLiteral("client-return"), postClientReturn, QStringLiteral("SELECT COUNT(*) FROM KHTHMXB WHERE THDNO = :no")},
        {QStringLiteral("loss"), postLoss, QStringLiteral("SELECT COUNT(*) FROM BSB WHERE BSDNO = :no")},
        {QStringLiteral("transfer"), postTransfer,
         QStringLiteral("SELECT COUNT(*) FROM QTJHDMXB WHERE WLNO = :no AND WLTYPE = '调出'")},
        {QStringLiteral("wholesale-sale"), postWholesaleSale, QStringLiteral("SELECT COUNT(*) FROM XSMXB WHERE XSNO = :no")},
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
