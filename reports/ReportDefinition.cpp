#include "reports/ReportDefinition.h"

#include "app/PrintCanvas.h"

#include <QFontDatabase>
#include <QPageSize>

namespace report {

namespace {
// Where 宋体 itself is not installed, reports print it with the Ming face: it is the closest
// in character (half-width Latin included), and its text stays searchable in a PDF, where the
// Noto face loses digits after a letter and reads some characters back as radicals.
QString printedFamily(const QString& family) {
    static const QString song = QStringLiteral("宋体");
    static const QString ming = QStringLiteral("AR PL UMing CN");
    if (family != song) return family;
    static const bool useMing = !QFontDatabase::hasFamily(song) && QFontDatabase::hasFamily(ming);
    return useMing ? ming : family;
}

// Latin letters and digits print in a clear Latin face ("l" and "1", "O" and "0" never
// alike, as the CJK faces' own Latin draws them); each Chinese character falls back to the
// report's Chinese face through the family list. The first installed face of each list
// serves; PDF text stays searchable.
QStringList latinFaces(const QString& family) {
    static const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman"),
                                   QStringLiteral("DejaVu Serif")};
    static const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                  QStringLiteral("DejaVu Sans")};
    return family == QStringLiteral("黑体") ? sans : serif;
}
}  // namespace

QFont FontSpec::toFont() const {
    QFont f;
    f.setFamilies(latinFaces(family) << printedFamily(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

QPageLayout Definition::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), orientation, marginsMm, QPageLayout::Millimeter);
}

double Definition::printableWidthPx() const {
    return mmToPx(pageLayout().paintRect(QPageLayout::Millimeter).width());
}

Band* Definition::band(BandKind kind) {
    for (Band& b : bands)
        if (b.kind == kind) return &b;
    return nullptr;
}

const Band* Definition::band(BandKind kind) const { return const_cast<Definition*>(this)->band(kind); }

Band& Definition::addBand(BandKind kind, double height, const QString& groupKey) {
    Band b;
    b.kind = kind;
    b.height = height;
    b.groupKey = groupKey;
    bands.push_back(std::move(b));
    return bands.back();
}

QStringList Definition::labelNames() const {
    QStringList names;
    for (const Band& b : bands)
        for (const Item& item : b.items)
            if (item.kind == ItemKind::Label) names << item.name;
    return names;
}

double textWidthPx(const QString& text, const FontSpec& font) {
    // The recorder measures at a fixed resolution, exactly as the printer and PDF canvases do.
    RecordingCanvas measure;
    measure.setFont(font.toFont());
    return mmToPx(measure.textWidth(text));
}

}  // namespace report
