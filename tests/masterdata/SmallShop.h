// A few reference rows and one receiving and one sale that use them, so that deleting
// any of them must be refused.
#pragma once

#include "db/Connection.h"

#include <QStringList>

inline void installSmallShop(db::Connection& c) {
    const QStringList rows = {
        "INSERT INTO SPFLB(FLNo, FLName) VALUES('01', '饮料')",
        "INSERT INTO SPFLB(FLNo, FLName) VALUES('02', '零食')",
        "INSERT INTO SPDWB(DWBH, DWMC) VALUES('01', '瓶')",
        "INSERT INTO SPDWB(DWBH, DWMC) VALUES('02', '箱')",
        "INSERT INTO dept(BMNO, BMName) VALUES('01', '食品部')",
        "INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '甲供应商')",
        "INSERT INTO CSB(CSNO, CSNAME) VALUES('002', '乙供应商')",
        "INSERT INTO KHB(KHNO, KHNAME) VALUES('001', '丙客户')",
        "INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('002', '二号库', '1')",
        "INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('001', '张三', '0')",
        "INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('002', '李四', '1')",
        "INSERT INTO SPB(SPNO, SPNAME, SPLB, SPDW, BZJG, QSGYS, BMNO) VALUES('P0001', '可乐', '01', '瓶', 3, '001', '01')",
        "INSERT INTO SPB(SPNO, SPNAME, SPLB, SPDW, BZJG) VALUES('P0002', '雪碧', '01', '瓶', 3)",
        "INSERT INTO JHDSJB(JHDNO, CSNO, JBR, BNNO) VALUES('J1', '001', '001', '001')",
        "INSERT INTO JHDMXB(JHDNO, SPNO, SL, CKNO) VALUES('J1', 'P0001', 10, '002')",
        "INSERT INTO XSB(XSNO, KHNO, BNNO) VALUES('X1', '001', '001')",
    };
    for (const QString& sql : rows) c.execute(sql);
}
