#include "DbTest.h"
#include "GuiTest.h"
#include "StocktakeShop.h"

#include "app/LookupComboBox.h"
#include "app/ScreenRegistry.h"
#include "db/Periods.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/Stocktake.h"
#include "db/Transaction.h"
#include "query/QueryRowSource.h"
#include "stock/TfrmCheckedData.h"
#include "stock/TfrmInitChecked.h"
#include "stock/TfrmProgress.h"

#include <QDateEdit>
#include <QProgressBar>
#include <QThread>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <memory>

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

class StocktakeScreenTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        stocktake_shop::install(db());
        session().OperatorNo = QStringLiteral("001");
        seams = std::make_unique<GuiSeams>();
    }
    void TearDown() override {
        counting.reset();
        seams.reset();
        DbTest::TearDown();
    }

    void initialise() { db::Stocktake(db()).initialise(QDate(2024, 3, 1), QDate(2024, 3, 31)); }

    TfrmCheckedData& openCounting() {
        counting = std::make_unique<TfrmCheckedData>();
        counting->show();
        QApplication::setActiveWindow(counting.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(counting.get()));
        return *counting;
    }
    template <typename T = QLineEdit>
    T* ctl(const char* name) const {
        T* c = counting->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void chooseStore(const QString& store) {
        ctl<LookupComboBox>("lcbStore")->setKeyValue(store);
        counting->RefreshCheckedTable();
    }
    void typeEnter(const char* name, const QString& text) {
        QLineEdit* e = ctl(name);
        e->setFocus();
        QCoreApplication::processEvents();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    void countLine(const QString& product, const QString& quantity) {
        typeEnter("edProductNo", product);
        typeEnter("edCount", quantity);
    }
    QStringList line(int n) const {
        return {counting->cell(n, 0), counting->cell(n, 1), counting->cell(n, 2), counting->cell(n, 3)};
    }
    double counted(const char* product, const char* store) {
        return scalar(QStringLiteral("SELECT CKPDSL FROM YPDSJB WHERE SPNO = '%1' AND CKNO = '%2'")
                          .arg(QLatin1String(product), QLatin1String(store))).toDouble();
    }
    QStringList messages() const { return seams->recorder.texts(); }

    std::unique_ptr<GuiSeams> seams;
    std::unique_ptr<TfrmCheckedData> counting;
};

}  // namespace

TEST_P(StocktakeScreenTest, initialisationAsksTwiceAndFillsTheTableOnce) {
    struct Case { const char* name; std::vector<MessageReply> replies; qint64 rows; };
    const Case cases[] = {
        {"cancel at the first question", {MessageReply::Cancel}, 0},
        {"cancel at the second question", {MessageReply::Ok, MessageReply::Cancel}, 0},
        {"two OKs", {MessageReply::Ok, MessageReply::Ok}, 6},
    };
    const db::Period period = db::Periods(db()).current();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seams->recorder.clear();
        seams->recorder.replies.assign(c.replies.begin(), c.replies.end());
        TfrmInitChecked screen;
        EXPECT_EQ(screen.control<QDateEdit>(u("dtBeginDate"))->date(), period.begin);
        EXPECT_EQ(screen.control<QDateEdit>(u("dtEndDate"))->date(), period.end);
        EXPECT_FALSE(screen.control<QDateEdit>(u("dtBeginDate"))->isEnabled());
        screen.control<QPushButton>(u("bitYes"))->click();
        EXPECT_EQ(count(QStringLiteral("YPDSJB")), c.rows);
        EXPECT_EQ(screen.control<QPushButton>(u("bitYes"))->isEnabled(), c.rows == 0);
    }
    EXPECT_EQ(seams->recorder.lastText(), u("初始化已完成！"));
}

