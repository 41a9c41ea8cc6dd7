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

// Everything that moved before `begin` (from `from` on) and on the days [begin, end), per
// product: one pass over the movement lines, whose kept cost amounts are the documents'.
struct Moved {
    std::map<QString, Totals> before;
    std::map<QString, Totals> during;
};

void add(Totals& t, const QString& kind, double q, Money amount) {
    if (kind == MovementKind::Receive || kind == MovementKind::StocktakeGain) { t.in += q; t.inMoney += amount; }
    else if (kind == MovementKind::Sale) { t.sale += q; t.saleMoney += amount; }
    else if (kind == MovementKind::ClientReturn) { t.sale -= q; t.saleMoney -= amount; }
    else if (kind == MovementKind::SupplierReturn) { t.retu += q; t.retuMoney += amount; }
    else if (kind == MovementKind::Loss || kind == MovementKind::StocktakeLoss) { t.bs += q; t.bsMoney += amount; }
    else if (kind != MovementKind::TransferIn && kind != MovementKind::TransferOut)
        throw Error(QStringLiteral("unknown movement kind in QTJHDMXB: %1").arg(kind));
}

Moved collect(Connection& c, const QDate& from, const QDate& begin, const QDate& end) {
    // One pass over the covering index from `from` on: everything, and what moved since
    // `begin` (and since `end`, when anything did), so "before" and "during" are differences.
    // Each comparison evaluated per line costs as much as reading it, hence no more of them
    // than needed. Transfers move stock between stores of one product and change no column.
    bool laterMovements = false;
    {
        Statement last(c, QStringLiteral("SELECT MAX(CZRQ) FROM QTJHDMXB"));
        laterMovements = last.first() && !last.isNull(0) && last.dateTime(0).date() >= end;
    }
    const QString sinceEnd = laterMovements
        ? QStringLiteral(", SUM(CASE WHEN CZRQ >= :e1 THEN SL ELSE 0 END), SUM(CASE WHEN CZRQ >= :e2 THEN CBJE ELSE 0 END)")
        : QString();
    Statement s(c, QStringLiteral(
        "SELECT SPNO, WLTYPE, SUM(SL), SUM(CBJE), SUM(CASE WHEN CZRQ >= :b1 THEN SL ELSE 0 END), "
        "SUM(CASE WHEN CZRQ >= :b2 THEN CBJE ELSE 0 END)%1 "
        "FROM QTJHDMXB WHERE CZRQ >= :f AND WLTYPE NOT IN (:ti, :to) GROUP BY SPNO, WLTYPE").arg(sinceEnd));
    s.bind(QStringLiteral(":f"), from).bind(QStringLiteral(":b1"), begin).bind(QStringLiteral(":b2"), begin);
    if (laterMovements) s.bind(QStringLiteral(":e1"), end).bind(QStringLiteral(":e2"), end);
    s.bind(QStringLiteral(":ti"), MovementKind::TransferIn).bind(QStringLiteral(":to"), MovementKind::TransferOut).exec();
    Moved moved;
    while (s.next()) {
        const QString spno = s.text(0), kind = s.text(1);
        const double all = s.real(2), sinceBegin = s.real(4);
        const Money allMoney = s.money(3), sinceBeginMoney = s.money(5);
        const double afterwards = laterMovements ? s.real(6) : 0.0;
        const Money afterwardsMoney = laterMovements ? s.money(7) : Money();
        add(moved.before[spno], kind, all - sinceBegin, allMoney - sinceBeginMoney);
        add(moved.during[spno], kind, sinceBegin - afterwards, sinceBeginMoney - afterwardsMoney);
    }
    return moved;
}

std::map<QString, QString> readProductNames(Connection& c) {
    std::map<QString, QString> names;
    Statement s(c, QStringLiteral("SELECT SPNO, SPNAME FROM SPB"));
    s.exec();
    while (s.next()) names.emplace_hint(names.end(), s.text(0), s.text(1));
    return names;
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

    struct Opening { double count = 0; Money money; };
    std::map<QString, Opening> opening;
    const QDate carried = lastCarryForwardBefore(begin);
    if (carried.isValid()) {
        Statement s(m_connection, QStringLiteral("SELECT SPNO, JZSL, JZJE FROM YZJZMXB WHERE ENDDATE = :e"));
        s.bind(QStringLiteral(":e"), carried).exec();
        while (s.next()) opening[s.text(0)] = {s.real(1), s.money(2)};
    }
    const QDate gapFrom = carried.isValid() ? std::min(carried.addDays(1), begin) : kBeginningOfTime;
    Moved moved = collect(m_connection, gapFrom, begin, end.addDays(1));
    for (const auto& [spno, t] : moved.before) {
        if (t.isZero()) continue;
        Opening& o = opening[spno];
        o.count += t.net();
        o.money += t.netMoney();
    }
    const std::map<QString, Totals>& period = moved.during;
    const std::map<QString, QString> products = readProductNames(m_connection);

    std::map<QString, SummaryRow> out;
    auto rowFor = [&](const QString& spno) -> SummaryRow& {
        SummaryRow& r = out[spno];
        if (r.productNo.isEmpty()) {
            r.productNo = spno;
            const auto it = products.find(spno);
            if (it != products.end()) r.productName = it->second;
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
