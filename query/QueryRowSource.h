// The rows of a query screen's grid. The first page comes from a statement limited to it,
// and scrolling on reads from one sorted statement kept open (db::RowCursor::openBrowsing) a
// page at a time, keeping only a few pages as rows, so a result of a million sale lines
// never sits in memory nor is sorted again for each page. On PostgreSQL that cursor lives in
// a read-only transaction on a connection of the grid's own, so the server produces rows only
// as they are fetched. A page that leaves memory is held packed, and scrolling back to it
// unpacks it. A first page that is full leaves the exact count to a RowCounter on a
// connection of its own: the grid shows its rows at once, grows as it is scrolled, and takes
// the count when it arrives (totalRowsKnown).
#pragma once

#include "query/ConditionBuilder.h"
#include "query/QueryItem.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QTimer>
#include <climits>
#include <QVector>
#include <deque>
#include <map>
#include <memory>

namespace db {
class Connection;
class RowCursor;
class Statement;
}

namespace query {

class BackgroundReader;
class RowCounter;

// The same statement as open()'s `select` written with its filter's lookup form
// (Filter::lookup), and the probe that counts the lookup table's rows meeting the filter.
struct LookupSelect {
    QString select;
    QString probe;
    BoundValues probeValues;
};

class QueryRowSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryRowSource(QueryItems items, QObject* parent = nullptr);
    ~QueryRowSource() override;

