#include "StockScreenTest.h"

#include "stock/TfrmReceiveProduct.h"

class ReceiveProductScreenTest : public StockScreenTest<TfrmReceiveProduct> {
protected:
    void header(bool supplier = true, bool handler = true, bool store = true) {
        if (supplier) choose("lcbFactory", QStringLiteral("S01"));
        if (handler) choose("lcbSelfMan", QStringLiteral("201"));
        if (store) choose("lcbStore", QStringLiteral("001"));
    }
    void keyLine(const QString& code, const QString& price, const QString& quantity) {
        scan(code);
        typeInto("edPrice", price);
        enter("edPrice");
        keyCount(quantity);
    }
};

TEST_P(ReceiveProductScreenTest, aLineIsRefusedAtTheFirstCheckItFails) {
    struct Case { bool supplier, handler, store; const char* price; const char* quantity; const char* message; const char* focus; };
    const Case cases[] = {
        {true, true, true, "3", "", "数据不全，请重新输入数量！", "edCount"},
        {false, true, true, "3", "2", "数据不全，请重新输入供应商！", "lcbFactory"},
        {true, false, true, "3", "2", "数据不全，请重新输入经办人！", "lcbSelfMan"},
        {true, true, false, "3", "2", "数据不全，请重新选择仓库！", "lcbStore"},
        {true, true, true, "3", "0", "数据非法，请重新录入！", "edCount"},
        {true, true, true, "3", "-2", "数据非法，请重新录入！", "edCount"},
        {true, true, true, "3", "2x", "数据非法，请重新录入！", "edCount"},
        {true, true, true, "3y", "2", "数据非法，请重新录入！", "edPrice"},
        {true, true, true, "-3", "2", "数据非法，请重新录入！", "edPrice"},
    };
    for (const Case& c : cases) {
        open();
        header(c.supplier, c.handler, c.store);
        keyLine(QStringLiteral("A"), QString::fromUtf8(c.price), QString::fromUtf8(c.quantity));
        EXPECT_EQ(messageTexts(), QStringList{QString::fromUtf8(c.message)}) << c.message << " " << c.quantity;
        EXPECT_EQ(focused()->objectName(), QString::fromLatin1(c.focus)) << c.message;
        EXPECT_EQ(lines(), 0);
        seams->recorder.clear();
    }
}

