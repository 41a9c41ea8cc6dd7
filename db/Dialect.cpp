#include "db/Dialect.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/PostgresParameters.h"
#include "db/Statement.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlDriver>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>

namespace db {

namespace {

QMutex g_clockMutex;
std::optional<QDateTime> g_clock;

QDateTime serverNow() {
    QMutexLocker lock(&g_clockMutex);
    return g_clock ? *g_clock : QDateTime::currentDateTime();
}

// The time each SQLite connection's current transaction began. Read only while the
// connection is inside a transaction, so an entry left from an earlier one is never used.
QMutex g_transactionClockMutex;
QHash<const sqlite3*, QDateTime> g_transactionClock;

QDateTime statementNow(sqlite3_context* ctx) {
    sqlite3* db = sqlite3_context_db_handle(ctx);
    if (!sqlite3_get_autocommit(db)) {
        QMutexLocker lock(&g_transactionClockMutex);
        const auto it = g_transactionClock.constFind(db);
        if (it != g_transactionClock.constEnd()) return *it;
    }
    return serverNow();
}

// ---- SQLite: portable functions registered on every connection ----

QString argText(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QDateTime argDateTime(sqlite3_value* v) {
    if (sqlite3_value_type(v) == SQLITE_NULL) return {};
    const QString t = argText(v).trimmed();
    for (const char* f : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz"}) {
        const QDateTime d = QDateTime::fromString(t, QLatin1String(f));
        if (d.isValid()) return d;
    }
    const QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
    return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
}

void fnGetdate(sqlite3_context* ctx, int, sqlite3_value**) { resultText(ctx, timestampText(statementNow(ctx))); }

void fnToday8(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, statementNow(ctx).date().toString(QStringLiteral("yyyyMMdd")));
}

// The views call date10 once per row: a stamp stored as "yyyy-MM-dd..." gives its first
// ten characters without parsing a QDateTime (which costs more than the rest of the row).
bool date10Stored(sqlite3_context* ctx, sqlite3_value* v) {
    if (sqlite3_value_type(v) != SQLITE_TEXT) return false;
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    const int n = sqlite3_value_bytes(v);
    if (!t || n < 10 || (n > 10 && t[10] != ' ' && t[10] != 'T')) return false;
    for (int i = 0; i < 10; ++i)
        if (i == 4 || i == 7 ? t[i] != '-' : (t[i] < '0' || t[i] > '9')) return false;
    const auto number = [t](int at, int len) { int x = 0; for (int i = at; i < at + len; ++i) x = x * 10 + (t[i] - '0'); return x; };
    if (!QDate(number(0, 4), number(5, 2), number(8, 2)).isValid()) return false;
    sqlite3_result_text(ctx, t, 10, SQLITE_TRANSIENT);
    return true;
}

void fnDate10(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (date10Stored(ctx, argv[0])) return;
    const QDateTime d = argDateTime(argv[0]);
    if (!d.isValid()) { sqlite3_result_null(ctx); return; }
    resultText(ctx, d.date().toString(QStringLiteral("yyyy-MM-dd")));
}

void fnDayDiff(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const QDateTime a = argDateTime(argv[0]);
    const QDateTime b = argDateTime(argv[1]);
    if (!a.isValid() || !b.isValid()) { sqlite3_result_null(ctx); return; }
    sqlite3_result_int64(ctx, a.date().daysTo(b.date()));
}

template <int Part>
void fnDatePart(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const QDateTime d = argDateTime(argv[0]);
    if (!d.isValid()) { sqlite3_result_null(ctx); return; }
    const int v = Part == 0 ? d.date().year() : Part == 1 ? d.date().month() : d.date().day();
    sqlite3_result_int(ctx, v);
}

void fnAddDays(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const QDateTime d = argDateTime(argv[0]);
    if (!d.isValid()) { sqlite3_result_null(ctx); return; }
    resultText(ctx, timestampText(d.addDays(sqlite3_value_int64(argv[1]))));
}

// The first column of every row, upper-cased (names of tables and columns).
QStringList column(Connection& c, const QString& sql, const QString& table) {
    Statement s(c, sql);
    if (!table.isEmpty()) s.bind(QStringLiteral(":t"), table);
    s.exec();
    QStringList names;
    while (s.next()) names << s.text(0).toUpper();
    return names;
}

class SqliteDialect final : public Dialect {
public:
    Backend backend() const override { return Backend::Sqlite; }
    QString driverName() const override { return QStringLiteral("QSQLITE"); }
    QString beginSql() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString lockRowsSql() const override { return {}; }
    QString lockTableForRewriteSql(const QString&) const override { return {}; }
    bool numbersInsideDocument() const override { return true; }
    // Times are stored as "yyyy-MM-dd HH:mm:ss" text; date10 takes its first ten characters.
    QString dayOf(const QString& column) const override { return QStringLiteral("date10(%1)").arg(column); }
    bool sumsPerProductFirst() const override { return true; }
    bool sumsScannedRowsInProcess() const override { return true; }
    bool choosesLookupFormByCount() const override { return true; }
    void transactionBegun(Connection& c) const override {
        if (sqlite3* db = sqliteHandle(c)) {
            const QDateTime now = serverNow();
            QMutexLocker lock(&g_transactionClockMutex);
            g_transactionClock.insert(db, now);
        }
    }
    QVariant moneyValue(Money value) const override { return value.toDouble(); }
    QVariant dateTimeValue(const QDateTime& value) const override { return timestampText(value); }

