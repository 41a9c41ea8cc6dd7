#include "DbTest.h"
#include "db/SerialNumbers.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QSet>
#include <thread>

class SerialNumbersTest : public DbTest {};

TEST_P(SerialNumbersTest, numbersAreFifteenCharactersInIssueOrderPerCaseSensitiveLetter) {
    db::SerialNumbers serials(db());
    db().setClock(QDateTime(QDate(2026, 3, 9), QTime(10, 0)));
    const QString j1 = serials.next(QStringLiteral("j"));
    const QString bigJ = serials.next(QStringLiteral("J"));
    const QString j2 = serials.next(QStringLiteral("j"));
    EXPECT_EQ(j1, QStringLiteral("j20260309000001"));
    EXPECT_EQ(bigJ, QStringLiteral("J20260309000001"));  // its own series, yet its own text
    EXPECT_EQ(j2, QStringLiteral("j20260309000002"));
    EXPECT_EQ(j1.size(), 15);

    // A new day restarts the counter, yet sorts after every number of the day before.
    db().setClock(QDateTime(QDate(2026, 3, 10), QTime(8, 0)));
    const QString nextDay = serials.next(QStringLiteral("j"));
    EXPECT_EQ(nextDay, QStringLiteral("j20260310000001"));
    EXPECT_GT(nextDay, j2);
    // A clock set back keeps the order: the series stays on its latest day.
    db().setClock(QDateTime(QDate(2026, 3, 1), QTime(8, 0)));
    const QString afterSetBack = serials.next(QStringLiteral("j"));
    EXPECT_GT(afterSetBack, nextDay);
}

// The first sale and the first receiving of a day used to be the same text, and the
// movement lines' document column holds numbers of both kinds.
TEST_P(SerialNumbersTest, theFirstNumbersOfEveryKindOnOneDayAreAllDifferent) {
    db::SerialNumbers serials(db());
    db().setClock(QDateTime(QDate(2026, 3, 9), QTime(10, 0)));
    QSet<QString> first;
    const QString kinds = QStringLiteral("XJWKFTBDPjtLY");
    for (const QChar kind : kinds) {
        const QString n = serials.next(QString(kind));
        EXPECT_EQ(n.size(), 15) << n.toStdString();
        first.insert(n);
    }
    EXPECT_EQ(first.size(), kinds.size());
    for (const QString bad : {QStringLiteral("XY"), QStringLiteral(""), QStringLiteral("1"), QStringLiteral("甲")})
        EXPECT_THROW(serials.next(bad), db::Error) << bad.toStdString();

    // Several types drawn by one statement come back in the order asked, whatever order the
    // database returns them in; a type asked twice at once is refused, drawing nothing.
    const QStringList both = serials.next(QStringList{QStringLiteral("t"), QStringLiteral("X"), QStringLiteral("j")});
    EXPECT_EQ(both, (QStringList{QStringLiteral("t20260309000002"), QStringLiteral("X20260309000002"),
                                 QStringLiteral("j20260309000002")}));
    EXPECT_THROW(serials.next(QStringList{QStringLiteral("X"), QStringLiteral("X")}), db::Error);
    EXPECT_EQ(serials.next(QStringLiteral("X")), QStringLiteral("X20260309000003"));
}

// PostgreSQL tills must not wait on each other's counter rows, so there a document's numbers
// are committed before its transaction; SQLite writers queue on one lock anyway, so there they
// are drawn inside it and go with a refused document.
TEST_P(SerialNumbersTest, aDocumentsNumbersAreDrawnAheadOnlyWhereCountersWouldBeHeld) {
    const bool ahead = GetParam() == db::Backend::Postgres;
    auto other = openAnother();
    const QString before = db::SerialNumbers(*other).next(QStringLiteral("X"));
    QStringList refused;
    {
        db::DocumentNumbers numbers(db(), {QStringLiteral("X"), QStringLiteral("W")});
        EXPECT_FALSE(db().inTransaction());
        if (ahead) {
            // The draw's commit skipped the flush; the session's documents must not.
            db::Statement setting(db(), QStringLiteral("SELECT current_setting('synchronous_commit')"));
            ASSERT_TRUE(setting.first());
            EXPECT_EQ(setting.text(0), QStringLiteral("on"));
        }
        db::Transaction tx(db());
        refused = numbers.in(tx);
        ASSERT_EQ(refused.size(), 2);
        EXPECT_TRUE(refused[0].startsWith(u'X'));
        EXPECT_TRUE(refused[1].startsWith(u'W'));
        EXPECT_EQ(refused[0].right(6).toInt(), before.right(6).toInt() + 1);
        EXPECT_EQ(numbers.in(tx), refused);  // asked again, the same numbers
    }  // the document is refused: rolled back
    const QString after = db::SerialNumbers(*other).next(QStringLiteral("X"));
    EXPECT_EQ(after.right(6).toInt(), before.right(6).toInt() + (ahead ? 2 : 1));

    // Set up inside another transaction, numbers drawn ahead would be held until its end.
    db::Transaction tx(db());
    EXPECT_THROW(db::DocumentNumbers(db(), {QStringLiteral("X")}), db::Error);
}

TEST_P(SerialNumbersTest, aNumberDrawnInsideARolledBackTransactionIsNotKept) {
    db::SerialNumbers serials(db());
    const QString first = serials.next(QStringLiteral("X"));
    {
        db::Transaction tx(db());
        serials.next(QStringLiteral("X"));
    }
    const QString second = serials.next(QStringLiteral("X"));
    EXPECT_EQ(second.right(6).toInt(), first.right(6).toInt() + 1);
}

TEST_P(SerialNumbersTest, concurrentConnectionsNeverShareANumber) {
    constexpr int kThreads = 4;
    constexpr int kEach = 25;
    std::vector<QStringList> issued(kThreads);
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            try {
                auto connection = openAnother();
                db::SerialNumbers serials(*connection);
                for (int i = 0; i < kEach; ++i) {
                    // Half of the draws happen inside a document's transaction, as the screens do.
                    if (i % 2) {
                        db::Transaction tx(*connection);
                        issued[t] << serials.next(QStringLiteral("W"));
                        tx.commit();
                    } else {
                        issued[t] << serials.next(QStringLiteral("W"));
                    }
                }
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
    }
    for (auto& th : threads) th.join();
    QSet<QString> all;
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], "");
        // Each connection sees its own numbers strictly increasing.
        for (int i = 1; i < issued[t].size(); ++i) EXPECT_LT(issued[t][i - 1], issued[t][i]);
        for (const QString& n : issued[t]) all.insert(n);
    }
    EXPECT_EQ(all.size(), kThreads * kEach);
}

TEST_P(SerialNumbersTest, theDataModuleReturnsEmptyTextWhenTheDatabaseFails) {
    EXPECT_FALSE(frmDM().GetSerialNo(QStringLiteral("001"), QStringLiteral("X")).isEmpty());
    EXPECT_TRUE(frmDM().GetSerialNo(QStringLiteral("001"), QStringLiteral("XY")).isEmpty());
    db().close();
    EXPECT_TRUE(frmDM().GetSerialNo(QStringLiteral("001"), QStringLiteral("X")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, SerialNumbersTest, ::testing::ValuesIn(backends()), backendName);
