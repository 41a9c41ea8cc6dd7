#include "StockScreenTest.h"

#include "stock/TfrmWithdrawSupply.h"

class WithdrawSupplyScreenTest : public StockScreenTest<TfrmWithdrawSupply> {
protected:
    // Code, the first batch offered, quantity.
    void keyLine(const QString& code, const QString& quantity, int batch = 0) {
        scan(code);
        pick("dgInData", batch);
        keyCount(quantity);
    }
};

TEST_P(WithdrawSupplyScreenTest, aLineIsRefusedAtTheFirstCheckItFails) {
    struct Case { bool supplier, batch, store; const char* quantity; const char* message; const char* focus; };
    const Case cases[] = {
        {false, true, true, "2", "数据不全，请重新输入供应商！", "lcbSupply"},
        {true, false, true, "2", "", "dgInData"},  // no batch chosen: refused without a word
        {true, true, false, "2", "数据不全，请重新选择仓库！", "lcbStore"},
        {true, true, true, "0", "数据非法，请重新录入！", "edCount"},
        {true, true, true, "10.5", "退货数量不能大于当前进货单中该商品的可退货数量，或该商品在当前退货操作中已做过部分退货，请重新录入！", "edCount"},
    };
    for (const Case& c : cases) {
        open();
        choose("lcbSupply", QStringLiteral("S01"));
        if (c.store) choose("lcbStore", QStringLiteral("001"));
        scan(QStringLiteral("A"));
        if (c.batch) pick("dgInData", 0);
        if (!c.supplier) choose("lcbSupply", QString());
        keyCount(QString::fromLatin1(c.quantity));
        const QStringList expected = *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{};
        EXPECT_EQ(messageTexts(), expected) << c.message;
        EXPECT_EQ(focused()->objectName(), QString::fromLatin1(c.focus)) << c.message;
        EXPECT_EQ(lines(), 0);
        seams->recorder.clear();
    }
}

TEST_P(WithdrawSupplyScreenTest, aBatchOffersWhatIsLeftOfItLessWhatTheDocumentAlreadyReturns) {
    TfrmWithdrawSupply& s = open();
    choose("lcbSupply", QStringLiteral("S01"));
    choose("lcbStore", QStringLiteral("001"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(ctl<QTableWidget>("dgInData")->rowCount(), 1);
    EXPECT_EQ(focused(), ctl<QTableWidget>("dgInData"));
    pick("dgInData", 0);
    EXPECT_EQ(text("edExistCount"), QStringLiteral("10"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("3"));
    keyCount(QStringLiteral("4"));
    keyLine(QStringLiteral("A"), QStringLiteral("6"));  // merges: 10 in all, the whole batch
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(cell(1, 5), QStringLiteral("10"));
    EXPECT_EQ(cell(1, 6), QStringLiteral("30.00"));
    EXPECT_EQ(ctl<QLabel>("pnTotalMoney")->text(), QStringLiteral("30.00"));
    scan(QStringLiteral("A"));
    pick("dgInData", 0);
    EXPECT_EQ(text("edExistCount"), QStringLiteral("0"));
    // Another supplier has no batch of it; the supplier is locked while lines exist.
    EXPECT_FALSE(ctl<QWidget>("lcbSupply")->isEnabled());
    snapshot(QStringLiteral("withdraw_supply"));
    s.bitSaveClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("数据已成功保存！"));
    exportPreview("TfrmRepgysth", session().LastSerialNo, QStringLiteral("withdraw_supply"));
    EXPECT_EQ(count(QStringLiteral("GYSTHMXB"), QStringLiteral("THDNO = '%1' AND SL = 10").arg(session().LastSerialNo)), 1);
    choose("lcbSupply", QStringLiteral("S01"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(ctl<QTableWidget>("dgInData")->rowCount(), 0);  // nothing left to return
}

TEST_P(WithdrawSupplyScreenTest, anotherSupplierChosenAfterTheBatchListsAndTakesTheirOwnBatches) {
    TfrmWithdrawSupply& s = open();
    const QString fromS02 = receive(QStringLiteral("S02"), {{"A", 4, "2"}});
    choose("lcbSupply", QStringLiteral("S01"));
    choose("lcbStore", QStringLiteral("001"));
    scan(QStringLiteral("A"));
    pick("dgInData", 0);
    // The batch offered was S01's: under S02 it is gone, and the line needs one of S02's.
    choose("lcbSupply", QStringLiteral("S02"));
    EXPECT_EQ(ctl<QTableWidget>("dgInData")->rowCount(), 0);
    EXPECT_EQ(text("edExistCount"), QString());
    keyCount(QStringLiteral("2"));
    EXPECT_EQ(lines(), 0);
    EXPECT_EQ(focused(), ctl<QTableWidget>("dgInData"));
    keyLine(QStringLiteral("A"), QStringLiteral("2"));
    ASSERT_EQ(lines(), 1);
    EXPECT_EQ(cell(1, 7), fromS02);
    s.bitSaveClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("数据已成功保存！"));
    EXPECT_EQ(count(QStringLiteral("GYSTHMXB"), QStringLiteral("JHDNO = '%1' AND SL = 2").arg(fromS02)), 1);
}

TEST_P(WithdrawSupplyScreenTest, theTotalPanelFollowsEveryChangeOfTheLines) {
    TfrmWithdrawSupply& s = open();
    choose("lcbSupply", QStringLiteral("S01"));
    choose("lcbStore", QStringLiteral("001"));
    const auto total = [&] { return ctl<QLabel>("pnTotalMoney")->text(); };
    EXPECT_EQ(total(), QStringLiteral("0.00"));
    keyLine(QStringLiteral("B"), QStringLiteral("1"));
    keyLine(QStringLiteral("A"), QStringLiteral("2"));
    EXPECT_EQ(total(), QStringLiteral("14.00"));
    keyLine(QStringLiteral("A"), QStringLiteral("1"));  // merged
    EXPECT_EQ(total(), QStringLiteral("17.00"));
    grid()->selectRow(0);
    s.bitDeleteClick();
    EXPECT_EQ(total(), QStringLiteral("8.00"));
    s.bitNextClick();
    EXPECT_EQ(total(), QStringLiteral("0.00"));
    EXPECT_EQ(ctl<QTableWidget>("dgInData")->rowCount(), 0);
    EXPECT_EQ(focused(), ctl<QWidget>("lcbSupply"));
}

TEST_P(WithdrawSupplyScreenTest, aBatchTakenMeanwhileFailsTheWholeDocumentAndKeepsTheGrid) {
    TfrmWithdrawSupply& s = open();
    choose("lcbSupply", QStringLiteral("S01"));
    choose("lcbStore", QStringLiteral("001"));
    keyLine(QStringLiteral("B"), QStringLiteral("1"));
    keyLine(QStringLiteral("A"), QStringLiteral("8"));
    // Another till writes off most of batch A before this document is saved.
    db::StockDocuments(db()).writeOff({QStringLiteral("001"), {{receipt, QStringLiteral("A"), QString(), QString(), 5,
                                                                 Money::fromYuan(3), QStringLiteral("001")}}});
    s.bitSaveClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("数据库忙，请稍后重新操作！"));
    EXPECT_EQ(lines(), 2);
    EXPECT_EQ(count(QStringLiteral("GYSTHSJB")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT XSSL FROM JHDMXB WHERE SPNO = 'B'")).toDouble(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, WithdrawSupplyScreenTest, ::testing::ValuesIn(backends()), backendName);
