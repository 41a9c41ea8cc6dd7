// The stock queries: the stock of one store or of all stores valued at cost (分库库存查询),
// the quick check of every product's stock against its minimum (库存快速查询), and the
// stocktake figures per store or summed over the stores (库存查询).
#pragma once

#include "app/TfrmBase.h"
#include "db/StockQueries.h"
#include "query/TfrmBaseQuery.h"

#include <QRect>
#include <memory>
#include <vector>

class LookupComboBox;
class QButtonGroup;
class QPushButton;
class QRadioButton;
class QTableView;
class TfrmBaseReport;
class StoreStockModel;
class StockCheckModel;

// 分库库存查询 over spSelYPStore.
class Tfrmcykccx : public TfrmBase {
    Q_OBJECT
public:
    explicit Tfrmcykccx(QWidget* parent = nullptr);

    void BitBtn1Click();  // 确定
    void BitBtn3Click();  // 打印
    // The printout as 打印 previews it: the rows the last 确定 produced, titled by the store.
    std::unique_ptr<TfrmBaseReport> report();
    const std::vector<db::StoreStockRow>& rows() const;

private:
    LookupComboBox* m_lcbStore;
    QTableView* m_grid;
    StoreStockModel* m_model;
};

// Where the 16 x 16 restock mark is drawn in a 是否进货 cell holding `jhbz`: at the cell's
// top edge, centred; a null rectangle when the row needs no restocking.
QRect restockMarkRect(const QRect& cell, const QString& jhbz);

// 库存快速查询 over spSelChecked, with the restock mark.
class TfrmQyChecked : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmQyChecked(QWidget* parent = nullptr);

    void bitYesClick();   // 确定
    void BitBtn1Click();  // 打印
    // The printout as 打印 previews it: its own query on the current choices (nullptr,
    // after reporting, when that fails).
    std::unique_ptr<TfrmBaseReport> report();
    const std::vector<db::StockCheckRow>& rows() const;
    // The code of rgtype: "0" 打印全部, "1" 打印需进货.
    QString typeCode() const;

private:
    std::vector<db::StockCheckRow> currentChoice() const;

    LookupComboBox* m_lcbSupply;
    LookupComboBox* m_lcbSPFL;
    QButtonGroup* m_rgtype;
    QTableView* m_dgChecked;
    StockCheckModel* m_model;
};

// 库存查询 over vwKCCX: 分库 lists each store's rows, 合计 sums them per product.
class TfrmQueryChecked : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQueryChecked(QWidget* parent = nullptr);

    void rgStoreTypeClick();

private:
    QButtonGroup* m_rgStoreType;
};
