#include "db/StockLedger.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "db/WriteBatch.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>

namespace db {

namespace {
// Quantities are doubles; a remainder below this is rounding, not stock.
constexpr double kQuantityEpsilon = 1e-9;

bool isOutgoing(const QString& kind) {
    return kind == MovementKind::Sale || kind == MovementKind::Loss || kind == MovementKind::SupplierReturn ||
           kind == MovementKind::TransferOut || kind == MovementKind::StocktakeLoss;
}

}  // namespace

QString StockLedger::signedQuantitySql(const QString& alias) {
    const QString p = alias.isEmpty() ? QString() : alias + u'.';
    const QStringList in = {MovementKind::Receive, MovementKind::ClientReturn, MovementKind::TransferIn,
                            MovementKind::StocktakeGain};
    QStringList quoted;
    for (const QString& k : in) quoted << u'\'' + k + u'\'';
    return QStringLiteral("CASE WHEN %1WLTYPE IN (%2) THEN %1SL ELSE -%1SL END").arg(p, quoted.join(QStringLiteral(", ")));
}

bool StockLedger::isIncoming(const QString& kind) {
    return kind == MovementKind::Receive || kind == MovementKind::ClientReturn || kind == MovementKind::TransferIn ||
           kind == MovementKind::StocktakeGain;
}

double StockLedger::storeCount(const QString& productNo, const QString& storeNo) {
    Statement s(m_connection, QStringLiteral("SELECT KCSL FROM KCYEB WHERE SPNO = :spno AND CKNO = :ckno"));
    s.bind(QStringLiteral(":spno"), productNo).bind(QStringLiteral(":ckno"), storeNo);
    return s.first() ? s.real(0) : 0.0;
}

void StockLedger::rebuildBalances() {
    ProcedureScope scope(m_connection);
    m_connection.execute(QStringLiteral("DELETE FROM KCYEB"));
    m_connection.execute(QStringLiteral("INSERT INTO KCYEB(SPNO, CKNO, KCSL) SELECT SPNO, CKNO, SUM(%1) FROM QTJHDMXB "
                                        "GROUP BY SPNO, CKNO")
                             .arg(signedQuantitySql()));
    scope.commit();
}

std::vector<BatchDraw> StockLedger::allocateSale(const QString& saleNo, const QString& operatorNo,
                                                 const QString& productNo, double quantity) {
    if (!(quantity > 0)) throw Error(QStringLiteral("sale quantity must be positive: %1").arg(quantity));
    return allocateSaleLines(saleNo, operatorNo, {{productNo, quantity}}).front();
}

namespace {

// Keeps statements of one shape (one per number of rows) below every backend's limit of
// bound values.
constexpr int kRowsPerStatement = 400;

QString placeholders(const QString& prefix, int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) names << QStringLiteral(":%1%2").arg(prefix).arg(i);
    return names.join(QStringLiteral(", "));
}

}  // namespace

