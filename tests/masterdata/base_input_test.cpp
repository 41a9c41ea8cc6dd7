// The maintenance screens driven as an operator does: buttons, typed fields, answers to
// the questions, and the rows and log the database holds afterwards.
#include "DbTest.h"
#include "GuiTest.h"
#include "SmallShop.h"

#include "app/LookupComboBox.h"
#include "db/Passwords.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "masterdata/RecordPages.h"
#include "masterdata/ReferenceScreens.h"
#include "masterdata/TfrmProductInput.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryFile>
#include <QToolButton>
#include <functional>

namespace {
const QString kRefused = QStringLiteral(
    "不能插入/修改记录,可能由以下原因造成：\n1．输入不完整\n2．键值重复\n3．数据已经被使用（关联）");
}

class BaseInputTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        installSmallShop(db());
        session().OperatorNo = QStringLiteral("001");
    }

    template <typename T = QWidget>
    static T* child(QWidget& screen, const char* name) {
        T* w = screen.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void click(QWidget& screen, const char* button) { QTest::mouseClick(child<QPushButton>(screen, button), Qt::LeftButton); }
    static void type(QWidget& screen, const char* edit, const QString& text) {
        auto* e = child<QLineEdit>(screen, edit);
        e->setFocus();
        e->selectAll();
        // Chinese text arrives as key events carrying text, as an input method delivers it.
        for (const QChar ch : text) {
            QTest::sendKeyEvent(QTest::Press, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    // Grid, navigator, 增加, 删除, 确定, 取消 enabled?
    static std::vector<bool> controls(QWidget& screen) {
        return {child(screen, "GBaseTable")->isEnabled(), child(screen, "NgBaseInput")->isEnabled(),
                child(screen, "BitAdd")->isEnabled(),     child(screen, "BitDelete")->isEnabled(),
                child(screen, "BitYes")->isEnabled(),     child(screen, "BitCancel")->isEnabled()};
    }
    static QStringList gridColumn(QWidget& screen, int column) {
        const auto* grid = child<QTableView>(screen, "GBaseTable")->model();
        QStringList texts;
        for (int r = 0; r < grid->rowCount(); ++r) texts << grid->index(r, column).data().toString();
        return texts;
    }
    GuiSeams seams;
    const std::vector<bool> browsing{true, true, true, true, false, false};
    const std::vector<bool> writing{false, false, false, false, true, true};
};

TEST_P(BaseInputTest, addingFollowsTheStateTableAndMakesTheNewRecordCurrent) {
    TfrmInputDept screen;
    screen.show();
    EXPECT_EQ(controls(screen), browsing);
    click(screen, "BitAdd");
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Insert);
    EXPECT_EQ(controls(screen), writing);
    EXPECT_EQ(screen.focusWidget(), child(screen, "edBMNO"));
    type(screen, "edBMNO", QStringLiteral("00"));
    type(screen, "edBMName", QStringLiteral("百货部"));
    click(screen, "BitYes");

    EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.texts().join('|').toStdString();  // no question on insert
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Browse);
    EXPECT_EQ(controls(screen), browsing);
    EXPECT_EQ(gridColumn(screen, 0), (QStringList{"00", "01"}));   // in key order
    EXPECT_EQ(screen.currentKey(), QStringLiteral("00"));
    EXPECT_EQ(child<QTableView>(screen, "GBaseTable")->currentIndex().row(), 0);
    EXPECT_EQ(screen.focusWidget(), child(screen, "BitAdd"));
    EXPECT_EQ(count("RZ", "GH = '001' AND CZDZ = '增加' AND CS1 = 'dept' AND CS2 = '00'"), 1);
}

TEST_P(BaseInputTest, aChangeIsWrittenOnlyWhenTheQuestionIsAnsweredYes) {
    TfrmInputDept screen;
    screen.show();
    type(screen, "edBMName", QStringLiteral("副食部"));
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Edit);
    EXPECT_EQ(controls(screen), writing);

    seams.recorder.replies = {MessageReply::No};
    click(screen, "BitYes");
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(seams.recorder.shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(seams.recorder.shown[0].text, QStringLiteral("是否确定要修改！Y/N?"));
    EXPECT_EQ(seams.recorder.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Browse);
    EXPECT_EQ(child<QLineEdit>(screen, "edBMName")->text(), QStringLiteral("食品部"));
    EXPECT_EQ(scalar("SELECT BMName FROM dept WHERE BMNO = '01'"), QStringLiteral("食品部"));

    type(screen, "edBMName", QStringLiteral("副食部"));
    click(screen, "BitYes");  // Yes
    EXPECT_EQ(scalar("SELECT BMName FROM dept WHERE BMNO = '01'"), QStringLiteral("副食部"));
    EXPECT_EQ(count("RZ", "CZDZ = '修改' AND CS2 = '01'"), 1);
}

TEST_P(BaseInputTest, aDuplicateKeyKeepsTheNewRecordWithWhatWasTyped) {
    TfrmInputProductSpec screen;
    screen.show();
    click(screen, "BitAdd");
    type(screen, "edFLNo", QStringLiteral("01"));
    type(screen, "edFLName", QStringLiteral("重复分类"));
    click(screen, "BitYes");
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(seams.recorder.shown[0].caption, QStringLiteral("错误"));
    EXPECT_EQ(seams.recorder.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(seams.recorder.shown[0].text, kRefused);
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Insert);
    EXPECT_EQ(controls(screen), writing);
    EXPECT_EQ(child<QLineEdit>(screen, "edFLNo")->text(), QStringLiteral("01"));
    EXPECT_EQ(child<QLineEdit>(screen, "edFLName")->text(), QStringLiteral("重复分类"));
    EXPECT_EQ(count("RZ"), 0);

    // Corrected, the same record goes in.
    type(screen, "edFLNo", QStringLiteral("03"));
    click(screen, "BitYes");
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Browse);
    EXPECT_EQ(scalar("SELECT FLName FROM SPFLB WHERE FLNo = '03'"), QStringLiteral("重复分类"));
}

