// The read-only grids of the account screens: titled columns over the fields of a result,
// each value written as the printed reports write it.
#pragma once

#include "reports/ReportDataset.h"
#include "reports/ReportDefinition.h"

#include <vector>

class QTableWidget;
class QWidget;

struct GridColumn {
    const char* title;
    const char* field;
    report::Format format = report::Format::Plain;
    int width = 90;
};

QTableWidget* accountGrid(QWidget* parent, const char* name, const std::vector<GridColumn>& columns);
// Replaces the grid's rows; the dataset's other columns are not shown.
void fillAccountGrid(QTableWidget* grid, const ReportDataset& rows, const std::vector<GridColumn>& columns);
