#include "StockScreenTest.h"

#include "stock/TfrmLose.h"

class LoseScreenTest : public StockScreenTest<TfrmLose> {
protected:
    void keyLine(const QString& code, const QString& quantity) {
        scan(code);
        pick("dgInData", 0);
        keyCount(quantity);
    }
};

TEST_P(LoseScreenTest, aLineIsRefusedAtTheFirstCheckItFails) {
    struct Case { bool store, batch; const char* quantity; const char* message; const char* focus; };
    const Case cases[] = {
        {false, true, "1", "数据不全，请重新选择仓库！", "lcbStore"},
        {true, false, "1", "", "dgInData"},
        {true, true, "0", "数据非法，请重新录入！", "edCount"},
        {true, true, "abc", "数据非法，请重新录入！", "edCount"},
        {true, true, "10.01", "报损数量不能大于当前进货单中该商品的可报损数量，或该商品在当前报损操作中已做过部分报损，请重新录入！", "edCount"},
    };
    for (const Case& c : cases) {
        open();
        if (c.store) choose("lcbStore", QStringLiteral("001"));
        scan(QStringLiteral("A"));
        if (c.batch) pick("dgInData", 0);
        keyCount(QString::fromLatin1(c.quantity));
        const QStringList expected = *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{};
        EXPECT_EQ(messageTexts(), expected) << c.message;
        EXPECT_EQ(focused()->objectName(), QString::fromLatin1(c.focus)) << c.message;
        EXPECT_EQ(lines(), 0);
        seams->recorder.clear();
    }
}

TEST_P(LoseScreenTest, aLossIsValuedAtTheBatchPriceAndMergesOnlyWithinOneStore) {
    db().execute(QStringLiteral("UPDATE SPB SET CBJG = 4 WHERE SPNO = 'A'"));
    TfrmLose& s = open();
    choose("lcbStore", QStringLiteral("001"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("4.00"));  // the cost price, until a batch is chosen
    pick("dgInData", 0);
    EXPECT_EQ(text("edPrice"), QStringLiteral("3"));
    EXPECT_EQ(text("edLoseCount"), QStringLiteral("10"));
    keyCount(QStringLiteral("2"));
    keyLine(QStringLiteral("A"), QStringLiteral("3"));
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(cell(1, 5), QStringLiteral("5"));
    EXPECT_EQ(cell(1, 6), QStringLiteral("15"));
    EXPECT_EQ(cell(1, 7), receipt);
    choose("lcbStore", QStringLiteral("002"));
    scan(QStringLiteral("A"));
    pick("dgInData", 0);
    EXPECT_EQ(text("edLoseCount"), QStringLiteral("5"));
    keyCount(QStringLiteral("1"));
    EXPECT_EQ(lines(), 2);  // from another store: a line of its own
    EXPECT_EQ(text("edTotalMoney"), QStringLiteral("18.00"));
    // With stock checking on, store 002 has nothing to lose: the whole document fails.
    s.bitSaveClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("网络忙，请稍后重新操作！"));
    EXPECT_EQ(lines(), 2);
    EXPECT_EQ(count(QStringLiteral("BSB")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT XSSL FROM JHDMXB WHERE SPNO = 'A'")).toDouble(), 0);
    grid()->selectRow(0);
    s.bitDeleteClick();
    snapshot(QStringLiteral("lose"));
    s.bitSaveClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("数据已成功保存！"));
    exportPreview("TfrmRepBS", session().LastSerialNo, QStringLiteral("lose"));
    EXPECT_EQ(count(QStringLiteral("vwBSCX"), QStringLiteral("BSDNO = '%1' AND SL = 5 AND JE = 15").arg(session().LastSerialNo)), 1);
    EXPECT_EQ(db::StockLedger(db()).storeCount(QStringLiteral("A"), QStringLiteral("001")), 5);
}

INSTANTIATE_TEST_SUITE_P(Backends, LoseScreenTest, ::testing::ValuesIn(backends()), backendName);
