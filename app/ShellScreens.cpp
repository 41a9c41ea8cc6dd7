// The shell's own screens that the main menu opens.
#include "app/ScreenRegistry.h"

void registerShellScreens(ScreenRegistry& registry) {
    (void)registry;
}
