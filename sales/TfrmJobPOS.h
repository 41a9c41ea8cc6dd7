// The wholesale counter "批发业务处理": the retail counter with a registered client chosen
// from the client list, the client's latest price proposed for each product, and the
// wholesale settlement that puts what is not paid on the client's account.
#pragma once

#include "sales/TfrmPOS.h"

class LookupComboBox;

class TfrmJobPOS : public TfrmPOS {
    Q_OBJECT
public:
    explicit TfrmJobPOS(QWidget* parent = nullptr);

    // The chosen client (KHB.KHNO), empty when none.
    QString clientNo() const;
    QString customerName() const override;
    QString promoterColumnTitle() const override;

protected:
    bool readyForLine() override;
    bool readyForQuickScan() override { return readyForLine(); }   // the client, not a salesperson
    std::optional<Money> proposedPrice(const LookedUpProduct& product) override;
    void afterLineAdded() override;
    void openSettlement() override;

private:
    void edNameChange();

    LookupComboBox* m_client;
};

// The client's price for a product: the price of the most recent sale of it to the client
// (by sale time, then sale number), from the sale cost rows; nullopt when there is none.
// A database error propagates.
std::optional<Money> lastClientPrice(db::Connection& connection, const QString& clientNo, const QString& productNo);
