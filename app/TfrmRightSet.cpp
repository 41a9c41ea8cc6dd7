#include "app/TfrmRightSet.h"

#include "app/ErrorHandler.h"
#include "app/OperatorRights.h"
#include "db/TfrmBaseDataModule.h"

TfrmRightSet::TfrmRightSet(QWidget* parent) : TfrmBaseRightSet(parent) {
    OperatorRights rights(frmBaseDataModule().Database());
    const auto& groups = OperatorRights::groups();
    for (int g = 0; g < int(groups.size()); ++g)
        for (const MenuFunction& f : rights.functions(groups[g].type)) addCheckBox(g, f.name, f.caption);
}
