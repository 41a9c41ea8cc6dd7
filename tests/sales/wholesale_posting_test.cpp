#include "DbTest.h"
#include "SalesShop.h"

#include "db/AccountLedger.h"
#include "db/Error.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "sales/TfrmJobPOS.h"
#include "sales/WholesalePosting.h"

namespace {

const QString kClient = QStringLiteral("101");
// As wide as KHB allows: every client can be sold to.
const QString kLongName = QString(40, QChar(0x5BA2));
const QString kLongAddress = QString(40, QChar(0x8DEF));

RetailSaleLine line(const QString& product, double quantity, const char* price, const QString& staff = QStringLiteral("101")) {
    RetailSaleLine l;
    l.productNo = product;
    l.productName = product == QLatin1String("A") ? QStringLiteral("甲商品") : QStringLiteral("乙商品");
    l.unit = QStringLiteral("个");
    l.quantity = quantity;
    l.price = *Money::parse(QString::fromLatin1(price));
    l.promoterNo = staff;
    return l;
}

WholesaleSale sale(std::vector<RetailSaleLine> lines, const char* received, const QString& client = kClient) {
    WholesaleSale s;
    s.operatorNo = QStringLiteral("001");
    s.storeNo = QStringLiteral("001");
    s.clientNo = client;
    s.customerName = kLongName;
    s.customerAddress = kLongAddress;
    s.customerPhone = QStringLiteral("0571-1234567");
    s.lines = std::move(lines);
    Money total;
    for (const RetailSaleLine& l : s.lines) total += l.amount();
    s.amountDue = total.roundedToCents();
    s.amountReceived = *Money::parse(QString::fromLatin1(received));
    return s;
}

}  // namespace

class WholesalePostingTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        sales_shop::install(db());
        db::Statement c(db(), QStringLiteral("INSERT INTO KHB(KHNO, KHNAME, LXDH, LXDZ) VALUES(:no, :name, '0571-1234567', :addr)"));
        c.bind(QStringLiteral(":no"), kClient).bind(QStringLiteral(":name"), kLongName).bind(QStringLiteral(":addr"), kLongAddress).exec();
        db().execute(QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES('102', '客户乙')"));
    }
    Money balance(const QString& client = kClient) { return db::AccountLedger(db(), db::AccountKind::Client).balance(client); }
    Money money(const QString& sql) { return Money::fromVariant(scalar(sql)); }
    qint64 saleRows() {
        return count(QStringLiteral("XSB")) + count(QStringLiteral("XSMXB")) + count(QStringLiteral("SYYSKB"))
               + count(QStringLiteral("XSCBB")) + count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLTYPE = '销售'"))
               + count(QStringLiteral("KHJSWLB"));
    }
};

TEST_P(WholesalePostingTest, theUnpaidPartAndNothingMoreGoesOnTheClientsAccount) {
    struct Case {
        const char* name;
        const char* received;
        const char* collected;   // XSB.SKZE and the takings
        const char* balance;     // after the sale, from 30.00 owed before
        qint64 ledgerRows;
        const char* remark;
    };
    // Due 25.00 (5 × 5).
    const Case cases[] = {
        {"exact", "25", "25.00", "30.00", 2, ""},
        {"nothing paid", "0", "0.00", "55.00", 1, "实收：0.00元;挂帐：25.00元"},
        {"part paid", "10.5", "10.50", "44.50", 2, "实收：10.50元;挂帐：14.50元"},
        {"over-paid, change handed back", "40", "25.00", "30.00", 2, ""},
    };
    sales_shop::checkStock(db(), false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        db().execute(QStringLiteral("DELETE FROM KHJSWLB"));
        db::AccountLedger(db(), db::AccountKind::Client)
            .post({kClient, db::AccountSide::Credit, Money::fromYuan(30), {}, QStringLiteral("期初"), {}, QStringLiteral("001")});

        const WholesaleSale s = sale({line("A", 5, "5", QStringLiteral(" "))}, c.received);
        const PostedWholesaleSale posted = WholesalePosting(db()).post(s);
        const QString where = QStringLiteral("XSNO = '%1'").arg(posted.sale.saleNo);
        EXPECT_EQ(money(QStringLiteral("SELECT SPZE FROM XSB WHERE ") + where).toString(), QStringLiteral("25.00"));
        EXPECT_EQ(money(QStringLiteral("SELECT SKZE FROM XSB WHERE ") + where).toString(), QLatin1String(c.collected));
        EXPECT_EQ(money(QStringLiteral("SELECT SKMONEY FROM SYYSKB WHERE ") + where).toString(), QLatin1String(c.collected));
        EXPECT_EQ(scalar(QStringLiteral("SELECT KHNO || KHLX FROM XSB WHERE ") + where), kClient + u'P');
        EXPECT_EQ(scalar(QStringLiteral("SELECT KHName FROM XSB WHERE ") + where), kLongName);
        EXPECT_EQ(scalar(QStringLiteral("SELECT KHDZ FROM XSB WHERE ") + where), kLongAddress);
        // A blank salesperson is no salesperson, not a broken reference.
        EXPECT_EQ(count(QStringLiteral("XSMXB"), where + QStringLiteral(" AND ZYNO IS NULL")), 1);

        EXPECT_EQ(balance().toString(), QLatin1String(c.balance));
        EXPECT_EQ(posted.ledger.balance.toString(), QLatin1String(c.balance));
        EXPECT_EQ(count(QStringLiteral("KHJSWLB"), QStringLiteral("DJBH = '%1'").arg(posted.sale.saleNo)), c.ledgerRows);
        EXPECT_EQ(wholesaleRemark(s.amountReceived, s.amountDue), QString::fromUtf8(c.remark));
    }
}

