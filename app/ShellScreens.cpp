// The shell's own screens that the main menu opens.
#include "app/ScreenRegistry.h"
#include "app/TfrmInitDatabase.h"
#include "app/TfrmRightSet.h"
#include "app/TfrmVarSet.h"

#include <QDialog>

void registerShellScreens(ScreenRegistry& registry) {
    registry.add(QStringLiteral("miRightSet"), [](QWidget* parent) { return std::make_unique<TfrmRightSet>(parent); });
    registry.add(QStringLiteral("miInitDatabase"), [](QWidget* parent) { return std::make_unique<TfrmInitDatabase>(parent); });
    registry.add(QStringLiteral("miVarSet"), [](QWidget* parent) { return std::make_unique<TfrmVarSet>(parent); });
}
