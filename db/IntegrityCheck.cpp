#include "db/IntegrityCheck.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/SqliteFile.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "db/StockLedger.h"
#include "db/StockSummary.h"

#include <QSqlRecord>
#include <QStringList>
#include <optional>

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
// rows, losses and returns to the supplier, less what clients returned to it. Stocktake
// shortfalls draw on a product's oldest batches without a row per batch, so per product
// the batches may have given beyond the records at most the stocktake shortfalls (less when
// the batches held less); no batch gave less than its records.
QString batchDrawnSql() {
    return QStringLiteral(
               "WITH D AS (SELECT JHDNO, SPNO, XSSL AS Q FROM XSCBB "
               "UNION ALL SELECT JHDNO, SPNO, SL FROM BSB WHERE JHDNO IS NOT NULL "
               "UNION ALL SELECT JHDNO, SPNO, SL FROM GYSTHMXB WHERE JHDNO IS NOT NULL "
               "UNION ALL SELECT JHDNO, SPNO, -SL FROM KHTHMXB WHERE JHDNO IS NOT NULL), "
               "S AS (SELECT JHDNO, SPNO, SUM(Q) AS Q FROM D GROUP BY JHDNO, SPNO), "
               "B AS (SELECT B.JHDNO, B.SPNO, B.XSSL, COALESCE(S.Q, 0) AS DRAWN FROM JHDMXB B "
               "LEFT JOIN S ON S.JHDNO = B.JHDNO AND S.SPNO = B.SPNO), "
               "L AS (SELECT SPNO, SUM(SL) AS Q FROM QTJHDMXB WHERE WLTYPE = %2 GROUP BY SPNO) "
               "SELECT JHDNO, SPNO, XSSL, DRAWN, NULL AS STOCKTAKE_LOSS FROM B WHERE XSSL - DRAWN < -%1 "
               "UNION ALL SELECT NULL, B.SPNO, SUM(B.XSSL), SUM(B.DRAWN), MAX(COALESCE(L.Q, 0)) FROM B "
               "LEFT JOIN L ON L.SPNO = B.SPNO GROUP BY B.SPNO HAVING SUM(B.XSSL - B.DRAWN) > MAX(COALESCE(L.Q, 0)) + %1 "
               "ORDER BY 2, 1")
        .arg(kQuantityEpsilon, quoted(MovementKind::StocktakeLoss));
}

// Each stock document moved what its lines say, per document and product, and no
// movement of its kinds lacks its lines: receiving and stocktake gain batches, supplier
// returns, client returns and losses.
// Document lines against the movement lines naming their document, per product: `lineValue`
// of the lines (a column of each table) against `movedValue` of the movements.
struct DocumentLines { const char* lines; const char* key; const char* amount; QStringList kinds; };

QString linesAgainstMovementsSql(const std::vector<DocumentLines>& tables, bool amounts, const QString& epsilon) {
    QStringList parts;
    for (const DocumentLines& p : tables) {
        QStringList kinds;
        for (const QString& k : p.kinds) kinds << quoted(k);
        parts << QStringLiteral(
                     "SELECT '%1' AS TABLE_NAME, X.DOC AS DOCUMENT, X.SPNO, SUM(X.LQ) AS LINES, SUM(X.MQ) AS MOVED FROM "
                     "(SELECT %2 AS DOC, SPNO, %5 AS LQ, 0 AS MQ FROM %1 "
                     "UNION ALL SELECT JHDNO, SPNO, 0, %6 FROM QTJHDMXB WHERE WLTYPE IN (%3)) X "
                     "GROUP BY X.DOC, X.SPNO HAVING ABS(SUM(X.LQ) - SUM(X.MQ)) > %4")
                     .arg(QLatin1String(p.lines), QLatin1String(p.key), kinds.join(QStringLiteral(", ")), epsilon,
                          amounts ? QLatin1String(p.amount) : QLatin1String("SL"),
                          amounts ? QLatin1String("CBJE") : QLatin1String("SL"));
    }
    return parts.join(QStringLiteral(" UNION ALL "));
}

