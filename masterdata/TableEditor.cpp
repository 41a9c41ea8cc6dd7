#include "masterdata/TableEditor.h"

#include "db/Error.h"
#include "db/Money.h"
#include "db/Passwords.h"
#include "db/Statement.h"
#include "db/TextCheck.h"
#include "db/Transaction.h"
#include "masterdata/OperationLog.h"
#include "masterdata/TextWidth.h"

#include <algorithm>

namespace {
// The placeholder of column i; in a statement of several rows, of column i of row r.
QString parameter(int i, int row = -1) {
    return row < 0 ? QStringLiteral(":v%1").arg(i) : QStringLiteral(":v%1_%2").arg(i).arg(row);
}

// Rows per statement when many are added at once: fewer round trips, while the driver's
// search for each named placeholder (linear in their number) stays cheap.
constexpr int kRowsPerInsert = 50;

QString textOf(const Column& column, const QVariant& value) {
    switch (column.kind) {
    case ColumnKind::Money: return column.optional && value.isNull() ? QString() : Money::fromVariant(value).toDecimalString();
    case ColumnKind::Integer: return QString::number(value.toLongLong());
    case ColumnKind::Bit: return value.toInt() != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case ColumnKind::Password: return {};
    case ColumnKind::Text: break;
    }
    return value.isNull() ? QString() : value.toString();
}
}  // namespace

QString storedText(const Column& column, const QString& typed) {
    const QString t = typed.trimmed();
    switch (column.kind) {
    case ColumnKind::Text:
    case ColumnKind::Password: {
        const QString& kept = column.kind == ColumnKind::Password ? typed : t;
        if (const qsizetype bad = db::firstUnfitCharacter(kept); bad >= 0)
            throw db::Error(QStringLiteral("“%1”含有不能保存的字符（%2）").arg(column.editLabel(), db::characterCode(kept, bad)));
        if (column.width > 0 && gbkWidth(t) > column.width)
            throw db::Error(QStringLiteral("“%1”最多%2个字节（汉字占两个）").arg(column.editLabel()).arg(column.width));
        return kept;
    }
    case ColumnKind::Money: {
        if (t.isEmpty()) return column.optional ? QString() : Money().toDecimalString();
        const auto m = Money::parse(t);
        if (!m) throw db::Error(QStringLiteral("“%1”不是金额：%2").arg(column.editLabel(), t));
        return m->toDecimalString();
    }
    case ColumnKind::Integer: {
        if (t.isEmpty()) return QStringLiteral("0");
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok) throw db::Error(QStringLiteral("“%1”不是整数：%2").arg(column.editLabel(), t));
        return QString::number(n);
    }
    case ColumnKind::Bit:
        return (t == QLatin1String("1") || t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) ? QStringLiteral("1")
                                                                                                     : QStringLiteral("0");
    }
    return t;
}

TableEditor::TableEditor(db::Connection& connection, TableDefinition definition, QString operatorNo)
    : m_connection(connection), m_definition(std::move(definition)), m_operatorNo(std::move(operatorNo)) {}

int TableEditor::passwordIndex() const {
    for (size_t i = 0; i < m_definition.columns.size(); ++i)
        if (m_definition.columns[i].kind == ColumnKind::Password) return int(i);
    return -1;
}

// Password columns are never read: they stay empty in the record.
QString TableEditor::selectSql() const {
    QStringList names;
    for (const Column& c : m_definition.columns)
        if (c.kind != ColumnKind::Password) names << c.name;
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(names.join(QStringLiteral(", ")), m_definition.table);
    if (!m_definition.filter.isEmpty()) sql += QStringLiteral(" WHERE ") + m_definition.filter;
    return sql + QStringLiteral(" ORDER BY ") + orderTerms().join(QStringLiteral(", "));
}

