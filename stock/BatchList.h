// The batch list (dgInData) of the loss and supplier-return screens: batches with stock
// left, each row keeping its exact price and remainder beside the texts shown.
#pragma once

#include "db/StockDocuments.h"

#include <optional>
#include <vector>

class QTableWidget;
class QWidget;

namespace BatchList {

// `remainingTitle` names the remainder column (可报损数量, 可退货数量).
QTableWidget* create(QWidget* parent, const QString& remainingTitle);
void fill(QTableWidget* list, const std::vector<db::BatchRow>& rows);
// The selected batch, if any.
std::optional<db::BatchRow> current(const QTableWidget* list);

}  // namespace BatchList
