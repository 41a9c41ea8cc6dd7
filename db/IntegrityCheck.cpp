#include "db/IntegrityCheck.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/StockLedger.h"

#include <QSqlRecord>
#include <QStringList>

namespace db {

namespace {

// Quantities are doubles: a difference below this is rounding, not stock. Money has four
// decimals; SQLite keeps it as a double, so half the last decimal is the tolerance.
const QString kQuantityEpsilon = QStringLiteral("0.000001");
const QString kMoneyEpsilon = QStringLiteral("0.00005");

QString quoted(const QString& constant) { return u'\'' + constant + u'\''; }

// Header tables and their line tables: a document is a header with at least one line, and
// no line lives without its header.
struct DocumentTables { const char* header; const char* lines; const char* key; };
const DocumentTables kDocuments[] = {
    {"XSB", "XSMXB", "XSNO"},
    {"JHDSJB", "JHDMXB", "JHDNO"},
    {"GYSTHSJB", "GYSTHMXB", "THDNO"},
    {"KHTHSJB", "KHTHMXB", "THDNO"},
};

QString headersWithLinesSql() {
    QStringList parts;
    for (const DocumentTables& d : kDocuments) {
        const QString h = QLatin1String(d.header), l = QLatin1String(d.lines), k = QLatin1String(d.key);
        parts << QStringLiteral("SELECT '%1' AS TABLE_NAME, H.%3 AS DOCUMENT, 'no lines' AS FAULT FROM %1 H "
                                "WHERE NOT EXISTS (SELECT 1 FROM %2 M WHERE M.%3 = H.%3)").arg(h, l, k);
        parts << QStringLiteral("SELECT '%2', M.%3, 'lines without header' FROM %2 M "
                                "WHERE NOT EXISTS (SELECT 1 FROM %1 H WHERE H.%3 = M.%3) GROUP BY M.%3").arg(h, l, k);
    }
    // The rows a sale writes beside its lines.
    for (const char* table : {"XSCBB", "SYYSKB"})
        parts << QStringLiteral("SELECT '%1', R.XSNO, 'rows without sale' FROM %1 R "
                                "WHERE NOT EXISTS (SELECT 1 FROM XSB H WHERE H.XSNO = R.XSNO) GROUP BY R.XSNO")
                     .arg(QLatin1String(table));
    parts << QStringLiteral("SELECT 'QTJHDMXB', Q.JHDNO, 'sale movements without sale' FROM QTJHDMXB Q "
                            "WHERE Q.WLTYPE = %1 AND NOT EXISTS (SELECT 1 FROM XSB H WHERE H.XSNO = Q.JHDNO) "
                            "GROUP BY Q.JHDNO").arg(quoted(MovementKind::Sale));
    return parts.join(QStringLiteral(" UNION ALL "));
}

// A sale posted with stock checking on has cost rows or movement lines; then, per product,
// the quantity sold, the quantity taken from batches and the quantity moved out of the
// store are the same. A sale with one of them missing was cut short.
QString saleStockSql() {
    const QString sale = quoted(MovementKind::Sale);
    return QStringLiteral(
               "WITH K AS (SELECT XSNO FROM XSCBB UNION SELECT JHDNO FROM QTJHDMXB WHERE WLTYPE = %1), "
               "L AS (SELECT M.XSNO, M.SPNO, SUM(M.SPSL) AS Q, SUM(CASE WHEN M.SPSL > 0 THEN M.SPSL ELSE 0 END) AS P "
               "FROM XSMXB M JOIN K ON K.XSNO = M.XSNO GROUP BY M.XSNO, M.SPNO), "
               "C AS (SELECT XSNO, SPNO, SUM(XSSL) AS Q FROM XSCBB GROUP BY XSNO, SPNO), "
               "W AS (SELECT JHDNO AS XSNO, SPNO, SUM(SL) AS Q FROM QTJHDMXB WHERE WLTYPE = %1 GROUP BY JHDNO, SPNO), "
               "P AS (SELECT XSNO, SPNO FROM L UNION SELECT XSNO, SPNO FROM C UNION SELECT XSNO, SPNO FROM W) "
               "SELECT P.XSNO, P.SPNO, COALESCE(L.Q, 0) AS SOLD, COALESCE(C.Q, 0) AS FROM_BATCHES, COALESCE(W.Q, 0) AS MOVED "
               "FROM P LEFT JOIN L ON L.XSNO = P.XSNO AND L.SPNO = P.SPNO "
               "LEFT JOIN C ON C.XSNO = P.XSNO AND C.SPNO = P.SPNO "
               "LEFT JOIN W ON W.XSNO = P.XSNO AND W.SPNO = P.SPNO "
               "WHERE ABS(COALESCE(L.P, 0) - COALESCE(C.Q, 0)) > %2 OR ABS(COALESCE(L.Q, 0) - COALESCE(W.Q, 0)) > %2 "
               "ORDER BY P.XSNO, P.SPNO")
        .arg(sale, kQuantityEpsilon);
}

// What a batch has given (XSSL) is what the documents drawing on it recorded: sale cost
// rows, losses and returns to the supplier.
QString batchDrawnSql() {
    return QStringLiteral(
               "WITH D AS (SELECT JHDNO, SPNO, XSSL AS Q FROM XSCBB "
               "UNION ALL SELECT JHDNO, SPNO, SL FROM BSB WHERE JHDNO IS NOT NULL "
               "UNION ALL SELECT JHDNO, SPNO, SL FROM GYSTHMXB WHERE JHDNO IS NOT NULL), "
               "S AS (SELECT JHDNO, SPNO, SUM(Q) AS Q FROM D GROUP BY JHDNO, SPNO) "
               "SELECT B.JHDNO, B.SPNO, B.XSSL, COALESCE(S.Q, 0) AS DRAWN FROM JHDMXB B "
               "LEFT JOIN S ON S.JHDNO = B.JHDNO AND S.SPNO = B.SPNO "
               "WHERE ABS(B.XSSL - COALESCE(S.Q, 0)) > %1 ORDER BY B.JHDNO, B.SPNO")
        .arg(kQuantityEpsilon);
}

// A store balance never goes below zero, neither the kept one (what the tills read) nor
// the sum of the movement lines it is kept from.
QString storeBalanceSql() {
    return QStringLiteral("SELECT 'KCYEB' AS SOURCE, SPNO, CKNO, KCSL AS BALANCE FROM KCYEB WHERE KCSL < -%2 "
                          "UNION ALL SELECT 'QTJHDMXB', SPNO, CKNO, SUM(%1) FROM QTJHDMXB GROUP BY SPNO, CKNO "
                          "HAVING SUM(%1) < -%2")
        .arg(StockLedger::signedQuantitySql(), kQuantityEpsilon);
}

// The kept balance of a product in a store is the sum of its movement lines.
QString storeBalanceKeptSql() {
    return QStringLiteral(
               "WITH M AS (SELECT SPNO, CKNO, SUM(%1) AS Q FROM QTJHDMXB GROUP BY SPNO, CKNO), "
               "P AS (SELECT SPNO, CKNO FROM M UNION SELECT SPNO, CKNO FROM KCYEB) "
               "SELECT P.SPNO, P.CKNO, K.KCSL AS KEPT, COALESCE(M.Q, 0) AS MOVEMENTS FROM P "
               "LEFT JOIN KCYEB K ON K.SPNO = P.SPNO AND K.CKNO = P.CKNO "
               "LEFT JOIN M ON M.SPNO = P.SPNO AND M.CKNO = P.CKNO "
               "WHERE ABS(COALESCE(K.KCSL, 0) - COALESCE(M.Q, 0)) > %2 ORDER BY P.SPNO, P.CKNO")
        .arg(StockLedger::signedQuantitySql(), kQuantityEpsilon);
}

// Goods enter and leave batches and stores together, so per product what the batches
// still hold is what the stores hold.
QString batchesMatchStoresSql() {
    return QStringLiteral(
               "WITH B AS (SELECT SPNO, SUM(SL - XSSL) AS Q FROM JHDMXB GROUP BY SPNO), "
               "S AS (SELECT SPNO, SUM(KCSL) AS Q FROM KCYEB GROUP BY SPNO), "
               "P AS (SELECT SPNO FROM B UNION SELECT SPNO FROM S) "
               "SELECT P.SPNO, COALESCE(B.Q, 0) AS IN_BATCHES, COALESCE(S.Q, 0) AS IN_STORES FROM P "
               "LEFT JOIN B ON B.SPNO = P.SPNO LEFT JOIN S ON S.SPNO = P.SPNO "
               "WHERE ABS(COALESCE(B.Q, 0) - COALESCE(S.Q, 0)) > %1 ORDER BY P.SPNO")
        .arg(kQuantityEpsilon);
}

// Each ledger row carries the balance after it: the previous row's balance (0 before the
// first) moved by its one amount. `raisedBy` is the side that raises the balance: a
// client's balance is what the client owes ("贷" raises it), a supplier's what the shop
// owes ("借" raises it).
QString ledgerChainSql(const QString& table, const QString& account, bool debitRaises) {
    const QString debitSign = debitRaises ? QStringLiteral("+") : QStringLiteral("-");
    const QString creditSign = debitRaises ? QStringLiteral("-") : QStringLiteral("+");
    return QStringLiteral(
               "SELECT R.%2 AS ACCOUNT, R.JSNO, R.JD, R.JF, R.DF, R.YE, R.PREVIOUS FROM "
               "(SELECT %2, JSNO, JD, JF, DF, YE, COALESCE(LAG(YE) OVER (PARTITION BY %2 ORDER BY JSNO), 0) AS PREVIOUS "
               "FROM %1) R "
               "WHERE NOT ((R.JD = '借' AND COALESCE(R.DF, 0) = 0 AND ABS(R.YE - (R.PREVIOUS %3 COALESCE(R.JF, 0))) < %5) "
               "OR (R.JD = '贷' AND COALESCE(R.JF, 0) = 0 AND ABS(R.YE - (R.PREVIOUS %4 COALESCE(R.DF, 0))) < %5)) "
               "ORDER BY R.%2, R.JSNO")
        .arg(table, account, debitSign, creditSign, kMoneyEpsilon);
}

// Document numbers are issued once: no key twice in a header table (a damaged index
// would allow it), and one movement number belongs to one document.
QString numbersUniqueSql() {
    const std::pair<const char*, const char*> keys[] = {
        {"XSB", "XSNO"}, {"JHDSJB", "JHDNO"}, {"GYSTHSJB", "THDNO"}, {"KHTHSJB", "THDNO"},
        {"KHJSWLB", "JSNO"}, {"GYSJSWLB", "JSNO"}, {"SYYJKB", "JKLSNO"}};
    QStringList parts;
    for (const auto& [table, key] : keys)
        parts << QStringLiteral("SELECT '%1' AS TABLE_NAME, %2 AS NUMBER, COUNT(*) AS USES FROM %1 GROUP BY %2 HAVING COUNT(*) > 1")
                     .arg(QLatin1String(table), QLatin1String(key));
    parts << QStringLiteral("SELECT 'QTJHDMXB', WLNO, COUNT(DISTINCT COALESCE(JHDNO, '')) FROM QTJHDMXB GROUP BY WLNO "
                            "HAVING COUNT(DISTINCT COALESCE(JHDNO, '')) > 1");
    parts << QStringLiteral("SELECT 'QTJHDMXB', JHDNO, COUNT(DISTINCT WLNO) FROM QTJHDMXB WHERE WLTYPE = %1 GROUP BY JHDNO "
                            "HAVING COUNT(DISTINCT WLNO) > 1").arg(quoted(MovementKind::Sale));
    return parts.join(QStringLiteral(" UNION ALL "));
}

QString cell(const QVariant& value) {
    if (value.isNull()) return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 15);
    return value.toString().trimmed();
}

// A read snapshot: later commits of other connections stay invisible until it ends.
// Inside a caller's transaction the rules read what that transaction sees.
class Snapshot {
public:
    explicit Snapshot(Connection& c) : m_connection(c) {
        if (!c.inTransaction()) begin();
    }
    ~Snapshot() { end(); }
    void restart() {
        if (!m_open) return;
        end();
        begin();
    }

private:
    void begin() {
        m_connection.execute(m_connection.backend() == Backend::Sqlite
                                 ? QStringLiteral("BEGIN DEFERRED")
                                 : QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        m_open = true;
    }
    void end() {
        if (!m_open) return;
        m_open = false;
        try { m_connection.execute(QStringLiteral("ROLLBACK")); } catch (const Error&) {}
    }
    Connection& m_connection;
    bool m_open = false;
};

}  // namespace

const std::vector<IntegrityRule>& IntegrityCheck::rules() {
    static const std::vector<IntegrityRule> list = {
        {QStringLiteral("sqlite-quick-check"), QStringLiteral("the SQLite file passes its quick check"),
         QStringLiteral("SELECT quick_check AS MESSAGE FROM pragma_quick_check WHERE quick_check <> 'ok'"), Backend::Sqlite},
        {QStringLiteral("documents-complete"),
         QStringLiteral("every document header has lines, and no line or sale row lives without its header"),
         headersWithLinesSql(), std::nullopt},
        {QStringLiteral("sale-takings"), QStringLiteral("every sale has exactly one takings row"),
         QStringLiteral("SELECT H.XSNO, (SELECT COUNT(*) FROM SYYSKB T WHERE T.XSNO = H.XSNO) AS TAKINGS_ROWS FROM XSB H "
                        "WHERE (SELECT COUNT(*) FROM SYYSKB T WHERE T.XSNO = H.XSNO) <> 1 ORDER BY H.XSNO"),
         std::nullopt},
        {QStringLiteral("sale-stock"),
         QStringLiteral("a stock-checked sale took from batches and moved out of the store what it sold, per product"),
         saleStockSql(), std::nullopt},
        {QStringLiteral("batch-remainder"), QStringLiteral("no batch gives more than it received, nor less than nothing"),
         QStringLiteral("SELECT JHDNO, SPNO, SL, XSSL FROM JHDMXB WHERE XSSL < -%1 OR XSSL > SL + %1 ORDER BY JHDNO, SPNO")
             .arg(kQuantityEpsilon),
         std::nullopt},
        {QStringLiteral("batch-drawn"), QStringLiteral("what a batch gave is what sales, losses and supplier returns took from it"),
         batchDrawnSql(), std::nullopt},
        {QStringLiteral("store-balance"), QStringLiteral("no store holds less than nothing of a product"), storeBalanceSql(),
         std::nullopt},
        {QStringLiteral("store-balance-kept"),
         QStringLiteral("each kept store balance equals the sum of its movement lines"), storeBalanceKeptSql(),
         std::nullopt},
        {QStringLiteral("batches-match-stores"),
         QStringLiteral("per product, the batches' remainders add up to the stores' balances"), batchesMatchStoresSql(),
         std::nullopt},
        {QStringLiteral("client-ledger-chain"),
         QStringLiteral("each client ledger row's balance is the previous one, lowered by 借 and raised by 贷"),
         ledgerChainSql(QStringLiteral("KHJSWLB"), QStringLiteral("KHNO"), false), std::nullopt},
        {QStringLiteral("supplier-ledger-chain"),
         QStringLiteral("each supplier ledger row's balance is the previous one, raised by 借 and lowered by 贷"),
         ledgerChainSql(QStringLiteral("GYSJSWLB"), QStringLiteral("CSNO"), true), std::nullopt},
        {QStringLiteral("numbers-unique"),
         QStringLiteral("every document number is used once, and a movement number by one document"), numbersUniqueSql(),
         std::nullopt},
    };
    return list;
}

std::vector<IntegrityProblem> IntegrityCheck::run(int rowsPerRule) {
    std::vector<IntegrityProblem> problems;
    Snapshot snapshot(m_connection);
    for (const IntegrityRule& rule : rules()) {
        if (rule.only && *rule.only != m_connection.backend()) continue;
        try {
            Statement s(m_connection, rule.sql);
            s.exec();
            int rows = 0;
            while (s.next()) {
                if (++rows > rowsPerRule) continue;
                const QSqlRecord record = s.query().record();
                QStringList fields;
                for (int i = 0; i < record.count(); ++i)
                    fields << record.fieldName(i).toUpper() + u'=' + cell(s.value(i));
                problems.push_back({rule.name, fields.join(QStringLiteral(", "))});
            }
            if (rows > rowsPerRule)
                problems.push_back({rule.name, QStringLiteral("and %1 more rows").arg(rows - rowsPerRule)});
        } catch (const Error& e) {
            problems.push_back({rule.name, QStringLiteral("could not be checked: %1").arg(e.message())});
            // A failed statement ends a PostgreSQL transaction; the next rule needs a fresh one.
            snapshot.restart();
        }
    }
    return problems;
}

}  // namespace db
