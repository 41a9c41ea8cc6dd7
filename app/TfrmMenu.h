// The main window with every business menu of the catalogue.
#pragma once

#include "app/TfrmBaseMenu.h"

class TfrmMenu : public TfrmBaseMenu {
    Q_OBJECT
public:
    explicit TfrmMenu(QWidget* parent = nullptr);
};
