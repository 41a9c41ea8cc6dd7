// The login screen the process opens with: a successful login hides it and runs the main
// window over it; the process ends when the main window closes or the login is left.
#pragma once

#include "app/TfrmBase.h"

class QLineEdit;
class QPushButton;
class QLabel;
class TfrmMenu;

class TfrmLogin : public TfrmBase {
    Q_OBJECT
public:
    // The result the screen ends with (QDialog::done): the program's exit.
    enum Outcome { Left = QDialog::Rejected, Worked = QDialog::Accepted, DatabaseDown = 2 };

    explicit TfrmLogin(QWidget* parent = nullptr);
    ~TfrmLogin() override;

    void bitYesClick();
    void bitCloseClick();

    TfrmMenu* frmMenu() const { return m_frmMenu; }

private:
    // Whether operator 001 still has the initial password, which the red hint names.
    static bool initialPasswordStillSet();

    QLineEdit* m_edOperatorNo;
    QLineEdit* m_edOperatorPassword;
    QPushButton* m_bitYes;
    QPushButton* m_bitClose;
    QLabel* m_lbHint;
    TfrmMenu* m_frmMenu = nullptr;
};
