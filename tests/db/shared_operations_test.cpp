#include "DbTest.h"
#include "db/Comm.h"
#include "db/Error.h"
#include "db/InitialData.h"
#include "db/MenuCatalog.h"
#include "db/Passwords.h"
#include "db/ProductHistory.h"
#include "db/Schema.h"
#include "db/Session.h"
#include "db/Statement.h"

class SharedOperationsTest : public DbTest {};

TEST_P(SharedOperationsTest, sysVariableIsEmptyWithoutARow) {
    EXPECT_EQ(GetSysVariable(QStringLiteral("isCheckStore")), QStringLiteral("0"));
    db().execute(QStringLiteral("DELETE FROM sysvariable WHERE vrname = 'isCheckStore'"));
    EXPECT_EQ(GetSysVariable(QStringLiteral("isCheckStore")), QString());
    EXPECT_EQ(GetSysVariable(QStringLiteral("NoSuchVariable")), QString());
}

TEST_P(SharedOperationsTest, rightNeedsAGrantingRow) {
    EXPECT_TRUE(HasRight(QStringLiteral("001"), QStringLiteral("miRightSet")));
    db().execute(QStringLiteral("UPDATE SYSRIGHTSET SET RSRIGHT = 0 WHERE RSFUN = 'miPOS'"));
    EXPECT_FALSE(HasRight(QStringLiteral("001"), QStringLiteral("miPOS")));             // a false row
    EXPECT_FALSE(HasRight(QStringLiteral("001"), QStringLiteral("miNothing")));         // no row
    EXPECT_FALSE(HasRight(QStringLiteral("999"), QStringLiteral("miRightSet")));        // no operator
}

TEST_P(SharedOperationsTest, operatorIsCheckedAgainstTheStoredHash) {
    session() = Session{};
    EXPECT_FALSE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("wrong")));
    EXPECT_TRUE(session().OperatorNo.isEmpty());
    EXPECT_FALSE(module().CheckOperator(QStringLiteral("002"), db::InitialData::OperatorPassword));
    ASSERT_TRUE(module().CheckOperator(QStringLiteral("001"), db::InitialData::OperatorPassword));
    EXPECT_EQ(session().OperatorNo, QStringLiteral("001"));
    EXPECT_EQ(session().OperatorName, db::InitialData::OperatorName);
    EXPECT_EQ(session().OperatorPassword, db::InitialData::OperatorPassword);  // as typed, never the hash
    const QString stored = scalar(QStringLiteral("SELECT BNPASSWORD FROM BMAN WHERE BNNO = '001'"));
    EXPECT_TRUE(stored.startsWith(QStringLiteral("$argon2id$")));

    ASSERT_TRUE(module().SetOperatorPassword(QStringLiteral("001"), QStringLiteral("新口令9")));
    EXPECT_FALSE(module().CheckOperator(QStringLiteral("001"), db::InitialData::OperatorPassword));
    EXPECT_TRUE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("新口令9")));
    EXPECT_FALSE(module().SetOperatorPassword(QStringLiteral("404"), QStringLiteral("x")));  // no row changed
}

TEST_P(SharedOperationsTest, findProductKeepsTheStoredCodeAndName) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('6901234567890', '矿泉水')"));
    EXPECT_FALSE(frmDM().FindProduct(QStringLiteral("690")));
    ASSERT_TRUE(frmDM().FindProduct(QStringLiteral("6901234567890")));
    EXPECT_EQ(frmDM().FoundProductNo, QStringLiteral("6901234567890"));
    EXPECT_EQ(frmDM().FoundProductName, QStringLiteral("矿泉水"));
}

TEST_P(SharedOperationsTest, periodFollowsTheLastCarryForward) {
    db().setClock(QDateTime(QDate(2026, 2, 14), QTime(9, 0)));
    EXPECT_EQ(frmDM().GetCheckedDate(QStringLiteral("beg")), QStringLiteral("2026-02-01"));
    EXPECT_EQ(frmDM().GetCheckedDate(QStringLiteral("end")), QStringLiteral("2026-02-28"));
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '2005-8-22' WHERE vrname = 'BalaEndDate'"));
    EXPECT_EQ(frmDM().GetCheckedDate(QStringLiteral("beg")), QStringLiteral("2005-08-23"));
    EXPECT_EQ(frmDM().GetCheckedDate(QStringLiteral("end")), QStringLiteral("2005-09-22"));
    EXPECT_EQ(frmDM().GetCheckedDate(QStringLiteral("middle"), QStringLiteral("kept")), QStringLiteral("kept"));
}

