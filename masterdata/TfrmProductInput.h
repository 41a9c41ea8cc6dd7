// The product catalogue: the maintenance screen of SPB with its lookups into the code
// tables, a search that also shows the product's last business date, the generator of
// 8-character product codes and the catalogue import from a CSV file.
#pragma once

#include "masterdata/TfrmBaseInput.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmProductInput : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmProductInput(QWidget* parent = nullptr);

    // Imports the file and reports the outcome to the operator; the list is reread on success.
    void importProducts(const QString& path);

public Q_SLOTS:
    void bitFindClick();
    void cbAutoSPNOClick();
    void bitImportClick();

protected:
    void stateChanged() override;

private:
    void openLookups();
    void generateCode();

    QCheckBox* m_cbAutoSPNO = nullptr;
    QLineEdit* m_edFindProductNo = nullptr;
    QPushButton* m_bitFind = nullptr;
    QPushButton* m_bitImport = nullptr;
    QLabel* m_pnLastDate = nullptr;
};
