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

// Each store balance moves once per document, by the net of its lines; the map keeps the
// keys sorted, which is the order the balance rows are locked in.
using BalanceDeltas = std::map<std::pair<QString, QString>, double>;

BalanceDeltas balanceDeltas(const std::vector<Movement>& lines) {
    BalanceDeltas deltas;
    for (const Movement& line : lines) {
        if (!(line.quantity >= 0) || !std::isfinite(line.quantity))
            throw Error(QStringLiteral("movement quantity must not be negative: %1 %2").arg(line.productNo).arg(line.quantity));
        const bool incoming = StockLedger::isIncoming(line.kind);
        if (!incoming && !isOutgoing(line.kind)) throw Error(QStringLiteral("unknown movement kind: %1").arg(line.kind));
        deltas[{line.productNo, line.storeNo}] += incoming ? line.quantity : -line.quantity;
    }
    return deltas;
}

void addMovementLines(WriteBatch& batch, const QString& movementNo, const QString& documentNo,
                      const std::vector<Movement>& lines) {
    for (size_t from = 0; from < lines.size(); from += kRowsPerStatement) {
        const int n = int(std::min<size_t>(kRowsPerStatement, lines.size() - from));
        QStringList rows;
        for (int i = 0; i < n; ++i)
            rows << QStringLiteral("(:mw%1_%2, :md%1_%2, :ms%1_%2, :mn%1_%2, :mu%1_%2, :mq%1_%2, :mc%1_%2, :mk%1_%2, :mj%1_%2)")
                        .arg(from).arg(i);
        batch.add(QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE, CBJE) VALUES %1")
                      .arg(rows.join(QStringLiteral(", "))),
                  [&lines, movementNo, documentNo, from, n](Statement& insert) {
                      for (int i = 0; i < n; ++i) {
                          const Movement& m = lines[from + size_t(i)];
                          auto name = [from, i](char c) { return QStringLiteral(":m%1%2_%3").arg(QLatin1Char(c)).arg(from).arg(i); };
                          insert.bind(name('w'), movementNo).bind(name('d'), documentNo).bind(name('s'), m.productNo)
                              .bindTextOrNull(name('n'), m.productName).bindTextOrNull(name('u'), m.unit)
                              .bind(name('q'), m.quantity).bind(name('c'), m.storeNo).bind(name('k'), m.kind).bind(name('j'), m.cost);
                      }
                  });
    }
}

// Moves the store balances; the writes in `batch` go with the first statement (one round
// trip on PostgreSQL, their checks included).
void moveBalances(WriteBatch& batch, const BalanceDeltas& deltas, bool guardBalances) {
    const std::vector<std::pair<std::pair<QString, QString>, double>> keyed(deltas.begin(), deltas.end());
    for (size_t from = 0; from < keyed.size(); from += kRowsPerStatement) {
        const int n = int(std::min<size_t>(kRowsPerStatement, keyed.size() - from));
        QStringList rows;
        for (int i = 0; i < n; ++i) rows << QStringLiteral("(:bs%1, :bc%1, CAST(:bq%1 AS DOUBLE PRECISION))").arg(i);
        QString overdrawn;
        batch.run(
            QStringLiteral("INSERT INTO KCYEB(SPNO, CKNO, KCSL) VALUES %1 ON CONFLICT (SPNO, CKNO) DO UPDATE SET KCSL = KCYEB.KCSL + excluded.KCSL "
                           "RETURNING SPNO, CKNO, KCSL").arg(rows.join(QStringLiteral(", "))),
            [&](Statement& upsert) {
                for (int i = 0; i < n; ++i) {
                    const auto& [key, delta] = keyed[from + size_t(i)];
                    upsert.bind(QStringLiteral(":bs%1").arg(i), key.first).bind(QStringLiteral(":bc%1").arg(i), key.second)
                        .bind(QStringLiteral(":bq%1").arg(i), delta);
                }
            },
            [&](Statement& upsert) {
                const auto it = deltas.find({upsert.text(0), upsert.text(1)});
                if (guardBalances && overdrawn.isEmpty() && it != deltas.end() && it->second < 0 &&
                    upsert.real(2) < -kQuantityEpsilon)
                    overdrawn = QStringLiteral("库存不足：商品 %1 在仓库 %2 的库存不够（差 %3）")
                                    .arg(upsert.text(0), upsert.text(1)).arg(-upsert.real(2));
            });
        if (!overdrawn.isEmpty()) throw Error(overdrawn, ErrorKind::Shortage);
    }
}

