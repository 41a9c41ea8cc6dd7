// The filter of a query screen, composed from the operator's choices: an item of the
// screen's list, one of the eight comparisons and a content, joined by 或者/并且 strictly
// from left to right. The statement text holds only column names from the screen's own
// list, the eight operators, brackets, connectives and placeholders; every content is a
// bound value, so nothing the operator types can change what the statement does.
#pragma once

#include "query/QueryItem.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

namespace query {

using BoundValues = std::vector<std::pair<QString, QVariant>>;

// The same filter with each condition on an item that has a lookup table tested in that table
// ("XSNO IN (SELECT XSNO FROM XSB WHERE XSNO like :c1 ...)"): the same rows, which a planner
// can then find from the few values of the table that meet the condition instead of reading
// the whole view in its order. Offered only where those conditions bind every row (the filter
// joins all its conditions by 并且), with `probe`, a statement of the table's rows that meet
// them all, so the caller can count them first and keep the plain filter when many do.
struct LookupFilter {
    QString whereText;
    QString probe;
    BoundValues probeValues;
    bool isEmpty() const { return whereText.isEmpty(); }
};

// A complete filter: the text after "Where" and the values of its placeholders.
struct Filter {
    QString whereText;
    BoundValues values;
    LookupFilter lookup;  // same values as whereText; empty when no condition can use a lookup table
};

class ConditionBuilder {
public:
    enum class Outcome {
        Done,         // committed, or a filter ready to run (take it with filter())
        NoCondition,  // nothing to query: "请输入查询条件!"
        Mismatch,     // 包含/不包含 on a column that is not text: "比较类型匹配错误！请重新输入条件"
        Irregular,    // "查询条件不规范，请重新输入！"; conditions and description are discarded
        Incomplete,   // the filter ends in a connective: it cannot run (irregular, and the grid is emptied)
    };

    static const QStringList& comparisonTitles();  // 等于 … 不包含
    static const QStringList& comparisonSigns();   // = … not like
    static const QStringList& connectiveTitles();  // 或者, 并且
    static const QStringList& connectiveSigns();   // or, and

    explicit ConditionBuilder(QueryItems items);
    const QueryItems& items() const { return m_items; }
    QStringList itemTitles() const;

    // The operator chose a connective: the condition on screen joins the filter, and
    // everything before it is wrapped in one more pair of brackets.
    Outcome commit(const QString& item, const QString& comparison, const QString& content, const QString& connective);
    // The operator asked for the rows: the condition on screen (when all three texts are
    // filled) closes the filter. On Done, filter() is what to run; the pending conditions are
    // then cleared and the description kept, so the next query starts from an empty filter.
    Outcome finish(const QString& item, const QString& comparison, const QString& content);

    // The filter handed out by the last successful finish().
    const Filter& filter() const { return m_ready; }
    // What the operator sees in edRemark.
    const QString& description() const { return m_description; }
    // The conditions committed so far (SQL text with placeholders).
    const QString& whereText() const { return m_pending.whereText; }
    bool hasPendingConditions() const { return !m_pending.whereText.isEmpty(); }

    // An irregular condition or a statement the database refused: conditions and description go.
    void discard();

    // How one content reads for a column kind; nullopt when it does not (an irregular condition).
    static std::optional<QVariant> readContent(ColumnKind kind, const QString& content, bool contains);
    // The LIKE pattern for 包含/不包含: the content between two %, its own %, _ and escape
    // characters escaped, to be used with ESCAPE kLikeEscape.
    static QString likePattern(const QString& content);
    static constexpr QChar kLikeEscape = u'!';
    // Any common way of writing a day: 2005-1-31, 2005/01/31, 2005.1.31, 20050131, 2005年1月31日,
    // or the system's short date.
    static std::optional<QDate> readDate(const QString& text);

private:
    struct Formed {
        Outcome outcome = Outcome::Irregular;
        QString sql;       // column, operator, placeholder (and the LIKE escape)
        QString placeholder;
        QVariant value;
        QString words;     // "(商品名称 包含 奶)" without the brackets
        ColumnKind kind = ColumnKind::Text;
        QString lookupTable;
        QString lookupSql;  // the condition tested in the item's lookup table, else sql
    };
    struct LookupParts {
        QString whereText;       // parallel to the pending whereText
        QString table;           // the first lookup table a condition used
        QStringList conditions;  // the conditions on that table's items
        BoundValues values;
        bool conjunctive = true;  // every connective so far is 并且
        void clear() { *this = {}; }
    };
    void addLookup(const Formed& f);
    Formed form(const QString& item, const QString& comparison, const QString& content) const;
    QString nextPlaceholder() const;

    QueryItems m_items;
    Filter m_pending;        // WhereText and its values
    LookupParts m_lookup;    // the lookup form of the pending filter
    QString m_description;
    Filter m_ready;
};

}  // namespace query
