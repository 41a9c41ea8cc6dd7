// Reads and writes one reference table for its maintenance screen: every insert, change
// and delete is one transaction that also writes its row of the operation log.
#pragma once

#include "masterdata/TableDefinition.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace db {
class Connection;
class Statement;
class Transaction;
}  // namespace db

// One record as text, one entry per column of the definition, in its order: money as
// "12.3400", integers in digits, bits "1"/"0". A password is never read back (empty).
using RecordValues = QStringList;

class TableEditor {
public:
    TableEditor(db::Connection& connection, TableDefinition definition, QString operatorNo);

    const TableDefinition& definition() const { return m_definition; }

    // The table as the list shows it (filter and order of the definition).
    std::vector<RecordValues> load();
    // The list a page at a time: its number of rows, `limit` rows from row `offset`, and the
    // row a key is at (-1 when the list has no such row). The order always ends with the
    // key, so rows have one place each. Throw db::Error.
    int count();
    std::vector<RecordValues> loadPage(int offset, int limit);
    int rowOf(const QString& key);

    // Each throws db::Error when the database refuses the write (nothing is then written)
    // or a value cannot be stored (db::ErrorKind::General, with the column's title).
    void insert(const RecordValues& values);
    void insert(db::Transaction& tx, const RecordValues& values);
    // Many new rows in the caller's transaction, a few hundred per statement, each logged.
    void insertMany(db::Transaction& tx, const std::vector<RecordValues>& rows);
    // `originalKey` names the row; the values may carry a new key. An empty password
    // keeps the stored one.
    void update(const QString& originalKey, const RecordValues& values);
    // False when there was no such row any more (nothing written, nothing logged).
    bool remove(const QString& key);

    // Asked inside the delete's transaction, before the row goes: a non-empty answer refuses
    // the delete with that text (db::Error, kind Refused). A guard may lock what it counts.
    using RemovalGuard = std::function<QString(db::Transaction& tx, const QString& key)>;
    void setRemovalGuard(RemovalGuard guard) { m_removalGuard = std::move(guard); }

private:
    // `row` >= 0: the placeholders of that row of a statement of several rows.
    void bindValues(db::Statement& statement, const RecordValues& values, bool withPassword, int row = -1) const;
    QString filterClause() const;
    QString selectSql() const;
    // The terms of the list's order, ending with the key.
    QStringList orderTerms() const;
    std::vector<RecordValues> read(db::Statement& statement);
    QString insertSql(int rows = 1) const;
    QString updateSql(bool withPassword) const;
    int passwordIndex() const;

    db::Connection& m_connection;
    TableDefinition m_definition;
    QString m_operatorNo;
    RemovalGuard m_removalGuard;
};

// The value as it is stored: text trimmed, checked against the column's width; amounts
// and whole numbers parsed. Throws db::Error (General) naming the column's title.
QString storedText(const Column& column, const QString& typed);
