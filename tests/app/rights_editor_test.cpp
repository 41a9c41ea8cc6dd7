#include "ShellTest.h"

#include "app/LookupComboBox.h"
#include "app/OperatorRights.h"
#include "app/TfrmRightSet.h"
#include "db/Error.h"
#include "db/MenuCatalog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

class RightsEditorTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        addOperator(QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("pw2"));
    }
};

TEST_P(RightsEditorTest, saveInsertsMissingRowsUpdatesChangedOnesAndLeavesEqualOnes) {
    setRight(QStringLiteral("002"), QStringLiteral("miPOS"), true);
    setRight(QStringLiteral("002"), QStringLiteral("miJXC"), false);
    OperatorRights rights(db());
    const std::vector<RightChoice> choices = {
        {QStringLiteral("miPOS"), QStringLiteral("零售"), true},          // equal
        {QStringLiteral("miJXC"), QStringLiteral("进销存查询"), true},    // changed
        {QStringLiteral("miQyBs"), QStringLiteral("报损查询"), false},    // missing, unticked
        {QStringLiteral("miDayOver"), QStringLiteral("收银员日结"), true},  // missing, ticked
    };
    const auto first = rights.save(QStringLiteral("002"), choices);
    EXPECT_EQ(first.inserted, 2);
    EXPECT_EQ(first.updated, 1);
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miPOS")), QStringLiteral("1"));
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miJXC")), QStringLiteral("1"));
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miQyBs")), QStringLiteral("0"));
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miDayOver")), QStringLiteral("1"));
    // RSNAME is written when the row is created and kept on update.
    EXPECT_EQ(scalar(QStringLiteral("SELECT RSNAME FROM SYSRIGHTSET WHERE BNNO = '002' AND RSFUN = 'miJXC'")), QStringLiteral("miJXC"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT RSNAME FROM SYSRIGHTSET WHERE BNNO = '002' AND RSFUN = 'miQyBs'")), QStringLiteral("报损查询"));

    const auto second = rights.save(QStringLiteral("002"), choices);
    EXPECT_EQ(second.inserted, 0);
    EXPECT_EQ(second.updated, 0);
}

TEST_P(RightsEditorTest, aFailingWriteStoresNothing) {
    setRight(QStringLiteral("002"), QStringLiteral("miPOS"), false);
    failWrites(QStringLiteral("SYSRIGHTSET"), QStringLiteral("RSFUN"), QStringLiteral("miJXC"));
    OperatorRights rights(db());
    EXPECT_THROW(rights.save(QStringLiteral("002"), {{QStringLiteral("miPOS"), QStringLiteral("零售"), true},
                                                     {QStringLiteral("miQyBs"), QStringLiteral("报损查询"), true},
                                                     {QStringLiteral("miJXC"), QStringLiteral("进销存查询"), true}}),
                 db::Error);
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miPOS")), QStringLiteral("0"));
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miQyBs")), QStringLiteral("none"));
}

TEST_P(RightsEditorTest, boxesComeFromMenuInFiveGroupsAndOtherSpellingsAreLeftOut) {
    db().execute(QStringLiteral("INSERT INTO MENU(MENUNO, MENUNAME, MENUTYPE, NO) VALUES('miOdd', '奇怪的功能', 'query', 1)"));
    TfrmRightSet screen;
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("操作员权限设置"));
    EXPECT_EQ(screen.control<QCheckBox>("miOdd"), nullptr);
    int boxes = 0;
    for (const RightsGroup& group : OperatorRights::groups()) {
        auto* frame = screen.control<QGroupBox>(group.frame);
        ASSERT_NE(frame, nullptr) << group.frame.toStdString();
        EXPECT_EQ(frame->title(), group.title);
        QStringList names;
        for (QCheckBox* box : frame->findChildren<QCheckBox*>()) {
            names << box->objectName();
            EXPECT_FALSE(box->isChecked());
        }
        QStringList expected;
        for (const db::RightsFunction& f : db::rightsFunctions())
            if (f.group == group.type) expected << f.name;
        EXPECT_EQ(names, expected) << group.type.toStdString();
        boxes += names.size();
    }
    EXPECT_EQ(boxes, int(db::rightsFunctions().size()));
    EXPECT_EQ(screen.control<QCheckBox>("miPOS")->text(), QStringLiteral("零售"));
    EXPECT_FALSE(screen.control<QPushButton>("bitSave")->isEnabled());
}

TEST_P(RightsEditorTest, queryShowsTheOperatorsRightsAndSaveStoresTheBoxes) {
    setRight(QStringLiteral("002"), QStringLiteral("miPOS"), true);
    setRight(QStringLiteral("002"), QStringLiteral("miJXC"), false);
    TfrmRightSet screen;
    showActive(screen);
    auto* list = screen.control<LookupComboBox>("cbOperator");
    auto* save = screen.control<QPushButton>("bitSave");
    QTest::mouseClick(screen.control<QPushButton>("bitSelect"), Qt::LeftButton);  // nobody chosen
    EXPECT_FALSE(save->isEnabled());

    list->setKeyValue(QStringLiteral("002"));
    EXPECT_EQ(list->currentText(), QStringLiteral("李四"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);  // Enter in the list is "查询"
    EXPECT_TRUE(screen.control<QCheckBox>("miPOS")->isChecked());
    EXPECT_FALSE(screen.control<QCheckBox>("miJXC")->isChecked());
    EXPECT_FALSE(screen.control<QCheckBox>("miRightSet")->isChecked());
    ASSERT_TRUE(save->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), save);

    screen.control<QCheckBox>("miPOS")->setChecked(false);
    screen.control<QCheckBox>("miVarSet")->setChecked(true);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("设置已保存！")});
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miPOS")), QStringLiteral("0"));
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miVarSet")), QStringLiteral("1"));
    EXPECT_EQ(right(QStringLiteral("002"), QStringLiteral("miQyBs")), QStringLiteral("0"));
    EXPECT_EQ(count(QStringLiteral("SYSRIGHTSET"), QStringLiteral("BNNO = '002'")), qint64(db::rightsFunctions().size()));
    EXPECT_EQ(count(QStringLiteral("SYSRIGHTSET"), QStringLiteral("BNNO = '001' AND RSRIGHT = 1")),
              qint64(db::rightsFunctions().size()));
}

