#include "reports/ReportLayout.h"

#include "app/PrintCanvas.h"
#include "db/Money.h"

#include <QDate>
#include <QDateTime>
#include <cmath>
#include <map>

namespace report {

QString quantityText(double quantity) {
    QString s = QString::number(quantity, 'f', 4);
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

QString formatValue(const QVariant& value, Format format) {
    if (!value.isValid() || value.isNull()) return {};
    switch (format) {
    case Format::Money:
        return Money::fromVariant(value).toString();
    case Format::Quantity: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? quantityText(d) : value.toString();
    }
    case Format::Date:
        if (value.typeId() == QMetaType::QDateTime) return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd"));
        if (value.typeId() == QMetaType::QDate) return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        return value.toString().left(10);
    case Format::Plain:
        break;
    }
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) return quantityText(value.toDouble());
    if (value.typeId() == QMetaType::QDateTime) return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (value.typeId() == qMetaTypeId<Money>()) return value.value<Money>().toString();
    return value.toString().trimmed();
}

namespace {

constexpr double kCellPaddingMm = 0.8;
constexpr double kSmallestPoints = 5.5;

// Running sums of one Sum / SumProduct item.
struct Accumulator {
    Money money;
    double number = 0;
};

class Layouter {
public:
    Layouter(const Definition& d, const ReportDataset& data, const LabelTexts& labels)
        : m_def(d), m_data(data), m_labels(labels) {
        m_out.jobName = d.title.isEmpty() ? d.name : d.title;
        if (labels.has(QStringLiteral("lbTitle")) && !labels.text(QStringLiteral("lbTitle")).isEmpty())
            m_out.jobName = labels.text(QStringLiteral("lbTitle"));
        m_out.pageLayout = d.pageLayout();
        m_pageHeight = m_out.pageLayout.paintRect(QPageLayout::Millimeter).height();
        const Band* footer = d.band(BandKind::PageFooter);
        m_footerHeight = footer ? pxToMm(footer->height) : 0;
    }

    LaidOutReport run() {
        const Band* groupHeader = m_def.band(BandKind::GroupHeader);
        const Band* groupFooter = m_def.band(BandKind::GroupFooter);
        const Band* detail = m_def.band(BandKind::Detail);
        const Band* summary = m_def.band(BandKind::Summary);

        if (m_data.isEmpty()) {
            if (!m_def.printIfEmpty) return m_out;
            place(groupHeader, nullptr);
            place(groupFooter, nullptr);
            place(summary, nullptr);
            finish();
            return m_out;
        }

        const int headerKey = groupHeader ? m_data.columnIndex(groupHeader->groupKey) : -1;
        const int footerKey = groupFooter ? m_data.columnIndex(groupFooter->groupKey) : -1;
        const ReportDataset::Row* previous = nullptr;
        for (int r = 0; r < m_data.rowCount(); ++r) {
            const ReportDataset::Row& row = m_data.row(r);
            if (previous && footerKey >= 0 && keyOf(*previous, footerKey) != keyOf(row, footerKey)) {
                place(groupFooter, previous);
                resetSums(groupFooter);
            }
            if (!previous || (headerKey >= 0 && keyOf(*previous, headerKey) != keyOf(row, headerKey)))
                place(groupHeader, &row);
            accumulate(groupFooter, row);
            accumulate(summary, row);
            place(detail, &row);
            previous = &row;
        }
        place(groupFooter, previous);
        place(summary, previous);
        finish();
        return m_out;
    }

private:
    static QString keyOf(const ReportDataset::Row& row, int column) { return row.value(column).toString(); }

    void place(const Band* band, const ReportDataset::Row* row) {
        if (!band) return;
        const double h = pxToMm(band->height);
        if (m_out.pages.empty()) startPage(row);
        // A band never splits: when it does not fit it starts the next page (unless the
        // page holds nothing else yet, so an oversize band cannot loop forever).
        if (m_y + h > m_pageHeight - m_footerHeight + 1e-6 && m_y > m_contentTop + 1e-6) {
            endPage(false, row);
            startPage(row);
        }
        drawBand(*band, row, m_y);
        m_y += h;
    }

    void startPage(const ReportDataset::Row* row) {
        m_out.pages.emplace_back();
        m_y = 0;
        const bool first = m_out.pages.size() == 1;
        auto put = [&](const Band* b) {
            if (!b) return;
            drawBand(*b, row, m_y);
            m_y += pxToMm(b->height);
        };
        if (first) put(m_def.band(BandKind::Title));
        if (!first || m_def.firstPageHeader) put(m_def.band(BandKind::PageHeader));
        put(m_def.band(BandKind::ColumnHeader));
        m_contentTop = m_y;
    }

    void endPage(bool last, const ReportDataset::Row* row) {
        const Band* footer = m_def.band(BandKind::PageFooter);
        if (footer && (!last || m_def.lastPageFooter)) drawBand(*footer, row, m_pageHeight - m_footerHeight);
    }

    void finish() {
        if (m_out.pages.empty()) return;
        endPage(true, nullptr);
        const int total = int(m_out.pages.size());
        for (const auto& [page, index] : m_pageNumbers)
            m_out.pages[size_t(page)].ops[index].text = QStringLiteral("第 %1 页，共 %2 页").arg(page + 1).arg(total);
    }

