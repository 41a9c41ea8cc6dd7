#include "query/RowCounter.h"

#include "db/Connection.h"
#include "db/Statement.h"

namespace query {

RowCounter::RowCounter(db::ConnectionUrl url, QObject* parent)
    : QObject(parent),
      m_reader(
          std::move(url),
          [this](quint64 request, std::any rows) { Q_EMIT counted(request, std::any_cast<qint64>(rows)); },
          [this](quint64 request, const QString& message) { Q_EMIT failed(request, message); }) {}

quint64 RowCounter::start(const QString& select, const BoundValues& values) {
    return m_reader.start([select, values](db::Connection& connection) -> std::any {
        db::Statement count(connection, QStringLiteral("Select count(*) From (") + select + QStringLiteral(") q"));
        for (const auto& [name, value] : values) count.bindValue(name, value);
        const qint64 rows = count.first() ? count.integer(0) : 0;
        count.query().finish();
        return rows;
    });
}

}  // namespace query
