// The retail counter screen "零售业务处理": store, promoter, product codes with price and
// quantity collected in the sale grid; F1 opens the settlement. It writes nothing itself.
#pragma once

#include "app/TfrmBase.h"
#include "db/Money.h"
#include "sales/SaleLines.h"

#include <optional>

class LookupComboBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TfrmPOS : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmPOS(QWidget* parent = nullptr);
    ~TfrmPOS() override;

    // What the settlement reads.
    const SaleLines& saleLines() const { return m_lines; }
    Money SaleTotal() const { return m_saleTotal; }
    QString storeNo() const;
    QString storeName() const;
    virtual QString customerName() const;
    virtual QString customerAddress() const;
    virtual QString customerPhone() const;
    // The title of the staff column, as the note's clerk caption offers it.
    virtual QString promoterColumnTitle() const;
    // A receipt that went to a file instead of a printer is named in the status bar.
    void showReceiptFile(const QString& path);

    // Handlers, public so that the settlement and tests can run them as the keys do.
    void bitSellsClick();
    void bitDeleteClick();
    void bitClearClick();
    void bitMemberCardClick();
    void bitStoCardClick();
    void bitSerchClick();
    void bitCloseClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Where the wholesale counter differs: who must be chosen before a line is added, the
    // price proposed for a product, where the focus goes after a line and the settlement.
    virtual bool readyForLine();
    // What a quick scan needs before its line, said to the cashier when it is missing.
    virtual bool readyForQuickScan();
    virtual std::optional<Money> proposedPrice(const LookedUpProduct& product);
    virtual void afterLineAdded();
    virtual void openSettlement();

    void FormCreate();
    void edOffNOExit();
    void DBGrid1DblClick();
    void edProductNoKeyDown();
    void edPriceExit();
    void edCountKeyDown();
    void lcbRetailStoreCloseUp();
    SaleLine lineFromScreen() const;
    // Shows why the line in the boxes cannot be added and puts the focus on the box to fix.
    bool refusesLine();
    bool addCheckedLine();
    void AddSaleLine();
    void quickScan();
    void refreshGrid();
    void forgetProduct();
    Money computeSaleTotal() const;

    SaleLines m_lines;
    std::optional<LookedUpProduct> m_product;  // the product the code box was looked up as
    QString m_rememberedStore;
    Money m_saleTotal;
    bool m_quickScan = false;  // SysSet.ini [POS] QuickScan

    LookupComboBox* m_lcbRetailStore;
    QLineEdit* m_edName;
    QLineEdit* m_edPhone;
    QLineEdit* m_edAdress;
    QLineEdit* m_edOffNO;
    QLineEdit* m_edOffName;
    QLineEdit* m_edProductNo;
    QLineEdit* m_edProductName;
    QLineEdit* m_edDw;
    QLineEdit* m_edSellCount;
    QLineEdit* m_edPrice;
    QLineEdit* m_edCount;
    QLineEdit* m_edRebate;
    QLineEdit* m_edMemPrice;
    QLabel* m_pnSellsCount;
    QLabel* m_pnSellsName;
    QLabel* m_pnStoMoney;
    QLabel* m_pnSaleTotal;  // the running amount due, shown with [POS] ShowTotal
    QLabel* m_lbCard;
    QTableWidget* m_sgSellsData;
    QTableWidget* m_sgInOrder;
    QTableWidget* m_DBGrid1;
    QPushButton* m_bitSells;
    QPushButton* m_bitDelete;
    QPushButton* m_bitClear;
    QPushButton* m_bitSerch;
    QPushButton* m_bitClose;
    QPushButton* m_bitMemberCard;
    QPushButton* m_bitStoCard;
};

// The retail sale screen that is open, if any: the settlement works on it.
TfrmPOS* frmPOS();
