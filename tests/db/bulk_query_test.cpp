#include "DbTest.h"

#include "db/BulkQuery.h"
#include "db/PostgresParameters.h"
#include "db/Dialect.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <vector>

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

struct Value {
    const char* text;    // nullptr: NULL
    const char* money;   // nullptr: NULL
    double real;
    qint64 integer;
};

// What a column can hold: Chinese and empty text, amounts from the smallest step to the
// largest a document carries, whole amounts (SQLite keeps those as integers), negatives.
const Value kValues[] = {
    {"甲商品", "12.5", 1.5, 1},
    {"", "0.0001", 1e-7, -2},
    {nullptr, "-12.3456", -3, qint64(1) << 40},
    {"A'1\"", "300", 0.1, 0},
    {"x", "123456789012.3456", 1e15, 7},
    {"y", nullptr, 0, 8},
};

}  // namespace

class BulkQueryTest : public DbTest {
protected:
    void fill() {
        db().execute(db().dialect().ddl(s("CREATE TABLE BQ (N INTEGER, T VARCHAR(20), M @MONEY, R @FLOAT, I BIGINT, D @DATETIME)")));
        int n = 0;
        for (const Value& v : kValues) {
            db::Statement i(db(), s("INSERT INTO BQ(N, T, M, R, I, D) VALUES(:n, :t, :m, :r, :i, :d)"));
            i.bind(s(":n"), n).bind(s(":r"), v.real).bind(s(":i"), v.integer)
                .bind(s(":d"), QDateTime(QDate(2024, 3, 1 + n), QTime(10, 0)));
            if (v.text) i.bind(s(":t"), s(v.text)); else i.bindNull(s(":t"));
            if (v.money) i.bind(s(":m"), *Money::parse(s(v.money))); else i.bindNull(s(":m"));
            i.exec();
            ++n;
        }
    }
};

// Every value reads as Statement reads it: the reader is a faster way to the same figures.
TEST_P(BulkQueryTest, readsEveryValueAsAStatementDoes) {
    fill();
    const QString sql = s("SELECT T, M, R, I, D, N FROM BQ ORDER BY N");
    struct Read { bool textNull; QString text; Money money; double real; qint64 integer; QString day; qint64 n; };
    // One result at a time: Qt's PostgreSQL driver finishes a result still being read when
    // the connection runs another statement.
    std::vector<Read> bulkRows;
    {
        db::BulkQuery bulk(db(), sql);
        bulk.exec();
        EXPECT_EQ(bulk.columnCount(), 6);
        while (bulk.next())
            bulkRows.push_back({bulk.isNull(0), bulk.text(0), bulk.money(1), bulk.real(2), bulk.integer(3),
                                bulk.text(4).left(16), bulk.integer(5)});
        EXPECT_FALSE(bulk.next());
    }
    ASSERT_EQ(bulkRows.size(), std::size(kValues));
    db::Statement st(db(), sql);
    st.exec();
    for (size_t row = 0; row < bulkRows.size(); ++row) {
        SCOPED_TRACE(row);
        ASSERT_TRUE(st.next());
        const Read& r = bulkRows[row];
        const Value& v = kValues[row];
        EXPECT_EQ(r.textNull, v.text == nullptr);
        EXPECT_EQ(r.text, st.text(0));
        EXPECT_EQ(r.text, v.text ? s(v.text) : QString());
        EXPECT_EQ(r.money, st.money(1));
        EXPECT_EQ(r.money, v.money ? *Money::parse(s(v.money)) : Money());
        EXPECT_EQ(r.real, st.real(2));
        EXPECT_EQ(r.real, v.real);
        EXPECT_EQ(r.integer, v.integer);
        EXPECT_EQ(r.day, st.dateTime(4).toString(s("yyyy-MM-dd HH:mm")));
        EXPECT_EQ(r.n, qint64(row));
    }
    EXPECT_FALSE(st.next());
}

// Sums come back exact to the last decimal, also where SQLite adds reals.
TEST_P(BulkQueryTest, sumsAndBoundValuesSelectAsAStatementDoes) {
    fill();
    const QString sql = s("SELECT COUNT(*), SUM(M), SUM(R) FROM BQ WHERE D >= :d AND M <> :m AND T <> :t AND N < :n");
    db::BulkQuery bulk(db(), sql);
    bulk.bind(s(":d"), QDate(2024, 3, 2)).bind(s(":m"), Money::fromYuan(300)).bind(s(":t"), s("x"))
        .bind(s(":n"), qint64(10)).exec();
    ASSERT_TRUE(bulk.next());
    db::Statement st(db(), sql);
    st.bind(s(":d"), QDate(2024, 3, 2)).bind(s(":m"), Money::fromYuan(300)).bind(s(":t"), s("x")).bind(s(":n"), 10);
    ASSERT_TRUE(st.first());
    EXPECT_EQ(bulk.integer(0), 1);   // only the row of 0.0001: NULL text and NULL money compare to nothing
    EXPECT_EQ(bulk.integer(0), st.integer(0));
    EXPECT_EQ(bulk.money(1), Money::fromUnits(1));
    EXPECT_EQ(bulk.money(1), st.money(1));
    EXPECT_EQ(bulk.real(2), st.real(2));
    EXPECT_FALSE(bulk.next());
}

// A value left unbound, a name the statement does not have and a faulty statement are
// errors, not empty results; the connection goes on serving, also inside a transaction
// that is then rolled back.
TEST_P(BulkQueryTest, refusesWhatItCannotRunAndLeavesTheConnectionUsable) {
    fill();
    EXPECT_THROW(db::BulkQuery(db(), s("SELECT N FROM BQ WHERE N = :n")).exec(), db::Error);
    EXPECT_THROW(db::BulkQuery(db(), s("SELECT N FROM BQ")).bind(s(":n"), qint64(1)).exec(), db::Error);
    EXPECT_THROW(db::BulkQuery(db(), s("SELECT NOPE FROM BQ")).exec(), db::Error);
    {
        db::Transaction tx(db());
        db::Statement(db(), s("DELETE FROM BQ WHERE N = 0")).exec();
        EXPECT_THROW(db::BulkQuery(db(), s("SELECT NOPE FROM BQ")).exec(), db::Error);
    }
    EXPECT_EQ(count(s("BQ")), qint64(std::size(kValues)));
    db::BulkQuery q(db(), s("SELECT COUNT(*) FROM BQ WHERE T = :t"));
    q.bind(s(":t"), s("甲商品")).exec();
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.integer(0), 1);
}

TEST(BulkQueryPlaceholders, numbersNamesOnceAndLeavesQuotesAndCastsAlone) {
    const auto [text, names] = db::numberedPlaceholders(
        s("SELECT ':x', a::text FROM t WHERE b = :b AND c = :c_2 OR b = :b"));
    EXPECT_EQ(text, s("SELECT ':x', a::text FROM t WHERE b = $1 AND c = $2 OR b = $1"));
    EXPECT_EQ(names, (QStringList{s(":b"), s(":c_2")}));
}

INSTANTIATE_TEST_SUITE_P(Backends, BulkQueryTest, ::testing::ValuesIn(backends()), backendName);