void StockLedger::recordMovements(const QString& movementNo, const QString& documentNo,
                                  const std::vector<Movement>& lines, bool guardBalances) {
    if (lines.empty()) return;
    // Each store balance moves once per document, by the net of its lines; the map keeps
    // the keys sorted, which is the order the balance rows are locked in.
    std::map<std::pair<QString, QString>, double> deltas;
    for (const Movement& line : lines) {
        if (!(line.quantity >= 0) || !std::isfinite(line.quantity))
            throw Error(QStringLiteral("movement quantity must not be negative: %1 %2").arg(line.productNo).arg(line.quantity));
        const bool incoming = isIncoming(line.kind);
        if (!incoming && !isOutgoing(line.kind)) throw Error(QStringLiteral("unknown movement kind: %1").arg(line.kind));
        deltas[{line.productNo, line.storeNo}] += incoming ? line.quantity : -line.quantity;
    }
    ProcedureScope scope(m_connection);

    // The movement lines go with the first balance statement (one round trip on PostgreSQL).
    WriteBatch batch(m_connection);
    for (size_t from = 0; from < lines.size(); from += kRowsPerStatement) {
        const int n = int(std::min<size_t>(kRowsPerStatement, lines.size() - from));
        QStringList rows;
        for (int i = 0; i < n; ++i) rows << QStringLiteral("(:mw%1_%2, :md%1_%2, :ms%1_%2, :mn%1_%2, :mu%1_%2, :mq%1_%2, :mc%1_%2, :mk%1_%2, :mj%1_%2)").arg(from).arg(i);
        batch.add(QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE, CBJE) VALUES %1")
                      .arg(rows.join(QStringLiteral(", "))),
                  [&, from, n](Statement& insert) {
                      for (int i = 0; i < n; ++i) {
                          const Movement& m = lines[from + size_t(i)];
                          auto name = [from, i](char c) { return QStringLiteral(":m%1%2_%3").arg(QLatin1Char(c)).arg(from).arg(i); };
                          insert.bind(name('w'), movementNo).bind(name('d'), documentNo).bind(name('s'), m.productNo)
                              .bindTextOrNull(name('n'), m.productName).bindTextOrNull(name('u'), m.unit)
                              .bind(name('q'), m.quantity).bind(name('c'), m.storeNo).bind(name('k'), m.kind).bind(name('j'), m.cost);
                      }
                  });
    }

    const std::vector<std::pair<std::pair<QString, QString>, double>> keyed(deltas.begin(), deltas.end());
    for (size_t from = 0; from < keyed.size(); from += kRowsPerStatement) {
        const int n = int(std::min<size_t>(kRowsPerStatement, keyed.size() - from));
        QStringList rows;
        for (int i = 0; i < n; ++i) rows << QStringLiteral("(:s%1, :c%1, CAST(:q%1 AS DOUBLE PRECISION))").arg(i);
        QString overdrawn;
        batch.run(
            QStringLiteral("INSERT INTO KCYEB(SPNO, CKNO, KCSL) VALUES %1 ON CONFLICT (SPNO, CKNO) DO UPDATE SET KCSL = KCYEB.KCSL + excluded.KCSL "
                           "RETURNING SPNO, CKNO, KCSL").arg(rows.join(QStringLiteral(", "))),
            [&](Statement& upsert) {
                for (int i = 0; i < n; ++i) {
                    const auto& [key, delta] = keyed[from + size_t(i)];
                    upsert.bind(QStringLiteral(":s%1").arg(i), key.first).bind(QStringLiteral(":c%1").arg(i), key.second)
                        .bind(QStringLiteral(":q%1").arg(i), delta);
                }
            },
            [&](Statement& upsert) {
                while (upsert.next()) {
                    const auto it = deltas.find({upsert.text(0), upsert.text(1)});
                    if (guardBalances && overdrawn.isEmpty() && it != deltas.end() && it->second < 0 &&
                        upsert.real(2) < -kQuantityEpsilon)
                        overdrawn = QStringLiteral("库存不足：商品 %1 在仓库 %2 的库存不够（差 %3）")
                                        .arg(upsert.text(0), upsert.text(1)).arg(-upsert.real(2));
                }
                upsert.query().finish();
            });
        if (!overdrawn.isEmpty()) throw Error(overdrawn, ErrorKind::Shortage);
    }
    scope.commit();
}