// The boxes on screen belong to the operator they were read for: choosing another one
// must not store them under that operator's number.
TEST_P(RightsEditorTest, choosingAnotherOperatorAfterTheQueryBlocksSavingUntilQueriedAgain) {
    TfrmRightSet screen;
    showActive(screen);
    auto* list = screen.control<LookupComboBox>("cbOperator");
    auto* save = screen.control<QPushButton>("bitSave");
    list->setKeyValue(QStringLiteral("002"));
    QTest::mouseClick(screen.control<QPushButton>("bitSelect"), Qt::LeftButton);
    ASSERT_TRUE(save->isEnabled());  // 002 has no rows: every box unticked

    list->setKeyValue(QStringLiteral("001"));
    EXPECT_FALSE(save->isEnabled());
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_TRUE(seams.recorder.shown.empty());
    EXPECT_EQ(right(QStringLiteral("001"), QStringLiteral("miRightSet")), QStringLiteral("1"));

    list->setKeyValue(QStringLiteral("002"));  // back to the one shown: still needs "查询"
    EXPECT_FALSE(save->isEnabled());
    list->setKeyValue(QStringLiteral("001"));
    QTest::mouseClick(screen.control<QPushButton>("bitSelect"), Qt::LeftButton);
    EXPECT_TRUE(screen.control<QCheckBox>("miRightSet")->isChecked());
    EXPECT_TRUE(save->isEnabled());
}

TEST_P(RightsEditorTest, aFailedSaveIsReportedAndCanBeRepeated) {
    TfrmRightSet screen;
    auto* list = screen.control<LookupComboBox>("cbOperator");
    auto* save = screen.control<QPushButton>("bitSave");
    list->setKeyValue(QStringLiteral("002"));
    QTest::mouseClick(screen.control<QPushButton>("bitSelect"), Qt::LeftButton);
    failWrites(QStringLiteral("SYSRIGHTSET"), QStringLiteral("RSFUN"), QStringLiteral("miQyBs"));
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_NE(seams.recorder.lastText(), QStringLiteral("设置已保存！"));
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(count(QStringLiteral("SYSRIGHTSET"), QStringLiteral("BNNO = '002'")), 0);
}

// Unticking 权限设置 on its only holder would leave nobody able to give rights again.
TEST_P(RightsEditorTest, theLastHolderOfTheRightsEditorKeepsIt) {
    TfrmRightSet screen;
    auto* list = screen.control<LookupComboBox>("cbOperator");
    auto* save = screen.control<QPushButton>("bitSave");
    list->setKeyValue(QStringLiteral("001"));
    QTest::mouseClick(screen.control<QPushButton>("bitSelect"), Qt::LeftButton);
    screen.control<QCheckBox>("miRightSet")->setChecked(false);
    screen.control<QCheckBox>("miPOS")->setChecked(false);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(seams.recorder.texts(),
              QStringList{QStringLiteral("不能取消最后一个拥有“权限设置”权限的操作员的该权限，否则将无人能设置操作员权限！")});
    EXPECT_EQ(right(QStringLiteral("001"), QStringLiteral("miRightSet")), QStringLiteral("1"));
    EXPECT_EQ(right(QStringLiteral("001"), QStringLiteral("miPOS")), QStringLiteral("1"));   // nothing stored

    setRight(QStringLiteral("002"), QStringLiteral("miRightSet"), true);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(seams.recorder.lastText(), QStringLiteral("设置已保存！"));
    EXPECT_EQ(right(QStringLiteral("001"), QStringLiteral("miRightSet")), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Backends, RightsEditorTest, ::testing::ValuesIn(backends()), backendName);
