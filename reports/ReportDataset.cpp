#include "reports/ReportDataset.h"

#include "db/Statement.h"

#include <QSqlQuery>
#include <QSqlRecord>

ReportDataset ReportDataset::fromQuery(QSqlQuery& query) {
    const QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i) columns << record.fieldName(i);
    ReportDataset data(columns);
    // A query positioned on a row (after first()) starts there, otherwise before the first.
    if (!query.isValid() && !query.next()) return data;
    do {
        Row row(columns.size());
        for (int i = 0; i < columns.size(); ++i) row[i] = query.value(i);
        data.m_rows.push_back(std::move(row));
    } while (query.next());
    return data;
}

ReportDataset ReportDataset::fromStatement(db::Statement& statement) { return fromQuery(statement.query()); }

int ReportDataset::columnIndex(const QString& name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant ReportDataset::value(int row, const QString& column) const {
    if (row < 0 || row >= rowCount()) return {};
    return value(m_rows[size_t(row)], columnIndex(column));
}
