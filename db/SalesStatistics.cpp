#include "db/SalesStatistics.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Statement.h"

#include <algorithm>
#include <cmath>

namespace db {

namespace {

constexpr int kTopCount = 10;

TCostSell entry(const QString& name, double count, Money money, Money cost) {
    return {name, std::llround(count), money, money - cost};
}

void checkPeriod(const QDate& begin, const QDate& end) {
    if (!begin.isValid() || !end.isValid()) throw Error(QStringLiteral("日期不正确"));
}

// The sale-mode condition on SPB P.XSFS: -1 = any mode, 0 = bought outright, 1 = consignment.
QString modeCondition() { return QStringLiteral("(:anymode = 1 OR P.XSFS = :mode)"); }
void bindMode(Statement& s, int mode) {
    s.bind(QStringLiteral(":anymode"), mode < 0 ? 1 : 0).bind(QStringLiteral(":mode"), std::max(mode, 0));
}

// The rows behind a top-ten list, with the category's products (when one is chosen)
// joined in the order that reads least: a day's few cost rows first, each looking up its
// product; over a month, the category's products first, each reading its own cost rows of
// the month from the index on (SPNO, CZDATE). CROSS JOIN fixes that order on SQLite and is
// a plain inner join to PostgreSQL's planner. Without a category no product is looked up.
QString topTenSql(const QString& category, bool productsFirst, const QString& period) {
    const QString select = QStringLiteral("SELECT X.SPNAME, SUM(X.XSSL) AS cnt, SUM(X.XSJE), SUM(X.ZJE) ");
    const QString rest = QStringLiteral(" GROUP BY X.SPNAME ORDER BY cnt DESC, X.SPNAME LIMIT 10");
    if (category.isEmpty()) return select + QStringLiteral("FROM XSCBB X WHERE ") + period + rest;
    const QString from = productsFirst ? QStringLiteral("FROM SPB P CROSS JOIN XSCBB X ")
                                       : QStringLiteral("FROM XSCBB X CROSS JOIN SPB P ");
    return select + from + QStringLiteral("WHERE P.SPNO = X.SPNO AND P.SPLB = :splb AND (") + period + QStringLiteral(")") + rest;
}
void bindCategory(Statement& s, const QString& category) {
    if (!category.isEmpty()) s.bind(QStringLiteral(":splb"), category);
}

}  // namespace

std::vector<TCostSell> SalesStatistics::topSalesOfDay(const QDate& day, const QString& category) {
    checkPeriod(day, day);
    Statement s(m_connection, topTenSql(category, false, QStringLiteral("X.CZDATE >= :f AND X.CZDATE < :t")));
    s.bind(QStringLiteral(":f"), day).bind(QStringLiteral(":t"), day.addDays(1));
    bindCategory(s, category);
    s.exec();
    std::vector<TCostSell> out;
    while (s.next()) out.push_back(entry(s.text(0), s.real(1), s.money(2), s.money(3)));
    return out;
}

std::vector<TCostSell> SalesStatistics::topSalesOfMonth(int month, const QString& category) {
    if (month < 1 || month > 12) throw Error(QStringLiteral("月份不正确：%1").arg(month));
    // The month of every year with sales, as date ranges the indexes on CZDATE serve; a
    // year whose month lies outside the sales held is not asked.
    QDate first, last;
    {
        // Apart, each end is one step down the date index; SQLite reads the whole index for
        // MIN and MAX asked in one select.
        Statement span(m_connection, QStringLiteral("SELECT (SELECT MIN(CZDATE) FROM XSCBB), (SELECT MAX(CZDATE) FROM XSCBB)"));
        if (span.first() && !span.isNull(0)) {
            first = span.dateTime(0).date();
            last = span.dateTime(1).date();
        }
    }
    std::vector<TCostSell> out;
    std::vector<QDate> starts;
    if (first.isValid()) {
        for (int y = first.year(); y <= last.year(); ++y) {
            const QDate from(y, month, 1);
            if (from <= last && from.addMonths(1) > first) starts.push_back(from);
        }
    }
    if (starts.empty()) return out;
    QStringList ranges;
    for (size_t i = 0; i < starts.size(); ++i) ranges << QStringLiteral("(X.CZDATE >= :f%1 AND X.CZDATE < :t%1)").arg(i);
    Statement s(m_connection, topTenSql(category, true, ranges.join(QStringLiteral(" OR "))));
    for (size_t i = 0; i < starts.size(); ++i)
        s.bind(QStringLiteral(":f%1").arg(i), starts[i]).bind(QStringLiteral(":t%1").arg(i), starts[i].addMonths(1));
    bindCategory(s, category);
    s.exec();
    while (s.next()) out.push_back(entry(s.text(0), s.real(1), s.money(2), s.money(3)));
    return out;
}

std::vector<TCostSell> SalesStatistics::productSalesByDay(const QString& productNo, const QDate& day) {
    checkPeriod(day, day);
    Statement s(m_connection, QStringLiteral(
        "SELECT date10(CZDATE) AS d, SUM(XSSL), SUM(XSJE), SUM(ZJE) FROM XSCBB "
        "WHERE SPNO = :p AND CZDATE >= :f AND CZDATE < :t GROUP BY date10(CZDATE) ORDER BY d DESC LIMIT 10"));
    s.bind(QStringLiteral(":p"), productNo).bind(QStringLiteral(":f"), day.addDays(-10))
        .bind(QStringLiteral(":t"), day.addDays(1)).exec();
    std::vector<TCostSell> out;
    while (s.next()) {
        const QDate d = QDate::fromString(s.text(0), QStringLiteral("yyyy-MM-dd"));
        out.push_back(entry(QStringLiteral("%1-%2").arg(d.month()).arg(d.day()), s.real(1), s.money(2), s.money(3)));
    }
    std::reverse(out.begin(), out.end());
    return out;
}

std::vector<TCostSell> SalesStatistics::productSalesByMonth(const QString& productNo, int month) {
    if (month < 1 || month > 12) throw Error(QStringLiteral("月份不正确：%1").arg(month));
    Statement s(m_connection, QStringLiteral(
        "SELECT monthof(CZDATE) AS m, SUM(XSSL), SUM(XSJE), SUM(ZJE) FROM XSCBB "
        "WHERE SPNO = :p AND monthof(CZDATE) <= :m AND monthof(CZDATE) >= :lo GROUP BY monthof(CZDATE) ORDER BY m DESC LIMIT 10"));
    s.bind(QStringLiteral(":p"), productNo).bind(QStringLiteral(":m"), month).bind(QStringLiteral(":lo"), month - 10).exec();
    std::vector<TCostSell> out;
    while (s.next()) out.push_back(entry(QString::number(s.integer(0)), s.real(1), s.money(2), s.money(3)));
    std::reverse(out.begin(), out.end());
    return out;
}

// The table procedures sum the period's cost rows per group first and name the groups
// afterwards, so a name is read once per group rather than once per cost row. Groups
// without a key (a product without a department, a sale without a clerk) come last on
// both backends. Grouped by something of the product (department, supplier), the period's
// cost rows come from periodCosts(): on SQLite summed per product from the covering date
// index, so each product is looked up once (a year of a large shop is ten cost rows a
// product); on PostgreSQL row by row, which it joins by hashing.
namespace {
QString periodCosts(const Connection& c) {
    return c.dialect().sumsPerProductFirst()
               ? QStringLiteral("(SELECT SPNO, SUM(XSSL) AS XSSL, SUM(XSJE) AS XSJE, SUM(ZJE) AS ZJE FROM XSCBB "
                                "WHERE CZDATE >= :f AND CZDATE < :t GROUP BY SPNO)")
               : QStringLiteral("(SELECT SPNO, XSSL, XSJE, ZJE FROM XSCBB WHERE CZDATE >= :f AND CZDATE < :t)");
}
}  // namespace

StatTable SalesStatistics::sellsStat(const QDate& begin, const QDate& end, const QString& statType) {
    checkPeriod(begin, end);
    QString sql;
    if (statType == QLatin1String("0"))
        sql = QStringLiteral(
            "SELECT G.k, D.BMName, G.q, G.j, G.z FROM (SELECT P.BMNO AS k, SUM(X.XSSL) AS q, SUM(X.XSJE) AS j, "
            "SUM(X.ZJE) AS z FROM %1 X JOIN SPB P ON P.SPNO = X.SPNO GROUP BY P.BMNO) G LEFT JOIN dept D ON D.BMNO = G.k "
            "ORDER BY G.k IS NULL, G.k").arg(periodCosts(m_connection));
    else if (statType == QLatin1String("1"))
        sql = QStringLiteral(
            "SELECT G.k, Z.NAME, G.q, G.j, G.z FROM (SELECT X.ZYNO AS k, SUM(X.XSSL) AS q, SUM(X.XSJE) AS j, "
            "SUM(X.ZJE) AS z FROM XSCBB X WHERE X.CZDATE >= :f AND X.CZDATE < :t GROUP BY X.ZYNO) G "
            "LEFT JOIN GZRYB Z ON Z.ZYNO = G.k ORDER BY G.k IS NULL, G.k");
    else
        throw Error(QStringLiteral("unknown statistics type: %1").arg(statType));
    Statement s(m_connection, sql);
    s.bind(QStringLiteral(":f"), begin).bind(QStringLiteral(":t"), end.addDays(1)).exec();
    StatTable t{{QStringLiteral("offno"), QStringLiteral("NAME"), QStringLiteral("XSSL"), QStringLiteral("XSJE"),
                 QStringLiteral("ZJE"), QStringLiteral("lr")}, {}};
    while (s.next()) {
        const Money sales = s.money(3), cost = s.money(4);
        t.rows.push_back({s.text(0), s.text(1), qint64(std::llround(s.real(2))), QVariant::fromValue(sales),
                          QVariant::fromValue(cost), QVariant::fromValue(sales - cost)});
    }
    return t;
}

StatTable SalesStatistics::daySell(const QDate& begin, const QDate& end, const QString& type) {
    checkPeriod(begin, end);
    const int mode = type == QLatin1String("0") ? -1 : type == QLatin1String("1") ? 0 : type == QLatin1String("2") ? 1 : -2;
    if (mode == -2) throw Error(QStringLiteral("unknown sale mode: %1").arg(type));
    // A day's rows are few: each cost row of the period looks up its product.
    const QString day = m_connection.dialect().dayOf(QStringLiteral("X.CZDATE"));
    Statement s(m_connection, QStringLiteral(
        "SELECT G.d, F.FLName, G.j, G.z FROM (SELECT %1 AS d, P.SPLB AS k, SUM(X.XSJE) AS j, SUM(X.ZJE) AS z "
        "FROM XSCBB X CROSS JOIN SPB P WHERE P.SPNO = X.SPNO AND X.CZDATE >= :f AND X.CZDATE < :t AND %2 "
        "GROUP BY %1, P.SPLB) G LEFT JOIN SPFLB F ON F.FLNo = G.k ORDER BY G.d, G.k IS NULL, G.k").arg(day, modeCondition()));
    s.bind(QStringLiteral(":f"), begin).bind(QStringLiteral(":t"), end.addDays(1));
    bindMode(s, mode);
    s.exec();
    StatTable t{{QStringLiteral("CZDATE"), QStringLiteral("FLNAME"), QStringLiteral("XSJE"), QStringLiteral("ZJE"),
                 QStringLiteral("MLJE")}, {}};
    while (s.next()) {
        const Money sales = s.money(2), cost = s.money(3);
        t.rows.push_back({s.dateTime(0).date().toString(QStringLiteral("yyyy-MM-dd")), s.text(1), QVariant::fromValue(sales),
                          QVariant::fromValue(cost), QVariant::fromValue(sales - cost)});
    }
    return t;
}

namespace {
int supplierMode(const QString& type) {
    if (type == QLatin1String("0")) return 0;
    if (type == QLatin1String("1")) return 1;
    if (type == QLatin1String("2")) return -1;
    throw Error(QStringLiteral("unknown sale mode: %1").arg(type));
}
}  // namespace

StatTable SalesStatistics::sellsMoney(const QDate& begin, const QDate& end, const QString& type) {
    checkPeriod(begin, end);
    const int mode = supplierMode(type);
    Statement s(m_connection, QStringLiteral(
        "SELECT G.k, C.CSNAME, G.j FROM (SELECT P.QSGYS AS k, SUM(X.XSJE) AS j FROM %1 X JOIN SPB P ON P.SPNO = X.SPNO "
        "WHERE %2 GROUP BY P.QSGYS) G JOIN CSB C ON C.CSNO = G.k ORDER BY G.k")
        .arg(periodCosts(m_connection), modeCondition()));
    s.bind(QStringLiteral(":f"), begin).bind(QStringLiteral(":t"), end.addDays(1));
    bindMode(s, mode);
    s.exec();
    StatTable t{{QStringLiteral("CSNO"), QStringLiteral("csname"), QStringLiteral("xsje")}, {}};
    while (s.next()) t.rows.push_back({s.text(0), s.text(1), QVariant::fromValue(s.money(2))});
    return t;
}

StatTable SalesStatistics::productSellsMoney(const QDate& begin, const QDate& end, const QString& supplierNo,
                                             const QString& type) {
    checkPeriod(begin, end);
    const int mode = supplierMode(type);
    Statement s(m_connection, QStringLiteral(
        "SELECT P.SPNO, MAX(P.SPNAME), SUM(X.XSJE) FROM XSCBB X JOIN SPB P ON P.SPNO = X.SPNO "
        "WHERE P.QSGYS = :cs AND X.CZDATE >= :f AND X.CZDATE < :t AND %1 GROUP BY P.SPNO ORDER BY P.SPNO")
        .arg(modeCondition()));
    s.bind(QStringLiteral(":cs"), supplierNo).bind(QStringLiteral(":f"), begin).bind(QStringLiteral(":t"), end.addDays(1));
    bindMode(s, mode);
    s.exec();
    StatTable t{{QStringLiteral("SPNO"), QStringLiteral("SPname"), QStringLiteral("xsje")}, {}};
    while (s.next()) t.rows.push_back({s.text(0), s.text(1), QVariant::fromValue(s.money(2))});
    return t;
}

}  // namespace db
