#include "ShellTest.h"

#include "app/TfrmAgainLogin.h"
#include "app/TfrmMenu.h"
#include "app/TfrmUpdatePassword.h"
#include "db/Error.h"
#include "db/MenuCatalog.h"
#include "db/TfrmBaseDataModule.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

// A screen that counts how often it was created and freed.
struct ScreenCounter {
    int created = 0;
    int freed = 0;
    ScreenFactory factory() {
        return [this](QWidget* parent) {
            auto screen = std::make_unique<QDialog>(parent);
            ++created;
            QObject::connect(screen.get(), &QObject::destroyed, [this] { ++freed; });
            return screen;
        };
    }
};

// Business items that some subsystem will open; the tests register stand-ins for them.
const QStringList kStandIns = {QStringLiteral("miQyProduct"), QStringLiteral("miDaySell"), QStringLiteral("miPOS"),
                               QStringLiteral("miSellPHDay"), QStringLiteral("miSellPHMonth")};

}  // namespace

class MainMenuTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        for (const QString& name : kStandIns) ScreenRegistry::instance().add(name, counter.factory());
    }

    void loginAs(const QString& no, const QString& password) {
        ASSERT_TRUE(module().CheckOperator(no, password));
    }

    static bool enabled(TfrmMenu& menu, const QString& item) {
        QAction* a = menu.menuItem(item);
        EXPECT_NE(a, nullptr) << item.toStdString();
        return a && a->isEnabled();
    }

    ScreenCounter counter;
};

TEST_P(MainMenuTest, menuBarIsTheCatalogueWithCaptionsNamesSeparatorsAndSubMenus) {
    loginAs(QStringLiteral("001"), QStringLiteral("123"));
    TfrmMenu menu;
    EXPECT_EQ(menu.windowTitle(), QStringLiteral("QuorvaneV3.0"));
    const QList<QAction*> tops = menu.MainMenu()->actions();
    const auto& catalog = db::menuCatalog();
    ASSERT_EQ(tops.size(), qsizetype(catalog.size()));
    for (size_t t = 0; t < catalog.size(); ++t) {
        EXPECT_EQ(tops[t]->text(), catalog[t].caption);
        QMenu* top = tops[t]->menu();
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(top->objectName(), catalog[t].name);
        const QList<QAction*> items = top->actions();
        ASSERT_EQ(items.size(), qsizetype(catalog[t].entries.size())) << catalog[t].name.toStdString();
        for (size_t i = 0; i < catalog[t].entries.size(); ++i) {
            const db::MenuEntry& e = catalog[t].entries[i];
            SCOPED_TRACE(catalog[t].name.toStdString() + " #" + std::to_string(i));
            EXPECT_EQ(items[i]->isSeparator(), e.kind == db::MenuEntry::Separator);
            if (e.kind == db::MenuEntry::Separator) continue;
            EXPECT_EQ(items[i]->objectName(), e.name);
            EXPECT_EQ(items[i]->text(), e.caption);
            EXPECT_EQ(items[i]->menu() != nullptr, e.kind == db::MenuEntry::SubMenu);
            if (e.kind == db::MenuEntry::SubMenu) {
                const QList<QAction*> children = items[i]->menu()->actions();
                ASSERT_EQ(children.size(), qsizetype(e.children.size()));
                for (size_t c = 0; c < e.children.size(); ++c) {
                    EXPECT_EQ(children[c]->objectName(), e.children[c].name);
                    EXPECT_EQ(children[c]->text(), e.children[c].caption);
                }
            }
        }
    }
    // The spot checks a reader can verify against the printed menu.
    EXPECT_EQ(menu.menuItem(QStringLiteral("miPOS"))->text(), QStringLiteral("&l零售"));
    EXPECT_EQ(menu.menuItem(QStringLiteral("N13"))->text(), QStringLiteral("&E退出系统"));
    EXPECT_EQ(menu.menuItem(QStringLiteral("miProductSell"))->menu()->title(), QStringLiteral("&P单品销售分析"));
}

