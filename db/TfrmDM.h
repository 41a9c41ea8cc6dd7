// The shared data module: document numbers, store quantities, product lookup and period
// dates, with the failure behaviour the screens expect (no operation shows a message).
#pragma once

#include "db/AccountLedger.h"
#include "db/SalesStatistics.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace db { class Connection; }
class TfrmBaseDataModule;

class TfrmDM {
public:
    explicit TfrmDM(TfrmBaseDataModule& dataModule);
    ~TfrmDM();

    db::Connection& connection();

    // A new document number, or empty text on any failure.
    QString GetSerialNo(const QString& operatorNo, const QString& serialType);
    // The product's quantity in the store; 0 on any failure.
    double GetStoreCount(const QString& productNo, const QString& storeNo);
    // True when the product exists; FoundProductNo/FoundProductName then hold its stored
    // code and name. A database error propagates (db::Error).
    bool FindProduct(const QString& productNo);
    // "beg" or "end" date of the current period as "yyyy-MM-dd"; any other selector returns
    // `unchanged`. A database error propagates.
    QString GetCheckedDate(const QString& which, const QString& unchanged = QString());

    // One row on a client's / supplier's current account, in its own transaction unless the
    // caller has one (the balance is computed under the account's lock); nullopt on any failure.
    std::optional<db::PostedLedgerRow> PostClientLedger(const db::LedgerEntry& entry);
    std::optional<db::PostedLedgerRow> PostSupplierLedger(const db::LedgerEntry& entry);

    QString FoundProductNo;
    QString FoundProductName;

    // The chart lists. Each returns false when nothing was found, leaving TopList as it
    // was; otherwise TopList holds the rows. mode 0: by `day`; mode 1: by `month` (1-12).
    // A database error propagates.
    bool SelectTopSales(const QDate& day, int month, int mode, const QString& category);
    bool SelectProductSales(const QString& productNo, const QDate& day, int month, int mode);
    std::vector<db::TCostSell> TopList;

private:
    TfrmBaseDataModule& m_dataModule;
};

TfrmDM& frmDM();
void setFrmDM(TfrmDM* module);