TEST_P(BaseInputTest, changingTheKeyMakesTheRecordWithTheNewKeyCurrent) {
    TfrmOfficeClerk screen;
    screen.show();
    ASSERT_TRUE(screen.Locate(QStringLiteral("002")));
    type(screen, "edZYNO", QStringLiteral("000"));
    click(screen, "BitYes");
    EXPECT_EQ(screen.currentKey(), QStringLiteral("000"));
    EXPECT_EQ(child<QTableView>(screen, "GBaseTable")->currentIndex().row(), 0);
    EXPECT_EQ(child<QLineEdit>(screen, "edNAME")->text(), QStringLiteral("李四"));
    EXPECT_EQ(count("RZ", "CZDZ = '修改' AND CS2 = '000' AND CS3 = '002'"), 1);
}

TEST_P(BaseInputTest, cancelDropsTheEditAndReturnsToTheRecord) {
    TfrmSupplyInput screen;
    screen.show();
    ASSERT_TRUE(screen.Locate(QStringLiteral("002")));
    type(screen, "edLXR", QStringLiteral("某人"));
    click(screen, "BitCancel");
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Browse);
    EXPECT_EQ(screen.currentKey(), QStringLiteral("002"));
    EXPECT_EQ(child<QLineEdit>(screen, "edLXR")->text(), QString());
    click(screen, "BitAdd");
    type(screen, "edCSNO", QStringLiteral("009"));
    click(screen, "BitCancel");
    EXPECT_EQ(screen.currentKey(), QStringLiteral("002"));
    EXPECT_EQ(count("CSB", "CSNO = '009'"), 0);
    EXPECT_EQ(count("RZ"), 0);
}