TEST_P(MainMenuTest, statusBarNamesOperatorAndUnitAndTheClockRuns) {
    loginAs(QStringLiteral("001"), QStringLiteral("123"));
    TfrmMenu menu;
    EXPECT_EQ(menu.panelText(1), QStringLiteral("操作员：系统管理员 职务：管理员"));
    EXPECT_EQ(menu.panelText(3), QStringLiteral("使用单位：") + session().ShopName);
    EXPECT_TRUE(menu.panelText(2).startsWith(QStringLiteral("日期：")));
    EXPECT_FALSE(menu.panelText(0).isEmpty());
}

// Items are enabled by the operator's rights and only once their screen exists.
TEST_P(MainMenuTest, rightsAndBuiltScreensDecideWhichItemsAreEnabled) {
    loginAs(QStringLiteral("001"), QStringLiteral("123"));
    TfrmMenu menu;
    for (const QString& item : {"miRightSet", "miInitDatabase", "miVarSet", "miQyProduct", "miDaySell", "miPOS", "miSellPH"})
        EXPECT_TRUE(enabled(menu, item)) << item.toStdString();
    // Granted, but nothing registered a screen for it in this program.
    for (const QString& item : {"miJXC", "miQySupply", "miProduct"}) EXPECT_FALSE(enabled(menu, item)) << item.toStdString();
    EXPECT_FALSE(enabled(menu, QStringLiteral("miAgainLog")));
    for (const QString& item : {"miDesOper", "miUpdaPass", "N13", "N16"}) EXPECT_TRUE(enabled(menu, item));
}

TEST_P(MainMenuTest, operatorWithoutRightsRowsReachesOnlyTheShellItems) {
    addOperator(QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("pw2"));
    loginAs(QStringLiteral("002"), QStringLiteral("pw2"));
    TfrmMenu menu;
    const auto& catalog = db::menuCatalog();
    for (size_t t = 1; t + 1 < catalog.size(); ++t)
        for (const db::MenuEntry& e : catalog[t].entries)
            if (e.kind != db::MenuEntry::Separator) EXPECT_FALSE(enabled(menu, e.name)) << e.name.toStdString();
    for (const QString& item : {"miDesOper", "miUpdaPass", "N13", "N16"}) EXPECT_TRUE(enabled(menu, item));
    menu.menuItem(QStringLiteral("miQyProduct"))->trigger();
    EXPECT_EQ(counter.created, 0);
}

TEST_P(MainMenuTest, aFalseRowDisablesLikeAMissingOne) {
    addOperator(QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("pw2"));
    setRight(QStringLiteral("002"), QStringLiteral("miVarSet"), false);
    setRight(QStringLiteral("002"), QStringLiteral("miRightSet"), true);
    loginAs(QStringLiteral("002"), QStringLiteral("pw2"));
    TfrmMenu menu;
    EXPECT_FALSE(enabled(menu, QStringLiteral("miVarSet")));
    EXPECT_FALSE(enabled(menu, QStringLiteral("miInitDatabase")));
    EXPECT_TRUE(enabled(menu, QStringLiteral("miRightSet")));
}

