#include "app/MenuRights.h"

#include "app/ScreenRegistry.h"
#include "db/Comm.h"
#include "db/Session.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <functional>

namespace {

void forEachRightsItem(QWidget* form, const std::function<void(QAction*)>& visit) {
    for (QMenuBar* bar : form->findChildren<QMenuBar*>()) {
        const QList<QAction*> tops = bar->actions();
        for (int i = 1; i + 1 < tops.size(); ++i) {
            QMenu* menu = tops[i]->menu();
            if (!menu) continue;
            for (QAction* item : menu->actions()) visit(item);
        }
    }
}

// An item opens a screen only once its subsystem has registered one; a sub-menu header
// is usable when any of its items is.
bool screenExists(QAction* item) {
    if (QMenu* sub = item->menu()) {
        for (QAction* child : sub->actions())
            if (!child->isSeparator() && ScreenRegistry::instance().has(child->objectName())) return true;
        return false;
    }
    return ScreenRegistry::instance().has(item->objectName());
}

// The items of a sub-menu have no rights of their own: they follow their header, so
// that a closed header also closes them to anything that triggers them directly.
void enableItem(QAction* item, bool enabled) {
    item->setEnabled(enabled);
    if (QMenu* sub = item->menu())
        for (QAction* child : sub->actions())
            if (!child->isSeparator()) child->setEnabled(enabled && ScreenRegistry::instance().has(child->objectName()));
}

}  // namespace

void ApplyMenuRights(QWidget* form) {
    const QString operatorNo = session().OperatorNo;
    forEachRightsItem(form, [&](QAction* item) {
        if (item->isSeparator()) return;
        enableItem(item, screenExists(item) && HasRight(operatorNo, item->objectName()));
    });
}

void DisableRightsMenus(QWidget* form) {
    forEachRightsItem(form, [](QAction* item) {
        if (!item->isSeparator()) enableItem(item, false);
    });
}
