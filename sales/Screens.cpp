// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"

void registerSalesScreens(ScreenRegistry& registry) {
    (void)registry;
}
