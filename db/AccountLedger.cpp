#include "db/AccountLedger.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/Transaction.h"

namespace db {

QString AccountLedger::sideText(AccountSide side) {
    return side == AccountSide::Debit ? QStringLiteral("借") : QStringLiteral("贷");
}

std::optional<AccountSide> AccountLedger::sideFromText(const QString& text) {
    const QString t = text.trimmed();
    if (t == QStringLiteral("借")) return AccountSide::Debit;
    if (t == QStringLiteral("贷")) return AccountSide::Credit;
    return std::nullopt;
}

Money AccountLedger::applySide(AccountKind kind, Money balance, AccountSide side, Money amount) {
    const bool raises = (kind == AccountKind::Client) == (side == AccountSide::Credit);
    return raises ? balance + amount : balance - amount;
}

QString AccountLedger::table() const {
    return m_kind == AccountKind::Client ? QStringLiteral("KHJSWLB") : QStringLiteral("GYSJSWLB");
}

QString AccountLedger::accountColumn() const {
    return m_kind == AccountKind::Client ? QStringLiteral("KHNO") : QStringLiteral("CSNO");
}

QString AccountLedger::serialType() const {
    return m_kind == AccountKind::Client ? QStringLiteral("K") : QStringLiteral("F");
}

Money AccountLedger::balance(const QString& accountNo) {
    Statement last(m_connection, QStringLiteral("SELECT YE FROM %1 WHERE %2 = :account ORDER BY JSNO DESC LIMIT 1")
                                     .arg(table(), accountColumn()));
    last.bind(QStringLiteral(":account"), accountNo);
    const Money result = last.first() ? last.money(0) : Money{};
    last.query().finish();
    return result;
}

PostedLedgerRow AccountLedger::post(const LedgerEntry& entry) {
    ProcedureScope scope(m_connection);
    // The account's master row is the lock every posting to the account takes first; an
    // account that does not exist is refused here rather than by the foreign key.
    const QString master = m_kind == AccountKind::Client ? QStringLiteral("KHB") : QStringLiteral("CSB");
    Statement lock(m_connection, QStringLiteral("SELECT %1 FROM %2 WHERE %1 = :account%3")
                                     .arg(accountColumn(), master, m_connection.dialect().lockRowsSql()));
    lock.bind(QStringLiteral(":account"), entry.accountNo);
    const bool exists = lock.first();
    lock.query().finish();
    if (!exists) throw Error(QStringLiteral("往来单位 %1 不存在").arg(entry.accountNo), ErrorKind::ForeignKey);

    PostedLedgerRow posted;
    posted.rowNo = SerialNumbers(m_connection).next(serialType());
    posted.balance = applySide(m_kind, balance(entry.accountNo), entry.side, entry.amount);

    const QString amountColumn = entry.side == AccountSide::Debit ? QStringLiteral("JF") : QStringLiteral("DF");
    Statement insert(m_connection, QStringLiteral(
        "INSERT INTO %1(JSNO, %2, ZY, PZHM, DJBH, %3, JD, YE, BNNO, CZRQ) "
        "VALUES(:JSNO, :account, :ZY, :PZHM, :DJBH, :JE, :JD, :YE, :BNNO, getdate())")
                                       .arg(table(), accountColumn(), amountColumn));
    insert.bind(QStringLiteral(":JSNO"), posted.rowNo)
        .bind(QStringLiteral(":account"), entry.accountNo)
        .bind(QStringLiteral(":ZY"), entry.summary)
        .bind(QStringLiteral(":PZHM"), entry.voucherNo)
        .bindTextOrNull(QStringLiteral(":DJBH"), entry.documentNo)
        .bind(QStringLiteral(":JE"), entry.amount)
        .bind(QStringLiteral(":JD"), sideText(entry.side))
        .bind(QStringLiteral(":YE"), posted.balance)
        .bindTextOrNull(QStringLiteral(":BNNO"), entry.operatorNo)
        .exec();
    scope.commit();
    return posted;
}

}  // namespace db
