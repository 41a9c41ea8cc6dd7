// The benchmark: generates a shop of realistic size on SQLite or PostgreSQL and times the
// hot paths with many repetitions (p50/p99), each beside a raw floor (the same rows
// written with prepared statements in one transaction) so overhead reads as a ratio.
#include "BenchData.h"
#include "BenchTimer.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/MonthEnd.h"
#include "db/Periods.h"
#include "db/SalesStatistics.h"
#include "db/StockSummary.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockDocuments.h"
#include "db/StockLedger.h"
#include "db/StockQueries.h"
#include "db/Stocktake.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"
#include "db/Transaction.h"
#include "query/ConditionBuilder.h"
#include "query/QueryRowSource.h"
#include "reports/TfrmBaseReport.h"
#include "sales/RetailPosting.h"
#include "stock/TfrmProgress.h"

#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "app/ScreenRegistry.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QRandomGenerator>
#include <QTextStream>
#include <algorithm>

namespace {

struct Options {
    QString database = QStringLiteral("sqlite:/tmp/pos_bench.db");
    BenchScale scale;
    int reps = 2000;
    int saleReps = 300;
    int queryReps = 3;
    bool regenerate = false;
    QString only;
};

QString usage() {
    return QStringLiteral(
        "Usage: pos_bench [--database URL] [--products N] [--stores N] [--sale-lines N]\n"
        "                 [--reps N] [--sale-reps N] [--query-reps N] [--regenerate] [--only NAME]\n"
        "Default: sqlite:/tmp/pos_bench.db, 100000 products, 20 stores, 1000000 sale lines.\n"
        "Cases (--only runs those whose name contains NAME): GetSerialNo GetStoreCount FindProduct Hot\n"
        "spDayOver Retail Receiving Transfer Summary MonthEnd Chart Query Stocktake Startup Screen.\n");
}

bool parse(const QStringList& args, Options& o, QString& error) {
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        auto next = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        bool ok = true;
        if (a == QLatin1String("--database")) o.database = next();
        else if (a == QLatin1String("--products")) o.scale.products = next().toInt(&ok);
        else if (a == QLatin1String("--stores")) o.scale.stores = next().toInt(&ok);
        else if (a == QLatin1String("--sale-lines")) o.scale.saleLines = next().toInt(&ok);
        else if (a == QLatin1String("--reps")) o.reps = next().toInt(&ok);
        else if (a == QLatin1String("--sale-reps")) o.saleReps = next().toInt(&ok);
        else if (a == QLatin1String("--query-reps")) o.queryReps = next().toInt(&ok);
        else if (a == QLatin1String("--regenerate")) o.regenerate = true;
        else if (a == QLatin1String("--only")) o.only = next();
        else { error = QStringLiteral("unknown argument: ") + a; return false; }
        if (!ok) { error = QStringLiteral("not a number after ") + a; return false; }
    }
    return true;
}

}  // namespace

// Opens a screen as the menu does, shows it, lets it paint and closes it: the time of
// constructing and showing, with no operator in front of it.
class ShowAndCloseRunner : public ModalRunner {
public:
    int run(QDialog& dialog) override {
        dialog.show();
        QCoreApplication::processEvents();
        dialog.reject();
        return QDialog::Rejected;
    }
};

// A retail sale of `lines` lines of one product, one unit each, from store 001.
RetailSale oneProductSale(const QString& productNo, int lines) {
    RetailSale sale;
    sale.operatorNo = QStringLiteral("001");
    sale.storeNo = BenchData::storeNo(1);
    sale.customerName = QStringLiteral("基准顾客");
    Money total;
    for (int line = 0; line < lines; ++line) {
        RetailSaleLine l;
        l.productNo = productNo;
        l.productName = QStringLiteral("基准商品");
        l.unit = QStringLiteral("个");
        l.quantity = 1;
        l.price = Money::fromYuan(5);
        l.promoterNo = QStringLiteral("101");
        total += l.amount();
        sale.lines.push_back(l);
    }
    sale.amountDue = total;
    sale.amountReceived = total;
    return sale;
}

