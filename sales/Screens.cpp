// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"
#include "sales/TfrmJobPOS.h"
#include "sales/TfrmOperatorDayBalance.h"
#include "sales/TfrmPOS.h"

#include <QDialog>

void registerSalesScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miPOS"), [](QWidget* parent) { return std::make_unique<TfrmPOS>(parent); });
    registry.add(QStringLiteral("miJobPos"), [](QWidget* parent) { return std::make_unique<TfrmJobPOS>(parent); });
    registry.add(QStringLiteral("miDayOver"), [](QWidget* parent) { return std::make_unique<TfrmOperatorDayBalance>(parent); });
}
