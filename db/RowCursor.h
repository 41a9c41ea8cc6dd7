// A sorted statement run once and read forward a page at a time, so that a long result is
// neither held in memory nor sorted again for every page. SQLite steps its rows lazily, so
// one open statement serves; PostgreSQL's client would load a whole result at once, so
// there the rows wait on the server in a cursor of this session.
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
    static std::unique_ptr<RowCursor> open(Connection& connection, const QString& sql, const Values& values);
    virtual ~RowCursor() = default;  // releases the statement or the server's cursor
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    // The result's column names as the database gives them (lower case on PostgreSQL).
    const QStringList& columns() const { return m_columns; }
    // The next `count` rows (fewer only at the end), all columns in result order.
    virtual std::vector<Row> fetch(int count) = 0;
    // Passes over `count` rows without reading them.
    virtual void skip(qint64 count) = 0;
    // Goes back to row `row` (0-based) when the result can be read again as it stands;
    // false when only a new statement could (the position is then unchanged).
    virtual bool rewind(qint64 row) = 0;

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
