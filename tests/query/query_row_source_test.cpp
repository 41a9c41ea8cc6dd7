// The query grid's rows over a long result: one sorted statement read forward page by page,
// pages scrolled back to taken from what is held, pages jumped to read from the nearer end,
// and the open statement or server cursor (with its snapshot) released when the query is
// replaced, closed, left idle or the grid goes.
#include "QueryFixture.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "query/ConditionBuilder.h"
#include "query/QueryRowSource.h"
#include "query/RowCounter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <QSet>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

class QueryRowSourceTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        queryfixture::install(db());  // the product and operator the lines refer to
    }

    // Loss lines L000 … , three to a number: the order clause (BSDNO) leaves ties that
    // only the product name tells apart.
    void addLossLines(db::Connection& c, int n, const QString& prefix = u("L")) {
        db::Transaction tx(c);
        db::Statement line(c, u("insert into BSB(BSDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO, CZRQ) "
                                "values(:no, '1001', :name, '盒', 1, 2.5, 2.5, '001', :at)"));
        for (int i = 0; i < n; ++i)
            line.bind(u(":no"), prefix + u("%1").arg(i / 3, 3, 10, QLatin1Char('0')))
                .bind(u(":name"), u("样品%1").arg(i, 3, 10, QLatin1Char('0')))
                .bind(u(":at"), QDateTime(QDate(2005, 3, 1), QTime(9, 0)))
                .exec();
        tx.commit();
    }

    // The loss query as its screen runs it: numbers containing `content`.
    void openLosses(query::QueryRowSource& rows, const QString& content) {
        query::ConditionBuilder builder(items());
        ASSERT_EQ(builder.finish(u("报损单号"), u("包含"), content), query::ConditionBuilder::Outcome::Done);
        rows.open(db(), u("Select * from vwBSCX Where ") + builder.filter().whereText, u("Order By BSDNO"), u("ID"),
                  builder.filter().values);
        waitForCount(rows);
    }

    // A full first page leaves the count to the background; the grid takes it from the event loop.
    static void waitForCount(query::QueryRowSource& rows) {
        QElapsedTimer waited;
        waited.start();
        while (rows.totalRows() < 0 && waited.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        ASSERT_GE(rows.totalRows(), 0) << "no count within 20 s";
    }

    static query::QueryItems items() {
        return {query::textItem(u("报损单号"), u("BSDNO"), 15), query::textItem(u("商品名称"), u("SPNAME"), 40),
                query::amountItem(u("单价"), u("DJ"))};
    }

    // Whether the server still runs the transaction of the grid's browsing connection
    // (`process`), which holds its snapshot; on SQLite whether the grid holds its statement.
    bool holdsSnapshot(const query::QueryRowSource& rows, qint64 process) {
        if (!postgres()) return rows.holdsCursor();
        EXPECT_NE(process, 0);
        db::Statement s(db(), u("select count(*) from pg_stat_activity where pid = :pid "
                                "and (xact_start is not null or backend_xmin is not null)"));
        s.bind(u(":pid"), process);
        return s.first() && s.value(0).toLongLong() > 0;
    }
    bool holdsSnapshot(const query::QueryRowSource& rows) { return holdsSnapshot(rows, rows.browsingServerProcess()); }
    bool postgres() const { return GetParam() == db::Backend::Postgres; }

    // Another till writes, then this one posts in a transaction of its own. On SQLite a
    // statement left open would pin this connection to an older state of the file and the
    // post would fail; on PostgreSQL the cursor would linger on the server.
    void anotherTillThenThisOneWrites(const QString& number) {
        auto other = openAnother();
        addLossLines(*other, 1, number);
        addLossLines(db(), 1, number + u("x"));
    }
};

