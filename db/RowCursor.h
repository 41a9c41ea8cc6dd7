// A sorted statement run once and read forward a page at a time, so that a long result is
// neither held in memory nor sorted again for every page. SQLite steps its rows lazily, so
// one open statement serves; PostgreSQL's client would load a whole result at once, so
// there the rows wait on the server in a cursor of the session.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <utility>
#include <vector>

namespace db {

class Connection;

class RowCursor {
public:
    using Values = std::vector<std::pair<QString, QVariant>>;
    using Row = QVector<QVariant>;

    // Runs `sql` with its :name placeholders bound from `values` (the forms Statement binds).
    // Throws db::Error. The cursor must be released before the connection closes.
    // On PostgreSQL the cursor is WITH HOLD: it outlives the transaction it was declared in,
    // and outside one the server computes and stores the whole result before the first row.
    static std::unique_ptr<RowCursor> open(Connection& connection, const QString& sql, const Values& values);
    // For browsing a long result a page at a time. On PostgreSQL `own` must be a connection
    // that serves this cursor alone: the cursor begins a read-only REPEATABLE READ transaction
    // there and declares itself without HOLD, so the server runs the plan only as far as rows
    // are fetched (an order an index serves gives its next page as soon as the first), and
    // every statement run on `own` while the cursor lives reads the same snapshot. The
    // transaction ends with the cursor; its snapshot holds back VACUUM meanwhile, so the
    // caller bounds the cursor's life. On SQLite a statement stepped on `own` as open() runs
    // it. The cursor starts after `passed` rows.
    static std::unique_ptr<RowCursor> openBrowsing(Connection& own, const QString& sql, const Values& values,
                                                   qint64 passed = 0);
    virtual ~RowCursor() = default;  // releases the statement or the server's cursor
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    // The result's column names as the database gives them (lower case on PostgreSQL).
    const QStringList& columns() const { return m_columns; }
    // The next `count` rows (fewer only at the end), all columns in result order.
    virtual std::vector<Row> fetch(int count) = 0;
    // Passes over `count` rows without reading them. A cursor only goes forward. (On SQLite a
    // long way runs the statement again with an OFFSET, so `sql` must have no Limit of its own.)
    virtual void skip(qint64 count) = 0;

    // The row the next fetch starts at.
    qint64 position() const { return m_position; }
    bool atEnd() const { return m_atEnd; }

protected:
    RowCursor() = default;
    QStringList m_columns;
    qint64 m_position = 0;
    bool m_atEnd = false;
};

}  // namespace db
