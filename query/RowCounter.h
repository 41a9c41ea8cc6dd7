// Counts a query's rows on a connection and thread of its own, so a query screen shows its
// first page at once and the exact count when it is ready. A new count, or cancel(), stops
// the one under way; only the answer to the latest request is ever delivered.
#pragma once

#include "db/ConnectionUrl.h"
#include "query/BackgroundReader.h"
#include "query/ConditionBuilder.h"

#include <QObject>

namespace query {

class RowCounter : public QObject {
    Q_OBJECT
public:
    explicit RowCounter(db::ConnectionUrl url, QObject* parent = nullptr);

    // Counts the rows of `select` with `values` bound. Returns the request's number, which
    // counted() or failed() carry; any earlier request is cancelled.
    quint64 start(const QString& select, const BoundValues& values);
    // Cancels the request under way, if any; nothing more is delivered for it.
    void cancel() { m_reader.cancel(); }
    const db::ConnectionUrl& url() const { return m_reader.url(); }
    // How many requests were stopped before they answered (for tests).
    int cancelledCount() const { return m_reader.cancelledCount(); }

Q_SIGNALS:
    void counted(quint64 request, qint64 rows);
    void failed(quint64 request, const QString& message);

private:
    BackgroundReader m_reader;
};

}  // namespace query
