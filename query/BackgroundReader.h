// Runs reads on a connection and thread of its own, so a query screen never waits for a long
// statement: the answer is handed back in the owner's thread when it is ready. A new request,
// or cancel(), stops the one under way (its statement is interrupted on the server or in
// SQLite); only the answer to the latest request is ever delivered.
#pragma once

#include "db/ConnectionUrl.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <any>
#include <functional>

namespace db { class Connection; }

namespace query {

class BackgroundReaderWorker;

class BackgroundReader : public QObject {
    Q_OBJECT
public:
    // Runs on the reader's thread with its connection; throws db::Error.
    using Job = std::function<std::any(db::Connection&)>;
    using Answer = std::function<void(quint64 request, std::any result)>;
    using Failure = std::function<void(quint64 request, const QString& message)>;

    BackgroundReader(db::ConnectionUrl url, Answer answer, Failure failure, QObject* parent = nullptr);
    ~BackgroundReader() override;  // stops the request under way and the thread

    // Returns the request's number, which the answer or the failure carries; any earlier
    // request is cancelled.
    quint64 start(Job job);
    // Cancels the request under way, if any; nothing more is delivered for it.
    void cancel();
    bool running() const { return m_running; }
    const db::ConnectionUrl& url() const { return m_url; }
    // How many requests were stopped before they answered (for tests).
    int cancelledCount() const { return m_cancelled; }

private:
    void deliver(quint64 request, std::any result, const QString& failure);
    friend class BackgroundReaderWorker;

    db::ConnectionUrl m_url;
    Answer m_answer;
    Failure m_failure;
    QThread m_thread;
    BackgroundReaderWorker* m_worker;
    quint64 m_latest = 0;
    bool m_running = false;
    int m_cancelled = 0;
};

}  // namespace query
