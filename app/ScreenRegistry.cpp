#include "app/ScreenRegistry.h"

#include "app/ErrorHandler.h"
#include "app/ModalRunner.h"

#include <QDialog>

ScreenRegistry& ScreenRegistry::instance() {
    static ScreenRegistry registry;
    return registry;
}

void ScreenRegistry::add(const QString& menuItem, ScreenFactory factory) { m_factories[menuItem] = std::move(factory); }

bool ScreenRegistry::has(const QString& menuItem) const { return m_factories.count(menuItem) != 0; }

QStringList ScreenRegistry::menuItems() const {
    QStringList names;
    for (const auto& [name, factory] : m_factories) names << name;
    return names;
}

int ScreenRegistry::open(const QString& menuItem, QWidget* parent) const {
    const auto it = m_factories.find(menuItem);
    if (it == m_factories.end()) return -1;
    try {
        std::unique_ptr<QDialog> screen = it->second(parent);
        if (!screen) return -1;
        return modalRunner().run(*screen);
    } catch (...) {
        reportUnhandled(std::current_exception());
        return -1;
    }
}