TEST_P(QueryRowSourceTest, pagesAreReadOnceInOrderFromOneStatementWhileOthersWrite) {
    addLossLines(db(), 47);
    query::QueryRowSource rows(items());
    rows.setPaging(5, 2);
    openLosses(rows, u("L0"));
    ASSERT_EQ(rows.totalRows(), 47);
    QStringList numbers;
    QSet<QString> names;
    for (int r = 0; r < 47; ++r) {
        // Once scrolling has begun, lines that another till adds, sorting before the rows
        // still to come, do not move them: they all come from the one sorted statement.
        if (r == 10) addLossLines(*openAnother(), 6, u("L00"));
        numbers << rows.value(r, 0).toString();
        names.insert(rows.value(r, 1).toString());
        EXPECT_LE(rows.keptPageCount(), 2);
    }
    EXPECT_EQ(names.size(), 47);  // every row exactly once, although the order leaves ties
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(numbers.front(), u("L000"));
    EXPECT_EQ(numbers.back(), u("L015"));
    EXPECT_FALSE(numbers.contains(u("L00000")));
    EXPECT_EQ(rows.sortedStatements(), 2);  // the first page's and the cursor's, nothing sorted again
    EXPECT_TRUE(rows.value(47, 0).isNull());
    EXPECT_TRUE(holdsSnapshot(rows));
}

// Sixty loss lines alike in every shown column, listed by a column no index serves (so the
// database sorts them, and sorts a first page differently from a whole result): only the row
// key (the line's ID) places them. The first page, the cursor, a page read again by its own
// statement and a page held packed must agree, or rows would be lost or shown twice.
TEST_P(QueryRowSourceTest, rowsTheOrderLeavesEqualKeepTheirPlaceDownBackAndAfterAJump) {
    {
        db::Transaction tx(db());
        db::Statement line(db(), u("insert into BSB(BSDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO, CZRQ) "
                                   "values('L000', '1001', '样品', '盒', 1, 2.5, 2.5, '001', :at)"));
        for (int i = 0; i < 60; ++i) line.bind(u(":at"), QDateTime(QDate(2005, 3, 1), QTime(9, 0))).exec();
        tx.commit();
    }
    const query::QueryItems withKey{query::textItem(u("报损单号"), u("BSDNO"), 15), query::integerItem(u("行"), u("ID"))};
    query::ConditionBuilder builder(withKey);
    ASSERT_EQ(builder.finish(u("报损单号"), u("包含"), u("L0")), query::ConditionBuilder::Outcome::Done);
    query::QueryRowSource rows(withKey);
    rows.setPaging(4, 2);
    auto open = [&] {
        rows.open(db(), u("Select * from vwBSCX Where ") + builder.filter().whereText, u("Order By SPNAME"), u("ID"),
                  builder.filter().values);
        waitForCount(rows);
    };
    open();
    ASSERT_EQ(rows.totalRows(), 60);
    std::vector<qint64> down;
    for (int r = 0; r < 60; ++r) down.push_back(rows.value(r, 1).toLongLong());
    EXPECT_TRUE(std::adjacent_find(down.begin(), down.end(), std::greater_equal<qint64>()) == down.end())
        << "each line once, in the order of the key";
    EXPECT_EQ(rows.heldPageCount(), 13);  // every page read but the two in memory
    std::vector<qint64> back;
    for (int r = 59; r >= 0; --r) back.push_back(rows.value(r, 1).toLongLong());
    EXPECT_TRUE(std::equal(back.begin(), back.end(), down.rbegin(), down.rend()));
    EXPECT_LE(rows.keptPageCount(), 2);
    EXPECT_EQ(rows.sortedStatements(), 2);  // scrolling back read nothing again

    // A jump down the scroll bar passes pages without reading them; the first visit to one of
    // them reads it: the last page from a cursor in reversed order begun at the end, a middle
    // page by moving that cursor on. Pages visited before are not read again.
    open();
    std::vector<std::pair<int, qint64>> visited;
    for (int r : {0, 57, 30, 2, 31, 58, 1}) visited.emplace_back(r, rows.value(r, 1).toLongLong());
    for (const auto& [r, id] : visited) EXPECT_EQ(id, down[size_t(r)]) << "row " << r;
    EXPECT_EQ(rows.sortedStatements(), 2);

    // Scrolling on from a jump reads on one cursor in the scrolling's direction, instead of
    // beginning one for every page: down from a jump into the last third (read from the end),
    // then back up past where the jump landed.
    open();
    for (int r = 40; r < 56; ++r) EXPECT_EQ(rows.value(r, 1).toLongLong(), down[size_t(r)]) << "row " << r;
    for (int r = 55; r >= 28; --r) EXPECT_EQ(rows.value(r, 1).toLongLong(), down[size_t(r)]) << "row " << r;
    EXPECT_EQ(rows.sortedStatements(), 4);  // the first page, the jump, one cursor down, one up
}

