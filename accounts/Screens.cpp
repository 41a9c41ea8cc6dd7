// The screens of this subsystem that the main menu can open.
#include "accounts/TfrmBaseQueryWL.h"
#include "accounts/TfrmBaseWLBala.h"
#include "app/ScreenRegistry.h"

void registerAccountsScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miClientBala"), [](QWidget* parent) { return std::make_unique<TfrmClientBala>(parent); });
    registry.add(QStringLiteral("miSuppBala"), [](QWidget* parent) { return std::make_unique<TfrmSuppBala>(parent); });
    registry.add(QStringLiteral("miQyKHWL"), [](QWidget* parent) { return std::make_unique<TfrmQyKHWL>(parent); });
    registry.add(QStringLiteral("miQyGYSWL"), [](QWidget* parent) { return std::make_unique<TfrmQyGYSWL>(parent); });
}
