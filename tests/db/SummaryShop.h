// Two small shops. install(): one of every movement the stock summary counts, stamped on chosen days
// of March 2024 by the server clock, as the documents write their rows:
//
//   2024-02-15  receive A 10 @ 2.50 into 001                        (before the period)
//   2024-03-02  receive A 20 @ 3 and B 5 @ 8 into 001
//   2024-03-05  sell A 6 from 001 (cost 3 a unit, price 5)
//   2024-03-06  client returns 2 A of that sale into 001
//   2024-03-07  return 3 A to the supplier from the March batch (3 a unit)
//   2024-03-08  loss of 1 B (8 a unit)
//   2024-03-09  transfer 4 A from 001 to 002
//   2024-03-10  stocktake applied: A in 002 +1, B in 001 -0.5 (cost prices 3 and 8)
//   2024-04-02  sell B 1 from 001 (after the period)
//
// March by hand:   opening   in          sale       return    loss        closing
//   A             10 / 25   21 / 63     4 / 12     3 / 9     0 / 0       24 / 67
//   B              0 / 0     5 / 40     0 / 0      0 / 0     1.5 / 12    3.5 / 28
//
// statsShop(): sales for the statistics (described where it is defined).
#pragma once

#include "db/Connection.h"
#include "db/Money.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <QDateTime>
#include <QString>

