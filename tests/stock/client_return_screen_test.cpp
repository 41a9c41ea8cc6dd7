#include "StockScreenTest.h"

#include "db/Transaction.h"
#include "stock/TfrmClientReturn.h"

// The client K01 bought 7 of A at 6.50 on one sale: 5 came from an older batch and 2 from
// the shop's first receipt.
class ClientReturnScreenTest : public StockScreenTest<TfrmClientReturn> {
protected:
    void SetUp() override {
        StockScreenTest::SetUp();
        older = receive(QStringLiteral("S02"), {{"A", 5, "2.5"}});
        // The older batch must sort first: receipts are taken oldest number first.
        db().execute(QStringLiteral("UPDATE JHDMXB SET SL = 0 WHERE JHDNO = '%1' AND SPNO = 'A'").arg(receipt));
        db::Transaction tx(db());
        db().execute(QStringLiteral("INSERT INTO XSB(XSNO, KHNO) VALUES('X1', 'K01')"));
        db::StockLedger(db()).allocateSale(QStringLiteral("X1"), QStringLiteral("001"), QStringLiteral("A"), 5);
        db().execute(QStringLiteral("UPDATE JHDMXB SET SL = 10 WHERE JHDNO = '%1' AND SPNO = 'A'").arg(receipt));
        db::StockLedger(db()).allocateSale(QStringLiteral("X1"), QStringLiteral("001"), QStringLiteral("A"), 2);
        db().execute(QStringLiteral("UPDATE XSCBB SET SJ = 6.5, SPNAME = '甲商品'"));
        tx.commit();
    }
    void header() {
        choose("lcbClient", QStringLiteral("K01"));
        choose("lcbStore", QStringLiteral("002"));
    }
    int saleRowOf(const QString& batch) {
        auto* list = ctl<QTableWidget>("dgSellData");
        for (int r = 0; r < list->rowCount(); ++r)
            if (list->item(r, 1)->text() == batch) return r;
        return -1;
    }
    QString older;
};

TEST_P(ClientReturnScreenTest, aLineIsRefusedAtTheFirstCheckItFails) {
    struct Case { bool client, store, sale; const char* quantity; const char* message; const char* focus; };
    const Case cases[] = {
        {false, true, true, "1", "数据不全，请重新输入客户！", "lcbClient"},
        {true, false, true, "1", "数据不全，请重新选择仓库！", "lcbStore"},
        {true, true, true, "-1", "数据非法，请重新录入！", "edCount"},
        {true, true, true, "2.5", "退货数量不能大于当前销售单中该商品的可退货数量，或该商品在当前退货操作中已做过部分退货，请重新录入！", "edCount"},
        {true, true, false, "1", "数据非法，请重新录入！", "edCount"},  // nothing returnable without a sale line
    };
    for (const Case& c : cases) {
        open();
        header();
        scan(QStringLiteral("A"));
        if (c.sale) pick("dgSellData", saleRowOf(receipt));
        if (!c.client) choose("lcbClient", QString());
        if (!c.store) choose("lcbStore", QString());
        keyCount(QString::fromLatin1(c.quantity));
        EXPECT_EQ(messageTexts(), QStringList{QString::fromUtf8(c.message)}) << c.message;
        EXPECT_EQ(focused()->objectName(), QString::fromLatin1(c.focus)) << c.message;
        EXPECT_EQ(lines(), 0);
        seams->recorder.clear();
    }
}

TEST_P(ClientReturnScreenTest, linesMergeAndCountBySaleAndBatchTogetherAndGoBackToTheirBatch) {
    TfrmClientReturn& s = open();
    header();
    scan(QStringLiteral("A"));
    ASSERT_EQ(ctl<QTableWidget>("dgSellData")->rowCount(), 2);
    pick("dgSellData", saleRowOf(receipt));
    EXPECT_EQ(text("edRetuCount"), QStringLiteral("2"));
    EXPECT_EQ(text("edPrice"), QStringLiteral("6.5"));  // what the client paid, not the cost
    keyCount(QStringLiteral("1"));
    // The same sale from the other batch is a line of its own, its returnable untouched.
    scan(QStringLiteral("A"));
    pick("dgSellData", saleRowOf(older));
    EXPECT_EQ(text("edRetuCount"), QStringLiteral("5"));
    keyCount(QStringLiteral("5"));
    scan(QStringLiteral("A"));
    pick("dgSellData", saleRowOf(receipt));
    EXPECT_EQ(text("edRetuCount"), QStringLiteral("1"));
    keyCount(QStringLiteral("1"));
    ASSERT_EQ(lines(), 2);
    EXPECT_EQ(cell(2, 5), QStringLiteral("2"));
    EXPECT_EQ(cell(2, 7), receipt);
    EXPECT_EQ(ctl<QLabel>("pnTotalMoney")->text(), QStringLiteral("45.50"));
    EXPECT_FALSE(ctl<QWidget>("lcbClient")->isEnabled());
    snapshot(QStringLiteral("client_return"));
    s.bitSaveClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("数据已成功保存！"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT XSSL FROM JHDMXB WHERE JHDNO = '%1' AND SPNO = 'A'").arg(receipt)).toDouble(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT XSSL FROM JHDMXB WHERE JHDNO = '%1' AND SPNO = 'A'").arg(older)).toDouble(), 0);
    EXPECT_EQ(db::StockLedger(db()).storeCount(QStringLiteral("A"), QStringLiteral("002")), 7);
    exportPreview("TfrmRepkhth", session().LastSerialNo, QStringLiteral("client_return"));
    EXPECT_EQ(count(QStringLiteral("KHTHMXB"), QStringLiteral("THDNO = '%1'").arg(session().LastSerialNo)), 2);
}

TEST_P(ClientReturnScreenTest, aRetailSaleIsFoundUnderTheRetailClient) {
    db().execute(QStringLiteral("UPDATE XSB SET KHNO = '000'"));
    open();
    choose("lcbClient", QStringLiteral("000"));
    scan(QStringLiteral("A"));
    EXPECT_EQ(ctl<QTableWidget>("dgSellData")->rowCount(), 2);
    scan(QStringLiteral("B"));
    EXPECT_EQ(ctl<QTableWidget>("dgSellData")->rowCount(), 0);
}

TEST_P(ClientReturnScreenTest, anotherClientChosenAfterTheSalesListedFindsNoneOfThem) {
    open();
    header();
    scan(QStringLiteral("A"));
    pick("dgSellData", saleRowOf(older));
    // The sale was K01's: the retail client cannot take it back.
    choose("lcbClient", QStringLiteral("000"));
    EXPECT_EQ(ctl<QTableWidget>("dgSellData")->rowCount(), 0);
    EXPECT_EQ(text("edXSNO"), QString());
    keyCount(QStringLiteral("1"));
    EXPECT_EQ(lines(), 0);
    EXPECT_EQ(lastMessage(), QStringLiteral("数据非法，请重新录入！"));
}

INSTANTIATE_TEST_SUITE_P(Backends, ClientReturnScreenTest, ::testing::ValuesIn(backends()), backendName);
