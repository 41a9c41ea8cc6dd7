// Tills killed at random moments, and a server restarted under them: afterwards the
// database passes the integrity check and every document a till acknowledged is there,
// whole. Sizes: POS_CRASH_KILLS, POS_CRASH_RESTARTS, or POS_SUITE_FULL for the full run.
#include "SuiteSupport.h"

#include "db/Statement.h"

#include <QElapsedTimer>
#include <QSet>
#include <gtest/gtest.h>
#include <cstdio>
#include <map>
#include <random>

namespace {

// Mostly sales; now and then every other kind a till posts.
const QString kKinds = QStringLiteral(
    "sale,sale,sale,wholesale-sale,receiving,supplier-return,client-return,loss,transfer,client-receipt,supplier-payment");

struct Figures {
    int kills = 0;
    int restarts = 0;
    size_t acknowledged = 0;
    int lost = 0;
    int partial = 0;
    int checksFailed = 0;
    qint64 unacknowledged = 0;   // committed when the till died, before it could say so
    std::map<QString, int> perKind;   // acknowledged documents by kind
};

void print(const char* label, const Figures& f) {
    QStringList kinds;
    for (const auto& [kind, n] : f.perKind) kinds << QStringLiteral("%1=%2").arg(kind).arg(n);
    std::printf("[crash %s] kills=%d restarts=%d acknowledged=%zu (%s) lost=%d partial=%d unacknowledged-but-saved=%lld "
                "integrity-failures=%d\n",
                label, f.kills, f.restarts, f.acknowledged, qPrintable(kinds.join(u' ')), f.lost, f.partial,
                static_cast<long long>(f.unacknowledged), f.checksFailed);
    std::fflush(stdout);
}

void listenFor(suite::Till& till, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && till.running()) till.listen(int(ms - t.elapsed()));
}

// Documents in the database: sales, receivings, returns, losses, transfers, and ledger
// rows posted on their own (a document's ledger rows name it).
qint64 savedDocuments(db::Connection& c) {
    db::Statement s(c, QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM XSB) + (SELECT COUNT(*) FROM JHDSJB) + (SELECT COUNT(*) FROM GYSTHSJB) + "
        "(SELECT COUNT(*) FROM KHTHSJB) + (SELECT COUNT(DISTINCT BSDNO) FROM BSB) + "
        "(SELECT COUNT(DISTINCT WLNO) FROM QTJHDMXB WHERE WLTYPE = '调出') + "
        "(SELECT COUNT(*) FROM KHJSWLB WHERE COALESCE(DJBH, '') = '') + "
        "(SELECT COUNT(*) FROM GYSJSWLB WHERE COALESCE(DJBH, '') = '')"));
    return s.first() ? s.integer(0) : 0;
}

// After each kill: the check is clean and what the killed till acknowledged is whole.
void afterKill(suite::ShopDatabase& shop, const suite::Till& till, Figures& f, int kill) {
    const suite::CheckRun check = suite::checkIntegrity(shop.urlText());
    if (check.code != 0) ++f.checksFailed;
    EXPECT_EQ(check.code, 0) << "after kill " << kill << ":\n" << check.output.toStdString();
    const suite::Presence p = suite::verifyPresent(shop.connection(), till.acknowledged);
    f.lost += p.lost;
    f.partial += p.partial;
    EXPECT_TRUE(p.faults.isEmpty()) << "after kill " << kill << ": " << p.faults.join(u'\n').toStdString();
    f.acknowledged += till.acknowledged.size();
    for (const suite::Acknowledged& d : till.acknowledged) ++f.perKind[d.kind];
}

