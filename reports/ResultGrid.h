// A read-only grid over the rows of a statistics procedure: the screen's open result.
// Columns carry a title, the result column they show, how values are written and an
// optional tint; the rows stay as the procedure gave them, so the printout of the screen's
// result prints exactly what the grid shows.
#pragma once

#include "reports/ReportDataset.h"
#include "reports/ReportDefinition.h"

#include <QColor>
#include <QTableView>
#include <vector>

class ResultModel;

struct GridColumn {
    QString title;
    QString column;
    report::Format format = report::Format::Plain;
    int width = 80;
    QColor tint;   // invalid: no tint
};

// Tints the grids use for emphasis, in the colours of the classic desktop palette.
namespace GridTint {
inline const QColor ActiveCaptionGradient(185, 209, 234);
inline const QColor MoneyGreen(192, 220, 192);
inline const QColor TooltipBackground(255, 255, 225);
inline const QColor SkyBlue(166, 202, 240);
}  // namespace GridTint

class ResultGrid : public QTableView {
    Q_OBJECT
public:
    explicit ResultGrid(std::vector<GridColumn> columns, QWidget* parent = nullptr);

    // Opens the grid on a result: its column names and rows.
    void setResult(const QStringList& columnNames, std::vector<ReportDataset::Row> rows);
    // No result (closed).
    void clearResult();
    bool isOpen() const;
    int rowCount() const;
    // The open result as the printouts read it; a closed dataset when not open.
    ReportDataset dataset() const;
    // The text a cell shows.
    QString cellText(int row, int column) const;
    const std::vector<GridColumn>& columns() const;

private:
    ResultModel* m_model;
};
