// The catalogue import on arbitrary files, into an SQLite database with a small shop's code
// tables. An import is all or nothing: refused, not a product is added; accepted, exactly the
// reported number is, and no stored text holds a character the program refuses to store.
#include "db/Connection.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "db/TextCheck.h"
#include "masterdata/ProductImport.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

QCoreApplication* g_app = nullptr;
QTemporaryDir* g_dir = nullptr;
db::Connection* g_db = nullptr;

// Runs before Qt's own globals go (they were made after this was registered): the driver's
// connection list must still exist when the connection is removed from it.
void closeDatabase() {
    delete g_db;
    g_db = nullptr;
    delete g_dir;
    g_dir = nullptr;
}

qint64 products() {
    db::Statement s(*g_db, QStringLiteral("SELECT COUNT(*) FROM SPB"));
    return s.first() ? s.integer(0) : -1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    g_app = new QCoreApplication(*argc, *argv);
    g_dir = new QTemporaryDir();
    g_db = new db::Connection(db::ConnectionUrl::sqlite(g_dir->filePath(QStringLiteral("fuzz.db"))));
    g_db->open(db::Connection::OpenMode::Create);
    db::Schema::migrate(*g_db);
    // Durability is not under test here; speed is what finds faults.
    g_db->execute(QStringLiteral("PRAGMA synchronous = OFF"));
    for (const char* sql : {"INSERT INTO SPFLB(FLNo, FLName) VALUES('01', '饮料'), ('02', '食品')",
                            "INSERT INTO SPDWB(DWBH, DWMC) VALUES('01', '瓶'), ('02', '箱')",
                            "INSERT INTO CSB(CSNO, CSNAME) VALUES('001', '甲供应商')",
                            "INSERT INTO dept(BMNO, BMName) VALUES('01', '百货')",
                            "INSERT INTO SPB(SPNO, SPNAME) VALUES('P0001', '可乐')"})
        g_db->execute(QString::fromUtf8(sql));
    std::atexit(closeDatabase);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const qint64 before = products();
    const ImportReport report =
        ProductImport(*g_db, QStringLiteral("001")).importData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const qint64 after = products();
    if (!report.ok()) {
        require(after == before);
        require(report.imported == 0);
        return 0;
    }
    require(report.imported > 0);
    require(after == before + report.imported);
    {
        db::Statement s(*g_db, QStringLiteral("SELECT SPNO, SPNAME, COALESCE(BZ, '') FROM SPB WHERE SPNO <> 'P0001'"));
        s.exec();
        while (s.next())
            for (int c = 0; c < 3; ++c) require(db::firstUnfitCharacter(s.text(c)) < 0);
    }
    g_db->execute(QStringLiteral("DELETE FROM SPB WHERE SPNO <> 'P0001'"));
    g_db->execute(QStringLiteral("DELETE FROM RZ"));
    return 0;
}
