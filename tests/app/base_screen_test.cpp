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
