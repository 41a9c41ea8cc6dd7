// The month-end carry-forward screen: shows the current period and, on confirmation,
// records every product's closing position and moves the period on in one transaction.
#pragma once

#include "app/TfrmBase.h"

class QSpinBox;

class TfrmMonthBala : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmMonthBala(QWidget* parent = nullptr);

    void bitSaveClick();

private:
    QSpinBox* m_seBegYear;
    QSpinBox* m_seBegMonth;
    QSpinBox* m_seBegDay;
    QSpinBox* m_seEndYear;
    QSpinBox* m_seEndMonth;
    QSpinBox* m_seEndDay;
    bool m_saving = false;
};
