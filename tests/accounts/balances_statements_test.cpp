#include "AccountsShop.h"
#include "DbTest.h"
#include "GuiTest.h"

#include "accounts/AccountBalanceList.h"
#include "accounts/TfrmBaseQueryWL.h"
#include "accounts/TfrmBaseWLList.h"
#include "db/Statement.h"

#include <QDateEdit>
#include <QTableWidget>

using accounts_shop::postOn;
using db::AccountKind;
using db::AccountSide;

namespace {

QStringList rowsOf(const ReportDataset& rows, const QStringList& fields) {
    QStringList out;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QStringList cells;
        for (const QString& f : fields) {
            const QVariant v = rows.value(r, f);
            cells << (f == QLatin1String("YE") || f == QLatin1String("ZJE") ? Money::fromVariant(v).toString() : v.toString().trimmed());
        }
        out << cells.join(u'|');
    }
    return out;
}

QStringList gridRows(const QTableWidget* grid) {
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c) cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        out << cells.join(u'|');
    }
    return out;
}

}  // namespace

class BalancesStatementsTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        accounts_shop::install(db());
        // 101: last posting the day before May; 102: April, then the last second of May;
        // 103: mid-May. Suppliers: 201 in May, 202 only in April.
        postOn(db(), AccountKind::Client, QStringLiteral("101"), AccountSide::Credit, "50", QStringLiteral("2024-04-30 23:59:59"));
        postOn(db(), AccountKind::Client, QStringLiteral("102"), AccountSide::Credit, "80", QStringLiteral("2024-04-20 09:00:00"));
        postOn(db(), AccountKind::Client, QStringLiteral("102"), AccountSide::Debit, "30", QStringLiteral("2024-05-31 23:59:59"));
        postOn(db(), AccountKind::Client, QStringLiteral("103"), AccountSide::Credit, "12.5", QStringLiteral("2024-05-15 10:00:00"));
        postOn(db(), AccountKind::Supplier, QStringLiteral("201"), AccountSide::Debit, "70", QStringLiteral("2024-05-02 08:00:00"));
        postOn(db(), AccountKind::Supplier, QStringLiteral("202"), AccountSide::Debit, "20", QStringLiteral("2024-04-02 08:00:00"));
    }
};

TEST_P(BalancesStatementsTest, theListShowsAccountsWhoseLatestRowLiesInThePeriodAfterTheirTotal) {
    struct Case {
        AccountKind kind;
        QDate begin, end;
        QStringList rows;   // code|name|YE
    };
    const QDate may1(2024, 5, 1), may31(2024, 5, 31), apr1(2024, 4, 1), apr30(2024, 4, 30);
    const Case cases[] = {
        {AccountKind::Client, may1, may31, {"|合计|62.50", "102|客户乙|50.00", "103|客户丙|12.50"}},
        {AccountKind::Client, apr1, apr30, {"|合计|50.00", "101|客户甲|50.00"}},
        {AccountKind::Client, may31, may31, {"|合计|50.00", "102|客户乙|50.00"}},
        {AccountKind::Supplier, may1, may31, {"|合计|70.00", "201|供应商甲|70.00"}},
        {AccountKind::Supplier, QDate(2024, 6, 1), QDate(2024, 6, 30), {"|合计|0.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.begin.toString(Qt::ISODate).toStdString());
        const QStringList fields = c.kind == AccountKind::Client ? QStringList{"KHNO", "KHNAME", "YE"} : QStringList{"CSNO", "CSName", "YE"};
        EXPECT_EQ(rowsOf(AccountBalanceList(db(), c.kind).load(c.begin, c.end), fields), c.rows);
    }
    EXPECT_EQ(AccountBalanceList(db(), AccountKind::Client).earliestPosting(), QDate(2024, 4, 20));
}

TEST_P(BalancesStatementsTest, theClientStatementListsThePeriodsRowsAndGoodsWithReturnsNegated) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG) VALUES('A', '甲商品', '个', 5)"));
    auto sale = [this](const char* no, const char* when, int voided) {
        db::Statement h(db(), QStringLiteral("INSERT INTO XSB(XSNO, KHNO, KHLX, XSDATE, ZFBZ) VALUES(:no, '102', 'P', :d, :z)"));
        h.bind(QStringLiteral(":no"), QLatin1String(no)).bind(QStringLiteral(":d"), QDateTime::fromString(QLatin1String(when), Qt::ISODate))
            .bind(QStringLiteral(":z"), voided).exec();
        db::Statement l(db(), QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZJE) VALUES(:no, 'A', '甲商品', '个', 3, 5, 15)"));
        l.bind(QStringLiteral(":no"), QLatin1String(no)).exec();
    };
    sale("S1", "2024-05-31T22:00:00", 0);
    sale("S2", "2024-05-10T10:00:00", 1);   // voided
    sale("S3", "2024-04-29T10:00:00", 0);   // before the period
    db().execute(QStringLiteral("INSERT INTO KHTHSJB(THDNO, KHNO, CZDATE) VALUES('R1', '102', '2024-05-20 11:00:00')"));
    db().execute(QStringLiteral("INSERT INTO KHTHMXB(THDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) VALUES('R1', 'A', '甲商品', '个', 2, 10, 20)"));

    GuiSeams seams;
    TfrmKHWLList statement;
    statement.setAccount(QStringLiteral("102"), QStringLiteral("客户乙"), QDate(2024, 5, 1), QDate(2024, 5, 31));
    statement.show();   // loads as it is activated
    const QStringList ledger = gridRows(statement.control<QTableWidget>(QStringLiteral("dgWL")));
    ASSERT_EQ(ledger.size(), 1);
    EXPECT_TRUE(ledger[0].contains(QStringLiteral("|30.00||借|50.00|2024-05-31 23:59:59"))) << ledger[0].toStdString();
    EXPECT_EQ(gridRows(statement.control<QTableWidget>(QStringLiteral("dgSJ"))),
              QStringList({QStringLiteral("S1|A|甲商品|个|3|5.00|15.00|2024-05-31 22:00:00"),
                           QStringLiteral("R1|A|甲商品|个|2|10.00|-20.00|2024-05-20 11:00:00")}));
    EXPECT_TRUE(seams.recorder.texts().isEmpty());
}

