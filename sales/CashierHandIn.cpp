#include "sales/CashierHandIn.h"

#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/Transaction.h"

namespace {

QDateTime dayStart(const QDate& day) { return QDateTime(day, QTime(0, 0)); }
QDateTime nextDayStart(const QDate& day) { return QDateTime(day.addDays(1), QTime(0, 0)); }

}  // namespace

Money CashierHandIn::takings(const QString& cashierNo, const QDate& day) {
    db::Statement s(m_connection, QStringLiteral(
        "Select Sum(SKMONEY) AS TotalMoney From SYYSKB Where JKFLAG = 0 and BNNO = :BNNO "
        "and SKDATE >= :dayStart and SKDATE < :nextDay"));
    s.bind(QStringLiteral(":BNNO"), cashierNo)
        .bind(QStringLiteral(":dayStart"), dayStart(day))
        .bind(QStringLiteral(":nextDay"), nextDayStart(day));
    const Money sum = s.first() ? s.money(0) : Money{};
    s.query().finish();
    return sum;
}

std::optional<RecordedHandIn> CashierHandIn::record(const HandIn& handIn) {
    db::Transaction tx(m_connection);
    // One statement marks and returns the rows: on PostgreSQL a concurrent hand-in of the
    // same rows waits for this one and then finds them marked; SQLite writers queue.
    db::Statement mark(m_connection, QStringLiteral(
        "Update SYYSKB Set JKFLAG = 1 Where JKFLAG = 0 and BNNO = :BNNO "
        "and SKDATE >= :dayStart and SKDATE < :nextDay RETURNING SKMONEY"));
    mark.bind(QStringLiteral(":BNNO"), handIn.cashierNo)
        .bind(QStringLiteral(":dayStart"), dayStart(handIn.day))
        .bind(QStringLiteral(":nextDay"), nextDayStart(handIn.day))
        .exec();
    RecordedHandIn recorded;
    while (mark.next()) {
        recorded.due += mark.money(0);
        ++recorded.takingsRows;
    }
    mark.query().finish();
    if (recorded.takingsRows == 0) return std::nullopt;

    recorded.handInNo = db::SerialNumbers(m_connection).next(QStringLiteral("j"));
    db::Statement insert(m_connection, QStringLiteral(
        "Insert into SYYJKB(JKLSNO, JKDATE, SYYNO, SYYNAME, SJJE, YJJE, CZDATE, BNNO) "
        " Values(:MBSERIALNO, :MBBALANDATE, :MBBALANOPERATORNO, :MBNAME, :MBTRUEMONEY, :MBTOTALMONEY, GetDate(), :BNNO1)"));
    insert.bind(QStringLiteral(":MBSERIALNO"), recorded.handInNo)
        .bind(QStringLiteral(":MBBALANDATE"), dayStart(handIn.day))
        .bind(QStringLiteral(":MBBALANOPERATORNO"), handIn.cashierNo)
        .bind(QStringLiteral(":MBNAME"), handIn.cashierName)
        .bind(QStringLiteral(":MBTRUEMONEY"), handIn.handedIn)
        .bind(QStringLiteral(":MBTOTALMONEY"), recorded.due)
        .bindTextOrNull(QStringLiteral(":BNNO1"), handIn.operatorNo)
        .exec();
    tx.commit();
    return recorded;
}
