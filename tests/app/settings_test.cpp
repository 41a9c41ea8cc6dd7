#include "ShellTest.h"

#include "app/LookupComboBox.h"
#include "app/SystemVariables.h"
#include "app/TfrmVarSet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class SettingsTest : public ShellTest {
protected:
    QString variable(const QString& name) {
        db::Statement s(db(), QStringLiteral("SELECT vrvalue FROM sysvariable WHERE vrname = :n"));
        s.bind(QStringLiteral(":n"), name);
        if (!s.first()) return QStringLiteral("<no row>");
        return s.isNull(0) ? QStringLiteral("<null>") : s.text(0);
    }
    static int option(TfrmVarSet& screen, const char* group) { return screen.findChild<QButtonGroup*>(group)->checkedId(); }
};

TEST_P(SettingsTest, screenShowsTheStoredValuesAndSavesWhatIsOnIt) {
    db().execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('002', '二号库', '1')"));
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '25' WHERE vrname = 'CheckedDate'"));
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '002' WHERE vrname = 'BatchSaleType'"));
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '1' WHERE vrname = 'BatchPrintMode'"));
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '-1' WHERE vrname = 'isCheckStore'"));
    {
        TfrmVarSet screen;
        EXPECT_EQ(screen.control<QLineEdit>("edCheckedDate")->text(), QStringLiteral("25"));
        EXPECT_EQ(screen.control<LookupComboBox>("lcbRetailStore")->keyValue(), QStringLiteral("001"));
        EXPECT_EQ(screen.control<LookupComboBox>("lcbBatchStore")->currentText(), QStringLiteral("二号库"));
        EXPECT_EQ(option(screen, "rgRetailPrintMode"), 0);
        EXPECT_EQ(option(screen, "rgBatchPrintMode"), 1);
        EXPECT_TRUE(screen.control<QCheckBox>("cbPrint")->isChecked());
        EXPECT_TRUE(screen.control<QCheckBox>("cbCheckStore")->isChecked());

        screen.control<QLineEdit>("edBalaBegDate")->setText(QStringLiteral("2024-01-26"));
        screen.control<QLineEdit>("edBalaEndDate")->setText(QStringLiteral("2024-02-25"));
        screen.control<LookupComboBox>("lcbRetailStore")->setKeyValue(QStringLiteral("002"));
        screen.control<QRadioButton>("rgRetailPrintMode1")->setChecked(true);
        screen.control<QCheckBox>("cbPrint")->setChecked(false);
        QTest::mouseClick(screen.control<QPushButton>("bitYes"), Qt::LeftButton);
        EXPECT_EQ(seams.recorder.texts(), QStringList{QStringLiteral("数据已成功保存！")});
    }
    const std::map<QString, QString> expected = {
        {QStringLiteral("CheckedDate"), QStringLiteral("25")},     {QStringLiteral("BalaBegDate"), QStringLiteral("2024-01-26")},
        {QStringLiteral("BalaEndDate"), QStringLiteral("2024-02-25")}, {QStringLiteral("RetailSaleType"), QStringLiteral("002")},
        {QStringLiteral("BatchSaleType"), QStringLiteral("002")},  {QStringLiteral("RetailPrintMode"), QStringLiteral("1")},
        {QStringLiteral("BatchPrintMode"), QStringLiteral("1")},   {QStringLiteral("isPrint"), QStringLiteral("0")},
        {QStringLiteral("isCheckStore"), QStringLiteral("-1")},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(variable(name), value) << name.toStdString();

    TfrmVarSet again;  // and reads back what it stored
    EXPECT_EQ(again.control<LookupComboBox>("lcbRetailStore")->keyValue(), QStringLiteral("002"));
    EXPECT_EQ(option(again, "rgRetailPrintMode"), 1);
    EXPECT_FALSE(again.control<QCheckBox>("cbPrint")->isChecked());
    EXPECT_EQ(again.control<QLineEdit>("edBalaEndDate")->text(), QStringLiteral("2024-02-25"));
}

// Without rows the controls keep their initial state; saving creates all nine rows, the
// three period rows included, with "-1" for no wholesale print mode and NULL for no store.
TEST_P(SettingsTest, missingRowsAreCreatedOnSave) {
    db().execute(QStringLiteral("DELETE FROM sysvariable"));
    TfrmVarSet screen;
    EXPECT_TRUE(screen.control<QLineEdit>("edCheckedDate")->text().isEmpty());
    EXPECT_TRUE(screen.control<LookupComboBox>("lcbRetailStore")->keyValue().isEmpty());
    EXPECT_EQ(option(screen, "rgRetailPrintMode"), 0);
    EXPECT_EQ(option(screen, "rgBatchPrintMode"), -1);
    EXPECT_FALSE(screen.control<QCheckBox>("cbPrint")->isChecked());
    screen.control<QLineEdit>("edCheckedDate")->setText(QStringLiteral("26"));
    QTest::mouseClick(screen.control<QPushButton>("bitYes"), Qt::LeftButton);

    EXPECT_EQ(seams.recorder.lastText(), QStringLiteral("数据已成功保存！"));
    EXPECT_EQ(count(QStringLiteral("sysvariable")), 9);
    EXPECT_EQ(variable(QStringLiteral("CheckedDate")), QStringLiteral("26"));
    EXPECT_EQ(variable(QStringLiteral("BalaBegDate")), QString());
    EXPECT_EQ(variable(QStringLiteral("BatchPrintMode")), QStringLiteral("-1"));
    EXPECT_EQ(variable(QStringLiteral("RetailPrintMode")), QStringLiteral("0"));
    EXPECT_EQ(variable(QStringLiteral("RetailSaleType")), QStringLiteral("<null>"));
    EXPECT_EQ(variable(QStringLiteral("isPrint")), QStringLiteral("0"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT vrscript FROM sysvariable WHERE vrname = 'RetailSaleType'")), QStringLiteral("零售默认销售方式"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT vrscript FROM sysvariable WHERE vrname = 'isCheckStore'")), QStringLiteral("默认检测库存"));

    // Stored "-1" reads back as no option selected.
    TfrmVarSet again;
    EXPECT_EQ(option(again, "rgBatchPrintMode"), -1);
}

TEST_P(SettingsTest, damagedValuesLeaveTheirControlsAsTheyStart) {
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = 'x' WHERE vrname IN ('RetailPrintMode', 'isPrint')"));
    db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '7' WHERE vrname = 'BatchPrintMode'"));
    TfrmVarSet screen;
    EXPECT_EQ(option(screen, "rgRetailPrintMode"), 0);
    EXPECT_EQ(option(screen, "rgBatchPrintMode"), -1);
    EXPECT_FALSE(screen.control<QCheckBox>("cbPrint")->isChecked());
    EXPECT_TRUE(seams.recorder.shown.empty());
}

TEST_P(SettingsTest, aFailedSaveChangesNothingAndSaysSo) {
    failWrites(QStringLiteral("sysvariable"), QStringLiteral("vrname"), QStringLiteral("BatchPrintMode"));
    TfrmVarSet screen;
    screen.control<QLineEdit>("edCheckedDate")->setText(QStringLiteral("28"));
    screen.control<QCheckBox>("cbCheckStore")->setChecked(true);
    QTest::mouseClick(screen.control<QPushButton>("bitYes"), Qt::LeftButton);
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_NE(seams.recorder.lastText(), QStringLiteral("数据已成功保存！"));
    EXPECT_EQ(variable(QStringLiteral("CheckedDate")), QString());
    EXPECT_EQ(variable(QStringLiteral("isCheckStore")), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsTest, ::testing::ValuesIn(backends()), backendName);