QStringList TableEditor::orderTerms() const {
    // Split at the commas outside parentheses: a term may be a call such as COALESCE(a, '').
    QStringList terms;
    QString term;
    int depth = 0;
    for (const QChar ch : m_definition.orderBy) {
        if (ch == u'(') ++depth;
        else if (ch == u')') --depth;
        if (ch == u',' && depth == 0) {
            terms << term.trimmed();
            term.clear();
        } else {
            term += ch;
        }
    }
    if (!term.trimmed().isEmpty()) terms << term.trimmed();
    if (!terms.contains(m_definition.key, Qt::CaseInsensitive)) terms << m_definition.key;
    return terms;
}

std::vector<RecordValues> TableEditor::read(db::Statement& s) {
    std::vector<int> read;  // definition index of each selected column
    for (size_t i = 0; i < m_definition.columns.size(); ++i)
        if (m_definition.columns[i].kind != ColumnKind::Password) read.push_back(int(i));
    std::vector<RecordValues> rows;
    while (s.next()) {
        RecordValues row;
        row.reserve(qsizetype(m_definition.columns.size()));
        for (size_t i = 0; i < m_definition.columns.size(); ++i) row << QString();
        for (size_t j = 0; j < read.size(); ++j)
            row[read[j]] = textOf(m_definition.columns[size_t(read[j])], s.value(int(j)));
        rows.push_back(row);
    }
    return rows;
}

std::vector<RecordValues> TableEditor::load() {
    db::Statement s(m_connection, selectSql());
    s.exec();
    return read(s);
}

std::vector<RecordValues> TableEditor::loadPage(int offset, int limit) {
    db::Statement s(m_connection, selectSql() + QStringLiteral(" LIMIT :limit OFFSET :offset"));
    s.bind(QStringLiteral(":limit"), limit).bind(QStringLiteral(":offset"), offset).exec();
    return read(s);
}

int TableEditor::count() {
    QString sql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(m_definition.table);
    if (!m_definition.filter.isEmpty()) sql += QStringLiteral(" WHERE ") + m_definition.filter;
    db::Statement s(m_connection, sql);
    return s.first() ? int(s.integer(0)) : 0;
}

// The rows before the key's in the list's order. Every term is non-null (the definitions
// order by key columns or COALESCE), so the row comparison is a plain order.
int TableEditor::rowOf(const QString& key) {
    const QString where = m_definition.filter.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(m_definition.filter);
    db::Statement exists(m_connection, QStringLiteral("SELECT 1 FROM %1 WHERE %2 = :key%3").arg(m_definition.table, m_definition.key, where));
    exists.bind(QStringLiteral(":key"), key);
    if (!exists.first()) return -1;
    const QString terms = orderTerms().join(QStringLiteral(", "));
    db::Statement before(m_connection, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE (%2) < (SELECT %2 FROM %1 WHERE %3 = :key)%4")
                                           .arg(m_definition.table, terms, m_definition.key, where));
    before.bind(QStringLiteral(":key"), key);
    return before.first() ? int(before.integer(0)) : -1;
}

// Rows outside the list's filter (the retail client) cannot be changed from the list either.
QString TableEditor::filterClause() const {
    return m_definition.filter.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(m_definition.filter);
}

QString TableEditor::insertSql(int rows) const {
    QStringList names, tuples;
    for (size_t i = 0; i < m_definition.columns.size(); ++i) names << m_definition.columns[i].name;
    for (int r = 0; r < rows; ++r) {
        QStringList values;
        for (size_t i = 0; i < m_definition.columns.size(); ++i) values << parameter(int(i), rows == 1 ? -1 : r);
        tuples << QStringLiteral("(%1)").arg(values.join(QStringLiteral(", ")));
    }
    return QStringLiteral("INSERT INTO %1(%2) VALUES%3")
        .arg(m_definition.table, names.join(QStringLiteral(", ")), tuples.join(QStringLiteral(", ")));
}

QString TableEditor::updateSql(bool withPassword) const {
    QStringList sets;
    for (size_t i = 0; i < m_definition.columns.size(); ++i) {
        if (m_definition.columns[i].kind == ColumnKind::Password && !withPassword) continue;
        sets << QStringLiteral("%1 = %2").arg(m_definition.columns[i].name, parameter(int(i)));
    }
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3 = :originalKey%4")
        .arg(m_definition.table, sets.join(QStringLiteral(", ")), m_definition.key, filterClause());
}