// Lines whose order column repeats across page boundaries (and is empty for some, which
// PostgreSQL sorts last and SQLite first), read in every way the grid reads: down and back,
// from the end upwards (pages read in reversed order), from the middle, and on after the
// cursor was released for being left idle. Each visit must show the row the whole sorted
// result has there: no row lost or shown twice at a boundary.
TEST_P(QueryRowSourceTest, tiedRowsKeepTheirPlaceHoweverThePagesAreReached) {
    {
        db::Transaction tx(db());
        db::Statement line(db(), u("insert into BSB(BSDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO, CZRQ) "
                                   "values(:no, '1001', :name, '盒', 1, 2.5, 2.5, '001', :at)"));
        for (int i = 0; i < 61; ++i)
            line.bind(u(":no"), u("T%1").arg(i / 7))  // seven lines to a number
                .bindTextOrNull(u(":name"), i % 5 == 0 ? QString() : u("样品%1").arg(i % 3))
                .bind(u(":at"), QDateTime(QDate(2005, 3, 1), QTime(9, 0)))
                .exec();
        tx.commit();
    }
    const query::QueryItems withKey{query::textItem(u("报损单号"), u("BSDNO"), 15), query::integerItem(u("行"), u("ID"))};
    const std::vector<int> down = [] { std::vector<int> v(61); for (int r = 0; r < 61; ++r) v[size_t(r)] = r; return v; }();
    std::vector<int> up(down.rbegin(), down.rend());
    std::vector<int> fromEnd{60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 30, 29, 28, 0, 1, 2, 3, 4, 5};
    std::vector<int> fromMiddle{33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 32, 31, 30, 29, 28, 27, 26, 25, 12};
    struct Case { const char* order; std::vector<int> rows; };
    for (const Case& c : {Case{"Order By BSDNO", down}, Case{"Order By BSDNO", fromEnd}, Case{"Order By BSDNO", fromMiddle},
                          Case{"Order By SPNAME desc", up}, Case{"Order By SPNAME desc", fromEnd},
                          Case{"Order By SPNAME desc, BSDNO", fromMiddle}}) {
        SCOPED_TRACE(c.order);
        const QString order = QString::fromUtf8(c.order);
        std::vector<qint64> expected;
        {
            db::Statement all(db(), u("Select * from vwBSCX Where BSDNO like 'T%' ") + order + u(", ID"));
            all.exec();
            while (all.next()) expected.push_back(all.value(u("ID")).toLongLong());
        }
        ASSERT_EQ(expected.size(), 61u);
        query::ConditionBuilder builder(withKey);
        ASSERT_EQ(builder.finish(u("报损单号"), u("包含"), u("T")), query::ConditionBuilder::Outcome::Done);
        query::QueryRowSource rows(withKey);
        rows.setPaging(4, 2);
        rows.open(db(), u("Select * from vwBSCX Where ") + builder.filter().whereText, order, u("ID"), builder.filter().values);
        waitForCount(rows);
        ASSERT_EQ(rows.totalRows(), 61);
        for (int r : c.rows) EXPECT_EQ(rows.value(r, 1).toLongLong(), expected[size_t(r)]) << "row " << r;
        // Every row once more, in order: what is held agrees with what was read.
        for (int r = 0; r < 61; ++r) EXPECT_EQ(rows.value(r, 1).toLongLong(), expected[size_t(r)]) << "row " << r;
    }

    // Left idle, the cursor goes and with it the snapshot; scrolling on opens a new one.
    query::ConditionBuilder builder(withKey);
    ASSERT_EQ(builder.finish(u("报损单号"), u("包含"), u("T")), query::ConditionBuilder::Outcome::Done);
    query::QueryRowSource rows(withKey);
    rows.setPaging(4, 2);
    rows.setCursorIdleRelease(50);
    rows.open(db(), u("Select * from vwBSCX Where ") + builder.filter().whereText, u("Order By BSDNO"), u("ID"),
              builder.filter().values);
    waitForCount(rows);
    std::vector<qint64> ids;
    for (int r = 0; r < 10; ++r) ids.push_back(rows.value(r, 1).toLongLong());
    ASSERT_TRUE(holdsSnapshot(rows));
    QElapsedTimer waited;
    waited.start();
    while (rows.holdsCursor() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    EXPECT_FALSE(holdsSnapshot(rows));
    for (int r = 10; r < 61; ++r) ids.push_back(rows.value(r, 1).toLongLong());
    std::vector<qint64> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) << "a row shown twice";
    EXPECT_EQ(ids.size(), 61u);
    EXPECT_EQ(rows.sortedStatements(), 3);  // the first page's and one cursor before and after the pause
}