TEST_P(BaseInputTest, deleteAsksAndRefusesRowsInUse) {
    TfrmInputProductSpec screen;
    screen.show();
    ASSERT_TRUE(screen.Locate(QStringLiteral("01")));
    seams.recorder.replies = {MessageReply::Cancel};
    click(screen, "BitDelete");
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(seams.recorder.shown[0].caption, QStringLiteral("问题"));
    EXPECT_EQ(seams.recorder.shown[0].text, QStringLiteral("你确定要删除该记录吗？"));
    EXPECT_EQ(seams.recorder.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(count("SPFLB"), 2);

    seams.recorder.clear();
    click(screen, "BitDelete");
    EXPECT_EQ(seams.recorder.texts(), (QStringList{"你确定要删除该记录吗？", "不能删除记录，数据已被使用"}));
    EXPECT_EQ(seams.recorder.shown.back().caption, QStringLiteral("错误"));
    EXPECT_EQ(count("SPFLB"), 2);

    seams.recorder.clear();
    ASSERT_TRUE(screen.Locate(QStringLiteral("02")));
    click(screen, "BitDelete");
    EXPECT_EQ(seams.recorder.texts(), (QStringList{"你确定要删除该记录吗？", "删除记录成功！"}));
    EXPECT_EQ(count("SPFLB"), 1);
    EXPECT_EQ(screen.recordCount(), 1);
    EXPECT_EQ(count("RZ", "CZDZ = '删除' AND CS1 = 'SPFLB' AND CS2 = '02'"), 1);
}

// The delete used to report "删除记录成功！" for a row another till had already deleted.
TEST_P(BaseInputTest, deletingARowAnotherTillDeletedSaysNothingWasDeletedAndRefreshes) {
    TfrmInputProductSpec screen;
    screen.show();
    ASSERT_TRUE(screen.Locate(QStringLiteral("02")));
    openAnother()->execute(QStringLiteral("DELETE FROM SPFLB WHERE FLNo = '02'"));
    click(screen, "BitDelete");
    EXPECT_EQ(seams.recorder.texts(),
              (QStringList{"你确定要删除该记录吗？", "该记录已不存在（可能已被其他用户删除），没有删除任何记录！"}));
    EXPECT_EQ(screen.recordCount(), 1);
    EXPECT_EQ(count("RZ"), 0);
}

// Deleting one's own row, or the last operator who may open the rights editor, would lock
// the shop out of its operator rights.
TEST_P(BaseInputTest, operatorsWhoseDeletionWouldLockTheShopOutAreKept) {
    auto addOperator = [&](const char* no, bool rightsEditor) {
        db().execute(QStringLiteral("INSERT INTO BMAN(BNNO, BNNAME, BNPASSWORD) VALUES('%1', '操作员%1', 'x')").arg(QLatin1String(no)));
        db().execute(QStringLiteral("INSERT INTO SYSRIGHTSET(BNNO, RSFUN, RSNAME, RSRIGHT) VALUES('%1', 'miRightSet', '权限设置', %2)")
                         .arg(QLatin1String(no)).arg(rightsEditor ? 1 : 0));
    };
    addOperator("002", false);
    addOperator("003", true);
    addOperator("004", false);
    db().execute(QStringLiteral("UPDATE SYSRIGHTSET SET RSRIGHT = 0 WHERE BNNO = '001' AND RSFUN = 'miRightSet'"));
    TfrmInputOperator screen;  // 001 is logged in
    screen.show();
    struct Case { const char* no; const char* refusal; };
    const Case cases[] = {
        {"001", "不能删除当前登录的操作员！"},
        {"003", "不能删除最后一个拥有“权限设置”权限的操作员，否则将无人能设置操作员权限！"},
    };
    for (const Case& c : cases) {
        seams.recorder.clear();
        ASSERT_TRUE(screen.Locate(QString::fromLatin1(c.no)));
        click(screen, "BitDelete");
        EXPECT_EQ(seams.recorder.texts(), (QStringList{"你确定要删除该记录吗？", QString::fromUtf8(c.refusal)})) << c.no;
        EXPECT_EQ(seams.recorder.shown.back().caption, QStringLiteral("错误"));
        EXPECT_EQ(count("BMAN", QStringLiteral("BNNO = '%1'").arg(QLatin1String(c.no))), 1);
        EXPECT_EQ(count("SYSRIGHTSET", QStringLiteral("BNNO = '%1' AND RSFUN = 'miRightSet'").arg(QLatin1String(c.no))), 1);
    }
    // With a second holder of the right, 003 may go; one without the right always may.
    db().execute(QStringLiteral("UPDATE SYSRIGHTSET SET RSRIGHT = 1 WHERE BNNO = '002'"));
    for (const char* no : {"003", "004"}) {
        seams.recorder.clear();
        ASSERT_TRUE(screen.Locate(QString::fromLatin1(no)));
        click(screen, "BitDelete");
        EXPECT_EQ(seams.recorder.texts(), (QStringList{"你确定要删除该记录吗？", "删除记录成功！"})) << no;
    }
    EXPECT_EQ(count("BMAN", "BNNO IN ('003', '004')"), 0);
    EXPECT_EQ(count("BMAN", "BNNO IN ('001', '002')"), 2);
}

TEST_P(BaseInputTest, closingWithAPendingEditWritesNothing) {
    TfrmInputDept screen;
    screen.show();
    type(screen, "edBMName", QStringLiteral("不要的"));
    // A message box of the screen takes the focus without discarding the edit.
    screen.activateWindow();
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Edit);
    click(screen, "BitClose");
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Browse);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(scalar("SELECT BMName FROM dept WHERE BMNO = '01'"), QStringLiteral("食品部"));
    EXPECT_EQ(count("RZ"), 0);
}

