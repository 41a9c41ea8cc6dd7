#include "db/Schema.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

#include <QSet>

#include <functional>
#include <vector>

namespace db {

namespace {

// Version 1: master data, documents, ledgers, stocktake, system tables and the views.
// Type tokens (@MONEY, @FLOAT, @BIT, @DATETIME, @NOW, @ID, @TEXT) are expanded by the dialect.
const char* const kTablesV1[] = {
    // ---- master data ----
    "CREATE TABLE SPFLB (FLNo VARCHAR(3) NOT NULL PRIMARY KEY, FLName VARCHAR(12) NOT NULL)",
    "CREATE TABLE SPDWB (DWBH VARCHAR(3) NOT NULL PRIMARY KEY, DWMC VARCHAR(4) NOT NULL)",
    "CREATE TABLE dept (BMNO VARCHAR(3) NOT NULL PRIMARY KEY, BMName VARCHAR(12) NOT NULL)",
    "CREATE TABLE CSB (CSNO VARCHAR(3) NOT NULL PRIMARY KEY, CSNAME VARCHAR(40) NOT NULL, LXR VARCHAR(12), "
    "LXDH VARCHAR(20), LXDZ VARCHAR(40))",
    "CREATE TABLE KHB (KHNO VARCHAR(3) NOT NULL PRIMARY KEY, KHNAME VARCHAR(40) NOT NULL, LXR VARCHAR(12), "
    "LXDH VARCHAR(20), LXDZ VARCHAR(40))",
    "CREATE TABLE STORE (CKNO VARCHAR(3) NOT NULL PRIMARY KEY, CKNAME VARCHAR(16) NOT NULL, "
    "CKTYPE CHAR(1) NOT NULL DEFAULT '2')",
    "CREATE TABLE GZRYB (ZYNO VARCHAR(3) NOT NULL PRIMARY KEY, NAME VARCHAR(10) NOT NULL, ZW CHAR(1) NOT NULL DEFAULT '1')",
    // BNPASSWORD holds an Argon2id hash, never the password itself.
    "CREATE TABLE BMAN (BNNO VARCHAR(3) NOT NULL PRIMARY KEY, BNNAME VARCHAR(12) NOT NULL, BNPOST VARCHAR(10), "
    "BNPASSWORD VARCHAR(128) NOT NULL)",
    "CREATE TABLE SPB (SPNO VARCHAR(18) NOT NULL PRIMARY KEY, SPNAME VARCHAR(40) NOT NULL, "
    "SPLB VARCHAR(3) REFERENCES SPFLB(FLNo), SPDW VARCHAR(4), BZJG @MONEY NOT NULL DEFAULT 0, "
    "ZDJG @MONEY NOT NULL DEFAULT 0, PFJG @MONEY NOT NULL DEFAULT 0, KCMAX INTEGER NOT NULL DEFAULT 0, "
    "KCMIN INTEGER NOT NULL DEFAULT 0, CBJG @MONEY NOT NULL DEFAULT 0, BZ VARCHAR(60), "
    "QSGYS VARCHAR(3) REFERENCES CSB(CSNO), XSFS @BIT NOT NULL DEFAULT 0, BMNO VARCHAR(3) REFERENCES dept(BMNO))",
    "CREATE INDEX SPB_SPLB ON SPB(SPLB)",
    "CREATE INDEX SPB_QSGYS ON SPB(QSGYS)",
    "CREATE INDEX SPB_BMNO ON SPB(BMNO)",
    // ---- system tables ----
    "CREATE TABLE sysvariable (vrname VARCHAR(30) NOT NULL PRIMARY KEY, vrvalue VARCHAR(100), vrscript VARCHAR(60))",
    "CREATE TABLE MENU (MENUNO VARCHAR(30) NOT NULL PRIMARY KEY, MENUNAME VARCHAR(40) NOT NULL, "
    "MENUTYPE VARCHAR(10) NOT NULL, NO INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE SYSRIGHTSET (BNNO VARCHAR(3) NOT NULL REFERENCES BMAN(BNNO) ON DELETE CASCADE, "
    "RSFUN VARCHAR(30) NOT NULL, RSNAME VARCHAR(40), RSRIGHT @BIT NOT NULL DEFAULT 0, PRIMARY KEY (BNNO, RSFUN))",
    "CREATE TABLE RZ (ID @ID, RQSJ @DATETIME NOT NULL DEFAULT @NOW, GH VARCHAR(3), CZDZ VARCHAR(20), "
    "CS1 VARCHAR(100), CS2 VARCHAR(100), CS3 VARCHAR(100))",
    // Document numbers: one counter per case-sensitive letter, restarting each day.
    "CREATE TABLE SERIALNO (SERIALTYPE VARCHAR(1) NOT NULL PRIMARY KEY, LASTDATE VARCHAR(8) NOT NULL, "
    "LASTNO INTEGER NOT NULL)",
    // ---- receiving ----
    "CREATE TABLE JHDSJB (JHDNO VARCHAR(15) NOT NULL PRIMARY KEY, JHNO VARCHAR(15), "
    "CSNO VARCHAR(3) NOT NULL REFERENCES CSB(CSNO), JBR VARCHAR(3) REFERENCES GZRYB(ZYNO), DJDATE @DATETIME, "
    "BZ VARCHAR(40), BNNO VARCHAR(3) REFERENCES BMAN(BNNO), CZDATE @DATETIME NOT NULL DEFAULT @NOW)",
    "CREATE INDEX JHDSJB_CSNO ON JHDSJB(CSNO)",
    "CREATE INDEX JHDSJB_JBR ON JHDSJB(JBR)",
    "CREATE INDEX JHDSJB_BNNO ON JHDSJB(BNNO)",
    "CREATE TABLE JHDMXB (JHDNO VARCHAR(15) NOT NULL REFERENCES JHDSJB(JHDNO), "
    "SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), SPNAME VARCHAR(40), JSDW VARCHAR(4), DJ @MONEY NOT NULL DEFAULT 0, "
    "SL @FLOAT NOT NULL DEFAULT 0, XSSL @FLOAT NOT NULL DEFAULT 0, ZJE @MONEY NOT NULL DEFAULT 0, "
    "CKNO VARCHAR(3) REFERENCES STORE(CKNO), PRIMARY KEY (JHDNO, SPNO))",
    "CREATE INDEX JHDMXB_SPNO ON JHDMXB(SPNO, JHDNO)",
    "CREATE INDEX JHDMXB_CKNO ON JHDMXB(CKNO)",
    // ---- returns ----
    "CREATE TABLE GYSTHSJB (THDNO VARCHAR(15) NOT NULL PRIMARY KEY, CSNO VARCHAR(3) NOT NULL REFERENCES CSB(CSNO), "
    "BNNO VARCHAR(3) REFERENCES BMAN(BNNO), CZDATE @DATETIME NOT NULL DEFAULT @NOW)",
    "CREATE INDEX GYSTHSJB_CSNO ON GYSTHSJB(CSNO)",
    "CREATE INDEX GYSTHSJB_BNNO ON GYSTHSJB(BNNO)",
    "CREATE TABLE GYSTHMXB (ID @ID, THDNO VARCHAR(15) NOT NULL REFERENCES GYSTHSJB(THDNO), "
    "JHDNO VARCHAR(15), SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), SPNAME VARCHAR(40), JLDW VARCHAR(4), "
    "SL @FLOAT NOT NULL DEFAULT 0, DJ @MONEY NOT NULL DEFAULT 0, JE @MONEY NOT NULL DEFAULT 0)",
    "CREATE INDEX GYSTHMXB_THDNO ON GYSTHMXB(THDNO)",
    "CREATE INDEX GYSTHMXB_SPNO ON GYSTHMXB(SPNO)",
    "CREATE TABLE KHTHSJB (THDNO VARCHAR(15) NOT NULL PRIMARY KEY, KHNO VARCHAR(3) NOT NULL REFERENCES KHB(KHNO), "
    "BNNO VARCHAR(3) REFERENCES BMAN(BNNO), CZDATE @DATETIME NOT NULL DEFAULT @NOW)",
    "CREATE INDEX KHTHSJB_KHNO ON KHTHSJB(KHNO)",
    "CREATE INDEX KHTHSJB_BNNO ON KHTHSJB(BNNO)",
    "CREATE TABLE KHTHMXB (ID @ID, THDNO VARCHAR(15) NOT NULL REFERENCES KHTHSJB(THDNO), "
    "XSNO VARCHAR(15), JHDNO VARCHAR(15), SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), SPNAME VARCHAR(40), "
    "JLDW VARCHAR(4), SL @FLOAT NOT NULL DEFAULT 0, DJ @MONEY NOT NULL DEFAULT 0, JE @MONEY NOT NULL DEFAULT 0)",
    "CREATE INDEX KHTHMXB_THDNO ON KHTHMXB(THDNO)",
    "CREATE INDEX KHTHMXB_SPNO ON KHTHMXB(SPNO)",
    // ---- losses ----
    "CREATE TABLE BSB (ID @ID, BSDNO VARCHAR(15) NOT NULL, JHDNO VARCHAR(15), "
    "SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), SPNAME VARCHAR(40), JLDW VARCHAR(4), SL @FLOAT NOT NULL DEFAULT 0, "
    "DJ @MONEY NOT NULL DEFAULT 0, JE @MONEY NOT NULL DEFAULT 0, BNNO VARCHAR(3) REFERENCES BMAN(BNNO), "
    "CZRQ @DATETIME NOT NULL DEFAULT @NOW)",
    "CREATE INDEX BSB_BSDNO ON BSB(BSDNO)",
    "CREATE INDEX BSB_SPNO ON BSB(SPNO)",
    "CREATE INDEX BSB_BNNO ON BSB(BNNO)",
    // ---- movements: every quantity that enters or leaves a store ----
    "CREATE TABLE QTJHDMXB (ID @ID, WLNO VARCHAR(15) NOT NULL, JHDNO VARCHAR(15), "
    "SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), SPNAME VARCHAR(40), JSDW VARCHAR(4), SL @FLOAT NOT NULL DEFAULT 0, "
    "CKNO VARCHAR(3) NOT NULL REFERENCES STORE(CKNO), WLTYPE VARCHAR(10) NOT NULL, CZRQ @DATETIME NOT NULL DEFAULT @NOW)",
    "CREATE INDEX QTJHDMXB_SPNO_CKNO ON QTJHDMXB(SPNO, CKNO)",
    "CREATE INDEX QTJHDMXB_CKNO ON QTJHDMXB(CKNO)",
    "CREATE INDEX QTJHDMXB_WLNO ON QTJHDMXB(WLNO)",
    "CREATE INDEX QTJHDMXB_JHDNO ON QTJHDMXB(JHDNO)",
    "CREATE INDEX QTJHDMXB_CZRQ ON QTJHDMXB(CZRQ)",
    // ---- sales ----
    "CREATE TABLE XSB (XSNO VARCHAR(15) NOT NULL PRIMARY KEY, SPZE @MONEY NOT NULL DEFAULT 0, "
    "SKZE @MONEY NOT NULL DEFAULT 0, BNNO VARCHAR(3) REFERENCES BMAN(BNNO), XSDATE @DATETIME NOT NULL DEFAULT @NOW, "
    "KHNO VARCHAR(3) NOT NULL REFERENCES KHB(KHNO), KHName VARCHAR(40), KHDZ VARCHAR(40), LXDH VARCHAR(20), "
    "KHLX CHAR(1), ZFBZ @BIT NOT NULL DEFAULT 0)",
    "CREATE INDEX XSB_XSDATE ON XSB(XSDATE)",
    "CREATE INDEX XSB_KHNO ON XSB(KHNO)",
    "CREATE INDEX XSB_BNNO ON XSB(BNNO)",
    "CREATE TABLE XSMXB (ID @ID, XSNO VARCHAR(15) NOT NULL REFERENCES XSB(XSNO), "
    "SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), SPNAME VARCHAR(40), JLDW VARCHAR(4), SPSL @FLOAT NOT NULL DEFAULT 0, "
    "SPDJ @MONEY NOT NULL DEFAULT 0, ZKL INTEGER NOT NULL DEFAULT 100, ZJE @MONEY NOT NULL DEFAULT 0, "
    "ZYNO VARCHAR(3) REFERENCES GZRYB(ZYNO), XDBZ CHAR(1))",
    "CREATE INDEX XSMXB_XSNO ON XSMXB(XSNO)",
    "CREATE INDEX XSMXB_SPNO ON XSMXB(SPNO)",
    "CREATE INDEX XSMXB_ZYNO ON XSMXB(ZYNO)",
    "CREATE TABLE XSCBB (ID @ID, XSNO VARCHAR(15) NOT NULL REFERENCES XSB(XSNO) DEFERRABLE INITIALLY DEFERRED, JHDNO VARCHAR(15) NOT NULL, "
    "SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), SPNAME VARCHAR(40), JSDW VARCHAR(4), "
    "ZYNO VARCHAR(3) REFERENCES GZRYB(ZYNO), XSSL @FLOAT NOT NULL DEFAULT 0, THSL @FLOAT NOT NULL DEFAULT 0, "
    "SJ @MONEY NOT NULL DEFAULT 0, XSJE @MONEY NOT NULL DEFAULT 0, DJ @MONEY NOT NULL DEFAULT 0, "
    "ZJE @MONEY NOT NULL DEFAULT 0, CZDATE @DATETIME NOT NULL DEFAULT @NOW, "
    "FOREIGN KEY (JHDNO, SPNO) REFERENCES JHDMXB(JHDNO, SPNO))",
    "CREATE INDEX XSCBB_XSNO_SPNO ON XSCBB(XSNO, SPNO)",
    "CREATE INDEX XSCBB_SPNO ON XSCBB(SPNO)",
    "CREATE INDEX XSCBB_BATCH ON XSCBB(JHDNO, SPNO)",
    "CREATE INDEX XSCBB_CZDATE ON XSCBB(CZDATE)",
    "CREATE INDEX XSCBB_ZYNO ON XSCBB(ZYNO)",
    // ---- cashier ----
    "CREATE TABLE SYYSKB (ID @ID, XSNO VARCHAR(15) NOT NULL REFERENCES XSB(XSNO) DEFERRABLE INITIALLY DEFERRED, "
    "SKDATE @DATETIME NOT NULL DEFAULT @NOW, SKMONEY @MONEY NOT NULL DEFAULT 0, "
    "BNNO VARCHAR(3) NOT NULL REFERENCES BMAN(BNNO), JKFLAG @BIT NOT NULL DEFAULT 0)",
    "CREATE INDEX SYYSKB_BNNO ON SYYSKB(BNNO, JKFLAG)",
    "CREATE INDEX SYYSKB_XSNO ON SYYSKB(XSNO)",
    "CREATE TABLE SYYJKB (JKLSNO VARCHAR(15) NOT NULL PRIMARY KEY, JKDATE @DATETIME, "
    "SYYNO VARCHAR(3) NOT NULL REFERENCES BMAN(BNNO), SYYNAME VARCHAR(20), SJJE @MONEY NOT NULL DEFAULT 0, "
    "YJJE @MONEY NOT NULL DEFAULT 0, CZDATE @DATETIME NOT NULL DEFAULT @NOW, BNNO VARCHAR(3) REFERENCES BMAN(BNNO))",
    "CREATE INDEX SYYJKB_SYYNO ON SYYJKB(SYYNO)",
    "CREATE INDEX SYYJKB_BNNO ON SYYJKB(BNNO)",
    // ---- current accounts ----
    "CREATE TABLE KHJSWLB (JSNO VARCHAR(15) NOT NULL PRIMARY KEY, KHNO VARCHAR(3) NOT NULL REFERENCES KHB(KHNO), "
    "ZY VARCHAR(50), PZHM VARCHAR(15), DJBH VARCHAR(15), JF @MONEY, DF @MONEY, JD CHAR(2), "
    "YE @MONEY NOT NULL DEFAULT 0, BNNO VARCHAR(3) REFERENCES BMAN(BNNO), CZRQ @DATETIME NOT NULL DEFAULT @NOW)",
    "CREATE INDEX KHJSWLB_KHNO ON KHJSWLB(KHNO, JSNO)",
    "CREATE INDEX KHJSWLB_BNNO ON KHJSWLB(BNNO)",
    "CREATE TABLE GYSJSWLB (JSNO VARCHAR(15) NOT NULL PRIMARY KEY, CSNO VARCHAR(3) NOT NULL REFERENCES CSB(CSNO), "
    "ZY VARCHAR(50), PZHM VARCHAR(15), DJBH VARCHAR(15), JF @MONEY, DF @MONEY, JD CHAR(2), "
    "YE @MONEY NOT NULL DEFAULT 0, BNNO VARCHAR(3) REFERENCES BMAN(BNNO), CZRQ @DATETIME NOT NULL DEFAULT @NOW)",
    "CREATE INDEX GYSJSWLB_CSNO ON GYSJSWLB(CSNO, JSNO)",
    "CREATE INDEX GYSJSWLB_BNNO ON GYSJSWLB(BNNO)",
    // ---- stocktaking ----
    "CREATE TABLE YPDSJB (SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), CKNO VARCHAR(3) NOT NULL REFERENCES STORE(CKNO), "
    "CKKCSL @FLOAT NOT NULL DEFAULT 0, CKPDSL @FLOAT NOT NULL DEFAULT 0, CKGXKCL @FLOAT NOT NULL DEFAULT 0, "
    "CKPDDATE @DATETIME, CKGXKCBZ @BIT NOT NULL DEFAULT 0, PRIMARY KEY (SPNO, CKNO))",
    "CREATE INDEX YPDSJB_CKNO ON YPDSJB(CKNO)",
};

// Views return dates as 10-character text "yyyy-mm-dd".
const char* const kViewsV1[] = {
    "CREATE VIEW vwSPXXCX AS SELECT P.SPNO, P.SPNAME, P.SPLB, P.SPDW, P.BZJG, P.ZDJG, P.PFJG, P.KCMAX, P.KCMIN, "
    "P.CBJG, P.QSGYS, P.XSFS, D.BMName, C.CSNAME, P.BZ FROM SPB P LEFT JOIN dept D ON D.BMNO = P.BMNO "
    "LEFT JOIN CSB C ON C.CSNO = P.QSGYS",
    "CREATE VIEW VWCSXXCX AS SELECT CSNO, CSNAME, LXR, LXDH, LXDZ FROM CSB",
    "CREATE VIEW VWRKDCX AS SELECT H.JHDNO, H.JHNO, H.CSNO, C.CSNAME, M.SPNO, M.SPNAME, H.BNNO, B.BNNAME, M.JSDW, "
    "M.SL, M.XSSL, M.DJ, date10(H.DJDATE) AS DJDATE, G.NAME AS JBR, date10(H.CZDATE) AS CZDATE, H.BZ, M.ZJE, M.CKNO "
    "FROM JHDSJB H JOIN JHDMXB M ON M.JHDNO = H.JHDNO LEFT JOIN CSB C ON C.CSNO = H.CSNO "
    "LEFT JOIN BMAN B ON B.BNNO = H.BNNO LEFT JOIN GZRYB G ON G.ZYNO = H.JBR",
    "CREATE VIEW VWGYSTHCX AS SELECT H.THDNO, H.CSNO, C.CSNAME, H.BNNO, B.BNNAME, M.SPNO, M.SPNAME, M.SL, M.DJ, "
    "M.JLDW, M.JE, date10(H.CZDATE) AS CZDATE FROM GYSTHSJB H JOIN GYSTHMXB M ON M.THDNO = H.THDNO "
    "LEFT JOIN CSB C ON C.CSNO = H.CSNO LEFT JOIN BMAN B ON B.BNNO = H.BNNO",
    "CREATE VIEW VWKHTHCX AS SELECT H.THDNO, H.KHNO, M.SPNO, M.SPNAME, M.JLDW, M.JE AS THJE, M.JE, M.DJ, M.SL, "
    "B.BNNAME, date10(H.CZDATE) AS CZDATE FROM KHTHSJB H JOIN KHTHMXB M ON M.THDNO = H.THDNO "
    "LEFT JOIN BMAN B ON B.BNNO = H.BNNO",
    "CREATE VIEW vwBSCX AS SELECT S.BSDNO, S.BNNO, B.BNNAME, S.SPNO, S.SPNAME, S.JLDW, S.SL, S.DJ, S.JE, "
    "date10(S.CZRQ) AS CZRQ FROM BSB S LEFT JOIN BMAN B ON B.BNNO = S.BNNO",
    "CREATE VIEW vwDBCL AS SELECT Q.WLNO, Q.JHDNO, Q.CKNO, S.CKNAME, Q.SPNO, Q.SPNAME, Q.JSDW, Q.SL, Q.WLTYPE, "
    "date10(Q.CZRQ) AS czrq FROM QTJHDMXB Q LEFT JOIN STORE S ON S.CKNO = Q.CKNO",
    "CREATE VIEW vwSPXSMXCX AS SELECT H.XSNO, M.SPNO, M.SPNAME, M.SPSL, M.SPDJ, M.ZKL, M.ZJE, H.BNNO, B.BNNAME, "
    "date10(H.XSDATE) AS xsdate, H.KHName, H.KHNO, H.KHDZ, H.LXDH FROM XSB H JOIN XSMXB M ON M.XSNO = H.XSNO "
    "LEFT JOIN BMAN B ON B.BNNO = H.BNNO WHERE H.ZFBZ = 0",
    "CREATE VIEW vwMANBALANCE AS SELECT J.JKLSNO, date10(J.JKDATE) AS jkdate, J.SYYNO, J.SYYNAME, J.SJJE, J.YJJE, "
    "date10(J.CZDATE) AS czdate, J.BNNO, B.BNNAME FROM SYYJKB J LEFT JOIN BMAN B ON B.BNNO = J.BNNO",
    "CREATE VIEW vwKCCX AS SELECT Y.CKNO, S.CKNAME, Y.SPNO, P.SPNAME, Y.CKKCSL, Y.CKPDSL, Y.CKGXKCL, "
    "date10(Y.CKPDDATE) AS CKPDDATE, CASE WHEN Y.CKGXKCBZ = 1 THEN '已更新' ELSE '未更新' END AS CKGXKCBZ "
    "FROM YPDSJB Y LEFT JOIN STORE S ON S.CKNO = Y.CKNO LEFT JOIN SPB P ON P.SPNO = Y.SPNO",
    "CREATE VIEW vwTJSellMoney AS SELECT C.CSNAME AS csname, X.XSJE AS xsje, date10(X.CZDATE) AS xsdate "
    "FROM XSCBB X JOIN SPB P ON P.SPNO = X.SPNO JOIN CSB C ON C.CSNO = P.QSGYS",
};

struct Migration {
    int version;
    std::function<void(Connection&)> apply;
    bool rebuildsTables = false;  // SQLite: foreign keys off around the step, checked before commit
};

void applyV1(Connection& c) {
    const Dialect& d = c.dialect();
    d.createFunctions(c);
    for (const char* sql : kTablesV1) c.execute(d.ddl(QString::fromUtf8(sql)));
    for (const char* sql : kViewsV1) c.execute(d.ddl(QString::fromUtf8(sql)));
}

// Store balances kept beside the movement lines, so a product's quantity in a store is one
// row read however long its history grows. Computed once from the movements.
void applyV2(Connection& c) {
    c.execute(c.dialect().ddl(QStringLiteral(
        "CREATE TABLE KCYEB (SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), "
        "CKNO VARCHAR(3) NOT NULL REFERENCES STORE(CKNO), KCSL @FLOAT NOT NULL DEFAULT 0, PRIMARY KEY (SPNO, CKNO))")));
    c.execute(QStringLiteral("CREATE INDEX KCYEB_CKNO ON KCYEB(CKNO)"));
    StockLedger(c).rebuildBalances();
}

// The sale-line query lists lines by the day of their sale and then by product: with that day
// stored on the line beside an index on both, its first page is read from the index instead of
// sorting every line. A sale posting writes it as date10(getdate()), the day of its header,
// since getdate() is the time its transaction began.
void applyV8(Connection& c) {
    const Dialect& d = c.dialect();
    c.execute(QStringLiteral("ALTER TABLE XSMXB ADD COLUMN XSDAY VARCHAR(10)"));
    c.execute(QStringLiteral("UPDATE XSMXB SET XSDAY = (SELECT date10(H.XSDATE) FROM XSB H WHERE H.XSNO = XSMXB.XSNO)"));
    c.execute(QStringLiteral("CREATE INDEX XSMXB_XSDAY_SPNO ON XSMXB(XSDAY, SPNO)"));
    c.execute(QStringLiteral("DROP VIEW vwSPXSMXCX"));
    c.execute(d.ddl(QStringLiteral(
        "CREATE VIEW vwSPXSMXCX AS SELECT H.XSNO, M.SPNO, M.SPNAME, M.SPSL, M.SPDJ, M.ZKL, M.ZJE, H.BNNO, B.BNNAME, "
        "M.XSDAY AS xsdate, H.KHName, H.KHNO, H.KHDZ, H.LXDH FROM XSB H JOIN XSMXB M ON M.XSNO = H.XSNO "
        "LEFT JOIN BMAN B ON B.BNNO = H.BNNO WHERE H.ZFBZ = 0")));
}

// Every query screen's order ends in columns no two rows share, so the first page, the cursor
// and a page read again place rows that the screen's order leaves equal alike. The views over
// line tables expose their line's ID for that.
// The sale-line list is read through one index in its order (day, product, line) that also
// holds the sale number: its first page, and a page filtered on the day, come from the index
// without sorting the lines. The lines lead the join (every line has its header: the foreign
// key), so the planners read them in that order and stop at the page; a condition on a header
// column makes it an inner join again, which may then start from the headers. The sale number
// is the same on the line and on its header; each backend takes it where its planner serves a
// 包含 filter best: SQLite tests it inside the index while reading in order (it cannot start
// from the headers for a LIKE on them without reading every line), PostgreSQL reads the
// headers' numbers and fetches only the matching lines. A filter that few sales meet is led
// by the headers on SQLite too, by the query screen (see ConditionBuilder's lookup form).
void applyV11(Connection& c) {
    const Dialect& d = c.dialect();
    const QString saleNumber = d.backend() == Backend::Sqlite ? QStringLiteral("M.XSNO") : QStringLiteral("H.XSNO");
    c.execute(QStringLiteral("DROP VIEW vwSPXSMXCX"));
    c.execute(d.ddl(QStringLiteral(
        "CREATE VIEW vwSPXSMXCX AS SELECT %1 AS XSNO, M.SPNO, M.SPNAME, M.SPSL, M.SPDJ, M.ZKL, M.ZJE, H.BNNO, B.BNNAME, "
        "M.XSDAY AS xsdate, H.KHName, H.KHNO, H.KHDZ, H.LXDH, M.ID FROM XSMXB M LEFT JOIN XSB H ON H.XSNO = M.XSNO "
        "LEFT JOIN BMAN B ON B.BNNO = H.BNNO WHERE H.ZFBZ = 0 OR H.ZFBZ IS NULL").arg(saleNumber)));
    const char* const views[][2] = {
        {"VWGYSTHCX",
         "CREATE VIEW VWGYSTHCX AS SELECT H.THDNO, H.CSNO, C.CSNAME, H.BNNO, B.BNNAME, M.SPNO, M.SPNAME, M.SL, M.DJ, "
         "M.JLDW, M.JE, date10(H.CZDATE) AS CZDATE, M.ID FROM GYSTHSJB H JOIN GYSTHMXB M ON M.THDNO = H.THDNO "
         "LEFT JOIN CSB C ON C.CSNO = H.CSNO LEFT JOIN BMAN B ON B.BNNO = H.BNNO"},
        {"VWKHTHCX",
         "CREATE VIEW VWKHTHCX AS SELECT H.THDNO, H.KHNO, M.SPNO, M.SPNAME, M.JLDW, M.JE AS THJE, M.JE, M.DJ, M.SL, "
         "B.BNNAME, date10(H.CZDATE) AS CZDATE, M.ID FROM KHTHSJB H JOIN KHTHMXB M ON M.THDNO = H.THDNO "
         "LEFT JOIN BMAN B ON B.BNNO = H.BNNO"},
        {"vwBSCX",
         "CREATE VIEW vwBSCX AS SELECT S.BSDNO, S.BNNO, B.BNNAME, S.SPNO, S.SPNAME, S.JLDW, S.SL, S.DJ, S.JE, "
         "date10(S.CZRQ) AS CZRQ, S.ID FROM BSB S LEFT JOIN BMAN B ON B.BNNO = S.BNNO"},
        {"vwDBCL",
         "CREATE VIEW vwDBCL AS SELECT Q.WLNO, Q.JHDNO, Q.CKNO, S.CKNAME, Q.SPNO, Q.SPNAME, Q.JSDW, Q.SL, Q.WLTYPE, "
         "date10(Q.CZRQ) AS czrq, Q.ID FROM QTJHDMXB Q LEFT JOIN STORE S ON S.CKNO = Q.CKNO"},
    };
    for (const auto& view : views) {
        c.execute(QStringLiteral("DROP VIEW ") + QString::fromLatin1(view[0]));
        c.execute(d.ddl(QString::fromUtf8(view[1])));
    }
    c.execute(QStringLiteral("DROP INDEX XSMXB_XSDAY_SPNO"));
    c.execute(QStringLiteral("CREATE INDEX XSMXB_LIST ON XSMXB(XSDAY, SPNO, ID, XSNO)"));
}

// Version 13: the product list's order (category, then code; no category first on both
// backends) held by an index, so the maintenance screen reads any page of it, and the place
// of a product in it, without sorting the catalogue.
void applyV13(Connection& c) {
    c.execute(QStringLiteral("CREATE INDEX SPB_LIST ON SPB(COALESCE(SPLB, ''), SPNO)"));
}

// Version 16: on PostgreSQL the references of the stocktake rows are checked once per
// statement instead of once per row. A foreign key checks each row on its own (a lookup and a
// key-share lock of the product and of the store), four million checks for an initialisation
// of 100,000 products in 20 stores, two thirds of its time; the statement trigger takes the
// products and stores the statement's rows name, each once, and key-share locks them as the
// foreign key would (so none can be deleted under a stocktake being written); one it cannot
// lock does not exist, and the statement fails. A stocktake row's key is never rewritten; a
// statement that does rewrite one is checked row by row. Deleting a product or store, or
// changing its code, is refused while stocktake rows name it, as the foreign key refused it
// (SQLSTATE 23503). SQLite checks its foreign keys cheaply and keeps them.
const char* const kStocktakeReferencesPg[] = {
    "CREATE FUNCTION ypdsjb_check_references() RETURNS trigger LANGUAGE plpgsql AS $$ "
    "DECLARE named text[]; locked bigint; orphan text; "
    "BEGIN "
    "  named := ARRAY(SELECT DISTINCT N.SPNO FROM ypdsjb_written N); "
    "  PERFORM 1 FROM SPB P WHERE P.SPNO = ANY (named) FOR KEY SHARE OF P; "
    "  GET DIAGNOSTICS locked = ROW_COUNT; "
    "  IF locked < cardinality(named) THEN "
    "    SELECT N INTO orphan FROM unnest(named) N WHERE NOT EXISTS (SELECT 1 FROM SPB P WHERE P.SPNO = N) LIMIT 1; "
    "    RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
    "      MESSAGE = format('stocktake row violates foreign key: product %s does not exist', orphan); "
    "  END IF; "
    "  named := ARRAY(SELECT DISTINCT N.CKNO FROM ypdsjb_written N); "
    "  PERFORM 1 FROM STORE S WHERE S.CKNO = ANY (named) FOR KEY SHARE OF S; "
    "  GET DIAGNOSTICS locked = ROW_COUNT; "
    "  IF locked < cardinality(named) THEN "
    "    SELECT N INTO orphan FROM unnest(named) N WHERE NOT EXISTS (SELECT 1 FROM STORE S WHERE S.CKNO = N) LIMIT 1; "
    "    RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
    "      MESSAGE = format('stocktake row violates foreign key: store %s does not exist', orphan); "
    "  END IF; "
    "  RETURN NULL; "
    "END $$",
    "CREATE FUNCTION ypdsjb_check_row_references() RETURNS trigger LANGUAGE plpgsql AS $$ "
    "BEGIN "
    "  PERFORM 1 FROM SPB P WHERE P.SPNO = NEW.SPNO FOR KEY SHARE OF P; "
    "  IF NOT FOUND THEN "
    "    RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
    "      MESSAGE = format('stocktake row violates foreign key: product %s does not exist', NEW.SPNO); "
    "  END IF; "
    "  PERFORM 1 FROM STORE S WHERE S.CKNO = NEW.CKNO FOR KEY SHARE OF S; "
    "  IF NOT FOUND THEN "
    "    RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
    "      MESSAGE = format('stocktake row violates foreign key: store %s does not exist', NEW.CKNO); "
    "  END IF; "
    "  RETURN NULL; "
    "END $$",
    "CREATE FUNCTION ypdsjb_check_referenced() RETURNS trigger LANGUAGE plpgsql AS $$ "
    "BEGIN "
    "  IF TG_TABLE_NAME = 'spb' THEN "
    "    IF EXISTS (SELECT 1 FROM YPDSJB Y WHERE Y.SPNO = OLD.SPNO) THEN "
    "      RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
    "        MESSAGE = format('product %s is still referenced from stocktake table \"ypdsjb\" (foreign key)', OLD.SPNO); "
    "    END IF; "
    "  ELSIF EXISTS (SELECT 1 FROM YPDSJB Y WHERE Y.CKNO = OLD.CKNO) THEN "
    "    RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
    "      MESSAGE = format('store %s is still referenced from stocktake table \"ypdsjb\" (foreign key)', OLD.CKNO); "
    "  END IF; "
    "  RETURN NULL; "
    "END $$",
    "CREATE TRIGGER YPDSJB_REFERENCES AFTER INSERT ON YPDSJB REFERENCING NEW TABLE AS ypdsjb_written "
    "FOR EACH STATEMENT EXECUTE FUNCTION ypdsjb_check_references()",
    "CREATE TRIGGER YPDSJB_KEY_CHANGED AFTER UPDATE OF SPNO, CKNO ON YPDSJB FOR EACH ROW "
    "WHEN (OLD.SPNO IS DISTINCT FROM NEW.SPNO OR OLD.CKNO IS DISTINCT FROM NEW.CKNO) "
    "EXECUTE FUNCTION ypdsjb_check_row_references()",
    "CREATE TRIGGER SPB_YPDSJB_DELETED AFTER DELETE ON SPB FOR EACH ROW EXECUTE FUNCTION ypdsjb_check_referenced()",
    "CREATE TRIGGER SPB_YPDSJB_KEY_CHANGED AFTER UPDATE OF SPNO ON SPB FOR EACH ROW "
    "WHEN (OLD.SPNO IS DISTINCT FROM NEW.SPNO) EXECUTE FUNCTION ypdsjb_check_referenced()",
    "CREATE TRIGGER STORE_YPDSJB_DELETED AFTER DELETE ON STORE FOR EACH ROW EXECUTE FUNCTION ypdsjb_check_referenced()",
    "CREATE TRIGGER STORE_YPDSJB_KEY_CHANGED AFTER UPDATE OF CKNO ON STORE FOR EACH ROW "
    "WHEN (OLD.CKNO IS DISTINCT FROM NEW.CKNO) EXECUTE FUNCTION ypdsjb_check_referenced()",
};

void applyV16(Connection& c) {
    if (c.backend() != Backend::Postgres) return;
    QStringList foreignKeys;
    {
        Statement s(c, QStringLiteral("SELECT conname FROM pg_constraint WHERE conrelid = 'ypdsjb'::regclass AND contype = 'f'"));
        s.exec();
        while (s.next()) foreignKeys << s.text(0);
    }
    for (const QString& name : foreignKeys)
        c.execute(QStringLiteral("ALTER TABLE YPDSJB DROP CONSTRAINT \"%1\"").arg(name));
    for (const char* sql : kStocktakeReferencesPg) c.execute(QString::fromUtf8(sql));
}

// Version 17: on PostgreSQL the references of the rows a sale writes (its lines, its cost
// rows, its movement lines) are checked once per statement instead of once per row, as step
// 16 does for the stocktake rows. A ten-line sale wrote about 140 rows' worth of foreign-key
// checks, each a lookup and a key-share lock, a fifth of its time on the server; the statement
// trigger takes each sale, product, batch, clerk and store the statement's rows name once and
// key-share locks it as the foreign key would, so none can go before the rows naming it
// commit. One it cannot lock does not exist, and the statement fails (SQLSTATE 23503). A
// statement rewriting a row's reference is checked row by row, and deleting or re-coding a
// referenced row is refused while rows name it, as the foreign keys refused it. A cost row's
// sale is now checked when the row is written rather than at commit: the sale's header is
// written first. SQLite checks its foreign keys cheaply and keeps them.
struct RowReference {
    const char* child;
    QStringList columns;
    const char* parent;
    QStringList parentColumns;
    const char* what;  // the parent's name in messages
};

const std::vector<RowReference>& saleRowReferences() {
    static const std::vector<RowReference> list = {
        {"XSMXB", {"XSNO"}, "XSB", {"XSNO"}, "sale"},
        {"XSMXB", {"SPNO"}, "SPB", {"SPNO"}, "product"},
        {"XSMXB", {"ZYNO"}, "GZRYB", {"ZYNO"}, "clerk"},
        {"XSCBB", {"XSNO"}, "XSB", {"XSNO"}, "sale"},
        {"XSCBB", {"JHDNO", "SPNO"}, "JHDMXB", {"JHDNO", "SPNO"}, "batch"},
        {"XSCBB", {"ZYNO"}, "GZRYB", {"ZYNO"}, "clerk"},
        {"QTJHDMXB", {"SPNO"}, "SPB", {"SPNO"}, "product"},
        {"QTJHDMXB", {"CKNO"}, "STORE", {"CKNO"}, "store"},
    };
    return list;
}

// The checks of one child's references in PL/pgSQL, over the rows of `rows` (a FROM item
// aliased W: the transition table, or NEW alone). One query takes each distinct key the rows
// name, key-share locks its parent row and yields the first key whose parent it cannot find.
QString referenceChecks(const QString& child, const QString& rows) {
    QStringList branches;
    for (const RowReference& r : saleRowReferences()) {
        if (QLatin1String(r.child) != child) continue;
        QStringList keys, present, match, label;
        for (int i = 0; i < r.columns.size(); ++i) {
            keys << QStringLiteral("W.%1").arg(r.columns[i]);
            present << QStringLiteral("W.%1 IS NOT NULL").arg(r.columns[i]);
            match << QStringLiteral("P.%1 = N.%2").arg(r.parentColumns[i], r.columns[i]);
            label << QStringLiteral("N.%1").arg(r.columns[i]);
        }
        branches << QStringLiteral(
                        "SELECT '%1 ' || concat_ws('/', %2) AS m FROM (SELECT DISTINCT %3 FROM %4 WHERE %5) N "
                        "LEFT JOIN LATERAL (SELECT 1 AS found FROM %6 P WHERE %7 FOR KEY SHARE OF P) L ON true "
                        "WHERE L.found IS NULL")
                        .arg(QLatin1String(r.what), label.join(u','), keys.join(u','), rows,
                             present.join(QStringLiteral(" AND ")), QLatin1String(r.parent),
                             match.join(QStringLiteral(" AND ")));
    }
    return QStringLiteral(
               "SELECT m INTO missing FROM (%1) x LIMIT 1; "
               "IF missing IS NOT NULL THEN "
               "  RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
               "    MESSAGE = format('%2 row violates foreign key: %s does not exist', missing); "
               "END IF; ")
        .arg(branches.join(QStringLiteral(" UNION ALL ")), child.toLower());
}

void applyV17(Connection& c) {
    if (c.backend() != Backend::Postgres) return;
    QStringList children, parents;
    for (const RowReference& r : saleRowReferences()) {
        if (!children.contains(QLatin1String(r.child))) children << QLatin1String(r.child);
        if (!parents.contains(QLatin1String(r.parent))) parents << QLatin1String(r.parent);
    }
    for (const QString& child : children) {
        QStringList foreignKeys;
        {
            Statement s(c, QStringLiteral("SELECT conname FROM pg_constraint WHERE conrelid = CAST(:t AS regclass) AND contype = 'f' "
                                          "AND confrelid IN (SELECT CAST(unnest(CAST(:p AS text[])) AS regclass))"));
            s.bind(QStringLiteral(":t"), child.toLower())
                .bind(QStringLiteral(":p"), QStringLiteral("{%1}").arg(parents.join(u',').toLower()))
                .exec();
            while (s.next()) foreignKeys << s.text(0);
        }
        for (const QString& name : foreignKeys)
            c.execute(QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT \"%2\"").arg(child, name));
        const QString lower = child.toLower();
        const QString declare = QStringLiteral("DECLARE missing text; ");
        c.execute(QStringLiteral("CREATE FUNCTION %1_check_references() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                 "%2BEGIN %3RETURN NULL; END $$")
                      .arg(lower, declare, referenceChecks(child, lower + QStringLiteral("_written W"))));
        c.execute(QStringLiteral("CREATE FUNCTION %1_check_row_references() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                 "%2BEGIN %3RETURN NULL; END $$")
                      .arg(lower, declare, referenceChecks(child, QStringLiteral("(SELECT NEW.*) W"))));
        QStringList columns, changed;
        for (const RowReference& r : saleRowReferences())
            if (QLatin1String(r.child) == child)
                for (const QString& column : r.columns)
                    if (!columns.contains(column)) {
                        columns << column;
                        changed << QStringLiteral("OLD.%1 IS DISTINCT FROM NEW.%1").arg(column);
                    }
        c.execute(QStringLiteral("CREATE TRIGGER %1_REFERENCES AFTER INSERT ON %1 REFERENCING NEW TABLE AS %2_written "
                                 "FOR EACH STATEMENT EXECUTE FUNCTION %2_check_references()").arg(child, lower));
        c.execute(QStringLiteral("CREATE TRIGGER %1_KEY_CHANGED AFTER UPDATE OF %2 ON %1 FOR EACH ROW WHEN (%3) "
                                 "EXECUTE FUNCTION %4_check_row_references()")
                      .arg(child, columns.join(QStringLiteral(", ")), changed.join(QStringLiteral(" OR ")), lower));
    }
    // A parent row named by sale rows can neither go nor change its key.
    for (const QString& parent : parents) {
        QString body;
        QStringList keyColumns, changed;
        for (const RowReference& r : saleRowReferences()) {
            if (QLatin1String(r.parent) != parent) continue;
            QStringList match;
            for (int i = 0; i < r.columns.size(); ++i) {
                match << QStringLiteral("C.%1 = OLD.%2").arg(r.columns[i], r.parentColumns[i]);
                if (!keyColumns.contains(r.parentColumns[i])) {
                    keyColumns << r.parentColumns[i];
                    changed << QStringLiteral("OLD.%1 IS DISTINCT FROM NEW.%1").arg(r.parentColumns[i]);
                }
            }
            body += QStringLiteral(
                        "IF EXISTS (SELECT 1 FROM %1 C WHERE %2) THEN "
                        "  RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation', "
                        "    MESSAGE = format('%3 %s is still referenced from table \"%4\" (foreign key)', concat_ws('/', %5)); "
                        "END IF; ")
                        .arg(QLatin1String(r.child), match.join(QStringLiteral(" AND ")), QLatin1String(r.what),
                             QString::fromLatin1(r.child).toLower(),
                             QStringLiteral("OLD.") + r.parentColumns.join(QStringLiteral(", OLD.")));
        }
        const QString lower = parent.toLower();
        c.execute(QStringLiteral("CREATE FUNCTION %1_sale_rows_referenced() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                 "BEGIN %2RETURN NULL; END $$").arg(lower, body));
        c.execute(QStringLiteral("CREATE TRIGGER %1_SALE_ROWS_DELETED AFTER DELETE ON %1 FOR EACH ROW "
                                 "EXECUTE FUNCTION %2_sale_rows_referenced()").arg(parent, lower));
        c.execute(QStringLiteral("CREATE TRIGGER %1_SALE_ROWS_KEY_CHANGED AFTER UPDATE OF %2 ON %1 FOR EACH ROW WHEN (%3) "
                                 "EXECUTE FUNCTION %4_sale_rows_referenced()")
                      .arg(parent, keyColumns.join(QStringLiteral(", ")), changed.join(QStringLiteral(" OR ")), lower));
    }
}

// Version 3: values read back as written on both backends.
// - SPB.ZDJG (lowest price) may be empty: an empty box used to be stored as 0, a floor that
//   let a product sell at any price. The zeros so stored become empty, so the counter's
//   floor falls back to the standard price as it does for an empty box.
// - Fixed-width text columns become VARCHAR: PostgreSQL padded them ("借 "), SQLite did not.
void applyV3(Connection& c) {
    const Dialect& d = c.dialect();
    d.dropNotNullAndDefault(c, QStringLiteral("SPB"), QStringLiteral("ZDJG"));
    c.execute(QStringLiteral("UPDATE SPB SET ZDJG = NULL WHERE ZDJG = 0"));
    const struct { const char* table; const char* column; int width; } fixedWidth[] = {
        {"KHJSWLB", "JD", 2}, {"GYSJSWLB", "JD", 2}, {"STORE", "CKTYPE", 1},
        {"GZRYB", "ZW", 1},   {"XSB", "KHLX", 1},    {"XSMXB", "XDBZ", 1},
    };
    for (const auto& f : fixedWidth) d.unpadTextColumn(c, QString::fromLatin1(f.table), QString::fromLatin1(f.column), f.width);
}

// Month-end carry-forward: one header per carried-forward period (its last day is the key,
// so a period cannot be recorded twice) and each product's closing position at that day.
void applyV7(Connection& c) {
    const Dialect& d = c.dialect();
    c.execute(d.ddl(QStringLiteral(
        "CREATE TABLE YZJZSJB (ENDDATE @DATETIME NOT NULL PRIMARY KEY, BEGDATE @DATETIME NOT NULL, "
        "BNNO VARCHAR(3) REFERENCES BMAN(BNNO), CZDATE @DATETIME NOT NULL DEFAULT @NOW)")));
    c.execute(d.ddl(QStringLiteral(
        "CREATE TABLE YZJZMXB (ENDDATE @DATETIME NOT NULL REFERENCES YZJZSJB(ENDDATE), "
        "SPNO VARCHAR(15) NOT NULL REFERENCES SPB(SPNO), JZSL @FLOAT NOT NULL DEFAULT 0, "
        "JZJE @MONEY NOT NULL DEFAULT 0, JZDJ @MONEY NOT NULL DEFAULT 0, PRIMARY KEY (ENDDATE, SPNO))")));
    c.execute(QStringLiteral("CREATE INDEX YZJZMXB_SPNO ON YZJZMXB(SPNO)"));
    // The summary and the charts read these columns of a year of movements and cost rows;
    // indexes that hold them answer without touching the rows.
    c.execute(QStringLiteral("CREATE INDEX QTJHDMXB_SUMMARY ON QTJHDMXB(SPNO, WLTYPE, CZRQ, SL)"));
    c.execute(QStringLiteral("CREATE INDEX XSCBB_SUMMARY ON XSCBB(SPNO, CZDATE, ZJE, XSSL, XSJE, SPNAME)"));
    c.execute(QStringLiteral("CREATE INDEX XSCBB_CHART ON XSCBB(CZDATE, SPNAME, SPNO, XSSL, XSJE, ZJE)"));
}

// Each movement line carries what its quantity is worth at cost (CBJE), so the summary
// reads quantities and amounts in one pass over the movements instead of one pass per
// document table. Existing lines get their document's amount per document and product (on
// the first line of each, since only the sums are read); stocktake differences are valued at
// the product's cost price, as the summary valued them before.
void applyV9(Connection& c) {
    const Dialect& d = c.dialect();
    c.execute(d.ddl(QStringLiteral("ALTER TABLE QTJHDMXB ADD COLUMN CBJE @MONEY NOT NULL DEFAULT 0")));
    struct Source { const QString* kind; const char* amounts; };
    const Source sources[] = {
        {&MovementKind::Receive, "SELECT JHDNO AS DOC, SPNO, SUM(ZJE) AS A FROM JHDMXB GROUP BY JHDNO, SPNO"},
        {&MovementKind::Sale, "SELECT XSNO AS DOC, SPNO, SUM(ZJE) AS A FROM XSCBB GROUP BY XSNO, SPNO"},
        {&MovementKind::SupplierReturn, "SELECT THDNO AS DOC, SPNO, SUM(JE) AS A FROM GYSTHMXB GROUP BY THDNO, SPNO"},
        {&MovementKind::Loss, "SELECT BSDNO AS DOC, SPNO, SUM(JE) AS A FROM BSB GROUP BY BSDNO, SPNO"},
        // Goods a client brings back are worth what they cost when sold.
        {&MovementKind::ClientReturn,
         "SELECT M.THDNO AS DOC, M.SPNO, SUM(M.SL * COALESCE((SELECT MAX(C.DJ) FROM XSCBB C WHERE C.XSNO = M.XSNO "
         "AND C.JHDNO = M.JHDNO AND C.SPNO = M.SPNO), P.CBJG)) AS A FROM KHTHMXB M JOIN SPB P ON P.SPNO = M.SPNO "
         "GROUP BY M.THDNO, M.SPNO"},
    };
    for (const Source& s : sources) {
        Statement fill(c, QStringLiteral(
            "UPDATE QTJHDMXB SET CBJE = V.A FROM (SELECT F.ID, D.A FROM "
            "(SELECT JHDNO, SPNO, MIN(ID) AS ID FROM QTJHDMXB WHERE WLTYPE = :k GROUP BY JHDNO, SPNO) F "
            "JOIN (%1) D ON D.DOC = F.JHDNO AND D.SPNO = F.SPNO) V WHERE QTJHDMXB.ID = V.ID")
                                  .arg(QLatin1String(s.amounts)));
        fill.bind(QStringLiteral(":k"), *s.kind).exec();
    }
    Statement differences(c, QStringLiteral(
        "UPDATE QTJHDMXB SET CBJE = SL * (SELECT P.CBJG FROM SPB P WHERE P.SPNO = QTJHDMXB.SPNO) WHERE WLTYPE IN (:g, :l)"));
    differences.bind(QStringLiteral(":g"), MovementKind::StocktakeGain).bind(QStringLiteral(":l"), MovementKind::StocktakeLoss)
        .exec();
    c.execute(QStringLiteral("DROP INDEX QTJHDMXB_SUMMARY"));
    c.execute(QStringLiteral("CREATE INDEX QTJHDMXB_SUMMARY ON QTJHDMXB(SPNO, WLTYPE, CZRQ, SL, CBJE)"));
}

// Version 10: the date index that covers the sales statistics' reads holds the sales clerk
// too, so sales per clerk are summed from the index without reading the cost rows.
void applyV10(Connection& c) {
    c.execute(QStringLiteral("DROP INDEX XSCBB_CHART"));
    c.execute(QStringLiteral("CREATE INDEX XSCBB_CHART ON XSCBB(CZDATE, SPNAME, SPNO, XSSL, XSJE, ZJE, ZYNO)"));
}

// Initialising a stocktake rewrites every row of YPDSJB in place. On PostgreSQL a rewritten
// row is a new version of it: with room on its own page the new version needs no new index
// entries (a heap-only update), so half of each page is kept free for it. Pages filled before
// this step are left as they are; the first initialisation after it moves their rows onto
// pages filled to half. SQLite rewrites a row where it is and needs nothing.
void applyV12(Connection& c) {
    if (c.backend() == Backend::Postgres) c.execute(QStringLiteral("ALTER TABLE YPDSJB SET (fillfactor = 50)"));
}

// Version 14: less work for every sale. A sale writes three cost rows a line at worst, and each
// row was written into eight indexes and checked against four references.
// - XSCBB_SPNO and XSCBB_CZDATE repeat the leading column of XSCBB_SUMMARY and XSCBB_CHART,
//   which serve every lookup and range they served.
// - On PostgreSQL a cost row's product reference is implied by its batch reference: the batch
//   key holds the product, and the batch refers to the product. SQLite checks a reference in
//   the same process for a fraction of the cost and would have to rebuild the table, so it
//   keeps it.
// - On PostgreSQL a sale rewrites its batches' sold quantity and its products' balances: with
//   room on their pages the rewritten rows need no new index entries (heap-only updates).
//   Pages filled before this step are left as they are; new batches and balances get the room.
void applyV14(Connection& c) {
    c.execute(QStringLiteral("DROP INDEX XSCBB_SPNO"));
    c.execute(QStringLiteral("DROP INDEX XSCBB_CZDATE"));
    if (c.backend() != Backend::Postgres) return;
    c.execute(QStringLiteral("ALTER TABLE XSCBB DROP CONSTRAINT IF EXISTS xscbb_spno_fkey"));
    c.execute(QStringLiteral("ALTER TABLE JHDMXB SET (fillfactor = 80)"));
    c.execute(QStringLiteral("ALTER TABLE KCYEB SET (fillfactor = 70)"));
}

// Steps in the order they apply; a version number is never reused.
const std::vector<Migration>& migrations() {
    static const std::vector<Migration> list = {
        {1, applyV1},
        {2, applyV2},
        {3, applyV3, true},
        {7, applyV7},
        {8, applyV8},
        {9, applyV9},
        {10, applyV10},
        {11, applyV11},
        {12, applyV12},
        {13, applyV13},
        {14, applyV14},
        {16, applyV16},
        {17, applyV17},
    };
    return list;
}

void ensureVersionTable(Connection& c) {
    if (!c.dialect().tableExists(c, QStringLiteral("SCHEMA_VERSION")))
        c.execute(QStringLiteral("CREATE TABLE SCHEMA_VERSION (VERSION INTEGER NOT NULL)"));
}

}  // namespace

int Schema::currentVersion() { return migrations().back().version; }

int Schema::storedVersion(Connection& c) {
    if (!c.dialect().tableExists(c, QStringLiteral("SCHEMA_VERSION"))) return 0;
    Statement s(c, QStringLiteral("SELECT MAX(VERSION) FROM SCHEMA_VERSION"));
    return s.first() ? int(s.integer(0)) : 0;
}

void Schema::checkUsable(Connection& c) {
    const int stored = storedVersion(c);
    if (stored > currentVersion())
        throw Error(QStringLiteral("the database has schema version %1, newer than this program's %2; "
                                   "use a newer program").arg(stored).arg(currentVersion()),
                    ErrorKind::SchemaTooNew);
    if (stored == 0)
        throw Error(QStringLiteral("the database has not been initialised (run: pos --init-database)"),
                    ErrorKind::Connection);
}

namespace {
QSet<int> appliedSteps(Connection& c) {
    QSet<int> applied;
    if (Schema::storedVersion(c) == 0) return applied;
    Statement s(c, QStringLiteral("SELECT VERSION FROM SCHEMA_VERSION"));
    s.exec();
    while (s.next()) applied.insert(int(s.integer(0)));
    return applied;
}
}  // namespace

void Schema::checkCurrent(Connection& c) {
    checkUsable(c);
    const QSet<int> applied = appliedSteps(c);
    QStringList missing;
    for (const Migration& m : migrations())
        if (!applied.contains(m.version)) missing << QString::number(m.version);
    if (!missing.isEmpty())
        throw Error(QStringLiteral("the database lacks schema steps %1 of this program; bring it up to date first "
                                   "(run: pos --init-database)").arg(missing.join(QStringLiteral(", "))),
                    ErrorKind::SchemaTooOld);
}

void Schema::migrate(Connection& c) { migrate(c, currentVersion()); }

void Schema::migrate(Connection& c, int version) {
    const int stored = storedVersion(c);
    if (stored > currentVersion()) checkUsable(c);
    // Every step not recorded yet, in order: a database that took a later step before an
    // earlier one existed (steps are numbered as they are planned, not as they land) still
    // gets the earlier one.
    const QSet<int> applied = appliedSteps(c);
    for (const Migration& m : migrations()) {
        if (applied.contains(m.version) || m.version > version) continue;
        // The switch only takes effect outside a transaction; it is back on whatever happens.
        struct ForeignKeysOff {
            Connection& c;
            bool active;
            ForeignKeysOff(Connection& connection, bool on) : c(connection), active(on) {
                if (active) c.dialect().enforceForeignKeys(c, false);
            }
            ~ForeignKeysOff() {
                if (!active) return;
                try { c.dialect().enforceForeignKeys(c, true); } catch (...) {}
            }
        } foreignKeysOff(c, m.rebuildsTables);
        Transaction tx(c);
        ensureVersionTable(c);
        m.apply(c);
        if (m.rebuildsTables) c.dialect().checkForeignKeys(c);
        Statement s(c, QStringLiteral("INSERT INTO SCHEMA_VERSION(VERSION) VALUES(:v)"));
        s.bind(QStringLiteral(":v"), m.version).exec();
        tx.commit();
    }
}

QStringList Schema::tablesChildFirst() {
    return {QStringLiteral("YZJZMXB"), QStringLiteral("YZJZSJB"), QStringLiteral("KCYEB"), QStringLiteral("XSCBB"), QStringLiteral("SYYSKB"), QStringLiteral("XSMXB"), QStringLiteral("XSB"),
            QStringLiteral("KHTHMXB"), QStringLiteral("KHTHSJB"), QStringLiteral("GYSTHMXB"), QStringLiteral("GYSTHSJB"),
            QStringLiteral("BSB"), QStringLiteral("QTJHDMXB"), QStringLiteral("JHDMXB"), QStringLiteral("JHDSJB"),
            QStringLiteral("SYYJKB"), QStringLiteral("KHJSWLB"), QStringLiteral("GYSJSWLB"), QStringLiteral("YPDSJB"),
            QStringLiteral("RZ"), QStringLiteral("SERIALNO"), QStringLiteral("SYSRIGHTSET"), QStringLiteral("SPB"),
            QStringLiteral("SPFLB"), QStringLiteral("SPDWB"), QStringLiteral("dept"), QStringLiteral("CSB"),
            QStringLiteral("KHB"), QStringLiteral("STORE"), QStringLiteral("GZRYB"), QStringLiteral("BMAN"),
            QStringLiteral("MENU"), QStringLiteral("sysvariable")};
}

}  // namespace db
