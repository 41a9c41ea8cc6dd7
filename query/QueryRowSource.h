// The rows of a query screen's grid. The first page comes from a statement limited to it,
// and scrolling on reads from one sorted statement kept open (db::RowCursor) a page at a
// time, keeping only a few pages as rows, so a result of a million sale lines never sits in
// memory nor is sorted again for each page. A page that leaves memory is held packed, and
// scrolling back to it unpacks it. A first page that is full leaves the exact count to a
// RowCounter on a connection of its own: the grid shows its rows at once, grows as it is
// scrolled, and takes the count when it arrives (totalRowsKnown).
#pragma once

#include "query/ConditionBuilder.h"
#include "query/QueryItem.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QVector>
#include <deque>
#include <map>
#include <memory>

namespace db {
class Connection;
class RowCursor;
}

namespace query {

class RowCounter;

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
    void open(db::Connection& connection, const QString& select, const QString& order, const QString& rowKey,
              const BoundValues& values);
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
    // How many sorted statements the query has run: the first page's, the cursor's, and one
    // for each page read again. Scrolling down, and back to pages read before, adds none
    // after the cursor's.
    int sortedStatements() const { return m_sortedStatements; }

Q_SIGNALS:
    void totalRowsKnown(qint64 rows);
    void countFailed(const QString& message);

private:
    using Row = QVector<QVariant>;
    void takeCount(quint64 request, qint64 rows);
    struct Page {
        qint64 number;
        std::vector<Row> rows;
    };
    const Row* rowAt(qint64 row) const;
    const Page& load(qint64 page) const;
    // The result column of each item (-1 where the result has none).
    std::vector<int> fieldsOf(const QStringList& resultColumns) const;
    std::vector<Row> readFromCursor(qint64 start) const;
    std::vector<Row> readAgain(qint64 start) const;
    void keep(Page page) const;

    QueryItems m_items;
    db::Connection* m_connection = nullptr;
    QString m_sortedSql;
    mutable std::unique_ptr<db::RowCursor> m_cursor;
    mutable std::vector<int> m_cursorFields;
    mutable bool m_cursorOpened = false;
    mutable int m_sortedStatements = 0;  // once a query: a cursor that failed is not run again
    QString m_pageSql;                // a page read again by its own statement
    BoundValues m_values;
    qint64 m_total = 0;
    qint64 m_known = 0;               // rows read so far while the count is under way
    std::unique_ptr<RowCounter> m_counter;
    quint64 m_countRequest = 0;
    // Scrolling down reads on from the open cursor; six pages stay in memory as rows, and a
    // page that leaves is held packed (a few tens of kilobytes for 1,000 sale lines), so a page
    // scrolled back to is never read again. Only a page passed over without being read (a jump
    // down the scroll bar) is read when first wanted: by the cursor where the result is held
    // on the server, else by a statement of its own.
    int m_pageRows = 1000;
    int m_keptPages = 6;
    mutable std::deque<Page> m_pages;  // most recently used first
    mutable std::map<qint64, QByteArray> m_held;
};

}  // namespace query
