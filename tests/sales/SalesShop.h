// A small shop for the sale tests: two stores, promoters, three products and batches.
//
//   A 甲商品 个  price 5     floor 4     cost 3   batches 5, 3, 10 in store 001 (18 in stock)
//   B 乙商品 盒  price 12.5  floor 12.5  cost 8   one batch of 20 in store 001
//   C 丙商品 瓶  price 2     floor 1.5   cost 1   no stock
#pragma once

#include "db/Connection.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"

#include <QString>
#include <initializer_list>

namespace sales_shop {

inline void receive(db::Connection& c, const QString& product, double quantity, const QString& store = QStringLiteral("001")) {
    db::SerialNumbers serials(c);
    const QString no = serials.next(QStringLiteral("J"));
    db::Statement h(c, QStringLiteral("INSERT INTO JHDSJB(JHDNO, CSNO) VALUES(:no, '001')"));
    h.bind(QStringLiteral(":no"), no).exec();
    db::Statement l(c, QStringLiteral(
        "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, CKNO) SELECT :no, SPNO, SPNAME, SPDW, CBJG, :sl, :ck FROM SPB WHERE SPNO = :sp"));
    l.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":sl"), quantity).bind(QStringLiteral(":ck"), store)
        .bind(QStringLiteral(":sp"), product).exec();
    db::StockLedger(c).recordMovements(serials.next(QStringLiteral("W")), no,
                                       {{product, QString(), QString(), quantity, store, db::MovementKind::Receive}}, false);
}

inline void install(db::Connection& c) {
    c.execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '供应商')"));
    c.execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('002', '二号库', '0')"));
    c.execute(QStringLiteral("INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('101', '张三', '1')"));
    c.execute(QStringLiteral("INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('102', '李四', '1')"));
    c.execute(QStringLiteral("INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('201', '王五', '2')"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, ZDJG, CBJG) VALUES('A', '甲商品', '个', 5, 4, 3)"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, ZDJG, CBJG) VALUES('B', '乙商品', '盒', 12.5, 12.5, 8)"));
    c.execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, ZDJG, CBJG) VALUES('C', '丙商品', '瓶', 2, 1.5, 1)"));
    for (double q : {5.0, 3.0, 10.0}) receive(c, QStringLiteral("A"), q);
    receive(c, QStringLiteral("B"), 20);
}

inline void setVariable(db::Connection& c, const QString& name, const QString& value) {
    db::Statement s(c, QStringLiteral("UPDATE sysvariable SET vrvalue = :v WHERE vrname = :n"));
    s.bind(QStringLiteral(":v"), value).bind(QStringLiteral(":n"), name).exec();
}

inline void checkStock(db::Connection& c, bool on) {
    setVariable(c, QStringLiteral("isCheckStore"), on ? QStringLiteral("-1") : QStringLiteral("0"));
}

}  // namespace sales_shop
