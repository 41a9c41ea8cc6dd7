#include "db/WriteBatch.h"

#include "db/Connection.h"
#include "db/Statement.h"

#include <QStringList>

namespace db {

WriteBatch& WriteBatch::add(const QString& sql, Binder bind) {
    m_writes.push_back({sql, std::move(bind)});
    return *this;
}

void WriteBatch::run(const QString& sql, const Binder& bind, const std::function<void(Statement&)>& read) {
    std::vector<Write> writes;
    writes.swap(m_writes);
    if (m_connection.backend() == Backend::Postgres && !writes.empty()) {
        QStringList clauses;
        for (size_t i = 0; i < writes.size(); ++i) clauses << QStringLiteral("w%1 AS (%2)").arg(i).arg(writes[i].sql);
        Statement all(m_connection, QStringLiteral("WITH ") + clauses.join(QStringLiteral(", ")) + u' ' + sql);
        for (const Write& w : writes) w.bind(all);
        bind(all);
        all.exec();
        if (read) read(all);
        return;
    }
    for (const Write& w : writes) {
        Statement one(m_connection, w.sql);
        w.bind(one);
        one.exec();
    }
    Statement last(m_connection, sql);
    bind(last);
    last.exec();
    if (read) read(last);
}

}  // namespace db
