#include "query/BackgroundReader.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"

#include <QPointer>
#include <atomic>
#include <memory>
#include <mutex>

namespace query {

// Lives in the reader's thread: its connection is opened, used and closed there.
class BackgroundReaderWorker : public QObject {
public:
    explicit BackgroundReaderWorker(db::ConnectionUrl url) : m_url(std::move(url)) {}
    ~BackgroundReaderWorker() override { m_connection.reset(); }

    // Runs in the worker's thread; answers through the owner in the owner's thread. A request
    // no longer wanted is skipped; one that failed while still wanted (a stop meant for the
    // request before it) is run once more.
    void run(QPointer<BackgroundReader> owner, quint64 request, const BackgroundReader::Job& job) {
        std::any result;
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
                result = job(*m_connection);
                setCurrent(0);
                break;
            } catch (const db::Error& e) {
                setCurrent(0);
                failure = e.message();
            }
        }
        if (m_wanted.load() != request) return;
        QMetaObject::invokeMethod(owner.data(), [owner, request, result = std::move(result), failure]() mutable {
            if (owner) owner->deliver(request, std::move(result), failure);
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

BackgroundReader::BackgroundReader(db::ConnectionUrl url, Answer answer, Failure failure, QObject* parent)
    : QObject(parent), m_url(url), m_answer(std::move(answer)), m_failure(std::move(failure)),
      m_worker(new BackgroundReaderWorker(std::move(url))) {
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

BackgroundReader::~BackgroundReader() {
    cancel();
    m_thread.quit();
    m_thread.wait();
}

quint64 BackgroundReader::start(Job job) {
    cancel();
    const quint64 request = ++m_latest;
    m_running = true;
    m_worker->want(request);
    QPointer<BackgroundReader> self(this);
    BackgroundReaderWorker* worker = m_worker;
    QMetaObject::invokeMethod(m_worker, [worker, self, request, job = std::move(job)] { worker->run(self, request, job); },
                              Qt::QueuedConnection);
    return request;
}

void BackgroundReader::cancel() {
    if (!m_running) return;
    m_running = false;
    ++m_cancelled;
    const quint64 stopped = m_latest++;  // whatever it answers is no longer wanted
    m_worker->want(m_latest);
    m_worker->interrupt(stopped);
}

void BackgroundReader::deliver(quint64 request, std::any result, const QString& failure) {
    if (request != m_latest || !m_running) return;
    m_running = false;
    if (failure.isEmpty()) m_answer(request, std::move(result));
    else m_failure(request, failure);
}

}  // namespace query
