#include "AccountsShop.h"
#include "DbTest.h"
#include "GuiTest.h"

#include "accounts/TfrmBaseWLBala.h"
#include "app/LookupComboBox.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "sales/WholesalePosting.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <thread>

using db::AccountKind;
using db::AccountSide;

class AccountScreensTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        accounts_shop::install(db());
        session().OperatorNo = QStringLiteral("001");
    }
};

TEST_P(AccountScreensTest, eachSideMovesEachKindOfAccountItsOwnWay) {
    struct Case {
        AccountKind kind;
        const char* account;
        const char* side;
        const char* amountColumn;
        const char* balances;   // after 100.00, then 30.00, on the same side
    };
    const Case cases[] = {
        {AccountKind::Client, "101", "借", "JF", "-100.00 -130.00"},
        {AccountKind::Client, "102", "贷", "DF", "100.00 130.00"},
        {AccountKind::Supplier, "201", "借", "JF", "100.00 130.00"},
        {AccountKind::Supplier, "202", "贷", "DF", "-100.00 -130.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.account) + c.side);
        GuiSeams seams;
        std::unique_ptr<TfrmBaseWLBala> screen;
        if (c.kind == AccountKind::Client) screen = std::make_unique<TfrmClientBala>();
        else screen = std::make_unique<TfrmSuppBala>();
        screen->show();
        auto* account = screen->control<LookupComboBox>(c.kind == AccountKind::Client ? QStringLiteral("lcbClient")
                                                                                       : QStringLiteral("lcbSupply"));
        auto* amount = screen->control<QLineEdit>(QStringLiteral("edMoney"));
        auto* voucher = screen->control<QLineEdit>(QStringLiteral("edNo"));
        auto* balance = screen->control<QLineEdit>(QStringLiteral("edYE"));
        auto* grid = screen->control<QTableWidget>(QStringLiteral("dgBase"));
        ASSERT_TRUE(account && amount && voucher && balance && grid);
        // The lowering side is offered first and selected.
        const QList<QRadioButton*> sides = screen->findChildren<QRadioButton*>();
        ASSERT_EQ(sides.size(), 2);
        EXPECT_EQ(sides[0]->text(), c.kind == AccountKind::Client ? QStringLiteral("借") : QStringLiteral("贷"));
        EXPECT_TRUE(sides[0]->isChecked());

        account->setKeyValue(QLatin1String(c.account));
        screen->accountChosen();
        for (QRadioButton* b : sides)
            if (b->text() == QString::fromUtf8(c.side)) b->click();
        QStringList balances;
        for (const char* typed : {"100", "30"}) {
            amount->setText(QLatin1String(typed));
            voucher->setText(QStringLiteral("V-1"));
            screen->rgInOrOutClick();
            const QString preview = balance->text();
            screen->control<QPushButton>(QStringLiteral("bitSave"))->click();
            balances << scalar(QStringLiteral("SELECT YE FROM %1 ORDER BY JSNO DESC LIMIT 1")
                                   .arg(c.kind == AccountKind::Client ? QStringLiteral("KHJSWLB") : QStringLiteral("GYSJSWLB")));
            balances.last() = Money::fromVariant(balances.last()).toString();
            EXPECT_EQ(preview, balances.last());
        }
        EXPECT_EQ(balances.join(u' '), QString::fromUtf8(c.balances));
        const QString table = c.kind == AccountKind::Client ? QStringLiteral("KHJSWLB") : QStringLiteral("GYSJSWLB");
        const QString other = QLatin1String(c.amountColumn) == QLatin1String("JF") ? QStringLiteral("DF") : QStringLiteral("JF");
        EXPECT_EQ(count(table, QStringLiteral("%1 IS NOT NULL AND %2 IS NULL AND JD = '%3' AND PZHM = 'V-1'")
                                   .arg(QLatin1String(c.amountColumn), other, QString::fromUtf8(c.side))),
                  2);
        // After a save the entry is empty, the account stays and the new row is on top.
        EXPECT_TRUE(amount->text().isEmpty() && voucher->text().isEmpty() && balance->text().isEmpty());
        EXPECT_EQ(account->keyValue(), QLatin1String(c.account));
        ASSERT_EQ(grid->rowCount(), 2);
        EXPECT_EQ(grid->item(0, 7)->text(), balances.last());
        EXPECT_EQ(seams.recorder.texts(), QStringList({QStringLiteral("数据已成功保存！"), QStringLiteral("数据已成功保存！")}));
    }
}

TEST_P(AccountScreensTest, anAmountThatIsNotAnAmountOrNoAccountIsRefusedBeforeAnythingIsWritten) {
    GuiSeams seams;
    TfrmClientBala screen;
    screen.show();
    auto* amount = screen.control<QLineEdit>(QStringLiteral("edMoney"));
    amount->setText(QStringLiteral("12..5"));
    screen.bitSaveClick();
    amount->setText(QStringLiteral("12.5"));
    screen.bitSaveClick();   // no client chosen
    EXPECT_EQ(seams.recorder.texts(),
              QStringList({QStringLiteral("数据格式不全，请重新输入金额！"), QStringLiteral("数据不全，请重新输入客户！")}));
    EXPECT_EQ(count(QStringLiteral("KHJSWLB")), 0);
}

// Two tills at once on one client: one receiving money, the other selling on account. Each
// row's balance must follow from the row before it, whatever the interleaving.
TEST_P(AccountScreensTest, twoTillsPostingToOneClientAtOnceKeepTheBalanceChainExact) {
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '0' WHERE vrname = 'isCheckStore'"));
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG) VALUES('A', '甲商品', '个', 5)"));
    constexpr int kEach = 12;
    std::string receiving, selling;
    std::thread receipts([&] {
        try {
            auto till = openAnother();
            for (int i = 0; i < kEach; ++i) {
                db::Transaction tx(*till);
                db::AccountLedger(*till, AccountKind::Client)
                    .post({QStringLiteral("101"), AccountSide::Debit, Money::fromYuan(3), {}, QStringLiteral("收款"), {}, QStringLiteral("001")});
                tx.commit();
            }
        } catch (const std::exception& e) {
            receiving = e.what();
        }
    });
    std::thread sales([&] {
        try {
            auto till = openAnother();
            for (int i = 0; i < kEach; ++i) {
                WholesaleSale s;
                s.operatorNo = QStringLiteral("001");
                s.storeNo = QStringLiteral("001");
                s.clientNo = QStringLiteral("101");
                s.customerName = QStringLiteral("客户甲");
                RetailSaleLine line;
                line.productNo = QStringLiteral("A");
                line.quantity = 2;
                line.price = Money::fromYuan(5);
                s.lines = {line};
                s.amountDue = Money::fromYuan(10);
                s.amountReceived = Money::fromYuan(4);
                WholesalePosting(*till).post(s);
            }
        } catch (const std::exception& e) {
            selling = e.what();
        }
    });
    receipts.join();
    sales.join();
    EXPECT_EQ(receiving, "");
    EXPECT_EQ(selling, "");

    db::Statement rows(db(), QStringLiteral("SELECT JF, DF, YE FROM KHJSWLB WHERE KHNO = '101' ORDER BY JSNO"));
    rows.exec();
    Money running;
    int n = 0;
    while (rows.next()) {
        running = running - rows.money(0) + rows.money(1);
        EXPECT_EQ(rows.money(2), running) << "row " << n;
        ++n;
    }
    EXPECT_EQ(n, kEach * 3);   // a receipt; a sale and its payment
    EXPECT_EQ(running, Money::fromYuan(kEach * (10 - 4 - 3)));
}

INSTANTIATE_TEST_SUITE_P(Backends, AccountScreensTest, ::testing::ValuesIn(backends()), backendName);