TEST_P(WholesalePostingTest, aLedgerFailureRollsBackTheWholeSale) {
    sales_shop::checkStock(db(), true);
    const QString soldBefore = scalar(QStringLiteral("SELECT SUM(XSSL) FROM JHDMXB"));
    const QString stockBefore = scalar(QStringLiteral("SELECT SUM(KCSL) FROM KCYEB"));
    const qint64 rowsBefore = saleRows();
    // The next ledger row number is already taken, so the account refuses the posting.
    QString nextRowNo;
    {
        db::Transaction peek(db());
        nextRowNo = db::SerialNumbers(db()).next(QStringLiteral("K"));
    }
    db::Statement taken(db(), QStringLiteral("INSERT INTO KHJSWLB(JSNO, KHNO, YE) VALUES(:no, '102', 0)"));
    taken.bind(QStringLiteral(":no"), nextRowNo).exec();

    EXPECT_THROW(WholesalePosting(db()).post(sale({line("A", 2, "5"), line("B", 1, "12.5")}, "0")), LedgerPostingFailed);
    EXPECT_EQ(saleRows(), rowsBefore + 1);   // only the row put in the way
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(XSSL) FROM JHDMXB")), soldBefore);
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(KCSL) FROM KCYEB")), stockBefore);
    EXPECT_EQ(balance(), Money{});
}

TEST_P(WholesalePostingTest, withStockCheckingEachLineIsCostedAtItsOwnPriceAndTheClientsLatestPriceIsProposed) {
    sales_shop::checkStock(db(), true);
    EXPECT_EQ(lastClientPrice(db(), kClient, QStringLiteral("A")), std::nullopt);
    const PostedWholesaleSale first = WholesalePosting(db()).post(sale({line("A", 2, "5.5"), line("A", 1, "6")}, "17"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(XSJE) FROM XSCBB WHERE XSNO = '%1'").arg(first.sale.saleNo)).toDouble(), 17.0);
    EXPECT_EQ(count(QStringLiteral("XSCBB"), QStringLiteral("XSNO = '%1' AND SJ = 6").arg(first.sale.saleNo)), 1);
    WholesalePosting(db()).post(sale({line("A", 1, "4.8")}, "4.8"));
    WholesalePosting(db()).post(sale({line("A", 1, "7")}, "7", QStringLiteral("102")));

    EXPECT_EQ(lastClientPrice(db(), kClient, QStringLiteral("A")), Money::parse(QStringLiteral("4.8")));
    EXPECT_EQ(lastClientPrice(db(), QStringLiteral("102"), QStringLiteral("A")), Money::fromYuan(7));
    EXPECT_EQ(lastClientPrice(db(), kClient, QStringLiteral("B")), std::nullopt);
}

TEST_P(WholesalePostingTest, aNegativeAmountReceivedIsRefusedBeforeAnythingIsWritten) {
    sales_shop::checkStock(db(), false);
    const qint64 before = saleRows();
    EXPECT_THROW(WholesalePosting(db()).post(sale({line("A", 1, "5")}, "-1")), db::Error);
    EXPECT_EQ(saleRows(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, WholesalePostingTest, ::testing::ValuesIn(backends()), backendName);
