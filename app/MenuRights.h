// Function rights on a window's menu bar. The rights-controlled menus are every top-level
// menu but the first (system) and the last (help); each of their direct items is enabled
// when the operator holds the right named after the item and its screen exists.
#pragma once

class QWidget;

// Applies the rights of session().OperatorNo to every menu bar of the form.
void ApplyMenuRights(QWidget* form);
// Logout: disables every item of the rights-controlled menus, whatever the rights say.
void DisableRightsMenus(QWidget* form);
