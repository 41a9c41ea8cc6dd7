// 报损处理: goods written off, each line from one batch at its purchase price and out of
// one store.
#pragma once

#include "stock/TfrmBaseOtherInput.h"

class TfrmLose : public TfrmBaseOtherInput {
    Q_OBJECT
public:
    explicit TfrmLose(QWidget* parent = nullptr);

    void bitNextClick() override;
    void bitSaveClick() override;
    void bitPrintClick() override;
    void dgInDataDblClick();

protected:
    QString reportName() const override { return QStringLiteral("TfrmRepBS"); }
    void edProductNoKeyDown() override;
    void edCountExit() override;

private:
    void FormCreate();

    LookupComboBox* m_lcbStore;
    QLineEdit* m_edTotalMoney;
    QLineEdit* m_edPrice;
    QLineEdit* m_edMoney;
    QLineEdit* m_edJHDNO;
    QLineEdit* m_edLoseCount;
    QTableWidget* m_dgInData;
};
