#include "ShellTest.h"

#include "app/LoginThrottle.h"
#include "app/TfrmLogin.h"
#include "app/TfrmMenu.h"
#include "db/Connection.h"
#include "db/ConnectionUrl.h"
#include "db/InitialData.h"
#include "db/Schema.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

class LoginTest : public ShellTest {};

TEST_P(LoginTest, acceptedLoginHidesTheScreenAndRunsTheMainWindowOverIt) {
    TfrmLogin login;
    showActive(login);
    bool menuRan = false;
    seams.runner.scripts.push_back([&](QDialog& d) {
        menuRan = true;
        EXPECT_NE(dynamic_cast<TfrmMenu*>(&d), nullptr);
        EXPECT_FALSE(login.isVisible());
        EXPECT_EQ(session().OperatorNo, QStringLiteral("001"));
        EXPECT_EQ(session().OperatorName, QStringLiteral("系统管理员"));
        EXPECT_EQ(session().OperatorPassword, QStringLiteral("123"));
    });
    login.control<QLineEdit>("edOperatorNo")->setText(QStringLiteral("001"));
    login.control<QLineEdit>("edOperatorPassword")->setText(QStringLiteral("123"));
    QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);

    EXPECT_TRUE(menuRan);
    EXPECT_TRUE(seams.recorder.shown.empty());
    // The main window closed: the login screen ends, and with it the process.
    EXPECT_EQ(login.result(), TfrmLogin::Worked);
}

TEST_P(LoginTest, refusedLoginSaysSoAndSelectsTheOperatorNumber) {
    TfrmLogin login;
    showActive(login);
    auto* no = login.control<QLineEdit>("edOperatorNo");
    auto* password = login.control<QLineEdit>("edOperatorPassword");
    for (const auto& [typedNo, typedPassword] : {std::pair{"001", "124"}, {"002", "123"}, {"", ""}, {"001", ""}}) {
        seams.recorder.clear();
        no->setText(QString::fromUtf8(typedNo));
        password->setText(QString::fromUtf8(typedPassword));
        QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);
        ASSERT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("工号密码输入错误，请重新输入！")}) << typedNo << "/" << typedPassword;
        EXPECT_EQ(seams.recorder.shown[0].caption, QStringLiteral("信息提示"));
        EXPECT_EQ(QApplication::focusWidget(), no);
        EXPECT_EQ(no->selectedText(), no->text());
        EXPECT_EQ(password->text(), QString::fromUtf8(typedPassword));  // kept
        EXPECT_TRUE(login.isVisible());
        EXPECT_EQ(seams.runner.opened, 0);
    }
    EXPECT_TRUE(session().OperatorNo.isEmpty());
}

TEST_P(LoginTest, unreachableDatabaseEndsTheProgramWithItsMessage) {
    QTemporaryDir dir;
    TfrmBaseDataModule unreachable(db::ConnectionUrl::sqlite(dir.filePath(QStringLiteral("missing/none.db"))));
    setFrmBaseDataModule(&unreachable);
    TfrmLogin login;
    showActive(login);
    login.control<QLineEdit>("edOperatorNo")->setText(QStringLiteral("001"));
    login.control<QLineEdit>("edOperatorPassword")->setText(QStringLiteral("123"));
    QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);
    setFrmBaseDataModule(&module());

    EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("数据库未启动，请启动后重新进入！")});
    EXPECT_EQ(login.result(), TfrmLogin::DatabaseDown);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(seams.runner.opened, 0);
}

TEST_P(LoginTest, aDatabaseOfAnotherVersionIsSaidToBeSoInsteadOfCalledDown) {
    db().execute(QStringLiteral("DELETE FROM SCHEMA_VERSION WHERE VERSION = 11"));
    TfrmLogin login;
    showActive(login);
    login.control<QLineEdit>("edOperatorNo")->setText(QStringLiteral("001"));
    login.control<QLineEdit>("edOperatorPassword")->setText(QStringLiteral("123"));
    QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);

    EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("数据库版本低于本程序，请先升级数据库（pos --init-database）后重新进入！")});
    EXPECT_EQ(login.result(), TfrmLogin::DatabaseDown);
}

