#include "query/RowCounter.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Statement.h"

#include <QPointer>
#include <atomic>
#include <memory>

namespace query {

// Lives in the counter's thread: its connection is opened, used and closed there.
class RowCounterWorker : public QObject {
public:
    explicit RowCounterWorker(db::ConnectionUrl url) : m_url(std::move(url)) {}
    ~RowCounterWorker() override { m_connection.reset(); }

    // Runs in the worker's thread; answers through the owner in the owner's thread. A request
    // no longer wanted is skipped; one that failed while still wanted (a stop meant for the
    // request before it) is run once more.
    void count(QPointer<RowCounter> owner, quint64 request, const QString& select, const BoundValues& values) {
        qint64 rows = -1;
        QString failure;
        for (int attempt = 0; attempt < 2 && m_wanted.load() == request; ++attempt) {
            failure.clear();
            try {
                if (!m_connection) {
                    m_connection = std::make_unique<db::Connection>(m_url);
                    m_connection->open();
                    std::lock_guard lock(m_mutex);
                    m_interrupt = m_connection->dialect().interrupter(*m_connection);
                }
                setCurrent(request);
                db::Statement count(*m_connection, QStringLiteral("Select count(*) From (") + select + QStringLiteral(") q"));
                for (const auto& [name, value] : values) count.bindValue(name, value);
                rows = count.first() ? count.integer(0) : 0;
                count.query().finish();
                setCurrent(0);
                break;
            } catch (const db::Error& e) {
                setCurrent(0);
                failure = e.message();
            }
        }
        if (m_wanted.load() != request) return;
        QMetaObject::invokeMethod(owner.data(), [owner, request, rows, failure] {
            if (!owner) return;
            if (failure.isEmpty()) owner->deliverCount(request, rows);
            else owner->deliverFailure(request, failure);
        }, Qt::QueuedConnection);
    }

    void want(quint64 request) { m_wanted.store(request); }

    // Stops `request` if it is the statement running now.
    void interrupt(quint64 request) {
        std::lock_guard lock(m_mutex);
        if (m_interrupt && m_current == request) m_interrupt();
    }

private:
    void setCurrent(quint64 request) {
        std::lock_guard lock(m_mutex);
        m_current = request;
    }

    std::atomic<quint64> m_wanted{0};
    quint64 m_current = 0;
    db::ConnectionUrl m_url;
    std::unique_ptr<db::Connection> m_connection;
    std::mutex m_mutex;
    std::function<void()> m_interrupt;
};

RowCounter::RowCounter(db::ConnectionUrl url, QObject* parent)
    : QObject(parent), m_url(url), m_worker(new RowCounterWorker(std::move(url))) {
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

RowCounter::~RowCounter() {
    cancel();
    m_thread.quit();
    m_thread.wait();
}

quint64 RowCounter::start(const QString& select, const BoundValues& values) {
    cancel();
    const quint64 request = ++m_latest;
    m_running = true;
    m_worker->want(request);
    QPointer<RowCounter> self(this);
    RowCounterWorker* worker = m_worker;
    QMetaObject::invokeMethod(m_worker, [worker, self, request, select, values] {
        worker->count(self, request, select, values);
    }, Qt::QueuedConnection);
    return request;
}

void RowCounter::cancel() {
    if (!m_running) return;
    m_running = false;
    ++m_cancelled;
    const quint64 stopped = m_latest++;   // whatever it answers is no longer wanted
    m_worker->want(m_latest);
    m_worker->interrupt(stopped);
}

void RowCounter::deliverCount(quint64 request, qint64 rows) {
    if (request != m_latest) return;
    m_running = false;
    Q_EMIT counted(request, rows);
}

void RowCounter::deliverFailure(quint64 request, const QString& message) {
    if (request != m_latest) return;
    m_running = false;
    Q_EMIT failed(request, message);
}

}  // namespace query
