// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"
#include "stock/TfrmCheckedData.h"
#include "stock/TfrmInitChecked.h"

#include <QDialog>

void registerStockScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miInitChec"), [](QWidget* parent) { return std::make_unique<TfrmInitChecked>(parent); });
    registry.add(QStringLiteral("miChecked"), [](QWidget* parent) { return std::make_unique<TfrmCheckedData>(parent); });
}