TEST_P(LoginTest, aDamagedDatabaseFileIsNamedInsteadOfCalledDown) {
    if (GetParam() != db::Backend::Sqlite) GTEST_SKIP() << "files are SQLite's";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shop.db"));
    {
        db::Connection c(db::ConnectionUrl::sqlite(path));
        c.open(db::Connection::OpenMode::Create);
        c.execute(QStringLiteral("CREATE TABLE T (A TEXT)"));
        c.execute(QStringLiteral("CREATE INDEX T_A ON T(A)"));
        c.execute(QStringLiteral("INSERT INTO T WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                                 "SELECT printf('%08d', i) FROM n"));
    }
    {
        // A page in the middle of the file zeroed, as a failing disk leaves it.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek((file.size() / 4096 / 2) * 4096);
        file.write(QByteArray(4096, '\0'));
    }
    const QByteArray before = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    TfrmBaseDataModule damaged(db::ConnectionUrl::sqlite(path));
    setFrmBaseDataModule(&damaged);
    // The file's page check runs behind the window; confirming waits for its verdict.
    TfrmLogin login;
    showActive(login);
    login.control<QLineEdit>("edOperatorNo")->setText(QStringLiteral("001"));
    login.control<QLineEdit>("edOperatorPassword")->setText(QStringLiteral("123"));
    QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);
    setFrmBaseDataModule(&module());

    ASSERT_EQ(seams.recorder.texts().size(), 1);
    EXPECT_TRUE(seams.recorder.texts().front().contains(QStringLiteral("已损坏"))) << seams.recorder.texts().front().toStdString();
    EXPECT_TRUE(seams.recorder.texts().front().contains(QStringLiteral("shop.db")));
    EXPECT_EQ(login.result(), TfrmLogin::DatabaseDown);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);  // not even switched to the write-ahead log
}

// A file this process has not checked yet: the window shows before the page check has read
// it, the hint follows the check, and the login then works as ever.
TEST_P(LoginTest, aFileIsCheckedBehindTheWindowAndTheLoginWorksOnceItIsFoundSound) {
    if (GetParam() != db::Backend::Sqlite) GTEST_SKIP() << "files are SQLite's";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new-shop.db"));
    {
        db::Connection c(db::ConnectionUrl::sqlite(path));
        c.open(db::Connection::OpenMode::Create);
        db::Schema::migrate(c);
        db::InitialData::install(c);
    }
    TfrmBaseDataModule fresh(db::ConnectionUrl::sqlite(path));
    setFrmBaseDataModule(&fresh);
    {
        TfrmLogin login;
        showActive(login);
        ASSERT_TRUE(QTest::qWaitFor([&] { return login.hintChecked(); }, 10000));
        EXPECT_FALSE(login.fileCheckRunning());
        EXPECT_FALSE(login.control<QLabel>("lbHint")->isHidden());
        bool menuRan = false;
        seams.runner.scripts.push_back([&](QDialog&) { menuRan = true; });
        login.control<QLineEdit>("edOperatorNo")->setText(QStringLiteral("001"));
        login.control<QLineEdit>("edOperatorPassword")->setText(QStringLiteral("123"));
        QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);
        EXPECT_TRUE(menuRan);
        EXPECT_EQ(login.result(), TfrmLogin::Worked);
    }
    setFrmBaseDataModule(&module());
}

TEST_P(LoginTest, screenShowsTheInitialOperatorAndTheDate) {
    TfrmLogin login;
    const QString hint = login.control<QLabel>("lbHint")->text();
    EXPECT_TRUE(hint.contains(QStringLiteral("001"))) << hint.toStdString();
    EXPECT_TRUE(hint.contains(QStringLiteral("123"))) << hint.toStdString();
    EXPECT_TRUE(login.panelText(2).startsWith(QStringLiteral("日期：")));
    EXPECT_EQ(login.windowTitle(), QStringLiteral("系统登录"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return login.hintChecked(); }, 10000));
    EXPECT_FALSE(login.control<QLabel>("lbHint")->isHidden());
    QTest::mouseClick(login.control<QPushButton>("bitClose"), Qt::LeftButton);
    EXPECT_EQ(login.result(), TfrmLogin::Left);
}

// Once the initial password is changed, the hint would only tell strangers how to get in.
TEST_P(LoginTest, theInitialCredentialsHintGoesOnceThePasswordIsChanged) {
    ASSERT_TRUE(module().SetOperatorPassword(QStringLiteral("001"), QStringLiteral("s3cret")));
    TfrmLogin changed;
    ASSERT_TRUE(QTest::qWaitFor([&] { return changed.hintChecked(); }, 10000));
    EXPECT_TRUE(changed.control<QLabel>("lbHint")->isHidden());
    ASSERT_TRUE(module().SetOperatorPassword(QStringLiteral("001"), QStringLiteral("123")));
    TfrmLogin initial;
    ASSERT_TRUE(QTest::qWaitFor([&] { return initial.hintChecked(); }, 10000));
    EXPECT_FALSE(initial.control<QLabel>("lbHint")->isHidden());
}

