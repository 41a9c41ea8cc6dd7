#include "query/CsvExport.h"

#include "db/Statement.h"

#include <QIODevice>
#include <QSqlRecord>

namespace query {

QString csvField(const QString& text, bool isText) {
    QString t = text;
    if (isText && !t.isEmpty() && QStringLiteral("=+-@").contains(t.front())) t.prepend(QLatin1Char('\''));
    if (t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n'))
        || t.contains(QLatin1Char('\r'))) {
        t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        t = QStringLiteral("\"") + t + QStringLiteral("\"");
    }
    return t;
}

qint64 exportCsv(db::Connection& connection, const QString& sql, const BoundValues& values,
                 const QueryItems& columns, QIODevice& out) {
    db::Statement s(connection, sql);
    for (const auto& [name, value] : values) s.bindValue(name, value);
    s.exec();

    const QSqlRecord record = s.query().record();
    std::vector<int> fields;
    QStringList line;
    for (const QueryItem& item : columns) {
        int field = -1;
        for (int f = 0; f < record.count(); ++f)
            if (record.fieldName(f).compare(item.column, Qt::CaseInsensitive) == 0) field = f;
        fields.push_back(field);
        line << csvField(item.shownTitle(), true);
    }
    out.write("\xEF\xBB\xBF");
    out.write((line.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8());
    qint64 rows = 0;
    while (s.next()) {
        line.clear();
        for (size_t c = 0; c < columns.size(); ++c) {
            const QueryItem& item = columns[c];
            const QString text = fields[c] >= 0 ? displayText(item, s.value(fields[c])) : QString();
            line << csvField(text, item.kind == ColumnKind::Text);
        }
        out.write((line.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8());
        ++rows;
    }
    return rows;
}

}  // namespace query
