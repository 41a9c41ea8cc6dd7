#include "app/TfrmMenu.h"

TfrmMenu::TfrmMenu(QWidget* parent) : TfrmBaseMenu(db::menuCatalog(), parent) {
    setObjectName(QStringLiteral("frmMenu"));
    setWindowTitle(QStringLiteral("QuorvaneV3.0"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    fillScreen();
}