TEST_P(BaseInputTest, withoutAllowEditTypingIsUndoneButAddingWorks) {
    TableDefinition d = ReferenceTables::departments();
    d.allowEdit = false;
    TfrmBaseInput screen(d);
    screen.show();
    type(screen, "edBMName", QStringLiteral("改"));
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Browse);
    EXPECT_EQ(controls(screen), browsing);
    EXPECT_EQ(child<QLineEdit>(screen, "edBMName")->text(), QStringLiteral("食品部"));
    click(screen, "BitAdd");
    type(screen, "edBMNO", QStringLiteral("02"));
    type(screen, "edBMName", QStringLiteral("新部门"));
    click(screen, "BitYes");
    EXPECT_EQ(count("dept"), 2);
}

TEST_P(BaseInputTest, textBoxesHoldAtMostTheColumnsWidthInGbkBytes) {
    TfrmInputDept screen;
    screen.show();
    click(screen, "BitAdd");
    type(screen, "edBMName", QStringLiteral("七个汉字的部门名"));
    EXPECT_EQ(child<QLineEdit>(screen, "edBMName")->text(), QStringLiteral("七个汉字的部"));
    type(screen, "edBMNO", QStringLiteral("12345"));
    EXPECT_EQ(child<QLineEdit>(screen, "edBMNO")->text(), QStringLiteral("123"));
    type(screen, "edBMName", QStringLiteral("ab七个汉字的部门"));
    EXPECT_EQ(child<QLineEdit>(screen, "edBMName")->text(), QStringLiteral("ab七个汉字的"));
}

