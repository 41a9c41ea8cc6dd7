#include "accounts/AccountBalanceList.h"

#include "db/Statement.h"

std::optional<QDate> AccountBalanceList::earliestPosting() {
    const QString table = db::AccountLedger(m_connection, m_kind).table();
    db::Statement s(m_connection, QStringLiteral("Select Count(*) as cnt, Min(CZRQ) as czrq from %1").arg(table));
    std::optional<QDate> day;
    if (s.first() && s.integer(0) >= 1) day = s.dateTime(1).date();
    s.query().finish();
    return day;
}

ReportDataset AccountBalanceList::load(const QDate& begin, const QDate& end) {
    const bool clients = m_kind == db::AccountKind::Client;
    const db::AccountLedger ledger(m_connection, m_kind);
    const QString table = ledger.table();
    const QString code = ledger.accountColumn();
    const QString master = clients ? QStringLiteral("KHB") : QStringLiteral("CSB");
    const QString name = clients ? QStringLiteral("KHNAME") : QStringLiteral("CSName");
    // The account's latest row, kept only when it lies in the period; the total sorts first
    // by its own key rather than by a blank code (collations may ignore spaces).
    const QString latest = QStringLiteral(
        "from %1 W, %2 C, (Select %3, max(JSNO) as JSNO from %1 Group by %3) G "
        "where W.%3 = C.%3 and W.%3 = G.%3 and W.JSNO = G.JSNO "
        "and daydiff(W.CZRQ, %4) <= 0 and daydiff(W.CZRQ, %5) >= 0")
                               .arg(table, master, code);
    const QString sql =
        QStringLiteral("Select %1, %2, YE from (Select 0 as SORTKEY, ' ' as %1, '合计' as %2, sum(W.YE) as YE ")
            .arg(code, name)
        + latest.arg(QStringLiteral(":dtBegDate1"), QStringLiteral(":dtEndDate1"))
        + QStringLiteral(" union all Select 1, W.%1, C.%2, W.YE ").arg(code, name)
        + latest.arg(QStringLiteral(":dtBegDate2"), QStringLiteral(":dtEndDate2"))
        + QStringLiteral(") L order by SORTKEY, %1").arg(code);
    db::Statement s(m_connection, sql);
    s.bind(QStringLiteral(":dtBegDate1"), begin)
        .bind(QStringLiteral(":dtEndDate1"), end)
        .bind(QStringLiteral(":dtBegDate2"), begin)
        .bind(QStringLiteral(":dtEndDate2"), end)
        .exec();
    ReportDataset rows = ReportDataset::fromStatement(s);
    s.query().finish();
    return rows;
}