// A sale's quantities taken from its products' batches, before anything is written.
struct SalePlan {
    struct Batch { QString no; QString productNo; double remaining; Money costPrice; double taken = 0; };
    struct Draw { size_t line; size_t batch; double quantity; };
    std::vector<Batch> batches;
    std::vector<Draw> draws;      // in line order
    std::vector<size_t> touched;  // batches drawn on

    // What a draw is worth at its product's cost price; 0 for a line without details.
    Money cost(const Draw& d, const std::vector<SaleQuantity>& lines) const {
        return lines[d.line].details ? batches[d.batch].costPrice.times(d.quantity) : Money{};
    }
};

QStringList productsSold(const std::vector<SaleQuantity>& lines) {
    QStringList products;
    for (const SaleQuantity& line : lines) {
        if (line.quantity < 0 || std::isnan(line.quantity))
            throw Error(QStringLiteral("sale quantity must not be negative: %1").arg(line.quantity));
        if (line.quantity > 0 && !products.contains(line.productNo)) products << line.productNo;
    }
    return products;
}

// Reads the remaining batches of every product sold, oldest receipt first (receiving
// numbers sort in issue order), with the product's current cost price, and allocates the
// lines to them in line order (a product on two lines takes its batches in turn). Read
// inside the writer's transaction, so on SQLite nobody can change them before the update;
// on PostgreSQL the update re-checks each row. The writes in `document` go with the read.
SalePlan planSale(Connection& connection, const std::vector<SaleQuantity>& lines, const QStringList& products,
                  WriteBatch& document) {
    SalePlan plan;
    WriteBatch own(connection);
    for (int from = 0; from < products.size(); from += kRowsPerStatement) {
        const int n = std::min<int>(kRowsPerStatement, int(products.size()) - from);
        (from == 0 ? document : own)
            .run(QStringLiteral("SELECT J.SPNO, J.JHDNO, J.SL - J.XSSL, P.CBJG FROM JHDMXB J JOIN SPB P ON P.SPNO = J.SPNO "
                                "WHERE J.SPNO IN (%1) AND J.SL - J.XSSL > 0 ORDER BY J.SPNO, J.JHDNO")
                     .arg(placeholders(QStringLiteral("p"), n)),
                 [&](Statement& pick) {
                     for (int i = 0; i < n; ++i) pick.bind(QStringLiteral(":p%1").arg(i), products[from + i]);
                 },
                 [&](Statement& pick) {
                     plan.batches.push_back({pick.text(1), pick.text(0), pick.real(2), pick.money(3)});
                 });
    }
    for (size_t l = 0; l < lines.size(); ++l) {
        double left = lines[l].quantity;
        for (size_t b = 0; b < plan.batches.size() && left > kQuantityEpsilon; ++b) {
            SalePlan::Batch& batch = plan.batches[b];
            if (batch.productNo != lines[l].productNo) continue;
            const double available = batch.remaining - batch.taken;
            if (available <= kQuantityEpsilon) continue;
            const double take = std::min(left, available);
            batch.taken += take;
            left -= take;
            plan.draws.push_back({l, b, take});
        }
        if (left > kQuantityEpsilon)
            throw Error(QStringLiteral("库存不足：商品 %1 需要 %2，批次余量 %3")
                            .arg(lines[l].productNo).arg(lines[l].quantity).arg(lines[l].quantity - left),
                        ErrorKind::Shortage);
    }
    for (size_t b = 0; b < plan.batches.size(); ++b)
        if (plan.batches[b].taken > 0) plan.touched.push_back(b);
    return plan;
}