const std::vector<DocumentLines>& stockDocumentLines() {
    static const std::vector<DocumentLines> tables = {
        {"JHDMXB", "JHDNO", "ZJE", {MovementKind::Receive, MovementKind::StocktakeGain}},
        {"GYSTHMXB", "THDNO", "JE", {MovementKind::SupplierReturn}},
        {"KHTHMXB", "THDNO", nullptr, {MovementKind::ClientReturn}},
        {"BSB", "BSDNO", "JE", {MovementKind::Loss}},
    };
    return tables;
}

QString documentMovementsSql() { return linesAgainstMovementsSql(stockDocumentLines(), false, kQuantityEpsilon); }

// The cost amount a movement line carries is its document's: what the receipt, the return
// to the supplier or the loss recorded, and the sale's cost rows. A client return is valued
// at the cost of the sale it undoes and has no amount of its own to compare with.
QString movementCostSql() {
    std::vector<DocumentLines> tables;
    for (const DocumentLines& t : stockDocumentLines())
        if (t.amount) tables.push_back(t);
    tables.push_back({"XSCBB", "XSNO", "ZJE", {MovementKind::Sale}});
    return linesAgainstMovementsSql(tables, true, kMoneyEpsilon);
}

// A transfer moves each product out of one store and into another under one movement
// number, which is also its document number.
QString transfersPairedSql() {
    return QStringLiteral(
               "SELECT WLNO, SPNO, SUM(CASE WHEN WLTYPE = %1 THEN SL ELSE 0 END) AS MOVED_OUT, "
               "SUM(CASE WHEN WLTYPE = %2 THEN SL ELSE 0 END) AS MOVED_IN, "
               "SUM(CASE WHEN JHDNO = WLNO THEN 0 ELSE 1 END) AS OTHER_DOCUMENT FROM QTJHDMXB "
               "WHERE WLTYPE IN (%1, %2) GROUP BY WLNO, SPNO "
               "HAVING ABS(SUM(CASE WHEN WLTYPE = %1 THEN SL ELSE -SL END)) > %3 "
               "OR SUM(CASE WHEN JHDNO = WLNO THEN 0 ELSE 1 END) > 0 ORDER BY WLNO, SPNO")
        .arg(quoted(MovementKind::TransferOut), quoted(MovementKind::TransferIn), kQuantityEpsilon);
}

// What clients returned of a sale's batch is what the return lines recorded.
QString clientReturnsRecordedSql() {
    return QStringLiteral(
               "SELECT X.XSNO, X.JHDNO, X.SPNO, SUM(X.T) AS RAISED, SUM(X.R) AS RETURN_LINES FROM "
               "(SELECT XSNO, JHDNO, SPNO, THSL AS T, 0 AS R FROM XSCBB WHERE THSL <> 0 "
               "UNION ALL SELECT XSNO, JHDNO, SPNO, 0, SL FROM KHTHMXB) X "
               "GROUP BY X.XSNO, X.JHDNO, X.SPNO HAVING ABS(SUM(X.T) - SUM(X.R)) > %1 ORDER BY 1, 2, 3")
        .arg(kQuantityEpsilon);
}

