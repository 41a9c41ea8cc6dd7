#include "ShellTest.h"

#include "app/TfrmInitDatabase.h"
#include "app/TfrmLogin.h"
#include "app/TfrmMenu.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

class InitDatabaseTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        addOperator(QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("pw2"));
        setRight(QStringLiteral("002"), QStringLiteral("miPOS"), true);
        db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, BZJG) VALUES('P0001', '可乐', 3)"));
        db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '25' WHERE vrname = 'CheckedDate'"));
        db().execute(QStringLiteral("DELETE FROM SYSRIGHTSET WHERE BNNO = '001' AND RSFUN = 'miRightSet'"));
    }
};

// After the initialisation the initial operator logs in and reaches the rights editor.
TEST_P(InitDatabaseTest, initialisationLeavesTheInitialRowsAndTheInitialOperatorCanWork) {
    {
        TfrmInitDatabase screen;
        QTest::mouseClick(screen.control<QPushButton>("bitYes"), Qt::LeftButton);
        EXPECT_EQ(seams.recorder.texts().last(), QStringLiteral("初始化完成！"));
    }
    EXPECT_EQ(count(QStringLiteral("SPB")), 0);
    EXPECT_EQ(count(QStringLiteral("BMAN")), 1);
    EXPECT_EQ(count(QStringLiteral("sysvariable"), QStringLiteral("vrname IN ('CheckedDate', 'BalaBegDate', 'BalaEndDate')")), 3);
    EXPECT_EQ(scalar(QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'CheckedDate'")), QString());

    seams.recorder.clear();
    TfrmLogin login;
    login.control<QLineEdit>("edOperatorNo")->setText(QStringLiteral("001"));
    login.control<QLineEdit>("edOperatorPassword")->setText(QStringLiteral("123"));
    bool rightsEditorOpened = false;
    seams.runner.scripts.push_back([&](QDialog& d) {
        auto& menu = dynamic_cast<TfrmMenu&>(d);
        ASSERT_TRUE(menu.menuItem(QStringLiteral("miRightSet"))->isEnabled());
        seams.runner.scripts.push_back([&](QDialog& editor) { rightsEditorOpened = editor.windowTitle() == QStringLiteral("操作员权限设置"); });
        menu.menuItem(QStringLiteral("miRightSet"))->trigger();
    });
    QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);
    EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.lastText().toStdString();
    EXPECT_TRUE(rightsEditorOpened);
}

TEST_P(InitDatabaseTest, answeringNoKeepsEverything) {
    TfrmInitDatabase screen;
    seams.recorder.replies.push_back(MessageReply::No);
    QTest::mouseClick(screen.control<QPushButton>("bitYes"), Qt::LeftButton);
    EXPECT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(count(QStringLiteral("SPB")), 1);
    EXPECT_EQ(count(QStringLiteral("BMAN")), 2);
}

// All or nothing: a failure part-way through leaves the shop's data as it was.
TEST_P(InitDatabaseTest, aFailedInitialisationKeepsTheDataAndSaysSo) {
    failWrites(QStringLiteral("STORE"), QStringLiteral("CKNO"), QStringLiteral("001"));
    TfrmInitDatabase screen;
    QTest::mouseClick(screen.control<QPushButton>("bitYes"), Qt::LeftButton);
    EXPECT_EQ(seams.recorder.texts().last(), QStringLiteral("数据库忙，请稍后再试！"));
    EXPECT_EQ(count(QStringLiteral("SPB")), 1);
    EXPECT_EQ(count(QStringLiteral("BMAN")), 2);
    EXPECT_EQ(count(QStringLiteral("SYSRIGHTSET"), QStringLiteral("BNNO = '002'")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = 'CheckedDate'")), QStringLiteral("25"));
}

INSTANTIATE_TEST_SUITE_P(Backends, InitDatabaseTest, ::testing::ValuesIn(backends()), backendName);
