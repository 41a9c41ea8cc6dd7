// The sales statistics screens: four charts over the top-ten lists and three tables over
// the statistics procedures, each table printed through its report.
#pragma once

#include "reports/TfrmBaseStat.h"

class LookupComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QSpinBox;
class RadioGroup;
class ResultGrid;
struct GridColumn;

// ---- charts ----

class TfrmStatSellOfDay : public TfrmBaseStat {
    Q_OBJECT
public:
    explicit TfrmStatSellOfDay(QWidget* parent = nullptr);
protected:
    bool runOperation() override;
private:
    QDateEdit* m_dtDate;
    LookupComboBox* m_lcbType;
};

class TfrmStatSellOfMonth : public TfrmBaseStat {
    Q_OBJECT
public:
    explicit TfrmStatSellOfMonth(QWidget* parent = nullptr);
protected:
    bool runOperation() override;
private:
    QSpinBox* m_seMonth;
    LookupComboBox* m_lcbType;
};

// One product's recent sales: the product code is checked when it is left.
class TfrmStatProductSell : public TfrmBaseStat {
    Q_OBJECT
public:
    void edProductNoExit();
protected:
    TfrmStatProductSell(const QString& caption, QWidget* parent);
    int firstDrawn(int listSize) const override;
    QLineEdit* m_edProductNo;
    QLineEdit* m_edProductName;
};

class TfrmStatProductSellOfDay : public TfrmStatProductSell {
    Q_OBJECT
public:
    explicit TfrmStatProductSellOfDay(QWidget* parent = nullptr);
protected:
    bool runOperation() override;
private:
    QDateEdit* m_dtDate;
};

class TfrmStatProductSellOfMonth : public TfrmStatProductSell {
    Q_OBJECT
public:
    explicit TfrmStatProductSellOfMonth(QWidget* parent = nullptr);
protected:
    bool runOperation() override;
private:
    QSpinBox* m_seMonth;
};

// ---- tables ----

// Inputs above, buttons 确定 / 退出 / 打印, a grid below.
class TfrmBaseStatQuery : public TfrmBase {
    Q_OBJECT
public:
    virtual void bitYesClick() = 0;
    virtual void bitPrintClick() = 0;
protected:
    explicit TfrmBaseStatQuery(QWidget* parent);
    QHBoxLayout* inputRow() const { return m_inputs; }
    QVBoxLayout* body() const { return m_body; }
    // Reports a failing procedure; the screen stays open.
    static void reportError(const std::exception& e);
private:
    QHBoxLayout* m_inputs;
    QVBoxLayout* m_body;
};

class TfrmSellsStat : public TfrmBaseStatQuery {
    Q_OBJECT
public:
    explicit TfrmSellsStat(QWidget* parent = nullptr);
    void bitYesClick() override;
    void bitPrintClick() override;
private:
    QDateEdit* m_dtBegDate;
    QDateEdit* m_dtEndDate;
    RadioGroup* m_rgType;
    ResultGrid* m_grid;
};

class TfrmQyDaySell : public TfrmBaseStatQuery {
    Q_OBJECT
public:
    explicit TfrmQyDaySell(QWidget* parent = nullptr);
    void bitYesClick() override;
    void bitPrintClick() override;
private:
    QDateEdit* m_dtBegDate;
    QDateEdit* m_dtEndDate;
    RadioGroup* m_rgType;
    ResultGrid* m_grid;
};

class TfrmQYcsxsfx : public TfrmBaseStatQuery {
    Q_OBJECT
public:
    explicit TfrmQYcsxsfx(QWidget* parent = nullptr);
    void bitYesClick() override;
    void bitPrintClick() override;
    // Double-click on the left grid: the products of that row's supplier.
    void DBcsxsDblClick();
private:
    QDateEdit* m_begdate1;
    QDateEdit* m_enddate1;
    RadioGroup* m_rgType;
    ResultGrid* m_DBcsxs;
    ResultGrid* m_DBspxs;
};
