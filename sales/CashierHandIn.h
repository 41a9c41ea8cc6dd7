// The cashiers' hand-in (收银员日结): the takings of one cashier on one calendar day that are
// not handed in yet, and the hand-in that records them in SYYJKB and marks exactly them.
#pragma once

#include "db/Money.h"

#include <QDate>
#include <QString>
#include <optional>

namespace db { class Connection; }

struct HandIn {
    QString cashierNo;
    QString cashierName;
    QDate day;             // the calendar day of SKDATE, in the server's time
    Money handedIn;        // SJJE, as counted by the operator
    QString operatorNo;    // who records it
};

struct RecordedHandIn {
    QString handInNo;      // JKLSNO (serial type "j")
    Money due;             // YJJE: the sum of exactly the takings rows marked
    int takingsRows = 0;
};

class CashierHandIn {
public:
    explicit CashierHandIn(db::Connection& connection) : m_connection(connection) {}

    // GetCashierTakings: the sum of the cashier's takings of the day not handed in yet
    // (0 when there are none). The day is a bound range, midnight to midnight.
    Money takings(const QString& cashierNo, const QDate& day);

    // SaveCashierHandIn, in one transaction: marks the cashier's unhanded takings of the day
    // (locking them, so two hand-ins never take the same row), sums exactly the rows marked
    // and records the hand-in with that sum as the amount due. Nothing is written and
    // nullopt returned when there is nothing left to hand in. Throws db::Error.
    std::optional<RecordedHandIn> record(const HandIn& handIn);

private:
    db::Connection& m_connection;
};