// Sale lines filtered on the sale number, read through the view as the sale-line screen reads
// them: in the plain form, in the form led by the headers, and as the grid chooses between
// them (the fixture has two sales besides these). The sales share days and products, so only the line's ID orders many lines; one sale
// is voided and must stay out. Every form must give the same rows in the same order.
TEST_P(QueryRowSourceTest, aSaleNumberFilterLedByTheHeadersGivesTheSameRowsInTheSameOrder) {
    {
        db::Transaction tx(db());
        db::Statement sale(db(), u("insert into XSB(XSNO, SPZE, SKZE, BNNO, XSDATE, KHNO, KHName, KHLX, ZFBZ) "
                                   "values(:no, 1, 1, '001', :at, '000', '零售', 'L', :void)"));
        db::Statement line(db(), u("insert into XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, XSDAY) "
                                   "values(:no, :product, '样品', '盒', 1, 2.5, 100, 2.5, :day)"));
        const char* products[] = {"2001", "1001", "1002"};
        for (int i = 0; i < 30; ++i) {
            const QString number = u("X%1").arg(i, 14, 10, QLatin1Char('0'));
            const QDate day = QDate(2005, 3, 1).addDays(i % 4);  // days out of number order
            sale.bind(u(":no"), number).bind(u(":at"), QDateTime(day, QTime(9, 0))).bind(u(":void"), i == 17 ? 1 : 0).exec();
            for (int l = 0; l < 1 + i % 3; ++l)
                line.bind(u(":no"), number).bind(u(":product"), products[(i + l) % 3])
                    .bind(u(":day"), day.toString(Qt::ISODate)).exec();
        }
        tx.commit();
    }
    query::QueryItem number = query::textItem(u("销售编号"), u("XSNO"), 15);
    number.lookupTable = u("XSB");
    const query::QueryItems withKey{number, query::textItem(u("商品编码"), u("SPNO"), 15), query::integerItem(u("行"), u("ID"))};
    const QString base = u("Select * From vwSPXSMXCX Where ");
    const QString order = u("Order by XSDate, SPNO ");
    struct Condition { const char* item; const char* comparison; const char* content; };
    struct Case {
        std::vector<Condition> conditions;
        qint64 rows;
        bool ledByHeaders;  // on SQLite, with at most five matching headers to choose the lookup form
    };
    const Case cases[] = {
        {{{"销售编号", "包含", "0016"}}, 2, true},                                   // one sale
        {{{"销售编号", "包含", "0001"}}, 21, false},                                 // thirteen sales, one voided
        {{{"销售编号", "包含", "1"}}, 22, false},
        {{{"销售编号", "不包含", "1"}}, 37, false},
        {{{"销售编号", "等于", "X00000000000005"}}, 3, true},
        {{{"销售编号", "包含", "0017"}}, 0, true},                                   // the voided sale
        {{{"销售编号", "包含", "x00000000000025"}}, 2, true},                        // SQLite's LIKE ignores case
        {{{"商品编码", "等于", "1001"}, {"销售编号", "包含", "0022"}}, 1, true},
        {{{"销售编号", "包含", "0002"}, {"销售编号", "不包含", "0"}}, 0, true},
        {{{"商品编码", "等于", "1001"}, {"销售编号", "大于", "X00000000000026"}}, 3, true},
    };
    auto readAll = [&](query::QueryRowSource& rows) {
        waitForCount(rows);
        std::vector<std::pair<QString, qint64>> all;
        for (int r = 0; r < rows.totalRows(); ++r) all.emplace_back(rows.value(r, 0).toString(), rows.value(r, 2).toLongLong());
        // From the end upwards too: the cursor in reversed order gives the same rows.
        for (int r = int(rows.totalRows()) - 1; r >= 0; --r)
            EXPECT_EQ(rows.value(r, 2).toLongLong(), all[size_t(r)].second) << "row " << r << " from the end";
        return all;
    };
    for (const Case& c : cases) {
        query::ConditionBuilder builder(withKey);
        std::string described;
        for (size_t i = 0; i < c.conditions.size(); ++i) {
            const Condition& k = c.conditions[i];
            described += std::string(k.item) + k.comparison + k.content + " ";
            const auto outcome = i + 1 < c.conditions.size()
                                   ? builder.commit(u(k.item), u(k.comparison), u(k.content), u("并且"))
                                   : builder.finish(u(k.item), u(k.comparison), u(k.content));
            ASSERT_EQ(outcome, query::ConditionBuilder::Outcome::Done);
        }
        SCOPED_TRACE(described);
        const query::Filter& f = builder.filter();
        ASSERT_FALSE(f.lookup.isEmpty());
        const query::LookupSelect lookup{base + f.lookup.whereText, f.lookup.probe, f.lookup.probeValues};
        query::QueryRowSource rows(withKey);
        rows.setPaging(4, 2);
        rows.setLookupMost(5);
        rows.open(db(), base + f.whereText, order, u("ID"), f.values);
        const auto plain = readAll(rows);
        const bool upperOnly = described.find('x') != std::string::npos && postgres();  // PostgreSQL's LIKE heeds case
        EXPECT_EQ(qint64(plain.size()), upperOnly ? 0 : c.rows);
        EXPECT_FALSE(rows.ledByLookup());
        // The lookup form run as the statement itself, on either backend.
        rows.open(db(), lookup.select, order, u("ID"), f.values);
        EXPECT_EQ(readAll(rows), plain);
        rows.open(db(), base + f.whereText, order, u("ID"), f.values, lookup);
        EXPECT_EQ(rows.ledByLookup(), c.ledByHeaders && !postgres());
        EXPECT_EQ(readAll(rows), plain);
        std::vector<std::pair<QString, qint64>> sorted = plain;
        std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) << "a line shown twice";
        for (const auto& [no, id] : plain) EXPECT_NE(no, u("X00000000000017")) << "a voided sale's line";
    }
}

