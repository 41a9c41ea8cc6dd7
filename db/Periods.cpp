#include "db/Periods.h"

#include "db/Connection.h"
#include "db/Statement.h"

#include <QRegularExpression>

namespace db {

QDate Periods::parseDate(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{4})[-/.年](\\d{1,2})[-/.月](\\d{1,2})日?"));
    const auto m = re.match(text);
    if (!m.hasMatch()) return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

QDate Periods::today() {
    Statement s(m_connection, QStringLiteral("SELECT date10(getdate())"));
    return s.first() ? QDate::fromString(s.text(0), QStringLiteral("yyyy-MM-dd")) : QDate::currentDate();
}

Period Periods::current() {
    Statement s(m_connection, QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'BalaEndDate'"));
    const QDate lastEnd = s.first() ? parseDate(s.text(0)) : QDate();
    Period p;
    if (lastEnd.isValid()) {
        p.begin = lastEnd.addDays(1);
        p.end = p.begin.addMonths(1).addDays(-1);
    } else {
        const QDate t = today();
        p.begin = QDate(t.year(), t.month(), 1);
        p.end = p.begin.addMonths(1).addDays(-1);
    }
    return p;
}

}  // namespace db