// Repeated refusals for one number make the next attempts wait, even with the right password.
TEST_P(LoginTest, repeatedRefusalsForANumberMakeItsNextAttemptsWait) {
    TfrmLogin login;
    showActive(login);
    auto attempt = [&](const char* no, const char* password) {
        seams.recorder.clear();
        login.control<QLineEdit>("edOperatorNo")->setText(QString::fromLatin1(no));
        login.control<QLineEdit>("edOperatorPassword")->setText(QString::fromLatin1(password));
        QTest::mouseClick(login.control<QPushButton>("bitYes"), Qt::LeftButton);
        return seams.recorder.texts();
    };
    for (int i = 0; i < LoginThrottle::FreeAttempts; ++i)
        EXPECT_EQ(attempt("001", "guess"), QStringList{QStringLiteral("工号密码输入错误，请重新输入！")});
    EXPECT_EQ(attempt("001", "123"), QStringList{QStringLiteral("密码错误次数过多，请%1秒后再试！").arg(LoginThrottle::WaitSeconds)});
    EXPECT_EQ(seams.runner.opened, 0);
    EXPECT_TRUE(session().OperatorNo.isEmpty());
    // An unknown number is slowed the same way, so the wait tells nothing about which exist.
    for (int i = 0; i < LoginThrottle::FreeAttempts; ++i) attempt("777", "guess");
    EXPECT_EQ(attempt("777", "guess"), QStringList{QStringLiteral("密码错误次数过多，请%1秒后再试！").arg(LoginThrottle::WaitSeconds)});
}

TEST(LoginThrottle, waitsAfterRepeatedRefusalsPerNumberUntilTheTimeHasPassedOrOneSucceeds) {
    qint64 now = 1000;
    LoginThrottle t([&] { return now; });
    const QString a = QStringLiteral("001"), b = QStringLiteral("002");
    for (int i = 0; i < LoginThrottle::FreeAttempts - 1; ++i) t.refused(a);
    EXPECT_EQ(t.secondsToWait(a), 0);
    t.refused(a);
    EXPECT_EQ(t.secondsToWait(a), LoginThrottle::WaitSeconds);
    EXPECT_EQ(t.secondsToWait(b), 0);
    struct Case { qint64 after; int wait; } cases[] = {{1, 5}, {1001, 4}, {4001, 1}, {4999, 1}, {5000, 0}, {9000, 0}};
    const qint64 refusedAt = now;
    for (const Case& c : cases) {
        now = refusedAt + c.after;
        EXPECT_EQ(t.secondsToWait(a), c.wait) << c.after;
    }
    t.refused(a);  // another refusal after the wait starts a new one
    EXPECT_EQ(t.secondsToWait(a), LoginThrottle::WaitSeconds);
    t.accepted(a);
    EXPECT_EQ(t.secondsToWait(a), 0);
    t.refused(a);
    EXPECT_EQ(t.secondsToWait(a), 0);
}

// Enter in a box moves on to the next box; it must not press "确定" on the way (which
// would try the login with half the input). Enter on the focused button does press it.
TEST_P(LoginTest, enterMovesThroughTheBoxesAndPressesTheFocusedButton) {
    TfrmLogin login;
    showActive(login);
    auto* no = login.control<QLineEdit>("edOperatorNo");
    no->setFocus();
    typeAndEnter(no, QStringLiteral("001"));
    EXPECT_TRUE(seams.recorder.shown.empty());
    auto* password = login.control<QLineEdit>("edOperatorPassword");
    ASSERT_EQ(QApplication::focusWidget(), password);
    typeAndEnter(password, QStringLiteral("123"));
    EXPECT_TRUE(seams.recorder.shown.empty());
    EXPECT_EQ(seams.runner.opened, 0);
    ASSERT_EQ(QApplication::focusWidget(), login.control<QPushButton>("bitYes"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(seams.runner.opened, 1);
    EXPECT_EQ(login.result(), TfrmLogin::Worked);
}

INSTANTIATE_TEST_SUITE_P(Backends, LoginTest, ::testing::ValuesIn(backends()), backendName);
