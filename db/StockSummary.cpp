#include "db/StockSummary.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Periods.h"
#include "db/Statement.h"
#include "db/StockLedger.h"

#include <cmath>
#include <map>

namespace db {

namespace {

// Quantities are doubles; a difference below this is rounding, not stock.
constexpr double kQuantityEpsilon = 1e-6;

// The earliest day any document can carry: the lower end of "everything before".
const QDate kBeginningOfTime(1900, 1, 1);

struct Totals {
    double in = 0, sale = 0, retu = 0, bs = 0;
    Money inMoney, saleMoney, retuMoney, bsMoney;
    double net() const { return in - sale - retu - bs; }
    Money netMoney() const { return inMoney - saleMoney - retuMoney - bsMoney; }
    bool isZero() const {
        return std::abs(in) < kQuantityEpsilon && std::abs(sale) < kQuantityEpsilon && std::abs(retu) < kQuantityEpsilon &&
               std::abs(bs) < kQuantityEpsilon && inMoney.isZero() && saleMoney.isZero() && retuMoney.isZero() &&
               bsMoney.isZero();
    }
};

struct Product {
    QString name;
    Money cost;   // CBJG: what a stocktake difference is worth
};

class Collector {
public:
    Collector(Connection& c, const std::map<QString, Product>& products) : m_c(c), m_products(products) {}

    // Everything that moved on the days [from, to) (to exclusive), per product.
    std::map<QString, Totals> collect(const QDate& from, const QDate& to) {
        std::map<QString, Totals> t;
        movements(from, to, t);
        money(QStringLiteral("SELECT M.SPNO, SUM(M.ZJE) FROM JHDMXB M JOIN JHDSJB H ON H.JHDNO = M.JHDNO "
                             "WHERE H.CZDATE >= :f AND H.CZDATE < :t GROUP BY M.SPNO"),
              from, to, t, &Totals::inMoney);
        money(QStringLiteral("SELECT SPNO, SUM(ZJE) FROM XSCBB WHERE CZDATE >= :f AND CZDATE < :t GROUP BY SPNO"), from, to, t,
              &Totals::saleMoney);
        clientReturns(from, to, t);
        money(QStringLiteral("SELECT M.SPNO, SUM(M.JE) FROM GYSTHMXB M JOIN GYSTHSJB H ON H.THDNO = M.THDNO "
                             "WHERE H.CZDATE >= :f AND H.CZDATE < :t GROUP BY M.SPNO"),
              from, to, t, &Totals::retuMoney);
        money(QStringLiteral("SELECT SPNO, SUM(JE) FROM BSB WHERE CZRQ >= :f AND CZRQ < :t GROUP BY SPNO"), from, to, t,
              &Totals::bsMoney);
        return t;
    }

private:
    Money costOf(const QString& productNo) const {
        const auto it = m_products.find(productNo);
        return it == m_products.end() ? Money() : it->second.cost;
    }

    void movements(const QDate& from, const QDate& to, std::map<QString, Totals>& t) {
        Statement s(m_c, QStringLiteral("SELECT SPNO, WLTYPE, SUM(SL) FROM QTJHDMXB WHERE CZRQ >= :f AND CZRQ < :t "
                                        "GROUP BY SPNO, WLTYPE"));
        s.bind(QStringLiteral(":f"), from).bind(QStringLiteral(":t"), to).exec();
        while (s.next()) {
            const QString kind = s.text(1);
            const double q = s.real(2);
            Totals& p = t[s.text(0)];
            if (kind == MovementKind::Receive) p.in += q;
            else if (kind == MovementKind::StocktakeGain) { p.in += q; p.inMoney += costOf(s.text(0)).times(q); }
            else if (kind == MovementKind::Sale) p.sale += q;
            else if (kind == MovementKind::ClientReturn) p.sale -= q;
            else if (kind == MovementKind::SupplierReturn) p.retu += q;
            else if (kind == MovementKind::Loss) p.bs += q;
            else if (kind == MovementKind::StocktakeLoss) { p.bs += q; p.bsMoney += costOf(s.text(0)).times(q); }
            else if (kind == MovementKind::TransferIn || kind == MovementKind::TransferOut) continue;
            else throw Error(QStringLiteral("unknown movement kind in QTJHDMXB: %1").arg(kind));
        }
    }

