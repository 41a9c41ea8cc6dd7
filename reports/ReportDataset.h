// The rows a report prints: column names and values, filled either by the report's own
// statement or from a result the calling screen already holds. Layout reads only this,
// so it can be tested without a database.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <vector>

class QSqlQuery;
namespace db { class Statement; }

class ReportDataset {
public:
    using Row = QVector<QVariant>;

    // A closed dataset: no columns, no rows (a caller's result that is not open).
    ReportDataset() = default;
    explicit ReportDataset(QStringList columns) : m_columns(std::move(columns)) {}
    ReportDataset(QStringList columns, std::vector<Row> rows) : m_columns(std::move(columns)), m_rows(std::move(rows)) {}

    // Every row of an executed statement or query, from its current position on.
    static ReportDataset fromStatement(db::Statement& statement);
    static ReportDataset fromQuery(QSqlQuery& query);

    void addRow(Row row) { row.resize(m_columns.size()); m_rows.push_back(std::move(row)); }

    const QStringList& columns() const { return m_columns; }
    int rowCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    const Row& row(int index) const { return m_rows[size_t(index)]; }

    // Column names compare case-insensitively: PostgreSQL answers in lower case.
    int columnIndex(const QString& name) const;
    // Null when the column or row does not exist.
    QVariant value(int row, const QString& column) const;
    QVariant value(const Row& row, int column) const { return column >= 0 && column < row.size() ? row[column] : QVariant(); }

private:
    QStringList m_columns;
    std::vector<Row> m_rows;
};
