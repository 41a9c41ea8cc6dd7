#include "GuiTest.h"
#include "app/ErrorHandler.h"
#include "app/SysSetIni.h"
#include "db/Error.h"
#include "app/TfrmBase.h"
#include "db/Session.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class TwoEdits : public TfrmBase {
public:
    TwoEdits() {
        auto* layout = new QVBoxLayout(pnBaseHint());
        first = new QLineEdit(pnBaseHint());
        first->setObjectName(QStringLiteral("edFirst"));
        second = new QLineEdit(pnBaseHint());
        second->setObjectName(QStringLiteral("edSecond"));
        layout->addWidget(first);
        layout->addWidget(second);
        connect(first, &QLineEdit::returnPressed, this, [this] { firstOwnEnter = true; });
    }
    QLineEdit* first;
    QLineEdit* second;
    bool firstOwnEnter = false;
};

}  // namespace

TEST(BaseScreen, enterMovesOnAndTheEditsOwnHandlerStillRuns) {
    TwoEdits screen;
    screen.show();
    QApplication::setActiveWindow(&screen);
    screen.first->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
    QTest::keyClick(screen.first, Qt::Key_Return);
    EXPECT_TRUE(screen.firstOwnEnter);
    EXPECT_EQ(QApplication::focusWidget(), screen.second);
    // Other keys are left to the control.
    QTest::keyClicks(screen.second, QStringLiteral("12"));
    EXPECT_EQ(screen.second->text(), QStringLiteral("12"));
    EXPECT_EQ(QApplication::focusWidget(), screen.second);
}

TEST(BaseScreen, bothEnterKeysMoveOnOnlyWithoutOtherModifiers) {
    struct Case { Qt::Key key; Qt::KeyboardModifiers modifiers; bool movesOn; };
    const Case cases[] = {
        {Qt::Key_Return, Qt::NoModifier, true},
        {Qt::Key_Enter, Qt::KeypadModifier, true},   // the keypad's Enter, as tills key it
        {Qt::Key_Enter, Qt::NoModifier, true},
        {Qt::Key_Return, Qt::ControlModifier, false},
    };
    for (const Case& c : cases) {
        TwoEdits screen;
        screen.show();
        QApplication::setActiveWindow(&screen);
        screen.first->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
        QTest::keyClick(screen.first, c.key, c.modifiers);
        EXPECT_EQ(QApplication::focusWidget() == screen.second, c.movesOn) << int(c.key) << " " << int(c.modifiers);
    }
}

TEST(BaseScreen, clearEditsEmptiesPlainEditBoxes) {
    TwoEdits screen;
    screen.first->setText(QStringLiteral("a"));
    screen.second->setText(QStringLiteral("b"));
    screen.ClearEdits();
    EXPECT_TRUE(screen.first->text().isEmpty());
    EXPECT_TRUE(screen.second->text().isEmpty());
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("基类"));
    EXPECT_NE(screen.findChild<QWidget*>(QStringLiteral("sbHintInfo")), nullptr);
}

TEST(SysSetIni, missingFileSectionOrKeyReadsDefault) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SysSet.ini"));
    SysSetIni::setPath(path);
    auto read = [] {
        SysSetIni::readShopValues();
        return QStringList{session().ShopName, session().ShopTel, session().ShopNote};
    };
    const QString d = QStringLiteral("DEFAULT");
    EXPECT_EQ(read(), (QStringList{d, d, d}));  // no file

    auto write = [&](const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    write("[OTHER]\nNAME=x\n");
    EXPECT_EQ(read(), (QStringList{d, d, d}));  // no section
    write("[STUDIO]\nNAME=\xe5\xb9\xb8\xe7\xa6\x8f\xe8\xb6\x85\xe5\xb8\x82\nTEL=0571-12345678\n");
    EXPECT_EQ(read(), (QStringList{QStringLiteral("幸福超市"), QStringLiteral("0571-12345678"), d}));  // no DL key

    // A screen opened after the file changed shows the new values, without a restart.
    write("[STUDIO]\nNAME=B\nTEL=2\nDL=3\n");
    TfrmBase screen;
    EXPECT_EQ(session().ShopName, QStringLiteral("B"));
    EXPECT_EQ(session().ShopNote, QStringLiteral("3"));
    SysSetIni::setPath(QString());
}

// Values with a comma used to read as empty (a list), and "%" or "\" were taken as escapes.
TEST(SysSetIni, valuesAreReadWholeWhateverTheyContain) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SysSet.ini"));
    SysSetIni::setPath(path);
    struct Case { QByteArray line; QString name; };
    const Case cases[] = {
        {"NAME=幸福超市, 北京", QStringLiteral("幸福超市, 北京")},
        {"NAME=0571-1, 0571-2, 0571-3", QStringLiteral("0571-1, 0571-2, 0571-3")},
        {"NAME = 100% 满意 ; 真的 # 不是注释 ", QStringLiteral("100% 满意 ; 真的 # 不是注释")},
        {"NAME=C:\\收银\\票据", QStringLiteral("C:\\收银\\票据")},
        {"NAME=\"引号, 内\"", QStringLiteral("引号, 内")},
        {"NAME=a=b", QStringLiteral("a=b")},
        {"name=小写键", QStringLiteral("小写键")},
        {"NAME=", QString()},
    };
    for (const Case& c : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("; 使用单位\r\n[studio]\r\n" + c.line + "\r\nTEL=1\r\nNAME=第二个不算\r\n");
        f.close();
        SysSetIni::readShopValues();
        EXPECT_EQ(session().ShopName, c.name) << c.line.toStdString();
        EXPECT_EQ(session().ShopTel, QStringLiteral("1"));
    }
    // A file saved in the Windows Chinese code page (GBK): 幸福超市, 北京.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[STUDIO]\r\nNAME=\xd0\xd2\xb8\xa3\xb3\xac\xca\xd0, \xb1\xb1\xbe\xa9\r\n");
    f.close();
    SysSetIni::readShopValues();
    EXPECT_EQ(session().ShopName, QStringLiteral("幸福超市, 北京"));
    SysSetIni::setPath(QString());
}

// What reaches the general error handler: the database's own words, except for another
// till holding the lock, which the cashier sees as the shop's usual busy message.
TEST(GeneralErrorHandler, busyDatabaseIsShownAsBusyNotAsTheDriversText) {
    GuiSeams seams;
    reportUnhandled(std::make_exception_ptr(db::Error(QStringLiteral("database is locked"), db::ErrorKind::Busy)));
    reportUnhandled(std::make_exception_ptr(db::Error(QStringLiteral("no such table: XSB"))));
    ASSERT_EQ(seams.recorder.shown.size(), 2u);
    EXPECT_EQ(seams.recorder.shown[0].text, QStringLiteral("数据库忙，请稍后再试！"));
    EXPECT_EQ(seams.recorder.shown[1].text, QStringLiteral("no such table: XSB"));
}
