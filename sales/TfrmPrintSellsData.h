// The retail settlement "打印零售收款单": amount received and change, then the save that
// posts the sale in one transaction, prints the receipt or the sales note and clears the
// sale screen for the next customer.
#pragma once

#include "app/TfrmBase.h"
#include "db/Money.h"
#include "sales/RetailPosting.h"

#include <optional>

class PrintCanvas;
struct SaleNoteData;
struct TillReceiptData;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TfrmPOS;

class TfrmPrintSellsData : public TfrmBase {
    Q_OBJECT
public:
    TfrmPrintSellsData(TfrmPOS& sale, QWidget* parent = nullptr);

    virtual void bitPrintClick();
    void bitCloseClick();

    // Tests and tools: receipts go to this canvas instead of the printer (not owned).
    void setReceiptCanvas(PrintCanvas* canvas) { m_receiptCanvas = canvas; }
    // The sale this screen saved, once it has.
    const std::optional<PostedSale>& posted() const { return m_posted; }

protected:
    // Where the wholesale settlement differs: its print-mode variable and what its receipt
    // and note show beyond the retail ones.
    virtual QString printModeVariable() const { return QStringLiteral("RetailPrintMode"); }
    virtual void completeReceipt(TillReceiptData&) const {}
    virtual void completeNote(SaleNoteData&) const {}

    void FormCreate();
    void edTrueMoneyChange();
    void edTrueMoneyKeyDown();
    RetailSale saleFromScreen(Money received) const;
    void printAfterPosting(const PostedSale& posted);
    void PrintReceipt(const PostedSale& posted);
    void PrintSaleNote(const PostedSale& posted);

    TfrmPOS& m_sale;
    Money m_amountDue;
    bool m_saving = false;
    std::optional<PostedSale> m_posted;
    PrintCanvas* m_receiptCanvas = nullptr;

    QLabel* m_pnTotalMoney;
    QLabel* m_lbFalseMoney;
    QLineEdit* m_edTrueMoney;
    QLabel* m_lbPayMoney;
    QCheckBox* m_cbPrintCheck;
    QPushButton* m_bitPrint;
    QPushButton* m_bitClose;
    QPlainTextEdit* m_mmPrintData;
};
