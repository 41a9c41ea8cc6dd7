// The full page check of an SQLite file, once per process. It reads the whole file (seconds
// for years of sales), so a file found sound gets only the header and table check on later
// connections, and the login can have it run on a thread of its own while its window shows:
// the first connection then waits for that verdict instead of reading the file again.
#pragma once

#include "db/SqliteFile.h"

#include <QString>
#include <functional>
#include <memory>
#include <thread>

namespace db {

class SqliteFileCheck {
public:
    // Starts the page check of the file in the background and calls `whenDone` on that thread
    // once the verdict is in (not when stopped). The cheap checks run here and now: nothing is
    // started (nullptr) for a file that is not ours by its header, already found sound, or
    // already being checked; a connection then judges the file as it always does.
    static std::unique_ptr<SqliteFileCheck> start(const QString& path, std::function<void()> whenDone = {});

    // Stops a check still running and waits for its thread; a stopped check is no verdict,
    // so the next connection runs the full check itself.
    ~SqliteFileCheck();
    SqliteFileCheck(const SqliteFileCheck&) = delete;
    SqliteFileCheck& operator=(const SqliteFileCheck&) = delete;

    bool finished() const;

    // The file as a connection must judge it before the driver opens it: the verdict of a
    // check running in the background (waiting for it), else the full inspection, or only
    // the header and tables for a file this process has found sound already.
    static SqliteFile inspect(const QString& path);

    struct Run;  // one check's state, shared with its thread and with connections waiting

private:
    explicit SqliteFileCheck(std::shared_ptr<Run> run);

    std::shared_ptr<Run> m_run;
    std::thread m_thread;
};

}  // namespace db
