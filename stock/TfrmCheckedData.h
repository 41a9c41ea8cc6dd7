// 库存盘点: counts typed store by store into a temporary table on the screen, saved into
// the stocktake table in one transaction, and "更新库存" applying every counted row to the
// stock. The right grid shows the chosen store's stocktake rows.
#pragma once

#include "app/TfrmBase.h"

class LookupComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
namespace query { class QueryRowSource; }

class TfrmCheckedData : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmCheckedData(QWidget* parent = nullptr);

    void RefreshCheckedTable();
    void edProductNoKeyDown();
    void edCountKeyDown();
    void bitDeleteClick();
    void bitClearClick();
    void bitSaveClick();
    void bitUpdateClick();
    void bitSerchClick();

    // Lines of the temporary table: from the top down to the first line without a code.
    int lineCount() const;
    QString cell(int line, int column) const;
    query::QueryRowSource& checkedRows() const { return *m_rows; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Closing would drop counts that were typed but never saved.
    bool refuseClosing();
    void clearTable();
    void updateSaveEnabled();
    void selectLine(int line);

    LookupComboBox* m_lcbStore;
    QLineEdit* m_edProductNo;
    QLineEdit* m_edCount;
    QLineEdit* m_edProductName;
    QLineEdit* m_edSerchProductNo;
    QLineEdit* m_edSerchProductName;
    QPushButton* m_bitSerch;
    QTableWidget* m_sgCheckedData;
    QTableView* m_dbgCheckedData;
    query::QueryRowSource* m_rows;
    QPushButton* m_bitDelete;
    QPushButton* m_bitClose;
    QPushButton* m_bitClear;
    QPushButton* m_bitSave;
    QPushButton* m_bitUpdate;
    bool m_busy = false;
};
