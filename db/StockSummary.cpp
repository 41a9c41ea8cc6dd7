#include "db/StockSummary.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Periods.h"
#include "db/Statement.h"
#include "db/StockLedger.h"

#include <QHash>

#include <algorithm>
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

// What moved before `begin` (from `from` on) and on the days [begin, end), per product:
// one pass over the movement lines, whose kept cost amounts are the documents'. Hashed by
// product: a summary has a row per product, and ordered maps spent most of its time
// comparing product codes.
struct Moved {
    Totals before;
    Totals during;
};
using MovedByProduct = QHash<QString, Moved>;

void add(Totals& t, const QString& kind, double q, Money amount) {
    if (kind == MovementKind::Receive || kind == MovementKind::StocktakeGain) { t.in += q; t.inMoney += amount; }
    else if (kind == MovementKind::Sale) { t.sale += q; t.saleMoney += amount; }
    else if (kind == MovementKind::ClientReturn) { t.sale -= q; t.saleMoney -= amount; }
    else if (kind == MovementKind::SupplierReturn) { t.retu += q; t.retuMoney += amount; }
    else if (kind == MovementKind::Loss || kind == MovementKind::StocktakeLoss) { t.bs += q; t.bsMoney += amount; }
    else if (kind != MovementKind::TransferIn && kind != MovementKind::TransferOut)
        throw Error(QStringLiteral("unknown movement kind in QTJHDMXB: %1").arg(kind));
}

MovedByProduct collect(Connection& c, const QDate& from, const QDate& begin, const QDate& end) {
    // One pass over the covering index from `from` on: everything, and what moved since
    // `begin` (and since `end`, when anything did), so "before" and "during" are differences.
    // A comparison evaluated per line costs about as much as reading the line, hence no
    // more of them than needed; a second pass per range cost more still. Transfers move
    // stock between stores of one product and change no column.
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
    MovedByProduct moved;
    while (s.next()) {
        const QString kind = s.text(1);
        const double all = s.real(2), sinceBegin = s.real(4);
        const Money allMoney = s.money(3), sinceBeginMoney = s.money(5);
        const double afterwards = laterMovements ? s.real(6) : 0.0;
        const Money afterwardsMoney = laterMovements ? s.money(7) : Money();
        Moved& m = moved[s.text(0)];
        add(m.before, kind, all - sinceBegin, allMoney - sinceBeginMoney);
        add(m.during, kind, sinceBegin - afterwards, sinceBeginMoney - afterwardsMoney);
    }
    return moved;
}

QHash<QString, QString> readProductNames(Connection& c) {
    QHash<QString, QString> names;
    Statement s(c, QStringLiteral("SELECT SPNO, SPNAME FROM SPB"));
    s.exec();
    while (s.next()) names.insert(s.text(0), s.text(1));
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

    QHash<QString, SummaryRow> out;
    auto rowFor = [&out](const QString& spno) -> SummaryRow& {
        SummaryRow& r = out[spno];
        r.productNo = spno;
        return r;
    };
    const QDate carried = lastCarryForwardBefore(begin);
    if (carried.isValid()) {
        Statement s(m_connection, QStringLiteral("SELECT SPNO, JZSL, JZJE FROM YZJZMXB WHERE ENDDATE = :e"));
        s.bind(QStringLiteral(":e"), carried).exec();
        while (s.next()) {
            SummaryRow& r = rowFor(s.text(0));
            r.balaCount = s.real(1);
            r.balaMoney = s.money(2);
        }
    }
    const QDate gapFrom = carried.isValid() ? std::min(carried.addDays(1), begin) : kBeginningOfTime;
    const MovedByProduct moved = collect(m_connection, gapFrom, begin, end.addDays(1));
    for (auto it = moved.cbegin(); it != moved.cend(); ++it) {
        const Totals& before = it->before;
        const Totals& t = it->during;
        if (before.isZero() && t.isZero()) continue;
        SummaryRow& r = rowFor(it.key());
        r.balaCount += before.net();
        r.balaMoney += before.netMoney();
        r.inCount = t.in;
        r.inMoney = t.inMoney;
        r.saleCount = t.sale;
        r.saleMoney = t.saleMoney;
        r.retuCount = t.retu;
        r.retuMoney = t.retuMoney;
        r.bsCount = t.bs;
        r.bsMoney = t.bsMoney;
    }
    const QHash<QString, QString> names = readProductNames(m_connection);
    std::vector<SummaryRow> result;
    result.reserve(size_t(out.size()));
    for (SummaryRow& r : out) {
        // Rounding of the double sums must not leave "-0" or 1e-12 on the screen.
        if (std::abs(r.balaCount) < kQuantityEpsilon) r.balaCount = 0;
        const bool noOpening = r.balaCount == 0 && r.balaMoney.isZero();
        const bool nothingMoved = std::abs(r.inCount) < kQuantityEpsilon && std::abs(r.saleCount) < kQuantityEpsilon &&
                                  std::abs(r.retuCount) < kQuantityEpsilon && std::abs(r.bsCount) < kQuantityEpsilon &&
                                  r.inMoney.isZero() && r.saleMoney.isZero() && r.retuMoney.isZero() && r.bsMoney.isZero();
        if (noOpening && nothingMoved) continue;
        r.productName = names.value(r.productNo);
        r.balaPrice = unitPrice(r.balaMoney, r.balaCount);
        r.storeCount = r.balaCount + r.inCount - r.saleCount - r.retuCount - r.bsCount;
        if (std::abs(r.storeCount) < kQuantityEpsilon) r.storeCount = 0;
        r.storeMoney = r.balaMoney + r.inMoney - r.saleMoney - r.retuMoney - r.bsMoney;
        result.push_back(std::move(r));
    }
    std::sort(result.begin(), result.end(),
              [](const SummaryRow& a, const SummaryRow& b) { return a.productNo < b.productNo; });
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
