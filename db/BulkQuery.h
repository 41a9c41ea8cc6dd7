// A large read-only result read straight through the backend's own client library: sqlite3
// statements stepped on the connection's handle, libpq on PostgreSQL. The Qt drivers build a
// QVariant for every value of every row, which costs more than the statement itself once a
// result has hundreds of thousands of rows (a summary of every product, a carry-forward).
//
// It runs on the connection of the caller, inside whatever transaction that connection has
// open, and binds its :name values as Statement does (money as a number on SQLite and as
// decimal text on PostgreSQL, times as "yyyy-MM-dd HH:mm:ss"); values never enter the text.
// On PostgreSQL the whole result arrives at once: meant for results that fit in memory, which
// the caller would hold anyway.
#pragma once

#include "db/Money.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>
#include <vector>

namespace db {

class Connection;

class BulkQuery {
public:
    BulkQuery(Connection& connection, const QString& sql);
    ~BulkQuery();
    BulkQuery(const BulkQuery&) = delete;
    BulkQuery& operator=(const BulkQuery&) = delete;

    BulkQuery& bind(const QString& name, const QString& value);
    BulkQuery& bind(const QString& name, Money value);
    BulkQuery& bind(const QString& name, double value);
    BulkQuery& bind(const QString& name, qint64 value);
    BulkQuery& bind(const QString& name, const QDateTime& value);
    BulkQuery& bind(const QString& name, const QDate& value) { return bind(name, QDateTime(value, QTime(0, 0))); }

    // Runs the statement; throws db::Error (classified as Statement's are) on failure.
    BulkQuery& exec();
    // The next row; false after the last. Throws db::Error when reading fails.
    bool next();

    int columnCount() const;
    bool isNull(int column) const;
    // The value's UTF-8 bytes, valid until the next row; empty for NULL.
    QByteArrayView utf8(int column) const;
    QString text(int column) const { return QString::fromUtf8(utf8(column)); }
    double real(int column) const;
    qint64 integer(int column) const;
    // NULL reads as zero, as Statement::money reads it.
    Money money(int column) const;

    class Backend;

private:
    Connection& m_connection;
    QString m_sql;
    std::vector<std::pair<QString, QVariant>> m_values;
    std::unique_ptr<Backend> m_backend;
};

}  // namespace db
