#include "db/StockDocuments.h"

#include "db/AccountLedger.h"
#include "db/Comm.h"
#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <QSet>
#include <QStringList>
#include <cmath>

namespace db {

namespace {

// Quantities are doubles: a difference below this is rounding, not stock.
constexpr double kQuantityEpsilon = 1e-9;
// Rows per multi-row insert, below every backend's limit of bound values.
constexpr int kRowsPerStatement = 100;

void refuseEmpty(size_t lines) {
    if (lines == 0) throw Error(QStringLiteral("单据没有明细，不能保存"));
}

void checkLine(const QString& productNo, double quantity) {
    if (productNo.isEmpty() || productNo.size() > kStockDocumentProductNoLength)
        throw Error(QStringLiteral("商品编号不对：%1").arg(productNo));
    if (!std::isfinite(quantity) || !(quantity > 0))
        throw Error(QStringLiteral("商品 %1 的数量必须大于零").arg(productNo));
}

// Refuses a document without lines or with a line not fit to post; returns the document's
// amount, each line at its price.
template <typename Line>
Money checkedTotal(const std::vector<Line>& lines) {
    refuseEmpty(lines.size());
    Money total;
    for (const Line& l : lines) {
        checkLine(l.productNo, l.quantity);
        // A batch bought at less than nothing would turn the supplier's balance and every
        // cost drawn from it upside down.
        if (l.price.isNegative()) throw Error(QStringLiteral("商品 %1 的单价不能为负数").arg(l.productNo));
        total += l.price.times(l.quantity);
    }
    return total;
}

// The movement lines of priced lines, each worth its amount at the line's price.
template <typename Line>
std::vector<Movement> pricedMovements(const std::vector<Line>& lines, const QString& kind) {
    std::vector<Movement> movements;
    for (const Line& l : lines)
        movements.push_back({l.productNo, l.productName, l.unit, l.quantity, l.storeNo, kind, l.price.times(l.quantity)});
    return movements;
}

// A document's own number and its movement number ("W", the tills' counter too: see
// DocumentNumbers for where it is drawn). Drawn ahead of the transaction, taken inside it.
DocumentNumbers documentNumbers(Connection& c, const QString& serialType) {
    return DocumentNumbers(c, {serialType, QStringLiteral("W")});
}

void takeNumbers(PostedStockDocument& posted, DocumentNumbers& numbers, Transaction& tx) {
    const QStringList drawn = numbers.in(tx);
    posted.documentNo = drawn[0];
    posted.movementNo = drawn[1];
}

// The document's one row in its account's ledger; the ledger number and new balance go
// back with the document.
void postToAccount(Connection& c, AccountKind account, const LedgerEntry& entry, PostedStockDocument& posted) {
    const PostedLedgerRow row = AccountLedger(c, account).post(entry);
    posted.ledgerNo = row.rowNo;
    posted.balance = row.balance;
}

// Inserts rows of one shape, `columns` values each, in statements of kRowsPerStatement rows.
// `bindRow(statement, row, prefix)` binds the row's values to :<prefix><column index>.
template <typename BindRow>
void insertRows(Connection& c, const QString& head, int columns, size_t rows, BindRow bindRow) {
    for (size_t from = 0; from < rows; from += kRowsPerStatement) {
        const int n = int(std::min<size_t>(kRowsPerStatement, rows - from));
        QStringList tuples;
        for (int r = 0; r < n; ++r) {
            QStringList values;
            for (int k = 0; k < columns; ++k) values << QStringLiteral(":r%1c%2").arg(r).arg(k);
            tuples << u'(' + values.join(QStringLiteral(", ")) + u')';
        }
        Statement insert(c, head + QStringLiteral(" VALUES ") + tuples.join(QStringLiteral(", ")));
        for (int r = 0; r < n; ++r) bindRow(insert, from + size_t(r), QStringLiteral(":r%1c").arg(r));
        insert.exec();
    }
}

QString col(const QString& prefix, int k) { return prefix + QString::number(k); }

}  // namespace

bool StockDocuments::storeChecking() {
    return GetSysVariable(m_connection, QStringLiteral("isCheckStore")) == QLatin1String("-1");
}

std::optional<StockProduct> StockDocuments::findProduct(const QString& code) {
    if (code.isEmpty() || code.size() > kStockDocumentProductNoLength) return std::nullopt;
    Statement s(m_connection, QStringLiteral("Select SPNO, SPNAME, SPDW, CBJG From SPB Where SPNO = :SPNO"));
    s.bind(QStringLiteral(":SPNO"), code);
    if (!s.first()) return std::nullopt;
    StockProduct p{s.text(0), s.text(1), s.text(2), s.money(3)};
    s.query().finish();
    return p;
}

namespace {
std::vector<BatchRow> readBatches(Statement& s) {
    s.exec();
    std::vector<BatchRow> rows;
    while (s.next())
        rows.push_back({s.text(0), s.text(1), s.text(2), s.text(3), s.money(4), s.real(5), s.real(6)});
    return rows;
}
}  // namespace

std::vector<BatchRow> StockDocuments::lossBatches(const QString& productNo) {
    Statement s(m_connection, QStringLiteral(
        "SELECT JHDNO, SPNO, SPNAME, JSDW, DJ, SL - XSSL AS bssl, SL FROM JHDMXB "
        "WHERE SPNO = :spno AND SL - XSSL > 0.000000001 ORDER BY JHDNO LIMIT 100"));
    s.bind(QStringLiteral(":spno"), productNo);
    return readBatches(s);
}

std::vector<BatchRow> StockDocuments::supplierBatches(const QString& supplierNo, const QString& productNo) {
    Statement s(m_connection, QStringLiteral(
        "SELECT M.JHDNO, M.SPNO, M.SPNAME, M.JSDW, M.DJ, M.SL - M.XSSL AS bssl, M.SL FROM JHDMXB M, JHDSJB J "
        "WHERE M.JHDNO = J.JHDNO AND J.CSNO = :CSNO AND M.SPNO = :spno AND M.SL - M.XSSL > 0.000000001 "
        "ORDER BY M.JHDNO DESC LIMIT 100"));
    s.bind(QStringLiteral(":CSNO"), supplierNo).bind(QStringLiteral(":spno"), productNo);
    return readBatches(s);
}

std::vector<ReturnableSale> StockDocuments::returnableSales(const QString& clientNo, const QString& productNo) {
    // A product sold on two lines of one sale may have two cost rows of one batch: they are
    // one returnable part when their price is the same.
    Statement s(m_connection, QStringLiteral(
        "SELECT C.XSNO, C.JHDNO, C.SPNO, MAX(C.SPNAME), SUM(C.XSSL - C.THSL), MAX(C.DJ), C.SJ FROM XSB X, XSCBB C "
        "WHERE X.XSNO = C.XSNO AND X.KHNO = :KHNO AND C.SPNO = :SPNO AND X.ZFBZ = 0 "
        "GROUP BY C.XSNO, C.JHDNO, C.SPNO, C.SJ HAVING SUM(C.XSSL - C.THSL) > 0.000000001 "
        "ORDER BY MAX(C.CZDATE) DESC, C.XSNO DESC, C.JHDNO LIMIT 100"));
    s.bind(QStringLiteral(":KHNO"), clientNo).bind(QStringLiteral(":SPNO"), productNo);
    s.exec();
    std::vector<ReturnableSale> rows;
    while (s.next()) rows.push_back({s.text(0), s.text(1), s.text(2), s.text(3), s.real(4), s.money(5), s.money(6)});
    return rows;
}

PostedStockDocument StockDocuments::receive(const Receiving& d) {
    PostedStockDocument posted;
    posted.total = checkedTotal(d.lines);
    // A batch is one product of one receipt: the same product twice would be two batches
    // under one key.
    QSet<QString> products;
    for (const ReceivingLine& l : d.lines) {
        if (products.contains(l.productNo)) throw Error(QStringLiteral("商品 %1 在单据中出现两次").arg(l.productNo));
        products.insert(l.productNo);
    }
    DocumentNumbers numbers = documentNumbers(m_connection, QStringLiteral("J"));
    Transaction tx(m_connection, Transaction::Kind::Document);
    takeNumbers(posted, numbers, tx);

    Statement header(m_connection, QStringLiteral(
        "INSERT INTO JHDSJB(JHDNO, JHNO, CSNO, JBR, DJDATE, BZ, BNNO, CZDATE) "
        "VALUES(:JHDNO, :JHNO, :CSNO, :JBR, :DJDATE, :BZ, :BNNO, getdate())"));
    header.bind(QStringLiteral(":JHDNO"), posted.documentNo)
        .bind(QStringLiteral(":JHNO"), d.supplierDocumentNo)
        .bind(QStringLiteral(":CSNO"), d.supplierNo)
        .bindTextOrNull(QStringLiteral(":JBR"), d.handlerNo)
        .bind(QStringLiteral(":DJDATE"), d.documentDate.isValid() ? d.documentDate : QDateTime::currentDateTime())
        .bind(QStringLiteral(":BZ"), d.remark)
        .bindTextOrNull(QStringLiteral(":BNNO"), d.operatorNo)
        .exec();

    insertRows(m_connection, QStringLiteral("INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO)"), 9,
               d.lines.size(), [&](Statement& s, size_t i, const QString& p) {
                   const ReceivingLine& l = d.lines[i];
                   s.bind(col(p, 0), posted.documentNo).bind(col(p, 1), l.productNo).bind(col(p, 2), l.productName)
                       .bind(col(p, 3), l.unit).bind(col(p, 4), l.price).bind(col(p, 5), l.quantity)
                       .bind(col(p, 6), 0.0).bind(col(p, 7), l.price.times(l.quantity)).bind(col(p, 8), l.storeNo);
               });

    StockLedger(m_connection)
        .recordMovements(posted.movementNo, posted.documentNo, pricedMovements(d.lines, MovementKind::Receive), false);

    // The shop owes the supplier the received amount.
    postToAccount(m_connection, AccountKind::Supplier,
                  {d.supplierNo, AccountSide::Debit, posted.total, d.supplierDocumentNo, QStringLiteral("商品入库"),
                   posted.documentNo, d.operatorNo},
                  posted);
    tx.commit();
    return posted;
}

void StockDocuments::takeFromBatch(const QString& batchNo, const QString& productNo, double quantity,
                                   const QString& supplierNo) {
    // The remainder is re-checked by the update itself: a batch another till drew on since
    // the line was entered no longer qualifies and the document fails.
    QString sql = QStringLiteral(
        "UPDATE JHDMXB SET XSSL = XSSL + :q WHERE JHDNO = :j AND SPNO = :s AND SL - XSSL >= :guard");
    if (!supplierNo.isEmpty()) sql += QStringLiteral(" AND JHDNO IN (SELECT JHDNO FROM JHDSJB WHERE CSNO = :csno)");
    Statement take(m_connection, sql);
    take.bind(QStringLiteral(":q"), quantity).bind(QStringLiteral(":j"), batchNo).bind(QStringLiteral(":s"), productNo)
        .bind(QStringLiteral(":guard"), quantity - kQuantityEpsilon);
    if (!supplierNo.isEmpty()) take.bind(QStringLiteral(":csno"), supplierNo);
    take.exec();
    if (take.rowsAffected() != 1)
        throw Error(QStringLiteral("批次 %1 的商品 %2 余量不足 %3").arg(batchNo, productNo).arg(quantity),
                    ErrorKind::Shortage);
}

PostedStockDocument StockDocuments::returnToSupplier(const SupplierReturn& d) {
    PostedStockDocument posted;
    posted.total = checkedTotal(d.lines);
    if (d.supplierNo.isEmpty()) throw Error(QStringLiteral("退货单没有供应商"));
    const bool guardStores = storeChecking();
    DocumentNumbers numbers = documentNumbers(m_connection, QStringLiteral("T"));
    Transaction tx(m_connection, Transaction::Kind::Document);
    takeNumbers(posted, numbers, tx);

    Statement header(m_connection, QStringLiteral(
        "INSERT INTO GYSTHSJB(THDNO, CSNO, BNNO, CZDATE) VALUES(:THDNO, :CSNO, :BNNO, getdate())"));
    header.bind(QStringLiteral(":THDNO"), posted.documentNo).bind(QStringLiteral(":CSNO"), d.supplierNo)
        .bindTextOrNull(QStringLiteral(":BNNO"), d.operatorNo).exec();
    for (const BatchLine& l : d.lines) takeFromBatch(l.batchNo, l.productNo, l.quantity, d.supplierNo);
    insertRows(m_connection, QStringLiteral("INSERT INTO GYSTHMXB(THDNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE)"), 8,
               d.lines.size(), [&](Statement& s, size_t i, const QString& p) {
                   const BatchLine& l = d.lines[i];
                   s.bind(col(p, 0), posted.documentNo).bind(col(p, 1), l.batchNo).bind(col(p, 2), l.productNo)
                       .bind(col(p, 3), l.productName).bind(col(p, 4), l.unit).bind(col(p, 5), l.quantity)
                       .bind(col(p, 6), l.price).bind(col(p, 7), l.price.times(l.quantity));
               });
    StockLedger(m_connection)
        .recordMovements(posted.movementNo, posted.documentNo, pricedMovements(d.lines, MovementKind::SupplierReturn),
                         guardStores);

    // The shop owes the supplier less by what went back.
    postToAccount(m_connection, AccountKind::Supplier,
                  {d.supplierNo, AccountSide::Credit, posted.total, QString(), QStringLiteral("退货给供应商"),
                   posted.documentNo, d.operatorNo},
                  posted);
    tx.commit();
    return posted;
}

PostedStockDocument StockDocuments::returnFromClient(const ClientReturn& d) {
    PostedStockDocument posted;
    posted.total = checkedTotal(d.lines);
    if (d.clientNo.isEmpty()) throw Error(QStringLiteral("退货单没有客户"));
    DocumentNumbers numbers = documentNumbers(m_connection, QStringLiteral("c"));
    Transaction tx(m_connection, Transaction::Kind::Document);
    takeNumbers(posted, numbers, tx);

    Statement header(m_connection, QStringLiteral(
        "INSERT INTO KHTHSJB(THDNO, KHNO, BNNO, CZDATE) VALUES(:THDNO, :KHNO, :BNNO, getdate())"));
    header.bind(QStringLiteral(":THDNO"), posted.documentNo).bind(QStringLiteral(":KHNO"), d.clientNo)
        .bindTextOrNull(QStringLiteral(":BNNO"), d.operatorNo).exec();

    // The cost rows of the client's sale, batch and price, oldest first, locked: the
    // returned quantity is spread over them, each guarded.
    Statement rows(m_connection, QStringLiteral(
        "SELECT ID, XSSL - THSL, DJ FROM XSCBB WHERE XSNO = :x AND JHDNO = :j AND SPNO = :s "
        "AND ABS(SJ - :p) < 0.00005 AND XSSL - THSL > 0.000000001 "
        "AND XSNO IN (SELECT XSNO FROM XSB WHERE KHNO = :k AND ZFBZ = 0) ORDER BY ID%1")
        .arg(m_connection.dialect().lockRowsSql()));
    Statement returnRow(m_connection, QStringLiteral(
        "UPDATE XSCBB SET THSL = THSL + :q WHERE ID = :id AND XSSL - THSL >= :guard"));
    // The goods go back to the batch the sale took them from.
    Statement giveBack(m_connection, QStringLiteral(
        "UPDATE JHDMXB SET XSSL = CASE WHEN XSSL > CAST(:q1 AS DOUBLE PRECISION) THEN XSSL - CAST(:q2 AS DOUBLE PRECISION) "
        "ELSE 0 END WHERE JHDNO = :j AND SPNO = :s AND XSSL >= :guard"));
    std::vector<Money> costs;
    for (const ClientReturnLine& l : d.lines) {
        rows.bind(QStringLiteral(":x"), l.saleNo).bind(QStringLiteral(":j"), l.batchNo).bind(QStringLiteral(":s"), l.productNo)
            .bind(QStringLiteral(":p"), l.price).bind(QStringLiteral(":k"), d.clientNo);
        rows.exec();
        std::vector<std::pair<qint64, double>> open;
        Money soldAtCost;   // what the returned goods cost when they were sold
        while (rows.next()) {
            open.push_back({rows.integer(0), rows.real(1)});
            soldAtCost = std::max(soldAtCost, rows.money(2));
        }
        rows.query().finish();
        costs.push_back(soldAtCost.times(l.quantity));
        double left = l.quantity;
        for (const auto& [id, returnable] : open) {
            if (left <= kQuantityEpsilon) break;
            const double take = std::min(left, returnable);
            returnRow.bind(QStringLiteral(":q"), take).bind(QStringLiteral(":id"), id)
                .bind(QStringLiteral(":guard"), take - kQuantityEpsilon).exec();
            if (returnRow.rowsAffected() != 1) break;
            left -= take;
        }
        if (left > kQuantityEpsilon)
            throw Error(QStringLiteral("销售 %1 的商品 %2 可退数量不足 %3").arg(l.saleNo, l.productNo).arg(l.quantity),
                        ErrorKind::Shortage);
        giveBack.bind(QStringLiteral(":q1"), l.quantity).bind(QStringLiteral(":q2"), l.quantity)
            .bind(QStringLiteral(":j"), l.batchNo).bind(QStringLiteral(":s"), l.productNo)
            .bind(QStringLiteral(":guard"), l.quantity - kQuantityEpsilon).exec();
        if (giveBack.rowsAffected() != 1)
            throw Error(QStringLiteral("批次 %1 的商品 %2 不能退回 %3").arg(l.batchNo, l.productNo).arg(l.quantity),
                        ErrorKind::Shortage);
    }
    insertRows(m_connection, QStringLiteral("INSERT INTO KHTHMXB(THDNO, XSNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE)"), 9,
               d.lines.size(), [&](Statement& s, size_t i, const QString& p) {
                   const ClientReturnLine& l = d.lines[i];
                   s.bind(col(p, 0), posted.documentNo).bind(col(p, 1), l.saleNo).bind(col(p, 2), l.batchNo)
                       .bind(col(p, 3), l.productNo).bind(col(p, 4), l.productName).bind(col(p, 5), l.unit)
                       .bind(col(p, 6), l.quantity).bind(col(p, 7), l.price).bind(col(p, 8), l.price.times(l.quantity));
               });
    std::vector<Movement> movements;
    for (size_t i = 0; i < d.lines.size(); ++i) {
        const ClientReturnLine& l = d.lines[i];
        movements.push_back({l.productNo, l.productName, l.unit, l.quantity, l.storeNo, MovementKind::ClientReturn, costs[i]});
    }
    StockLedger(m_connection).recordMovements(posted.movementNo, posted.documentNo, movements, false);

    // The client owes less by what came back.
    postToAccount(m_connection, AccountKind::Client,
                  {d.clientNo, AccountSide::Debit, posted.total, QString(), QStringLiteral("客户退货"), posted.documentNo,
                   d.operatorNo},
                  posted);
    tx.commit();
    return posted;
}

PostedStockDocument StockDocuments::writeOff(const Loss& d) {
    PostedStockDocument posted;
    posted.total = checkedTotal(d.lines);
    const bool guardStores = storeChecking();
    DocumentNumbers numbers = documentNumbers(m_connection, QStringLiteral("B"));
    Transaction tx(m_connection, Transaction::Kind::Document);
    takeNumbers(posted, numbers, tx);
    for (const BatchLine& l : d.lines) takeFromBatch(l.batchNo, l.productNo, l.quantity);
    insertRows(m_connection, QStringLiteral("INSERT INTO BSB(BSDNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO)"), 9,
               d.lines.size(), [&](Statement& s, size_t i, const QString& p) {
                   const BatchLine& l = d.lines[i];
                   s.bind(col(p, 0), posted.documentNo).bind(col(p, 1), l.batchNo).bind(col(p, 2), l.productNo)
                       .bind(col(p, 3), l.productName).bind(col(p, 4), l.unit).bind(col(p, 5), l.quantity)
                       .bind(col(p, 6), l.price).bind(col(p, 7), l.price.times(l.quantity));
                   s.bindTextOrNull(col(p, 8), d.operatorNo);
               });
    StockLedger(m_connection)
        .recordMovements(posted.movementNo, posted.documentNo, pricedMovements(d.lines, MovementKind::Loss), guardStores);
    tx.commit();
    return posted;
}

PostedStockDocument StockDocuments::transfer(const Transfer& d) {
    refuseEmpty(d.lines.size());
    for (const TransferLine& l : d.lines) {
        checkLine(l.productNo, l.quantity);
        if (l.inStoreNo.isEmpty() || l.outStoreNo.isEmpty()) throw Error(QStringLiteral("调拨明细缺少仓库"));
    }
    PostedStockDocument posted;
    DocumentNumbers numbers(m_connection, {QStringLiteral("W")});
    Transaction tx(m_connection, Transaction::Kind::Document);
    posted.movementNo = numbers.in(tx).front();
    posted.documentNo = posted.movementNo;
    std::vector<Movement> movements;
    for (const TransferLine& l : d.lines) {
        movements.push_back({l.productNo, l.productName, l.unit, l.quantity, l.outStoreNo, MovementKind::TransferOut});
        movements.push_back({l.productNo, l.productName, l.unit, l.quantity, l.inStoreNo, MovementKind::TransferIn});
    }
    // A transfer never takes more than the store it leaves holds, whether or not sales
    // check stock: the screen caps each line at that quantity and the balance re-checks it.
    StockLedger(m_connection).recordMovements(posted.movementNo, posted.documentNo, movements, true);
    tx.commit();
    return posted;
}

}  // namespace db