    // Makes the rows of `select` (a statement with its filter, without the order clause)
    // readable in `order` followed by `rowKey`, and reads the first page. `rowKey` names the
    // result's columns that no two rows share (empty when `order` already tells every row
    // apart), so that the first page, the cursor and a page read again by its own statement
    // place rows the order leaves equal alike. Throws db::Error; the source is then closed
    // (no rows). The open statement or cursor is released by close(), by the next open() and
    // with the source; so is a count under way.
    // With a `lookup` form, SQLite runs that form instead when its lookup table has at most
    // kLookupMost rows meeting the filter (counted first, stopping past that): a sale number
    // 包含 a part that few sales have is then found among the headers and only their lines
    // are read and sorted, where the plain form reads every line in order to find them. When
    // many rows meet it the plain form's ordered read stops at the first page soonest. The
    // bound is low so that the count stops early for a filter that many sales meet (1,100 of
    // 100,000 sales: a fifth of the headers read, where the plain form needs 20 ms).
    void open(db::Connection& connection, const QString& select, const QString& order, const QString& rowKey,
              const BoundValues& values, const LookupSelect& lookup = {});
    static constexpr int kLookupMost = 300;
    void setLookupMost(int rows) { m_lookupMost = rows; }
    // Whether the last open() chose the lookup form.
    bool ledByLookup() const { return m_ledByLookup; }
    void close();
    bool isOpen() const { return m_connection != nullptr; }
    // The exact number of rows, or -1 while it is being counted.
    qint64 totalRows() const { return m_total; }
    // Counts cancelled because the query changed or closed first (for tests).
    int cancelledCounts() const;

    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The raw value of item `column` in `row` (null outside the result).
    QVariant value(int row, int column) const;
    const QueryItem& item(int column) const { return m_items[size_t(column)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Page size and how many pages stay in memory as rows.
    void setPaging(int pageRows, int keptPages);
    int keptPageCount() const { return int(m_pages.size()); }
    // Pages held packed after leaving memory.
    int heldPageCount() const { return int(m_held.size()); }
    int pageRows() const { return m_pageRows; }
    // How many sorted statements the query has run: the first page's, each cursor's, and one
    // for each page read by a statement of its own. Scrolling down, and back to pages read
    // before, adds none after the cursor's.
    int sortedStatements() const { return m_sortedStatements; }
    // An open cursor left unread this long is released, and with it what it holds on the
    // database (PostgreSQL: its transaction's snapshot, which holds back VACUUM; SQLite: a
    // read of the file, which holds back the checkpoint). Later pages open a new one.
    static constexpr int DefaultCursorIdleMs = 60 * 1000;
    void setCursorIdleRelease(int ms);
    bool holdsCursor() const { return m_cursor != nullptr; }
    // PostgreSQL: the server process of the connection the cursor reads on (0 while there is
    // none, and on SQLite, where the cursor reads on the query's connection). For tests.
    qint64 browsingServerProcess() const { return m_browsingProcess; }

    // A page the grid paints that could only be reached by passing over more than this many
    // rows (a jump of the scroll bar to the middle: a sorted statement with an OFFSET, or a
    // server cursor moved that far) is read on a connection and thread of its own, with pages
    // around it, so the window keeps turning its events; its rows show empty until they
    // arrive (dataChanged). A newer such page stops the read of the older one. Scrolling down
    // through such pages has the next ones read before they come into view. value() always
    // answers at once, reading where it must.
    static constexpr qint64 kBackgroundPassing = 20000;
    void setBackgroundPassing(qint64 rows) { m_backgroundPassing = rows; }
    // The page being read in the background, or -1.
    qint64 pageUnderWay() const { return m_jumpPage; }
    // Background page reads stopped by a newer one, the query's change or its close (for tests).
    int cancelledPageReads() const;

Q_SIGNALS:
    void totalRowsKnown(qint64 rows);
    void countFailed(const QString& message);

private:
    using Row = QVector<QVariant>;
    void takeCount(quint64 request, qint64 rows);
    bool lookupServes(db::Connection& connection, const LookupSelect& lookup) const;
    struct Page {
        qint64 number;
        std::vector<Row> rows;
    };
    // The row, read first if need be; with `painting`, nullptr while a far page is read in
    // the background.
    const Row* rowAt(qint64 row, bool painting = false) const;
    const Page* loaded(qint64 page) const;
    const Page& load(qint64 page) const;
    // Where a page is and how many rows each way of reaching it passes over (LLONG_MAX: no such
    // way): from the top, from the end in reversed order, or moving the open cursor on.
    struct Reach {
        qint64 start = 0;
        qint64 rowsHere = 0;
        qint64 fromEnd = LLONG_MAX;
        qint64 moving = LLONG_MAX;
    };
    Reach reach(qint64 page) const;
    // The fewest rows any way of reading `page` passes over.
    qint64 passingToRead(qint64 page) const;
    // Rows read by their own statement with an OFFSET, from the top or from the end.
    struct Span {
        QString sql;
        qint64 rows;
        qint64 skipped;
        bool reversed;
    };
    Span spanOf(qint64 start, qint64 rows) const;
    static std::vector<Row> readSpan(db::Connection& connection, const Span& span, const BoundValues& values,
                                     const QueryItems& items);
    // Whether painting `page` would have it read in the background.
    bool readsFar(qint64 page) const;
    // `inView`: the page is painted; otherwise it is read ahead of the scrolling.
    void readInBackground(qint64 page, bool inView = true) const;
    void takeBackgroundPages(quint64 request, qint64 firstPage, std::vector<Row> rows);
    void stopBackgroundRead() const;
    // The result column of each item (-1 where the result has none).
    static std::vector<int> fieldsOf(const QueryItems& items, const QStringList& resultColumns);
    std::vector<int> fieldsOf(const QStringList& resultColumns) const { return fieldsOf(m_items, resultColumns); }
    // `count` rows from row `passed` of the cursor's own order (reversed for a cursor from the end).
    std::vector<Row> readFromCursor(qint64 passed, qint64 count) const;
    std::vector<Row> readAgain(qint64 start) const;
    // The rows of a statement run, the items' columns of each.
    static std::vector<Row> rowsOf(db::Statement& statement, const QueryItems& items, qint64 expected);
    void openCursor(bool fromEnd, qint64 passed) const;
    void releaseCursor() const;
    void keep(Page page) const;

    QueryItems m_items;
    db::Connection* m_connection = nullptr;
    QString m_sortedSql;
    // PostgreSQL: the connection the cursor and the pages read beside it use, kept while the
    // grid lives (its cursor's transaction is not the query connection's business).
    mutable std::unique_ptr<db::Connection> m_browsing;
    mutable qint64 m_browsingProcess = 0;
    mutable std::unique_ptr<db::RowCursor> m_cursor;
    mutable std::vector<int> m_cursorFields;
    mutable bool m_cursorReversed = false;  // reads from the end upwards
    mutable bool m_cursorFailed = false;  // a cursor that failed is not run again for the query
    mutable qint64 m_lastPage = -1;       // the page last asked for: tells scrolling from a jump
    mutable int m_sortedStatements = 0;
    mutable QTimer m_cursorIdle;
    QString m_pageSql;                // a page read by its own statement
    // The same in reversed order, read from the end (empty where the order cannot be reversed
    // term by term).
    QString m_reversedSql;
    QString m_reversedPageSql;
    BoundValues m_values;
    bool m_ledByLookup = false;
    int m_lookupMost = kLookupMost;
    qint64 m_total = 0;
    qint64 m_known = 0;               // rows read so far while the count is under way
    std::unique_ptr<RowCounter> m_counter;
    quint64 m_countRequest = 0;
    mutable std::unique_ptr<BackgroundReader> m_pageReader;
    mutable quint64 m_jumpRequest = 0;
    mutable qint64 m_jumpPage = -1;
    mutable qint64 m_jumpFirstPage = 0;
    mutable qint64 m_jumpFailedPage = -1;  // read where it is wanted instead, as before
    qint64 m_backgroundPassing = kBackgroundPassing;
    // Scrolling down reads on from the open cursor; six pages stay in memory as rows, and a
    // page that leaves is held packed (a few tens of kilobytes for 1,000 sale lines), so a page
    // scrolled back to is never read again. Only a page not read yet (a jump of the scroll
    // bar) is read when first wanted, by whichever passes over fewer rows: moving the cursor
    // on, or a new cursor from the top or, in reversed order, from the end (which then serves
    // scrolling up from there).
    int m_pageRows = 1000;
    int m_keptPages = 6;
    mutable std::deque<Page> m_pages;  // most recently used first
    mutable std::map<qint64, QByteArray> m_held;
};

}  // namespace query
