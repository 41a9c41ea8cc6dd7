// One query item of a query screen: the title the operator picks, the view column behind it
// and the column's kind, which decides how a condition on it is written and how it is shown.
#pragma once

#include <QString>
#include <QVariant>
#include <vector>

namespace query {

enum class ColumnKind {
    Text,     // compared as text; 包含/不包含 allowed
    Date,     // a view's "yyyy-mm-dd" text: 包含 matches part of the text, other comparisons a whole day
    Integer,
    Float,
    Amount,   // fixed point, shown "0.00"
    Boolean,  // SMALLINT 0/1
};

struct QueryItem {
    QString title;      // shown in cbSelectItem and, unless gridTitle is set, as the grid title
    QString column;     // the view column: the only text of a condition that is not a placeholder
    ColumnKind kind = ColumnKind::Text;
    int width = 10;     // characters, for the grid column
    QString gridTitle = {};
    QString trueText = QStringLiteral("是");    // how a Boolean column reads
    QString falseText = QStringLiteral("否");
    // A table holding each value of the column once under the same name (the sale headers for
    // a sale number), where a condition on the column reads far fewer rows than in the view: a
    // condition that few values meet is then better tested there first (Filter::lookup).
    QString lookupTable = {};

    QString shownTitle() const { return gridTitle.isEmpty() ? title : gridTitle; }
};

using QueryItems = std::vector<QueryItem>;

// The kinds as the screens list them: text n (n characters wide), a day as text, numbers.
inline QueryItem textItem(const QString& title, const QString& column, int width) {
    return {title, column, ColumnKind::Text, width};
}
inline QueryItem dateItem(const QString& title, const QString& column) { return {title, column, ColumnKind::Date, 10}; }
inline QueryItem amountItem(const QString& title, const QString& column) { return {title, column, ColumnKind::Amount, 10}; }
inline QueryItem floatItem(const QString& title, const QString& column) { return {title, column, ColumnKind::Float, 8}; }
inline QueryItem integerItem(const QString& title, const QString& column) { return {title, column, ColumnKind::Integer, 8}; }
inline QueryItem booleanItem(const QString& title, const QString& column) { return {title, column, ColumnKind::Boolean, 8}; }

// A value as the grid, the CSV export and the operator see it: amounts "0.00", quantities
// without trailing zeros, booleans in the item's words, null as empty.
QString displayText(const QueryItem& item, const QVariant& value);

bool isNumberKind(ColumnKind kind);

}  // namespace query