// The scroll bar dragged far down: the grid paints the page without reading it, the page and
// its neighbours arrive from the background and are announced, a newer jump stops the older
// one's read, and every row, then and afterwards, is the row the whole sorted result has there.
TEST_P(QueryRowSourceTest, aFarPageIsReadInTheBackgroundAndANewerJumpStopsTheOlder) {
    addLossLines(db(), 300);
    std::vector<QString> expected;
    {
        db::Statement all(db(), u("Select * from vwBSCX Where BSDNO like 'L0%' Order By BSDNO, ID"));
        all.exec();
        while (all.next()) expected.push_back(all.value(u("SPNAME")).toString());
    }
    ASSERT_EQ(expected.size(), 300u);
    query::QueryRowSource rows(items());
    rows.setPaging(5, 3);
    rows.setBackgroundPassing(10);
    openLosses(rows, u("L0"));
    ASSERT_EQ(rows.totalRows(), 300);
    std::vector<std::pair<int, int>> announced;
    QObject::connect(&rows, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex& to) {
        announced.emplace_back(from.row(), to.row());
    });
    auto painted = [&](int row) { return rows.data(rows.index(row, 1), Qt::DisplayRole).toString(); };
    auto arrive = [&] {
        QElapsedTimer waited;
        waited.start();
        while (rows.pageUnderWay() >= 0 && waited.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        ASSERT_EQ(rows.pageUnderWay(), -1) << "no page within 20 s";
    };
    const int statementsBefore = rows.sortedStatements();
    EXPECT_EQ(painted(2), expected[2]);  // the first page is at hand

    EXPECT_EQ(painted(101), QString());  // shown empty until it arrives
    EXPECT_EQ(rows.pageUnderWay(), 20);
    EXPECT_EQ(painted(232), QString());  // a newer jump before the first arrived
    EXPECT_EQ(rows.pageUnderWay(), 46);
    EXPECT_EQ(rows.cancelledPageReads(), 1);
    arrive();
    ASSERT_EQ(announced.size(), 1u);
    EXPECT_LE(announced[0].first, 232);
    EXPECT_GE(announced[0].second, 232);
    EXPECT_EQ(painted(232), expected[232]);
    // The pages around it came along: painting them reads nothing. Near their end the pages
    // further down are read ahead, and are at hand when scrolled to.
    for (int r = 225; r < 275; ++r) {
        EXPECT_EQ(painted(r), expected[size_t(r)]) << "row " << r;
        if (r < 255) EXPECT_EQ(rows.pageUnderWay(), -1) << "row " << r;
    }
    EXPECT_EQ(rows.pageUnderWay(), 55);
    arrive();
    EXPECT_EQ(announced.size(), 2u);
    for (int r = 275; r < 300; ++r) EXPECT_EQ(painted(r), expected[size_t(r)]) << "row " << r;
    EXPECT_EQ(rows.pageUnderWay(), -1);
    EXPECT_EQ(painted(101), QString());  // the stopped read brought nothing
    arrive();
    EXPECT_EQ(painted(101), expected[101]);
    EXPECT_EQ(rows.sortedStatements(), statementsBefore);  // the window read nothing itself

    // value() answers at once, reading where it must, also for a page under way.
    EXPECT_EQ(painted(160), QString());
    EXPECT_EQ(rows.value(160, 1).toString(), expected[160]);
    arrive();
    for (int r = 0; r < 300; ++r) EXPECT_EQ(rows.value(r, 1).toString(), expected[size_t(r)]) << "row " << r;
    for (int r = 299; r >= 0; --r) EXPECT_EQ(painted(r), expected[size_t(r)]) << "row " << r;

    // A new query stops the read under way; nothing of it reaches the new rows.
    openLosses(rows, u("L0"));
    EXPECT_EQ(painted(150), QString());
    const int cancelled = rows.cancelledPageReads();
    openLosses(rows, u("L09"));
    EXPECT_EQ(rows.cancelledPageReads(), cancelled + 1);
    EXPECT_EQ(rows.pageUnderWay(), -1);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(rows.totalRows(), 3 * 10);
    EXPECT_EQ(rows.value(0, 0).toString(), u("L090"));
}