// A wholesale sale is one 贷 row of its amount on the client's account and 借 rows of what
// was paid, all naming the sale; no such row names anything else. The sale's amount is
// stored to the cent, the ledger's as entered, hence half a cent.
QString wholesaleLedgerSql() {
    return QStringLiteral(
               "SELECT H.XSNO, H.KHNO, H.SPZE, H.SKZE, SUM(CASE WHEN L.JD = '贷' THEN 1 ELSE 0 END) AS SALE_ROWS, "
               "COALESCE(SUM(CASE WHEN L.JD = '贷' THEN L.DF END), 0) AS DUE, "
               "COALESCE(SUM(CASE WHEN L.JD = '借' THEN L.JF END), 0) AS PAID FROM XSB H "
               "LEFT JOIN KHJSWLB L ON L.DJBH = H.XSNO AND L.KHNO = H.KHNO WHERE H.KHLX = 'P' "
               "GROUP BY H.XSNO, H.KHNO, H.SPZE, H.SKZE "
               "HAVING SUM(CASE WHEN L.JD = '贷' THEN 1 ELSE 0 END) <> 1 "
               "OR ABS(COALESCE(SUM(CASE WHEN L.JD = '贷' THEN L.DF END), 0) - H.SPZE) > 0.00505 "
               "OR ABS(COALESCE(SUM(CASE WHEN L.JD = '借' THEN L.JF END), 0) - H.SKZE) > %1 "
               "UNION ALL SELECT L.DJBH, L.KHNO, NULL, NULL, NULL, L.DF, L.JF FROM KHJSWLB L "
               "WHERE L.ZY IN ('批发销售', '批发收款') AND NOT EXISTS "
               "(SELECT 1 FROM XSB H WHERE H.XSNO = L.DJBH AND H.KHNO = L.KHNO AND H.KHLX = 'P') "
               "ORDER BY 1")
        .arg(kMoneyEpsilon);
}

// A hand-in records as due exactly the takings it marked: per cashier and day, the
// hand-ins' amounts due add up to the takings marked handed in.
QString handInSql() {
    return QStringLiteral(
               "SELECT X.CASHIER, X.DAY, SUM(X.DUE) AS HANDED_IN_DUE, SUM(X.MARKED) AS MARKED_TAKINGS FROM "
               "(SELECT SYYNO AS CASHIER, date10(JKDATE) AS DAY, YJJE AS DUE, 0 AS MARKED FROM SYYJKB "
               "UNION ALL SELECT BNNO, date10(SKDATE), 0, SKMONEY FROM SYYSKB WHERE JKFLAG = 1) X "
               "GROUP BY X.CASHIER, X.DAY HAVING ABS(SUM(X.DUE) - SUM(X.MARKED)) > %1 ORDER BY 1, 2")
        .arg(kMoneyEpsilon);
}

QStringList quickCheckFindings(Connection& c) {
    int code = 0;
    const QStringList findings = SqliteFile::quickCheck(sqliteHandle(c), &code);
    if (code != 0) throw Error(findings.join(QStringLiteral("; ")), ErrorKind::Damaged);
    QStringList rows;
    for (const QString& f : findings) rows << QStringLiteral("MESSAGE=") + f;
    return rows;
}