// Every screen: caption, strip, grid titles, and what a new record starts with.
TEST_P(BaseInputTest, everyScreenOpensWithItsTitlesAndNewRecordDefaults) {
    struct Case {
        std::function<TfrmBaseInput*()> make;
        QString caption, strip;
        QStringList titles;
        const char* firstField;
        std::map<QString, QString> defaults;
    };
    const Case cases[] = {
        {[] { return new TfrmInputStore; }, "仓库维护", "仓库维护", {"编号", "名称", "类型"}, "edCKNO", {{"CKTYPE", "2"}}},
        {[] { return new TfrmInputProductUnit; }, "商品单位维护", "商品单位表", {"单位编号", "单位名称"}, "edDWBH", {}},
        {[] { return new TfrmInputDept; }, "部门信息维护", "部门表", {"部门编号", "部门名称"}, "edBMNO", {}},
        {[] { return new TfrmInputProductSpec; }, "商品分类维护", "商品分类表", {"分类编号", "分类名称"}, "edFLNo", {}},
        {[] { return new TfrmOfficeClerk; }, "工作人员信息维护", "工作人员信息", {"编号", "名称", "职务"}, "edZYNO", {{"ZW", "1"}}},
        {[] { return new TfrmClientInput; }, "客户维护", "客户表", {"编号", "名称", "联系人", "联系电话", "联系地址"}, "edKHNO", {}},
        {[] { return new TfrmInputOperator; }, "操作员信息维护", "操作员表", {"工号", "姓名", "职务"}, "edBNNO", {}},
        {[] { return new TfrmSupplyInput; }, "厂商维护", "厂商表", {"编号", "名称", "联系人", "联系电话", "联系地址"}, "edCSNO", {}},
        {[] { return new TfrmProductInput; }, "商品目录维护", "商品目录表", {"商品编码", "名称", "单位", "销售价", "库存上限", "库存下限"},
         "edProductSerialNo", {{"XSFS", "0"}, {"SPLB", ""}, {"QSGYS", ""}}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TfrmBaseInput> screen(c.make());
        screen->show();
        SCOPED_TRACE(c.caption.toStdString());
        EXPECT_EQ(screen->windowTitle(), c.caption);
        EXPECT_EQ(child<QLabel>(*screen, "Panel4")->text(), c.strip);
        const auto* grid = child<QTableView>(*screen, "GBaseTable")->model();
        QStringList titles;
        for (int i = 0; i < grid->columnCount(); ++i) titles << grid->headerData(i, Qt::Horizontal).toString();
        EXPECT_EQ(titles, c.titles);
        click(*screen, "BitAdd");
        EXPECT_EQ(screen->state(), TfrmBaseInput::DataState::Insert);
        EXPECT_EQ(screen->focusWidget(), child(*screen, c.firstField));
        for (const auto& [column, value] : c.defaults) EXPECT_EQ(screen->fieldText(column), value) << column.toStdString();
        click(*screen, "BitCancel");
        EXPECT_EQ(screen->state(), TfrmBaseInput::DataState::Browse);
        screen->close();
    }
    EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.texts().join('|').toStdString();
}

TEST_P(BaseInputTest, codeColumnsShowWordsAndTheRetailClientIsNotListed) {
    db().execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('003', '旧库', '7')"));
    TfrmInputStore stores;
    stores.show();
    EXPECT_EQ(gridColumn(stores, 2), (QStringList{"主库", "样品", ""}));
    click(stores, "BitAdd");
    EXPECT_TRUE(child<QRadioButton>(stores, "rgCKTYPE2")->isChecked());
    type(stores, "edCKNO", QStringLiteral("004"));
    type(stores, "edCKNAME", QStringLiteral("样品库"));
    QTest::mouseClick(child<QRadioButton>(stores, "rgCKTYPE1"), Qt::LeftButton);
    click(stores, "BitYes");
    EXPECT_EQ(scalar("SELECT CKTYPE FROM STORE WHERE CKNO = '004'"), QStringLiteral("1"));

    TfrmOfficeClerk staff;
    staff.show();
    EXPECT_EQ(gridColumn(staff, 2), (QStringList{"业务员", "营业员"}));

    TfrmClientInput clients;
    clients.show();
    EXPECT_EQ(gridColumn(clients, 0), (QStringList{"001"}));
}

TEST_P(BaseInputTest, operatorsAreGivenPasswordsInClearAndKeepOnlyHashes) {
    TfrmInputOperator screen;
    screen.show();
    const auto* grid = child<QTableView>(screen, "GBaseTable")->model();
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c) EXPECT_FALSE(grid->index(r, c).data().toString().startsWith(QStringLiteral("$")));
    EXPECT_EQ(child<QLineEdit>(screen, "edBNPASSWORD")->text(), QString());
    click(screen, "BitAdd");
    type(screen, "edBNNO", QStringLiteral("007"));
    type(screen, "edBNNAME", QStringLiteral("收银甲"));
    type(screen, "edBNPASSWORD", QStringLiteral("12345678901"));
    EXPECT_EQ(child<QLineEdit>(screen, "edBNPASSWORD")->text(), QStringLiteral("1234567890"));
    click(screen, "BitYes");
    EXPECT_TRUE(db::Passwords::verify(QStringLiteral("1234567890"), scalar("SELECT BNPASSWORD FROM BMAN WHERE BNNO = '007'")));
    EXPECT_EQ(child<QLineEdit>(screen, "edBNPASSWORD")->text(), QString());
}

class ProductInputTest : public BaseInputTest {};

