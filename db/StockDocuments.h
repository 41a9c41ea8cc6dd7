// The stock documents below their screens: goods receiving (spSaveInStore), returns to a
// supplier (spSaveGysRetuStore), client returns (spSaveKHRetuStore), losses and store
// transfers (spDPCL), and the batches and sale lines the entry screens offer.
//
// Each document is posted whole in one transaction: its numbers, header, lines, batch
// counters, movement lines (through StockLedger) and its one ledger row (through
// AccountLedger, which draws the ledger number and the running balance under the account's
// lock). Every batch or sale-line counter is moved by a guarded update that must hit
// exactly one row, so a quantity another till took meanwhile fails the document instead of
// overdrawing it. Failures throw db::Error (kind Shortage for stock) and leave nothing.
#pragma once

#include "db/Money.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace db {

class Connection;

// Documents carry product codes of at most this many characters.
constexpr int kStockDocumentProductNoLength = 15;

// A product as the entry screens look it up: stored code, name, unit and cost price.
struct StockProduct {
    QString productNo;
    QString name;
    QString unit;
    Money cost;  // SPB.CBJG
};

struct ReceivingLine {
    QString productNo;
    QString productName;
    QString unit;
    double quantity = 0;
    Money price;
    QString storeNo;
};

struct Receiving {
    QString supplierDocumentNo;  // JHDSJB.JHNO, the supplier's own number
    QString supplierNo;
    QString handlerNo;
    QDateTime documentDate;
    QString remark;
    QString operatorNo;
    std::vector<ReceivingLine> lines;
};

// A line that takes goods out of one batch: a return to the supplier or a loss.
struct BatchLine {
    QString batchNo;  // JHDMXB.JHDNO
    QString productNo;
    QString productName;
    QString unit;
    double quantity = 0;
    Money price;
    QString storeNo;  // the store the goods leave
};

struct SupplierReturn {
    QString supplierNo;
    QString operatorNo;
    std::vector<BatchLine> lines;
};

struct Loss {
    QString operatorNo;
    std::vector<BatchLine> lines;
};

// A client return line: what one sale took from one batch at one price, coming back.
struct ClientReturnLine {
    QString saleNo;
    QString batchNo;
    QString productNo;
    QString productName;
    QString unit;
    double quantity = 0;
    Money price;      // the price the client paid (XSCBB.SJ)
    QString storeNo;  // the store the goods go back into
};

struct ClientReturn {
    QString clientNo;
    QString operatorNo;
    std::vector<ClientReturnLine> lines;
};

struct TransferLine {
    QString productNo;
    QString productName;
    QString unit;
    double quantity = 0;
    QString inStoreNo;
    QString outStoreNo;
};

struct Transfer {
    QString operatorNo;
    std::vector<TransferLine> lines;
};

struct PostedStockDocument {
    QString documentNo;  // a transfer has none of its own: its movement number
    QString movementNo;
    QString ledgerNo;    // empty for losses and transfers
    Money total;
    Money balance;       // the account's balance after the document
};

// A batch with stock left, as the loss and supplier-return screens list it.
struct BatchRow {
    QString batchNo;
    QString productNo;
    QString productName;
    QString unit;
    Money price;       // JHDMXB.DJ
    double remaining;  // SL - XSSL
    double received;   // SL
};

// What a client may still return of one sale, batch and price.
struct ReturnableSale {
    QString saleNo;
    QString batchNo;
    QString productNo;
    QString productName;
    double returnable;  // XSSL - THSL
    Money cost;         // DJ
    Money salePrice;    // SJ
};

class StockDocuments {
public:
    explicit StockDocuments(Connection& connection) : m_connection(connection) {}

    // The product with exactly this code; nothing for an unknown code or one longer than a
    // document carries. A database error propagates.
    std::optional<StockProduct> findProduct(const QString& code);

    // At most 100 batches of the product with stock left, oldest receipt first.
    std::vector<BatchRow> lossBatches(const QString& productNo);
    // At most 100 batches of the product received from the supplier with stock left,
    // newest receipt first.
    std::vector<BatchRow> supplierBatches(const QString& supplierNo, const QString& productNo);
    // At most 100 returnable parts of the client's sales of the product (one per sale,
    // batch and price), most recent first.
    std::vector<ReturnableSale> returnableSales(const QString& clientNo, const QString& productNo);

    // Each posts the whole document in one transaction and returns its numbers
    // (DocumentNumbers: a refused document writes nothing; on PostgreSQL its numbers stay unused).
    PostedStockDocument receive(const Receiving& document);
    PostedStockDocument returnToSupplier(const SupplierReturn& document);
    PostedStockDocument returnFromClient(const ClientReturn& document);
    PostedStockDocument writeOff(const Loss& document);
    PostedStockDocument transfer(const Transfer& document);

private:
    bool storeChecking();
    void takeFromBatch(const QString& batchNo, const QString& productNo, double quantity,
                       const QString& supplierNo = QString());

    Connection& m_connection;
};

}  // namespace db