namespace summary_shop {

inline QString s(const char* text) { return QString::fromUtf8(text); }

inline void on(db::Connection& c, int month, int day) { c.setClock(QDateTime(QDate(2024, month, day), QTime(10, 0))); }

inline void move(db::Connection& c, const QString& documentNo, const QString& product, double quantity,
                 const QString& store, const QString& kind, Money cost) {
    db::StockLedger(c).recordMovements(db::SerialNumbers(c).next(s("W")), documentNo,
                                       {{product, QString(), QString(), quantity, store, kind, cost}}, false);
}

// A receiving document of one line; returns its number (the batch).
inline QString receive(db::Connection& c, const QString& product, double quantity, const char* price,
                       const QString& store = s("001")) {
    db::Transaction tx(c);
    const QString no = db::SerialNumbers(c).next(s("J"));
    db::Statement h(c, s("INSERT INTO JHDSJB(JHDNO, CSNO, BNNO) VALUES(:no, '001', '001')"));
    h.bind(s(":no"), no).exec();
    const Money dj = *Money::parse(s(price));
    db::Statement l(c, s("INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, ZJE, CKNO) "
                         "SELECT :no, SPNO, SPNAME, SPDW, :dj, :sl, :je, :ck FROM SPB WHERE SPNO = :sp"));
    l.bind(s(":no"), no).bind(s(":dj"), dj).bind(s(":sl"), quantity).bind(s(":je"), dj.times(quantity))
        .bind(s(":ck"), store).bind(s(":sp"), product).exec();
    move(c, no, product, quantity, store, db::MovementKind::Receive, dj.times(quantity));
    tx.commit();
    return no;
}

// A sale of one line drawn from one batch, its cost row completed as the posting does.
inline QString sell(db::Connection& c, const QString& product, double quantity, const QString& batch,
                    const char* price, const QString& clerk = s("101")) {
    db::Transaction tx(c);
    const QString no = db::SerialNumbers(c).next(s("X"));
    const Money sj = *Money::parse(s(price));
    db::Statement h(c, s("INSERT INTO XSB(XSNO, SPZE, SKZE, BNNO, KHNO, KHLX) VALUES(:no, :t, :t2, '001', '000', 'L')"));
    h.bind(s(":no"), no).bind(s(":t"), sj.times(quantity)).bind(s(":t2"), sj.times(quantity)).exec();
    db::Statement l(c, s("INSERT INTO XSCBB(XSNO, JHDNO, SPNO, SPNAME, JSDW, ZYNO, XSSL, THSL, SJ, XSJE, DJ, ZJE) "
                         "SELECT :no, :b, SPNO, SPNAME, SPDW, :z, :q, 0, :sj, :xsje, CBJG, CBJG * :q2 FROM SPB WHERE SPNO = :sp"));
    l.bind(s(":no"), no).bind(s(":b"), batch).bind(s(":z"), clerk).bind(s(":q"), quantity).bind(s(":sj"), sj)
        .bind(s(":xsje"), sj.times(quantity)).bind(s(":q2"), quantity).bind(s(":sp"), product).exec();
    db::Statement b(c, s("UPDATE JHDMXB SET XSSL = XSSL + :q WHERE JHDNO = :b AND SPNO = :sp"));
    b.bind(s(":q"), quantity).bind(s(":b"), batch).bind(s(":sp"), product).exec();
    db::Statement cost(c, s("SELECT CBJG FROM SPB WHERE SPNO = :sp"));
    cost.bind(s(":sp"), product);
    cost.first();
    move(c, no, product, quantity, s("001"), db::MovementKind::Sale, cost.money(0).times(quantity));
    tx.commit();
    return no;
}

inline void install(db::Connection& c) {
    c.execute(s("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '供应商')"));
    c.execute(s("INSERT INTO KHB(KHNO, KHNAME) VALUES('K01', '客户甲')"));
    c.execute(s("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('002', '二号库', '0')"));
    c.execute(s("INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('101', '张三', '1')"));
    c.execute(s("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('A', '甲商品', '个', 5, 3)"));
    c.execute(s("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('B', '乙商品', '盒', 12, 8)"));

    on(c, 2, 15);
    receive(c, s("A"), 10, "2.5");
    on(c, 3, 2);
    const QString batchA = receive(c, s("A"), 20, "3");
    const QString batchB = receive(c, s("B"), 5, "8");
    on(c, 3, 5);
    const QString sale = sell(c, s("A"), 6, batchA, "5");
    on(c, 3, 6);
    {
        db::Transaction tx(c);
        const QString no = db::SerialNumbers(c).next(s("c"));
        db::Statement h(c, s("INSERT INTO KHTHSJB(THDNO, KHNO, BNNO) VALUES(:no, 'K01', '001')"));
        h.bind(s(":no"), no).exec();
        db::Statement l(c, s("INSERT INTO KHTHMXB(THDNO, XSNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) "
                             "VALUES(:no, :x, :b, 'A', '甲商品', '个', 2, 5, 10)"));
        l.bind(s(":no"), no).bind(s(":x"), sale).bind(s(":b"), batchA).exec();
        db::Statement t(c, s("UPDATE XSCBB SET THSL = THSL + 2 WHERE XSNO = :x AND JHDNO = :b AND SPNO = 'A'"));
        t.bind(s(":x"), sale).bind(s(":b"), batchA).exec();
        move(c, no, s("A"), 2, s("001"), db::MovementKind::ClientReturn, Money::fromYuan(6));   // sold at cost 3
        tx.commit();
    }
    on(c, 3, 7);
    {
        db::Transaction tx(c);
        const QString no = db::SerialNumbers(c).next(s("T"));
        db::Statement h(c, s("INSERT INTO GYSTHSJB(THDNO, CSNO, BNNO) VALUES(:no, '001', '001')"));
        h.bind(s(":no"), no).exec();
        db::Statement l(c, s("INSERT INTO GYSTHMXB(THDNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) "
                             "VALUES(:no, :b, 'A', '甲商品', '个', 3, 3, 9)"));
        l.bind(s(":no"), no).bind(s(":b"), batchA).exec();
        db::Statement b(c, s("UPDATE JHDMXB SET XSSL = XSSL + 3 WHERE JHDNO = :b AND SPNO = 'A'"));
        b.bind(s(":b"), batchA).exec();
        move(c, no, s("A"), 3, s("001"), db::MovementKind::SupplierReturn, Money::fromYuan(9));
        tx.commit();
    }
    on(c, 3, 8);
    {
        db::Transaction tx(c);
        const QString no = db::SerialNumbers(c).next(s("B"));
        db::Statement l(c, s("INSERT INTO BSB(BSDNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO) "
                             "VALUES(:no, :b, 'B', '乙商品', '盒', 1, 8, 8, '001')"));
        l.bind(s(":no"), no).bind(s(":b"), batchB).exec();
        db::Statement b(c, s("UPDATE JHDMXB SET XSSL = XSSL + 1 WHERE JHDNO = :b AND SPNO = 'B'"));
        b.bind(s(":b"), batchB).exec();
        move(c, no, s("B"), 1, s("001"), db::MovementKind::Loss, Money::fromYuan(8));
        tx.commit();
    }
    on(c, 3, 9);
    {
        const QString no = db::SerialNumbers(c).next(s("W"));
        db::StockLedger(c).recordMovements(no, no,
            {{s("A"), QString(), QString(), 4, s("001"), db::MovementKind::TransferOut},
             {s("A"), QString(), QString(), 4, s("002"), db::MovementKind::TransferIn}}, true);
    }
    on(c, 3, 10);
    {
        const QString no = db::SerialNumbers(c).next(s("W"));
        db::StockLedger(c).recordMovements(no, no,
            {{s("A"), QString(), QString(), 1, s("002"), db::MovementKind::StocktakeGain, Money::fromYuan(3)},
             {s("B"), QString(), QString(), 0.5, s("001"), db::MovementKind::StocktakeLoss, Money::fromYuan(4)}}, true);
    }
    on(c, 4, 2);
    sell(c, s("B"), 1, batchB, "12");
}

// Twelve products of category 01 sold on 2024-03-15 (product Pn sells n units, except that
// P9 and P10 both sell 9 so they tie for ninth place), one product of category 02, and
// product P5 sold on a few more days and months.
inline void statsShop(db::Connection& c) {
    c.execute(s("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '甲厂'), ('002', '乙厂')"));
    c.execute(s("INSERT INTO SPFLB(FLNo, FLName) VALUES('01', '食品'), ('02', '日用')"));
    c.execute(s("INSERT INTO dept(BMNO, BMName) VALUES('D1', '一部')"));
    c.execute(s("INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('101', '张三', '1'), ('102', '李四', '1')"));
    for (int i = 1; i <= 12; ++i) {
        db::Statement p(c, s("INSERT INTO SPB(SPNO, SPNAME, SPDW, SPLB, CBJG, QSGYS, XSFS, BMNO) "
                             "VALUES(:no, :name, '个', '01', 1, :cs, :fs, 'D1')"));
        p.bind(s(":no"), s("P%1").arg(i, 2, 10, QLatin1Char('0'))).bind(s(":name"), s("商品%1").arg(i, 2, 10, QLatin1Char('0')))
            .bind(s(":cs"), i % 2 ? s("001") : s("002")).bind(s(":fs"), i % 2 ? 0 : 1).exec();
    }
    c.execute(s("INSERT INTO SPB(SPNO, SPNAME, SPDW, SPLB, CBJG, QSGYS) VALUES('Q', '日用品', '个', '02', 1, '001')"));
    on(c, 3, 1);
    const QString batch = receive(c, s("P05"), 1000, "1");
    for (int i = 1; i <= 12; ++i) {
        const QString no = s("P%1").arg(i, 2, 10, QLatin1Char('0'));
        const QString b = i == 5 ? batch : receive(c, no, 100, "1");
        on(c, 3, 15);
        sell(c, no, i == 10 ? 9 : i, b, "2", i <= 6 ? s("101") : s("102"));
        on(c, 3, 1);
    }
    on(c, 3, 15);
    sell(c, s("Q"), 50, receive(c, s("Q"), 100, "1"), "2");
    // P05 on other days: 5 March (inside the ten days before the 15th), 4 March (outside),
    // 10 March; and in February and in March of the year before.
    for (const auto& [month, day] : {std::pair{3, 5}, {3, 4}, {3, 10}, {2, 20}}) {
        on(c, month, day);
        sell(c, s("P05"), 1, batch, "2");
    }
    c.setClock(QDateTime(QDate(2023, 3, 3), QTime(9, 0)));
    sell(c, s("P05"), 100, batch, "2");
}

}  // namespace summary_shop
