// The main window's menu bar as data: the menu builder, the rights table MENU and the
// initial operator's rights all come from this one list.
#pragma once

#include <QString>
#include <vector>

namespace db {

struct MenuEntry {
    enum Kind { Item, Separator, SubMenu };
    Kind kind = Item;
    QString name;       // objectName and SYSRIGHTSET.RSFUN
    QString caption;    // with the Alt letter, "&l零售"
    bool rights = false;
    QString group;      // MENU.MENUTYPE for rights-controlled items
    std::vector<MenuEntry> children;  // sub-menu items (never rights-checked)
};

struct TopMenu {
    QString name;
    QString caption;
    std::vector<MenuEntry> entries;
};

const std::vector<TopMenu>& menuCatalog();

// Caption without the Alt marker: "&l零售" -> "零售".
QString plainCaption(const QString& caption);

struct RightsFunction {
    QString name;
    QString caption;
    QString group;
    int order;
};
// Every rights-controlled item, in menu order, numbered within its group.
std::vector<RightsFunction> rightsFunctions();

}  // namespace db
