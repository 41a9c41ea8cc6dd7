#include "SaleScreenTest.h"

#include "app/LookupComboBox.h"

#include <array>
#include <vector>

class PosScreenTest : public SaleScreenTest {};

TEST_P(PosScreenTest, opensOnTheRetailStoreWithTheCashierAndAnEmptySale) {
    TfrmPOS& screen = open();
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("零售业务处理"));
    EXPECT_EQ(screen.storeNo(), QStringLiteral("001"));
    EXPECT_EQ(ctl<QLabel>("pnSellsName")->text(), QStringLiteral("系统管理员"));
    EXPECT_EQ(ctl<QLabel>("pnSellsCount")->text(), QStringLiteral("0"));
    EXPECT_EQ(text("edRebate"), QStringLiteral("100"));
    EXPECT_EQ(focused(), ctl("edName"));
    // Promoters only (ZW = '1').
    EXPECT_EQ(ctl<QTableWidget>("DBGrid1")->rowCount(), 2);
    EXPECT_EQ(frmPOS(), &screen);
}

TEST_P(PosScreenTest, aKnownCodeFillsTheLineBoxesAnUnknownOrOverlongOneIsRefused) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG) VALUES('1234567890123456', '长码商品', '个', 1)"));
    open();
    choosePromoter(QStringLiteral("101"));
    EXPECT_EQ(text("edOffName"), QStringLiteral("张三"));
    EXPECT_EQ(focused(), ctl("edProductNo"));

    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edProductName"), QStringLiteral("甲商品"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("5"));
    EXPECT_EQ(text("edMemPrice"), QStringLiteral("4"));
    EXPECT_EQ(text("edCount"), QStringLiteral("1"));
    EXPECT_EQ(text("edDw"), QStringLiteral("个"));
    EXPECT_EQ(text("edSellCount"), QStringLiteral("18"));
    EXPECT_EQ(focused(), ctl("edPrice"));
    EXPECT_EQ(ctl("edPrice")->selectedText(), QStringLiteral("5"));
    EXPECT_TRUE(messageTexts().isEmpty());

    for (const QString& code : {QStringLiteral("a"), QStringLiteral("ZZZ"), QStringLiteral("1234567890123456")}) {
        seams->recorder.clear();
        scan(code);
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("该商品编号不存在，请重新输入或与管理员联系！")}) << code.toStdString();
        EXPECT_EQ(seams->recorder.shown.front().caption, QStringLiteral("信息提示"));
        EXPECT_EQ(focused(), ctl("edProductNo"));
        EXPECT_EQ(text("edProductName"), QStringLiteral("甲商品"));  // nothing else changes
    }
}

TEST_P(PosScreenTest, anUnknownPromoterIsRefusedAndKeepsTheFocus) {
    open();
    choosePromoter(QStringLiteral("201"));   // staff, but not a promoter
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("该员工号不存在，请重新输入！！！")});
    EXPECT_EQ(seams->recorder.shown.front().caption, QStringLiteral("警告"));
    EXPECT_EQ(focused(), ctl("edOffNO"));
}

TEST_P(PosScreenTest, aPriceBelowTheFloorIsRefusedTheFloorItselfAccepted) {
    open();
    choosePromoter(QStringLiteral("101"));
    scan(QStringLiteral("A"));
    typeInto("edPrice", QStringLiteral("3.99"));
    enter("edPrice");
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("对不起，销售价不能低于最低销售价格，请重新输入！！！")});
    EXPECT_EQ(focused(), ctl("edPrice"));
    seams->recorder.clear();
    typeInto("edPrice", QStringLiteral("4"));
    enter("edPrice");
    EXPECT_TRUE(messageTexts().isEmpty());
    EXPECT_EQ(focused(), ctl("edCount"));
}

