// A small shop for the stocktake and stock-query tests: two stores, two suppliers, two
// categories, three products.
//
//   A 甲商品 个 cost 3  supplier 001 category 01 min 15 max 50   batches 5, 3 (store 001), 4 (store 002)
//   B 乙商品 盒 cost 8  supplier 002 category 02 min 0           one batch of 20 in store 001
//   C 丙商品 瓶 cost 1  no supplier, no category                 no stock
//
// Balances: A 8 in 001 and 4 in 002, B 20 in 001.
#pragma once

#include "db/Connection.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"

#include <QString>

namespace stocktake_shop {

inline void receive(db::Connection& c, const QString& product, double quantity, const QString& store) {
    db::SerialNumbers serials(c);
    const QString no = serials.next(QStringLiteral("J"));
    db::Statement h(c, QStringLiteral("INSERT INTO JHDSJB(JHDNO, CSNO) SELECT :no, QSGYS FROM SPB WHERE SPNO = :sp"));
    h.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":sp"), product).exec();
    db::Statement l(c, QStringLiteral(
        "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, CKNO) SELECT :no, SPNO, SPNAME, SPDW, CBJG, :sl, :ck FROM SPB WHERE SPNO = :sp"));
    l.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":sl"), quantity).bind(QStringLiteral(":ck"), store)
        .bind(QStringLiteral(":sp"), product).exec();
    db::StockLedger(c).recordMovements(serials.next(QStringLiteral("W")), no,
                                       {{product, QString(), QString(), quantity, store, db::MovementKind::Receive}}, false);
}

// A sale's movement alone (the stock tests need only the balance to move).
inline void sell(db::Connection& c, const QString& product, double quantity, const QString& store) {
    db::SerialNumbers serials(c);
    const QString no = serials.next(QStringLiteral("W"));
    db::StockLedger(c).recordMovements(no, no, {{product, QString(), QString(), quantity, store, db::MovementKind::Sale}}, false);
}

inline void install(db::Connection& c) {
    c.execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('002', '二号库', '0')"));
    c.execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '一厂')"));
    c.execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('002', '二厂')"));
    c.execute(QStringLiteral("INSERT INTO SPFLB(FLNo, FLName) VALUES('01', '饮料')"));
    c.execute(QStringLiteral("INSERT INTO SPFLB(FLNo, FLName) VALUES('02', '食品')"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG, QSGYS, SPLB, KCMIN, KCMAX, BZ) "
                             "VALUES('A', '甲商品', '个', 5, 3, '001', '01', 15, 50, '冷藏')"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG, QSGYS, SPLB) VALUES('B', '乙商品', '盒', 12.5, 8, '002', '02')"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('C', '丙商品', '瓶', 2, 1)"));
    receive(c, QStringLiteral("A"), 5, QStringLiteral("001"));
    receive(c, QStringLiteral("A"), 3, QStringLiteral("001"));
    receive(c, QStringLiteral("A"), 4, QStringLiteral("002"));
    receive(c, QStringLiteral("B"), 20, QStringLiteral("001"));
}

inline void checkStock(db::Connection& c, bool on) {
    db::Statement s(c, QStringLiteral("UPDATE sysvariable SET vrvalue = :v WHERE vrname = 'isCheckStore'"));
    s.bind(QStringLiteral(":v"), on ? QStringLiteral("-1") : QStringLiteral("0")).exec();
}

}  // namespace stocktake_shop
