#include "DbTest.h"
#include "db/AccountLedger.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <thread>

using db::AccountKind;
using db::AccountLedger;
using db::AccountSide;

class AccountLedgerTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        db().execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES('101', '客户甲')"));
        db().execute(QStringLiteral("INSERT INTO CSB(CSNO, CSNAME) VALUES('201', '供应商甲')"));
    }
    static QString account(AccountKind kind) { return kind == AccountKind::Client ? QStringLiteral("101") : QStringLiteral("201"); }
    db::PostedLedgerRow post(AccountKind kind, AccountSide side, const char* amount) {
        return AccountLedger(db(), kind).post({account(kind), side, *Money::parse(QString::fromLatin1(amount)),
                                               QStringLiteral("V1"), QStringLiteral("摘要"), QString(), QStringLiteral("001")});
    }
};

TEST_P(AccountLedgerTest, sidesMoveEachKindOfAccountItsOwnWay) {
    struct Case { AccountKind kind; AccountSide side; const char* balance; };
    const Case cases[] = {{AccountKind::Client, AccountSide::Debit, "-100.00"}, {AccountKind::Client, AccountSide::Credit, "100.00"},
                          {AccountKind::Supplier, AccountSide::Debit, "100.00"}, {AccountKind::Supplier, AccountSide::Credit, "-100.00"}};
    for (const Case& c : cases) {
        db().execute(QStringLiteral("DELETE FROM KHJSWLB"));
        db().execute(QStringLiteral("DELETE FROM GYSJSWLB"));
        const auto row = post(c.kind, c.side, "100");
        EXPECT_EQ(row.balance.toString(), QString::fromLatin1(c.balance));
        AccountLedger ledger(db(), c.kind);
        db::Statement s(db(), QStringLiteral("SELECT JF, DF, JD, YE, DJBH, BNNO FROM %1 WHERE JSNO = :no").arg(ledger.table()));
        ASSERT_TRUE(s.bind(QStringLiteral(":no"), row.rowNo).first());
        // The amount stands on its side only.
        EXPECT_EQ(s.isNull(0), c.side == AccountSide::Credit);
        EXPECT_EQ(s.isNull(1), c.side == AccountSide::Debit);
        EXPECT_EQ(s.money(c.side == AccountSide::Debit ? 0 : 1).toString(), QStringLiteral("100.00"));
        EXPECT_EQ(s.text(2).trimmed(), AccountLedger::sideText(c.side));
        EXPECT_EQ(s.money(3).toString(), QString::fromLatin1(c.balance));
        EXPECT_TRUE(s.isNull(4));
        EXPECT_EQ(s.text(5), QStringLiteral("001"));
    }
}

TEST_P(AccountLedgerTest, eachRowCarriesTheBalanceAfterItAndTheLatestRowIsTheBalance) {
    post(AccountKind::Client, AccountSide::Credit, "250.50");   // the client owes 250.50
    post(AccountKind::Client, AccountSide::Debit, "100");       // pays 100
    const auto last = post(AccountKind::Client, AccountSide::Credit, "0.25");
    EXPECT_EQ(last.balance.toString(), QStringLiteral("150.75"));
    EXPECT_EQ(AccountLedger(db(), AccountKind::Client).balance(QStringLiteral("101")).toString(), QStringLiteral("150.75"));
    EXPECT_EQ(AccountLedger(db(), AccountKind::Supplier).balance(QStringLiteral("201")).toString(), QStringLiteral("0.00"));
    EXPECT_EQ(AccountLedger::sideFromText(QStringLiteral(" 借 ")), AccountSide::Debit);
    EXPECT_EQ(AccountLedger::sideFromText(QStringLiteral("平")), std::nullopt);
}

TEST_P(AccountLedgerTest, anUnknownAccountIsRefusedAndARolledBackPostingLeavesNoRow) {
    EXPECT_THROW(AccountLedger(db(), AccountKind::Client).post({QStringLiteral("999"), AccountSide::Debit, Money::fromYuan(1), {}, {}, {}, {}}),
                 db::Error);
    {
        db::Transaction tx(db());
        post(AccountKind::Supplier, AccountSide::Debit, "10");
    }
    EXPECT_EQ(count(QStringLiteral("GYSJSWLB")), 0);
}

TEST_P(AccountLedgerTest, tillsPostingToOneAccountAtOnceKeepTheBalanceChainExact) {
    constexpr int kTills = 4;
    constexpr int kEach = 10;
    std::vector<std::string> failures(kTills);
    std::vector<std::thread> tills;
    for (int t = 0; t < kTills; ++t) {
        tills.emplace_back([&, t] {
            try {
                auto connection = openAnother();
                AccountLedger ledger(*connection, AccountKind::Client);
                for (int i = 0; i < kEach; ++i) {
                    db::Transaction tx(*connection);
                    ledger.post({QStringLiteral("101"), AccountSide::Credit, Money::fromCents(101), {}, {}, {}, {}});
                    tx.commit();
                }
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
    }
    for (auto& th : tills) th.join();
    for (const std::string& f : failures) EXPECT_EQ(f, "");
    // Walking the rows in number order, each balance is the one before plus its amount.
    db::Statement rows(db(), QStringLiteral("SELECT DF, YE FROM KHJSWLB WHERE KHNO = '101' ORDER BY JSNO"));
    rows.exec();
    Money running;
    int n = 0;
    while (rows.next()) {
        running += rows.money(0);
        EXPECT_EQ(rows.money(1), running) << "row " << n;
        ++n;
    }
    EXPECT_EQ(n, kTills * kEach);
    EXPECT_EQ(running, Money::fromCents(101 * kTills * kEach));
}

INSTANTIATE_TEST_SUITE_P(Backends, AccountLedgerTest, ::testing::ValuesIn(backends()), backendName);
