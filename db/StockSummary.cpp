#include "db/StockSummary.h"

#include "db/BulkQuery.h"
#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Periods.h"
#include "db/Statement.h"
#include "db/StockLedger.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>
#include <unordered_map>

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
};

// What moved before `begin` (from `from` on) and on the days [begin, end), per product.
struct Moved {
    Totals before;
    Totals during;
};

// A product of the summary: the position carried forward for it and what moved of it.
struct Product {
    Product(QByteArray spno, double count = 0, Money money = {})
        : code(std::move(spno)), carriedCount(count), carriedMoney(money) {}
    QByteArray code;  // SPNO as the database hands it over (UTF-8)
    double carriedCount = 0;
    Money carriedMoney;
    Moved moved;
    QString name;
};

// The summary's column a movement kind counts in; transfers move stock between stores of one
// product and count in none.
enum class Column { In, Sale, ClientReturn, Return, Loss, None };

Column columnOf(QByteArrayView kind) {
    static const std::pair<QByteArray, Column> kinds[] = {
        {MovementKind::Sale.toUtf8(), Column::Sale},
        {MovementKind::Receive.toUtf8(), Column::In},
        {MovementKind::StocktakeGain.toUtf8(), Column::In},
        {MovementKind::ClientReturn.toUtf8(), Column::ClientReturn},
        {MovementKind::SupplierReturn.toUtf8(), Column::Return},
        {MovementKind::Loss.toUtf8(), Column::Loss},
        {MovementKind::StocktakeLoss.toUtf8(), Column::Loss},
        {MovementKind::TransferIn.toUtf8(), Column::None},
        {MovementKind::TransferOut.toUtf8(), Column::None}};
    for (const auto& [name, column] : kinds)
        if (kind == name) return column;
    throw Error(QStringLiteral("unknown movement kind in QTJHDMXB: %1").arg(QString::fromUtf8(kind)));
}

void add(Totals& t, Column column, double q, Money amount) {
    switch (column) {
    case Column::In: t.in += q; t.inMoney += amount; break;
    case Column::Sale: t.sale += q; t.saleMoney += amount; break;
    case Column::ClientReturn: t.sale -= q; t.saleMoney -= amount; break;
    case Column::Return: t.retu += q; t.retuMoney += amount; break;
    case Column::Loss: t.bs += q; t.bsMoney += amount; break;
    case Column::None: break;
    }
}

// The sums of one product's lines of one kind: all of them from `from` on, those since
// `begin`, those since `end`; "before" and "during" are their differences.
struct KindSums {
    double all = 0, sinceBegin = 0, sinceEnd = 0;
    Money allMoney, sinceBeginMoney, sinceEndMoney;

    void addTo(Moved& m, Column kind) const {
        add(m.before, kind, all - sinceBegin, allMoney - sinceBeginMoney);
        add(m.during, kind, sinceBegin - sinceEnd, sinceBeginMoney - sinceEndMoney);
    }
};

// The server sums the lines per product and kind over the covering index and sends the sums,
// each product's together. Every condition or sum costs per line about as much as reading
// the line: the range's start is asked for only after a carry-forward, the "since end" sums
// only when anything moved after the period, partial sums add only the lines they take (no
// zeros), and transfers, which change no column, are summed with the rest and left out here.
std::vector<Product> sumOnServer(Connection& c, const QDate& from, const QDate& begin, const QDate& end,
                                 bool laterMovements) {
    const bool everything = from <= kBeginningOfTime;
    const QString sinceEnd = laterMovements
        ? QStringLiteral(", SUM(CASE WHEN CZRQ >= :e1 THEN SL END), SUM(CASE WHEN CZRQ >= :e2 THEN CBJE END)")
        : QString();
    BulkQuery s(c, QStringLiteral("SELECT SPNO, WLTYPE, SUM(SL), SUM(CBJE), SUM(CASE WHEN CZRQ >= :b1 THEN SL END), "
                                  "SUM(CASE WHEN CZRQ >= :b2 THEN CBJE END)%1 FROM QTJHDMXB%2 "
                                  "GROUP BY SPNO, WLTYPE ORDER BY SPNO, WLTYPE")
                       .arg(sinceEnd, everything ? QString() : QStringLiteral(" WHERE CZRQ >= :f")));
    if (!everything) s.bind(QStringLiteral(":f"), from);
    s.bind(QStringLiteral(":b1"), begin).bind(QStringLiteral(":b2"), begin);
    if (laterMovements) s.bind(QStringLiteral(":e1"), end).bind(QStringLiteral(":e2"), end);
    s.exec();
    std::vector<Product> products;
    while (s.next()) {
        const QByteArrayView code = s.utf8(0);
        if (products.empty() || products.back().code != code) products.push_back({code.toByteArray()});
        KindSums k;
        k.all = s.real(2);
        k.allMoney = s.money(3);
        k.sinceBegin = s.real(4);
        k.sinceBeginMoney = s.money(5);
        if (laterMovements) {
            k.sinceEnd = s.real(6);
            k.sinceEndMoney = s.money(7);
        }
        k.addTo(products.back().moved, columnOf(s.utf8(1)));
    }
    return products;
}

