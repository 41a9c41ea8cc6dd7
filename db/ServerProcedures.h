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
// | spDayOver            | StockLedger::allocateSale(Lines)(...)     | takes a sold quantity from the product's      |
// |                      |                                           | batches oldest first, one XSCBB row per batch,|
// |                      |                                           | raises XSSL; shortage throws (kind Shortage)  |
// | spGetCheckedDate     | Periods::current()                        | begin/end of the current period               |
// | spGetProductLastDate | ProductHistory::lastDate(product)         | last business time, empty when none           |
// | spIninDatabase       | InitialData::resetDatabase(connection)    | all data cleared, initial rows restored       |
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
// The procedures of the stock documents, accounts, stocktaking, month-end and statistics
// (spSaveInStore, spSaveGysRetuStore, spSaveKHRetuStore, spDPCL, spSaveKHSellWL,
// spInitCheckedData, spSelYPStore, spSelChecked) join this table as classes of db/ with
// the same shape: constructed on a Connection, values in, values out, db::Error on failure.
#pragma once

#include "db/AccountLedger.h"
#include "db/InitialData.h"
#include "db/MonthEnd.h"
#include "db/Periods.h"
#include "db/ProductHistory.h"
#include "db/SalesStatistics.h"
#include "db/SerialNumbers.h"
#include "db/StockLedger.h"
#include "db/StockSummary.h"
