// The current accounts (往来账) of clients (KHJSWLB) and suppliers (GYSJSWLB): one posting
// routine for both, used by receipts and payments, wholesale sales on account and the stock
// documents that owe or credit a supplier or client (PostClientLedger / PostSupplierLedger).
#pragma once

#include "db/Money.h"

#include <QString>
#include <optional>

namespace db {

class Connection;

enum class AccountKind { Client, Supplier };

// The side of a ledger row: "借" puts the amount in JF, "贷" in DF.
enum class AccountSide { Debit, Credit };

struct LedgerEntry {
    QString accountNo;     // KHNO or CSNO
    AccountSide side = AccountSide::Debit;
    Money amount;
    QString voucherNo;     // PZHM
    QString summary;       // ZY
    QString documentNo;    // DJBH: the document that caused the row; empty for receipts and payments
    QString operatorNo;    // BNNO
};

struct PostedLedgerRow {
    QString rowNo;         // JSNO
    Money balance;         // YE after the row
};

class AccountLedger {
public:
    AccountLedger(Connection& connection, AccountKind kind) : m_connection(connection), m_kind(kind) {}

    static QString sideText(AccountSide side);                  // "借" / "贷"
    static std::optional<AccountSide> sideFromText(const QString& text);
    // The balance after a row: a client's balance is what the client owes ("借" lowers it),
    // a supplier's what the shop owes ("借" raises it).
    static Money applySide(AccountKind kind, Money balance, AccountSide side, Money amount);

    QString table() const;          // KHJSWLB / GYSJSWLB
    QString accountColumn() const;  // KHNO / CSNO
    QString serialType() const;     // "K" / "F"

    // The account's balance: YE of its row with the greatest JSNO, 0 without rows. Outside
    // a posting this is a preview: another till may post before the row is saved.
    Money balance(const QString& accountNo);

    // Posts one row. Inside the caller's transaction (or its own): locks the account, draws
    // the row number and reads the last balance under that lock, so two tills posting to one
    // account never lose a posting and the greatest JSNO carries the latest balance. Throws
    // db::Error; the caller rolls back its whole document.
    PostedLedgerRow post(const LedgerEntry& entry);

private:
    Connection& m_connection;
    AccountKind m_kind;
};

}  // namespace db