// The lines are read in the covering index's order and summed here: SQLite's statement
// machine spends more on the two date comparisons per line than stepping the line costs,
// while times are stored as "yyyy-MM-dd HH:mm:ss" text, so comparing their bytes here is
// the very comparison SQL would make. The order brings each product's lines of one kind
// together, so a kind is decoded once per run of lines.
std::vector<Product> sumInProcess(Connection& c, const QDate& from, const QDate& begin, const QDate& end,
                                  bool laterMovements) {
    const bool everything = from <= kBeginningOfTime;
    BulkQuery s(c, QStringLiteral("SELECT SPNO, WLTYPE, CZRQ, SL, CBJE FROM QTJHDMXB%1 ORDER BY SPNO, WLTYPE")
                       .arg(everything ? QString() : QStringLiteral(" WHERE CZRQ >= :f")));
    if (!everything) s.bind(QStringLiteral(":f"), from);
    s.exec();
    const QByteArray beginText = timestampText(begin.startOfDay()).toUtf8();
    const QByteArray endText = timestampText(end.startOfDay()).toUtf8();

    std::vector<Product> products;
    QByteArray kind;
    KindSums sums;
    Column column = Column::None;
    auto finishRun = [&] {
        if (!products.empty()) sums.addTo(products.back().moved, column);
        sums = KindSums();
    };
    while (s.next()) {
        const QByteArrayView code = s.utf8(0), rowKind = s.utf8(1);
        const bool newProduct = products.empty() || code != products.back().code;
        if (newProduct || rowKind != kind) {
            finishRun();
            if (newProduct) products.push_back({code.toByteArray()});
            kind = rowKind.toByteArray();
            column = columnOf(kind);
        }
        if (column == Column::None) continue;
        const QByteArrayView at = s.utf8(2);
        const double q = s.real(3);
        const Money amount = s.money(4);
        sums.all += q;
        sums.allMoney += amount;
        if (at >= beginText) {
            sums.sinceBegin += q;
            sums.sinceBeginMoney += amount;
            if (laterMovements && at >= endText) {
                sums.sinceEnd += q;
                sums.sinceEndMoney += amount;
            }
        }
    }
    finishRun();
    return products;
}

