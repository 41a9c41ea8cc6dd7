// The balance list of the clients' or suppliers' current accounts over a period: every
// account whose latest ledger row (greatest JSNO) is dated within the period, with that
// row's balance, after a first row "合计" carrying their sum.
#pragma once

#include "db/AccountLedger.h"
#include "reports/ReportDataset.h"

#include <QDate>
#include <optional>

namespace db { class Connection; }

class AccountBalanceList {
public:
    AccountBalanceList(db::Connection& connection, db::AccountKind kind) : m_connection(connection), m_kind(kind) {}

    // The day of the earliest ledger row; nullopt for an empty ledger. Throws db::Error.
    std::optional<QDate> earliestPosting();
    // Columns: the account code (KHNO / CSNO), its name (KHNAME / CSName) and YE; the total
    // row first with a blank code. Periods are whole days, both ends included. Throws db::Error.
    ReportDataset load(const QDate& begin, const QDate& end);

private:
    db::Connection& m_connection;
    db::AccountKind m_kind;
};
