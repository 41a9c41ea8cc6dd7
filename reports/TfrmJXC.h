// The purchase–sale–stock summary screen: the period from the current carry-forward start
// to a chosen end, one row per product, columns removable with F4, printed 20 rows a page.
#pragma once

#include "app/TfrmBase.h"
#include "reports/ReportLayout.h"

#include <QVector>

class QPushButton;
class QSpinBox;
class ResultGrid;

class TfrmJXC : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmJXC(QWidget* parent = nullptr);

    void bitYesClick();
    void bitPrintClick();
    void bitPreviewClick();
    void bitSelClick();

    // The pages "打印" (all) or "预览" (the first only) sends to the report.
    report::LaidOutReport buildPages(bool firstPageOnly);

    // Print state, handed to the printed report.
    QVector<int> ColWidths;
    QVector<bool> ColRemoved;
    int PageRows = 20;
    int RowsOnPage = 20;
    int PageNo = 0;
    int PageCount = 0;
    int RowCount = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void printPages(bool preview);

    QSpinBox* m_seBegYear;
    QSpinBox* m_seBegMonth;
    QSpinBox* m_seBegDay;
    QSpinBox* m_seEndYear;
    QSpinBox* m_seEndMonth;
    QSpinBox* m_seEndDay;
    ResultGrid* m_dgJXC;
};
