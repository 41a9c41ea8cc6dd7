#include "stock/BatchList.h"

#include "sales/SaleLines.h"

#include <QHeaderView>
#include <QTableWidget>

namespace BatchList {

namespace {
constexpr int kValue = Qt::UserRole;
}

QTableWidget* create(QWidget* parent, const QString& remainingTitle) {
    auto* g = new QTableWidget(0, 7, parent);
    g->setObjectName(QStringLiteral("dgInData"));
    g->setHorizontalHeaderLabels({QStringLiteral("进货单号"), QStringLiteral("商品编号"), QStringLiteral("商品名称"),
                                  QStringLiteral("单位"), QStringLiteral("单价"), remainingTitle, QStringLiteral("入库数量")});
    g->verticalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->setDefaultSectionSize(22);
    g->setColumnHidden(6, true);
    g->setColumnWidth(0, 140);
    g->setColumnWidth(2, 200);
    return g;
}

void fill(QTableWidget* list, const std::vector<db::BatchRow>& rows) {
    list->setRowCount(0);
    list->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const db::BatchRow& b = rows[size_t(r)];
        const QString texts[] = {b.batchNo, b.productNo, b.productName, b.unit, b.price.toString(),
                                 quantityText(b.remaining), quantityText(b.received)};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c >= 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            list->setItem(r, c, item);
        }
        list->item(r, 4)->setData(kValue, QVariant::fromValue(b.price.units()));
        list->item(r, 5)->setData(kValue, b.remaining);
        list->item(r, 5)->setForeground(Qt::red);
        list->item(r, 6)->setData(kValue, b.received);
    }
    if (!rows.empty()) list->selectRow(0);
}

std::optional<db::BatchRow> current(const QTableWidget* list) {
    const int r = list->currentRow();
    if (r < 0 || r >= list->rowCount() || !list->item(r, 0)) return std::nullopt;
    return db::BatchRow{list->item(r, 0)->text(), list->item(r, 1)->text(), list->item(r, 2)->text(),
                        list->item(r, 3)->text(), Money::fromUnits(list->item(r, 4)->data(kValue).toLongLong()),
                        list->item(r, 5)->data(kValue).toDouble(), list->item(r, 6)->data(kValue).toDouble()};
}

}  // namespace BatchList