TEST_P(StocktakeScreenTest, progressWindowRunsAStepOnAConnectionAndThreadOfItsOwn) {
    TfrmProgress progress;
    const QThread* screenThread = QThread::currentThread();
    const QThread* stepThread = nullptr;
    progress.runOnOwnConnection(db().url(), [&](db::Connection& own, const TfrmProgress::Report& report) {
        stepThread = QThread::currentThread();
        EXPECT_NE(&own, &db());
        db::Transaction tx(own);
        own.execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('003', '三号库', '0')"));
        report(1, 2);
        tx.commit();
        report(2, 2);
    });
    EXPECT_NE(stepThread, nullptr);
    EXPECT_NE(stepThread, screenThread);
    EXPECT_EQ(count(QStringLiteral("STORE"), QStringLiteral("CKNO = '003'")), 1);
    EXPECT_EQ(progress.gauge()->value(), 100);

    // A step that fails rolls back what it wrote and its error reaches the caller.
    EXPECT_THROW(progress.runOnOwnConnection(db().url(), [](db::Connection& own, const TfrmProgress::Report&) {
        db::Transaction tx(own);
        own.execute(QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES('004', '四号库', '0')"));
        throw db::Error(QStringLiteral("the step failed"));
    }), db::Error);
    EXPECT_EQ(count(QStringLiteral("STORE"), QStringLiteral("CKNO = '004'")), 0);
}

TEST_P(StocktakeScreenTest, reinitialisingNamesTheCountsItWouldReplace) {
    initialise();
    db::Stocktake(db()).saveCounts({{QStringLiteral("A"), QStringLiteral("001"), 7}});
    for (MessageReply third : {MessageReply::Cancel, MessageReply::Ok}) {
        seams->recorder.clear();
        seams->recorder.replies = {MessageReply::Ok, MessageReply::Ok, third};
        TfrmInitChecked screen;
        screen.control<QPushButton>(u("bitYes"))->click();
        ASSERT_GE(seams->recorder.shown.size(), 3u);
        EXPECT_TRUE(seams->recorder.shown[2].text.contains(u("其中 1 条已录入盘点数量但尚未更新库存")))
            << seams->recorder.shown[2].text.toStdString();
        EXPECT_EQ(counted("A", "001"), third == MessageReply::Cancel ? 7 : 0);
    }
    EXPECT_EQ(seams->recorder.lastText(), u("初始化已完成！"));
}

TEST_P(StocktakeScreenTest, countsMergePerProductAndStoreNewestOnTop) {
    initialise();
    openCounting();
    chooseStore(QStringLiteral("001"));
    typeEnter("edProductNo", QStringLiteral("A"));
    EXPECT_EQ(ctl("edProductName")->text(), u("甲商品"));
    typeEnter("edCount", QStringLiteral("2"));
    countLine(QStringLiteral("A"), QStringLiteral("3.5"));
    countLine(QStringLiteral("B"), QStringLiteral("1"));
    chooseStore(QStringLiteral("002"));
    countLine(QStringLiteral("A"), QStringLiteral("4"));
    ASSERT_EQ(counting->lineCount(), 3);
    EXPECT_EQ(line(0), (QStringList{"A", u("甲商品"), "4", "002"}));
    EXPECT_EQ(line(1), (QStringList{"B", u("乙商品"), "1", "001"}));
    EXPECT_EQ(line(2), (QStringList{"A", u("甲商品"), "5.5", "001"}));
    EXPECT_EQ(ctl<QTableWidget>("sgCheckedData")->rowCount(), 4);  // always one empty line below
    EXPECT_TRUE(ctl<QPushButton>("bitSave")->isEnabled());
    EXPECT_TRUE(messages().isEmpty());

    // Refused entries: an unknown code, a count that is not a number or negative.
    typeEnter("edProductNo", QStringLiteral("nope"));
    for (const char* bad : {"x", "-1"}) {
        typeEnter("edProductNo", QStringLiteral("A"));
        typeEnter("edCount", QString::fromLatin1(bad));
    }
    EXPECT_EQ(messages(), (QStringList{u("商品代码录入信息有误，请重新录入！"), u("数据有误，请重新输入！"),
                                       u("数据有误，请重新输入！")}));
    EXPECT_EQ(counting->lineCount(), 3);
    // 删除 takes the selected line away.
    ctl<QTableWidget>("sgCheckedData")->selectRow(1);
    ctl<QTableWidget>("sgCheckedData")->setCurrentCell(1, 0);
    ctl<QPushButton>("bitDelete")->click();
    EXPECT_EQ(counting->lineCount(), 2);
    EXPECT_EQ(line(1)[3], QStringLiteral("001"));
}

TEST_P(StocktakeScreenTest, aCountWithoutAStoreIsRefused) {
    initialise();
    openCounting();
    countLine(QStringLiteral("A"), QStringLiteral("2"));
    EXPECT_EQ(messages(), QStringList{u("请先选择仓库！")});
    EXPECT_EQ(counting->lineCount(), 0);
}

TEST_P(StocktakeScreenTest, savingWritesEveryLineOrNothingAndKeepsTheLinesOnFailure) {
    initialise();
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('D', '丁商品')"));  // after initialisation
    openCounting();
    chooseStore(QStringLiteral("001"));
    countLine(QStringLiteral("A"), QStringLiteral("6"));
    countLine(QStringLiteral("D"), QStringLiteral("1"));
    ctl<QPushButton>("bitSave")->click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains(QStringLiteral("D")) && messages()[0].contains(QStringLiteral("001"))) << messages()[0].toStdString();
    EXPECT_EQ(counting->lineCount(), 2);
    EXPECT_EQ(counted("A", "001"), 0);

    ctl<QTableWidget>("sgCheckedData")->setCurrentCell(0, 0);  // D, the newest
    ctl<QPushButton>("bitDelete")->click();
    seams->recorder.clear();
    ctl<QPushButton>("bitSave")->click();
    EXPECT_EQ(messages(), QStringList{u("数据已保存！")});
    EXPECT_EQ(counted("A", "001"), 6);
    EXPECT_EQ(counting->lineCount(), 0);
    EXPECT_FALSE(ctl<QPushButton>("bitSave")->isEnabled());
    // The right grid shows the store's rows with the new count.
    query::QueryRowSource& rows = counting->checkedRows();
    ASSERT_EQ(rows.totalRows(), 3);
    EXPECT_EQ(rows.value(0, 0).toString(), QStringLiteral("A"));
    EXPECT_EQ(rows.value(0, 3).toDouble(), 6);
}

