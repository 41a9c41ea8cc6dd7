// The rows of a query screen's grid. The exact count comes from the database (count(*)
// over the same filter); rows are read a page at a time when the grid shows them and only
// a few pages are kept, so a result of a million sale lines never sits in memory.
#pragma once

#include "query/ConditionBuilder.h"
#include "query/QueryItem.h"

#include <QAbstractTableModel>
#include <QVector>
#include <deque>

namespace db { class Connection; }

namespace query {

class QueryRowSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryRowSource(QueryItems items, QObject* parent = nullptr);

    // Counts the rows of `select` (a statement with its filter, without the order clause) and
    // makes them readable in `order`. Throws db::Error; the source is then closed (no rows).
    void open(db::Connection& connection, const QString& select, const QString& order, const BoundValues& values);
    void close();
    bool isOpen() const { return m_connection != nullptr; }
    qint64 totalRows() const { return m_total; }

    // The raw value of item `column` in `row` (null outside the result).
    QVariant value(int row, int column) const;
    const QueryItem& item(int column) const { return m_items[size_t(column)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Page size and how many pages stay in memory.
    void setPaging(int pageRows, int keptPages);
    int keptPageCount() const { return int(m_pages.size()); }
    int pageRows() const { return m_pageRows; }

private:
    using Row = QVector<QVariant>;
    struct Page {
        qint64 number;
        std::vector<Row> rows;
    };
    const Row* rowAt(qint64 row) const;
    const Page& load(qint64 page) const;

    QueryItems m_items;
    db::Connection* m_connection = nullptr;
    QString m_pageSql;
    BoundValues m_values;
    qint64 m_total = 0;
    // Each page not in memory costs one sorted statement (seconds over a million rows), so
    // pages are large; six of them stay in memory.
    int m_pageRows = 1000;
    int m_keptPages = 6;
    mutable std::deque<Page> m_pages;  // most recently used first
};

}  // namespace query
