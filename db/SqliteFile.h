// What an SQLite file holds, found without writing a byte to it: the program refuses a
// damaged or foreign file before its session set-up (WAL mode) would change the file.
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

struct sqlite3;

namespace db {

struct SqliteFile {
    enum class State {
        Missing,      // no such file
        Empty,        // zero bytes: SQLite would make it a new database
        NotDatabase,  // something else than an SQLite database
        Unreadable,   // cannot be read now (permissions, I/O)
        Damaged,      // SQLite's quick check finds faults
        Blank,        // a sound database without tables
        Foreign,      // a sound database with tables, none of them ours
        Ours,         // a sound database with our schema version table
    };

    QString path;
    State state = State::Missing;
    QStringList problems;  // the quick check's findings, or why the file cannot be read

    // Opens the file read-only and runs PRAGMA quick_check (every page and index entry is
    // read, so this costs a full read of the file). Without `pageCheck` only the header and
    // the table list are read, and only through SQLite: for a file already found sound by a
    // full inspection, which a connection of this process may hold open. Setting
    // `*cancelled` stops the page check soon after; the file is then Unreadable, never sound.
    static SqliteFile inspect(const QString& path, bool pageCheck = true, const std::atomic_bool* cancelled = nullptr);

    // PRAGMA quick_check(100) on an open handle, the one way the program runs it: the
    // findings (empty for a sound file). When the statement itself fails, `failedCode`
    // receives SQLite's code (else 0) and the findings hold its message.
    static QStringList quickCheck(sqlite3* handle, int* failedCode);

    // A sentence naming the file and what is wrong with it, for refusing to use it.
    QString refusal() const;
};

}  // namespace db