// The carry-forward positions plus the movements since add up to the store balances.
QStringList monthEndFindings(Connection& c) {
    QStringList rows;
    for (const QString& product : StockSummary(c).productsOffBalance()) rows << QStringLiteral("SPNO=") + product;
    return rows;
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
// would allow it), and one movement number belongs to one document (a stocktake's to it alone).
QString numbersUniqueSql() {
    const std::pair<const char*, const char*> keys[] = {
        {"XSB", "XSNO"}, {"JHDSJB", "JHDNO"}, {"GYSTHSJB", "THDNO"}, {"KHTHSJB", "THDNO"},
        {"KHJSWLB", "JSNO"}, {"GYSJSWLB", "JSNO"}, {"SYYJKB", "JKLSNO"}};
    QStringList parts;
    for (const auto& [table, key] : keys)
        parts << QStringLiteral("SELECT '%1' AS TABLE_NAME, %2 AS NUMBER, COUNT(*) AS USES FROM %1 GROUP BY %2 HAVING COUNT(*) > 1")
                     .arg(QLatin1String(table), QLatin1String(key));
    // Applying a stocktake is the one posting whose movement number spans documents: its
    // gain batches, one per store and supplier, and its shortfalls.
    parts << QStringLiteral("SELECT 'QTJHDMXB', WLNO, COUNT(DISTINCT COALESCE(JHDNO, '')) FROM QTJHDMXB GROUP BY WLNO "
                            "HAVING COUNT(DISTINCT COALESCE(JHDNO, '')) > 1 "
                            "AND SUM(CASE WHEN WLTYPE IN (%1, %2) THEN 0 ELSE 1 END) > 0")
                 .arg(quoted(MovementKind::StocktakeGain), quoted(MovementKind::StocktakeLoss));
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
        {QStringLiteral("sqlite-quick-check"), QStringLiteral("the SQLite file passes its quick check"), QString(),
         Backend::Sqlite, quickCheckFindings},
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
        {QStringLiteral("batch-drawn"),
         QStringLiteral("what a batch gave is what sales, losses and supplier returns took from it, less client returns, "
                        "and per product at most the stocktake shortfalls beyond that"),
         batchDrawnSql(), std::nullopt},
        {QStringLiteral("document-movements"),
         QStringLiteral("receiving, stocktake gain, return and loss lines moved the store by their quantity, per product"),
         documentMovementsSql(), std::nullopt},
        {QStringLiteral("movement-cost"),
         QStringLiteral("a movement line's cost amount is what its receipt, supplier return, loss or sale cost rows recorded, "
                        "per document and product"),
         movementCostSql(), std::nullopt},
        {QStringLiteral("transfers-paired"),
         QStringLiteral("a transfer moves each product out of one store and into another by the same quantity"),
         transfersPairedSql(), std::nullopt},
        {QStringLiteral("client-return-within-sale"),
         QStringLiteral("no sale's cost row has more returned than it sold, nor less than nothing"),
         QStringLiteral("SELECT ID, XSNO, JHDNO, SPNO, XSSL, THSL FROM XSCBB WHERE THSL < -%1 OR THSL > XSSL + %1 ORDER BY ID")
             .arg(kQuantityEpsilon),
         std::nullopt},
        {QStringLiteral("client-returns-recorded"),
         QStringLiteral("what a sale's batch shows returned is what the client return lines recorded"),
         clientReturnsRecordedSql(), std::nullopt},
        {QStringLiteral("sale-line-day"), QStringLiteral("each sale line's day is the day of its sale"),
         QStringLiteral("SELECT M.ID, M.XSNO, M.XSDAY, date10(H.XSDATE) AS SALE_DAY FROM XSMXB M JOIN XSB H ON H.XSNO = M.XSNO "
                        "WHERE M.XSDAY IS NULL OR M.XSDAY <> date10(H.XSDATE) ORDER BY M.ID"),
         std::nullopt},
        {QStringLiteral("wholesale-ledger"),
         QStringLiteral("a wholesale sale has its amount and its payment on the client's account, naming the sale"),
         wholesaleLedgerSql(), std::nullopt},
        {QStringLiteral("hand-in-takings"),
         QStringLiteral("per cashier and day, the hand-ins' amounts due are the takings marked handed in"), handInSql(),
         std::nullopt},
        {QStringLiteral("month-end-balance"),
         QStringLiteral("the last carry-forward's positions plus the movements since are the store balances, per product"),
         QString(), std::nullopt, monthEndFindings},
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
        // PostgreSQL checks the references of the stocktake rows by statement triggers rather
        // than foreign keys; a stocktake row naming nothing would be counted for nothing.
        {QStringLiteral("stocktake-references"),
         QStringLiteral("every stocktake row names a product and a store that exist"),
         QStringLiteral("SELECT Y.SPNO, Y.CKNO FROM YPDSJB Y WHERE NOT EXISTS (SELECT 1 FROM SPB P WHERE P.SPNO = Y.SPNO) "
                        "OR NOT EXISTS (SELECT 1 FROM STORE S WHERE S.CKNO = Y.CKNO) ORDER BY Y.SPNO, Y.CKNO"),
         std::nullopt},
        // Likewise the references of the rows a sale writes.
        {QStringLiteral("sale-references"),
         QStringLiteral("every sale line, cost row and movement line names a sale, batch, product, clerk and store that exist"),
         QStringLiteral(
             "SELECT 'XSMXB' AS TABLE_NAME, M.ID, M.XSNO AS DOCUMENT, M.SPNO FROM XSMXB M "
             "WHERE NOT EXISTS (SELECT 1 FROM XSB H WHERE H.XSNO = M.XSNO) OR NOT EXISTS (SELECT 1 FROM SPB P WHERE P.SPNO = M.SPNO) "
             "OR (M.ZYNO IS NOT NULL AND NOT EXISTS (SELECT 1 FROM GZRYB G WHERE G.ZYNO = M.ZYNO)) "
             "UNION ALL SELECT 'XSCBB', C.ID, C.XSNO, C.SPNO FROM XSCBB C "
             "WHERE NOT EXISTS (SELECT 1 FROM XSB H WHERE H.XSNO = C.XSNO) "
             "OR NOT EXISTS (SELECT 1 FROM JHDMXB J WHERE J.JHDNO = C.JHDNO AND J.SPNO = C.SPNO) "
             "OR (C.ZYNO IS NOT NULL AND NOT EXISTS (SELECT 1 FROM GZRYB G WHERE G.ZYNO = C.ZYNO)) "
             "UNION ALL SELECT 'QTJHDMXB', Q.ID, Q.WLNO, Q.SPNO FROM QTJHDMXB Q "
             "WHERE NOT EXISTS (SELECT 1 FROM SPB P WHERE P.SPNO = Q.SPNO) OR NOT EXISTS (SELECT 1 FROM STORE S WHERE S.CKNO = Q.CKNO) "
             "ORDER BY 1, 2"),
         std::nullopt},
        {QStringLiteral("numbers-unique"),
         QStringLiteral("every document number is used once, and a movement number by one document"), numbersUniqueSql(),
         std::nullopt},
    };
    return list;
}