TEST_P(ReceiveProductScreenTest, linesGoOnTopMergeOnlyAtTheSamePriceTextAndStore) {
    TfrmReceiveProduct& s = open();
    header();
    typeInto("edDocNo", QStringLiteral("GYS-1"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("3.00"));  // the cost price, to accept or overtype
    EXPECT_EQ(focused(), ctl("edPrice"));
    typeInto("edPrice", QStringLiteral("3"));
    enter("edPrice");
    keyCount(QStringLiteral("10"));
    keyLine(QStringLiteral("B"), QStringLiteral("8.5"), QStringLiteral("2"));
    EXPECT_EQ(lines(), 2);
    EXPECT_EQ(cell(1, 1), QStringLiteral("B"));  // the newest line is line 1
    EXPECT_EQ(cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("2"));
    EXPECT_EQ(cell(1, 6), QStringLiteral("17"));
    EXPECT_EQ(text("edTotalMoney"), QStringLiteral("47.00"));

    keyLine(QStringLiteral("A"), QStringLiteral("3"), QStringLiteral("2.5"));
    EXPECT_EQ(lines(), 2);
    EXPECT_EQ(cell(2, 5), QStringLiteral("12.5"));
    EXPECT_EQ(cell(2, 6), QStringLiteral("37.5"));
    EXPECT_EQ(text("edTotalMoney"), QStringLiteral("54.50"));
    EXPECT_EQ(text("edDocNo"), QStringLiteral("GYS-1"));  // a merge keeps what the header holds
    EXPECT_TRUE(messageTexts().isEmpty());

    const QString refused = QStringLiteral("存在相同商品但单价不同的不合理情况，请核对， 或存在相同商品但入库货位不同的不合理情况，请核对后重新分开录入！");
    keyLine(QStringLiteral("A"), QStringLiteral("3.00"), QStringLiteral("1"));   // 3 and 3.00 are two prices
    choose("lcbStore", QStringLiteral("002"));
    keyLine(QStringLiteral("A"), QStringLiteral("3"), QStringLiteral("1"));      // another store
    EXPECT_EQ(messageTexts(), (QStringList{refused, refused}));
    EXPECT_EQ(lines(), 2);
    // The supplier is the document's: it cannot change under its lines.
    EXPECT_FALSE(ctl<QWidget>("lcbFactory")->isEnabled());
    EXPECT_TRUE(ctl<QPushButton>("bitSave")->isEnabled());
    s.bitNextClick();
    EXPECT_EQ(lines(), 0);
    EXPECT_TRUE(ctl<QWidget>("lcbFactory")->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>("bitSave")->isEnabled());
}

TEST_P(ReceiveProductScreenTest, aCodeChangedAfterTheLookupIsLookedUpAgainBeforeALineIsAdded) {
    open();
    header();
    scan(QStringLiteral("A"));
    typeInto("edProductNo", QStringLiteral("B"));   // typed over, no Enter
    keyCount(QStringLiteral("1"));
    EXPECT_EQ(lines(), 0);
    EXPECT_EQ(text("edProductName"), QStringLiteral("乙商品"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("8.00"));
    keyCount(QStringLiteral("1"));
    ASSERT_EQ(lines(), 1);
    EXPECT_EQ(cell(1, 1), QStringLiteral("B"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("乙商品"));
    typeInto("edProductNo", QStringLiteral("ZZ"));
    keyCount(QStringLiteral("1"));
    EXPECT_EQ(lastMessage(), QStringLiteral("产品编号不对，请重新输入！"));
    EXPECT_EQ(lines(), 1);
}

TEST_P(ReceiveProductScreenTest, savingPostsTheDocumentStartsANewOneAndPreviewsIt) {
    TfrmReceiveProduct& s = open();
    header();
    typeInto("edDocNo", QStringLiteral("GYS-2"));
    keyLine(QStringLiteral("A"), QStringLiteral("3"), QStringLiteral("4"));
    choose("lcbStore", QStringLiteral("002"));
    keyLine(QStringLiteral("B"), QStringLiteral("8"), QStringLiteral("1"));
    snapshot(QStringLiteral("receive"));
    const qint64 before = count(QStringLiteral("JHDMXB"));
    s.bitSaveClick();
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("数据已成功保存！")});
    EXPECT_EQ(lines(), 0);
    EXPECT_EQ(text("edTotalMoney"), QStringLiteral("0.00"));
    const QString no = session().LastSerialNo;
    exportPreview("TfrmRepInStore", no, QStringLiteral("receive"));
    EXPECT_EQ(count(QStringLiteral("JHDSJB"), QStringLiteral("JHDNO = '%1' AND JHNO = 'GYS-2'").arg(no)), 1);
    EXPECT_EQ(count(QStringLiteral("JHDMXB")), before + 2);
    EXPECT_EQ(db::StockLedger(db()).storeCount(QStringLiteral("B"), QStringLiteral("002")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT YE FROM GYSJSWLB WHERE DJBH = '%1'").arg(no)).toDouble(), 30 + 40 + 12 + 8);

    // The preview shows the document just saved.
    int previewed = 0;
    seams->runner.fallback = [&](QDialog&) { ++previewed; };
    s.bitPreviewClick();
    EXPECT_EQ(previewed, 1);
    // Nothing to save: Save is off and the handler writes nothing.
    s.bitSaveClick();
    EXPECT_EQ(count(QStringLiteral("JHDSJB")), 2);
}

TEST_P(ReceiveProductScreenTest, aLineBeyondTheLargestAmountIsRefusedBeforeItOverflows) {
    // Alone, 99999999 × 99999999 is beyond what an amount holds at all; each other line
    // fits, but the document with the next one, merged or not, would not.
    struct Case { const char* first; const char* next; int lines; };
    const Case cases[] = {{nullptr, "A", 0}, {"A", "A", 1}, {"A", "B", 1}};
    for (const Case& c : cases) {
        TfrmReceiveProduct& s = open();
        header();
        if (c.first) keyLine(QString::fromLatin1(c.first), QStringLiteral("60000000"), QStringLiteral("1000"));
        if (c.first) keyLine(QString::fromLatin1(c.next), QStringLiteral("60000000"), QStringLiteral("1000"));
        else keyLine(QString::fromLatin1(c.next), QStringLiteral("99999999"), QStringLiteral("99999999"));
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral(
                                      "金额超出范围（单笔及整单不能超过 100000000000.00 元），请检查单价和数量！")})
            << c.next;
        EXPECT_EQ(focused(), ctl("edCount"));
        ASSERT_EQ(lines(), c.lines);
        if (c.lines) {
            EXPECT_EQ(cell(1, 5), QStringLiteral("1000"));
            EXPECT_EQ(text("edTotalMoney"), QStringLiteral("60000000000.00"));
            s.bitSaveClick();
            EXPECT_EQ(lastMessage(), QStringLiteral("数据已成功保存！"));
        }
        seams->recorder.clear();
    }
}

TEST_P(ReceiveProductScreenTest, aSaveEndedByAnErrorOtherThanTheDatabasesCanBeTriedAgain) {
    TfrmReceiveProduct& s = open();
    header();
    keyLine(QStringLiteral("A"), QStringLiteral("3"), QStringLiteral("4"));
    // A document beyond what an amount can hold: the save ends in the general error handler.
    s.setCell(1, 4, QStringLiteral("99999999"));
    s.setCell(1, 5, QStringLiteral("99999999"));
    EXPECT_THROW(s.bitSaveClick(), MoneyOverflow);
    EXPECT_EQ(lines(), 1);
    s.setCell(1, 4, QStringLiteral("3"));
    s.setCell(1, 5, QStringLiteral("4"));
    s.bitSaveClick();
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("数据已成功保存！")});
    EXPECT_EQ(count(QStringLiteral("JHDSJB")), 2);
}

TEST_P(ReceiveProductScreenTest, closingWithUnsavedLinesAsksFirst) {
    TfrmReceiveProduct& s = open();
    header();
    keyLine(QStringLiteral("A"), QStringLiteral("3"), QStringLiteral("4"));
    seams->recorder.replies = {MessageReply::No};
    s.bitCloseClick();
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(lastMessage(), QStringLiteral("当前单据尚未保存，确定要退出吗？"));
    seams->recorder.replies = {MessageReply::Yes};
    s.bitCloseClick();
    EXPECT_FALSE(s.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Backends, ReceiveProductScreenTest, ::testing::ValuesIn(backends()), backendName);