TEST_P(ProductInputTest, searchShowsTheLastBusinessDateEvenForAnUnknownCode) {
    db().execute(QStringLiteral("INSERT INTO QTJHDMXB(WLNO, SPNO, SL, CKNO, WLTYPE, CZRQ) "
                                "VALUES('W1', 'P0002', 1, '001', '进货', '2024-03-05 10:00:00')"));
    TfrmProductInput screen;
    screen.show();
    type(screen, "edFindProductNo", QStringLiteral("P0002"));
    click(screen, "bitFind");
    EXPECT_EQ(screen.currentKey(), QStringLiteral("P0002"));
    EXPECT_TRUE(child<QLabel>(screen, "pnLastDate")->text().startsWith(QStringLiteral("2024-03-05")));
    EXPECT_TRUE(seams.recorder.shown.empty());

    type(screen, "edFindProductNo", QStringLiteral("p0002"));  // codes are exact text
    click(screen, "bitFind");
    EXPECT_EQ(seams.recorder.texts(), QStringList{"没有该商品信息，请重新录入！"});
    EXPECT_EQ(screen.currentKey(), QStringLiteral("P0002"));
    EXPECT_EQ(child<QLabel>(screen, "pnLastDate")->text(), QString());
    EXPECT_EQ(child<QLineEdit>(screen, "edFindProductNo")->selectedText(), QStringLiteral("p0002"));
}

TEST_P(ProductInputTest, theCodeGeneratorFillsTheCodeBoxWhileANewProductIsTyped) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('69011041', 'a')"));
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('69011007', 'b')"));
    TfrmProductInput screen;
    screen.show();
    auto* autoCode = child<QCheckBox>(screen, "cbAutoSPNO");
    auto* code = child<QLineEdit>(screen, "edProductSerialNo");

    // Browsing: a 5-character box does nothing; any other length is explained.
    screen.Locate(QStringLiteral("P0001"));
    QTest::mouseClick(autoCode, Qt::LeftButton);
    EXPECT_TRUE(seams.recorder.shown.empty());
    EXPECT_EQ(code->text(), QStringLiteral("P0001"));
    screen.Locate(QStringLiteral("69011041"));
    QTest::mouseClick(autoCode, Qt::LeftButton);  // untick
    EXPECT_EQ(seams.recorder.texts(), QStringList{"自动生成商品编码长度为8位，其中前5位人工输入，后3为自动生成，请检查重新录入！"});
    EXPECT_EQ(code->text(), QStringLiteral("69011041"));
    EXPECT_EQ(screen.state(), TfrmBaseInput::DataState::Browse);
    QTest::mouseClick(autoCode, Qt::LeftButton);  // ticked again for the new product
    seams.recorder.clear();

    click(screen, "BitAdd");
    EXPECT_FALSE(child<QCheckBox>(screen, "DBCheckBox1")->isChecked());
    type(screen, "edProductSerialNo", QStringLiteral("69011"));
    QTest::mouseClick(autoCode, Qt::LeftButton);  // unticking generates too
    EXPECT_EQ(code->text(), QStringLiteral("69011042"));
    QTest::mouseClick(autoCode, Qt::LeftButton);
    seams.recorder.clear();
    // Enter in the code box with the switch on generates again from five characters.
    type(screen, "edProductSerialNo", QStringLiteral("12345"));
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(code->text(), QStringLiteral("12345001"));
    EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.texts().join('|').toStdString();

    type(screen, "edProductName", QStringLiteral("新商品"));
    child<LookupComboBox>(screen, "lcbKind");
    screen.setFieldText(QStringLiteral("SPLB"), QStringLiteral("02"));
    screen.setFieldText(QStringLiteral("SPDW"), QStringLiteral("箱"));
    type(screen, "edPrice", QStringLiteral("12.5"));
    click(screen, "BitYes");
    EXPECT_EQ(count("SPB", "SPNO = '12345001' AND SPLB = '02' AND SPDW = '箱' AND XSFS = 0 AND QSGYS IS NULL"), 1);
    EXPECT_EQ(screen.currentKey(), QStringLiteral("12345001"));
}

