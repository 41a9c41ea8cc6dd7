#include "db/Stocktake.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Money.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>

namespace db {

namespace {

// A difference below this is rounding of the doubles, not stock.
constexpr double kQuantityEpsilon = 1e-9;
// An initialisation slice aims at this long a statement, so the progress it reports moves
// several times a second on either backend, slow machine or fast, and a caller on the
// user-interface thread can repaint between slices.
constexpr qint64 kSliceTargetNs = 50'000'000;
// Products of the first slice (times the stores: its rows), before any slice was timed.
constexpr int kFirstSliceProducts = 100;
constexpr int kMaxSliceProducts = 20'000;
// Keys per marking statement, below every backend's limit of bound values.
constexpr int kKeysPerStatement = 400;

// The rows an apply takes: counted above 0 and not applied yet.
const QString kCandidates = QStringLiteral("CKGXKCBZ = 0 AND CKPDSL > 0");
const QString kCandidatesOfY = QStringLiteral("Y.CKGXKCBZ = 0 AND Y.CKPDSL > 0");

}  // namespace

StocktakeState Stocktake::state() {
    Statement s(m_connection, QStringLiteral(
        "SELECT COUNT(*), SUM(CASE WHEN %1 THEN 1 ELSE 0 END) FROM YPDSJB").arg(kCandidates));
    StocktakeState result;
    if (s.first()) {
        result.rows = s.integer(0);
        result.countedUnapplied = s.isNull(1) ? 0 : s.integer(1);
    }
    return result;
}

void Stocktake::initialise(const QDate& begin, const QDate& end, const Progress& progress) {
    if (!begin.isValid() || !end.isValid() || end < begin)
        throw Error(QStringLiteral("stocktake period is not valid: %1 to %2")
                        .arg(begin.toString(Qt::ISODate), end.toString(Qt::ISODate)));
    ProcedureScope scope(m_connection);
    // Two initialisations at once take turns: the second rewrites the first's rows instead of
    // failing on them as duplicates.
    const QString lock = m_connection.dialect().lockTableForRewriteSql(QStringLiteral("YPDSJB"));
    if (!lock.isEmpty()) m_connection.execute(lock);
    QDateTime at;
    {
        Statement clock(m_connection, QStringLiteral("SELECT getdate()"));
        if (clock.first()) at = clock.dateTime(0);
        clock.query().finish();
    }
    // Documents carry 15-character product codes: a longer code never has stock to count.
    QStringList codes;
    {
        Statement s(m_connection, QStringLiteral("SELECT SPNO FROM SPB WHERE length(SPNO) <= 15 ORDER BY SPNO"));
        s.exec();
        while (s.next()) codes << s.text(0);
    }
    // Every stocktake row names one of these products and a store (the references keep
    // them), so writing every product in every store overwrites the whole earlier stocktake:
    // a row rewritten in place costs far less than one deleted and inserted again.
    if (codes.isEmpty()) m_connection.execute(QStringLiteral("DELETE FROM YPDSJB"));
    qint64 stores = 0;
    {
        Statement s(m_connection, QStringLiteral("SELECT COUNT(*) FROM STORE"));
        if (s.first()) stores = s.integer(0);
    }
    // Each slice first rewrites the rows its products already have, then inserts the ones
    // they lack (products or stores new since the last stocktake, or all of them the first
    // time). An insert-or-update by key would probe the key and lock each row before writing
    // it; the update reaches the slice's rows by one range of the key and writes each once.
    // The balances are read for the slice's products alone (the range on K as well): left to
    // the join, PostgreSQL hashes every balance of the shop for each slice. The stamp goes
    // through adddays() because a bare parameter in a select list has no type on PostgreSQL;
    // SQLite evaluates the deterministic call once per statement. A rewritten row keeps its
    // key, so only inserted rows have their references checked.
    Statement rewrite(m_connection, QStringLiteral(
        "UPDATE YPDSJB SET CKKCSL = V.Q, CKPDSL = 0, CKGXKCL = 0, CKPDDATE = adddays(:at, 0), CKGXKCBZ = 0 "
        "FROM (SELECT P.SPNO, S.CKNO, COALESCE(K.KCSL, 0) AS Q FROM SPB P CROSS JOIN STORE S "
        "LEFT JOIN KCYEB K ON K.SPNO = P.SPNO AND K.CKNO = S.CKNO AND K.SPNO >= :lo AND K.SPNO <= :hi "
        "WHERE P.SPNO >= :lo AND P.SPNO <= :hi) V "
        "WHERE YPDSJB.SPNO = V.SPNO AND YPDSJB.CKNO = V.CKNO AND YPDSJB.SPNO >= :lo AND YPDSJB.SPNO <= :hi"));
    // All stores of a slice in key order, so new rows append to the key's index. Where the
    // update found no row of the slice there is none to skip; the check for one is left out.
    const QString fillSql = QStringLiteral(
        "INSERT INTO YPDSJB(SPNO, CKNO, CKKCSL, CKPDSL, CKGXKCL, CKPDDATE, CKGXKCBZ) "
        "SELECT P.SPNO, S.CKNO, COALESCE(K.KCSL, 0), 0, 0, adddays(:at, 0), 0 FROM SPB P CROSS JOIN STORE S "
        "LEFT JOIN KCYEB K ON K.SPNO = P.SPNO AND K.CKNO = S.CKNO AND K.SPNO >= :lo AND K.SPNO <= :hi "
        "WHERE P.SPNO >= :lo AND P.SPNO <= :hi AND length(P.SPNO) <= 15%1 ORDER BY P.SPNO, S.CKNO");
    Statement fillEmpty(m_connection, fillSql.arg(QString()));
    Statement fillMissing(m_connection, fillSql.arg(QStringLiteral(
        " AND NOT EXISTS (SELECT 1 FROM YPDSJB Y WHERE Y.SPNO = P.SPNO AND Y.CKNO = S.CKNO)")));
    const int total = int(codes.size());
    if (progress) progress(0, total);
    QElapsedTimer timer;
    int perSlice = kFirstSliceProducts;
    for (int first = 0; first < total;) {
        const int last = std::min(first + perSlice, total) - 1;
        timer.start();
        rewrite.bind(QStringLiteral(":at"), at).bind(QStringLiteral(":lo"), codes[first])
            .bind(QStringLiteral(":hi"), codes[last]).exec();
        const qint64 rewritten = rewrite.rowsAffected();
        if (rewritten < qint64(last - first + 1) * stores) {
            Statement& fill = rewritten == 0 ? fillEmpty : fillMissing;
            fill.bind(QStringLiteral(":at"), at).bind(QStringLiteral(":lo"), codes[first])
                .bind(QStringLiteral(":hi"), codes[last]).exec();
        }
        const qint64 took = std::max<qint64>(timer.nsecsElapsed(), 1);
        // The next slice sized from this one's pace, growing at most twofold so one fast
        // slice (pages in the cache, a moment without other work) cannot make a long one.
        const double scaled = double(last - first + 1) * double(kSliceTargetNs) / double(took);
        perSlice = int(std::clamp(scaled, 1.0, std::min(2.0 * perSlice, double(kMaxSliceProducts))));
        first = last + 1;
        if (progress) progress(first, total);
    }
    scope.commit();
}

void Stocktake::saveCounts(const std::vector<StocktakeCount>& counts) {
    for (const StocktakeCount& c : counts) {
        if (c.storeNo.trimmed().isEmpty())
            throw StocktakeRefusal(QStringLiteral("商品 %1 没有选择仓库，盘点数量无法保存！").arg(c.productNo));
        if (!(c.count >= 0) || !std::isfinite(c.count))
            throw StocktakeRefusal(QStringLiteral("商品 %1 在仓库 %2 的盘点数量 %3 有误，不能为负数！")
                                       .arg(c.productNo, c.storeNo).arg(c.count));
    }
    ProcedureScope scope(m_connection);
    Statement update(m_connection, QStringLiteral(
        "UPDATE YPDSJB SET CKPDSL = :iCheckedCount WHERE SPNO = :strProductNo AND CKNO = :CKNO"));
    for (const StocktakeCount& c : counts) {
        update.bind(QStringLiteral(":iCheckedCount"), c.count).bind(QStringLiteral(":strProductNo"), c.productNo)
            .bind(QStringLiteral(":CKNO"), c.storeNo).exec();
        if (update.rowsAffected() < 1)
            throw StocktakeRefusal(QStringLiteral("商品 %1 在仓库 %2 没有盘点记录（初始化以后新增的商品或仓库？），"
                                                  "盘点数量无法保存！")
                                       .arg(c.productNo, c.storeNo));
    }
    scope.commit();
}

StocktakeApplied Stocktake::apply(const QString& operatorNo, bool guardBalances) {
    ProcedureScope scope(m_connection);
    const QString lock = m_connection.dialect().lockRowsSql();

    // The rows to apply, held until commit: a count saved meanwhile waits, and rows counted
    // after this read stay for the next apply (they are marked by key below, never by the
    // condition again).
    struct Row {
        QString productNo;
        QString storeNo;
        double counted = 0;
        double balance = 0;
    };
    std::vector<Row> rows;
    std::map<std::pair<QString, QString>, size_t> byKey;
    {
        Statement s(m_connection, QStringLiteral("SELECT SPNO, CKNO, CKPDSL FROM YPDSJB WHERE %1 ORDER BY SPNO, CKNO%2")
                                      .arg(kCandidates, lock));
        s.exec();
        while (s.next()) {
            byKey[{s.text(0), s.text(1)}] = rows.size();
            rows.push_back({s.text(0), s.text(1), s.real(2)});
        }
    }
    if (rows.empty()) return {};
    // The balances they correct, locked in key order as the ledger writer locks them, so no
    // sale moves them between this read and the correction.
    {
        Statement s(m_connection, QStringLiteral(
            "SELECT K.SPNO, K.CKNO, K.KCSL FROM KCYEB K JOIN YPDSJB Y ON Y.SPNO = K.SPNO AND Y.CKNO = K.CKNO "
            "WHERE %1 ORDER BY K.SPNO, K.CKNO%2").arg(kCandidatesOfY, lock));
        s.exec();
        while (s.next()) {
            const auto it = byKey.find({s.text(0), s.text(1)});
            if (it != byKey.end()) rows[it->second].balance = s.real(2);
        }
    }
    struct Product {
        QString name;
        QString unit;
        Money cost;
        QString supplierNo;
    };
    std::map<QString, Product> products;
    {
        // A gain is received from the product's default supplier, else from the supplier of
        // its latest batch.
        Statement s(m_connection, QStringLiteral(
            "SELECT DISTINCT P.SPNO, P.SPNAME, P.SPDW, P.CBJG, COALESCE(P.QSGYS, (SELECT H.CSNO FROM JHDMXB M "
            "JOIN JHDSJB H ON H.JHDNO = M.JHDNO WHERE M.SPNO = P.SPNO ORDER BY M.JHDNO DESC LIMIT 1)) "
            "FROM SPB P JOIN YPDSJB Y ON Y.SPNO = P.SPNO WHERE %1").arg(kCandidatesOfY));
        s.exec();
        while (s.next()) products[s.text(0)] = {s.text(1), s.text(2), s.money(3), s.text(4)};
    }

    StocktakeApplied result;
    result.rows = int(rows.size());
    std::map<std::pair<QString, QString>, std::vector<Movement>> gains;  // by store and supplier
    std::vector<Movement> losses;
    std::map<QString, double> lostPerProduct;
    for (const Row& r : rows) {
        const double difference = r.counted - r.balance;
        if (std::abs(difference) <= kQuantityEpsilon) continue;
        const Product& p = products[r.productNo];
        Movement m{r.productNo, p.name, p.unit, std::abs(difference), r.storeNo,
                   difference > 0 ? MovementKind::StocktakeGain : MovementKind::StocktakeLoss,
                   p.cost.times(std::abs(difference))};
        if (difference > 0) {
            if (p.supplierNo.isEmpty())
                throw StocktakeRefusal(QStringLiteral("商品 %1 在仓库 %2 盘盈，但该商品没有缺省供应商，无法入库！"
                                                      "请先在商品资料中设置缺省供应商。").arg(r.productNo, r.storeNo));
            gains[{r.storeNo, p.supplierNo}].push_back(m);
        } else {
            losses.push_back(m);
            lostPerProduct[r.productNo] += m.quantity;
        }
    }

    SerialNumbers serials(m_connection);
    StockLedger ledger(m_connection);
    if (!gains.empty() || !losses.empty()) result.movementNo = serials.next(QStringLiteral("W"));
    Statement header(m_connection, QStringLiteral(
        "INSERT INTO JHDSJB(JHDNO, CSNO, BNNO, DJDATE, BZ) VALUES(:no, :supplier, :operator, getdate(), :remark)"));
    Statement batch(m_connection, QStringLiteral(
        "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) "
        "VALUES(:no, :product, :name, :unit, :price, :quantity, 0, :amount, :store)"));
    // The batch table keys receiving and gain documents alike; numbers are unique within
    // their own letter only, so a gain number a receiving document already holds is passed over.
    Statement taken(m_connection, QStringLiteral("SELECT 1 FROM JHDSJB WHERE JHDNO = :no"));
    auto gainNumber = [&] {
        for (;;) {
            const QString no = serials.next(GainSerialType);
            const bool used = taken.bind(QStringLiteral(":no"), no).first();
            taken.query().finish();
            if (!used) return no;
        }
    };
    for (const auto& [key, lines] : gains) {
        const QString no = gainNumber();
        header.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":supplier"), key.second)
            .bindTextOrNull(QStringLiteral(":operator"), operatorNo).bind(QStringLiteral(":remark"), QStringLiteral("库存盘点盘盈"))
            .exec();
        for (const Movement& m : lines) {
            const Money cost = products[m.productNo].cost;
            batch.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":product"), m.productNo)
                .bindTextOrNull(QStringLiteral(":name"), m.productName).bindTextOrNull(QStringLiteral(":unit"), m.unit)
                .bind(QStringLiteral(":price"), cost).bind(QStringLiteral(":quantity"), m.quantity)
                .bind(QStringLiteral(":amount"), m.cost).bind(QStringLiteral(":store"), m.storeNo).exec();
        }
        ledger.recordMovements(result.movementNo, no, lines, guardBalances);
        result.gainLines += int(lines.size());
    }
    if (!losses.empty()) {
        // A stocktake loss has no document of its own: its lines name the movement number,
        // as a transfer's do.
        ledger.recordMovements(result.movementNo, result.movementNo, losses, guardBalances);
        std::vector<SaleQuantity> draws;
        for (const auto& [product, quantity] : lostPerProduct) draws.push_back({product, quantity});
        ledger.drawBatches(draws);
        result.lossLines = int(losses.size());
    }

    int marked = 0;
    for (size_t from = 0; from < rows.size(); from += kKeysPerStatement) {
        const int n = int(std::min<size_t>(kKeysPerStatement, rows.size() - from));
        QStringList keys;
        for (int i = 0; i < n; ++i) keys << QStringLiteral("(:s%1, :c%1)").arg(i);
        Statement mark(m_connection, QStringLiteral(
            "UPDATE YPDSJB SET CKGXKCL = CKPDSL - CKKCSL, CKGXKCBZ = 1 FROM (VALUES %1) AS V "
            "WHERE YPDSJB.SPNO = V.column1 AND YPDSJB.CKNO = V.column2 AND YPDSJB.CKGXKCBZ = 0")
                                         .arg(keys.join(QStringLiteral(", "))));
        for (int i = 0; i < n; ++i)
            mark.bind(QStringLiteral(":s%1").arg(i), rows[from + size_t(i)].productNo)
                .bind(QStringLiteral(":c%1").arg(i), rows[from + size_t(i)].storeNo);
        mark.exec();
        marked += mark.rowsAffected();
    }
    if (marked != result.rows)
        throw Error(QStringLiteral("stocktake rows changed while applying (%1 of %2 marked)").arg(marked).arg(result.rows));
    scope.commit();
    return result;
}

}  // namespace db
