#include "reports/ReportDefinition.h"

#include "app/PrintCanvas.h"

#include <QPageSize>

namespace report {

QFont FontSpec::toFont() const {
    QFont f(family);
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
