#include "reports/TfrmRepJXCList.h"

#include <algorithm>
#include <cmath>

using namespace report;

namespace {

const FontSpec kCellFont{QStringLiteral("宋体"), 10};
// How close to the sheet's edge printers still print.
constexpr double kPrinterReachMm = 4;

Item text(const QRectF& box, const QString& t, int alignment, const FontSpec& font, bool frame = false) {
    Item i;
    i.kind = ItemKind::Text;
    i.box = box;
    i.text = t;
    i.alignment = alignment;
    i.font = font;
    i.frame = frame;
    return i;
}

Item label(const QRectF& box, const QString& name) {
    Item i;
    i.kind = ItemKind::Label;
    i.box = box;
    i.name = name;
    i.font = kCellFont;
    i.alignment = Qt::AlignCenter;
    return i;
}

QString column(int i) { return QStringLiteral("c%1").arg(i); }

}  // namespace

const QStringList& TfrmRepJXCList::titles() {
    static const QStringList t = {
        QStringLiteral("商品编码"), QStringLiteral("商品名称"), QStringLiteral("结转单价"), QStringLiteral("结转数量"),
        QStringLiteral("结转金额"), QStringLiteral("入库数量"), QStringLiteral("入库金额"), QStringLiteral("销售数量"),
        QStringLiteral("销售成本"), QStringLiteral("退货数量"), QStringLiteral("退货金额"), QStringLiteral("报损数量"),
        QStringLiteral("报损金额"), QStringLiteral("结存数量"), QStringLiteral("结存金额")};
    return t;
}

Definition TfrmRepJXCList::definition(const QVector<int>& colWidths) {
    Definition d;
    d.name = QStringLiteral("TfrmRepJXCList");
    d.title = QStringLiteral("进销存报表");
    d.orientation = QPageLayout::Landscape;
    d.marginsMm = QMarginsF(10, 10, 10, 10);
    const double width = d.printableWidthPx();

    Band& title = d.addBand(BandKind::Title, 70);
    title.add(text(QRectF(0, 0, width, 24), d.title, Qt::AlignCenter, kCellFont.withPoints(15)));
    title.add(text(QRectF(0, 22, 42, 20), QStringLiteral("页数："), Qt::AlignLeft | Qt::AlignVCenter, kCellFont));
    title.add(label(QRectF(42, 22, 40, 20), QStringLiteral("PageNo")));
    title.add(text(QRectF(82, 22, 16, 20), QStringLiteral("页"), Qt::AlignLeft | Qt::AlignVCenter, kCellFont));
    title.add(text(QRectF(120, 22, 42, 20), QStringLiteral("共计："), Qt::AlignLeft | Qt::AlignVCenter, kCellFont));
    title.add(label(QRectF(162, 22, 40, 20), QStringLiteral("PageCount")));
    title.add(text(QRectF(202, 22, 16, 20), QStringLiteral("页"), Qt::AlignLeft | Qt::AlignVCenter, kCellFont));

    // Cells share their border line with their neighbours; a removed column takes no room.
    // The table may run into the right margin as far as a printer reaches; columns widened
    // on screen beyond that are narrowed in proportion, so the columns on the right are
    // not printed off the paper.
    int tableWidth = 1 - kColumns;
    for (int i = 0; i < kColumns; ++i) tableWidth += i < colWidths.size() ? std::max(0, colWidths[i]) : 0;
    const double reach = width + mmToPx(d.marginsMm.right() - kPrinterReachMm);
    const double scale = tableWidth > reach ? reach / tableWidth : 1.0;
    std::vector<Item> cells;
    double left = 0;
    for (int i = 0; i < kColumns; ++i) {
        const int w = i < colWidths.size() ? int(std::floor(std::max(0, colWidths[i]) * scale)) : 0;
        const double x = left - i;
        left += w;
        if (w == 0) continue;
        title.add(text(QRectF(x, 45, w, 25), titles()[i], Qt::AlignCenter, kCellFont.asBold(), true));
        Item cell;
        cell.kind = ItemKind::Field;
        cell.box = QRectF(x, 0, w, 24);
        cell.column = column(i);
        cell.font = kCellFont;
        cell.frame = true;
        cell.alignment = (i < 2 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
        cells.push_back(cell);
    }
    // Added last: adding a band may move the bands added before it.
    d.addBand(BandKind::Detail, 24).items = std::move(cells);
    return d;
}

LaidOutReport TfrmRepJXCList::pages(const std::vector<QStringList>& rows, const QVector<int>& colWidths, int pageRows,
                                    int pageCount) {
    const Definition d = definition(colWidths);
    QStringList columns;
    for (int i = 0; i < kColumns; ++i) columns << column(i);
    LaidOutReport all;
    const int rowCount = int(rows.size());
    for (int pageNo = 1; pageNo <= pageCount; ++pageNo) {
        const int first = (pageNo - 1) * pageRows;
        const int rowsOnPage = rowCount < pageNo * pageRows ? std::max(0, rowCount - first) : pageRows;
        ReportDataset data(columns);
        for (int r = first; r < first + rowsOnPage; ++r) {
            ReportDataset::Row row;
            for (const QString& cell : rows[size_t(r)]) row << cell;
            data.addRow(std::move(row));
        }
        LabelTexts labels;
        labels.set(QStringLiteral("PageNo"), QString::number(pageNo));
        labels.set(QStringLiteral("PageCount"), QString::number(pageCount));
        LaidOutReport page = layOut(d, data, labels);
        if (all.pages.empty()) {
            all.jobName = page.jobName;
            all.pageLayout = page.pageLayout;
        }
        // A page of 20 rows fits one sheet; should a printer's margins not allow it, the
        // overflow stays with its page rather than being lost.
        for (Page& p : page.pages) all.pages.push_back(std::move(p));
    }
    return all;
}
