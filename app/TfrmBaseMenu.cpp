#include "app/TfrmBaseMenu.h"

#include "app/DateTimeText.h"
#include "app/ErrorHandler.h"
#include "app/MenuRights.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "app/ScreenRegistry.h"
#include "app/TfrmAbout.h"
#include "app/TfrmAgainLogin.h"
#include "app/TfrmUpdatePassword.h"
#include "db/Session.h"

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kLogout = QStringLiteral("miDesOper");
const QString kAgainLogin = QStringLiteral("miAgainLog");
const QString kUpdatePassword = QStringLiteral("miUpdaPass");
const QString kExit = QStringLiteral("N13");
const QString kHelp = QStringLiteral("N15");
const QString kAbout = QStringLiteral("N16");
}  // namespace

TfrmBaseMenu::TfrmBaseMenu(const std::vector<db::TopMenu>& menus, QWidget* parent)
    : TfrmBase(parent, {250, 180, 160, 50}) {
    setWindowTitle(QStringLiteral("菜单基类"));
    setSizeGripEnabled(false);

    m_mainMenu = new QMenuBar(this);
    m_mainMenu->setObjectName(QStringLiteral("MainMenu"));
    m_mainMenu->setNativeMenuBar(false);
    layout()->setMenuBar(m_mainMenu);
    buildMenus(menus);

    m_imgBackPicture = new QLabel(pnBaseHint());
    m_imgBackPicture->setObjectName(QStringLiteral("imgBackPicture"));
    m_imgBackPicture->setScaledContents(true);
    m_imgBackPicture->setAlignment(Qt::AlignCenter);
    auto* client = new QVBoxLayout(pnBaseHint());
    client->setContentsMargins(0, 0, 0, 0);
    client->addWidget(m_imgBackPicture);
    // A missing picture is not an error: the client area simply stays empty.
    const QString picture = QStringLiteral("backPicture.bmp");
    if (QFile::exists(picture)) m_imgBackPicture->setPixmap(QPixmap(picture));

    const Session& s = session();
    setPanelText(0, makerDetails());
    setPanelText(1, QStringLiteral("操作员：") + s.OperatorName + u' ' + QStringLiteral("职务：") + s.OperatorPost);
    setPanelText(3, QStringLiteral("使用单位：") + s.ShopName);
    ApplyMenuRights(this);

    m_timeHint = new QTimer(this);
    m_timeHint->setObjectName(QStringLiteral("TimeHint"));
    m_timeHint->setInterval(1000);
    connect(m_timeHint, &QTimer::timeout, this, &TfrmBaseMenu::TimeHintTimer);
    m_timeHint->start();
    TimeHintTimer();

    fillScreen();
}

void TfrmBaseMenu::fillScreen() {
    // The geometry also holds where no window manager honours the maximised state.
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
}

TfrmBaseMenu::~TfrmBaseMenu() = default;

QString TfrmBaseMenu::makerDetails() { return QStringLiteral("QuorvaneV3.0 零售批发管理系统"); }

QAction* TfrmBaseMenu::menuItem(const QString& name) const {
    for (QAction* action : m_mainMenu->findChildren<QAction*>(name, Qt::FindChildrenRecursively))
        return action;
    return nullptr;
}

void TfrmBaseMenu::buildMenus(const std::vector<db::TopMenu>& menus) {
    for (const db::TopMenu& top : menus) {
        QMenu* menu = m_mainMenu->addMenu(top.caption);
        menu->setObjectName(top.name);
        menu->menuAction()->setObjectName(top.name);
        for (const db::MenuEntry& entry : top.entries) addEntry(menu, entry);
    }
    menuItem(kAgainLogin)->setEnabled(false);
}

QAction* TfrmBaseMenu::addEntry(QWidget* parentMenu, const db::MenuEntry& entry) {
    auto* menu = static_cast<QMenu*>(parentMenu);
    if (entry.kind == db::MenuEntry::Separator) return menu->addSeparator();
    if (entry.kind == db::MenuEntry::SubMenu) {
        QMenu* sub = menu->addMenu(entry.caption);
        sub->setObjectName(entry.name);
        sub->menuAction()->setObjectName(entry.name);
        // Enabled with the header by the rights (MenuRights).
        for (const db::MenuEntry& child : entry.children) addEntry(sub, child);
        return sub->menuAction();
    }
    QAction* item = menu->addAction(entry.caption);
    item->setObjectName(entry.name);
    const QString name = entry.name;
    if (name == kLogout) connect(item, &QAction::triggered, this, &TfrmBaseMenu::miDesOperClick);
    else if (name == kAgainLogin) connect(item, &QAction::triggered, this, &TfrmBaseMenu::miAgainLogClick);
    else if (name == kUpdatePassword) connect(item, &QAction::triggered, this, &TfrmBaseMenu::miUpdaPassClick);
    else if (name == kExit) connect(item, &QAction::triggered, this, &TfrmBaseMenu::N13Click);
    else if (name == kAbout) connect(item, &QAction::triggered, this, &TfrmBaseMenu::N16Click);
    else if (name != kHelp) connect(item, &QAction::triggered, this, [this, name] { openScreen(name); });
    return item;
}

void TfrmBaseMenu::openScreen(const QString& name) { ScreenRegistry::instance().open(name, this); }

void TfrmBaseMenu::miDesOperClick() {
    if (!messages().ask(MessageIcon::Information, QStringLiteral("信息提示"), QStringLiteral("确定要注销吗？"))) return;
    // Every rights-controlled function closes, the query and statistics menus included:
    // a logged-out till must not show the shop's figures to whoever walks up to it.
    DisableRightsMenus(this);
    menuItem(kLogout)->setEnabled(false);
    menuItem(kAgainLogin)->setEnabled(true);
    menuItem(kUpdatePassword)->setEnabled(false);
}

void TfrmBaseMenu::miAgainLogClick() {
    try {
        TfrmAgainLogin screen(this);
        if (modalRunner().run(screen) != QDialog::Accepted) return;
    } catch (...) {
        reportUnhandled(std::current_exception());
        return;
    }
    ApplyMenuRights(this);
    menuItem(kLogout)->setEnabled(true);
    menuItem(kAgainLogin)->setEnabled(false);
    menuItem(kUpdatePassword)->setEnabled(true);
}

void TfrmBaseMenu::miUpdaPassClick() {
    try {
        TfrmUpdatePassword screen(this);
        modalRunner().run(screen);
    } catch (...) {
        reportUnhandled(std::current_exception());
    }
}

void TfrmBaseMenu::N13Click() { close(); }

void TfrmBaseMenu::N16Click() {
    TfrmAbout about(this);
    modalRunner().run(about);
}

void TfrmBaseMenu::keyPressEvent(QKeyEvent* event) {
    // Escape must not close the main window (and with it the program) by accident.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TfrmBase::keyPressEvent(event);
}

void TfrmBaseMenu::TimeHintTimer() { setPanelText(2, dateHint(QDateTime::currentDateTime())); }
