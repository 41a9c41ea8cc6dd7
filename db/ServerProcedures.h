// The server procedures the screens rely on, in one place. Each runs inside the caller's
// transaction on either backend and fails by throwing db::Error, so the caller rolls back
// its whole document. Screens reach them through TfrmDM (which keeps the failure values
// the screens expect) or directly through the classes named here.
//
// | procedure            | class / function                          | contract                                      |
// |----------------------|-------------------------------------------|-----------------------------------------------|
// | spGetSerialNo        | SerialNumbers::next(letter)               | 15 characters, unique per case-sensitive      |
// |                      |                                           | letter, sorting in issue order                |
// | spGetSPStoreCount    | StockLedger::storeCount(product, store)   | the product's kept balance in the store (KCYEB)|
// | (movement lines)     | StockLedger::recordMovements(...)         | the one writer of QTJHDMXB: lines + balances, |
// |                      |                                           | guarded >= 0 with stock checking (Shortage)   |
// | (ledger posting)     | AccountLedger::post(entry)                | PostClientLedger / PostSupplierLedger: account|
// |                      |                                           | locked, JSNO drawn and YE computed under it   |
// | spSaveKHSellWL        | ClientSaleLedger::post(sale, client, ...) | balance raised by due − min(received, due):   |
// |                      |                                           | a "贷" row of the amount due, a "借" row of   |
// |                      |                                           | the payment, both with the sale in DJBH       |
// | spDayOver            | StockLedger::allocateSale(Lines)(...)     | takes a sold quantity from the product's      |
// |                      |                                           | batches oldest first, one XSCBB row per batch,|
// |                      |                                           | raises XSSL; shortage throws (kind Shortage)  |
// | spSaveInStore        | StockDocuments::receive(document)         | header, batches, movements in, supplier "借"   |
// | spSaveGysRetuStore   | StockDocuments::returnToSupplier(document)| lines, batch XSSL raised (guarded), movements |
// |                      |                                           | out, supplier "贷"                             |
// | spSaveKHRetuStore    | StockDocuments::returnFromClient(document)| lines, XSCBB.THSL raised and the batch given  |
// |                      |                                           | back (guarded), movements in, client "借"      |
// | (loss posting)       | StockDocuments::writeOff(document)        | BSB lines, batch XSSL raised (guarded), out   |
// | spDPCL               | StockDocuments::transfer(document)        | out and in movements, the out-store guarded   |
// | spGetCheckedDate     | Periods::current()                        | begin/end of the current period               |
// | spGetProductLastDate | ProductHistory::lastDate(product)         | last business time, empty when none           |
// | spIninDatabase       | InitialData::resetDatabase(connection)    | all data cleared, initial rows restored       |
// | spInitCheckedData    | Stocktake::initialise(begin, end, progress)| YPDSJB replaced: every product x store at its |
// |                      |                                           | balance, flag 0, in slices with progress      |
// | (stocktake counts)   | Stocktake::saveCounts(counts)             | all or nothing; a count changing no row throws|
// | (stocktake apply)    | Stocktake::apply(operator, guard)         | rows marked + 盘盈/盘亏 lines bringing balances|
// |                      |                                           | to the counts, batches in step ("P" gains)    |
// | spSelYPStore         | StockQueries::storeStock(store)           | stock of a store, or of all ("ZZZ"), at cost  |
// | spSelChecked         | StockQueries::stockCheck(supplier, cat,   | stock against KCMIN, JHBZ "补货" below it     |
// |                      |                          restockOnly)     |                                               |
// | spSelYZJZ            | StockSummary::rows(begin, end)            | per product: opening (last carry-forward +    |
// |                      |                                           | movements since), in, sale, return, loss,     |
// |                      |                                           | closing; quantities from the movement lines   |
// | spMonthJZ            | MonthEnd::carryForward(begin, end, op)    | closing positions recorded (YZJZSJB/YZJZMXB), |
// |                      |                                           | period moved on; refused twice or unfinished  |
// | spSelSellsStat       | SalesStatistics::sellsStat(...)           | per department / sales clerk                  |
// | spSelDaySell         | SalesStatistics::daySell(...)             | per day and category, by sale mode            |
// | spSelSellsMoney      | SalesStatistics::sellsMoney(...)          | per supplier, by sale mode                    |
// | spSelSPSellsMoney    | SalesStatistics::productSellsMoney(...)   | per product of one supplier                   |
// | (chart lists)        | SalesStatistics::topSalesOf..., product...| TfrmDM::SelectTopSales / SelectProductSales   |
//
// A procedure added later joins this table as a class of db/ with
// the same shape: constructed on a Connection, values in, values out, db::Error on failure.
#pragma once

#include "db/AccountLedger.h"
#include "db/ClientSaleLedger.h"
#include "db/InitialData.h"
#include "db/MonthEnd.h"
#include "db/Periods.h"
#include "db/ProductHistory.h"
#include "db/SalesStatistics.h"
#include "db/SerialNumbers.h"
#include "db/StockDocuments.h"
#include "db/StockLedger.h"
#include "db/StockQueries.h"
#include "db/Stocktake.h"
#include "db/StockSummary.h"
