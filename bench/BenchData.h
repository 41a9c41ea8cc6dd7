// Generates a shop database of realistic size for the benchmark, set-based so that it
// takes seconds on either backend.
#pragma once

#include <QString>

namespace db { class Connection; }

struct BenchScale {
    int products = 100000;
    int stores = 20;
    int saleLines = 1000000;   // 10 lines a sale
    // "dated": sales spread over the last year, receipts before it, products in categories;
    // "-days": each sale line's stored day is its sale's; "-named": cost rows carry their
    // product's name and quantity, sales their clerk, products a department and supplier.
    QString key() const { return QStringLiteral("%1/%2/%3/dated-days-named").arg(products).arg(stores).arg(saleLines); }
};

class BenchData {
public:
    // Creates schema and data unless the database already holds this scale.
    static void ensure(db::Connection& connection, const BenchScale& scale, bool regenerate);
    // The code of product i (1-based), as generated.
    static QString productNo(int i);
    static QString storeNo(int i);
};
