// Proof that nothing was lost or half-written: a table of named rules, each a query that
// returns the rows breaking it. A subsystem that writes a new kind of row adds its rules
// to the table in IntegrityCheck.cpp; `pos --check-integrity` and the crash and
// concurrency suites run them all.
#pragma once

#include "db/ConnectionUrl.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace db {

class Connection;

struct IntegrityRule {
    QString name;                  // short and stable: printed before each problem, used by tests
    QString description;           // what must hold, in one sentence
    QString sql;                   // the offending rows; every column is named, so a problem reads "COL=value, ..."
    std::optional<Backend> only;   // the rule applies to this backend alone
    // Instead of `sql`, for a rule the program already computes in code: each offending
    // row as "COL=value, ...". Throws db::Error when it cannot check.
    std::function<QStringList(Connection&)> check = {};
};

struct IntegrityProblem {
    QString rule;
    QString detail;
};

class IntegrityCheck {
public:
    explicit IntegrityCheck(Connection& connection) : m_connection(connection) {}

    static const std::vector<IntegrityRule>& rules();

    // Runs every rule of this backend on one snapshot of the database, so tills posting
    // meanwhile never show up as a half-written document (inside a caller's transaction:
    // on what it sees). A rule whose query fails (a
    // damaged file) is itself a problem. At most `rowsPerRule` rows are listed per rule;
    // the rest are counted in one further problem.
    std::vector<IntegrityProblem> run(int rowsPerRule = 20);

    // The quick check of an SQLite file before anything opens it: a connection refuses a
    // damaged file, so its findings are reported here under the quick-check rule. Empty for
    // a sound file and for one the connection refuses for another reason.
    static std::vector<IntegrityProblem> inspectFile(const QString& path);

private:
    Connection& m_connection;
};

}  // namespace db
