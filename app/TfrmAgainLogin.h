// Re-login after a logout: accepted (QDialog::Accepted) once the operator is verified;
// the main window then applies the new operator's rights.
#pragma once

#include "app/TfrmBase.h"

class QLineEdit;
class QPushButton;

class TfrmAgainLogin : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmAgainLogin(QWidget* parent = nullptr);

    void BitBtn1Click();
    void BitBtn2Click();

private:
    QLineEdit* m_edOperatorNo;
    QLineEdit* m_edPassword;
};