    void money(const QString& sql, const QDate& from, const QDate& to, std::map<QString, Totals>& t, Money Totals::*field) {
        Statement s(m_c, sql);
        s.bind(QStringLiteral(":f"), from).bind(QStringLiteral(":t"), to).exec();
        while (s.next()) t[s.text(0)].*field += s.money(1);
    }

    // Goods a client brings back undo a sale at the cost it was sold at: the cost row of
    // that sale and batch, or the product's cost price when the row cannot be found.
    void clientReturns(const QDate& from, const QDate& to, std::map<QString, Totals>& t) {
        Statement s(m_c, QStringLiteral(
            "SELECT M.SPNO, M.SL, (SELECT MAX(C.DJ) FROM XSCBB C WHERE C.XSNO = M.XSNO AND C.JHDNO = M.JHDNO "
            "AND C.SPNO = M.SPNO) FROM KHTHMXB M JOIN KHTHSJB H ON H.THDNO = M.THDNO "
            "WHERE H.CZDATE >= :f AND H.CZDATE < :t"));
        s.bind(QStringLiteral(":f"), from).bind(QStringLiteral(":t"), to).exec();
        while (s.next()) {
            const QString spno = s.text(0);
            const Money price = s.isNull(2) ? costOf(spno) : s.money(2);
            t[spno].saleMoney -= price.times(s.real(1));
        }
    }