TEST_P(MainMenuTest, subMenuItemsFollowTheirHeadersRight) {
    addOperator(QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("pw2"));
    setRight(QStringLiteral("002"), QStringLiteral("miSellPH"), false);
    setRight(QStringLiteral("002"), QStringLiteral("miProductSell"), true);
    // Rows for sub-items play no part.
    setRight(QStringLiteral("002"), QStringLiteral("miSellPHDay"), true);
    loginAs(QStringLiteral("002"), QStringLiteral("pw2"));
    TfrmMenu menu;
    EXPECT_FALSE(enabled(menu, QStringLiteral("miSellPH")));
    EXPECT_FALSE(enabled(menu, QStringLiteral("miSellPHDay")));
    // Granted header, but neither of its screens exists yet.
    EXPECT_FALSE(enabled(menu, QStringLiteral("miProductSell")));

    setRight(QStringLiteral("002"), QStringLiteral("miSellPH"), true);
    ScreenRegistry::instance().add(QStringLiteral("miProductSellDay"), counter.factory());
    TfrmMenu again;
    EXPECT_TRUE(enabled(again, QStringLiteral("miSellPH")));
    EXPECT_TRUE(enabled(again, QStringLiteral("miSellPHDay")));
    EXPECT_TRUE(enabled(again, QStringLiteral("miSellPHMonth")));
    EXPECT_TRUE(enabled(again, QStringLiteral("miProductSell")));
    EXPECT_TRUE(enabled(again, QStringLiteral("miProductSellDay")));
    EXPECT_FALSE(enabled(again, QStringLiteral("miProductSellMonth")));
}

TEST_P(MainMenuTest, eachOpeningCreatesAFreshScreenAndFreesIt) {
    loginAs(QStringLiteral("001"), QStringLiteral("123"));
    TfrmMenu menu;
    menu.menuItem(QStringLiteral("miPOS"))->trigger();
    menu.menuItem(QStringLiteral("miPOS"))->trigger();
    menu.menuItem(QStringLiteral("miSellPHMonth"))->trigger();
    EXPECT_EQ(counter.created, 3);
    EXPECT_EQ(counter.freed, 3);
    EXPECT_EQ(seams.runner.opened, 3);

    // A screen that fails while it is created is reported; the main window carries on.
    ScreenRegistry::instance().add(QStringLiteral("miDaySell"), [](QWidget*) -> std::unique_ptr<QDialog> {
        throw db::Error(QStringLiteral("表不存在"));
    });
    menu.menuItem(QStringLiteral("miDaySell"))->trigger();
    EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("表不存在")});
    menu.menuItem(QStringLiteral("miPOS"))->trigger();
    EXPECT_EQ(counter.freed, 4);
    ScreenRegistry::instance().add(QStringLiteral("miDaySell"), counter.factory());
}

