#include "db/MonthEnd.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Periods.h"
#include "db/Statement.h"
#include "db/StockSummary.h"
#include "db/Transaction.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace db {

namespace {

// Keeps each insert below every backend's limit of bound values.
constexpr int kRowsPerStatement = 400;

void setVariable(Connection& c, const QString& name, const QString& value) {
    Statement s(c, QStringLiteral("INSERT INTO sysvariable(vrname, vrvalue) VALUES(:n, :v) "
                                  "ON CONFLICT (vrname) DO UPDATE SET vrvalue = excluded.vrvalue"));
    s.bind(QStringLiteral(":n"), name).bind(QStringLiteral(":v"), value).exec();
}

}  // namespace

void MonthEnd::carryForward(const QDate& begin, const QDate& end, const QString& operatorNo, const Progress& progress) {
    if (!begin.isValid() || !end.isValid()) throw MonthEndRefused(QStringLiteral("结转日期不正确！"));
    if (end < begin) throw MonthEndRefused(QStringLiteral("结转止期早于起期，不能结转！"));
    ProcedureScope scope(m_connection);

    // Two tills carrying forward at once queue here (SQLite writers already hold the lock).
    Statement lock(m_connection, QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'BalaEndDate'") +
                                     m_connection.dialect().lockRowsSql());
    lock.exec();
    while (lock.next()) {}

    if (end >= Periods(m_connection).today())
        throw MonthEndRefused(QStringLiteral("本期至 %1 止，尚未结束，不能结转！").arg(end.toString(QStringLiteral("yyyy-MM-dd"))));
    {
        Statement done(m_connection, QStringLiteral("SELECT MAX(ENDDATE) FROM YZJZSJB WHERE ENDDATE >= :b"));
        if (done.bind(QStringLiteral(":b"), begin).first() && !done.isNull(0))
            throw MonthEndRefused(QStringLiteral("该期间已经结转（至 %1），不能重复结转！")
                                      .arg(done.dateTime(0).date().toString(QStringLiteral("yyyy-MM-dd"))));
    }

    if (progress) progress(0, 1);
    const std::vector<SummaryRow> rows = StockSummary(m_connection).rows(begin, end);
    std::vector<const SummaryRow*> kept;
    for (const SummaryRow& r : rows)
        if (std::abs(r.storeCount) > 0 || !r.storeMoney.isZero()) kept.push_back(&r);
    const int chunks = int((kept.size() + kRowsPerStatement - 1) / kRowsPerStatement);
    if (progress) progress(1, chunks + 2);

    Statement header(m_connection, QStringLiteral("INSERT INTO YZJZSJB(ENDDATE, BEGDATE, BNNO) VALUES(:e, :b, :o)"));
    header.bind(QStringLiteral(":e"), end).bind(QStringLiteral(":b"), begin).bindTextOrNull(QStringLiteral(":o"), operatorNo).exec();

    m_connection.dialect().planOnceForAnyValues(m_connection, true);
    for (int chunk = 0; chunk < chunks; ++chunk) {
        const size_t from = size_t(chunk) * kRowsPerStatement;
        const int n = int(std::min<size_t>(kRowsPerStatement, kept.size() - from));
        QStringList values;
        for (int i = 0; i < n; ++i) values << QStringLiteral("(:e%1, :s%1, :q%1, :m%1, :p%1)").arg(i);
        Statement insert(m_connection, QStringLiteral("INSERT INTO YZJZMXB(ENDDATE, SPNO, JZSL, JZJE, JZDJ) VALUES %1")
                                           .arg(values.join(QStringLiteral(", "))));
        for (int i = 0; i < n; ++i) {
            const SummaryRow& r = *kept[from + size_t(i)];
            const Money price = StockSummary::unitPrice(r.storeMoney, r.storeCount);
            insert.bind(QStringLiteral(":e%1").arg(i), end).bind(QStringLiteral(":s%1").arg(i), r.productNo)
                .bind(QStringLiteral(":q%1").arg(i), r.storeCount).bind(QStringLiteral(":m%1").arg(i), r.storeMoney)
                .bind(QStringLiteral(":p%1").arg(i), price);
        }
        insert.exec();
        if (progress) progress(chunk + 2, chunks + 2);
    }
    m_connection.dialect().planOnceForAnyValues(m_connection, false);

    setVariable(m_connection, QStringLiteral("BalaBegDate"), begin.toString(QStringLiteral("yyyy-MM-dd")));
    setVariable(m_connection, QStringLiteral("BalaEndDate"), end.toString(QStringLiteral("yyyy-MM-dd")));
    scope.commit();
    if (progress) progress(chunks + 2, chunks + 2);
}

}  // namespace db