    Connection& m_c;
    const std::map<QString, Product>& m_products;
};

std::map<QString, Product> readProducts(Connection& c) {
    std::map<QString, Product> products;
    Statement s(c, QStringLiteral("SELECT SPNO, SPNAME, CBJG FROM SPB"));
    s.exec();
    while (s.next()) products.emplace(s.text(0), Product{s.text(1), s.money(2)});
    return products;
}

}  // namespace

Money StockSummary::unitPrice(Money amount, double quantity) {
    if (std::abs(quantity) < kQuantityEpsilon) return {};
    return Money::fromUnits(std::llround(double(amount.units()) / quantity));
}

const QStringList& StockSummary::columnNames() {
    static const QStringList names = {
        QStringLiteral("BPSERIALNO"), QStringLiteral("BPNAME"),    QStringLiteral("BalaPrice"), QStringLiteral("BalaCount"),
        QStringLiteral("BalaMoney"),  QStringLiteral("inCount"),   QStringLiteral("inMoney"),   QStringLiteral("SaleCount"),
        QStringLiteral("SaleMoney"),  QStringLiteral("RetuCount"), QStringLiteral("RetuMoney"), QStringLiteral("BsCount"),
        QStringLiteral("BsMoney"),    QStringLiteral("StoreCount"), QStringLiteral("StoreMoney")};
    return names;
}

QDate StockSummary::lastCarryForwardBefore(const QDate& day) {
    Statement s(m_connection, QStringLiteral("SELECT MAX(ENDDATE) FROM YZJZSJB WHERE ENDDATE < :d"));
    s.bind(QStringLiteral(":d"), day);
    if (!s.first() || s.isNull(0)) return {};
    return s.dateTime(0).date();
}

std::vector<SummaryRow> StockSummary::rows(const QDate& begin, const QDate& end) {
    if (!begin.isValid() || !end.isValid()) throw Error(QStringLiteral("日期不正确"));
    if (end < begin) throw Error(QStringLiteral("结转止期早于起期"));

    const std::map<QString, Product> products = readProducts(m_connection);
    Collector collector(m_connection, products);

    struct Opening { double count = 0; Money money; };
    std::map<QString, Opening> opening;
    const QDate carried = lastCarryForwardBefore(begin);
    if (carried.isValid()) {
        Statement s(m_connection, QStringLiteral("SELECT SPNO, JZSL, JZJE FROM YZJZMXB WHERE ENDDATE = :e"));
        s.bind(QStringLiteral(":e"), carried).exec();
        while (s.next()) opening[s.text(0)] = {s.real(1), s.money(2)};
    }
    const QDate gapFrom = carried.isValid() ? carried.addDays(1) : kBeginningOfTime;
    if (gapFrom < begin) {
        for (const auto& [spno, t] : collector.collect(gapFrom, begin)) {
            Opening& o = opening[spno];
            o.count += t.net();
            o.money += t.netMoney();
        }
    }
    std::map<QString, Totals> period = collector.collect(begin, end.addDays(1));

    std::map<QString, SummaryRow> out;
    auto rowFor = [&](const QString& spno) -> SummaryRow& {
        SummaryRow& r = out[spno];
        if (r.productNo.isEmpty()) {
            r.productNo = spno;
            const auto it = products.find(spno);
            if (it != products.end()) r.productName = it->second.name;
        }
        return r;
    };
    for (const auto& [spno, o] : opening) {
        if (std::abs(o.count) < kQuantityEpsilon && o.money.isZero()) continue;
        SummaryRow& r = rowFor(spno);
        r.balaCount = o.count;
        r.balaMoney = o.money;
    }
    for (const auto& [spno, t] : period) {
        if (t.isZero()) continue;
        SummaryRow& r = rowFor(spno);
        r.inCount = t.in;
        r.inMoney = t.inMoney;
        r.saleCount = t.sale;
        r.saleMoney = t.saleMoney;
        r.retuCount = t.retu;
        r.retuMoney = t.retuMoney;
        r.bsCount = t.bs;
        r.bsMoney = t.bsMoney;
    }
    std::vector<SummaryRow> result;
    result.reserve(out.size());
    for (auto& [spno, r] : out) {
        r.balaPrice = unitPrice(r.balaMoney, r.balaCount);
        r.storeCount = r.balaCount + r.inCount - r.saleCount - r.retuCount - r.bsCount;
        // Rounding of the double sums must not leave "-0" or 1e-12 on the screen.
        if (std::abs(r.storeCount) < kQuantityEpsilon) r.storeCount = 0;
        r.storeMoney = r.balaMoney + r.inMoney - r.saleMoney - r.retuMoney - r.bsMoney;
        result.push_back(std::move(r));
    }
    return result;
}

QStringList StockSummary::productsOffBalance() {
    const QDate begin = Periods(m_connection).current().begin;
    QDate end = Periods(m_connection).today();
    {
        Statement last(m_connection, QStringLiteral("SELECT MAX(CZRQ) FROM QTJHDMXB"));
        if (last.first() && !last.isNull(0)) end = std::max(end, last.dateTime(0).date());
    }
    std::map<QString, double> closing;
    // A period start moved into the future by hand must not hide today's movements.
    for (const SummaryRow& r : rows(std::min(begin, end), end)) closing[r.productNo] = r.storeCount;
    std::map<QString, double> balances;
    Statement s(m_connection, QStringLiteral("SELECT SPNO, SUM(KCSL) FROM KCYEB GROUP BY SPNO"));
    s.exec();
    while (s.next()) balances[s.text(0)] = s.real(1);
    QStringList off;
    std::map<QString, double> all = closing;
    for (const auto& [spno, q] : balances) all.emplace(spno, 0.0);
    for (const auto& [spno, unused] : all) {
        const double a = closing.count(spno) ? closing[spno] : 0.0;
        const double b = balances.count(spno) ? balances[spno] : 0.0;
        if (std::abs(a - b) > kQuantityEpsilon) off << spno;
    }
    return off;
}

}  // namespace db
