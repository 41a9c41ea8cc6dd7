// 入库业务处理: goods delivered by one supplier, received into one or more stores; each
// line becomes a batch at its purchase price.
#pragma once

#include "stock/TfrmBaseOtherInput.h"

class QDateTimeEdit;

class TfrmReceiveProduct : public TfrmBaseOtherInput {
    Q_OBJECT
public:
    explicit TfrmReceiveProduct(QWidget* parent = nullptr);

    void bitSaveClick() override;

protected:
    QString reportName() const override { return QStringLiteral("TfrmRepInStore"); }
    void edProductNoKeyDown() override;
    void edCountExit() override;

private:
    void FormCreate();

    QLineEdit* m_edDocNo;
    LookupComboBox* m_lcbFactory;
    LookupComboBox* m_lcbSelfMan;
    QLineEdit* m_edRemark;
    QDateTimeEdit* m_dtDate;
    LookupComboBox* m_lcbStore;
    QLineEdit* m_edTotalMoney;
    QLineEdit* m_edPrice;
    QLineEdit* m_edMoney;
};
