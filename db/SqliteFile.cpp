#include "db/SqliteFile.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace db {

namespace {

constexpr int kProblemsShown = 10;

struct ReadOnlyHandle {
    sqlite3* db = nullptr;
    ~ReadOnlyHandle() { sqlite3_close_v2(db); }
};

QString messageOf(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

// SQLite asks every few thousand virtual machine steps whether to go on.
int stopWhenCancelled(void* cancelled) { return static_cast<const std::atomic_bool*>(cancelled)->load() ? 1 : 0; }

bool isDamageCode(int rc) { return (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB; }

}  // namespace

SqliteFile SqliteFile::inspect(const QString& path, bool pageCheck, const std::atomic_bool* cancelled) {
    SqliteFile f;
    f.path = path;
    const QFileInfo info(path);
    if (!info.exists()) return f;
    if (info.isDir()) {
        f.state = State::NotDatabase;
        return f;
    }
    if (info.size() == 0) {
        f.state = State::Empty;
        return f;
    }
    // The header is read past SQLite only on a first inspection. A file found sound before may
    // be open on a connection of this process: closing any other descriptor of it drops that
    // connection's POSIX locks, and another program closing the file could then delete the
    // write-ahead log under it. SQLite's own handle below keeps such locks (it closes its
    // descriptor only when no connection of the process holds a lock) and still refuses a
    // file that is no database any more.
    if (pageCheck) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            f.state = State::Unreadable;
            f.problems << file.errorString();
            return f;
        }
        if (file.read(16) != QByteArray("SQLite format 3\0", 16)) {
            f.state = State::NotDatabase;
            return f;
        }
    }

    ReadOnlyHandle h;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &h.db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        f.state = State::Unreadable;
        f.problems << (h.db ? messageOf(h.db) : QString::fromUtf8(sqlite3_errstr(rc)));
        return f;
    }
    sqlite3_busy_timeout(h.db, 10000);
    if (cancelled) sqlite3_progress_handler(h.db, 4096, stopWhenCancelled, const_cast<std::atomic_bool*>(cancelled));
    // Each statement's failure: damage codes mark the file damaged, anything else unreadable.
    auto failed = [&](int code) {
        f.state = isDamageCode(code) ? State::Damaged : State::Unreadable;
        f.problems << messageOf(h.db);
        return f;
    };

    // Without the page check the header and the table list are all that is read.
    int code = 0;
    const QStringList findings = pageCheck ? quickCheck(h.db, &code) : QStringList();
    if (code != 0) return failed(code);
    if (!findings.isEmpty()) {
        f.state = State::Damaged;
        f.problems = findings;
        return f;
    }

    sqlite3_stmt* tables = nullptr;
    rc = sqlite3_prepare_v2(h.db,
                            "SELECT lower(name) FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                            -1, &tables, nullptr);
    if (rc != SQLITE_OK) return failed(rc);
    int count = 0;
    bool ours = false;
    while ((rc = sqlite3_step(tables)) == SQLITE_ROW) {
        ++count;
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
        if (name && qstrcmp(name, "schema_version") == 0) ours = true;
    }
    sqlite3_finalize(tables);
    if (rc != SQLITE_DONE) return failed(rc);
    f.state = ours ? State::Ours : count == 0 ? State::Blank : State::Foreign;
    return f;
}

QStringList SqliteFile::quickCheck(sqlite3* handle, int* failedCode) {
    *failedCode = 0;
    sqlite3_stmt* check = nullptr;
    int rc = sqlite3_prepare_v2(handle, "PRAGMA quick_check(100)", -1, &check, nullptr);
    if (rc != SQLITE_OK) {
        *failedCode = rc;
        return {messageOf(handle)};
    }
    QStringList findings;
    while ((rc = sqlite3_step(check)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
        const QString line = text ? QString::fromUtf8(text) : QString();
        if (line != QLatin1String("ok")) findings << line;
    }
    sqlite3_finalize(check);
    if (rc != SQLITE_DONE) {
        *failedCode = rc;
        return {messageOf(handle)};
    }
    return findings;
}

QString SqliteFile::refusal() const {
    switch (state) {
    case State::Missing:
        return QStringLiteral("database file not found: %1").arg(path);
    case State::Empty:
    case State::Blank:
        return QStringLiteral("the database %1 has not been initialised (run: pos --init-database)").arg(path);
    case State::NotDatabase:
        return QStringLiteral("%1 is not an SQLite database file; it was left unchanged").arg(path);
    case State::Unreadable:
        return QStringLiteral("cannot read the database file %1: %2").arg(path, problems.join(QStringLiteral("; ")));
    case State::Damaged: {
        QStringList shown = problems.mid(0, kProblemsShown);
        if (problems.size() > kProblemsShown) shown << QStringLiteral("... %1 more").arg(problems.size() - kProblemsShown);
        return QStringLiteral("the database file %1 is damaged (SQLite's quick check failed); it was not used. "
                              "Restore it from a backup.\n%2")
            .arg(path, shown.join(QLatin1Char('\n')));
    }
    case State::Foreign:
        return QStringLiteral("%1 holds tables of another program; it was left unchanged").arg(path);
    case State::Ours:
        break;
    }
    return {};
}

}  // namespace db
