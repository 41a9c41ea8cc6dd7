// The browsing cursor: begun after a number of rows, moved a long way on, and (PostgreSQL)
// reading in a read-only snapshot of its own transaction that ends with it.
#include "DbTest.h"
#include "db/Error.h"
#include "db/RowCursor.h"
#include "db/Statement.h"

#include <memory>

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

class RowCursorTest : public DbTest {
protected:
    // 20,000 numbers in order: long enough that a move is left to the database.
    static QString numbers() {
        return u("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < :last) "
                 "SELECT i FROM n ORDER BY i");
    }
    static std::vector<qint64> values(const std::vector<db::RowCursor::Row>& rows) {
        std::vector<qint64> v;
        for (const auto& row : rows) v.push_back(row[0].toLongLong());
        return v;
    }
};

TEST_P(RowCursorTest, beginsAfterThePassedRowsAndMovesOnWithoutLosingItsPlace) {
    const db::RowCursor::Values bound{{u(":last"), QVariant(qint64(19999))}};
    auto cursor = db::RowCursor::openBrowsing(db(), numbers(), bound, 7000);
    EXPECT_EQ(cursor->position(), 7000);
    EXPECT_EQ(values(cursor->fetch(3)), (std::vector<qint64>{7000, 7001, 7002}));
    cursor->skip(2);      // a step
    EXPECT_EQ(values(cursor->fetch(1)), (std::vector<qint64>{7005}));
    cursor->skip(10000);  // a long way
    EXPECT_EQ(cursor->position(), 17006);
    EXPECT_EQ(values(cursor->fetch(2)), (std::vector<qint64>{17006, 17007}));
    cursor->skip(5000);   // past the end
    EXPECT_TRUE(cursor->fetch(5).empty());
    EXPECT_TRUE(cursor->atEnd());
}

// Rows another till commits after the cursor began are not among its rows, and the server
// holds the cursor's transaction only while the cursor lives.
TEST_P(RowCursorTest, browsingReadsOneSnapshotThatEndsWithTheCursor) {
    if (GetParam() != db::Backend::Postgres) GTEST_SKIP() << "on SQLite the cursor is a statement of the caller's connection";
    auto own = openAnother();
    db::Statement process(*own, u("SELECT pg_backend_pid()"));
    ASSERT_TRUE(process.first());
    const qint64 pid = process.value(0).toLongLong();
    process.query().finish();
    auto inTransaction = [&] {
        db::Statement s(db(), u("select count(*) from pg_stat_activity where pid = :pid and xact_start is not null"));
        s.bind(u(":pid"), pid);
        return s.first() && s.value(0).toLongLong() > 0;
    };
    db().execute(u("CREATE TABLE LINES_SEEN (N INTEGER NOT NULL)"));
    db().execute(u("INSERT INTO LINES_SEEN(N) VALUES (1), (2), (3)"));
    const QString lines = u("SELECT N FROM LINES_SEEN ORDER BY N");
    {
        auto cursor = db::RowCursor::openBrowsing(*own, lines, {});
        EXPECT_TRUE(inTransaction());
        db().execute(u("INSERT INTO LINES_SEEN(N) VALUES (0)"));
        // A statement on the cursor's connection reads its snapshot too.
        db::Statement beside(*own, u("SELECT COUNT(*) FROM LINES_SEEN"));
        ASSERT_TRUE(beside.first());
        EXPECT_EQ(beside.value(0).toLongLong(), 3);
        beside.query().finish();
        EXPECT_EQ(values(cursor->fetch(10)), (std::vector<qint64>{1, 2, 3}));
        // A read-only transaction: nothing can be written through it.
        EXPECT_THROW(own->execute(u("DELETE FROM LINES_SEEN")), db::Error);
    }
    EXPECT_FALSE(inTransaction());
    EXPECT_EQ(count(u("LINES_SEEN")), 4);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Backends, RowCursorTest, ::testing::ValuesIn(backends()), backendName);
