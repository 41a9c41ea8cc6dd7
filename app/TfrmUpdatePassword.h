// Password change of the operator who is logged in. The new password is confirmed by
// leaving the repeat box with the same text; the password stored is the one so confirmed,
// and only after the old password was verified.
#pragma once

#include "app/TfrmBase.h"

class QLineEdit;
class QPushButton;

class TfrmUpdatePassword : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmUpdatePassword(QWidget* parent = nullptr);

    void edPasswordExit();
    void edVerifyPasswordExit();
    void bitYesClick();
    void bitCloseClick();

private:
    void newPasswordEdited();

    QLineEdit* m_edPassword;
    QLineEdit* m_edNewPassword;
    QLineEdit* m_edVerifyPassword;
    QPushButton* m_bitYes;
    QString m_verified;  // the new password as confirmed when bitYes was enabled
};
