// The stock lists the stock query screens show and print: spSelYPStore (the stock of one
// store, or of all stores, valued at cost) and spSelChecked (every product's stock against
// its minimum, with the restock mark). Both read the kept store balances (KCYEB).
#pragma once

#include "db/Money.h"

#include <QString>
#include <vector>

namespace db {

class Connection;

struct StoreStockRow {
    QString productNo;      // spno
    QString productName;    // spname
    QString unit;           // SPDW
    double quantity = 0;    // sl
    Money cost;             // CBJG, the product's cost price
    Money amount;           // zje = quantity x cost
    QString categoryName;   // FLName
};

struct StockCheckRow {
    QString productNo;      // BPSERIALNO
    QString productName;    // BPNAME
    double storeCount = 0;  // StoreCount, summed over the stores
    int maxStock = 0;       // KCMAX
    int minStock = 0;       // KCMIN
    QString restockMark;    // JHBZ: RestockMark when below the minimum, else empty
    QString supplierName;   // CSNAME of the default supplier
    QString remark;         // BZ
};

class StockQueries {
public:
    // The key that stands for every store (spSelYPStore) and for every supplier or
    // category (spSelChecked).
    static inline const QString AllStores = QStringLiteral("ZZZ");
    static inline const QString AllOf = QStringLiteral("zzz");
    static inline const QString RestockMark = QStringLiteral("补货");

    explicit StockQueries(Connection& connection) : m_connection(connection) {}

    // spSelYPStore: the products held in the store (AllStores: summed over every store),
    // by product code; products whose balance is 0 are left out. No store: no rows.
    std::vector<StoreStockRow> storeStock(const QString& storeNo);

    // spSelChecked: products of the supplier and category (AllOf for all), by product code;
    // `restockOnly` keeps those whose stock is below their minimum. A missing key: no rows.
    std::vector<StockCheckRow> stockCheck(const QString& supplierNo, const QString& categoryNo, bool restockOnly);

private:
    Connection& m_connection;
};

}  // namespace db
