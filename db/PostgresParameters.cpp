#include "db/PostgresParameters.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/Money.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDriver>

namespace db {

namespace {

// The text form in which libpq passes a value: the forms Statement binds (money as decimal
// text, stamps as "yyyy-MM-dd HH:mm:ss", flags as 0/1).
std::optional<QByteArray> parameterText(const Dialect& dialect, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return std::nullopt;
    if (value.typeId() == qMetaTypeId<Money>()) return dialect.moneyValue(value.value<Money>()).toString().toUtf8();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QByteArray(value.toBool() ? "1" : "0");
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::QDate:
        return dialect.dateTimeValue(QDateTime(value.toDate(), QTime(0, 0))).toString().toUtf8();
    case QMetaType::QDateTime:
        return dialect.dateTimeValue(value.toDateTime()).toString().toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

}  // namespace

PGconn* postgresHandle(Connection& connection) {
    const QVariant h = connection.handle().driver()->handle();
    // The driver names the type by libpq's struct tag.
    const bool pg = h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 || qstrcmp(h.typeName(), "pg_conn*") == 0);
    return pg ? *static_cast<PGconn* const*>(h.constData()) : nullptr;
}

std::pair<QString, QStringList> numberedPlaceholders(const QString& sql) {
    QString text;
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar ch = sql[i];
        if (!quote.isNull()) {
            if (ch == quote) quote = QChar();
            text += ch;
        } else if (ch == u'\'' || ch == u'"') {
            quote = ch;
            text += ch;
        } else if (ch == u':' && i + 1 < sql.size() && sql[i + 1] == u':') {
            text += QStringLiteral("::");
            ++i;
        } else if (ch == u':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == u'_')) {
            qsizetype end = i + 1;
            while (end < sql.size() && (sql[end].isLetterOrNumber() || sql[end] == u'_')) ++end;
            const QString name = sql.mid(i, end - i);
            qsizetype n = names.indexOf(name);
            if (n < 0) {
                names << name;
                n = names.size() - 1;
            }
            text += QStringLiteral("$%1").arg(n + 1);
            i = end - 1;
        } else {
            text += ch;
        }
    }
    return {text, names};
}

PostgresParameters::PostgresParameters(const Dialect& dialect, const QString& sql, const Values& values)
    : PostgresParameters(dialect, numberedPlaceholders(sql), values, sql) {}

PostgresParameters::PostgresParameters(const Dialect& dialect, std::pair<QString, QStringList> numbered,
                                       const Values& values, const QString& sql)
    : PostgresParameters(dialect, numbered.second, values, sql) {
    m_text = std::move(numbered.first);
}

PostgresParameters::PostgresParameters(const Dialect& dialect, const QStringList& placeholders, const Values& values,
                                       const QString& sql)
    : m_names(placeholders) {
    // A document's statement binds hundreds of values: found by name through a hash.
    QHash<QString, const QVariant*> byName;
    byName.reserve(qsizetype(values.size()));
    for (const auto& [name, value] : values) byName.insert(name, &value);
    for (const QString& name : m_names) {
        const QVariant* bound = byName.value(name);
        if (!bound) throw Error(QStringLiteral("no value bound for %1 in: %2").arg(name, sql));
        m_texts.push_back(parameterText(dialect, *bound));
    }
    for (const auto& t : m_texts) m_pointers.push_back(t ? t->constData() : nullptr);
}

}  // namespace db
