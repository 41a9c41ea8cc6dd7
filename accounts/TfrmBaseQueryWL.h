// "往来查询基类": the balance list of the clients' ("客户往来查询") or suppliers'
// ("供应商往来查询") current accounts over a period; a double click opens an account's
// statement with the list's period.
#pragma once

#include "app/TfrmBase.h"
#include "db/AccountLedger.h"

class QDateEdit;
class QPushButton;
class QTableWidget;

class TfrmBaseQueryWL : public TfrmBase {
    Q_OBJECT
public:
    void bitYesClick();
    void dgBaseDblClick();
    void bitExitClick();

protected:
    TfrmBaseQueryWL(db::AccountKind kind, QWidget* parent);

private:
    void FormCreate();
    // Reads the list; false (after telling the operator) when the database failed.
    bool load();

    db::AccountKind m_kind;
    QDateEdit* m_dtBegDate;
    QDateEdit* m_dtEndDate;
    QTableWidget* m_dgBase;
    QPushButton* m_bitYes;
    QPushButton* m_bitExit;
};

class TfrmQyKHWL : public TfrmBaseQueryWL {
    Q_OBJECT
public:
    explicit TfrmQyKHWL(QWidget* parent = nullptr);
};

class TfrmQyGYSWL : public TfrmBaseQueryWL {
    Q_OBJECT
public:
    explicit TfrmQyGYSWL(QWidget* parent = nullptr);
};
