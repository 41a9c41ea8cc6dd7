// Sales statistics over the cost rows (XSCBB: quantity, sale amount and cost of every sale
// by batch): the top-ten lists behind the charts and the procedures of the table screens
// (spSelSellsStat, spSelDaySell, spSelSellsMoney, spSelSPSellsMoney). Periods are whole
// days bound as dates, both ends included. Sales count where they were made, whatever was
// later returned, as the charts and the supplier printout count them.
#pragma once

#include "db/Money.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <vector>

namespace db {

class Connection;

// One entry of a top-ten list.
struct TCostSell {
    QString name;
    qint64 count = 0;   // quantity, as a whole number
    Money money;        // sales amount
    Money profit;       // sales amount less cost
};

// Rows of a statistics procedure: named columns, amounts as Money in the variants.
struct StatTable {
    QStringList columns;
    std::vector<QVector<QVariant>> rows;
};

class SalesStatistics {
public:
    explicit SalesStatistics(Connection& connection) : m_connection(connection) {}

    // The ten best sellers of a category (all categories when `category` is empty) by summed
    // quantity, highest first; equal quantities in name order, so a tie at the tenth place
    // is decided the same way every time.
    std::vector<TCostSell> topSalesOfDay(const QDate& day, const QString& category);
    // The same over one month number of every year in the sales.
    std::vector<TCostSell> topSalesOfMonth(int month, const QString& category);
    // One product's sales per day over the day and the ten days before it: the latest ten
    // days with sales, oldest first, named "M-D".
    std::vector<TCostSell> productSalesByDay(const QString& productNo, const QDate& day);
    // One product's sales per month number over the month and up to ten months before it
    // (months 1 to `month`, every year counted), oldest first, named by the month number.
    std::vector<TCostSell> productSalesByMonth(const QString& productNo, int month);

    // spSelSellsStat: "0" per department (offno = BMNO), "1" per sales clerk (ZYNO).
    // Columns offno, NAME, XSSL, XSJE, ZJE, lr.
    StatTable sellsStat(const QDate& begin, const QDate& end, const QString& statType);
    // spSelDaySell: per day and category; "0" all, "1" bought outright (包销), "2" consignment
    // (代销). Columns CZDATE, FLNAME, XSJE, ZJE, MLJE.
    StatTable daySell(const QDate& begin, const QDate& end, const QString& type);
    // spSelSellsMoney: per supplier (the product's default supplier); "0" 包销, "1" 代销,
    // "2" all. Columns CSNO, csname, xsje.
    StatTable sellsMoney(const QDate& begin, const QDate& end, const QString& type);
    // spSelSPSellsMoney: per product of one supplier; type as sellsMoney. Columns SPNO, SPname, xsje.
    StatTable productSellsMoney(const QDate& begin, const QDate& end, const QString& supplierNo, const QString& type);

private:
    Connection& m_connection;
};

}  // namespace db