TEST_P(PosScreenTest, quantityChecksRunInOrderAndAQuantityEqualToTheSaleableOneIsAccepted) {
    sales_shop::checkStock(db(), true);
    open();
    struct Case { const char* quantity; const char* message; };
    const Case refused[] = {
        {"abc", "输入非法数量数据，请重新输入！"},
        {"-1", "数量不能输入负数，请重新输入！"},
        {"18.5", "销售数量大于可销售数量，请重新录入！"},
    };
    choosePromoter(QStringLiteral("101"));
    scan(QStringLiteral("A"));
    for (const Case& c : refused) {
        seams->recorder.clear();
        typeInto("edCount", QString::fromUtf8(c.quantity));
        enter("edCount");
        EXPECT_EQ(messageTexts(), QStringList{QString::fromUtf8(c.message)}) << c.quantity;
        EXPECT_EQ(focused(), ctl("edCount")) << c.quantity;
        EXPECT_EQ(gridRows(), 0);
    }
    seams->recorder.clear();
    typeInto("edCount", QStringLiteral("18"));
    enter("edCount");
    EXPECT_TRUE(messageTexts().isEmpty());
    EXPECT_EQ(gridRows(), 1);
    // Ready for the next line: the code emptied, the promoter box focused.
    EXPECT_TRUE(text("edProductNo").isEmpty());
    EXPECT_EQ(focused(), ctl("edOffNO"));
    // The saleable quantity of the next lookup counts what the sale already holds.
    choosePromoter(QStringLiteral("101"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edSellCount"), QStringLiteral("0"));
    typeInto("edCount", QStringLiteral("1"));
    enter("edCount");
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("销售数量大于可销售数量，请重新录入！")});
}

TEST_P(PosScreenTest, enterInTheQuantityBoxNeedsAPromoterAndTheLookedUpProduct) {
    open();
    scan(QStringLiteral("A"));
    typeInto("edCount", QStringLiteral("1"));
    enter("edCount");   // no promoter number: nothing happens
    EXPECT_EQ(gridRows(), 0);
    EXPECT_TRUE(messageTexts().isEmpty());

    choosePromoter(QStringLiteral("101"));
    scan(QStringLiteral("A"));
    typeInto("edProductNo", QStringLiteral("B"));   // typed over, not looked up
    typeInto("edCount", QStringLiteral("1"));
    enter("edCount");
    EXPECT_EQ(gridRows(), 0);
    EXPECT_EQ(focused(), ctl("edProductNo"));
}

TEST_P(PosScreenTest, equalLinesMergeAPriceTypedWithATrailingZeroIsAnotherLine) {
    TfrmPOS& screen = open();
    keyLine(QStringLiteral("C"), QStringLiteral("3.5"), QStringLiteral("1"));
    keyLine(QStringLiteral("C"), QStringLiteral("3.50"), QStringLiteral("1"), QStringLiteral("102"));
    keyLine(QStringLiteral("C"), QStringLiteral("3.5"), QStringLiteral("1.5"));
    ASSERT_TRUE(messageTexts().isEmpty()) << messageTexts().join(u'|').toStdString();
    ASSERT_EQ(gridRows(), 2);
    EXPECT_EQ(ctl<QLabel>("pnSellsCount")->text(), QStringLiteral("2"));
    // Newest line on top; the merge went into the older line.
    const QStringList top = {cell(0, 1), cell(0, 2), cell(0, 3), cell(0, 4), cell(0, 5), cell(0, 6),
                             cell(0, 7), cell(0, 8), cell(0, 9), cell(0, 10), cell(0, 11), cell(0, 12)};
    EXPECT_EQ(top, (QStringList{QStringLiteral("C"), QStringLiteral("丙商品"), QStringLiteral("3.50"), QStringLiteral("100"),
                                QStringLiteral("1"), QStringLiteral("3.50"), QStringLiteral("1.5"), QStringLiteral("1.50"),
                                QStringLiteral("主库"), QStringLiteral("瓶"), QStringLiteral("李四"), QStringLiteral("102")}));
    EXPECT_EQ(cell(1, 3), QStringLiteral("3.5"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("2.5"));
    EXPECT_EQ(cell(1, 6), QStringLiteral("8.75"));
    EXPECT_EQ(cell(1, 8), QStringLiteral("3.75"));
    EXPECT_EQ(screen.saleLines().total().toString(), QStringLiteral("12.25"));
}

TEST_P(PosScreenTest, deleteRemovesTheSelectedLineClearEmptiesTheSale) {
    TfrmPOS& screen = open();
    keyLine(QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("1"));
    keyLine(QStringLiteral("B"), QStringLiteral("12.5"), QStringLiteral("2"));
    keyLine(QStringLiteral("C"), QStringLiteral("2"), QStringLiteral("3"));
    ASSERT_EQ(gridRows(), 3);
    auto* grid = ctl<QTableWidget>("sgSellsData");
    grid->setCurrentCell(1, 1);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F8);
    ASSERT_EQ(gridRows(), 2);
    EXPECT_EQ(cell(0, 1), QStringLiteral("C"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("A"));
    EXPECT_EQ(ctl<QLabel>("pnSellsCount")->text(), QStringLiteral("2"));
    EXPECT_EQ(focused(), ctl("edProductNo"));

    // Nothing selected: nothing deleted, the count stays equal to the lines.
    grid->setCurrentCell(-1, -1);
    screen.bitDeleteClick();
    EXPECT_EQ(gridRows(), 2);

    QTest::keyClick(ctl("edProductNo"), Qt::Key_F9);
    EXPECT_EQ(gridRows(), 0);
    EXPECT_EQ(ctl<QLabel>("pnSellsCount")->text(), QStringLiteral("0"));
    EXPECT_TRUE(screen.saleLines().isEmpty());
    screen.bitDeleteClick();   // on an empty sale
    EXPECT_EQ(ctl<QLabel>("pnSellsCount")->text(), QStringLiteral("0"));
    // The promoter and the customer survive a clear.
    EXPECT_EQ(text("edOffNO"), QStringLiteral("101"));
}

TEST_P(PosScreenTest, settlementOnAnEmptySaleIsRefusedAndOpensNothing) {
    open();
    QTest::keyClick(ctl("edName"), Qt::Key_F1);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("无销售纪录,不可存盘！！！")});
    EXPECT_EQ(seams->recorder.shown.front().caption, QStringLiteral("警告"));
    EXPECT_EQ(seams->runner.opened, 0);
    seams->recorder.clear();
    QTest::keyClick(ctl("edName"), Qt::Key_F5);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("无销售纪录,不可刷卡！！！")});
}

