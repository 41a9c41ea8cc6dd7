// The main window: the menu bar built from the menu catalogue, the status bar with the
// operator, the clock and the using unit, the optional background picture, the rights on
// the menus, and the shell's own items (logout, re-login, password change, exit, About).
#pragma once

#include "app/TfrmBase.h"
#include "db/MenuCatalog.h"

#include <vector>

class QAction;
class QLabel;
class QMenuBar;
class QTimer;

class TfrmBaseMenu : public TfrmBase {
    Q_OBJECT
public:
    TfrmBaseMenu(const std::vector<db::TopMenu>& menus, QWidget* parent = nullptr);
    ~TfrmBaseMenu() override;

    QMenuBar* MainMenu() const { return m_mainMenu; }
    // The menu item (or sub-menu header) of that name.
    QAction* menuItem(const QString& name) const;

    void miDesOperClick();   // logout
    void miAgainLogClick();  // re-login
    void miUpdaPassClick();  // password change
    void N13Click();         // exit
    void N16Click();         // About

    // The maker's details (first status panel, About box).
    static QString makerDetails();

protected:
    // Maximised over the whole desktop (again after a change of the window flags).
    void fillScreen();
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenus(const std::vector<db::TopMenu>& menus);
    QAction* addEntry(QWidget* menu, const db::MenuEntry& entry);
    void openScreen(const QString& name);
    void TimeHintTimer();

    QMenuBar* m_mainMenu;
    QTimer* m_timeHint;
    QLabel* m_imgBackPicture;
};
