// 供应商退货业务处理: goods going back to the supplier they were received from, each line
// from one of that supplier's batches and out of one store.
#pragma once

#include "stock/TfrmBaseOtherInput.h"

class TfrmWithdrawSupply : public TfrmBaseOtherInput {
    Q_OBJECT
public:
    explicit TfrmWithdrawSupply(QWidget* parent = nullptr);

    void bitNextClick() override;
    void bitSaveClick() override;
    void dgInDataDblClick();

protected:
    QString reportName() const override { return QStringLiteral("TfrmRepgysth"); }
    void edProductNoKeyDown() override;
    void edCountExit() override;

private:
    void FormCreate();

    LookupComboBox* m_lcbSupply;
    LookupComboBox* m_lcbStore;
    QLineEdit* m_edPrice;
    QLineEdit* m_edExistCount;
    QLineEdit* m_edJHNO;
    QTableWidget* m_dgInData;
};