    QString ddl(const QString& portable) const override {
        QString s = portable;
        s.replace(QLatin1String("@MONEY"), QLatin1String("NUMERIC(19,4)"));
        s.replace(QLatin1String("@FLOAT"), QLatin1String("REAL"));
        s.replace(QLatin1String("@BIT"), QLatin1String("SMALLINT"));
        s.replace(QLatin1String("@DATETIME"), QLatin1String("TEXT"));
        s.replace(QLatin1String("@NOW"), QLatin1String("(getdate())"));
        s.replace(QLatin1String("@ID"), QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT"));
        s.replace(QLatin1String("@TEXT"), QLatin1String("TEXT"));
        return s;
    }

    void prepareSession(Connection& c) const override {
        sqlite3* db = sqliteHandle(c);
        if (!db) throw Error(QStringLiteral("SQLite handle not available"), ErrorKind::Connection);
        const int flags = SQLITE_UTF8;
        struct Fn { const char* name; int args; void (*fn)(sqlite3_context*, int, sqlite3_value**); int extra; };
        const Fn fns[] = {
            {"getdate", 0, fnGetdate, 0},
            {"today8", 0, fnToday8, 0},
            {"date10", 1, fnDate10, SQLITE_DETERMINISTIC},
            {"daydiff", 2, fnDayDiff, SQLITE_DETERMINISTIC},
            {"yearof", 1, fnDatePart<0>, SQLITE_DETERMINISTIC},
            {"monthof", 1, fnDatePart<1>, SQLITE_DETERMINISTIC},
            {"dayof", 1, fnDatePart<2>, SQLITE_DETERMINISTIC},
            {"adddays", 2, fnAddDays, SQLITE_DETERMINISTIC},
        };
        for (const Fn& f : fns) {
            if (sqlite3_create_function_v2(db, f.name, f.args, flags | f.extra, nullptr, f.fn, nullptr, nullptr, nullptr) != SQLITE_OK)
                throw Error(QStringLiteral("cannot register SQL function %1").arg(QLatin1String(f.name)), ErrorKind::Connection);
        }
        c.execute(QStringLiteral("PRAGMA foreign_keys = ON"));
        c.execute(QStringLiteral("PRAGMA synchronous = FULL"));
        // 32 MB of pages instead of 2: a posting touches the upper pages of some twenty
        // indexes, which then stay here instead of being copied in from the system each time.
        c.execute(QStringLiteral("PRAGMA cache_size = -32768"));
        // journal_mode answers with a row; a read-only or damaged file fails here, before any write.
        Statement wal(c, QStringLiteral("PRAGMA journal_mode = WAL"));
        wal.exec();
        Statement check(c, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        check.exec();
    }

    void createFunctions(Connection&) const override {}

    void setClock(Connection&, const std::optional<QDateTime>& at) const override { setSqliteClockOverride(at); }

    bool tableExists(Connection& c, const QString& table) const override {
        Statement s(c, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(:name)"));
        return s.bind(QStringLiteral(":name"), table).first();
    }
    std::function<void()> interrupter(Connection& c) const override {
        sqlite3* db = sqliteHandle(c);
        if (!db) throw Error(QStringLiteral("SQLite handle not available"), ErrorKind::Connection);
        return [db] { sqlite3_interrupt(db); };
    }
    QStringList tableNames(Connection& c) const override {
        return column(c, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY name"), {});
    }
    QStringList moneyColumns(Connection& c, const QString& table) const override {
        return column(c, QStringLiteral("SELECT name FROM pragma_table_info(:t) WHERE upper(type) LIKE 'NUMERIC%'"), table);
    }

    void dropNotNullAndDefault(Connection& c, const QString& table, const QString& column) const override {
        QString definition;
        {
            Statement s(c, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = :t"));
            if (!s.bind(QStringLiteral(":t"), table).first()) throw Error(QStringLiteral("no table %1 to rebuild").arg(table));
            definition = s.text(0);
        }
        // The column's type stays; everything after it up to the next column goes (NOT NULL, DEFAULT).
        const QRegularExpression columnDef(QStringLiteral("([(,]\\s*%1\\s+\\w+(?:\\s*\\([^)]*\\))?)[^,)]*").arg(column),
                                           QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = columnDef.match(definition);
        if (!m.hasMatch()) throw Error(QStringLiteral("column %1.%2 not found to rebuild").arg(table, column));
        QString rebuilt = definition;
        rebuilt.replace(m.capturedStart(), m.capturedLength(), m.captured(1));
        const QString scratch = table + QStringLiteral("_rebuild");
        const QRegularExpression head(QStringLiteral("^CREATE TABLE\\s+\"?%1\"?").arg(table), QRegularExpression::CaseInsensitiveOption);
        if (!head.match(rebuilt).hasMatch()) throw Error(QStringLiteral("unexpected definition of %1").arg(table));
        rebuilt.replace(head, QStringLiteral("CREATE TABLE ") + scratch);

        // Views name the table; SQLite checks them on rename, so all of them are dropped and
        // recreated in their original order. The table's indexes and triggers go with it.
        QStringList viewNames, recreate;
        {
            Statement s(c, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'view' ORDER BY rowid"));
            s.exec();
            while (s.next()) { viewNames << s.text(0); recreate << s.text(1); }
        }
        QStringList dependents;
        {
            Statement s(c, QStringLiteral(
                "SELECT sql FROM sqlite_master WHERE type IN ('index', 'trigger') AND tbl_name = :t AND sql IS NOT NULL ORDER BY rowid"));
            s.bind(QStringLiteral(":t"), table).exec();
            while (s.next()) dependents << s.text(0);
        }
        for (const QString& view : viewNames) c.execute(QStringLiteral("DROP VIEW \"%1\"").arg(view));
        c.execute(rebuilt);
        c.execute(QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(scratch, table));
        c.execute(QStringLiteral("DROP TABLE %1").arg(table));
        c.execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(scratch, table));
        for (const QString& sql : dependents) c.execute(sql);
        for (const QString& sql : recreate) c.execute(sql);
    }

    void unpadTextColumn(Connection&, const QString&, const QString&, int) const override {}

    void enforceForeignKeys(Connection& c, bool on) const override {
        c.execute(on ? QStringLiteral("PRAGMA foreign_keys = ON") : QStringLiteral("PRAGMA foreign_keys = OFF"));
        Statement s(c, QStringLiteral("PRAGMA foreign_keys"));
        if (!s.first() || (s.integer(0) != 0) != on)
            throw Error(QStringLiteral("foreign keys cannot be switched %1 inside a transaction").arg(on ? QStringLiteral("on") : QStringLiteral("off")));
    }

    void checkForeignKeys(Connection& c) const override {
        Statement s(c, QStringLiteral("PRAGMA foreign_key_check"));
        if (s.first())
            throw Error(QStringLiteral("rows of %1 refer to missing rows of %2").arg(s.text(0), s.text(2)), ErrorKind::ForeignKey);
    }
};


// How the session plans its prepared statements, for the session or (`local`) until the
// transaction ends. The setting exists from PostgreSQL 12 on; an older server keeps its own
// choice.
QString planCacheModeSql(const char* mode, bool local) {
    return QStringLiteral("SELECT set_config('plan_cache_mode', '%1', %2) WHERE current_setting('server_version_num')::int >= 120000")
        .arg(QLatin1String(mode), local ? QStringLiteral("true") : QStringLiteral("false"));
}

class PostgresDialect final : public Dialect {
public:
    Backend backend() const override { return Backend::Postgres; }
    QString driverName() const override { return QStringLiteral("QPSQL"); }
    QString beginSql() const override { return QStringLiteral("BEGIN"); }
    QString beginDocumentSql() const override { return QStringLiteral("BEGIN; ") + planCacheModeSql("force_generic_plan", true); }
    // NO KEY UPDATE: documents that name the row (a supplier on a receipt header) take a key
    // share lock on it through their foreign key; FOR UPDATE would wait on those and two
    // tills would deadlock, each holding the key share the other's lock waits for.
    QString lockRowsSql() const override { return QStringLiteral(" FOR NO KEY UPDATE"); }
    QString lockTableForRewriteSql(const QString& table) const override {
        return QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(table);
    }
    bool numbersInsideDocument() const override { return false; }
    // Local to the transaction: the session's next commits flush as ever.
    QStringList unflushedOpening() const override {
        return {QStringLiteral("BEGIN"), QStringLiteral("SET LOCAL synchronous_commit TO OFF")};
    }
    QString dayOf(const QString& column) const override { return QStringLiteral("CAST(%1 AS DATE)").arg(column); }
    bool sumsPerProductFirst() const override { return false; }
    bool sumsScannedRowsInProcess() const override { return false; }
    bool choosesLookupFormByCount() const override { return false; }
    QVariant moneyValue(Money value) const override { return value.toDecimalString(); }
    QVariant dateTimeValue(const QDateTime& value) const override { return timestampText(value); }

    QString ddl(const QString& portable) const override {
        QString s = portable;
        s.replace(QLatin1String("@MONEY"), QLatin1String("NUMERIC(19,4)"));
        s.replace(QLatin1String("@FLOAT"), QLatin1String("DOUBLE PRECISION"));
        s.replace(QLatin1String("@BIT"), QLatin1String("SMALLINT"));
        s.replace(QLatin1String("@DATETIME"), QLatin1String("TIMESTAMP(0)"));
        s.replace(QLatin1String("@NOW"), QLatin1String("getdate()"));
        s.replace(QLatin1String("@ID"), QLatin1String("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
        s.replace(QLatin1String("@TEXT"), QLatin1String("TEXT"));
        return s;
    }

    void prepareSession(Connection& c) const override {
        if (!c.url().schema.isEmpty()) {
            static const QRegularExpression safe(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
            if (!safe.match(c.url().schema).hasMatch())
                throw Error(QStringLiteral("invalid schema name: %1").arg(c.url().schema), ErrorKind::Connection);
            c.execute(QStringLiteral("SET search_path TO %1").arg(c.url().schema));
        }
        c.execute(QStringLiteral("SET client_encoding TO 'UTF8'"));
        c.execute(QStringLiteral("SET client_min_messages TO WARNING"));
        // Statements stay prepared in the statement cache, and after a few runs the server
        // would switch to one plan for any parameters: for a period from a day to years it
        // picked a bitmap scan and a sort spilled to disk, 4x slower than the plan for the
        // actual dates. Planning per run costs well under a millisecond.
        c.execute(planCacheModeSql("force_custom_plan", false));
    }

    void planOnceForAnyValues(Connection& c, bool on) const override {
        c.execute(planCacheModeSql(on ? "force_generic_plan" : "force_custom_plan", true));
    }

    void createFunctions(Connection& c) const override {
        // The clock reads a session setting first, so tests can fix "now".
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION getdate() RETURNS timestamp(0) LANGUAGE sql STABLE AS $$ "
            "SELECT COALESCE(NULLIF(current_setting('pos.clock', true), '')::timestamp, "
            "localtimestamp)::timestamp(0) $$"));
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION today8() RETURNS text LANGUAGE sql STABLE AS $$ SELECT to_char(getdate(), 'YYYYMMDD') $$"));
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION date10(timestamp) RETURNS varchar(10) LANGUAGE sql IMMUTABLE AS $$ SELECT to_char($1, 'YYYY-MM-DD')::varchar(10) $$"));
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION daydiff(timestamp, timestamp) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT ($2::date - $1::date) $$"));
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION yearof(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT extract(year FROM $1)::integer $$"));
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION monthof(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT extract(month FROM $1)::integer $$"));
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION dayof(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT extract(day FROM $1)::integer $$"));
        c.execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION adddays(timestamp, integer) RETURNS timestamp(0) LANGUAGE sql IMMUTABLE AS $$ SELECT ($1 + $2 * interval '1 day')::timestamp(0) $$"));
    }

    void setClock(Connection& c, const std::optional<QDateTime>& at) const override {
        Statement s(c, QStringLiteral("SELECT set_config('pos.clock', :at, false)"));
        s.bind(QStringLiteral(":at"), at ? timestampText(*at) : QString()).exec();
    }

    bool tableExists(Connection& c, const QString& table) const override {
        Statement s(c, QStringLiteral(
            "SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() AND lower(table_name) = lower(:name)"));
        return s.bind(QStringLiteral(":name"), table).first();
    }
    std::function<void()> interrupter(Connection& c) const override {
        PGconn* conn = postgresHandle(c);
        if (!conn) throw Error(QStringLiteral("PostgreSQL handle not available"), ErrorKind::Connection);
        std::shared_ptr<PGcancel> cancel(PQgetCancel(conn), PQfreeCancel);
        return [cancel] {
            char message[256];
            PQcancel(cancel.get(), message, int(sizeof message));
        };
    }
    QStringList tableNames(Connection& c) const override {
        return column(c, QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema() "
                                        "AND table_type = 'BASE TABLE' ORDER BY table_name"), {});
    }
    QStringList moneyColumns(Connection& c, const QString& table) const override {
        return column(c, QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_schema = current_schema() "
                                        "AND lower(table_name) = lower(:t) AND data_type = 'numeric'"), table);
    }

    void dropNotNullAndDefault(Connection& c, const QString& table, const QString& column) const override {
        c.execute(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 DROP NOT NULL").arg(table, column));
        c.execute(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 DROP DEFAULT").arg(table, column));
    }

    // The cast from CHAR drops the trailing blanks the server padded the stored values with.
    void unpadTextColumn(Connection& c, const QString& table, const QString& column, int width) const override {
        c.execute(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE VARCHAR(%3)").arg(table, column).arg(width));
    }

    void enforceForeignKeys(Connection&, bool) const override {}
    void checkForeignKeys(Connection&) const override {}
};

}  // namespace

const Dialect& Dialect::of(Backend backend) {
    static const SqliteDialect sqlite;
    static const PostgresDialect postgres;
    return backend == Backend::Sqlite ? static_cast<const Dialect&>(sqlite) : postgres;
}

std::optional<QDateTime> sqliteClockOverride() {
    QMutexLocker lock(&g_clockMutex);
    return g_clock;
}

void setSqliteClockOverride(const std::optional<QDateTime>& at) {
    QMutexLocker lock(&g_clockMutex);
    g_clock = at;
}

QString timestampText(const QDateTime& at) { return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

sqlite3* sqliteHandle(Connection& c) {
    const QVariant h = c.handle().driver()->handle();
    return (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) ? *static_cast<sqlite3* const*>(h.data()) : nullptr;
}

}  // namespace db
