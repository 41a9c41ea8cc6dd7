#include "SaleScreenTest.h"

#include "app/LookupComboBox.h"
#include "db/AccountLedger.h"
#include "db/Statement.h"
#include "sales/TfrmJobPOS.h"
#include "sales/TfrmPrintJobSellsData.h"
#include "sales/WholesalePosting.h"

class WholesaleScreenTest : public SaleScreenTest {
protected:
    void SetUp() override {
        SaleScreenTest::SetUp();
        db().execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME, LXDH, LXDZ) VALUES('101', '客户甲', '0571-1', '西湖路2号')"));
        sales_shop::checkStock(db(), true);
    }
    TfrmJobPOS& openJob() {
        pos = std::make_unique<TfrmJobPOS>();
        pos->show();
        QApplication::setActiveWindow(pos.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(pos.get()));
        return static_cast<TfrmJobPOS&>(*pos);
    }
    void chooseClient(const QString& no) {
        auto* client = ctl<LookupComboBox>("edName");
        client->setKeyValue(no);
    }
    Money balance() { return db::AccountLedger(db(), db::AccountKind::Client).balance(QStringLiteral("101")); }
};

TEST_P(WholesaleScreenTest, aLineNeedsAClientButNoSalespersonAndTakesTheClientsLatestPrice) {
    TfrmJobPOS& job = openJob();
    EXPECT_EQ(ctl<LookupComboBox>("edName")->count(), 1);   // never the retail client
    EXPECT_EQ(job.promoterColumnTitle(), QStringLiteral("销售员"));

    scan(QStringLiteral("A"));
    typeInto("edCount", QStringLiteral("1"));
    enter("edCount");
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("数据不全，请重新输入供应商！")});
    EXPECT_EQ(gridRows(), 0);

    chooseClient(QStringLiteral("101"));
    EXPECT_EQ(text("edPhone"), QStringLiteral("0571-1"));
    EXPECT_EQ(text("edAdress"), QStringLiteral("西湖路2号"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("5"));   // no earlier sale: the standard price
    typeInto("edPrice", QStringLiteral("6.5"));
    enter("edPrice");
    typeInto("edCount", QStringLiteral("2"));
    enter("edCount");
    ASSERT_EQ(gridRows(), 1);   // without a salesperson
    EXPECT_EQ(focused(), ctl("edOffNO"));

    // Settle: the client pays 5.00 of 13.00, the rest goes on the account.
    seams->runner.scripts.push_back([](QDialog& dialog) {
        auto* settlement = qobject_cast<TfrmPrintJobSellsData*>(&dialog);
        ASSERT_NE(settlement, nullptr);
        EXPECT_EQ(settlement->windowTitle(), QStringLiteral("打印批发收款单"));
        settlement->findChild<QLineEdit*>(QStringLiteral("edTrueMoney"))->setText(QStringLiteral("5"));
        settlement->bitPrintClick();
        ASSERT_TRUE(settlement->ledger());
        EXPECT_EQ(settlement->ledger()->onAccount.toString(), QStringLiteral("8.00"));
    });
    job.bitSellsClick();
    EXPECT_EQ(gridRows(), 0);   // saved: the counter is clear for the next client
    EXPECT_EQ(balance().toString(), QStringLiteral("8.00"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT KHName FROM XSB")), QStringLiteral("客户甲"));

    // The next time the client buys A, the price of that sale is proposed.
    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("6.5"));
}

// A scanner on the wholesale counter needs the client chosen, never a salesperson.
TEST_P(WholesaleScreenTest, quickScanNeedsTheClientButNoSalesperson) {
    posSettings("QuickScan=1\n");
    openJob();
    scan(QStringLiteral("A"));
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("数据不全，请重新输入供应商！")});
    auto* client = ctl<LookupComboBox>("edName");
    EXPECT_TRUE(focused() == client || client->isAncestorOf(focused()));
    EXPECT_EQ(gridRows(), 0);

    seams->recorder.clear();
    chooseClient(QStringLiteral("101"));
    scan(QStringLiteral("A"));
    EXPECT_TRUE(messageTexts().isEmpty()) << messageTexts().join(u'|').toStdString();
    ASSERT_EQ(gridRows(), 1);
    EXPECT_EQ(focused(), ctl("edProductNo"));
}

TEST_P(WholesaleScreenTest, aLedgerFailureKeepsBothScreensForAnotherTry) {
    TfrmJobPOS& job = openJob();
    chooseClient(QStringLiteral("101"));
    keyLine(QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("1"));
    ASSERT_EQ(gridRows(), 1);
    // The client disappears from the master table only as far as the ledger can see: its
    // lock finds no row, so the ledger refuses and everything rolls back.
    db().execute(QStringLiteral("ALTER TABLE KHB RENAME TO KHB_AWAY"));
    db().execute(QStringLiteral("CREATE TABLE KHB (KHNO VARCHAR(3) NOT NULL PRIMARY KEY, KHNAME VARCHAR(40))"));
    bool stayedOpen = false;
    seams->recorder.clear();
    seams->runner.scripts.push_back([&stayedOpen](QDialog& dialog) {
        auto& settlement = static_cast<TfrmPrintJobSellsData&>(dialog);
        settlement.bitPrintClick();
        stayedOpen = settlement.isVisible() && !settlement.ledger();
    });
    job.bitSellsClick();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("网络忙，请稍后重新操作！")});
    EXPECT_EQ(gridRows(), 1);
    EXPECT_EQ(count(QStringLiteral("XSB")), 0);
    EXPECT_EQ(count(QStringLiteral("XSCBB")), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, WholesaleScreenTest, ::testing::ValuesIn(backends()), backendName);
