// The statement of one client's or supplier's current account over a period: its ledger
// rows, and the goods moved with it (wholesale sales and client returns, or receipts and
// supplier returns, returns negated). The screen and the printed report run the same
// statement with the same bound values, so they always show the same rows.
#pragma once

#include "db/AccountLedger.h"
#include "reports/ReportDataset.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace db { class Connection; }

class AccountStatement {
public:
    using Params = std::vector<std::pair<QString, QVariant>>;

    AccountStatement(db::AccountKind kind, QString accountNo, QDate begin, QDate end)
        : m_kind(kind), m_accountNo(std::move(accountNo)), m_begin(begin), m_end(end) {}

    QString ledgerReport() const;   // TfrmRepkhwl / TfrmRepcswl
    QString goodsReport() const;    // TfrmRepkhsj / TfrmRepsjmx
    QString ledgerSql() const;
    QString goodsSql() const;
    Params ledgerParams() const;
    Params goodsParams() const;

    // Newest first. Throw db::Error.
    ReportDataset ledgerRows(db::Connection& connection) const;
    ReportDataset goodsRows(db::Connection& connection) const;

private:
    bool clients() const { return m_kind == db::AccountKind::Client; }

    db::AccountKind m_kind;
    QString m_accountNo;
    QDate m_begin;
    QDate m_end;
};

// Runs a statement with its bound values and keeps every row. Throws db::Error.
ReportDataset runStatement(db::Connection& connection, const QString& sql, const AccountStatement::Params& params);
