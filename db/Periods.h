// The current accounting period (spGetCheckedDate): it starts the day after the last
// carry-forward ended (sysvariable BalaEndDate) and runs one month. Without a usable
// BalaEndDate the period is the current calendar month.
#pragma once

#include <QDate>
#include <QString>

namespace db {

class Connection;

struct Period {
    QDate begin;
    QDate end;
    QString beginText() const { return begin.toString(QStringLiteral("yyyy-MM-dd")); }
    QString endText() const { return end.toString(QStringLiteral("yyyy-MM-dd")); }
};

class Periods {
public:
    explicit Periods(Connection& connection) : m_connection(connection) {}
    Period current();
    // The server's today (getdate()).
    QDate today();

    // Reads the loose date forms operators type into the settings ("2005-8-23", "2005/08/23").
    static QDate parseDate(const QString& text);

private:
    Connection& m_connection;
};

}  // namespace db
