// The wholesale settlement "打印批发收款单": the retail settlement's screen, with the sale
// posted to the chosen client and the unpaid part put on the client's account in the same
// transaction; the note carries what was paid and what went on account.
#pragma once

#include "sales/TfrmPrintSellsData.h"
#include "sales/WholesalePosting.h"

class TfrmJobPOS;

class TfrmPrintJobSellsData : public TfrmPrintSellsData {
    Q_OBJECT
public:
    TfrmPrintJobSellsData(TfrmJobPOS& sale, QWidget* parent = nullptr);

    void bitPrintClick() override;
    // The ledger side of the sale this screen saved, once it has.
    const std::optional<db::ClientSalePosting>& ledger() const { return m_ledger; }

protected:
    QString printModeVariable() const override { return QStringLiteral("BatchPrintMode"); }
    void completeReceipt(TillReceiptData& receipt) const override;
    void completeNote(SaleNoteData& note) const override;

private:
    void failAndStartOver(const QString& message);

    TfrmJobPOS& m_jobSale;
    std::optional<db::ClientSalePosting> m_ledger;
};
