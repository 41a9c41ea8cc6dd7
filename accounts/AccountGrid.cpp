#include "accounts/AccountGrid.h"

#include "reports/ReportLayout.h"

#include <QHeaderView>
#include <QTableWidget>

QTableWidget* accountGrid(QWidget* parent, const char* name, const std::vector<GridColumn>& columns) {
    auto* grid = new QTableWidget(0, int(columns.size()), parent);
    grid->setObjectName(QString::fromLatin1(name));
    QStringList titles;
    for (const GridColumn& c : columns) titles << QString::fromUtf8(c.title);
    grid->setHorizontalHeaderLabels(titles);
    for (int i = 0; i < int(columns.size()); ++i) grid->setColumnWidth(i, columns[size_t(i)].width);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(22);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The rows are only read: Tab leaves the grid instead of walking its cells, or the
    // buttons below could not be reached by keys.
    grid->setTabKeyNavigation(false);
    return grid;
}

void fillAccountGrid(QTableWidget* grid, const ReportDataset& rows, const std::vector<GridColumn>& columns) {
    grid->clearContents();
    grid->setRowCount(rows.rowCount());
    for (int c = 0; c < int(columns.size()); ++c) {
        const GridColumn& column = columns[size_t(c)];
        const int field = rows.columnIndex(QString::fromLatin1(column.field));
        const bool right = column.format == report::Format::Money || column.format == report::Format::Quantity;
        for (int r = 0; r < rows.rowCount(); ++r) {
            auto* item = new QTableWidgetItem(report::formatValue(rows.value(rows.row(r), field), column.format));
            if (right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(r, c, item);
        }
    }
}
