#include "db/TfrmDM.h"

#include "db/Error.h"
#include "db/Periods.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/TfrmBaseDataModule.h"

#include <exception>

namespace {
TfrmDM* g_dm = nullptr;
}

TfrmDM& frmDM() {
    if (!g_dm) throw db::Error(QStringLiteral("no shared data module"), db::ErrorKind::Connection);
    return *g_dm;
}

void setFrmDM(TfrmDM* module) { g_dm = module; }

TfrmDM::TfrmDM(TfrmBaseDataModule& dataModule) : m_dataModule(dataModule) {}

TfrmDM::~TfrmDM() {
    if (g_dm == this) g_dm = nullptr;
}

db::Connection& TfrmDM::connection() { return m_dataModule.Database(); }

QString TfrmDM::GetSerialNo(const QString& operatorNo, const QString& serialType) {
    Q_UNUSED(operatorNo);  // numbers are unique per letter, whoever asks
    try {
        return db::SerialNumbers(connection()).next(serialType);
    } catch (const std::exception&) {
        return {};
    }
}

double TfrmDM::GetStoreCount(const QString& productNo, const QString& storeNo) {
    try {
        return db::StockLedger(connection()).storeCount(productNo, storeNo);
    } catch (const std::exception&) {
        return 0.0;
    }
}

bool TfrmDM::FindProduct(const QString& productNo) {
    db::Statement s(connection(), QStringLiteral("Select SPNO, SPNAME From SPB Where SPNO = :ProductNo1 "));
    s.bind(QStringLiteral(":ProductNo1"), productNo);
    if (!s.first()) return false;
    FoundProductNo = s.text(0);
    FoundProductName = s.text(1);
    return true;
}

QString TfrmDM::GetCheckedDate(const QString& which, const QString& unchanged) {
    const db::Period p = db::Periods(connection()).current();
    if (which == QLatin1String("beg")) return p.beginText();
    if (which == QLatin1String("end")) return p.endText();
    return unchanged;
}

namespace {
std::optional<db::PostedLedgerRow> postLedger(db::Connection& connection, db::AccountKind kind, const db::LedgerEntry& entry) {
    try {
        return db::AccountLedger(connection, kind).post(entry);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
}  // namespace

std::optional<db::PostedLedgerRow> TfrmDM::PostClientLedger(const db::LedgerEntry& entry) {
    return postLedger(connection(), db::AccountKind::Client, entry);
}

std::optional<db::PostedLedgerRow> TfrmDM::PostSupplierLedger(const db::LedgerEntry& entry) {
    return postLedger(connection(), db::AccountKind::Supplier, entry);
}

bool TfrmDM::SelectTopSales(const QDate& day, int month, int mode, const QString& category) {
    db::SalesStatistics stats(connection());
    auto rows = mode == 0 ? stats.topSalesOfDay(day, category) : stats.topSalesOfMonth(month, category);
    if (rows.empty()) return false;
    TopList = std::move(rows);
    return true;
}

bool TfrmDM::SelectProductSales(const QString& productNo, const QDate& day, int month, int mode) {
    db::SalesStatistics stats(connection());
    auto rows = mode == 0 ? stats.productSalesByDay(productNo, day) : stats.productSalesByMonth(productNo, month);
    if (rows.empty()) return false;
    TopList = std::move(rows);
    return true;
}
