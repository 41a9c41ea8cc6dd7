#include "db/WriteBatch.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Statement.h"

#include <QStringList>

namespace db {

WriteBatch& WriteBatch::add(const QString& sql, Binder bind) {
    m_writes.push_back({sql, std::move(bind), {}, {}});
    return *this;
}

WriteBatch& WriteBatch::add(const QString& sql, Binder bind, Collect collect) {
    m_writes.push_back({sql, std::move(bind), std::move(collect), {}});
    return *this;
}

WriteBatch& WriteBatch::addCounted(const QString& sql, Binder bind, Count count) {
    m_writes.push_back({sql, std::move(bind), {}, std::move(count)});
    return *this;
}

void WriteBatch::run(const QString& sql, const Binder& bind, const std::function<void(Statement&)>& eachRow) {
    std::vector<Write> writes;
    writes.swap(m_writes);
    if (m_connection.backend() == Backend::Postgres && !writes.empty()) {
        // What a write returned comes back as a list beside each row of the last statement.
        QStringList clauses, collected;
        std::vector<size_t> collecting;
        for (size_t i = 0; i < writes.size(); ++i) {
            // A counted write returns a 1 per row, collected and counted.
            clauses << QStringLiteral("w%1 AS (%2%3)").arg(i).arg(writes[i].sql,
                                                                 writes[i].count ? QStringLiteral(" RETURNING 1") : QString());
            if (!writes[i].collect && !writes[i].count) continue;
            collecting.push_back(i);
            collected << QStringLiteral(", (SELECT string_agg(CAST(r.v AS TEXT), ',') FROM w%1 AS r(v))").arg(i);
        }
        Statement all(m_connection, QStringLiteral("WITH ") + clauses.join(QStringLiteral(", ")) + u' ' + sql +
                                        collected.join(QString()), Statement::Direct);
        for (const Write& w : writes) w.bind(all);
        bind(all);
        all.exec();
        std::vector<std::vector<qint64>> values(collecting.size());
        bool first = true;
        while (all.next()) {
            if (first) {
                const int columns = all.columnCount();
                for (size_t c = 0; c < collecting.size(); ++c) {
                    const QString list = all.text(columns - int(collecting.size()) + int(c));
                    for (const QString& v : list.split(u',', Qt::SkipEmptyParts)) values[c].push_back(v.toLongLong());
                }
                first = false;
            }
            if (eachRow) eachRow(all);
        }
        if (first && !collecting.empty())
            throw Error(QStringLiteral("a batch of writes returned no row to carry what its writes returned: %1").arg(sql));
        for (size_t c = 0; c < collecting.size(); ++c) {
            const Write& w = writes[collecting[c]];
            if (w.collect) w.collect(values[c]);
            else w.count(qint64(values[c].size()));
        }
        return;
    }
    for (const Write& w : writes) {
        Statement one(m_connection, w.sql);
        w.bind(one);
        one.exec();
        if (w.count) w.count(one.rowsAffected());
        if (!w.collect) continue;
        std::vector<qint64> values;
        while (one.next()) values.push_back(one.integer(0));
        w.collect(values);
    }
    Statement last(m_connection, sql);
    bind(last);
    last.exec();
    while (last.next())
        if (eachRow) eachRow(last);
}

void WriteBatch::run() {
    if (m_writes.empty()) return;
    const Write last = m_writes.back();
    m_writes.pop_back();
    if (last.count) {
        // Counted through RETURNING, as the last statement carries no clause of its own.
        std::vector<qint64> rows;
        run(last.sql + QStringLiteral(" RETURNING 1"), last.bind, [&](Statement&) { rows.push_back(1); });
        last.count(qint64(rows.size()));
        return;
    }
    if (!last.collect) {
        run(last.sql, last.bind);
        return;
    }
    std::vector<qint64> values;
    run(last.sql, last.bind, [&](Statement& s) { values.push_back(s.integer(0)); });
    last.collect(values);
}

}  // namespace db
