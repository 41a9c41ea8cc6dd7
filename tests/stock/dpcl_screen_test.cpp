#include "StockScreenTest.h"

#include "stock/TfrmDPCL.h"

class DpclScreenTest : public StockScreenTest<TfrmDPCL> {
protected:
    void stores(const QString& in, const QString& out) {
        choose("lcbStore", in);
        choose("lcbOutStore", out);
    }
};

TEST_P(DpclScreenTest, aLineIsRefusedAtTheFirstCheckItFails) {
    struct Case { const char* in; const char* out; const char* quantity; const char* message; const char* focus; };
    const Case cases[] = {
        {"", "001", "1", "数据不全，请重新选择仓库！", "lcbStore"},
        {"002", "", "1", "数据不全，请重新选择仓库！", "lcbOutStore"},
        {"002", "001", "-1", "数据非法，请重新录入！", "edCount"},
        {"002", "001", "10.5", "出库数量大于可出库数量，请重新录入！", "edCount"},
        {"001", "002", "1", "出库数量大于可出库数量，请重新录入！", "edCount"},
    };
    for (const Case& c : cases) {
        open();
        stores(QString::fromLatin1(c.in), QString::fromLatin1(c.out));
        scan(QStringLiteral("A"));
        keyCount(QString::fromLatin1(c.quantity));
        EXPECT_EQ(messageTexts(), QStringList{QString::fromUtf8(c.message)}) << c.message << " " << c.quantity;
        EXPECT_EQ(focused()->objectName(), QString::fromLatin1(c.focus)) << c.message;
        EXPECT_EQ(lines(), 0);
        seams->recorder.clear();
    }
}

TEST_P(DpclScreenTest, theAvailableQuantityDiscountsTheGridAndIsCountedAgainWhenALineIsAdded) {
    TfrmDPCL& s = open();
    stores(QStringLiteral("002"), QStringLiteral("001"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edOutCount"), QStringLiteral("10"));
    keyCount(QStringLiteral("4"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(text("edOutCount"), QStringLiteral("6"));
    keyCount(QStringLiteral("6"));  // equal is accepted, and merges
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(cell(1, 4), QStringLiteral("10"));
    // The out-store changed after the lookup: the line is measured against the new one.
    scan(QStringLiteral("B"));
    EXPECT_EQ(text("edOutCount"), QStringLiteral("5"));
    stores(QStringLiteral("001"), QStringLiteral("002"));
    keyCount(QStringLiteral("1"));
    EXPECT_EQ(lastMessage(), QStringLiteral("出库数量大于可出库数量，请重新录入！"));
    EXPECT_EQ(text("edOutCount"), QStringLiteral("0"));
    stores(QStringLiteral("002"), QStringLiteral("001"));
    keyCount(QStringLiteral("2"));
    EXPECT_EQ(lines(), 2);
    snapshot(QStringLiteral("dpcl"));
    s.bitSaveClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("数据已成功保存！"));
    EXPECT_EQ(lines(), 0);
    EXPECT_EQ(db::StockLedger(db()).storeCount(QStringLiteral("A"), QStringLiteral("002")), 10);
    EXPECT_EQ(db::StockLedger(db()).storeCount(QStringLiteral("B"), QStringLiteral("001")), 3);
    // The transfer is its movement number; the preview selects its four movement lines.
    exportPreview("TfrmRepdbcl", s.transferNo(), QStringLiteral("dpcl"));
    EXPECT_EQ(count(QStringLiteral("vwDBCL"), QStringLiteral("WLNO = '%1'").arg(s.transferNo())), 4);
    EXPECT_TRUE(session().LastSerialNo.isEmpty());
}

TEST_P(DpclScreenTest, deletingRenumbersAndAnEmptyDocumentCannotBeSaved) {
    TfrmDPCL& s = open();
    stores(QStringLiteral("002"), QStringLiteral("001"));
    for (const char* code : {"A", "B"}) {
        scan(QString::fromLatin1(code));
        keyCount(QStringLiteral("1"));
    }
    EXPECT_EQ(cell(1, 1), QStringLiteral("B"));
    grid()->selectRow(0);
    s.bitDeleteClick();
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("A"));
    grid()->selectRow(1);  // the blank row: nothing happens
    s.bitDeleteClick();
    EXPECT_EQ(lines(), 1);
    grid()->selectRow(0);
    s.bitDeleteClick();
    EXPECT_EQ(lines(), 0);
    EXPECT_EQ(cell(1, 0), QString());
    EXPECT_FALSE(ctl<QPushButton>("bitSave")->isEnabled());
    s.bitSaveClick();
    EXPECT_TRUE(messageTexts().isEmpty());
    EXPECT_EQ(count(QStringLiteral("SERIALNO"), QStringLiteral("SERIALTYPE = 'W'")), 1);  // only the fixture's receipt
}

INSTANTIATE_TEST_SUITE_P(Backends, DpclScreenTest, ::testing::ValuesIn(backends()), backendName);
