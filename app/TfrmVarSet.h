// The settings screen: the nine system variables of sysvariable.
#pragma once

#include "app/TfrmBase.h"

class LookupComboBox;
class QButtonGroup;
class QCheckBox;
class QLineEdit;

class TfrmVarSet : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmVarSet(QWidget* parent = nullptr);

    void bitYesClick();
    void bitExitClick();

private:
    void loadVariables();

    QLineEdit* m_edCheckedDate;
    QLineEdit* m_edBalaBegDate;
    QLineEdit* m_edBalaEndDate;
    LookupComboBox* m_lcbRetailStore;
    LookupComboBox* m_lcbBatchStore;
    QButtonGroup* m_rgRetailPrintMode;
    QButtonGroup* m_rgBatchPrintMode;
    QCheckBox* m_cbPrint;
    QCheckBox* m_cbCheckStore;
};
