// spMonthJZ: the month-end carry-forward. Records every product's closing position of the
// period (YZJZSJB + YZJZMXB) and moves the current period on (sysvariable BalaBegDate /
// BalaEndDate), all in the caller's transaction: a failure leaves both as they were.
//
// A period is carried forward once: a second run for it, or for a period overlapping one
// already carried forward, is refused. A period that has not ended yet (its last day is
// today or later) is refused too, because sales still to come on its days would be missing
// from the recorded positions and every later summary would open wrong.
#pragma once

#include "db/Error.h"

#include <QDate>
#include <QString>
#include <functional>

namespace db {

class Connection;

// The carry-forward was refused (already done, not yet ended, a reversed period); the
// message is the operator's.
class MonthEndRefused : public Error {
public:
    explicit MonthEndRefused(const QString& message) : Error(message) {}
};

class MonthEnd {
public:
    // Hears how far the work is: `done` of `total` steps.
    using Progress = std::function<void(int done, int total)>;

    explicit MonthEnd(Connection& connection) : m_connection(connection) {}

    // Throws MonthEndRefused, or db::Error when the database fails.
    void carryForward(const QDate& begin, const QDate& end, const QString& operatorNo, const Progress& progress = {});

private:
    Connection& m_connection;
};

}  // namespace db
