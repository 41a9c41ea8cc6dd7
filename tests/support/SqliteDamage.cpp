#include "SqliteDamage.h"

#include <QFile>
#include <sqlite3.h>

bool zeroTablePage(const QString& path, const char* table) {
    sqlite3* db = nullptr;
    qint64 root = 0, pageSize = 0;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        // Everything into the main file first, so the damage is not repaired from the log.
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master WHERE name = ?",
                               -1, &s, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(s, 1, table, -1, SQLITE_STATIC);
            if (sqlite3_step(s) == SQLITE_ROW) {
                root = sqlite3_column_int64(s, 0);
                pageSize = sqlite3_column_int64(s, 1);
            }
            sqlite3_finalize(s);
        }
    }
    sqlite3_close_v2(db);
    if (root < 2 || pageSize <= 0) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.seek((root - 1) * pageSize)) return false;
    return f.write(QByteArray(int(pageSize), '\0')) == pageSize;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