// Adds the plan's writes to `batch`: every batch drawn on raised by what the sale takes
// from it (a batch that another till drew on meanwhile no longer qualifies, so the count
// of rows raised tells), and one cost row per draw, in line order (identities rise in
// insertion order). `result` gets each line's draws when the batch runs.
void addSaleWrites(WriteBatch& batch, const SalePlan& plan, const QString& saleNo, const std::vector<SaleQuantity>& lines,
                   std::vector<std::vector<BatchDraw>>& result) {
    for (size_t from = 0; from < plan.touched.size(); from += kRowsPerStatement) {
        const int n = int(std::min<size_t>(kRowsPerStatement, plan.touched.size() - from));
        QStringList cases, where;
        for (int i = 0; i < n; ++i) {
            cases << QStringLiteral("WHEN JHDNO = :cj%1_%2 AND SPNO = :cs%1_%2 THEN CAST(:ct%1_%2 AS DOUBLE PRECISION)").arg(from).arg(i);
            where << QStringLiteral("(JHDNO = :wj%1_%2 AND SPNO = :ws%1_%2 AND SL - XSSL >= CAST(:wt%1_%2 AS DOUBLE PRECISION) - 0.000000001)")
                         .arg(from).arg(i);
        }
        // Typed parameters: PostgreSQL cannot infer a type for a value inside CASE.
        batch.addCounted(QStringLiteral("UPDATE JHDMXB SET XSSL = XSSL + CASE %1 END WHERE %2")
                      .arg(cases.join(u' '), where.join(QStringLiteral(" OR "))),
                  [&plan, from, n](Statement& raise) {
                      for (int i = 0; i < n; ++i) {
                          const SalePlan::Batch& b = plan.batches[plan.touched[from + i]];
                          auto name = [from, i](const char* p) { return QStringLiteral(":%1%2_%3").arg(QLatin1String(p)).arg(from).arg(i); };
                          raise.bind(name("cj"), b.no).bind(name("cs"), b.productNo).bind(name("ct"), b.taken)
                              .bind(name("wj"), b.no).bind(name("ws"), b.productNo).bind(name("wt"), b.taken);
                      }
                  },
                  [n](qint64 raised) {
                      if (raised != n) throw Error(QStringLiteral("库存不足：批次已被其他收银台占用"), ErrorKind::Shortage);
                  });
    }
    for (size_t from = 0; from < plan.draws.size(); from += kRowsPerStatement) {
        const int n = int(std::min<size_t>(kRowsPerStatement, plan.draws.size() - from));
        QStringList rows;
        for (int i = 0; i < n; ++i)
            rows << QStringLiteral("(:x%1_%2, :j%1_%2, :s%1_%2, :q%1_%2, 0, :n%1_%2, :u%1_%2, :z%1_%2, :p%1_%2, :a%1_%2, :d%1_%2, :c%1_%2)")
                        .arg(from).arg(i);
        batch.add(QStringLiteral("INSERT INTO XSCBB(XSNO, JHDNO, SPNO, XSSL, THSL, SPNAME, JSDW, ZYNO, SJ, XSJE, DJ, ZJE) VALUES %1 RETURNING ID")
                      .arg(rows.join(QStringLiteral(", "))),
                  [&plan, &lines, saleNo, from, n](Statement& cost) {
                      for (int i = 0; i < n; ++i) {
                          const SalePlan::Draw& d = plan.draws[from + i];
                          auto name = [from, i](char column) { return QStringLiteral(":%1%2_%3").arg(QLatin1Char(column)).arg(from).arg(i); };
                          cost.bind(name('x'), saleNo)
                              .bind(name('j'), plan.batches[d.batch].no)
                              .bind(name('s'), plan.batches[d.batch].productNo)
                              .bind(name('q'), d.quantity);
                          // The two amounts worked out here in Money, rounded once, half to even,
                          // the same on both backends; a line without details has its names NULL
                          // and its amounts 0.
                          const std::optional<SaleCostDetails>& details = lines[d.line].details;
                          const SaleCostDetails none;
                          const SaleCostDetails& c = details ? *details : none;
                          if (details) cost.bind(name('n'), c.productName).bind(name('u'), c.unit);
                          else cost.bindTextOrNull(name('n'), QString()).bindTextOrNull(name('u'), QString());
                          cost.bindTextOrNull(name('z'), c.staffNo)
                              .bind(name('p'), c.price)
                              .bind(name('a'), c.price.times(d.quantity))
                              .bind(name('d'), details ? plan.batches[d.batch].costPrice : Money{})
                              .bind(name('c'), plan.cost(d, lines));
                      }
                  },
                  [&plan, &lines, &result, saleNo, from, n](const std::vector<qint64>& created) {
                      if (int(created.size()) != n) throw Error(QStringLiteral("cost lines not created for sale %1").arg(saleNo));
                      std::vector<qint64> ids = created;
                      std::sort(ids.begin(), ids.end());
                      for (int i = 0; i < n; ++i) {
                          const SalePlan::Draw& d = plan.draws[from + i];
                          result[d.line].push_back({ids[size_t(i)], plan.batches[d.batch].no, d.quantity, plan.cost(d, lines)});
                      }
                  });
    }
}

}  // namespace

