// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"
#include "query/QueryScreens.h"
#include "query/StockQueryScreens.h"
#include "query/TfrmQueryProductInfo.h"

#include <QDialog>

namespace {

template <typename Screen>
ScreenFactory screen() {
    return [](QWidget* parent) -> std::unique_ptr<QDialog> { return std::make_unique<Screen>(parent); };
}

}  // namespace

void registerQueryScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miQyProduct"), screen<TfrmQueryProductInfo>());
    registry.add(QStringLiteral("miQySupply"), screen<TfrmQuerySupply>());
    registry.add(QStringLiteral("miQySellList"), screen<TfrmQueryProductSell>());
    registry.add(QStringLiteral("miQySYYJK"), screen<TfrmQueryOperatorBalance>());
    registry.add(QStringLiteral("miQyInStore"), screen<TfrmQueryReceive>());
    registry.add(QStringLiteral("miQyDPCL"), screen<TfrmQyDP>());
    registry.add(QStringLiteral("miQyKHTH"), screen<TfrmQuerykhth>());
    registry.add(QStringLiteral("miQyGysRetu"), screen<TfrmQuerySupplyUndread>());
    registry.add(QStringLiteral("miQyBs"), screen<TfrmQueryBS>());
    registry.add(QStringLiteral("miQyChecked"), screen<TfrmQueryChecked>());
    registry.add(QStringLiteral("miQyOutStoreStat"), screen<Tfrmcykccx>());
    registry.add(QStringLiteral("miQyKSChecked"), screen<TfrmQyChecked>());
}
