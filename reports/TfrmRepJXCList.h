// The printed purchase–sale–stock summary, built at run time: an A4 landscape page per 20
// rows, a title band with the page number and page count and a ruled header row, and a
// ruled detail row per result row. The printed cells take the widths of the screen's
// columns, so a column widened on screen prints wider and a removed one prints with no
// width at all, the columns to its right moving left. Columns wider in all than the sheet
// are narrowed in proportion to fit it.
#pragma once

#include "reports/ReportLayout.h"

#include <QStringList>
#include <QVector>
#include <vector>

class TfrmRepJXCList {
public:
    static constexpr int kColumns = 15;
    static const QStringList& titles();

    // The page layout for these column widths (screen pixels; 0 for a removed column).
    static report::Definition definition(const QVector<int>& colWidths);

    // Lays out pages 1..pageCount of `rows` (each the 15 texts of a row; removed columns
    // already empty), `pageRows` rows a page, headed "页数：n页" and "共计：pageCount页".
    static report::LaidOutReport pages(const std::vector<QStringList>& rows, const QVector<int>& colWidths, int pageRows,
                                       int pageCount);
};
