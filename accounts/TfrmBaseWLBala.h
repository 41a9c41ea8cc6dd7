// "往来结算基类": the entry of one current-account row by hand, with the account's ledger
// below it. The client screen "收款" and the supplier screen "付款" differ only in the
// account kind, its list and the order of the two sides.
#pragma once

#include "app/TfrmBase.h"
#include "db/AccountLedger.h"

class LookupComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

class TfrmBaseWLBala : public TfrmBase {
    Q_OBJECT
public:
    void accountChosen();     // lcbClientExit / lcbSupplyExit
    void rgInOrOutClick();
    void bitSaveClick();
    void bitNextClick();
    void bitPreviewClick();
    void bitPrintClick();
    void bitCloseClick();

    // The side selected: "借" or "贷".
    db::AccountSide side() const;

protected:
    TfrmBaseWLBala(db::AccountKind kind, QWidget* parent);

private:
    void FormCreate();
    void edMoneyExit();
    // Reloads the ledger grid of the chosen account; false when the database failed.
    bool reloadGrid();
    QString reportName() const;

    db::AccountKind m_kind;
    LookupComboBox* m_account;
    QLineEdit* m_edNo;
    QLineEdit* m_edRemark;
    QLineEdit* m_edMoney;
    QRadioButton* m_lowering;
    QRadioButton* m_raising;
    QLineEdit* m_edYE;
    QTableWidget* m_dgBase;
    QPushButton* m_btiSerch;
    QPushButton* m_bitNext;
    QPushButton* m_bitSave;
    QPushButton* m_bitPreview;
    QPushButton* m_bitPrint;
    QPushButton* m_bitClose;
};

class TfrmClientBala : public TfrmBaseWLBala {
    Q_OBJECT
public:
    explicit TfrmClientBala(QWidget* parent = nullptr);
};

class TfrmSuppBala : public TfrmBaseWLBala {
    Q_OBJECT
public:
    explicit TfrmSuppBala(QWidget* parent = nullptr);
};