int main(int argc, char** argv) {
    // The screen cases need widgets; without a display they are drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    Options o;
    QString error;
    if (app.arguments().contains(QStringLiteral("--help"))) { out << usage(); return 0; }
    if (!parse(app.arguments(), o, error)) { err << error << "\n" << usage(); return 2; }
    const auto url = db::ConnectionUrl::parse(o.database, &error);
    if (!url) { err << error << Qt::endl; return 2; }

    try {
        {
            db::Connection setup(*url);
            setup.open(db::Connection::OpenMode::Create);
            BenchData::ensure(setup, o.scale, o.regenerate);
        }
        TfrmBaseDataModule module(*url);
        module.DataModuleConnect();
        if (!module.ConnectOK) { err << module.LastConnectError << Qt::endl; return 1; }
        setFrmBaseDataModule(&module);
        TfrmDM dm(module);
        setFrmDM(&dm);
        db::Connection& c = module.Database();
        QRandomGenerator rng(20261209);
        auto randomProduct = [&] { return BenchData::productNo(int(rng.bounded(o.scale.products)) + 1); };
        auto randomStore = [&] { return BenchData::storeNo(int(rng.bounded(o.scale.stores)) + 1); };

        BenchTable table(out, url->backend == db::Backend::Sqlite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"));
        auto wanted = [&](const QString& name) { return o.only.isEmpty() || name.contains(o.only); };

        if (wanted(QStringLiteral("GetSerialNo"))) {
            // The floor is a committed one-row write: on SQLite with synchronous=FULL both
            // are bound by the disk's flush.
            c.execute(QStringLiteral("DELETE FROM SERIALNO WHERE SERIALTYPE = 'Z'"));
            c.execute(QStringLiteral("INSERT INTO SERIALNO(SERIALTYPE, LASTDATE, LASTNO) VALUES('Z', '20000101', 0)"));
            const BenchResult floor = measure(o.reps, [&] {
                db::Statement s(c, QStringLiteral("UPDATE SERIALNO SET LASTNO = LASTNO + 1 WHERE SERIALTYPE = 'Z'"));
                s.exec();
            });
            table.add(QStringLiteral("GetSerialNo"), measure(o.reps, [&] { dm.GetSerialNo(QStringLiteral("001"), QStringLiteral("X")); }),
                      floor, QStringLiteral("one-row update"));
        }
        if (wanted(QStringLiteral("GetStoreCount"))) {
            const BenchResult floor = measure(o.reps, [&] {
                db::Statement s(c, QStringLiteral("SELECT SL FROM QTJHDMXB WHERE SPNO = :p AND CKNO = :c"));
                s.bind(QStringLiteral(":p"), randomProduct()).bind(QStringLiteral(":c"), randomStore()).exec();
                while (s.next()) {}
            });
            table.add(QStringLiteral("GetStoreCount"),
                      measure(o.reps, [&] { dm.GetStoreCount(randomProduct(), randomStore()); }), floor,
                      QStringLiteral("read the rows it sums"));
        }
        if (wanted(QStringLiteral("FindProduct"))) {
            const BenchResult floor = measure(o.reps, [&] {
                db::Statement s(c, QStringLiteral("SELECT SPNO FROM SPB WHERE SPNO = :p"));
                s.bind(QStringLiteral(":p"), randomProduct()).first();
            });
            table.add(QStringLiteral("FindProduct"), measure(o.reps, [&] { dm.FindProduct(randomProduct()); }), floor,
                      QStringLiteral("key lookup"));
        }

        if (wanted(QStringLiteral("Hot"))) {
            // A hot product (sold in most sales for years: 300,000 movements in store 001) beside
            // a cold one of the same store; both get a large batch so the postings never run dry.
            const QString hot = BenchData::productNo(o.scale.stores);
            const QString cold = BenchData::productNo(2 * o.scale.stores);
            const QString store = BenchData::storeNo(1);
            bool present = false;
            {
                db::Statement s(c, QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'BenchHot'"));
                present = s.first() && s.text(0) == hot;
            }
            if (!present) {
                QElapsedTimer t;
                t.start();
                db::Transaction tx(c);
                db::Statement history(c, QStringLiteral(
                    "WITH RECURSIVE n(i) AS (SELECT CAST(1 AS BIGINT) UNION ALL SELECT i + 1 FROM n WHERE i < 300000) "
                    "INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE, CZRQ) "
                    "SELECT CAST(300000000000000 + i AS VARCHAR(15)), CAST(300000000000000 + i AS VARCHAR(15)), :p, '基准商品', '个', 1, "
                    ":c, '销售', adddays(getdate(), CAST(-(i % 1000) AS INTEGER)) FROM n"));
                history.bind(QStringLiteral(":p"), hot).bind(QStringLiteral(":c"), store).exec();
                for (const QString& p : {hot, cold}) {
                    db::Statement batch(c, QStringLiteral("INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) "
                                                          "VALUES('100000000000001', :p, '基准商品', '个', 3, 1000000, 0, 3000000, :c)"));
                    batch.bind(QStringLiteral(":p"), p).bind(QStringLiteral(":c"), store).exec();
                    db::Statement move(c, QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE, CZRQ) "
                                                         "VALUES('100000000000001', '100000000000001', :p, '基准商品', '个', 1000000, :c, '入库', getdate())"));
                    move.bind(QStringLiteral(":p"), p).bind(QStringLiteral(":c"), store).exec();
                }
                db::StockLedger(c).rebuildBalances();
                db::Statement mark(c, QStringLiteral("INSERT INTO sysvariable(vrname, vrvalue, vrscript) VALUES('BenchHot', :v, 'benchmark hot product')"));
                mark.bind(QStringLiteral(":v"), hot).exec();
                tx.commit();
                c.execute(QStringLiteral("ANALYZE"));
                out << "  hot product's 300,000 movements: " << t.elapsed() << " ms" << Qt::endl;
            }
            auto lookup = [&](const QString& p) {
                return measure(o.reps, [&] {
                    dm.FindProduct(p);
                    dm.GetStoreCount(p, store);
                });
            };
            const BenchResult coldLookup = lookup(cold);
            const BenchResult lookupFloor = measure(o.reps, [&] {
                db::Statement s(c, QStringLiteral("SELECT SPNO FROM SPB WHERE SPNO = :p"));
                s.bind(QStringLiteral(":p"), cold).first();
                db::Statement b(c, QStringLiteral("SELECT KCSL FROM KCYEB WHERE SPNO = :p AND CKNO = :c"));
                b.bind(QStringLiteral(":p"), cold).bind(QStringLiteral(":c"), store).first();
            });
            table.add(QStringLiteral("Cold product lookup"), coldLookup, lookupFloor, QStringLiteral("two key lookups, raw"));
            table.add(QStringLiteral("Hot product lookup"), lookup(hot), coldLookup,
                      QStringLiteral("the cold product's lookup (goal <= 1.2)"));

            const auto previous = [&] {
                db::Statement s(c, QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'isCheckStore'"));
                return s.first() ? s.text(0) : QStringLiteral("0");
            }();
            auto setCheckStore = [&](const QString& value) {
                db::Statement s(c, QStringLiteral("UPDATE sysvariable SET vrvalue = :v WHERE vrname = 'isCheckStore'"));
                s.bind(QStringLiteral(":v"), value).exec();
            };
            setCheckStore(QStringLiteral("-1"));
            RetailPosting posting(c);
            const RetailSale hotSale = oneProductSale(hot, 10);
            const RetailSale coldSale = oneProductSale(cold, 10);
            // Alternating, so neither side gets a quieter disk or warmer cache.
            std::vector<double> hotMs, coldMs;
            QElapsedTimer t;
            for (int i = 0; i < o.saleReps + 20; ++i) {
                for (const bool isHot : {true, false}) {
                    t.start();
                    posting.post(isHot ? hotSale : coldSale);
                    if (i >= 20) (isHot ? hotMs : coldMs).push_back(double(t.nsecsElapsed()) / 1e6);
                }
            }
            setCheckStore(previous);
            auto result = [](std::vector<double>& ms) {
                std::sort(ms.begin(), ms.end());
                return BenchResult{ms[ms.size() / 2], ms[std::min(ms.size() - 1, size_t(0.99 * double(ms.size())))], int(ms.size())};
            };
            const BenchResult coldPosting = result(coldMs);
            table.add(QStringLiteral("Hot product sale x10"), result(hotMs), coldPosting,
                      QStringLiteral("the cold product's sale (goal <= 1.2)"));
        }
        if (wanted(QStringLiteral("spDayOver"))) {
            // A 10-line sale, each line of 3 units drawing on three batches (1 + 1 + 1).
            c.execute(QStringLiteral("DELETE FROM XSCBB WHERE XSNO = 'BENCH'"));
            c.execute(QStringLiteral("DELETE FROM XSB WHERE XSNO = 'BENCH'"));
            c.execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO) VALUES('BENCH', '000')"));
            int next = 0;
            auto freshProduct = [&] { return BenchData::productNo(o.scale.products - (next++ % o.scale.products)); };
            const BenchResult real = measure(o.saleReps, [&] {
                db::Transaction tx(c);
                db::StockLedger ledger(c);
                for (int line = 0; line < 10; ++line)
                    ledger.allocateSale(QStringLiteral("BENCH"), QStringLiteral("001"), freshProduct(), 3);
                tx.commit();
            });
            const BenchResult floor = measure(o.saleReps, [&] {
                db::Transaction tx(c);
                db::Statement ins(c, QStringLiteral("INSERT INTO XSCBB(XSNO, JHDNO, SPNO, XSSL, THSL) VALUES('BENCH', :j, :p, 1, 0)"));
                db::Statement upd(c, QStringLiteral("UPDATE JHDMXB SET XSSL = XSSL WHERE JHDNO = :j AND SPNO = :p"));
                for (int line = 0; line < 10; ++line) {
                    const int i = int(rng.bounded(o.scale.products)) + 1;
                    for (int b = 1; b <= 3; ++b) {
                        const QString batch = QString::number(100000000000000LL + b + (i % 200) * 3);
                        ins.bind(QStringLiteral(":j"), batch).bind(QStringLiteral(":p"), BenchData::productNo(i)).exec();
                        upd.bind(QStringLiteral(":j"), batch).bind(QStringLiteral(":p"), BenchData::productNo(i)).exec();
                    }
                }
                tx.commit();
            });
            table.add(QStringLiteral("spDayOver x10 lines"), real, floor, QStringLiteral("30 inserts + 30 updates, one tx"));
        }
        if (wanted(QStringLiteral("Retail"))) {
            // A 10-line retail sale with stock checking on, posted as the settlement posts it.
            // All lines come from one store: product i was received into store (i % stores) + 1,
            // three batches each (1 + 1 + 1000 units), so a fresh product's 3 units draw on
            // three batches and a product sold before on one.
            const auto previous = [&] {
                db::Statement s(c, QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'isCheckStore'"));
                return s.first() ? s.text(0) : QStringLiteral("0");
            }();
            auto setCheckStore = [&](const QString& value) {
                db::Statement s(c, QStringLiteral("UPDATE sysvariable SET vrvalue = :v WHERE vrname = 'isCheckStore'"));
                s.bind(QStringLiteral(":v"), value).exec();
            };
            setCheckStore(QStringLiteral("-1"));
            // Products whose two small batches are both still unsold (a sale of 3 then draws on
            // three batches), grouped by their store; the sale uses the store with the most.
            const int stores = std::max(1, o.scale.stores);
            std::vector<std::vector<int>> fresh(static_cast<size_t>(stores));
            {
                db::Statement s(c, QStringLiteral(
                    "SELECT SPNO FROM JHDMXB WHERE SL = 10 AND SL - XSSL > 0 GROUP BY SPNO HAVING COUNT(*) = 2"));
                s.exec();
                while (s.next()) {
                    const int i = int(s.text(0).toLongLong() - 1000000);
                    fresh[size_t(i % stores)].push_back(i);
                }
            }
            const auto most = std::max_element(fresh.begin(), fresh.end(),
                                               [](const auto& a, const auto& b) { return a.size() < b.size(); });
            const int storeIndex = int(most - fresh.begin());
            // Past the fresh ones, products of the same store that were sold before (one batch).
            std::vector<int> products = *most;
            for (int i = storeIndex == 0 ? stores : storeIndex; i <= o.scale.products; i += stores) products.push_back(i);
            const size_t freshCount = most->size();
            size_t used = 0;
            auto storeProduct = [&] { return products[used++ % products.size()]; };
            RetailSale sale;
            sale.operatorNo = QStringLiteral("001");
            sale.storeNo = BenchData::storeNo(storeIndex + 1);
            sale.customerName = QStringLiteral("基准顾客");
            auto nextSale = [&] {
                sale.lines.clear();
                Money total;
                for (int line = 0; line < 10; ++line) {
                    const int i = storeProduct();
                    RetailSaleLine l;
                    l.productNo = BenchData::productNo(i);
                    l.productName = QStringLiteral("基准商品");
                    l.unit = QStringLiteral("个");
                    l.quantity = 3;
                    l.price = Money::fromYuan(5 + i % 50);
                    l.promoterNo = QStringLiteral("101");
                    total += l.amount();
                    sale.lines.push_back(l);
                }
                sale.amountDue = total;
                sale.amountReceived = total;
            };
            RetailPosting posting(c);
            const BenchResult real = measure(o.saleReps, [&] {
                nextSale();
                posting.post(sale);
            });
            setCheckStore(previous);

            // The floor: the same rows written with prepared statements in one transaction.
            int floorSale = 0;
            const BenchResult floor = measure(o.saleReps, [&] {
                const QString no = QStringLiteral("BF%1").arg(++floorSale, 13, 10, QLatin1Char('0'));
                db::Transaction tx(c);
                db::Statement serial(c, QStringLiteral("UPDATE SERIALNO SET LASTNO = LASTNO + 1 WHERE SERIALTYPE = :t RETURNING LASTNO"));
                for (const char* t : {"X", "W"}) {
                    serial.bind(QStringLiteral(":t"), QString::fromLatin1(t)).first();
                    serial.query().finish();
                }
                db::Statement takings(c, QStringLiteral("INSERT INTO SYYSKB(XSNO, SKMONEY, BNNO, JKFLAG) VALUES(:n, 150, '001', 0)"));
                takings.bind(QStringLiteral(":n"), no).exec();
                db::Statement header(c, QStringLiteral("INSERT INTO XSB(XSNO, SPZE, SKZE, BNNO, KHNO, KHLX) VALUES(:n, 150, 150, '001', '000', 'L')"));
                header.bind(QStringLiteral(":n"), no).exec();
                db::Statement line(c, QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, ZYNO) "
                                                     "VALUES(:n, :p, '基准商品', '个', 3, 5, 100, 15, '101')"));
                db::Statement move(c, QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE) "
                                                     "VALUES(:n, :n, :p, '基准商品', '个', 3, '002', '销售')"));
                db::Statement cost(c, QStringLiteral("INSERT INTO XSCBB(XSNO, JHDNO, SPNO, XSSL, THSL, SJ, XSJE, DJ, ZJE) "
                                                     "VALUES(:n, :j, :p, 1, 0, 5, 5, 3, 3)"));
                db::Statement batch(c, QStringLiteral("UPDATE JHDMXB SET XSSL = XSSL WHERE JHDNO = :j AND SPNO = :p"));
                db::Statement balance(c, QStringLiteral("UPDATE KCYEB SET KCSL = KCSL WHERE SPNO = :p AND CKNO = '002'"));
                for (int l = 0; l < 10; ++l) {
                    const int i = int(rng.bounded(o.scale.products)) + 1;
                    const QString p = BenchData::productNo(i);
                    line.bind(QStringLiteral(":n"), no).bind(QStringLiteral(":p"), p).exec();
                    move.bind(QStringLiteral(":n"), no).bind(QStringLiteral(":p"), p).exec();
                    balance.bind(QStringLiteral(":p"), p).exec();
                    for (int b = 1; b <= 3; ++b) {
                        const QString j = QString::number(100000000000000LL + b + (i % 200) * 3);
                        batch.bind(QStringLiteral(":j"), j).bind(QStringLiteral(":p"), p).exec();
                        cost.bind(QStringLiteral(":n"), no).bind(QStringLiteral(":j"), j).bind(QStringLiteral(":p"), p).exec();
                    }
                }
                tx.commit();
            });
            {
                db::Transaction tx(c);
                for (const char* t : {"XSCBB", "QTJHDMXB", "XSMXB", "SYYSKB", "XSB"}) {
                    const QString column = QString::fromLatin1(t) == QLatin1String("QTJHDMXB") ? QStringLiteral("WLNO") : QStringLiteral("XSNO");
                    c.execute(QStringLiteral("DELETE FROM %1 WHERE %2 LIKE 'BF%'").arg(QString::fromLatin1(t), column));
                }
                tx.commit();
            }
            const int threeBatchSales = int(std::min<size_t>(freshCount, used) / 10);
            table.add(QStringLiteral("Retail sale x10 lines"), real, floor,
                      QStringLiteral("same rows, prepared, one tx; %1 of %2 sales drew 3 batches a line")
                          .arg(threeBatchSales).arg(used / 10));
        }
        if (wanted(QStringLiteral("Receiving")) || wanted(QStringLiteral("Transfer"))) {
            // Receiving a 50-line document into store 002 from supplier 001, then transfers of
            // 10 of the received products back to store 001, each beside the same rows written
            // with prepared statements in one transaction.
            db::StockDocuments documents(c);
            std::vector<QString> received;
            auto distinctProducts = [&](int n) {
                std::vector<QString> picked;
                while (int(picked.size()) < n) {
                    const QString p = randomProduct();
                    if (std::find(picked.begin(), picked.end(), p) == picked.end()) picked.push_back(p);
                }
                return picked;
            };
            const BenchResult receiving = measure(o.saleReps, [&] {
                db::Receiving r{QStringLiteral("BENCH"), QStringLiteral("001"), QString(), QDateTime::currentDateTime(),
                                QString(), QStringLiteral("001"), {}};
                for (const QString& p : distinctProducts(50)) {
                    r.lines.push_back({p, QStringLiteral("基准商品"), QStringLiteral("个"), 100, Money::fromYuan(3),
                                       QStringLiteral("002")});
                    received.push_back(p);
                }
                documents.receive(r);
            });
            int floorDoc = 0;
            auto receivingFloor = [&] {
                const QString no = QStringLiteral("RF%1").arg(++floorDoc, 13, 10, QLatin1Char('0'));
                db::Transaction tx(c);
                db::Statement serial(c, QStringLiteral("UPDATE SERIALNO SET LASTNO = LASTNO + 1 WHERE SERIALTYPE = :t RETURNING LASTNO"));
                for (const char* t : {"J", "W", "F"}) {
                    serial.bind(QStringLiteral(":t"), QString::fromLatin1(t)).first();
                    serial.query().finish();
                }
                db::Statement header(c, QStringLiteral("INSERT INTO JHDSJB(JHDNO, JHNO, CSNO, BNNO) VALUES(:n, 'BENCH', '001', '001')"));
                header.bind(QStringLiteral(":n"), no).exec();
                db::Statement line(c, QStringLiteral("INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) "
                                                     "VALUES(:n, :p, '基准商品', '个', 3, 100, 0, 300, '002')"));
                db::Statement move(c, QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE) "
                                                     "VALUES(:n, :n, :p, '基准商品', '个', 100, '002', '入库')"));
                db::Statement balance(c, QStringLiteral("UPDATE KCYEB SET KCSL = KCSL WHERE SPNO = :p AND CKNO = '002'"));
                for (const QString& p : distinctProducts(50)) {
                    line.bind(QStringLiteral(":n"), no).bind(QStringLiteral(":p"), p).exec();
                    move.bind(QStringLiteral(":n"), no).bind(QStringLiteral(":p"), p).exec();
                    balance.bind(QStringLiteral(":p"), p).exec();
                }
                db::Statement last(c, QStringLiteral("SELECT YE FROM GYSJSWLB WHERE CSNO = '001' ORDER BY JSNO DESC LIMIT 1"));
                last.first();
                last.query().finish();
                db::Statement ledger(c, QStringLiteral("INSERT INTO GYSJSWLB(JSNO, CSNO, JF, JD, YE, BNNO) VALUES(:n, '001', 15000, '借', 0, '001')"));
                ledger.bind(QStringLiteral(":n"), no).exec();
                tx.commit();
            };
            const BenchResult receivingFloorResult = measure(o.saleReps, receivingFloor);
            table.add(QStringLiteral("Receiving x50 lines"), receiving, receivingFloorResult,
                          QStringLiteral("same rows, prepared, one tx"));

            size_t next = 0;
            const BenchResult transfer = measure(o.saleReps, [&] {
                db::Transfer t{QStringLiteral("001"), {}};
                for (int l = 0; l < 10; ++l)
                    t.lines.push_back({received[next++ % received.size()], QStringLiteral("基准商品"), QStringLiteral("个"), 1,
                                       QStringLiteral("001"), QStringLiteral("002")});
                documents.transfer(t);
            });
            int floorMove = 0;
            const BenchResult transferFloor = measure(o.saleReps, [&] {
                const QString no = QStringLiteral("TF%1").arg(++floorMove, 13, 10, QLatin1Char('0'));
                db::Transaction tx(c);
                db::Statement serial(c, QStringLiteral("UPDATE SERIALNO SET LASTNO = LASTNO + 1 WHERE SERIALTYPE = 'W' RETURNING LASTNO"));
                serial.first();
                serial.query().finish();
                db::Statement move(c, QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE) "
                                                     "VALUES(:n, :n, :p, '基准商品', '个', 0, :c, :k)"));
                db::Statement balance(c, QStringLiteral("UPDATE KCYEB SET KCSL = KCSL WHERE SPNO = :p AND CKNO = :c"));
                for (int l = 0; l < 10; ++l) {
                    const QString p = received[size_t(l * 7 + floorMove) % received.size()];
                    for (const auto& [store, kind] : {std::pair{"002", "调出"}, std::pair{"001", "调入"}}) {
                        move.bind(QStringLiteral(":n"), no).bind(QStringLiteral(":p"), p)
                            .bind(QStringLiteral(":c"), QString::fromLatin1(store)).bind(QStringLiteral(":k"), QString::fromUtf8(kind)).exec();
                        balance.bind(QStringLiteral(":p"), p).bind(QStringLiteral(":c"), QString::fromLatin1(store)).exec();
                    }
                }
                tx.commit();
            });
            table.add(QStringLiteral("Transfer x10 lines"), transfer, transferFloor, QStringLiteral("same rows, prepared, one tx"));
            {
                db::Transaction tx(c);
                c.execute(QStringLiteral("DELETE FROM QTJHDMXB WHERE WLNO LIKE 'RF%' OR WLNO LIKE 'TF%'"));
                c.execute(QStringLiteral("DELETE FROM JHDMXB WHERE JHDNO LIKE 'RF%'"));
                c.execute(QStringLiteral("DELETE FROM JHDSJB WHERE JHDNO LIKE 'RF%'"));
                c.execute(QStringLiteral("DELETE FROM GYSJSWLB WHERE JSNO LIKE 'RF%'"));
                tx.commit();
            }
        }
        if (wanted(QStringLiteral("Summary"))) {
            // The stock summary over the last year of sales (openings from the receipts before it).
            const QDate today = db::Periods(c).today();
            const QDate from = today.addDays(-364);
            const int reps = std::max(1, o.queryReps);
            size_t rows = 0;
            const BenchResult real = measureCold(reps, [&] { rows = db::StockSummary(c).rows(from, today).size(); });
            // The floor: the movement lines of the year summed per product and kind, read raw.
            const BenchResult floor = measureCold(reps, [&] {
                db::Statement s(c, QStringLiteral("SELECT SPNO, WLTYPE, SUM(SL) FROM QTJHDMXB WHERE CZRQ >= :f GROUP BY SPNO, WLTYPE"));
                s.bind(QStringLiteral(":f"), from).exec();
                while (s.next()) s.value(0);
            });
            table.add(QStringLiteral("Summary one year"), real, floor,
                      QStringLiteral("movements of the year per product, raw; %1 rows").arg(rows));
        }
        if (wanted(QStringLiteral("MonthEnd"))) {
            // The carry-forward of the year that ended yesterday, rolled back so it can repeat.
            const QDate today = db::Periods(c).today();
            const int reps = std::max(1, o.queryReps);
            const BenchResult real = measureCold(reps, [&] {
                db::Transaction tx(c);
                db::MonthEnd(c).carryForward(today.addDays(-365), today.addDays(-1), QStringLiteral("001"));
            });
            const BenchResult floor = measureCold(reps, [&] { db::StockSummary(c).rows(today.addDays(-365), today.addDays(-1)); });
            table.add(QStringLiteral("MonthEnd one year"), real, floor, QStringLiteral("the summary it records"));
        }
        if (wanted(QStringLiteral("Chart"))) {
            const QDate today = db::Periods(c).today();
            db::SalesStatistics stats(c);
            auto randomDay = [&] { return today.addDays(-int(rng.bounded(365))); };
            auto randomCategory = [&] { return QString::number(10 + int(rng.bounded(20))); };
            const int reps = std::max(20, o.queryReps);
            // The floor: the cost rows of one day, read raw.
            const BenchResult dayFloor = measure(reps, [&] {
                const QDate d = randomDay();
                db::Statement s(c, QStringLiteral("SELECT SPNO, XSSL FROM XSCBB WHERE CZDATE >= :f AND CZDATE < :t"));
                s.bind(QStringLiteral(":f"), d).bind(QStringLiteral(":t"), d.addDays(1)).exec();
                while (s.next()) s.value(0);
            });
            table.add(QStringLiteral("Chart top ten of a day"),
                      measure(reps, [&] { stats.topSalesOfDay(randomDay(), randomCategory()); }), dayFloor,
                      QStringLiteral("a day's cost rows, raw"));
            const BenchResult monthFloor = measureCold(std::max(1, o.queryReps), [&] {
                const QDate d(today.year(), int(rng.bounded(12)) + 1, 1);
                db::Statement s(c, QStringLiteral("SELECT SPNO, XSSL FROM XSCBB WHERE CZDATE >= :f AND CZDATE < :t"));
                s.bind(QStringLiteral(":f"), d).bind(QStringLiteral(":t"), d.addMonths(1)).exec();
                while (s.next()) s.value(0);
            });
            table.add(QStringLiteral("Chart top ten of a month"),
                      measureCold(std::max(3, o.queryReps), [&] { stats.topSalesOfMonth(int(rng.bounded(12)) + 1, randomCategory()); }),
                      monthFloor, QStringLiteral("a month's cost rows, raw"));
            const BenchResult productFloor = measure(reps, [&] {
                db::Statement s(c, QStringLiteral("SELECT XSSL FROM XSCBB WHERE SPNO = :p"));
                s.bind(QStringLiteral(":p"), randomProduct()).exec();
                while (s.next()) s.value(0);
            });
            table.add(QStringLiteral("Chart product by day"),
                      measure(reps, [&] { stats.productSalesByDay(randomProduct(), randomDay()); }), productFloor,
                      QStringLiteral("the product's cost rows, raw"));
            table.add(QStringLiteral("Chart product by month"),
                      measure(reps, [&] { stats.productSalesByMonth(randomProduct(), int(rng.bounded(12)) + 1); }), productFloor,
                      QStringLiteral("the product's cost rows, raw"));
            // The table screens and the supplier printout over a month and over the year; the
            // floor reads the period's cost rows raw.
            struct Period { const char* name; QDate from; QDate to; };
            const QDate monthStart(today.addMonths(-1).year(), today.addMonths(-1).month(), 1);
            const Period periods[] = {{"month", monthStart, monthStart.addMonths(1).addDays(-1)},
                                      {"year", today.addDays(-364), today}};
            const int tableReps = std::max(1, o.queryReps);
            for (const Period& p : periods) {
                const QString n = QString::fromLatin1(p.name);
                const BenchResult floor = measureCold(tableReps, [&] {
                    db::Statement s(c, QStringLiteral("SELECT SPNO, XSSL, XSJE, ZJE FROM XSCBB WHERE CZDATE >= :f AND CZDATE < :t"));
                    s.bind(QStringLiteral(":f"), p.from).bind(QStringLiteral(":t"), p.to.addDays(1)).exec();
                    while (s.next()) s.value(0);
                });
                const QString floorIs = QStringLiteral("the %1's cost rows, raw").arg(n);
                size_t rows = 0;
                auto add = [&](const QString& name, const std::function<size_t()>& run) {
                    const BenchResult r = measureCold(tableReps, [&] { rows = run(); });
                    table.add(QStringLiteral("%1 %2").arg(name, n), r, floor, floorIs + QStringLiteral("; %1 rows").arg(rows));
                };
                add(QStringLiteral("Sells by dept"), [&] { return stats.sellsStat(p.from, p.to, QStringLiteral("0")).rows.size(); });
                add(QStringLiteral("Sells by clerk"), [&] { return stats.sellsStat(p.from, p.to, QStringLiteral("1")).rows.size(); });
                add(QStringLiteral("Day sells"), [&] { return stats.daySell(p.from, p.to, QStringLiteral("0")).rows.size(); });
                add(QStringLiteral("Day sells 包销"), [&] { return stats.daySell(p.from, p.to, QStringLiteral("1")).rows.size(); });
                add(QStringLiteral("Supplier sells"), [&] { return stats.sellsMoney(p.from, p.to, QStringLiteral("2")).rows.size(); });
                add(QStringLiteral("Supplier products"), [&] {
                    return stats.productSellsMoney(p.from, p.to, QStringLiteral("007"), QStringLiteral("2")).rows.size();
                });
                add(QStringLiteral("Supplier printout"), [&] {
                    TfrmBaseReport report(QStringLiteral("TfrmRepcsxscx"));
                    report.setConnection(c);
                    report.setParam(QStringLiteral(":begdate1"), p.from);
                    report.setParam(QStringLiteral(":enddate1"), p.to);
                    if (!report.open()) throw db::Error(QStringLiteral("the supplier printout does not open"));
                    return size_t(report.dataset().rowCount());
                });
            }
        }
        if (wanted(QStringLiteral("Query"))) {
            // The sale-line query as its screen runs it, in the screen's order. The items are
            // those of 商品销售明细查询; first the operator asks for every day after 2000-01-01.
            using namespace query;
            QueryItem saleNumber = textItem(QStringLiteral("销售编号"), QStringLiteral("XSNO"), 15);
            saleNumber.lookupTable = QStringLiteral("XSB");
            const QueryItems items{
                saleNumber, textItem(QStringLiteral("商品编码"), QStringLiteral("SPNO"), 15),
                textItem(QStringLiteral("商品名称"), QStringLiteral("SPNAME"), 40), floatItem(QStringLiteral("数量"), QStringLiteral("SPSL")),
                amountItem(QStringLiteral("单价"), QStringLiteral("SPDJ")), integerItem(QStringLiteral("折扣"), QStringLiteral("ZKL")),
                amountItem(QStringLiteral("金额"), QStringLiteral("ZJE")), textItem(QStringLiteral("客户编号"), QStringLiteral("KHNO"), 3),
                textItem(QStringLiteral("客户名称"), QStringLiteral("KHNAME"), 12), textItem(QStringLiteral("联系地址"), QStringLiteral("KHDZ"), 30),
                textItem(QStringLiteral("联系电话"), QStringLiteral("LXDH"), 20), textItem(QStringLiteral("操作员工号"), QStringLiteral("BNNO"), 3),
                textItem(QStringLiteral("操作员名称"), QStringLiteral("BNNAME"), 12), dateItem(QStringLiteral("操作日期"), QStringLiteral("XSDATE"))};
            // A filter of conditions joined by 并且, as the operator composes it.
            struct Condition { const char* item; const char* comparison; QString content; };
            auto filterOf = [&](const std::vector<Condition>& conditions) {
                ConditionBuilder builder(items);
                bool ok = true;
                for (size_t i = 0; i + 1 < conditions.size(); ++i)
                    ok = ok && builder.commit(QString::fromUtf8(conditions[i].item), QString::fromUtf8(conditions[i].comparison),
                                              conditions[i].content, QStringLiteral("并且")) == ConditionBuilder::Outcome::Done;
                const Condition& last = conditions.back();
                ok = ok && builder.finish(QString::fromUtf8(last.item), QString::fromUtf8(last.comparison), last.content)
                               == ConditionBuilder::Outcome::Done;
                if (!ok) throw db::Error(QStringLiteral("the benchmark's query condition does not build"));
                return builder.filter();
            };
            const QString base = QStringLiteral("Select *, SPSL*SPDJ AS MONEY  From vwSPXSMXCX Where ");
            const QString order = QStringLiteral("Order by XSDate, SPNO ");
            const QString rowKey = QStringLiteral("ID");
            const int reps = std::max(1, o.queryReps);
            QueryRowSource rows(items);
            auto percentiles = [](std::vector<double> ms) {
                std::sort(ms.begin(), ms.end());
                return BenchResult{ms[ms.size() / 2], ms.back(), int(ms.size())};
            };
            // The first page as the screen shows it, and the exact count that the background
            // counter delivers afterwards, both timed from the moment the query is opened; the
            // floor is counting and the first 1,000 rows of one sorted statement, read raw.
            auto firstPageAndCount = [&](const QString& name, const Filter& filter) {
                const QString select = base + filter.whereText;
                const BoundValues& values = filter.values;
                LookupSelect lookup;
                if (!filter.lookup.isEmpty())
                    lookup = {base + filter.lookup.whereText, filter.lookup.probe, filter.lookup.probeValues};
                qint64 total = 0;
                std::vector<double> firstMs, firstCpu, countMs;
                for (int i = 0; i < reps; ++i) {
                    QElapsedTimer t;
                    const double cpuStart = threadCpuMs();
                    t.start();
                    rows.open(c, select, order, rowKey, values, lookup);
                    firstMs.push_back(double(t.nsecsElapsed()) / 1e6);
                    firstCpu.push_back(threadCpuMs() - cpuStart);
                    if (rows.totalRows() < 0) {
                        QEventLoop wait;
                        QString failure;
                        const auto known = QObject::connect(&rows, &QueryRowSource::totalRowsKnown, &wait, [&] { wait.quit(); });
                        const auto failed = QObject::connect(&rows, &QueryRowSource::countFailed, &wait, [&](const QString& m) {
                            failure = m;
                            wait.quit();
                        });
                        wait.exec();
                        QObject::disconnect(known);
                        QObject::disconnect(failed);
                        if (!failure.isEmpty()) throw db::Error(QStringLiteral("the background count failed: ") + failure);
                    }
                    countMs.push_back(double(t.nsecsElapsed()) / 1e6);
                    total = rows.totalRows();
                }
                BenchResult first = percentiles(firstMs);
                std::sort(firstCpu.begin(), firstCpu.end());
                first.cpuP50 = firstCpu[firstCpu.size() / 2];
                const BenchResult counted = percentiles(countMs);
                const BenchResult firstFloor = measureCold(reps, [&] {
                    db::Statement count(c, QStringLiteral("Select count(*) From (") + select + QStringLiteral(") q"));
                    for (const auto& [placeholder, value] : values) count.bindValue(placeholder, value);
                    count.first();
                    db::Statement page(c, select + QStringLiteral(" ") + order + QStringLiteral(", ") + rowKey + QStringLiteral(" Limit 1000"));
                    for (const auto& [placeholder, value] : values) page.bindValue(placeholder, value);
                    page.exec();
                    while (page.next()) page.value(0);
                });
                table.add(name + QStringLiteral(" first page"), first, firstFloor,
                          QStringLiteral("count + sorted Limit 1000, raw; %1 rows (goal <= 100 ms)%2")
                              .arg(total)
                              .arg(rows.ledByLookup() ? QStringLiteral("; led by the headers") : QString()));
                table.add(name + QStringLiteral(" count known"), counted, firstFloor,
                          QStringLiteral("count + sorted Limit 1000, raw; in the background"));
                return first;
            };
            // A receipt looked up by its number; by a part of the number that about a hundred
            // sales share (the tail of a receipt number, typed with 包含), and by a part that one
            // sale alone has (the lines are searched to the end); a month of sales.
            const QString middleSale = QString::number(100000000000000LL + std::max(1, o.scale.saleLines / 20));
            const QDate today = QDate::currentDate();
            firstPageAndCount(QStringLiteral("Query number ="), filterOf({{"销售编号", "等于", middleSale}}));
            firstPageAndCount(QStringLiteral("Query number part"), filterOf({{"销售编号", "包含", QStringLiteral("0000099")}}));
            firstPageAndCount(QStringLiteral("Query number rare"), filterOf({{"销售编号", "包含", middleSale.right(6)}}));
            firstPageAndCount(QStringLiteral("Query month"),
                              filterOf({{"操作日期", "大于等于", today.addDays(-60).toString(Qt::ISODate)},
                                        {"操作日期", "小于", today.addDays(-30).toString(Qt::ISODate)}}));
            const Filter all = filterOf({{"操作日期", "大于", QStringLiteral("2000-01-01")}});
            const QString select = base + all.whereText;
            const BoundValues& values = all.values;
            const BenchResult first = firstPageAndCount(QStringLiteral("Query"), all);
            // A row as the grid shows it when scrolled to: while the count is under way the grid
            // grows a page at a time.
            auto show = [&](qint64 row) {
                while (row >= rows.rowCount() && rows.canFetchMore({})) rows.fetchMore({});
                if (rows.value(int(row), 0).isNull()) throw db::Error(QStringLiteral("the benchmark's query has no row %1").arg(row));
            };
            // The first scroll past the first page opens the cursor.
            BenchResult second;
            {
                std::vector<double> ms;
                for (int i = 0; i < reps; ++i) {
                    rows.open(c, select, order, rowKey, values);
                    ms.push_back(measureCold(1, [&] { show(rows.pageRows()); }).p50);
                }
                std::sort(ms.begin(), ms.end());
                second = {ms[ms.size() / 2], ms.back(), reps};
            }
            table.add(QStringLiteral("Query second page"), second, first, QStringLiteral("the first page"));
            // Scrolling down further: each step shows the first row of a page not read yet.
            qint64 nextRow = 2 * rows.pageRows();
            const int pages = std::max(reps, 10);
            const BenchResult next = measureCold(pages, [&] {
                show(nextRow);
                nextRow += rows.pageRows();
            });
            // The floor: 1,000 further rows of one open statement.
            db::Statement open(c, select + QStringLiteral(" ") + order + QStringLiteral(", ") + rowKey);
            for (const auto& [name, value] : values) open.bindValue(name, value);
            open.exec();
            const BenchResult nextFloor = measureCold(pages, [&] {
                for (int r = 0; r < 1000 && open.next(); ++r) open.value(0);
            });
            open.query().finish();
            table.add(QStringLiteral("Query next page"), next, nextFloor, QStringLiteral("1000 rows of one open statement"));
            // Scrolling back to pages no longer kept.
            qint64 backRow = nextRow - 8 * rows.pageRows();
            const BenchResult back = measureCold(reps, [&] {
                show(backRow);
                backRow -= rows.pageRows();
            });
            table.add(QStringLiteral("Query page back"), back, next, QStringLiteral("a next page"));
            // The scroll bar dragged down once the count is known: to the last row, and to the
            // middle, each on a query just opened (nothing read past its first page); then one
            // page on from there (up from the last, down from the middle). The grid paints the
            // row: a far page is read in the background, so two times count, how long the
            // paint held the event loop and how long until the row was shown.
            struct Painted { double blockedMs, blockedCpu, shownMs, shownCpu; };
            auto paint = [&](qint64 row) {
                Painted p{};
                QElapsedTimer t;
                const double cpuStart = threadCpuMs();
                t.start();
                QString text = rows.data(rows.index(int(row), 0), Qt::DisplayRole).toString();
                p.blockedMs = double(t.nsecsElapsed()) / 1e6;
                p.blockedCpu = threadCpuMs() - cpuStart;
                if (text.isEmpty() && rows.pageUnderWay() >= 0) {
                    QEventLoop wait;
                    QTimer poll;
                    QObject::connect(&poll, &QTimer::timeout, &wait, [&] { if (rows.pageUnderWay() < 0) wait.quit(); });
                    const auto arrived = QObject::connect(&rows, &QAbstractItemModel::dataChanged, &wait, [&] { wait.quit(); });
                    poll.start(5);
                    wait.exec();
                    QObject::disconnect(arrived);
                    text = rows.data(rows.index(int(row), 0), Qt::DisplayRole).toString();
                }
                if (text.isEmpty()) throw db::Error(QStringLiteral("the benchmark's query shows no row %1").arg(row));
                p.shownMs = double(t.nsecsElapsed()) / 1e6;
                p.shownCpu = threadCpuMs() - cpuStart;
                return p;
            };
            struct Jump { BenchResult shown, blocked, then; };
            auto jumpTo = [&](const std::function<qint64(qint64)>& rowOf, qint64 step) {
                std::vector<double> ms, cpu, blockedMs, blockedCpu, thenMs, thenCpu;
                for (int i = 0; i < reps; ++i) {
                    rows.open(c, select, order, rowKey, values);
                    QEventLoop wait;
                    if (rows.totalRows() < 0) {
                        const auto known = QObject::connect(&rows, &QueryRowSource::totalRowsKnown, &wait, [&] { wait.quit(); });
                        const auto failed = QObject::connect(&rows, &QueryRowSource::countFailed, &wait, [&] { wait.quit(); });
                        wait.exec();
                        QObject::disconnect(known);
                        QObject::disconnect(failed);
                    }
                    if (rows.totalRows() <= 0) throw db::Error(QStringLiteral("the benchmark's query was not counted"));
                    const qint64 row = rowOf(rows.totalRows());
                    const Painted one = paint(row);
                    ms.push_back(one.shownMs);
                    cpu.push_back(one.shownCpu);
                    blockedMs.push_back(one.blockedMs);
                    blockedCpu.push_back(one.blockedCpu);
                    const Painted then = paint(row + step);
                    thenMs.push_back(then.shownMs);
                    thenCpu.push_back(then.shownCpu);
                }
                auto result = [&](std::vector<double>& wall, std::vector<double>& thread) {
                    std::sort(wall.begin(), wall.end());
                    std::sort(thread.begin(), thread.end());
                    BenchResult r{wall[wall.size() / 2], wall.back(), reps};
                    r.cpuP50 = thread[thread.size() / 2];
                    return r;
                };
                return Jump{result(ms, cpu), result(blockedMs, blockedCpu), result(thenMs, thenCpu)};
            };
            const Jump far = jumpTo([](qint64 n) { return n - 1; }, -rows.pageRows());
            table.add(QStringLiteral("Query far page"), far.shown, first, QStringLiteral("the first page"));
            table.add(QStringLiteral("Query far page, one up"), far.then, next, QStringLiteral("a next page"));
            const qint64 total = rows.totalRows();  // counted for the jump
            const BenchResult middleFloor = measureCold(reps, [&] {
                db::Statement page(c, select + QStringLiteral(" ") + order + QStringLiteral(", ") + rowKey
                                          + QStringLiteral(" Limit 1000 Offset :skipped"));
                for (const auto& [name, value] : values) page.bindValue(name, value);
                page.bind(QStringLiteral(":skipped"), std::max<qint64>(0, total / 2));
                page.exec();
                while (page.next()) page.value(0);
            });
            const Jump middle = jumpTo([](qint64 n) { return n / 2; }, rows.pageRows());
            table.add(QStringLiteral("Query middle page"), middle.shown, middleFloor,
                      QStringLiteral("sorted Limit 1000 Offset half, raw; until shown, read in the background"));
            table.add(QStringLiteral("Query middle page, loop held"), middle.blocked, middleFloor,
                      QStringLiteral("sorted Limit 1000 Offset half, raw; the paint's hold on the event loop"));
            table.add(QStringLiteral("Query middle, one down"), middle.then, next, QStringLiteral("a next page"));
            rows.close();
        }
        if (wanted(QStringLiteral("Stocktake"))) {
            // The initialisation as its screen runs it: every product in every store, in one
            // transaction, in slices that each hand the progress window a turn. The longest
            // slice, or the commit after the last, is how long the window can go without being
            // repainted. The first one of a shop writes every row; later ones rewrite the rows
            // of the one before.
            const int reps = std::max(1, o.queryReps);
            double longestSlice = 0;
            double longestCommit = 0;
            auto initialise = [&] {
                QElapsedTimer slice;
                slice.start();
                db::Transaction tx(c);
                db::Stocktake(c).initialise(QDate(2024, 3, 1), QDate(2024, 3, 31), [&](int, int) {
                    longestSlice = std::max(longestSlice, double(slice.nsecsElapsed()) / 1e6);
                    slice.restart();
                });
                // The window stays up until the commit is through.
                tx.commit();
                longestCommit = std::max(longestCommit, double(slice.nsecsElapsed()) / 1e6);
            };
            auto rowCount = [&] {
                db::Statement s(c, QStringLiteral("SELECT COUNT(*) FROM YPDSJB"));
                return s.first() ? s.integer(0) : 0;
            };
            c.execute(QStringLiteral("DELETE FROM YPDSJB"));
            const BenchResult first = measureCold(1, initialise);
            const double firstLongest = longestSlice;
            const double firstCommit = longestCommit;
            const qint64 rows = rowCount();
            longestSlice = 0;
            longestCommit = 0;
            const BenchResult init = measureCold(reps, initialise);
            // The floor of a later initialisation: every row of the last rewritten by one
            // set-based UPDATE, no slices.
            const BenchResult reinitFloor = measureCold(reps, [&] {
                db::Transaction tx(c);
                c.execute(QStringLiteral("UPDATE YPDSJB SET CKKCSL = V.Q, CKPDSL = 0, CKGXKCL = 0, CKPDDATE = getdate(), CKGXKCBZ = 0 "
                                         "FROM (SELECT P.SPNO, S.CKNO, COALESCE(K.KCSL, 0) AS Q FROM SPB P CROSS JOIN STORE S "
                                         "LEFT JOIN KCYEB K ON K.SPNO = P.SPNO AND K.CKNO = S.CKNO) V "
                                         "WHERE YPDSJB.SPNO = V.SPNO AND YPDSJB.CKNO = V.CKNO"));
                tx.commit();
            });
            // The floor: the same rows from one set-based statement, no slices.
            const BenchResult initFloor = measureCold(reps, [&] {
                db::Transaction tx(c);
                c.execute(QStringLiteral("DELETE FROM YPDSJB"));
                c.execute(QStringLiteral("INSERT INTO YPDSJB(SPNO, CKNO, CKKCSL, CKPDSL, CKGXKCL, CKPDDATE, CKGXKCBZ) "
                                         "SELECT P.SPNO, S.CKNO, COALESCE(K.KCSL, 0), 0, 0, getdate(), 0 FROM SPB P CROSS JOIN STORE S "
                                         "LEFT JOIN KCYEB K ON K.SPNO = P.SPNO AND K.CKNO = S.CKNO"));
                tx.commit();
            });
            // As the screen runs it: on a connection and thread of their own behind the progress
            // window. A timer on this thread every 10 ms finds the longest time it could not paint.
            double longestUiGap = 0;
            const BenchResult windowed = measureCold(1, [&] {
                TfrmProgress progress;
                QElapsedTimer gap;
                QTimer tick;
                tick.setInterval(10);
                QObject::connect(&tick, &QTimer::timeout, [&] {
                    longestUiGap = std::max(longestUiGap, double(gap.nsecsElapsed()) / 1e6);
                    gap.restart();
                });
                gap.start();
                tick.start();
                progress.runOnOwnConnection(c.url(), [](db::Connection& own, const TfrmProgress::Report& report) {
                    db::Transaction tx(own);
                    db::Stocktake(own).initialise(QDate(2024, 3, 1), QDate(2024, 3, 31), report);
                    tx.commit();
                });
            });
            table.add(QStringLiteral("Stocktake first init"), first, initFloor,
                      QStringLiteral("one INSERT ... SELECT; %1 rows, longest slice %2 ms, commit %3 ms")
                          .arg(rows).arg(firstLongest, 0, 'f', 0).arg(firstCommit, 0, 'f', 0));
            table.add(QStringLiteral("Stocktake initialise"), init, reinitFloor,
                      QStringLiteral("one UPDATE ... FROM; over the rows of the last, longest slice %1 ms, commit %2 ms")
                          .arg(longestSlice, 0, 'f', 0).arg(longestCommit, 0, 'f', 0));
            table.add(QStringLiteral("Stocktake init window"), windowed, reinitFloor,
                      QStringLiteral("one UPDATE ... FROM; longest gap between repaints %1 ms").arg(longestUiGap, 0, 'f', 0));

            // The stock of every store summed per product, as 分库库存查询 shows it for "全部".
            size_t products = 0;
            const BenchResult all = measureCold(reps, [&] {
                products = db::StockQueries(c).storeStock(db::StockQueries::AllStores).size();
            });
            const BenchResult allFloor = measureCold(reps, [&] {
                db::Statement s(c, QStringLiteral("SELECT SPNO, SUM(KCSL) FROM KCYEB GROUP BY SPNO"));
                s.exec();
                while (s.next()) s.value(1);
            });
            table.add(QStringLiteral("Stock of all stores"), all, allFloor,
                      QStringLiteral("balances summed per product, raw; %1 products").arg(products));
        }
        if (wanted(QStringLiteral("Startup"))) {
            // The real program from process start to its login window shown, off screen. The
            // floor is the same binary printing its version: loading it and its libraries.
            const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../pos");
            QTemporaryDir home;  // its SysSet.ini and any file it writes stay out of the way
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("POS_EXIT_WHEN_LOGIN_SHOWN"), QStringLiteral("1"));
            if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            auto run = [&](const QStringList& arguments, bool untilShown) {
                QProcess p;
                p.setProcessEnvironment(env);
                p.setWorkingDirectory(home.path());
                const qint64 started = QDateTime::currentMSecsSinceEpoch();
                QElapsedTimer t;
                t.start();
                p.start(program, arguments);
                if (!p.waitForFinished(30000) || p.exitCode() != 0)
                    throw db::Error(QStringLiteral("pos did not start: ") + QString::fromLocal8Bit(p.readAllStandardError()));
                if (!untilShown) return double(t.nsecsElapsed()) / 1e6;
                const QString output = QString::fromLocal8Bit(p.readAllStandardOutput());
                const qsizetype at = output.indexOf(QStringLiteral("login shown "));
                if (at < 0) throw db::Error(QStringLiteral("pos did not report its login window: ") + output);
                return double(output.mid(at + 12).trimmed().section(u'\n', 0, 0).toLongLong() - started);
            };
            const int reps = std::max(5, o.queryReps);
            std::vector<double> shown, floor;
            for (int i = 0; i < reps + 1; ++i) {  // the first run fills the file cache
                const double a = run({QStringLiteral("--database"), o.database}, true);
                const double b = run({QStringLiteral("--version")}, false);
                if (i == 0) continue;
                shown.push_back(a);
                floor.push_back(b);
            }
            auto percentiles = [](std::vector<double> ms) {
                std::sort(ms.begin(), ms.end());
                return BenchResult{ms[ms.size() / 2], ms.back(), int(ms.size())};
            };
            table.add(QStringLiteral("Start-up to login"), percentiles(shown), percentiles(floor),
                      QStringLiteral("pos --version, whole process (goal <= 500 ms)"));
        }
        if (wanted(QStringLiteral("Screen"))) {
            // Screens opened through the menu's registry, constructed and shown, with the
            // generated products in the database. The floor is a bare dialog shown the same way.
            MessageRecorder boxes;
            setMessageService(&boxes);
            ShowAndCloseRunner runner;
            setModalRunner(&runner);
            ScreenRegistry& registry = ScreenRegistry::instance();
            registerAllScreens(registry);
            const int reps = std::max(20, o.queryReps);
            const BenchResult floor = measure(reps, [&] {
                QDialog d;
                runner.run(d);
            });
            for (const auto& [item, name] : {std::pair{"miProduct", "TfrmProductInput"}, std::pair{"miPOS", "TfrmPOS"},
                                             std::pair{"miQySellList", "TfrmQueryProductSell"},
                                             std::pair{"miQyProduct", "TfrmQueryProductInfo"}}) {
                boxes.clear();
                const BenchResult opened = measure(reps, [&] { registry.open(QString::fromLatin1(item), nullptr); });
                QString note = QStringLiteral("a bare dialog shown (goal <= 100 ms)");
                if (!boxes.shown.empty()) note += QStringLiteral("; it said: ") + boxes.lastText();
                table.add(QStringLiteral("Open ") + QString::fromLatin1(name), opened, floor, note);
            }
            setModalRunner(nullptr);
            setMessageService(nullptr);
        }
        table.print();
        return 0;
    } catch (const std::exception& e) {
        err << "pos_bench: " << e.what() << Qt::endl;
        return 1;
    }
}