std::vector<std::vector<BatchDraw>> StockLedger::allocateSaleLines(const QString& saleNo, const QString& operatorNo,
                                                                   const std::vector<SaleQuantity>& lines) {
    Q_UNUSED(operatorNo);
    std::vector<std::vector<BatchDraw>> result(lines.size());
    QStringList products;
    for (const SaleQuantity& line : lines) {
        if (line.quantity < 0 || std::isnan(line.quantity))
            throw Error(QStringLiteral("sale quantity must not be negative: %1").arg(line.quantity));
        if (line.quantity > 0 && !products.contains(line.productNo)) products << line.productNo;
    }
    if (products.isEmpty()) return result;
    ProcedureScope scope(m_connection);

    // The remaining batches of every product sold, oldest receipt first (receiving numbers
    // sort in issue order), with the product's current cost price. Read inside the writer's
    // transaction, so on SQLite nobody can change them before the update; on PostgreSQL the
    // update re-checks each row.
    struct Batch { QString no; QString productNo; double remaining; Money costPrice; double taken = 0; };
    std::vector<Batch> batches;
    for (int from = 0; from < products.size(); from += kRowsPerStatement) {
        const int n = std::min<int>(kRowsPerStatement, int(products.size()) - from);
        Statement pick(m_connection, QStringLiteral(
            "SELECT J.SPNO, J.JHDNO, J.SL - J.XSSL, P.CBJG FROM JHDMXB J JOIN SPB P ON P.SPNO = J.SPNO "
            "WHERE J.SPNO IN (%1) AND J.SL - J.XSSL > 0 ORDER BY J.SPNO, J.JHDNO")
            .arg(placeholders(QStringLiteral("p"), n)));
        for (int i = 0; i < n; ++i) pick.bind(QStringLiteral(":p%1").arg(i), products[from + i]);
        pick.exec();
        while (pick.next()) batches.push_back({pick.text(1), pick.text(0), pick.real(2), pick.money(3)});
    }

    // Allocation in line order.
    struct Draw { size_t line; size_t batch; double quantity; };
    std::vector<Draw> draws;
    for (size_t l = 0; l < lines.size(); ++l) {
        double left = lines[l].quantity;
        for (size_t b = 0; b < batches.size() && left > kQuantityEpsilon; ++b) {
            Batch& batch = batches[b];
            if (batch.productNo != lines[l].productNo) continue;
            const double available = batch.remaining - batch.taken;
            if (available <= kQuantityEpsilon) continue;
            const double take = std::min(left, available);
            batch.taken += take;
            left -= take;
            draws.push_back({l, b, take});
        }
        if (left > kQuantityEpsilon)
            throw Error(QStringLiteral("库存不足：商品 %1 需要 %2，批次余量 %3")
                            .arg(lines[l].productNo).arg(lines[l].quantity).arg(lines[l].quantity - left),
                        ErrorKind::Shortage);
    }

    // Every batch drawn on is raised by what this sale takes from it; a batch that another
    // till drew on meanwhile no longer qualifies, so the row count tells.
    std::vector<size_t> touched;
    for (size_t b = 0; b < batches.size(); ++b)
        if (batches[b].taken > 0) touched.push_back(b);
    auto raiseSql = [&](int n) {
        QStringList cases, where;
        for (int i = 0; i < n; ++i) {
            cases << QStringLiteral("WHEN JHDNO = :cj%1 AND SPNO = :cs%1 THEN CAST(:ct%1 AS DOUBLE PRECISION)").arg(i);
            where << QStringLiteral("(JHDNO = :wj%1 AND SPNO = :ws%1 AND SL - XSSL >= CAST(:wt%1 AS DOUBLE PRECISION) - 0.000000001)").arg(i);
        }
        // Typed parameters: PostgreSQL cannot infer a type for a value inside CASE.
        return QStringLiteral("UPDATE JHDMXB SET XSSL = XSSL + CASE %1 END WHERE %2").arg(cases.join(u' '), where.join(QStringLiteral(" OR ")));
    };
    auto bindRaise = [&](Statement& raise, size_t from, int n) {
        for (int i = 0; i < n; ++i) {
            const Batch& b = batches[touched[from + i]];
            raise.bind(QStringLiteral(":cj%1").arg(i), b.no).bind(QStringLiteral(":cs%1").arg(i), b.productNo)
                .bind(QStringLiteral(":ct%1").arg(i), b.taken).bind(QStringLiteral(":wj%1").arg(i), b.no)
                .bind(QStringLiteral(":ws%1").arg(i), b.productNo).bind(QStringLiteral(":wt%1").arg(i), b.taken);
        }
    };
    auto raisedTooFew = [] { return Error(QStringLiteral("库存不足：批次已被其他收银台占用"), ErrorKind::Shortage); };

    // One cost row per draw, in line order; identities rise in insertion order.
    auto costSql = [&](int n) {
        QStringList rows;
        for (int i = 0; i < n; ++i)
            rows << QStringLiteral("(:x%1, :j%1, :s%1, :q%1, 0, :n%1, :u%1, :z%1, :p%1, :a%1, :d%1, :c%1)").arg(i);
        return QStringLiteral("INSERT INTO XSCBB(XSNO, JHDNO, SPNO, XSSL, THSL, SPNAME, JSDW, ZYNO, SJ, XSJE, DJ, ZJE) VALUES %1 RETURNING ID")
            .arg(rows.join(QStringLiteral(", ")));
    };
    // The two amounts are worked out here in Money, rounded once, half to even, the same on
    // both backends; a line without details has its names NULL and its amounts 0.
    auto costOf = [&](const Draw& d) {
        return lines[d.line].details ? batches[d.batch].costPrice.times(d.quantity) : Money{};
    };
    auto bindCost = [&](Statement& cost, size_t from, int n) {
        for (int i = 0; i < n; ++i) {
            const Draw& d = draws[from + i];
            auto name = [i](char column) { return QStringLiteral(":%1%2").arg(QLatin1Char(column)).arg(i); };
            cost.bind(name('x'), saleNo)
                .bind(name('j'), batches[d.batch].no)
                .bind(name('s'), batches[d.batch].productNo)
                .bind(name('q'), d.quantity);
            const std::optional<SaleCostDetails>& details = lines[d.line].details;
            const SaleCostDetails none;
            const SaleCostDetails& c = details ? *details : none;
            if (details) cost.bind(name('n'), c.productName).bind(name('u'), c.unit);
            else cost.bindTextOrNull(name('n'), QString()).bindTextOrNull(name('u'), QString());
            cost.bindTextOrNull(name('z'), c.staffNo)
                .bind(name('p'), c.price)
                .bind(name('a'), c.price.times(d.quantity))
                .bind(name('d'), details ? batches[d.batch].costPrice : Money{})
                .bind(name('c'), costOf(d));
        }
    };
    auto keepIds = [&](std::vector<qint64> ids, size_t from, int n) {
        if (int(ids.size()) != n) throw Error(QStringLiteral("cost lines not created for sale %1").arg(saleNo));
        std::sort(ids.begin(), ids.end());
        for (int i = 0; i < n; ++i) {
            const Draw& d = draws[from + i];
            result[d.line].push_back({ids[size_t(i)], batches[d.batch].no, d.quantity, costOf(d)});
        }
    };

    // A sale's batches and cost rows fit one statement each: on PostgreSQL the raise goes with
    // the cost rows, one round trip instead of two (see WriteBatch for why that matters).
    if (m_connection.backend() == Backend::Postgres && touched.size() <= size_t(kRowsPerStatement) &&
        draws.size() <= size_t(kRowsPerStatement)) {
        const int raised = int(touched.size()), costRows = int(draws.size());
        Statement both(m_connection, QStringLiteral("WITH raised AS (%1 RETURNING 1) %2, (SELECT COUNT(*) FROM raised)")
                                         .arg(raiseSql(raised), costSql(costRows)));
        bindRaise(both, 0, raised);
        bindCost(both, 0, costRows);
        both.exec();
        std::vector<qint64> ids;
        qint64 raisedRows = 0;
        while (both.next()) {
            ids.push_back(both.integer(0));
            raisedRows = both.integer(1);
        }
        if (raisedRows != raised) throw raisedTooFew();
        keepIds(std::move(ids), 0, costRows);
    } else {
        for (size_t from = 0; from < touched.size(); from += kRowsPerStatement) {
            const int n = int(std::min<size_t>(kRowsPerStatement, touched.size() - from));
            Statement raise(m_connection, raiseSql(n));
            bindRaise(raise, from, n);
            raise.exec();
            if (raise.rowsAffected() != n) throw raisedTooFew();
        }
        for (size_t from = 0; from < draws.size(); from += kRowsPerStatement) {
            const int n = int(std::min<size_t>(kRowsPerStatement, draws.size() - from));
            Statement cost(m_connection, costSql(n));
            bindCost(cost, from, n);
            cost.exec();
            std::vector<qint64> ids;
            while (cost.next()) ids.push_back(cost.integer(0));
            keepIds(std::move(ids), from, n);
        }
    }
    scope.commit();
    return result;
}

}  // namespace db

