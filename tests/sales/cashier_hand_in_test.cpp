#include "DbTest.h"
#include "GuiTest.h"

#include "app/LookupComboBox.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "sales/CashierHandIn.h"
#include "sales/TfrmOperatorDayBalance.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QDate kDay(2024, 5, 10);
}

class CashierHandInTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        db().execute(QStringLiteral("INSERT INTO BMAN(BNNO, BNNAME, BNPASSWORD) VALUES('002', '收银乙', 'x')"));
        // Cashier 001: 10.00 at the first second of the day, 2.50 at its last, 100.00 the day
        // before, 7.00 at the first second of the next day; cashier 002: 3.00 that day.
        take(QStringLiteral("001"), QStringLiteral("2024-05-10 00:00:00"), "10");
        take(QStringLiteral("001"), QStringLiteral("2024-05-10 23:59:59"), "2.5");
        take(QStringLiteral("001"), QStringLiteral("2024-05-09 23:59:59"), "100");
        take(QStringLiteral("001"), QStringLiteral("2024-05-11 00:00:00"), "7");
        take(QStringLiteral("002"), QStringLiteral("2024-05-10 12:00:00"), "3");
    }
    void take(const QString& cashier, const QString& when, const char* amount) {
        const QString no = QStringLiteral("T%1").arg(++m_sales, 14, 10, QLatin1Char('0'));
        db::Statement sale(db(), QStringLiteral("INSERT INTO XSB(XSNO, KHNO, BNNO) VALUES(:no, '000', :bn)"));
        sale.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":bn"), cashier).exec();
        db::Statement t(db(), QStringLiteral("INSERT INTO SYYSKB(XSNO, SKDATE, SKMONEY, BNNO, JKFLAG) VALUES(:no, :d, :m, :bn, 0)"));
        t.bind(QStringLiteral(":no"), no)
            .bind(QStringLiteral(":d"), QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .bind(QStringLiteral(":m"), *Money::parse(QString::fromLatin1(amount)))
            .bind(QStringLiteral(":bn"), cashier)
            .exec();
    }
    QString handedIn() {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM SYYSKB WHERE JKFLAG = 1")) + u'/'
               + scalar(QStringLiteral("SELECT SUM(SKMONEY) FROM SYYSKB WHERE JKFLAG = 1"));
    }
    int m_sales = 0;
};

TEST_P(CashierHandInTest, aHandInTakesExactlyTheCashiersUnhandedTakingsOfThatDay) {
    CashierHandIn handIns(db());
    EXPECT_EQ(handIns.takings(QStringLiteral("001"), kDay).toString(), QStringLiteral("12.50"));
    EXPECT_EQ(handIns.takings(QStringLiteral("002"), kDay).toString(), QStringLiteral("3.00"));
    EXPECT_EQ(handIns.takings(QStringLiteral("001"), kDay.addDays(-1)).toString(), QStringLiteral("100.00"));

    const auto recorded = handIns.record({QStringLiteral("001"), QStringLiteral("系统管理员"), kDay, Money::fromYuan(12),
                                          QStringLiteral("002")});
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->takingsRows, 2);
    EXPECT_EQ(recorded->due.toString(), QStringLiteral("12.50"));
    EXPECT_EQ(count(QStringLiteral("SYYSKB"), QStringLiteral("JKFLAG = 1")), 2);
    EXPECT_EQ(count(QStringLiteral("SYYSKB"), QStringLiteral("JKFLAG = 1 AND BNNO = '001' AND SKMONEY IN (10, 2.5)")), 2);

    db::Statement row(db(), QStringLiteral("SELECT JKLSNO, SYYNO, SYYNAME, SJJE, YJJE, BNNO FROM SYYJKB"));
    ASSERT_TRUE(row.first());
    EXPECT_EQ(row.text(0), recorded->handInNo);
    EXPECT_EQ(row.text(1), QStringLiteral("001"));
    EXPECT_EQ(row.money(3).toString(), QStringLiteral("12.00"));   // counted short: both amounts kept
    EXPECT_EQ(row.money(4).toString(), QStringLiteral("12.50"));
    EXPECT_EQ(row.text(5), QStringLiteral("002"));
    row.query().finish();

    // A second hand-in of the same day finds nothing and writes nothing.
    EXPECT_EQ(handIns.takings(QStringLiteral("001"), kDay).toString(), QStringLiteral("0.00"));
    EXPECT_FALSE(handIns.record({QStringLiteral("001"), QString(), kDay, Money{}, QStringLiteral("001")}));
    EXPECT_EQ(count(QStringLiteral("SYYJKB")), 1);
    EXPECT_EQ(handIns.takings(QStringLiteral("002"), kDay).toString(), QStringLiteral("3.00"));
    EXPECT_EQ(handIns.takings(QStringLiteral("001"), kDay.addDays(1)).toString(), QStringLiteral("7.00"));
}

TEST_P(CashierHandInTest, theScreenFollowsTheDayAndOffersTheHandInOnlyWithSomethingToHandIn) {
    GuiSeams seams;
    session().OperatorNo = QStringLiteral("001");
    TfrmOperatorDayBalance screen;
    screen.show();
    auto* date = screen.control<QDateTimeEdit>(QStringLiteral("dtBalanceDate"));
    auto* cashier = screen.control<LookupComboBox>(QStringLiteral("lcbOperatorNo"));
    auto* due = screen.control<QLabel>(QStringLiteral("pnMoney"));
    auto* handedIn = screen.control<QLineEdit>(QStringLiteral("edTrueMoney"));
    auto* yes = screen.control<QPushButton>(QStringLiteral("bitYes"));
    ASSERT_TRUE(date && cashier && due && handedIn && yes);
    EXPECT_FALSE(yes->isEnabled());

    date->setDate(kDay);
    cashier->setKeyValue(QStringLiteral("001"));
    screen.lcbOperatorNoCloseUp();
    EXPECT_EQ(due->text(), QStringLiteral("12.50"));
    EXPECT_EQ(handedIn->text(), QStringLiteral("12.50"));
    EXPECT_TRUE(yes->isEnabled());

    date->setDate(kDay.addDays(2));   // nothing that day
    EXPECT_EQ(due->text(), QStringLiteral("0.00"));
    EXPECT_FALSE(yes->isEnabled());

    date->setDate(kDay);
    handedIn->setText(QStringLiteral("12..5"));
    yes->click();
    EXPECT_EQ(count(QStringLiteral("SYYJKB")), 0);
    EXPECT_EQ(seams.recorder.texts().value(0), QStringLiteral("实缴款额不是有效的金额，请重新输入！"));

    handedIn->setText(QStringLiteral("12.5"));
    yes->click();
    EXPECT_EQ(seams.recorder.texts().value(1), QStringLiteral("数据已保存！"));
    EXPECT_EQ(count(QStringLiteral("SYYJKB")), 1);
    EXPECT_TRUE(due->text().isEmpty());
    EXPECT_FALSE(yes->isEnabled());

    screen.lcbOperatorNoCloseUp();
    EXPECT_EQ(due->text(), QStringLiteral("0.00"));
    EXPECT_FALSE(yes->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Backends, CashierHandInTest, ::testing::ValuesIn(backends()), backendName);
