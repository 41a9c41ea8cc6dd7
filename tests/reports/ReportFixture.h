// A small shop with one of everything the reports print: a receipt, returns both ways,
// a loss, a transfer, a sale, a hand-in, ledger rows and a stocktake, all on 2024-03-15.
#pragma once

#include "db/Connection.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable failures: gtest prints Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '{' << l.join(QStringLiteral(" | ")).toStdString() << '}'; }

namespace reportfixture {

inline const QDate kDay(2024, 3, 15);
inline const QString kCola = QStringLiteral("可口可乐 330ml");
inline const QString kNoodles = QStringLiteral("康师傅红烧牛肉面");

inline void smallShop(db::Connection& c) {
    c.setClock(QDateTime(kDay, QTime(10, 30)));
    const char* rows[] = {
        "INSERT INTO CSB(CSNO, CSNAME, LXR, LXDH, LXDZ) VALUES('001', '华联食品批发有限公司', '王建国', '0571-88001234', '杭州市莫干山路100号')",
        "INSERT INTO KHB(KHNO, KHNAME, LXR, LXDH, LXDZ) VALUES('001', '街角便利店', '刘洋', '13800571001', '杭州市体育场路12号')",
        "INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('001', '张伟', '1')",
        "INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG, QSGYS, BZ) VALUES('6901234567890', '可口可乐 330ml', '听', 3.5, 2.2, '001', '冷藏')",
        "INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG, QSGYS) VALUES('6909876543210', '康师傅红烧牛肉面', '袋', 4.5, 3.2, '001')",
        "INSERT INTO JHDSJB(JHDNO, JHNO, CSNO, JBR, DJDATE, BZ, BNNO) VALUES('J240315001', 'HL-77', '001', '001', getdate(), '首批', '001')",
        "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) VALUES('J240315001', '6901234567890', '可口可乐 330ml', '听', 2.2, 24, 2, 52.8, '001')",
        "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) VALUES('J240315001', '6909876543210', '康师傅红烧牛肉面', '袋', 3.2, 10, 1, 32, '001')",
        "INSERT INTO GYSTHSJB(THDNO, CSNO, BNNO) VALUES('T240315001', '001', '001')",
        "INSERT INTO GYSTHMXB(THDNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) VALUES('T240315001', 'J240315001', '6901234567890', '可口可乐 330ml', '听', 2, 2.2, 4.4)",
        "INSERT INTO XSB(XSNO, SPZE, SKZE, BNNO, KHNO, KHName, KHLX) VALUES('X240315001', 11.5, 11.5, '001', '001', '街角便利店', 'P')",
        "INSERT INTO XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, ZYNO, XSDAY) VALUES('X240315001', '6901234567890', '可口可乐 330ml', '听', 2, 3.5, 100, 7, '001', date10(getdate()))",
        "INSERT INTO XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, ZYNO, XSDAY) VALUES('X240315001', '6909876543210', '康师傅红烧牛肉面', '袋', 1, 4.5, 100, 4.5, '001', date10(getdate()))",
        "INSERT INTO XSCBB(XSNO, JHDNO, SPNO, SPNAME, JSDW, XSSL, SJ, XSJE, DJ, ZJE) VALUES('X240315001', 'J240315001', '6901234567890', '可口可乐 330ml', '听', 2, 3.5, 7, 2.2, 4.4)",
        "INSERT INTO KHTHSJB(THDNO, KHNO, BNNO) VALUES('c240315001', '001', '001')",
        "INSERT INTO KHTHMXB(THDNO, XSNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) VALUES('c240315001', 'X240315001', 'J240315001', '6901234567890', '可口可乐 330ml', '听', 1, 3.5, 3.5)",
        "INSERT INTO BSB(BSDNO, JHDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO) VALUES('B240315001', 'J240315001', '6909876543210', '康师傅红烧牛肉面', '袋', 1, 3.2, 3.2, '001')",
        "INSERT INTO QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE) VALUES('W240315001', 'W240315001', '6901234567890', '可口可乐 330ml', '听', 5, '001', '调出')",
        "INSERT INTO SYYJKB(JKLSNO, JKDATE, SYYNO, SYYNAME, SJJE, YJJE, BNNO) VALUES('j240315001', getdate(), '001', '系统管理员', 90, 100, '001')",
        "INSERT INTO KHJSWLB(JSNO, KHNO, ZY, DJBH, DF, JD, YE, BNNO) VALUES('K240315001', '001', '销售挂帐', 'X240315001', 11.5, '贷', 11.5, '001')",
        "INSERT INTO GYSJSWLB(JSNO, CSNO, ZY, PZHM, DJBH, JF, JD, YE, BNNO) VALUES('F240315001', '001', '进货', 'PZ-01', 'J240315001', 84.8, '借', 84.8, '001')",
        "INSERT INTO YPDSJB(SPNO, CKNO, CKKCSL, CKPDSL, CKGXKCL, CKPDDATE, CKGXKCBZ) VALUES('6901234567890', '001', 22, 21, -1, getdate(), 1)",
    };
    for (const char* sql : rows) c.execute(QString::fromUtf8(sql));
}

}  // namespace reportfixture
