// 初始化盘点数据: fills the stocktake table for the current period, once per stocktake.
#pragma once

#include "app/TfrmBase.h"

class QDateEdit;
class QPushButton;

class TfrmInitChecked : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmInitChecked(QWidget* parent = nullptr);

    void bitYesClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QDateEdit* m_dtBeginDate;
    QDateEdit* m_dtEndDate;
    QPushButton* m_bitYes;
    QPushButton* m_bitClose;
};