void StockLedger::recordMovements(const QString& movementNo, const QString& documentNo,
                                  const std::vector<Movement>& lines, bool guardBalances) {
    if (lines.empty()) return;
    const BalanceDeltas deltas = balanceDeltas(lines);
    ProcedureScope scope(m_connection);
    WriteBatch batch(m_connection);
    addMovementLines(batch, movementNo, documentNo, lines);
    moveBalances(batch, deltas, guardBalances);
    scope.commit();
}

std::vector<std::vector<BatchDraw>> StockLedger::allocateSaleLines(const QString& saleNo, const QString& operatorNo,
                                                                   const std::vector<SaleQuantity>& lines) {
    Q_UNUSED(operatorNo);
    std::vector<std::vector<BatchDraw>> result(lines.size());
    const QStringList products = productsSold(lines);
    if (products.isEmpty()) return result;
    ProcedureScope scope(m_connection);
    WriteBatch batch(m_connection);
    const SalePlan plan = planSale(m_connection, lines, products, batch);
    addSaleWrites(batch, plan, saleNo, lines, result);
    batch.run();
    scope.commit();
    return result;
}

std::vector<std::vector<BatchDraw>> StockLedger::sell(const QString& saleNo, const std::vector<SaleQuantity>& lines,
                                                      const QString& movementNo, std::vector<Movement> movements,
                                                      WriteBatch& document) {
    if (movements.size() != lines.size()) throw Error(QStringLiteral("a sale needs one movement line per sale line"));
    std::vector<std::vector<BatchDraw>> result(lines.size());
    const QStringList products = productsSold(lines);
    const BalanceDeltas deltas = balanceDeltas(movements);
    ProcedureScope scope(m_connection);
    // Nothing to read when nothing is taken from stock: the document's writes then go with
    // the movement lines.
    WriteBatch rest(m_connection);
    WriteBatch* writes = &document;
    SalePlan plan;
    if (!products.isEmpty()) {
        plan = planSale(m_connection, lines, products, document);
        writes = &rest;
        addSaleWrites(rest, plan, saleNo, lines, result);
    }
    for (const SalePlan::Draw& d : plan.draws) movements[d.line].cost += plan.cost(d, lines);
    addMovementLines(*writes, movementNo, saleNo, movements);
    if (deltas.empty()) writes->run();
    else moveBalances(*writes, deltas, true);
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