namespace db {

std::vector<double> StockLedger::drawBatches(const std::vector<SaleQuantity>& lines) {
    std::vector<double> taken(lines.size(), 0.0);
    QStringList products;
    for (const SaleQuantity& line : lines) {
        if (!(line.quantity >= 0) || !std::isfinite(line.quantity))
            throw Error(QStringLiteral("quantity must not be negative: %1 %2").arg(line.productNo).arg(line.quantity));
        if (line.quantity > 0 && !products.contains(line.productNo)) products << line.productNo;
    }
    if (products.isEmpty()) return taken;
    ProcedureScope scope(m_connection);

    struct Batch { QString no; QString productNo; double remaining; };
    std::vector<Batch> batches;
    for (int from = 0; from < products.size(); from += kRowsPerStatement) {
        const int n = std::min<int>(kRowsPerStatement, int(products.size()) - from);
        Statement pick(m_connection, QStringLiteral(
            "SELECT SPNO, JHDNO, SL - XSSL FROM JHDMXB WHERE SPNO IN (%1) AND SL - XSSL > 0 ORDER BY SPNO, JHDNO%2")
            .arg(placeholders(QStringLiteral("p"), n), m_connection.dialect().lockRowsSql()));
        for (int i = 0; i < n; ++i) pick.bind(QStringLiteral(":p%1").arg(i), products[from + i]);
        pick.exec();
        while (pick.next()) batches.push_back({pick.text(1), pick.text(0), pick.real(2)});
    }

    Statement raise(m_connection, QStringLiteral("UPDATE JHDMXB SET XSSL = XSSL + :q WHERE JHDNO = :j AND SPNO = :s"));
    for (size_t l = 0; l < lines.size(); ++l) {
        double left = lines[l].quantity;
        for (Batch& batch : batches) {
            if (left <= kQuantityEpsilon) break;
            if (batch.productNo != lines[l].productNo || batch.remaining <= kQuantityEpsilon) continue;
            const double take = std::min(left, batch.remaining);
            raise.bind(QStringLiteral(":q"), take).bind(QStringLiteral(":j"), batch.no)
                .bind(QStringLiteral(":s"), batch.productNo).exec();
            batch.remaining -= take;
            left -= take;
            taken[l] += take;
        }
    }
    scope.commit();
    return taken;
}

}  // namespace db
