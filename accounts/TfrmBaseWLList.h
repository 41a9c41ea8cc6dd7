// "显示往来明细基类": the statement of one account over a period, its ledger rows on the
// page "往来帐明细" and the goods moved with it on "数据明细", each page printable. The
// client statement "客户往来数据" and the supplier statement "厂商往来明细数据".
#pragma once

#include "accounts/AccountStatement.h"
#include "app/TfrmBase.h"

class QDateEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

class TfrmBaseWLList : public TfrmBase {
    Q_OBJECT
public:
    // The account it is opened for and the list's period.
    void setAccount(const QString& accountNo, const QString& accountName, const QDate& begin, const QDate& end);

    void bitYesClick();
    void BitBtn1Click();
    void bitExitClick();

    AccountStatement statement() const;

protected:
    TfrmBaseWLList(db::AccountKind kind, QWidget* parent);
    void showEvent(QShowEvent* event) override;   // FormActivate

private:
    db::AccountKind m_kind;
    QString m_accountNo;
    QString m_accountName;
    QTabWidget* m_pcWL;
    QTableWidget* m_dgWL;
    QTableWidget* m_dgSJ;
    QDateEdit* m_dtBegDate;
    QDateEdit* m_dtEndDate;
    QPushButton* m_bitYes;
    QPushButton* m_BitBtn1;
    QPushButton* m_bitExit;
};

class TfrmKHWLList : public TfrmBaseWLList {
    Q_OBJECT
public:
    explicit TfrmKHWLList(QWidget* parent = nullptr);
};

class TfrmGYSWLList : public TfrmBaseWLList {
    Q_OBJECT
public:
    explicit TfrmGYSWLList(QWidget* parent = nullptr);
};