    void accumulate(const Band* band, const ReportDataset::Row& row) {
        if (!band) return;
        for (const Item& item : band->items) {
            if (item.kind != ItemKind::Sum && item.kind != ItemKind::SumProduct) continue;
            Accumulator& acc = m_sums[&item];
            const QVariant v = m_data.value(row, m_data.columnIndex(item.column));
            if (item.kind == ItemKind::SumProduct) {
                acc.money += Money::fromVariant(v).times(m_data.value(row, m_data.columnIndex(item.column2)).toDouble());
            } else if (item.format == Format::Money) {
                acc.money += Money::fromVariant(v);
            } else {
                acc.number += v.toDouble();
            }
        }
    }

    void resetSums(const Band* band) {
        for (const Item& item : band->items) m_sums.erase(&item);
    }

    QString textOf(const Item& item, const ReportDataset::Row* row) const {
        auto column = [&](const QString& name) { return row ? m_data.value(*row, m_data.columnIndex(name)) : QVariant(); };
        switch (item.kind) {
        case ItemKind::Text:
            return item.text;
        case ItemKind::Label:
            if (m_labels.has(item.name)) return m_labels.text(item.name);
            if (item.name.compare(QLatin1String("lbTitle"), Qt::CaseInsensitive) == 0 && !m_def.title.isEmpty())
                return m_def.title;
            return item.text;
        case ItemKind::Field:
            return formatValue(column(item.column), item.format);
        case ItemKind::Product: {
            const QVariant amount = column(item.column);
            const QVariant quantity = column(item.column2);
            if (!row || amount.isNull() || quantity.isNull()) return {};
            return Money::fromVariant(amount).times(quantity.toDouble()).toString();
        }
        case ItemKind::Sum:
        case ItemKind::SumProduct: {
            const auto it = m_sums.find(&item);
            const Accumulator acc = it == m_sums.end() ? Accumulator{} : it->second;
            if (item.kind == ItemKind::SumProduct || item.format == Format::Money) return acc.money.toString();
            return quantityText(acc.number);
        }
        case ItemKind::PageNumber:
        case ItemKind::Rect:
        case ItemKind::Line:
            break;
        }
        return {};
    }

    void drawBand(const Band& band, const ReportDataset::Row* row, double top) {
        std::vector<DrawOp>& ops = m_out.pages.back().ops;
        for (const Item& item : band.items) {
            const QRectF box(pxToMm(item.box.x()), top + pxToMm(item.box.y()), pxToMm(item.box.width()),
                             pxToMm(item.box.height()));
            if (item.kind == ItemKind::Line) {
                ops.push_back({DrawOp::Line, box, 0, {}, {}});
                continue;
            }
            if (item.frame || item.kind == ItemKind::Rect) ops.push_back({DrawOp::Rect, box, 0, {}, {}});
            if (item.kind == ItemKind::Rect) continue;
            if (item.kind == ItemKind::PageNumber)
                m_pageNumbers.emplace_back(int(m_out.pages.size()) - 1, ops.size());
            QString text = textOf(item, row);
            if (!text.isEmpty() && !item.suffix.isEmpty() && item.kind != ItemKind::Text && item.kind != ItemKind::Label)
                text += item.suffix;
            if (text.isEmpty() && item.kind != ItemKind::PageNumber) continue;
            // Every text keeps clear of its box's sides, framed or not: a right-aligned amount
            // must not run into the date that starts where its column ends.
            const QRectF inner = box.adjusted(kCellPaddingMm, 0, -kCellPaddingMm, 0);
            ops.push_back({DrawOp::Text, inner, item.alignment, text, fitted(item, text, inner.width())});
        }
    }

    // The item's font, made smaller when the text would not fit its box: a product code
    // cut in half is worse on a document than a smaller one.
    static FontSpec fitted(const Item& item, const QString& text, double widthMm) {
        FontSpec f = item.font;
        if (!item.shrinkToFit) return f;
        while (f.points > kSmallestPoints && pxToMm(textWidthPx(text, f)) > widthMm) f.points -= 0.5;
        return f;
    }

    const Definition& m_def;
    const ReportDataset& m_data;
    const LabelTexts& m_labels;
    LaidOutReport m_out;
    double m_pageHeight = 0;
    double m_footerHeight = 0;
    double m_y = 0;
    double m_contentTop = 0;
    std::map<const Item*, Accumulator> m_sums;
    std::vector<std::pair<int, size_t>> m_pageNumbers;
};

}  // namespace

LaidOutReport layOut(const Definition& definition, const ReportDataset& data, const LabelTexts& labels) {
    return Layouter(definition, data, labels).run();
}

void paint(const LaidOutReport& report, PrintCanvas& canvas, const std::function<void(int, int)>& progress) {
    canvas.begin(report.jobName, report.pageLayout);
    const int total = int(report.pages.size());
    for (int p = 0; p < total; ++p) {
        if (progress) progress(p + 1, total);
        if (p > 0) canvas.newPage();
        bool fontSet = false;
        FontSpec current;
        for (const DrawOp& op : report.pages[size_t(p)].ops) {
            switch (op.kind) {
            case DrawOp::Rect:
                canvas.drawRect(op.box);
                break;
            case DrawOp::Line:
                canvas.drawLine(op.box.topLeft(), op.box.bottomRight());
                break;
            case DrawOp::Text:
                if (!fontSet || !(current == op.font)) {
                    canvas.setFont(op.font.toFont());
                    current = op.font;
                    fontSet = true;
                }
                canvas.drawText(op.box, op.alignment, op.text);
                break;
            }
        }
    }
    canvas.end();
}

}  // namespace report
