// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"
#include "sales/TfrmPOS.h"

#include <QDialog>

void registerSalesScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miPOS"), [](QWidget* parent) { return std::make_unique<TfrmPOS>(parent); });
}