// After a logout nothing rights-controlled can be opened, the query and statistics menus
// included; a re-login applies the new operator's rights; the status bar keeps the first.
TEST_P(MainMenuTest, logoutClosesEveryFunctionUntilAReLogin) {
    addOperator(QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("pw2"));
    setRight(QStringLiteral("002"), QStringLiteral("miQyProduct"), true);
    setRight(QStringLiteral("002"), QStringLiteral("miPOS"), false);
    loginAs(QStringLiteral("001"), QStringLiteral("123"));
    TfrmMenu menu;
    const QString firstStatus = menu.panelText(1);

    menu.menuItem(QStringLiteral("miDesOper"))->trigger();
    ASSERT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("确定要注销吗？")});
    EXPECT_EQ(seams.recorder.shown[0].buttons, MessageButtons::YesNo);
    for (const QString& item : {"miRightSet", "miVarSet", "miPOS", "miQyProduct", "miDaySell", "miSellPH"})
        EXPECT_FALSE(enabled(menu, item)) << item.toStdString();
    EXPECT_FALSE(enabled(menu, QStringLiteral("miDesOper")));
    EXPECT_FALSE(enabled(menu, QStringLiteral("miUpdaPass")));
    EXPECT_TRUE(enabled(menu, QStringLiteral("miAgainLog")));
    EXPECT_TRUE(enabled(menu, QStringLiteral("N16")));
    for (const QString& item : {"miQyProduct", "miDaySell", "miSellPHDay"}) menu.menuItem(item)->trigger();
    EXPECT_EQ(counter.created, 0);

    // A refused re-login, then "退出": the logged-out state stays.
    seams.runner.scripts.push_back([&](QDialog& d) {
        d.findChild<QLineEdit*>("edOperatorNo")->setText(QStringLiteral("002"));
        d.findChild<QLineEdit*>("edPassword")->setText(QStringLiteral("wrong"));
        QTest::mouseClick(d.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
        EXPECT_EQ(seams.recorder.lastText(), QStringLiteral("工号密码输入错误，请重新输入！"));
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(d.findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
    });
    menu.menuItem(QStringLiteral("miAgainLog"))->trigger();
    EXPECT_TRUE(enabled(menu, QStringLiteral("miAgainLog")));
    EXPECT_FALSE(enabled(menu, QStringLiteral("miQyProduct")));
    EXPECT_EQ(session().OperatorNo, QStringLiteral("001"));

    seams.runner.scripts.push_back([&](QDialog& d) {
        EXPECT_NE(dynamic_cast<TfrmAgainLogin*>(&d), nullptr);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("重新登录"));
        d.findChild<QLineEdit*>("edOperatorNo")->setText(QStringLiteral("002"));
        d.findChild<QLineEdit*>("edPassword")->setText(QStringLiteral("pw2"));
        QTest::mouseClick(d.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    });
    menu.menuItem(QStringLiteral("miAgainLog"))->trigger();
    EXPECT_EQ(session().OperatorNo, QStringLiteral("002"));
    EXPECT_TRUE(enabled(menu, QStringLiteral("miQyProduct")));
    for (const QString& item : {"miPOS", "miDaySell", "miRightSet"}) EXPECT_FALSE(enabled(menu, item)) << item.toStdString();
    EXPECT_TRUE(enabled(menu, QStringLiteral("miDesOper")));
    EXPECT_TRUE(enabled(menu, QStringLiteral("miUpdaPass")));
    EXPECT_FALSE(enabled(menu, QStringLiteral("miAgainLog")));
    EXPECT_EQ(menu.panelText(1), firstStatus);
    menu.menuItem(QStringLiteral("miQyProduct"))->trigger();
    EXPECT_EQ(counter.created, 1);
}

TEST_P(MainMenuTest, logoutAnsweredNoChangesNothing) {
    loginAs(QStringLiteral("001"), QStringLiteral("123"));
    TfrmMenu menu;
    seams.recorder.replies.push_back(MessageReply::No);
    menu.menuItem(QStringLiteral("miDesOper"))->trigger();
    EXPECT_TRUE(enabled(menu, QStringLiteral("miQyProduct")));
    EXPECT_TRUE(enabled(menu, QStringLiteral("miDesOper")));
    EXPECT_FALSE(enabled(menu, QStringLiteral("miAgainLog")));
}

TEST_P(MainMenuTest, shellItemsOpenTheirScreensAndExitClosesTheWindow) {
    loginAs(QStringLiteral("001"), QStringLiteral("123"));
    TfrmMenu menu;
    showActive(menu);
    QStringList titles;
    seams.runner.fallback = [&](QDialog& d) { titles << d.windowTitle(); };
    menu.menuItem(QStringLiteral("miUpdaPass"))->trigger();
    menu.menuItem(QStringLiteral("N16"))->trigger();
    menu.menuItem(QStringLiteral("N15"))->trigger();  // help: nothing
    menu.menuItem(QStringLiteral("miRightSet"))->trigger();
    menu.menuItem(QStringLiteral("miVarSet"))->trigger();
    menu.menuItem(QStringLiteral("miInitDatabase"))->trigger();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("修改口令"), QStringLiteral("关于"), QStringLiteral("操作员权限设置"),
                                   QStringLiteral("系统变量设置"), QStringLiteral("初始化数据库")}));
    // Escape does not close the main window; "退出系统" does.
    QTest::keyClick(&menu, Qt::Key_Escape);
    EXPECT_TRUE(menu.isVisible());
    menu.menuItem(QStringLiteral("N13"))->trigger();
    EXPECT_FALSE(menu.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Backends, MainMenuTest, ::testing::ValuesIn(backends()), backendName);