std::vector<IntegrityProblem> IntegrityCheck::inspectFile(const QString& path) {
    std::vector<IntegrityProblem> problems;
    const SqliteFile file = SqliteFile::inspect(path);
    if (file.state == SqliteFile::State::Damaged)
        for (const QString& finding : file.problems)
            problems.push_back({QStringLiteral("sqlite-quick-check"), QStringLiteral("MESSAGE=") + finding});
    return problems;
}

std::vector<IntegrityProblem> IntegrityCheck::run(int rowsPerRule) {
    std::vector<IntegrityProblem> problems;
    Snapshot snapshot(m_connection);
    for (const IntegrityRule& rule : rules()) {
        if (rule.only && *rule.only != m_connection.backend()) continue;
        // Inside a caller's transaction (a copy checks its target before committing) each
        // rule runs in a savepoint: a rule that fails on PostgreSQL must not abort the rest.
        std::optional<Transaction> savepoint;
        if (m_connection.inTransaction()) savepoint.emplace(m_connection);
        try {
            if (rule.check) {
                const QStringList rows = rule.check(m_connection);
                for (int i = 0; i < rows.size() && i < rowsPerRule; ++i) problems.push_back({rule.name, rows[i]});
                if (rows.size() > rowsPerRule)
                    problems.push_back({rule.name, QStringLiteral("and %1 more rows").arg(rows.size() - rowsPerRule)});
                if (savepoint) savepoint->commit();
                continue;
            }
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
            s.query().finish();
            if (savepoint) savepoint->commit();
        } catch (const Error& e) {
            savepoint.reset();
            problems.push_back({rule.name, QStringLiteral("could not be checked: %1").arg(e.message())});
            // A failed statement ends a PostgreSQL transaction; the next rule needs a fresh one.
            snapshot.restart();
        }
    }
    return problems;
}

}  // namespace db