TEST_P(QueryRowSourceTest, replacingClosingOrDroppingTheQueryReleasesItsStatement) {
    addLossLines(db(), 30);
    qint64 process = 0;
    {
        query::QueryRowSource rows(items());
        rows.setPaging(5, 2);
        openLosses(rows, u("L0"));
        ASSERT_EQ(rows.value(7, 0).toString(), u("L002"));  // the statement stands after page two
        openLosses(rows, u("L00"));                          // a second query on the same grid
        EXPECT_EQ(rows.totalRows(), 30);
        EXPECT_EQ(rows.value(12, 0).toString(), u("L004"));
        EXPECT_TRUE(holdsSnapshot(rows));
        rows.close();
        EXPECT_FALSE(holdsSnapshot(rows));
        anotherTillThenThisOneWrites(u("C"));
        openLosses(rows, u("L0"));
        ASSERT_EQ(rows.value(6, 0).toString(), u("L002"));
        process = rows.browsingServerProcess();
        EXPECT_TRUE(holdsSnapshot(rows, process));
    }  // the grid goes with its screen
    if (postgres()) EXPECT_FALSE(holdsSnapshot(query::QueryRowSource(items()), process));
    anotherTillThenThisOneWrites(u("D"));
    EXPECT_EQ(count(u("BSB"), u("BSDNO like 'C%' or BSDNO like 'D%'")), 4);
}