TEST_P(SharedOperationsTest, productLastDateCoversEveryKindOfBusiness) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('P1', '商品')"));
    EXPECT_EQ(db::ProductHistory(db()).lastDate(QStringLiteral("P1")), QString());
    db().setClock(QDateTime(QDate(2026, 1, 5), QTime(10, 30)));
    db().execute(QStringLiteral("INSERT INTO BSB(BSDNO, SPNO, SL) VALUES('B1', 'P1', 1)"));
    db().setClock(QDateTime(QDate(2026, 1, 3), QTime(10, 30)));
    db().execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO) VALUES('X1', '000')"));
    db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPSL) VALUES('X1', 'P1', 1)"));
    EXPECT_EQ(db::ProductHistory(db()).lastDate(QStringLiteral("P1")), QStringLiteral("2026-01-05 10:30:00"));
}

TEST_P(SharedOperationsTest, initialDataIsCompleteAndInstallingTwiceChangesNothing) {
    const auto functions = db::rightsFunctions();
    EXPECT_EQ(count(QStringLiteral("MENU")), qint64(functions.size()));
    EXPECT_EQ(count(QStringLiteral("SYSRIGHTSET"), QStringLiteral("BNNO = '001' AND RSRIGHT = 1")), qint64(functions.size()));
    EXPECT_EQ(count(QStringLiteral("sysvariable")), 9);
    for (const char* period : {"CheckedDate", "BalaBegDate", "BalaEndDate"})
        EXPECT_EQ(count(QStringLiteral("sysvariable"), QStringLiteral("vrname = '%1'").arg(QLatin1String(period))), 1);
    EXPECT_EQ(count(QStringLiteral("KHB"), QStringLiteral("KHNO = '000'")), 1);
    EXPECT_EQ(count(QStringLiteral("STORE")), 1);
    const QString hashBefore = scalar(QStringLiteral("SELECT BNPASSWORD FROM BMAN"));
    db::InitialData::install(db());
    EXPECT_EQ(count(QStringLiteral("MENU")), qint64(functions.size()));
    EXPECT_EQ(count(QStringLiteral("BMAN")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT BNPASSWORD FROM BMAN")), hashBefore);
    EXPECT_EQ(count(QStringLiteral("sysvariable")), 9);
}

TEST_P(SharedOperationsTest, resetClearsBusinessDataAndRestoresTheInitialOperator) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('P1', '商品')"));
    db().execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO) VALUES('X1', '000')"));
    db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPSL) VALUES('X1', 'P1', 1)"));
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '-1' WHERE vrname = 'isCheckStore'"));
    db().execute(QStringLiteral("DELETE FROM BMAN"));
    db::InitialData::resetDatabase(db());
    EXPECT_EQ(count(QStringLiteral("SPB")), 0);
    EXPECT_EQ(count(QStringLiteral("XSB")), 0);
    EXPECT_EQ(GetSysVariable(QStringLiteral("isCheckStore")), QStringLiteral("0"));
    EXPECT_TRUE(module().CheckOperator(db::InitialData::OperatorNo, db::InitialData::OperatorPassword));
    EXPECT_TRUE(HasRight(db::InitialData::OperatorNo, QStringLiteral("miRightSet")));
}

TEST_P(SharedOperationsTest, aReferencedMasterRowCannotBeDeleted) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('P1', '商品')"));
    db().execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO) VALUES('X1', '000')"));
    db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPSL) VALUES('X1', 'P1', 1)"));
    for (const char* sql : {"DELETE FROM SPB WHERE SPNO = 'P1'", "DELETE FROM KHB WHERE KHNO = '000'"}) {
        try {
            db().execute(QString::fromUtf8(sql));
            ADD_FAILURE() << sql << " must be refused";
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), db::ErrorKind::ForeignKey) << sql << ": " << e.message().toStdString();
        }
    }
    EXPECT_EQ(count(QStringLiteral("SPB")), 1);
}

TEST_P(SharedOperationsTest, viewsGiveDatesAsText) {
    db().setClock(QDateTime(QDate(2026, 7, 1), QTime(23, 59, 59)));
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('P1', '商品')"));
    db().execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO, BNNO) VALUES('X1', '000', '001')"));
    db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPSL, SPDJ, ZJE, XSDAY) VALUES('X1', 'P1', 2, 1.5, 3, date10(getdate()))"));
    db::Statement s(db(), QStringLiteral("SELECT * FROM vwSPXSMXCX"));
    ASSERT_TRUE(s.first());
    EXPECT_EQ(s.text(QStringLiteral("xsdate")), QStringLiteral("2026-07-01"));
    EXPECT_EQ(s.text(QStringLiteral("BNNAME")), db::InitialData::OperatorName);
    EXPECT_EQ(s.money(QStringLiteral("ZJE")), Money::fromYuan(3));
    db::Statement d(db(), QStringLiteral("SELECT daydiff(XSDATE, :d) FROM XSB"));
    d.bind(QStringLiteral(":d"), QDateTime(QDate(2026, 7, 2), QTime(0, 0, 1)));
    ASSERT_TRUE(d.first());
    EXPECT_EQ(d.integer(0), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, SharedOperationsTest, ::testing::ValuesIn(backends()), backendName);
