#include "BenchData.h"

#include "db/Connection.h"
#include "db/InitialData.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

// Numbers 1..n as rows of n(i), portable to SQLite and PostgreSQL.
QString series(const QString& bound) {
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT CAST(1 AS BIGINT) UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(bound);
}

void step(db::Connection& c, const QString& what, const QString& sql) {
    QElapsedTimer t;
    t.start();
    c.execute(sql);
    out() << "  " << what << ": " << t.elapsed() << " ms" << Qt::endl;
}

}  // namespace

QString BenchData::productNo(int i) { return QString::number(1000000 + i); }
QString BenchData::storeNo(int i) { return QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')); }

void BenchData::ensure(db::Connection& c, const BenchScale& scale, bool regenerate) {
    db::Schema::migrate(c);
    db::InitialData::install(c);
    {
        db::Statement s(c, QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'BenchScale'"));
        if (!regenerate && s.first() && s.text(0) == scale.key()) {
            out() << "using existing data (" << scale.key() << ")" << Qt::endl;
            return;
        }
    }
    out() << "generating " << scale.products << " products, " << scale.stores << " stores, " << scale.saleLines
          << " sale lines" << Qt::endl;
    db::InitialData::resetDatabase(c);
    const int sales = std::max(1, scale.saleLines / 10);
    const QString P = QString::number(scale.products);
    const QString S = QString::number(scale.stores);
    db::Transaction tx(c);
    step(c, QStringLiteral("stores"), series(S) +
         QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) SELECT substr(CAST(1000 + i AS VARCHAR(4)), 2, 3), "
                        "'仓库' || CAST(i AS VARCHAR(8)), '2' FROM n WHERE i > 1"));
    // Fifty suppliers, ten departments and twenty sales clerks, so the statistics group
    // sales into realistic numbers of rows.
    step(c, QStringLiteral("suppliers"), series(QStringLiteral("50")) +
         QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) SELECT substr(CAST(1000 + i AS VARCHAR(4)), 2, 3), "
                        "'基准供应商' || CAST(i AS VARCHAR(3)) FROM n"));
    c.execute(series(QStringLiteral("10")) +
              QStringLiteral("INSERT INTO dept(BMNO, BMName) SELECT substr(CAST(1000 + i AS VARCHAR(4)), 2, 3), "
                             "'部门' || CAST(i AS VARCHAR(3)) FROM n"));
    // Twenty categories; products take them in turn and alternate between the two sale modes.
    step(c, QStringLiteral("categories"), series(QStringLiteral("20")) +
         QStringLiteral("INSERT INTO SPFLB(FLNo, FLName) SELECT CAST(9 + i AS VARCHAR(3)), '类别' || CAST(i AS VARCHAR(3)) FROM n"));
    c.execute(series(QStringLiteral("20")) +
              QStringLiteral("INSERT INTO GZRYB(ZYNO, NAME, ZW) SELECT CAST(100 + i AS VARCHAR(3)), '营业员' || CAST(i AS VARCHAR(3)), '1' FROM n"));
    step(c, QStringLiteral("products"), series(P) +
         QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, ZDJG, PFJG, CBJG, QSGYS, SPLB, XSFS, BMNO) "
                        "SELECT CAST(1000000 + i AS VARCHAR(15)), '基准商品' || CAST(i AS VARCHAR(8)), '个', "
                        "5 + (i % 50), 4 + (i % 50), 4.5 + (i % 50), 3 + (i % 50), "
                        "substr(CAST(1001 + (i % 50) AS VARCHAR(4)), 2, 3), CAST(10 + (i % 20) AS VARCHAR(3)), "
                        "i % 2, substr(CAST(1001 + (i % 10) AS VARCHAR(4)), 2, 3) FROM n"));
    // 200 receiving documents, three batches per product: remaining 1, 1 and 1000 units,
    // so a sale of three units draws on three batches.
    step(c, QStringLiteral("receiving headers"), series(QStringLiteral("600")) +
         QStringLiteral("INSERT INTO JHDSJB(JHDNO, JHNO, CSNO, BNNO, DJDATE, CZDATE) SELECT CAST(100000000000000 + i AS VARCHAR(15)), "
                        "'G', '001', '001', adddays(getdate(), -400), adddays(getdate(), -400) FROM n"));
    for (int batch = 0; batch < 3; ++batch) {
        const QString sold = batch < 2 ? QStringLiteral("9") : QStringLiteral("0");
        const QString size = batch < 2 ? QStringLiteral("10") : QStringLiteral("1000");
        step(c, QStringLiteral("batches %1").arg(batch + 1), series(P) +
             QStringLiteral("INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) "
                            "SELECT CAST(100000000000000 + %1 + (i % 200) * 3 AS VARCHAR(15)), CAST(1000000 + i AS VARCHAR(15)), "
                            "'基准商品', '个', 3, %2, %3, 3 * %2, '001' FROM n").arg(batch + 1).arg(size, sold));
        step(c, QStringLiteral("receiving movements %1").arg(batch + 1), series(P) +
             QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE, CZRQ, CBJE) "
                            "SELECT CAST(100000000000000 + i AS VARCHAR(15)), CAST(100000000000000 + %1 + (i % 200) * 3 AS VARCHAR(15)), "
                            "CAST(1000000 + i AS VARCHAR(15)), '基准商品', '个', %2, substr(CAST(1001 + (i % %3) AS VARCHAR(4)), 2, 3), '入库', "
                            "adddays(getdate(), -400), 3 * %2 FROM n")
                 .arg(batch + 1).arg(size).arg(S));
    }
    step(c, QStringLiteral("sales"), series(QString::number(sales)) +
         QStringLiteral("INSERT INTO XSB(XSNO, SPZE, SKZE, BNNO, KHNO, KHLX, XSDATE) SELECT CAST(100000000000000 + i AS VARCHAR(15)), "
                        "50, 50, '001', '000', 'L', adddays(getdate(), CAST(-(i % 365) AS INTEGER)) FROM n"));
    step(c, QStringLiteral("takings"), series(QString::number(sales)) +
         QStringLiteral("INSERT INTO SYYSKB(XSNO, SKMONEY, BNNO, JKFLAG) SELECT CAST(100000000000000 + i AS VARCHAR(15)), 50, '001', 1 FROM n"));
    const QString L = QString::number(scale.saleLines);
    // Line k of the history sells product (k * 7919 mod P) + 1 in store (k mod S) + 1.
    step(c, QStringLiteral("sale lines"), series(L) +
         QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, ZYNO, XSDAY) "
                        "SELECT CAST(100000000000000 + (i - 1) / 10 + 1 AS VARCHAR(15)), CAST(1000000 + (i * 7919) % %1 + 1 AS VARCHAR(15)), "
                        "'基准商品', '个', 1, 5, 100, 5, CAST(101 + ((i - 1) / 10) % 20 AS VARCHAR(3)), "
                        "date10(adddays(getdate(), CAST(-(((i - 1) / 10 + 1) % 365) AS INTEGER))) FROM n").arg(P));
    step(c, QStringLiteral("cost lines"), series(L) +
         QStringLiteral("INSERT INTO XSCBB(XSNO, JHDNO, SPNO, SPNAME, JSDW, ZYNO, XSSL, THSL, SJ, XSJE, DJ, ZJE, CZDATE) "
                        "SELECT CAST(100000000000000 + (i - 1) / 10 + 1 AS VARCHAR(15)), "
                        "CAST(100000000000000 + 3 + (((i * 7919) % %1 + 1) % 200) * 3 AS VARCHAR(15)), "
                        "CAST(1000000 + (i * 7919) % %1 + 1 AS VARCHAR(15)), '基准商品' || CAST((i * 7919) % %1 + 1 AS VARCHAR(8)), '个', "
                        "CAST(101 + ((i - 1) / 10) % 20 AS VARCHAR(3)), 1, 0, 5, 5, 3, 3, "
                        "adddays(getdate(), CAST(-(((i - 1) / 10 + 1) % 365) AS INTEGER)) FROM n").arg(P));
    // The batches give what their cost rows took.
    step(c, QStringLiteral("batch counters"),
         QStringLiteral("UPDATE JHDMXB SET XSSL = XSSL + D.n FROM (SELECT JHDNO, SPNO, COUNT(*) AS n FROM XSCBB GROUP BY JHDNO, SPNO) D "
                        "WHERE JHDMXB.JHDNO = D.JHDNO AND JHDMXB.SPNO = D.SPNO"));
    step(c, QStringLiteral("sale movements"), series(L) +
         QStringLiteral("INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE, CZRQ, CBJE) "
                        "SELECT CAST(200000000000000 + (i - 1) / 10 + 1 AS VARCHAR(15)), CAST(100000000000000 + (i - 1) / 10 + 1 AS VARCHAR(15)), "
                        "CAST(1000000 + (i * 7919) % %1 + 1 AS VARCHAR(15)), '基准商品', '个', 1, "
                        "substr(CAST(1001 + (i % %2) AS VARCHAR(4)), 2, 3), '销售', adddays(getdate(), CAST(-(((i - 1) / 10 + 1) % 365) AS INTEGER)), "
                        "3 FROM n").arg(P, S));
    // Generated movements are written set-based, beside the ledger writer: their balances once.
    {
        QElapsedTimer t;
        t.start();
        db::StockLedger(c).rebuildBalances();
        out() << "  store balances: " << t.elapsed() << " ms" << Qt::endl;
    }
    db::Statement mark(c, QStringLiteral("INSERT INTO sysvariable(vrname, vrvalue, vrscript) VALUES('BenchScale', :v, 'benchmark data')"));
    mark.bind(QStringLiteral(":v"), scale.key()).exec();
    tx.commit();
    // A shop's PostgreSQL database has been vacuumed by autovacuum long since: without it the
    // generated tables have no visibility map, and index-only scans would visit every row.
    if (c.backend() == db::Backend::Postgres) step(c, QStringLiteral("vacuum analyze"), QStringLiteral("VACUUM ANALYZE"));
    else step(c, QStringLiteral("analyze"), QStringLiteral("ANALYZE"));
}
