#include "db/WalCheckpointer.h"

#include "db/Error.h"

#include <sqlite3.h>

namespace db {

WalCheckpointer::WalCheckpointer(sqlite3* writer, const QString& file) : m_writer(writer) {
    const QByteArray path = file.toUtf8();
    // No mutex of SQLite's own: this connection is used by the thread alone.
    if (sqlite3_open_v2(path.constData(), &m_own, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(m_own ? sqlite3_errmsg(m_own) : "out of memory");
        sqlite3_close(m_own);
        throw Error(QStringLiteral("cannot open %1 for checkpoints: %2").arg(file, reason), ErrorKind::Connection);
    }
    // A connection that has read nothing has not opened the log either, and its checkpoint
    // would do nothing and say so with success.
    if (sqlite3_exec(m_own, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(m_own));
        sqlite3_close(m_own);
        throw Error(QStringLiteral("cannot read %1 for checkpoints: %2").arg(file, reason), ErrorKind::Connection);
    }
    m_thread = std::thread([this] { run(); });
    sqlite3_wal_hook(m_writer, &WalCheckpointer::afterCommit, this);
}

WalCheckpointer::~WalCheckpointer() {
    // Also replaces the hook that points at this object.
    sqlite3_wal_autocheckpoint(m_writer, kBackgroundFrames);
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
    sqlite3_close(m_own);
}

int WalCheckpointer::backgroundCheckpoints() const {
    std::lock_guard lock(m_mutex);
    return m_done;
}

// Runs on the writer's thread, after each commit, with the log's length in pages.
int WalCheckpointer::afterCommit(void* self, sqlite3* writer, const char* database, int frames) {
    auto* me = static_cast<WalCheckpointer*>(self);
    if (frames >= kInlineFrames) {
        sqlite3_wal_checkpoint_v2(writer, database, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    } else if (frames >= kBackgroundFrames) {
        {
            std::lock_guard lock(me->m_mutex);
            me->m_due = true;
        }
        me->m_wake.notify_one();
    }
    return SQLITE_OK;
}

void WalCheckpointer::run() {
    using namespace std::chrono_literals;
    std::unique_lock lock(m_mutex);
    bool pagesLeft = false;
    for (;;) {
        if (pagesLeft) {
            // A reader still needs some pages, or the commit had not let go of the log: again
            // shortly, until all is copied and the log can start again.
            m_wake.wait_for(lock, 100ms, [this] { return m_due || m_stop; });
        } else {
            m_wake.wait(lock, [this] { return m_due || m_stop; });
            // The commit that asked still holds the log when it asks: copied now, its own pages
            // would be left for next time, and the log would never be found copied whole.
            m_wake.wait_for(lock, 20ms, [this] { return m_stop; });
        }
        if (m_stop) return;
        m_due = false;
        lock.unlock();
        // Passive: copies what no reader still needs and never makes the writer wait.
        int logPages = 0, copiedPages = 0;
        const int rc = sqlite3_wal_checkpoint_v2(m_own, "main", SQLITE_CHECKPOINT_PASSIVE, &logPages, &copiedPages);
        lock.lock();
        if (rc == SQLITE_OK && logPages >= 0) ++m_done;
        pagesLeft = rc == SQLITE_OK && copiedPages < logPages;
    }
}

}  // namespace db
