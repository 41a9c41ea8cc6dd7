// Lays a report definition over a dataset into pages of drawing operations (millimetres
// on the printable area), once; the same pages are then painted on any PrintCanvas:
// the printer, the preview, a PDF file or the recorder of the tests.
#pragma once

#include "reports/ReportDataset.h"
#include "reports/ReportDefinition.h"

#include <QHash>
#include <functional>

class PrintCanvas;

namespace report {

struct DrawOp {
    enum Kind { Text, Rect, Line } kind = Text;
    QRectF box;          // millimetres; Line: from the top-left to the bottom-right corner
    int alignment = 0;
    QString text;
    FontSpec font;
};

struct Page {
    std::vector<DrawOp> ops;
};

struct LaidOutReport {
    QString jobName;
    QPageLayout pageLayout;
    std::vector<Page> pages;
};

// Texts the caller set on named labels; names compare case-insensitively.
class LabelTexts {
public:
    void set(const QString& name, const QString& text) { m_texts.insert(name.toLower(), text); }
    bool has(const QString& name) const { return m_texts.contains(name.toLower()); }
    QString text(const QString& name) const { return m_texts.value(name.toLower()); }

private:
    QHash<QString, QString> m_texts;
};

LaidOutReport layOut(const Definition& definition, const ReportDataset& data, const LabelTexts& labels);

// Paints every page; `progress` hears of each page before it is drawn (1-based, of total).
// Throws PrintError when the canvas fails.
void paint(const LaidOutReport& report, PrintCanvas& canvas,
           const std::function<void(int page, int pages)>& progress = {});

// A value as the report writes it.
QString formatValue(const QVariant& value, Format format);
// A quantity without trailing zeros: 2 -> "2", 2.5 -> "2.5", at most four decimals.
QString quantityText(double quantity);

}  // namespace report
