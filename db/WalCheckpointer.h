// Copies an SQLite database's write-ahead log into the file on a thread of its own, so the
// commit of a sale never waits for it. Left to SQLite, the commit that takes the log past a
// thousand pages copies every page of it into the file and flushes the file before it returns:
// every few dozen sales a cashier's sale took several times as long as the others.
#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

struct sqlite3;

namespace db {

class WalCheckpointer {
public:
    // Takes over the writer's checkpoints; `file` is the database it writes. Throws db::Error
    // when the file cannot be opened a second time, leaving the writer as it was.
    WalCheckpointer(sqlite3* writer, const QString& file);
    // Gives the checkpoints back to the writer (SQLite's own, inline) and ends the thread.
    ~WalCheckpointer();
    WalCheckpointer(const WalCheckpointer&) = delete;
    WalCheckpointer& operator=(const WalCheckpointer&) = delete;

    // A log this long is copied by the thread; as long as SQLite's own threshold, so the file
    // and its log stay the size they were.
    static constexpr int kBackgroundFrames = 1000;
    // A log this long is copied by the committing writer itself, as SQLite would. The log starts
    // again only at a commit that finds every page of it copied, which a thread chasing sales
    // that come back to back (a batch of postings, an import) never finds; the writer then
    // copies what little the thread has not, and the log stays bounded.
    static constexpr int kInlineFrames = 4000;

    // Checkpoints done by the thread, for tests.
    int backgroundCheckpoints() const;

private:
    static int afterCommit(void* self, sqlite3* writer, const char* database, int frames);
    void run();

    sqlite3* m_writer;
    sqlite3* m_own = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_due = false;
    bool m_stop = false;
    int m_done = 0;
    std::thread m_thread;
};

}  // namespace db