void killTillsRepeatedly(db::Backend backend, int kills, const char* label) {
    suite::ShopDatabase shop(backend);
    shop.receive(0, 200.0 * kills);
    std::mt19937 random(20240601u + unsigned(kills));
    std::uniform_int_distribution<int> moment(0, 150);
    const qint64 opening = savedDocuments(shop.connection());
    Figures f;
    std::vector<suite::Acknowledged> all;
    for (int k = 1; k <= kills; ++k) {
        suite::Till till({QStringLiteral("--database"), shop.urlText(), QStringLiteral("--seed"), QString::number(k),
                          QStringLiteral("--kinds"), kKinds});
        till.start();
        till.waitForCommits(1, 60000);
        ASSERT_FALSE(till.acknowledged.empty()) << "the till posted nothing: " << till.errors().toStdString();
        listenFor(till, moment(random));
        till.kill();
        ++f.kills;
        afterKill(shop, till, f, k);
        all.insert(all.end(), till.acknowledged.begin(), till.acknowledged.end());
    }
    // Nothing acknowledged earlier went missing later.
    const suite::Presence final = suite::verifyPresent(shop.connection(), all);
    EXPECT_TRUE(final.faults.isEmpty()) << final.faults.join(u'\n').toStdString();
    f.unacknowledged = savedDocuments(shop.connection()) - opening - qint64(all.size());
    print(label, f);
    EXPECT_EQ(f.lost, 0);
    EXPECT_EQ(f.partial, 0);
}

bool pgCtl(const QStringList& arguments) {
    QProcess p;
    p.start(qEnvironmentVariable("POS_TEST_PG_CTL"), arguments);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace

TEST(CrashSuite, sqliteTillKilledAtRandomMoments) {
    killTillsRepeatedly(db::Backend::Sqlite, suite::size("POS_CRASH_KILLS", 20, 200), "sqlite");
}

TEST(CrashSuite, postgresTillKilledAtRandomMoments) {
    killTillsRepeatedly(db::Backend::Postgres, suite::size("POS_CRASH_KILLS", 10, 200), "postgres");
}

// The server stops without a shutdown (as at a power cut of the server alone) while a
// till posts; the till waits for it, reconnects and carries on.
TEST(CrashSuite, postgresServerRestartedUnderATill) {
    if (qEnvironmentVariableIsEmpty("POS_TEST_PG_CTL")) GTEST_SKIP() << "needs a server of its own (scripts/with-postgres)";
    const int restarts = suite::size("POS_CRASH_RESTARTS", 3, 20);
    suite::ShopDatabase shop(db::Backend::Postgres);
    shop.receive(0, 2000);
    std::mt19937 random(7u);
    std::uniform_int_distribution<int> moment(20, 300);
    const qint64 opening = savedDocuments(shop.connection());
    Figures f;
    suite::Till till({QStringLiteral("--database"), shop.urlText(), QStringLiteral("--seed"), QStringLiteral("1"),
                      QStringLiteral("--kinds"), kKinds});
    till.start();
    till.waitForCommits(1, 60000);
    ASSERT_FALSE(till.acknowledged.empty()) << till.errors().toStdString();
    shop.connection().close();   // the suite's own connection would die with the server
    for (int r = 1; r <= restarts; ++r) {
        listenFor(till, moment(random));
        ASSERT_TRUE(pgCtl({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")}));
        ASSERT_TRUE(pgCtl({QStringLiteral("start")}));
        ++f.restarts;
        till.waitForReconnect(120000);
        ASSERT_EQ(till.reconnects, r) << "the till did not come back after restart " << r << ": " << till.errors().toStdString();
        const int before = int(till.acknowledged.size());
        till.waitForCommits(before + 3, 60000);
        ASSERT_GE(int(till.acknowledged.size()), before + 3) << "no sales after restart " << r;
    }
    till.kill();
    ++f.kills;
    shop.connection().open();
    afterKill(shop, till, f, f.kills);
    f.unacknowledged = savedDocuments(shop.connection()) - opening - qint64(till.acknowledged.size());
    print("postgres-restart", f);
    EXPECT_EQ(f.lost, 0);
    EXPECT_EQ(f.partial, 0);
}
