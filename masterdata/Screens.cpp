// The screens of this subsystem that the main menu can open.
#include "app/ScreenRegistry.h"
#include "masterdata/ReferenceScreens.h"
#include "masterdata/TfrmProductInput.h"

namespace {
template <typename Screen>
void add(ScreenRegistry& registry, const char* menuItem) {
    registry.add(QString::fromLatin1(menuItem), [](QWidget* parent) { return std::unique_ptr<QDialog>(new Screen(parent)); });
}
}  // namespace

void registerMasterdataScreens(ScreenRegistry& registry) {
    add<TfrmInputDept>(registry, "miDept");
    add<TfrmInputStore>(registry, "miInputStore");
    add<TfrmSupplyInput>(registry, "miSupply");
    add<TfrmClientInput>(registry, "miClient");
    add<TfrmOfficeClerk>(registry, "miOfficeClerk");
    add<TfrmInputProductSpec>(registry, "miProductSpec");
    add<TfrmInputProductUnit>(registry, "miProductUnit");
    add<TfrmProductInput>(registry, "miProduct");
    add<TfrmInputOperator>(registry, "miOperator");
}
