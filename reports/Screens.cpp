// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"
#include "reports/StatScreens.h"
#include "reports/TfrmJXC.h"
#include "reports/TfrmMonthBala.h"

#include <QDialog>

void registerReportsScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miJXC"), [](QWidget* p) { return std::make_unique<TfrmJXC>(p); });
    registry.add(QStringLiteral("miMonthBala"), [](QWidget* p) { return std::make_unique<TfrmMonthBala>(p); });
    registry.add(QStringLiteral("miSellPHDay"), [](QWidget* p) { return std::make_unique<TfrmStatSellOfDay>(p); });
    registry.add(QStringLiteral("miSellPHMonth"), [](QWidget* p) { return std::make_unique<TfrmStatSellOfMonth>(p); });
    registry.add(QStringLiteral("miProductSellDay"), [](QWidget* p) { return std::make_unique<TfrmStatProductSellOfDay>(p); });
    registry.add(QStringLiteral("miProductSellMonth"), [](QWidget* p) { return std::make_unique<TfrmStatProductSellOfMonth>(p); });
    registry.add(QStringLiteral("miSellsStat"), [](QWidget* p) { return std::make_unique<TfrmSellsStat>(p); });
    registry.add(QStringLiteral("miDaySell"), [](QWidget* p) { return std::make_unique<TfrmQyDaySell>(p); });
    registry.add(QStringLiteral("miQySupplySell"), [](QWidget* p) { return std::make_unique<TfrmQYcsxsfx>(p); });
}