TEST_P(BalancesStatementsTest, aDatabaseFailureIsReportedInsteadOfAnEmptyListOrStatement) {
    db().execute(QStringLiteral("ALTER TABLE KHJSWLB RENAME TO KHJSWLB_AWAY"));
    GuiSeams seams;
    TfrmQyKHWL list;
    EXPECT_EQ(list.control<QTableWidget>(QStringLiteral("dgBase"))->rowCount(), 0);
    TfrmKHWLList statement;
    statement.setAccount(QStringLiteral("102"), QStringLiteral("客户乙"), QDate(2024, 5, 1), QDate(2024, 5, 31));
    statement.show();
    ASSERT_EQ(seams.recorder.texts().size(), 2);
    EXPECT_TRUE(seams.recorder.texts()[0].startsWith(QStringLiteral("读取往来余额失败")));
    EXPECT_TRUE(seams.recorder.texts()[1].startsWith(QStringLiteral("读取往来明细失败")));
}

TEST_P(BalancesStatementsTest, aDoubleClickOpensTheAccountsStatementWithTheListsPeriod) {
    GuiSeams seams;
    QString opened;
    seams.runner.fallback = [&opened](QDialog& dialog) {
        auto* s = qobject_cast<TfrmBaseWLList*>(&dialog);
        ASSERT_NE(s, nullptr);
        opened = gridRows(s->control<QTableWidget>(QStringLiteral("dgWL"))).join(u';');
        opened += u'@' + s->control<QDateEdit>(QStringLiteral("dtBegDate"))->date().toString(Qt::ISODate);
    };
    TfrmQyGYSWL list;
    list.show();
    auto* grid = list.control<QTableWidget>(QStringLiteral("dgBase"));
    list.control<QDateEdit>(QStringLiteral("dtEndDate"))->setDate(QDate(2024, 5, 31));
    list.bitYesClick();
    EXPECT_EQ(list.control<QDateEdit>(QStringLiteral("dtBegDate"))->date(), QDate(2024, 4, 2));   // the earliest row
    ASSERT_EQ(grid->rowCount(), 3);
    grid->setCurrentCell(1, 0);
    list.dgBaseDblClick();
    EXPECT_TRUE(opened.contains(QStringLiteral("|70.00||借|70.00|"))) << opened.toStdString();
    EXPECT_TRUE(opened.endsWith(QStringLiteral("@2024-04-02")));
}

INSTANTIATE_TEST_SUITE_P(Backends, BalancesStatementsTest, ::testing::ValuesIn(backends()), backendName);
