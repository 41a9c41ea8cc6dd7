// Clients and suppliers with current accounts for the account tests.
#pragma once

#include "db/AccountLedger.h"
#include "db/Connection.h"
#include "db/Statement.h"

#include <QString>

namespace accounts_shop {

inline void install(db::Connection& c) {
    c.execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES('101', '客户甲')"));
    c.execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES('102', '客户乙')"));
    c.execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES('103', '客户丙')"));
    c.execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('201', '供应商甲')"));
    c.execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('202', '供应商乙')"));
}

// Posts a row and dates it: the ledger stamps the server's clock, the tests need other days.
inline QString postOn(db::Connection& c, db::AccountKind kind, const QString& account, db::AccountSide side,
                      const char* amount, const QString& when) {
    db::AccountLedger ledger(c, kind);
    const db::PostedLedgerRow row =
        ledger.post({account, side, *Money::parse(QString::fromLatin1(amount)), {}, QStringLiteral("测试"), {}, QStringLiteral("001")});
    db::Statement date(c, QStringLiteral("UPDATE %1 SET CZRQ = :d WHERE JSNO = :no").arg(ledger.table()));
    date.bind(QStringLiteral(":d"), QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd HH:mm:ss")))
        .bind(QStringLiteral(":no"), row.rowNo)
        .exec();
    return row.rowNo;
}

}  // namespace accounts_shop
