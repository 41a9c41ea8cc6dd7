// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"

void registerMasterdataScreens(ScreenRegistry& registry) {
    (void)registry;
}
