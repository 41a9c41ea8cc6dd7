#include "accounts/AccountStatement.h"

#include "db/Statement.h"
#include "reports/ReportCatalog.h"

QString AccountStatement::ledgerReport() const {
    return clients() ? QStringLiteral("TfrmRepkhwl") : QStringLiteral("TfrmRepcswl");
}

QString AccountStatement::goodsReport() const {
    return clients() ? QStringLiteral("TfrmRepkhsj") : QStringLiteral("TfrmRepsjmx");
}

QString AccountStatement::ledgerSql() const { return report::findDefinition(ledgerReport())->designSql; }

QString AccountStatement::goodsSql() const {
    return clients() ? report::clientGoodsStatementSql() : report::supplierGoodsStatementSql();
}

AccountStatement::Params AccountStatement::ledgerParams() const {
    return {{clients() ? QStringLiteral(":khno") : QStringLiteral(":csno"), m_accountNo},
            {QStringLiteral(":dtBegDate1"), m_begin},
            {QStringLiteral(":dtEndDate1"), m_end}};
}

AccountStatement::Params AccountStatement::goodsParams() const {
    const QString account = clients() ? QStringLiteral(":KHNO") : QStringLiteral(":CSNO");
    return {{account + u'1', m_accountNo},          {account + u'2', m_accountNo},
            {QStringLiteral(":dtBegDate1"), m_begin}, {QStringLiteral(":dtEndDate1"), m_end},
            {QStringLiteral(":dtBegDate2"), m_begin}, {QStringLiteral(":dtEndDate2"), m_end}};
}

ReportDataset AccountStatement::ledgerRows(db::Connection& connection) const {
    return runStatement(connection, ledgerSql(), ledgerParams());
}

ReportDataset AccountStatement::goodsRows(db::Connection& connection) const {
    return runStatement(connection, goodsSql(), goodsParams());
}

ReportDataset runStatement(db::Connection& connection, const QString& sql, const AccountStatement::Params& params) {
    db::Statement s(connection, sql);
    for (const auto& [name, value] : params) s.bindValue(name, value);
    s.exec();
    ReportDataset rows = ReportDataset::fromStatement(s);
    s.query().finish();
    return rows;
}
