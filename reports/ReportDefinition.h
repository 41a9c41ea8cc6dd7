// A report definition is data: page setup, bands and the items on them. The layout
// (ReportLayout) turns a definition and a dataset into pages; nothing here draws.
#pragma once

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <vector>

namespace report {

// Design units are screen pixels at 96 per inch, as the layouts were drawn; they scale to
// millimetres on paper, so a layout looks the same on any printer.
constexpr double kMmPerPixel = 25.4 / 96.0;
inline double pxToMm(double px) { return px * kMmPerPixel; }
inline double mmToPx(double mm) { return mm / kMmPerPixel; }
// Font sizes given in pixels (the report fonts) in points.
inline double pxToPoints(double px) { return px * 72.0 / 96.0; }

struct FontSpec {
    QString family = QStringLiteral("宋体");
    double points = 11;
    bool bold = false;
    bool underline = false;

    QFont toFont() const;
    FontSpec withPoints(double pt) const { FontSpec f = *this; f.points = pt; return f; }
    FontSpec asBold() const { FontSpec f = *this; f.bold = true; return f; }
    bool operator==(const FontSpec&) const = default;
};

// How a value is written: Money "0.00"; Quantity without trailing zeros ("2", "2.5");
// Date "yyyy-MM-dd" from a date-time or from text; Plain as it comes.
enum class Format { Plain, Money, Quantity, Date };

enum class ItemKind {
    Text,        // fixed text
    Label,       // named text the caller sets (lbTitle); `text` is its design text
    Field,       // dataset column `column`
    Product,     // `column` (amount) × `column2` (quantity), as money
    Sum,         // sum of `column` over the rows the band closes
    SumProduct,  // sum of `column` × `column2` over the rows the band closes
    PageNumber,  // "第 n 页，共 m 页"
    Rect,        // a ruling rectangle without text
    Line,        // a line from the box's top-left to its bottom-right
};

struct Item {
    ItemKind kind = ItemKind::Text;
    QRectF box;            // design pixels; x from the printable area's left edge, y from the band's top
    QString text;
    QString name;          // Label
    QString column;
    QString column2;
    QString suffix;        // after a value: "3.20" + " 元"
    Format format = Format::Plain;
    int alignment = Qt::AlignLeft | Qt::AlignVCenter;
    FontSpec font;
    bool frame = false;    // ruled cell: the box is drawn as a rectangle; neighbours share borders
    bool shrinkToFit = true;  // a text wider than its box is set smaller rather than cut
};

enum class BandKind { Title, PageHeader, ColumnHeader, GroupHeader, Detail, GroupFooter, Summary, PageFooter };

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 25;    // design pixels
    // Group bands: the column whose change starts a new group; empty = the group is the
    // whole dataset (header once before the first row, footer once after the last).
    QString groupKey;
    std::vector<Item> items;

    Item& add(Item item) { items.push_back(std::move(item)); return items.back(); }
};

// Where the rows come from.
enum class DataSource {
    OwnStatement,   // qyRep: the design statement, or one the caller puts in its place
    CallerResult,   // the calling screen's open result, handed over as a dataset
};

struct Definition {
    QString name;                 // TfrmRepBS
    QString title;                // lbTitle's text unless the caller sets it
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{10, 10, 10, 10};
    FontSpec reportFont{QStringLiteral("宋体"), pxToPoints(14)};
    bool firstPageHeader = true;  // the page header prints on the first page too
    bool lastPageFooter = true;   // the page footer prints on the last page too
    bool printIfEmpty = true;     // an empty dataset still prints title, headers and footers
    DataSource source = DataSource::OwnStatement;
    QString designSql;            // qyRep's statement
    // The statement a document screen prints one document with (parameter :no), if any.
    QString documentSql;
    QString documentParam = QStringLiteral(":no");
    std::vector<Band> bands;

    QPageLayout pageLayout() const;
    // Printable width in design pixels.
    double printableWidthPx() const;
    Band* band(BandKind kind);
    const Band* band(BandKind kind) const;
    Band& addBand(BandKind kind, double height, const QString& groupKey = QString());
    // Names of the labels the caller may set.
    QStringList labelNames() const;
};

// Width in design pixels of a text in a font, measured the way every canvas measures.
double textWidthPx(const QString& text, const FontSpec& font);

}  // namespace report