TEST_P(StocktakeScreenTest, updatingAppliesTheCountsToTheStock) {
    initialise();
    openCounting();
    chooseStore(QStringLiteral("001"));
    countLine(QStringLiteral("A"), QStringLiteral("6"));
    ctl<QPushButton>("bitSave")->click();
    seams->recorder.clear();
    ctl<QPushButton>("bitUpdate")->click();
    EXPECT_EQ(messages(), QStringList{u("更新完毕！")});
    EXPECT_EQ(scalar(QStringLiteral("SELECT KCSL FROM KCYEB WHERE SPNO = 'A' AND CKNO = '001'")).toDouble(), 6);
    EXPECT_EQ(counting->checkedRows().value(0, 4).toDouble(), -2);  // 损益数量
}

TEST_P(StocktakeScreenTest, countsSavedAfterTheScreensInitialisationAreStored) {
    seams->recorder.replies = {MessageReply::Ok, MessageReply::Ok};
    {
        TfrmInitChecked screen;
        screen.control<QPushButton>(u("bitYes"))->click();
    }
    ASSERT_EQ(seams->recorder.lastText(), u("初始化已完成！"));
    openCounting();
    chooseStore(QStringLiteral("001"));
    countLine(QStringLiteral("A"), QStringLiteral("5"));
    seams->recorder.clear();
    ctl<QPushButton>("bitSave")->click();
    EXPECT_EQ(messages(), QStringList{u("数据已保存！")});
    EXPECT_EQ(counted("A", "001"), 5);
    EXPECT_EQ(counting->checkedRows().value(0, 3).toDouble(), 5);
}

TEST_P(StocktakeScreenTest, closingWithUnsavedLinesIsRefused) {
    initialise();
    openCounting();
    chooseStore(QStringLiteral("001"));
    // A code never confirmed with Enter is a count all the same.
    ctl("edProductNo")->setText(QStringLiteral("B"));
    typeEnter("edCount", QStringLiteral("3"));
    ASSERT_EQ(counting->lineCount(), 1);
    EXPECT_TRUE(counting->cell(0, 1).isEmpty());
    EXPECT_FALSE(counting->close());
    EXPECT_TRUE(counting->isVisible());
    EXPECT_EQ(messages(), QStringList{u("没有更新已录入盘点数据，退出将会造成库存数据错误！")});
    EXPECT_EQ(seams->recorder.shown.back().caption, u("警告"));
    EXPECT_EQ(QApplication::focusWidget(), ctl<QPushButton>("bitUpdate"));

    ctl<QPushButton>("bitClear")->click();
    EXPECT_TRUE(counting->close());
}

TEST_P(StocktakeScreenTest, searchMovesTheGridToTheProduct) {
    initialise();
    openCounting();
    chooseStore(QStringLiteral("001"));
    typeEnter("edSerchProductNo", QStringLiteral("B"));
    EXPECT_EQ(ctl("edSerchProductName")->text(), u("乙商品"));
    EXPECT_EQ(ctl<QTableView>("dbgCheckedData")->currentIndex().row(), 1);
    typeEnter("edSerchProductNo", QStringLiteral("nope"));
    EXPECT_EQ(messages(), QStringList{u("没有该商品信息，请重新录入！")});
}

TEST_P(StocktakeScreenTest, menuItemsOpenTheScreens) {
    ScreenRegistry registry;
    registerStockScreens(registry);
    for (const char* item : {"miInitChec", "miChecked"}) EXPECT_TRUE(registry.has(QString::fromLatin1(item))) << item;
}

INSTANTIATE_TEST_SUITE_P(Backends, StocktakeScreenTest, ::testing::ValuesIn(backends()), backendName);
