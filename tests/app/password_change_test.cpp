#include "ShellTest.h"

#include "app/TfrmUpdatePassword.h"

#include <QLineEdit>
#include <QPushButton>

class PasswordChangeTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("123")));
        screen = std::make_unique<TfrmUpdatePassword>();
        showActive(*screen);
        oldBox = screen->control<QLineEdit>("edPassword");
        newBox = screen->control<QLineEdit>("edNewPassword");
        repeatBox = screen->control<QLineEdit>("edVerifyPassword");
        bitYes = screen->control<QPushButton>("bitYes");
    }

    std::unique_ptr<TfrmUpdatePassword> screen;
    QLineEdit* oldBox = nullptr;
    QLineEdit* newBox = nullptr;
    QLineEdit* repeatBox = nullptr;
    QPushButton* bitYes = nullptr;
};

TEST_P(PasswordChangeTest, wrongOldPasswordIsRefusedOnLeavingTheBox) {
    EXPECT_FALSE(bitYes->isEnabled());
    for (const QString& wrong : {QStringLiteral("999"), QStringLiteral("1234")}) {
        seams.recorder.clear();
        leaveWith(oldBox, wrong);
        EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("口令不正确，请重新输入！")});
        EXPECT_EQ(QApplication::focusWidget(), oldBox);
        EXPECT_EQ(oldBox->selectedText(), wrong);
    }
    seams.recorder.clear();
    leaveWith(oldBox, QStringLiteral("123"));
    EXPECT_TRUE(seams.recorder.shown.empty());
    EXPECT_EQ(QApplication::focusWidget(), newBox);
}

TEST_P(PasswordChangeTest, theRepeatMustMatchAndAnEmptyPasswordCannotBeConfirmed) {
    leaveWith(oldBox, QStringLiteral("123"));
    leaveWith(newBox, QStringLiteral("abc"));
    leaveWith(repeatBox, QStringLiteral("abd"));
    EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("口令不正确，请重新输入！")});
    EXPECT_EQ(QApplication::focusWidget(), repeatBox);
    EXPECT_FALSE(bitYes->isEnabled());

    seams.recorder.clear();
    repeatBox->clear();
    leaveWith(newBox, QString());
    leaveWith(repeatBox, QString());
    EXPECT_TRUE(seams.recorder.shown.empty());
    EXPECT_FALSE(bitYes->isEnabled());
}

TEST_P(PasswordChangeTest, confirmedPasswordIsStoredAndTheOldOneStopsWorking) {
    leaveWith(oldBox, QStringLiteral("123"));
    leaveWith(newBox, QStringLiteral("n3w"));
    leaveWith(repeatBox, QStringLiteral("n3w"));
    ASSERT_TRUE(bitYes->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), bitYes);
    QTest::keyClick(bitYes, Qt::Key_Return);  // Enter on the focused button presses it

    EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("口令已修改！")});
    EXPECT_FALSE(bitYes->isEnabled());
    EXPECT_EQ(session().OperatorPassword, QStringLiteral("n3w"));
    EXPECT_TRUE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("n3w")));
    EXPECT_FALSE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("123")));
}

// What is stored is what was confirmed: editing a box after the confirmation asks for the
// repeat again, so the password never differs from the one the operator typed twice.
TEST_P(PasswordChangeTest, editingAfterTheConfirmationAsksForTheRepeatAgain) {
    leaveWith(oldBox, QStringLiteral("123"));
    leaveWith(newBox, QStringLiteral("first"));
    leaveWith(repeatBox, QStringLiteral("first"));
    ASSERT_TRUE(bitYes->isEnabled());
    newBox->setFocus();
    QTest::keyClicks(newBox, QStringLiteral("X"));
    EXPECT_FALSE(bitYes->isEnabled());
    QTest::mouseClick(bitYes, Qt::LeftButton);
    EXPECT_TRUE(seams.recorder.shown.empty());
    EXPECT_TRUE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("123")));

    leaveWith(repeatBox, QStringLiteral("firstX"));
    ASSERT_TRUE(bitYes->isEnabled());
    QTest::mouseClick(bitYes, Qt::LeftButton);
    EXPECT_EQ(seams.recorder.lastText(), QStringLiteral("口令已修改！"));
    EXPECT_TRUE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("firstX")));
}

// An empty old-password box used to skip the check, so anyone at an unattended till could
// take over the logged-in operator's account.
TEST_P(PasswordChangeTest, theOldPasswordIsAlwaysVerifiedBeforeTheChange) {
    auto pressWithOld = [&](const QString& old) {
        oldBox->clear();
        leaveWith(newBox, QStringLiteral("taken"));
        leaveWith(repeatBox, QStringLiteral("taken"));
        EXPECT_TRUE(bitYes->isEnabled());
        oldBox->setText(old);
        seams.recorder.clear();
        QTest::mouseClick(bitYes, Qt::LeftButton);
        return seams.recorder.texts();
    };
    for (const QString& old : {QString(), QStringLiteral("999"), QStringLiteral("1234")}) {
        EXPECT_EQ(pressWithOld(old), QStringList{QStringLiteral("口令不正确，请重新输入！")}) << old.toStdString();
        EXPECT_EQ(QApplication::focusWidget(), oldBox);
        EXPECT_EQ(session().OperatorPassword, QStringLiteral("123"));
        EXPECT_TRUE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("123")));
    }
    // The check is against the stored password: after a change at another till the old
    // session password no longer opens the account.
    ASSERT_TRUE(module().SetOperatorPassword(QStringLiteral("001"), QStringLiteral("elsewhere")));
    EXPECT_EQ(pressWithOld(QStringLiteral("123")), QStringList{QStringLiteral("口令不正确，请重新输入！")});
    EXPECT_TRUE(module().CheckOperator(QStringLiteral("001"), QStringLiteral("elsewhere")));
}

TEST_P(PasswordChangeTest, anUpdateThatChangesNoRowSaysSoAndKeepsTheSession) {
    // The operator was deleted at another till while this one stayed logged in.
    session().OperatorNo = QStringLiteral("009");
    leaveWith(newBox, QStringLiteral("abc"));
    leaveWith(repeatBox, QStringLiteral("abc"));
    QTest::mouseClick(bitYes, Qt::LeftButton);
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_NE(seams.recorder.lastText(), QStringLiteral("口令已修改！"));
    EXPECT_EQ(session().OperatorPassword, QStringLiteral("123"));
    EXPECT_TRUE(bitYes->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Backends, PasswordChangeTest, ::testing::ValuesIn(backends()), backendName);
