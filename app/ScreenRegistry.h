// Menu items find their screens here. Each subsystem registers the screens it has built;
// an item without a registered screen stays disabled, so the menu never opens a dummy.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

class QDialog;
class QWidget;

using ScreenFactory = std::function<std::unique_ptr<QDialog>(QWidget* parent)>;

class ScreenRegistry {
public:
    static ScreenRegistry& instance();

    void add(const QString& menuItem, ScreenFactory factory);
    bool has(const QString& menuItem) const;
    // Every registered menu item, in name order.
    QStringList menuItems() const;
    // Creates the screen afresh, runs it modally (through the modal runner) and frees it,
    // also when it fails; an error is shown by the general error handler.
    // Returns the dialog's result, or -1 when nothing could be opened.
    int open(const QString& menuItem, QWidget* parent) const;

private:
    std::map<QString, ScreenFactory> m_factories;
};

// Filled by each subsystem library; the program calls them all at start-up.
void registerShellScreens(ScreenRegistry& registry);
void registerMasterdataScreens(ScreenRegistry& registry);
void registerSalesScreens(ScreenRegistry& registry);
void registerStockScreens(ScreenRegistry& registry);
void registerAccountsScreens(ScreenRegistry& registry);
void registerQueryScreens(ScreenRegistry& registry);
void registerReportsScreens(ScreenRegistry& registry);
void registerAllScreens(ScreenRegistry& registry);
