#include "query/QueryItem.h"

#include "db/Money.h"

namespace query {

bool isNumberKind(ColumnKind kind) {
    return kind == ColumnKind::Integer || kind == ColumnKind::Float || kind == ColumnKind::Amount
        || kind == ColumnKind::Boolean;
}

QString displayText(const QueryItem& item, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    switch (item.kind) {
    case ColumnKind::Amount:
        return Money::fromVariant(value).toString();
    case ColumnKind::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case ColumnKind::Integer:
        return QString::number(value.toLongLong());
    case ColumnKind::Boolean:
        return value.toInt() != 0 ? item.trueText : item.falseText;
    case ColumnKind::Date:
        return value.toString().left(10);
    case ColumnKind::Text:
        break;
    }
    return value.toString();
}

}  // namespace query
