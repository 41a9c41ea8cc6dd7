// "收银员日结": a cashier's takings of one day not handed in yet, and the hand-in that
// records the amount handed over and marks those takings.
#pragma once

#include "app/TfrmBase.h"

class LookupComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmOperatorDayBalance : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmOperatorDayBalance(QWidget* parent = nullptr);

    void lcbOperatorNoCloseUp();
    void bitYesClick();
    void bitCloseClick();

private:
    void FormCreate();
    // The amount due for the chosen cashier and day; 缴款 only with something to hand in.
    void showTakings(bool focusButton);

    QDateTimeEdit* m_dtBalanceDate;
    LookupComboBox* m_lcbOperatorNo;
    QLabel* m_pnMoney;
    QLineEdit* m_edTrueMoney;
    QLabel* m_pnOperatorName;
    QPushButton* m_bitYes;
    QPushButton* m_bitClose;
};