// A catalogue of several pages: the grid reads the pages it shows, and moving to the end,
// searching, changing and deleting a product far down the list work as on a short list.
TEST_P(ProductInputTest, aCatalogueOfManyPagesIsBrowsedSearchedAndChangedAsAShortOne) {
    const int added = RecordPages::PageSize * 2 + 50;
    QStringList keys{QStringLiteral("P0001"), QStringLiteral("P0002")};  // category 01 first
    {
        db::Transaction tx(db());
        db::Statement add(tx, QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPLB, BZJG) VALUES(:no, :name, '02', 1)"));
        for (int i = 0; i < added; ++i) {
            keys << QStringLiteral("M%1").arg(i, 4, 10, QLatin1Char('0'));
            add.bind(QStringLiteral(":no"), keys.back()).bind(QStringLiteral(":name"), QStringLiteral("商品%1").arg(i)).exec();
        }
        tx.commit();
    }
    TfrmProductInput screen;
    screen.show();
    EXPECT_EQ(screen.recordCount(), added + 2);
    EXPECT_EQ(screen.panelText(1), QStringLiteral("共 %1 条记录").arg(added + 2));
    EXPECT_EQ(gridColumn(screen, 0), keys);

    QTest::mouseClick(child<QToolButton>(screen, "NgLast"), Qt::LeftButton);
    EXPECT_EQ(screen.currentKey(), keys.back());
    EXPECT_EQ(child<QLineEdit>(screen, "edProductName")->text(), QStringLiteral("商品%1").arg(added - 1));
    EXPECT_FALSE(child<QToolButton>(screen, "NgNext")->isEnabled());

    type(screen, "edFindProductNo", QStringLiteral("M0321"));
    click(screen, "bitFind");
    EXPECT_EQ(screen.currentKey(), QStringLiteral("M0321"));
    EXPECT_EQ(child<QTableView>(screen, "GBaseTable")->currentIndex().row(), keys.indexOf(QStringLiteral("M0321")));

    // Moved to the first category by a change: found again at its new place.
    screen.setFieldText(QStringLiteral("SPLB"), QStringLiteral("01"));
    seams.recorder.replies = {MessageReply::Yes};
    click(screen, "BitYes");
    EXPECT_EQ(screen.currentKey(), QStringLiteral("M0321"));
    EXPECT_EQ(child<QTableView>(screen, "GBaseTable")->currentIndex().row(), 0);  // M before P
    EXPECT_EQ(count("SPB", "SPNO = 'M0321' AND SPLB = '01'"), 1);

    ASSERT_TRUE(screen.Locate(QStringLiteral("M0400")));
    seams.recorder.clear();
    click(screen, "BitDelete");
    EXPECT_EQ(seams.recorder.texts(), (QStringList{"你确定要删除该记录吗？", "删除记录成功！"}));
    EXPECT_EQ(screen.currentKey(), QStringLiteral("M0401"));  // the next one takes its row
    EXPECT_EQ(screen.recordCount(), added + 1);
    EXPECT_EQ(count("SPB", "SPNO = 'M0400'"), 0);
}

TEST_P(ProductInputTest, importFromTheScreenIsAllOrNothing) {
    TfrmProductInput screen;
    screen.show();
    QTemporaryFile bad;
    ASSERT_TRUE(bad.open());
    bad.write(QStringLiteral("商品编码,商品名称,销售价格\nI1,好,1\nI2,坏,x\n").toUtf8());
    bad.close();
    screen.importProducts(bad.fileName());
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(seams.recorder.shown[0].caption, QStringLiteral("错误"));
    EXPECT_TRUE(seams.recorder.shown[0].text.contains(QStringLiteral("第3行"))) << seams.recorder.shown[0].text.toStdString();
    EXPECT_EQ(count("SPB", "SPNO LIKE 'I%'"), 0);

    QTemporaryFile good;
    ASSERT_TRUE(good.open());
    good.write(QStringLiteral("商品编码,商品名称,销售价格\nI1,好,1\nI2,也好,2\n").toUtf8());
    good.close();
    seams.recorder.clear();
    screen.importProducts(good.fileName());
    EXPECT_EQ(seams.recorder.texts(), QStringList{"已导入 2 个商品。"});
    EXPECT_EQ(screen.recordCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(Backends, BaseInputTest, ::testing::ValuesIn(backends()), backendName);
INSTANTIATE_TEST_SUITE_P(Backends, ProductInputTest, ::testing::ValuesIn(backends()), backendName);
