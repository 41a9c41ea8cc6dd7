#include "db/SqliteFileCheck.h"

#include <QFileInfo>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>

namespace db {

struct SqliteFileCheck::Run {
    QString path;
    std::atomic_bool cancelled{false};
    std::optional<SqliteFile> result;  // set under the registry's mutex
};

namespace {

// What this process knows of its files, by canonical path: those found sound, and the
// checks still running.
struct Registry {
    std::mutex mutex;
    std::condition_variable answered;
    std::set<QString> sound;
    std::map<QString, std::shared_ptr<SqliteFileCheck::Run>> running;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

SqliteFileCheck::SqliteFileCheck(std::shared_ptr<Run> run) : m_run(std::move(run)) {}

std::unique_ptr<SqliteFileCheck> SqliteFileCheck::start(const QString& path, std::function<void()> whenDone) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty()) return nullptr;
    Registry& r = registry();
    {
        std::lock_guard lock(r.mutex);
        if (r.sound.count(canonical) || r.running.count(canonical)) return nullptr;
    }
    if (SqliteFile::inspect(path, false).state != SqliteFile::State::Ours) return nullptr;
    auto run = std::make_shared<Run>();
    run->path = canonical;
    {
        std::lock_guard lock(r.mutex);
        if (r.sound.count(canonical) || r.running.count(canonical)) return nullptr;
        r.running[canonical] = run;
    }
    std::unique_ptr<SqliteFileCheck> check(new SqliteFileCheck(run));
    check->m_thread = std::thread([run, whenDone = std::move(whenDone)] {
        SqliteFile found = SqliteFile::inspect(run->path, true, &run->cancelled);
        const bool stopped = run->cancelled.load();
        {
            Registry& r = registry();
            std::lock_guard lock(r.mutex);
            r.running.erase(run->path);
            if (!stopped && found.state == SqliteFile::State::Ours) r.sound.insert(run->path);
            run->result = std::move(found);
            r.answered.notify_all();
        }
        if (!stopped && whenDone) whenDone();
    });
    return check;
}

SqliteFileCheck::~SqliteFileCheck() {
    m_run->cancelled = true;
    if (m_thread.joinable()) m_thread.join();
}

bool SqliteFileCheck::finished() const {
    std::lock_guard lock(registry().mutex);
    return m_run->result.has_value();
}

SqliteFile SqliteFileCheck::inspect(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty()) return SqliteFile::inspect(path);
    Registry& r = registry();
    bool knownSound = false;
    {
        std::unique_lock lock(r.mutex);
        auto it = r.running.find(canonical);
        if (it != r.running.end()) {
            const std::shared_ptr<Run> run = it->second;
            r.answered.wait(lock, [&] { return run->result.has_value(); });
            // Sound or damaged is the answer; a stopped check or a file that changed state
            // meanwhile (removed, replaced) is judged afresh below.
            if (!run->cancelled && (run->result->state == SqliteFile::State::Ours || run->result->state == SqliteFile::State::Damaged))
                return *run->result;
        }
        knownSound = r.sound.count(canonical) != 0;
    }
    SqliteFile found = SqliteFile::inspect(path, !knownSound);
    std::lock_guard lock(r.mutex);
    if (found.state == SqliteFile::State::Ours) r.sound.insert(canonical);
    else r.sound.erase(canonical);
    return found;
}

}  // namespace db
