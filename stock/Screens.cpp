// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"
#include "stock/TfrmClientReturn.h"
#include "stock/TfrmDPCL.h"
#include "stock/TfrmLose.h"
#include "stock/TfrmReceiveProduct.h"
#include "stock/TfrmWithdrawSupply.h"
#include "stock/TfrmCheckedData.h"
#include "stock/TfrmInitChecked.h"

#include <QDialog>

void registerStockScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miReceive"), [](QWidget* parent) { return std::make_unique<TfrmReceiveProduct>(parent); });
    registry.add(QStringLiteral("miSuppRetu"), [](QWidget* parent) { return std::make_unique<TfrmWithdrawSupply>(parent); });
    registry.add(QStringLiteral("miClientRetu"), [](QWidget* parent) { return std::make_unique<TfrmClientReturn>(parent); });
    registry.add(QStringLiteral("miLose"), [](QWidget* parent) { return std::make_unique<TfrmLose>(parent); });
    registry.add(QStringLiteral("miDPCL"), [](QWidget* parent) { return std::make_unique<TfrmDPCL>(parent); });
    registry.add(QStringLiteral("miInitChec"), [](QWidget* parent) { return std::make_unique<TfrmInitChecked>(parent); });
    registry.add(QStringLiteral("miChecked"), [](QWidget* parent) { return std::make_unique<TfrmCheckedData>(parent); });
}
