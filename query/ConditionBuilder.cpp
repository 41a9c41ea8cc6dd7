#include "query/ConditionBuilder.h"

#include "db/Money.h"
#include "db/TextCheck.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace query {

namespace {

constexpr int kContains = 6;
constexpr int kNotContains = 7;

int indexIn(const QStringList& list, const QString& text) { return list.indexOf(text); }

std::optional<double> readNumber(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

const QStringList& ConditionBuilder::comparisonTitles() {
    static const QStringList titles{QStringLiteral("等于"),     QStringLiteral("大于"),   QStringLiteral("大于等于"),
                                    QStringLiteral("小于"),     QStringLiteral("小于等于"), QStringLiteral("不等于"),
                                    QStringLiteral("包含"),     QStringLiteral("不包含")};
    return titles;
}

const QStringList& ConditionBuilder::comparisonSigns() {
    static const QStringList signs{QStringLiteral("="),  QStringLiteral(">"),  QStringLiteral(">="),
                                   QStringLiteral("<"),  QStringLiteral("<="), QStringLiteral("<>"),
                                   QStringLiteral("like"), QStringLiteral("not like")};
    return signs;
}

const QStringList& ConditionBuilder::connectiveTitles() {
    static const QStringList titles{QStringLiteral("或者"), QStringLiteral("并且")};
    return titles;
}

const QStringList& ConditionBuilder::connectiveSigns() {
    static const QStringList signs{QStringLiteral("or"), QStringLiteral("and")};
    return signs;
}

ConditionBuilder::ConditionBuilder(QueryItems items) : m_items(std::move(items)) {}

QStringList ConditionBuilder::itemTitles() const {
    QStringList titles;
    for (const QueryItem& item : m_items) titles << item.title;
    return titles;
}

std::optional<QDate> ConditionBuilder::readDate(const QString& text) {
    const QString t = text.trimmed();
    static const QRegularExpression separated(
        QStringLiteral("^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?$"));
    static const QRegularExpression compact(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    QRegularExpressionMatch m = separated.match(t);
    if (!m.hasMatch()) m = compact.match(t);
    if (m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (d.isValid()) return d;
        return std::nullopt;
    }
    const QDate local = QLocale::system().toDate(t, QLocale::ShortFormat);
    if (local.isValid()) return local;
    return std::nullopt;
}

QString ConditionBuilder::likePattern(const QString& content) {
    QString escaped;
    escaped.reserve(content.size() + 2);
    escaped += QLatin1Char('%');
    for (const QChar c : content) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == kLikeEscape) escaped += kLikeEscape;
        escaped += c;
    }
    escaped += QLatin1Char('%');
    return escaped;
}

std::optional<QVariant> ConditionBuilder::readContent(ColumnKind kind, const QString& content, bool contains) {
    // A control character matches nothing the shop typed and a NUL cannot even reach PostgreSQL.
    if (db::firstUnfitCharacter(content) >= 0) return std::nullopt;
    if (contains) {
        if (kind != ColumnKind::Text && kind != ColumnKind::Date) return std::nullopt;
        return QVariant(likePattern(content));
    }
    switch (kind) {
    case ColumnKind::Text:
        return QVariant(content);
    case ColumnKind::Date:
        // The views give days as "yyyy-mm-dd" text, so a day in that form compares by whole day.
        if (const auto d = readDate(content)) return QVariant(d->toString(QStringLiteral("yyyy-MM-dd")));
        return std::nullopt;
    case ColumnKind::Float:
        if (const auto v = readNumber(content)) return QVariant(*v);
        return std::nullopt;
    case ColumnKind::Integer:
        // A fraction would be rounded on the way to an integer column and match the wrong rows.
        if (const auto v = readNumber(content); v && *v == std::trunc(*v) && std::fabs(*v) < 9.0e15)
            return QVariant(qint64(*v));
        return std::nullopt;
    case ColumnKind::Amount:
        if (const auto m = Money::parse(content)) return QVariant::fromValue(*m);
        return std::nullopt;
    case ColumnKind::Boolean: {
        const QString t = content.trimmed();
        if (const auto v = readNumber(t)) return QVariant(*v != 0 ? 1 : 0);
        if (t.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 || t == QStringLiteral("是")
            || t == QStringLiteral("代销"))
            return QVariant(1);
        if (t.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0 || t == QStringLiteral("否")
            || t == QStringLiteral("包销"))
            return QVariant(0);
        return std::nullopt;
    }
    }
    return std::nullopt;
}

QString ConditionBuilder::nextPlaceholder() const { return QStringLiteral(":c%1").arg(m_pending.values.size() + 1); }

ConditionBuilder::Formed ConditionBuilder::form(const QString& item, const QString& comparison,
                                                const QString& content) const {
    Formed f;
    // Only a title of the screen's own list names a column, only one of the eight an operator.
    const int i = indexIn(itemTitles(), item);
    const int j = indexIn(comparisonTitles(), comparison);
    if (i < 0 || i >= int(m_items.size()) || j < 0 || j >= comparisonSigns().size()) return f;
    const QueryItem& column = m_items[size_t(i)];
    f.kind = column.kind;
    const bool contains = j == kContains || j == kNotContains;
    if (contains && column.kind != ColumnKind::Text && column.kind != ColumnKind::Date) {
        f.outcome = Outcome::Mismatch;
        return f;
    }
    const auto value = readContent(column.kind, content, contains);
    if (!value) return f;
    f.outcome = Outcome::Done;
    f.placeholder = nextPlaceholder();
    f.sql = column.column + QStringLiteral(" ") + comparisonSigns()[j] + QStringLiteral(" ") + f.placeholder;
    // The content is searched for as typed: its % and _ are characters, not wildcards.
    if (contains) f.sql += QStringLiteral(" escape '") + kLikeEscape + QStringLiteral("'");
    f.value = *value;
    f.words = item + QStringLiteral(" ") + comparison + QStringLiteral(" ") + content;
    f.lookupTable = column.lookupTable;
    // Inside the sub-select the column names the lookup table's own column.
    f.lookupSql = column.lookupTable.isEmpty()
                    ? f.sql
                    : column.column + QStringLiteral(" IN (SELECT ") + column.column + QStringLiteral(" FROM ")
                          + column.lookupTable + QStringLiteral(" WHERE ") + f.sql + QStringLiteral(")");
    return f;
}

void ConditionBuilder::addLookup(const Formed& f) {
    if (f.lookupTable.isEmpty()) return;
    if (m_lookup.table.isEmpty()) m_lookup.table = f.lookupTable;
    if (f.lookupTable != m_lookup.table) return;
    m_lookup.conditions << QStringLiteral("(") + f.sql + QStringLiteral(")");
    m_lookup.values.emplace_back(f.placeholder, f.value);
}

ConditionBuilder::Outcome ConditionBuilder::commit(const QString& item, const QString& comparison,
                                                   const QString& content, const QString& connective) {
    const Formed f = form(item, comparison, content);
    if (f.outcome == Outcome::Mismatch) {
        // Amount columns lose what was committed before; number and boolean columns keep it.
        if (f.kind == ColumnKind::Amount) {
            m_pending = {};
            m_lookup.clear();
        }
        return Outcome::Mismatch;
    }
    const int k = indexIn(connectiveTitles(), connective);
    if (f.outcome != Outcome::Done || k < 0) {
        discard();
        return Outcome::Irregular;
    }
    const QString words = QStringLiteral("(") + f.words + QStringLiteral(")");
    auto joined = [&](const QString& before, const QString& condition) {
        return QStringLiteral("(") + before + condition + QStringLiteral(") ") + connectiveSigns()[k] + QStringLiteral(" ");
    };
    if (m_pending.whereText.isEmpty()) {
        m_description = words + QStringLiteral(" ") + connective;
    } else {
        m_description = QStringLiteral("(") + m_description + words + QStringLiteral(") ") + connective;
    }
    m_pending.whereText = joined(m_pending.whereText, f.sql);
    m_lookup.whereText = joined(m_lookup.whereText, f.lookupSql);
    m_pending.values.emplace_back(f.placeholder, f.value);
    addLookup(f);
    if (connectiveSigns()[k] != QStringLiteral("and")) m_lookup.conjunctive = false;
    return Outcome::Done;
}

ConditionBuilder::Outcome ConditionBuilder::finish(const QString& item, const QString& comparison,
                                                   const QString& content) {
    if (m_pending.whereText.isEmpty()) m_description.clear();
    if (!item.isEmpty() && !comparison.isEmpty() && !content.isEmpty()) {
        const Formed f = form(item, comparison, content);
        if (f.outcome == Outcome::Mismatch) {
            m_pending = {};
            m_lookup.clear();
            return Outcome::Mismatch;
        }
        if (f.outcome != Outcome::Done) {
            discard();
            return Outcome::Irregular;
        }
        m_pending.whereText += QStringLiteral(" ") + f.sql;
        m_lookup.whereText += QStringLiteral(" ") + f.lookupSql;
        m_pending.values.emplace_back(f.placeholder, f.value);
        addLookup(f);
        m_description += QStringLiteral("(") + f.words + QStringLiteral(")");
    } else if (m_description.isEmpty()) {
        return Outcome::NoCondition;
    } else {
        // Committed conditions without a last one end in a connective: no statement can run them.
        discard();
        return Outcome::Incomplete;
    }
    if (m_lookup.conjunctive && !m_lookup.conditions.isEmpty()) {
        m_pending.lookup.whereText = m_lookup.whereText;
        m_pending.lookup.probe = QStringLiteral("SELECT 1 FROM ") + m_lookup.table + QStringLiteral(" WHERE ")
                               + m_lookup.conditions.join(QStringLiteral(" and "));
        m_pending.lookup.probeValues = m_lookup.values;
    }
    m_ready = std::move(m_pending);
    m_pending = {};
    m_lookup.clear();
    return Outcome::Done;
}

void ConditionBuilder::discard() {
    m_pending = {};
    m_lookup.clear();
    m_description.clear();
}

}  // namespace query
