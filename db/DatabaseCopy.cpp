#include "db/DatabaseCopy.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Money.h"
#include "db/RowCursor.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QSet>
#include <algorithm>

namespace db {

namespace {

// Bound values per insert: within SQLite's and PostgreSQL's limits, large enough that a
// million rows take a few thousand statements.
constexpr int kValuesPerStatement = 2000;
constexpr int kRowsPerFetch = 5000;
constexpr qint64 kProgressEvery = 100000;

// A read-only snapshot of the source for the whole copy, without holding off its tills:
// SQLite in WAL mode reads a snapshot from its first read on; PostgreSQL's repeatable read.
class SourceSnapshot {
public:
    explicit SourceSnapshot(Connection& c) : m_connection(c) {
        c.execute(c.backend() == Backend::Postgres ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                                                   : QStringLiteral("BEGIN"));
    }
    ~SourceSnapshot() {
        try {
            m_connection.execute(QStringLiteral("COMMIT"));
        } catch (const Error&) {
            // Nothing was written through it; a failed end of a read changes nothing.
        }
    }
    SourceSnapshot(const SourceSnapshot&) = delete;
    SourceSnapshot& operator=(const SourceSnapshot&) = delete;

private:
    Connection& m_connection;
};

qint64 rowCount(Connection& c, const QString& table) {
    Statement s(c, QStringLiteral("SELECT COUNT(*) FROM ") + table);
    const qint64 n = s.first() ? s.integer(0) : -1;
    s.query().finish();
    return n;
}

}  // namespace

std::vector<CopiedTable> DatabaseCopy::run(const Progress& progress, const Verify& verify) {
    Schema::checkUsable(m_source);
    const QStringList existing = m_target.dialect().tableNames(m_target);
    if (!existing.isEmpty())
        throw Error(QStringLiteral("the target database is not empty (it has the tables %1); copy into an empty database")
                        .arg(existing.mid(0, 5).join(QStringLiteral(", ")) + (existing.size() > 5 ? QStringLiteral(", …") : QString())));

    SourceSnapshot snapshot(m_source);
    const int version = Schema::storedVersion(m_source);

    // Every table of the source must be one the copy knows, so nothing is left behind silently.
    QStringList order = Schema::tablesChildFirst();
    std::reverse(order.begin(), order.end());   // parents first
    QSet<QString> known;
    for (const QString& t : order) known.insert(t.toUpper());
    known.insert(QStringLiteral("SCHEMA_VERSION"));
    const QStringList sourceTables = m_source.dialect().tableNames(m_source);
    for (const QString& t : sourceTables)
        if (!known.contains(t)) throw Error(QStringLiteral("the source has a table this program does not know: %1").arg(t));

    // SQLite checks the copied references once at the end instead of row by row, and a schema
    // step that rebuilds a table needs the check off anyway; the switch only acts outside a
    // transaction. PostgreSQL checks each row.
    struct ForeignKeysDeferred {
        Connection& c;
        explicit ForeignKeysDeferred(Connection& target) : c(target) { c.dialect().enforceForeignKeys(c, false); }
        ~ForeignKeysDeferred() {
            try { c.dialect().enforceForeignKeys(c, true); } catch (...) {}
        }
    } foreignKeysDeferred(m_target);

    Transaction tx(m_target);
    Schema::migrate(m_target, version);

    std::vector<CopiedTable> copied;
    for (const QString& table : order) {
        if (!sourceTables.contains(table.toUpper())) continue;
        const qint64 rows = copyTable(table, progress);
        const qint64 inSource = rowCount(m_source, table);
        const qint64 inTarget = rowCount(m_target, table);
        if (rows != inSource || inTarget != inSource)
            throw Error(QStringLiteral("%1: %2 rows in the source, %3 read, %4 in the target; nothing was copied")
                            .arg(table).arg(inSource).arg(rows).arg(inTarget));
        copied.push_back({table, rows});
        if (progress) progress(table, rows, true);
    }
    m_target.dialect().checkForeignKeys(m_target);
    if (verify) verify(m_target);
    tx.commit();
    return copied;
}

qint64 DatabaseCopy::copyTable(const QString& table, const Progress& progress) {
    // Table names come from the program's own list, never from outside.
    auto cursor = RowCursor::open(m_source, QStringLiteral("SELECT * FROM ") + table, {});
    QStringList columns;
    for (const QString& c : cursor->columns()) columns << c.toUpper();
    if (columns.isEmpty()) throw Error(QStringLiteral("%1: no columns read").arg(table));
    const QStringList money = m_target.dialect().moneyColumns(m_target, table);
    std::vector<bool> isMoney;
    for (const QString& c : columns) isMoney.push_back(money.contains(c));

    const int perStatement = std::max(1, kValuesPerStatement / int(columns.size()));
    auto insertSql = [&](int rows) {
        QStringList tuples;
        for (int r = 0; r < rows; ++r) {
            QStringList names;
            for (int c = 0; c < columns.size(); ++c) names << QStringLiteral(":v%1_%2").arg(r).arg(c);
            tuples << u'(' + names.join(QStringLiteral(", ")) + u')';
        }
        return QStringLiteral("INSERT INTO %1(%2) VALUES %3").arg(table, columns.join(QStringLiteral(", ")), tuples.join(QStringLiteral(", ")));
    };
    const QString fullSql = insertSql(perStatement);

    qint64 copied = 0;
    qint64 nextReport = kProgressEvery;
    std::vector<RowCursor::Row> pending;
    auto flush = [&](size_t count) {   // writes every pending row
        Statement insert(m_target, count == size_t(perStatement) ? fullSql : insertSql(int(count)));
        for (size_t r = 0; r < count; ++r) {
            const RowCursor::Row& row = pending[r];
            for (int c = 0; c < columns.size(); ++c) {
                const QString name = QStringLiteral(":v%1_%2").arg(r).arg(c);
                const QVariant& v = row[c];
                // Money passes through the fixed-point type, so SQLite's stored reals arrive
                // as exact four-decimal amounts and PostgreSQL's decimal text stays exact.
                if (isMoney[size_t(c)] && !v.isNull()) insert.bind(name, Money::fromVariant(v));
                else insert.bindValue(name, v);
            }
        }
        insert.exec();
        pending.clear();
    };
    while (!cursor->atEnd()) {
        std::vector<RowCursor::Row> rows = cursor->fetch(kRowsPerFetch);
        for (RowCursor::Row& row : rows) {
            pending.push_back(std::move(row));
            if (pending.size() == size_t(perStatement)) flush(pending.size());
        }
        copied += qint64(rows.size());
        if (progress && copied >= nextReport) {
            progress(table, copied, false);
            nextReport += kProgressEvery;
        }
    }
    if (!pending.empty()) flush(pending.size());
    cursor.reset();

    // PostgreSQL's identity columns count on from the highest copied ID; SQLite's
    // AUTOINCREMENT already follows explicitly inserted IDs.
    if (m_target.backend() == Backend::Postgres && columns.contains(QStringLiteral("ID"))) {
        Statement next(m_target, QStringLiteral("SELECT setval(pg_get_serial_sequence(:t, 'id'), COALESCE(MAX(ID), 0) + 1, false) FROM ") + table);
        next.bind(QStringLiteral(":t"), table.toLower()).first();
        next.query().finish();
    }
    return copied;
}

}  // namespace db
