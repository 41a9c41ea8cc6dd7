// Every subsystem's screens, registered once at start-up.
#include "app/ScreenRegistry.h"

void registerAllScreens(ScreenRegistry& registry) {
    registerShellScreens(registry);
    registerMasterdataScreens(registry);
    registerSalesScreens(registry);
    registerStockScreens(registry);
    registerAccountsScreens(registry);
    registerQueryScreens(registry);
    registerReportsScreens(registry);
}
