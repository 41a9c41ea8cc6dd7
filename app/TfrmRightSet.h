// The operator rights editor: one check box per function of the table MENU.
#pragma once

#include "app/TfrmBaseRightSet.h"

class TfrmRightSet : public TfrmBaseRightSet {
    Q_OBJECT
public:
    explicit TfrmRightSet(QWidget* parent = nullptr);
};