TEST_P(PosScreenTest, changingTheStoreAsksAndNoKeepsSaleAndStore) {
    TfrmPOS& screen = open();
    keyLine(QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("1"));
    auto* store = ctl<LookupComboBox>("lcbRetailStore");
    seams->recorder.replies.push_back(MessageReply::No);
    store->setKeyValue(QStringLiteral("002"));
    Q_EMIT store->activated(store->currentIndex());
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("更换库位将清除当前所售商品，确定要更换库位吗？")});
    EXPECT_EQ(screen.storeNo(), QStringLiteral("001"));
    EXPECT_EQ(gridRows(), 1);

    seams->recorder.replies.push_back(MessageReply::Yes);
    store->setKeyValue(QStringLiteral("002"));
    Q_EMIT store->activated(store->currentIndex());
    EXPECT_EQ(screen.storeNo(), QStringLiteral("002"));
    EXPECT_EQ(gridRows(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, PosScreenTest, ::testing::ValuesIn(backends()), backendName);

TEST_P(PosScreenTest, escapeNeitherClosesTheScreenNorDropsTheSale) {
    TfrmPOS& screen = open();
    keyLine(QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("1"));
    for (const char* box : {"edProductNo", "edCount", "edName"}) {
        ctl(box)->setFocus();
        QTest::keyClick(ctl(box), Qt::Key_Escape);
        EXPECT_TRUE(screen.isVisible()) << box;
        EXPECT_EQ(screen.result(), QDialog::Rejected);
        EXPECT_EQ(gridRows(), 1) << box;
    }
    EXPECT_TRUE(messageTexts().isEmpty());
}

TEST_P(PosScreenTest, keypadEnterKeysALineAsTheOtherEnterDoes) {
    open();
    choosePromoter(QStringLiteral("101"));
    typeInto("edProductNo", QStringLiteral("A"));
    QTest::keyClick(ctl("edProductNo"), Qt::Key_Enter, Qt::KeypadModifier);
    settle();
    EXPECT_EQ(focused(), ctl("edPrice"));
    QTest::keyClick(ctl("edPrice"), Qt::Key_Enter, Qt::KeypadModifier);
    settle();
    EXPECT_EQ(focused(), ctl("edCount"));
    QTest::keyClick(ctl("edCount"), Qt::Key_Enter, Qt::KeypadModifier);
    settle();
    EXPECT_EQ(gridRows(), 1);
    EXPECT_EQ(focused(), ctl("edOffNO"));
}

TEST_P(PosScreenTest, aLineOrSaleBeyondTheLargestAmountIsRefusedBeforeAnyArithmetic) {
    struct Case { const char* name; std::vector<std::array<const char*, 3>> accepted; std::array<const char*, 3> refused; };
    const Case cases[] = {
        // Three fast scans that landed in code, price and quantity.
        {"scans in the wrong boxes", {}, {"A", "10002005", "10001002"}},
        {"one line just beyond", {}, {"A", "50000000001", "2"}},
        {"a merge that goes beyond", {{"A", "50000000000", "1"}}, {"A", "50000000000", "1.5"}},
        {"a sale total beyond", {{"A", "60000000000", "1"}}, {"B", "60000000000", "1"}},
    };
    for (const Case& c : cases) {
        pos.reset();
        seams->recorder.clear();
        TfrmPOS& screen = open();
        for (const auto& [code, price, quantity] : c.accepted)
            keyLine(QString::fromLatin1(code), QString::fromLatin1(price), QString::fromLatin1(quantity));
        ASSERT_TRUE(messageTexts().isEmpty()) << c.name << ": " << messageTexts().join(u'|').toStdString();
        const QStringList before = {cell(0, 5), cell(0, 6)};
        const int rows = gridRows();
        keyLine(QString::fromLatin1(c.refused[0]), QString::fromLatin1(c.refused[1]), QString::fromLatin1(c.refused[2]));
        ASSERT_EQ(messageTexts().size(), 1) << c.name;
        EXPECT_TRUE(messageTexts().front().startsWith(QStringLiteral("金额超出范围"))) << c.name;
        EXPECT_EQ(gridRows(), rows) << c.name;
        EXPECT_EQ((QStringList{cell(0, 5), cell(0, 6)}), before) << c.name;
        EXPECT_EQ(focused(), ctl("edCount")) << c.name;
        EXPECT_LE(screen.saleLines().total(), Money::fromYuan(100'000'000'000)) << c.name;
    }
}

TEST_P(PosScreenTest, quickScanAddsOneUnitAtTheStandardPriceAndKeepsTheCodeBox) {
    posSettings("QuickScan=1\nShowTotal=1\n");
    open();
    EXPECT_TRUE(ctl<QLabel>("pnSaleTotal")->isVisible());
    scan(QStringLiteral("A"));   // no promoter yet: no line, the promoter box asks for one
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("请先输入促销员工号！")});
    EXPECT_EQ(focused(), ctl("edOffNO"));
    EXPECT_EQ(gridRows(), 0);

    seams->recorder.clear();
    choosePromoter(QStringLiteral("101"));
    for (const char* code : {"A", "C", "A"}) {
        QTest::keyClicks(focused(), QString::fromLatin1(code));   // the scanner types where the focus is
        QTest::keyClick(focused(), Qt::Key_Return);
        settle();
        EXPECT_EQ(focused(), ctl("edProductNo")) << code;
        EXPECT_TRUE(text("edProductNo").isEmpty()) << code;
    }
    EXPECT_TRUE(messageTexts().isEmpty()) << messageTexts().join(u'|').toStdString();
    ASSERT_EQ(gridRows(), 2);
    EXPECT_EQ((QStringList{cell(0, 1), cell(0, 3), cell(0, 5), cell(0, 6), cell(0, 12)}),
              (QStringList{QStringLiteral("C"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2.00"), QStringLiteral("101")}));
    EXPECT_EQ((QStringList{cell(1, 1), cell(1, 3), cell(1, 5), cell(1, 6), cell(1, 12)}),
              (QStringList{QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("2"), QStringLiteral("10.00"), QStringLiteral("101")}));
    EXPECT_EQ(ctl<QLabel>("pnSaleTotal")->text(), QStringLiteral("应收 12.00"));

    scan(QStringLiteral("ZZZ"));   // an unknown code is refused as when keyed
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("该商品编号不存在，请重新输入或与管理员联系！")});
    EXPECT_EQ(gridRows(), 2);
}

TEST_P(PosScreenTest, theConveniencesAreOffWithoutTheirSettings) {
    open();
    EXPECT_FALSE(ctl<QLabel>("pnSaleTotal")->isVisible());
    choosePromoter(QStringLiteral("101"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(gridRows(), 0);
    EXPECT_EQ(focused(), ctl("edPrice"));
}

TEST_P(PosScreenTest, theGridsNarrowColumnsAreDrawnTwoPixelsWide) {
    open();
    auto* grid = ctl<QTableWidget>("sgSellsData");
    EXPECT_EQ(grid->columnWidth(0), 2);
    EXPECT_EQ(grid->columnWidth(4), 2);
}