TEST_P(QueryRowSourceTest, aFailingQueryLeavesTheGridClosed) {
    query::QueryRowSource rows(items());
    EXPECT_THROW(rows.open(db(), u("Select * from vwBSCX Where NOSUCHCOLUMN = :c1"), u("Order By BSDNO"), u("ID"),
                           {{u(":c1"), QVariant(u("x"))}}),
                 db::Error);
    EXPECT_FALSE(rows.isOpen());
    EXPECT_EQ(rows.rowCount(), 0);
    addLossLines(db(), 3);
    openLosses(rows, u("L"));
    EXPECT_EQ(rows.totalRows(), 3);
}

TEST_P(QueryRowSourceTest, aFullFirstPageShowsAtOnceAndAChangedQueryCancelsItsCount) {
    addLossLines(db(), 30);
    query::QueryRowSource rows(items());
    rows.setPaging(5, 2);
    QList<qint64> told;
    QObject::connect(&rows, &query::QueryRowSource::totalRowsKnown, [&](qint64 n) { told << n; });
    query::ConditionBuilder builder(items());
    ASSERT_EQ(builder.finish(u("报损单号"), u("包含"), u("L0")), query::ConditionBuilder::Outcome::Done);
    rows.open(db(), u("Select * from vwBSCX Where ") + builder.filter().whereText, u("Order By BSDNO"), u("ID"), builder.filter().values);
    // The first page is there before any count.
    EXPECT_EQ(rows.totalRows(), -1);
    EXPECT_EQ(rows.rowCount(), 5);
    EXPECT_EQ(rows.value(0, 0).toString(), u("L000"));
    // Scrolling on while counting grows the grid a page at a time.
    ASSERT_TRUE(rows.canFetchMore({}));
    rows.fetchMore({});
    EXPECT_EQ(rows.rowCount(), 10);
    EXPECT_EQ(rows.value(9, 0).toString(), u("L003"));

    // The operator narrows the query before the count came: its count is cancelled and only
    // the new query's count is ever shown.
    openLosses(rows, u("L00"));
    EXPECT_EQ(rows.cancelledCounts(), 1);
    EXPECT_EQ(rows.totalRows(), 30);
    QCoreApplication::processEvents();
    EXPECT_EQ(told, (QList<qint64>{30}));

    // A small answer is whole at once.
    openLosses(rows, u("L009"));
    EXPECT_EQ(rows.totalRows(), 3);
    EXPECT_EQ(told.back(), 3);
}

TEST_P(QueryRowSourceTest, aCountCancelledMidwayStopsItsStatement) {
    query::RowCounter counter(url());
    qint64 answer = -2;
    QObject::connect(&counter, &query::RowCounter::counted, [&](quint64, qint64 n) { answer = n; });
    // Long enough (minutes) that only a stopped statement lets the next count through in time.
    counter.start(u("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000000) SELECT i FROM n"), {});
    QThread::msleep(300);
    counter.start(u("Select * from BMAN"), {});
    QElapsedTimer waited;
    waited.start();
    while (answer == -2 && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    EXPECT_EQ(answer, count(u("BMAN")));
    EXPECT_EQ(counter.cancelledCount(), 1);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Backends, QueryRowSourceTest, ::testing::ValuesIn(backends()), backendName);