// Pairs each product with the rows of `s` (product code in column 0) that carry its code and
// hands both to `match`; a row no product has goes to `unmatched` (when given). In byte order
// (SQLite compares text by its bytes) both sides are walked side by side; otherwise, as the
// server's collation may order codes otherwise, the products are found by their code.
template <typename Match, typename Unmatched>
void pairByCode(std::vector<Product>& products, BulkQuery& s, bool inByteOrder, Match match, Unmatched unmatched) {
    if (inByteOrder) {
        size_t i = 0;
        while (s.next()) {
            const QByteArrayView code = s.utf8(0);
            while (i < products.size() && QByteArrayView(products[i].code) < code) ++i;
            if (i < products.size() && products[i].code == code) match(products[i]);
            else unmatched(code);
        }
        return;
    }
    const auto view = [](QByteArrayView code) { return std::string_view(code.data(), size_t(code.size())); };
    std::unordered_map<std::string_view, size_t> index;
    index.reserve(products.size());
    for (size_t i = 0; i < products.size(); ++i) index.emplace(view(products[i].code), i);
    while (s.next()) {
        const auto found = index.find(view(s.utf8(0)));
        if (found != index.end()) match(products[found->second]);
        else unmatched(s.utf8(0));
    }
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

    const QDate carried = lastCarryForwardBefore(begin);
    const QDate gapFrom = carried.isValid() ? std::min(carried.addDays(1), begin) : kBeginningOfTime;
    const QDate after = end.addDays(1);
    bool laterMovements = false;
    {
        Statement last(m_connection, QStringLiteral("SELECT MAX(CZRQ) FROM QTJHDMXB"));
        laterMovements = last.first() && !last.isNull(0) && last.dateTime(0).date() >= after;
    }
    const bool inProcess = m_connection.dialect().sumsScannedRowsInProcess();
    // Both ways hand the products over in the order of their codes, bytewise in process.
    std::vector<Product> products = inProcess ? sumInProcess(m_connection, gapFrom, begin, after, laterMovements)
                                              : sumOnServer(m_connection, gapFrom, begin, after, laterMovements);
    if (carried.isValid()) {
        BulkQuery s(m_connection, QStringLiteral("SELECT SPNO, JZSL, JZJE FROM YZJZMXB WHERE ENDDATE = :e ORDER BY SPNO"));
        s.bind(QStringLiteral(":e"), carried).exec();
        std::vector<Product> onlyCarried;
        pairByCode(
            products, s, inProcess,
            [&](Product& p) {
                p.carriedCount = s.real(1);
                p.carriedMoney = s.money(2);
            },
            [&](QByteArrayView code) { onlyCarried.push_back({code.toByteArray(), s.real(1), s.money(2)}); });
        if (!onlyCarried.empty()) {
            const size_t moved = products.size();
            products.insert(products.end(), std::make_move_iterator(onlyCarried.begin()),
                            std::make_move_iterator(onlyCarried.end()));
            if (inProcess)
                std::inplace_merge(products.begin(), products.begin() + qsizetype(moved), products.end(),
                                   [](const Product& a, const Product& b) { return a.code < b.code; });
        }
    }
    {
        BulkQuery s(m_connection, QStringLiteral("SELECT SPNO, SPNAME FROM SPB ORDER BY SPNO"));
        s.exec();
        pairByCode(products, s, inProcess, [&](Product& p) { p.name = s.text(1); }, [](QByteArrayView) {});
    }

    std::vector<SummaryRow> result;
    result.reserve(products.size());
    for (Product& p : products) {
        const Totals& before = p.moved.before;
        const Totals& t = p.moved.during;
        SummaryRow r;
        r.balaCount = p.carriedCount + before.net();
        r.balaMoney = p.carriedMoney + before.netMoney();
        r.inCount = t.in;
        r.inMoney = t.inMoney;
        r.saleCount = t.sale;
        r.saleMoney = t.saleMoney;
        r.retuCount = t.retu;
        r.retuMoney = t.retuMoney;
        r.bsCount = t.bs;
        r.bsMoney = t.bsMoney;
        // Rounding of the double sums must not leave "-0" or 1e-12 on the screen.
        if (std::abs(r.balaCount) < kQuantityEpsilon) r.balaCount = 0;
        const bool noOpening = r.balaCount == 0 && r.balaMoney.isZero();
        const bool nothingMoved = std::abs(r.inCount) < kQuantityEpsilon && std::abs(r.saleCount) < kQuantityEpsilon &&
                                  std::abs(r.retuCount) < kQuantityEpsilon && std::abs(r.bsCount) < kQuantityEpsilon &&
                                  r.inMoney.isZero() && r.saleMoney.isZero() && r.retuMoney.isZero() && r.bsMoney.isZero();
        if (noOpening && nothingMoved) continue;
        r.productNo = QString::fromUtf8(p.code);
        r.productName = std::move(p.name);
        r.balaPrice = unitPrice(r.balaMoney, r.balaCount);
        r.storeCount = r.balaCount + r.inCount - r.saleCount - r.retuCount - r.bsCount;
        if (std::abs(r.storeCount) < kQuantityEpsilon) r.storeCount = 0;
        r.storeMoney = r.balaMoney + r.inMoney - r.saleMoney - r.retuMoney - r.bsMoney;
        result.push_back(std::move(r));
    }
    // The screen's order is the codes' own (as text compares here), whatever the database's
    // collation; rows read in byte order are mostly in it already.
    const auto byCode = [](const SummaryRow& a, const SummaryRow& b) { return a.productNo < b.productNo; };
    if (!std::is_sorted(result.begin(), result.end(), byCode)) std::sort(result.begin(), result.end(), byCode);
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