void TableEditor::bindValues(db::Statement& statement, const RecordValues& values, bool withPassword, int row) const {
    for (size_t i = 0; i < m_definition.columns.size(); ++i) {
        const Column& column = m_definition.columns[i];
        const QString typed = int(i) < values.size() ? values[int(i)] : QString();
        const QString name = parameter(int(i), row);
        const QString stored = storedText(column, typed);
        switch (column.kind) {
        case ColumnKind::Text: statement.bindTextOrNull(name, stored); break;
        case ColumnKind::Money:
            if (stored.isEmpty()) statement.bindNull(name);
            else statement.bind(name, *Money::parse(stored));
            break;
        case ColumnKind::Integer: statement.bind(name, stored.toInt()); break;
        case ColumnKind::Bit: statement.bind(name, stored == QLatin1String("1")); break;
        case ColumnKind::Password:
            if (!withPassword) break;
            // An empty password binds NULL: the table requires one, so a new operator
            // without a password is refused like any incomplete record.
            if (stored.isEmpty()) statement.bindNull(name);
            else statement.bind(name, db::Passwords::hash(stored));
            break;
        }
    }
}

void TableEditor::insert(const RecordValues& values) {
    db::Transaction tx(m_connection);
    insert(tx, values);
    tx.commit();
}

void TableEditor::insert(db::Transaction& tx, const RecordValues& values) {
    db::Statement s(tx, insertSql());
    bindValues(s, values, true);
    s.exec();
    const int key = m_definition.keyIndex();
    OperationLog::write(tx, m_operatorNo, OperationLog::Added, m_definition.table, storedText(m_definition.columns[size_t(key)], values.value(key)));
}

void TableEditor::insertMany(db::Transaction& tx, const std::vector<RecordValues>& rows) {
    const int key = m_definition.keyIndex();
    for (size_t from = 0; from < rows.size(); from += kRowsPerInsert) {
        const int n = int(std::min(rows.size() - from, size_t(kRowsPerInsert)));
        db::Statement s(tx, insertSql(n));
        QStringList keys;
        for (int r = 0; r < n; ++r) {
            const RecordValues& values = rows[from + size_t(r)];
            bindValues(s, values, true, n == 1 ? -1 : r);
            keys << storedText(m_definition.columns[size_t(key)], values.value(key));
        }
        s.exec();
        OperationLog::writeEach(tx, m_operatorNo, OperationLog::Added, m_definition.table, keys);
    }
}

void TableEditor::update(const QString& originalKey, const RecordValues& values) {
    const int pw = passwordIndex();
    const bool withPassword = pw >= 0 && !values.value(pw).isEmpty();
    db::Transaction tx(m_connection);
    db::Statement s(tx, updateSql(withPassword));
    bindValues(s, values, withPassword);
    s.bind(QStringLiteral(":originalKey"), originalKey);
    s.exec();
    if (s.rowsAffected() != 1)
        throw db::Error(QStringLiteral("%1 中已没有 %2 = %3 的记录").arg(m_definition.table, m_definition.key, originalKey));
    const int key = m_definition.keyIndex();
    const QString newKey = storedText(m_definition.columns[size_t(key)], values.value(key));
    OperationLog::write(tx, m_operatorNo, OperationLog::Changed, m_definition.table, newKey,
                        newKey == originalKey ? QString() : originalKey);
    tx.commit();
}

bool TableEditor::remove(const QString& key) {
    db::Transaction tx(m_connection);
    if (m_removalGuard) {
        const QString refusal = m_removalGuard(tx, key);
        if (!refusal.isEmpty()) throw db::Error(refusal, db::ErrorKind::Refused);
    }
    db::Statement s(tx, QStringLiteral("DELETE FROM %1 WHERE %2 = :key%3").arg(m_definition.table, m_definition.key, filterClause()));
    s.bind(QStringLiteral(":key"), key).exec();
    if (s.rowsAffected() < 1) return false;
    OperationLog::write(tx, m_operatorNo, OperationLog::Deleted, m_definition.table, key);
    tx.commit();
    return true;
}
