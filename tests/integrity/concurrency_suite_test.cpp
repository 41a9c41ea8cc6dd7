// Several tills (processes) selling the same few products at once with stock checking on,
// and posting receipts and payments to the same few accounts: no number twice, no batch
// or store overdrawn, the stores and account balances equal to the opening ones moved by
// what the tills acknowledged, and a clean integrity check. Prints throughput and the
// refusals by cause. Sizes: POS_TILLS, POS_TILL_SALES, or POS_SUITE_FULL (8 x 500).
#include "SuiteSupport.h"

#include <QElapsedTimer>
#include <QSet>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

void tillsSellTogether(db::Backend backend, const char* label) {
    const int tills = suite::size("POS_TILLS", 4, 8);
    const int sales = suite::size("POS_TILL_SALES", 50, 500);
    suite::ShopDatabase shop(backend);
    // About three documents in five take stock (sales, wholesale sales, transfers, losses,
    // supplier returns). Stock for about four fifths of what they will ask
    // for (two lines of about two units a sale), on few enough products that the tills
    // compete for every batch and the last sales meet empty shelves. The demo shop holds
    // 100 of each product.
    const QString kinds = QStringLiteral(
        "sale,sale,sale,sale,sale,wholesale-sale,receiving,supplier-return,client-return,loss,transfer,client-receipt,"
        "supplier-payment");
    const double demand = tills * sales * 0.6 * 4.2;
    const int products = std::clamp(int(std::lround(0.8 * demand / 100)), 2, 50);
    shop.receive(products, std::floor(0.8 * demand / products - 100));
    const std::map<QString, double> opening = shop.books();

    std::vector<std::unique_ptr<suite::Till>> running;
    for (int t = 0; t < tills; ++t)
        running.push_back(std::make_unique<suite::Till>(QStringList{
            QStringLiteral("--database"), shop.urlText(), QStringLiteral("--documents"), QString::number(sales),
            QStringLiteral("--seed"), QString::number(t + 1), QStringLiteral("--products"), QString::number(products),
            QStringLiteral("--kinds"), kinds}));
    QElapsedTimer clock;
    clock.start();
    for (auto& till : running) till->start();
    bool allRunning = true;
    while (allRunning) {
        allRunning = false;
        for (auto& till : running) {
            till->listen(20);
            allRunning = allRunning || till->running();
        }
        ASSERT_LT(clock.elapsed(), 30 * 60 * 1000) << "the tills did not finish";
    }
    const double seconds = clock.elapsed() / 1000.0;

    std::vector<suite::Acknowledged> acknowledged;
    std::map<QString, int> refusals;
    QStringList unexpected;
    for (auto& till : running) {
        till->waitForEnd(1000);
        EXPECT_TRUE(till->done) << till->errors().toStdString();
        acknowledged.insert(acknowledged.end(), till->acknowledged.begin(), till->acknowledged.end());
        for (const auto& [cause, n] : till->refusals) refusals[cause] += n;
        unexpected << till->unexpectedRefusals;
    }

    QSet<QString> numbers;
    for (const suite::Acknowledged& d : acknowledged) numbers << d.kind + u' ' + d.number;
    EXPECT_EQ(numbers.size(), qsizetype(acknowledged.size())) << "a number was issued twice";
    const suite::Presence presence = suite::verifyPresent(shop.connection(), acknowledged);
    EXPECT_TRUE(presence.faults.isEmpty()) << presence.faults.join(u'\n').toStdString();
    const suite::CheckRun check = suite::checkIntegrity(shop.urlText());
    EXPECT_EQ(check.code, 0) << check.output.toStdString();

    // Stores and balances, recomputed from the acknowledged documents alone.
    std::map<QString, double> expected = opening;
    std::map<QString, int> perKind;
    for (const suite::Acknowledged& d : acknowledged) {
        ++perKind[d.kind];
        for (const QString& effect : d.effects) expected[effect.section(u'=', 0, 0)] += effect.section(u'=', 1).toDouble();
    }
    const std::map<QString, double> closing = shop.books();
    for (const auto& [key, value] : expected) {
        const auto it = closing.find(key);
        EXPECT_NEAR(it == closing.end() ? 0.0 : it->second, value, 1e-4) << key.toStdString();
    }
    // Nobody restarts the server here: a till refused for anything but a shortage is a fault.
    EXPECT_EQ(refusals[QStringLiteral("other")] + refusals[QStringLiteral("connection")], 0)
        << unexpected.join(u'\n').toStdString();

    QStringList kindFigures;
    for (const auto& [kind, n] : perKind) kindFigures << QStringLiteral("%1=%2").arg(kind).arg(n);
    std::printf("[concurrency %s] tills=%d attempts=%d products=%d acknowledged=%zu (%s) "
                "seconds=%.1f documents/s=%.1f sales/s=%.1f refused: shortage=%d busy=%d connection=%d other=%d\n",
                label, tills, tills * sales, products, acknowledged.size(), qPrintable(kindFigures.join(u' ')), seconds,
                acknowledged.size() / seconds, perKind[QStringLiteral("sale")] / seconds,
                refusals[QStringLiteral("shortage")], refusals[QStringLiteral("busy")],
                refusals[QStringLiteral("connection")], refusals[QStringLiteral("other")]);
    std::fflush(stdout);
}

}  // namespace

TEST(ConcurrencySuite, sqliteTillProcessesSellTheSameProducts) { tillsSellTogether(db::Backend::Sqlite, "sqlite"); }

TEST(ConcurrencySuite, postgresTillsSellTheSameProducts) { tillsSellTogether(db::Backend::Postgres, "postgres"); }
