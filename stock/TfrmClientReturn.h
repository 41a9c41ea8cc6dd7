// 客户退货处理: goods a client bought coming back into a store, each line against what one
// sale took from one batch, at the price the client paid.
#pragma once

#include "stock/TfrmBaseOtherInput.h"

#include <vector>

class TfrmClientReturn : public TfrmBaseOtherInput {
    Q_OBJECT
public:
    explicit TfrmClientReturn(QWidget* parent = nullptr);

    void bitNextClick() override;
    void bitSaveClick() override;
    void dgSellDataDblClick();

protected:
    QString reportName() const override { return QStringLiteral("TfrmRepkhth"); }
    void edProductNoKeyDown() override;
    void edCountExit() override;

private:
    void FormCreate();

    LookupComboBox* m_lcbClient;
    LookupComboBox* m_lcbStore;
    QLineEdit* m_edPrice;
    QLineEdit* m_edRetuCount;
    QLineEdit* m_edJHNO;
    QLineEdit* m_edXSNO;
    QTableWidget* m_dgSellData;
    std::vector<db::ReturnableSale> m_sales;  // the rows of the sale list
};
