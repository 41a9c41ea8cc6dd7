#include "DbTest.h"
#include "GuiTest.h"
#include "SalesShop.h"

#include "app/PrintCanvas.h"
#include "masterdata/TextWidth.h"
#include "reports/TfrmBaseReport.h"
#include "app/SysSetIni.h"
#include "sales/ReceiptPrinter.h"
#include "sales/RetailPosting.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include "sales/SaleNote.h"
#include "sales/TillReceipt.h"

namespace {

TillReceiptData receiptData() {
    TillReceiptData d;
    d.shopName = QStringLiteral("幸福超市");
    d.shopTel = QStringLiteral("0571-88886666");
    d.customerName = QStringLiteral("李先生");
    d.operatorName = QStringLiteral("系统管理员");
    d.saleNo = QStringLiteral("202612100000001");
    d.dateText = QStringLiteral("2026/12/10");
    d.lines = {{QStringLiteral("10002003"), QStringLiteral("12.5"), QStringLiteral("2"), *Money::parse(QStringLiteral("25"))},
               {QStringLiteral(" 甲商品码 "), QStringLiteral("3.5"), QStringLiteral("1.25"), *Money::parse(QStringLiteral("4.375"))}};
    d.amountDueText = QStringLiteral("29.38");
    d.amountReceived = Money::fromYuan(50);
    d.changeText = QStringLiteral("20.62");
    return d;
}

}  // namespace

TEST(TillReceipt, linesAreExactlyTheTableWithColumnsCountedAsATillPrinterDoes) {
    const QStringList lines = TillReceipt(receiptData()).lines();
    const QString sep = QStringLiteral("        --------------------------------------------------");
    const QStringList expected = {
        QStringLiteral("         "),
        QStringLiteral("                幸福超市"),
        QStringLiteral("         "),
        QStringLiteral("        单位：李先生          收银员：系统管理员"),
        QStringLiteral("        编号：202612100000001 日  期：2026/12/10"),
        sep,
        QStringLiteral("        商品                 │ 单价 │数量│扣率│  金额 "),
        sep,
        QStringLiteral("        10002003           12.5     2  100%    25.00"),
        QStringLiteral("        甲商品码            3.5  1.25  100%     4.38"),
        sep,
        QStringLiteral("  "),
        QStringLiteral("        合计金额：29.38"),
        QStringLiteral("        收款金额：50.00"),
        QStringLiteral("        找    零：20.62"),
        QStringLiteral("         "),
        QStringLiteral("          联系电话: 0571-88886666"),
        QStringLiteral("  "),
    };
    EXPECT_EQ(lines, expected);
    // A product line is 8 + 15 + 8 + 6 + 6 + 9 columns whatever its characters.
    EXPECT_EQ(gbkWidth(lines[8]), 52);
    EXPECT_EQ(gbkWidth(lines[9]), 52);
    // Texts wider than their column are never cut.
    EXPECT_EQ(TillReceipt::padRight(QStringLiteral("1234567890123456"), 15), QStringLiteral("1234567890123456"));
    EXPECT_EQ(TillReceipt::padLeft(QStringLiteral("数量"), 6), QStringLiteral("  数量"));
}

TEST(TillReceipt, printedInHeitiWithTheShopNameLargerAndNoLineOverlappingTheNext) {
    RecordingCanvas canvas;
    TillReceipt(receiptData()).print(canvas);
    EXPECT_TRUE(canvas.ended);
    EXPECT_EQ(canvas.pages, 1);
    const QStringList lines = TillReceipt(receiptData()).lines();
    ASSERT_EQ(canvas.ops.size(), size_t(lines.size()));
    double previousBottom = 0;
    for (size_t i = 0; i < canvas.ops.size(); ++i) {
        const RecordingCanvas::Op& op = canvas.ops[i];
        EXPECT_EQ(op.kind, RecordingCanvas::Op::Text);
        EXPECT_EQ(op.text, lines[int(i)]);
        EXPECT_EQ(op.fontFamily, QStringLiteral("黑体"));
        EXPECT_EQ(op.pointSize, i == 1 ? 14 : 10) << i;
        EXPECT_DOUBLE_EQ(op.box.left(), 0);
        EXPECT_GE(op.box.top() + 1e-9, previousBottom) << "line " << i << " overlaps the one above";
        EXPECT_GT(op.box.height(), 0);
        previousBottom = op.box.bottom();
    }
    // The page holds the whole receipt.
    const QRectF page = canvas.layout.paintRect(QPageLayout::Millimeter);
    EXPECT_LE(previousBottom, page.height() + 1e-6);
    double widest = 0;
    for (const auto& op : canvas.ops) widest = std::max(widest, op.box.right());
    EXPECT_LE(widest, page.width() + 1e-6);
}

TEST(TillReceipt, onATillRollEveryLineFitsThePaperAndNothingIsLeftOut) {
    TillReceiptData data = receiptData();
    data.customerName = QStringLiteral("杭州市西湖区文三路某某科技有限公司采购部");   // wider than any roll
    data.lines.push_back({QStringLiteral("10004002"), QStringLiteral("89"), QStringLiteral("1000"),
                          Money::fromYuan(89000)});
    for (const int paperMm : {58, 80}) {
        RecordingCanvas canvas;
        TillReceipt(data).print(canvas, paperMm);
        ASSERT_TRUE(canvas.ended);
        EXPECT_EQ(canvas.pages, 1);
        const QRectF page = canvas.layout.paintRect(QPageLayout::Millimeter);
        EXPECT_NEAR(canvas.layout.fullRect(QPageLayout::Millimeter).width(), paperMm, 1e-6);
        double previousBottom = 0;
        for (const RecordingCanvas::Op& op : canvas.ops) {
            EXPECT_LE(op.box.right(), page.width() + 1e-6) << paperMm << "mm: " << op.text.toStdString();
            EXPECT_GE(op.box.top() + 1e-9, previousBottom) << paperMm << "mm: " << op.text.toStdString();
            previousBottom = op.box.bottom();
        }
        EXPECT_LE(previousBottom, page.height() + 1e-6);
        // Everything the wide receipt says is still there, in the same order.
        const QString all = canvas.texts().join(QString());
        qsizetype at = 0;
        for (const QString& part : {data.shopName, QStringLiteral("文三路某某科技"), data.saleNo, QStringLiteral("10002003"),
                                    QStringLiteral("25.00"), QStringLiteral("甲商品码"), QStringLiteral("4.38"),
                                    QStringLiteral("10004002"), QStringLiteral("89000.00"), QStringLiteral("合计金额：29.38"),
                                    QStringLiteral("收款金额：50.00"), QStringLiteral("找    零：20.62"), data.shopTel}) {
            const qsizetype found = all.indexOf(part, at);
            EXPECT_GE(found, 0) << paperMm << "mm lacks " << part.toStdString();
            if (found >= 0) at = found;
        }
    }
}

TEST(ReceiptPrinter, withoutAPrinterEachReceiptBecomesItsOwnFileInTheReceiptFolder) {
    if (PrinterCanvas::printerAvailable()) GTEST_SKIP() << "this machine has a printer";
    QTemporaryDir dir;
    SysSetIni::setPath(dir.filePath(QStringLiteral("SysSet.ini")));
    const TillReceipt receipt(receiptData());
    const QString first = ReceiptPrinter::print(receipt);
    const QString second = ReceiptPrinter::print(receipt);   // the same number again never overwrites
    SysSetIni::setPath(QString());
    EXPECT_EQ(QFileInfo(first).absolutePath(), QDir(dir.filePath(QStringLiteral("receipts"))).absolutePath());
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("收款单-202612100000001.pdf"));
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("收款单-202612100000001-2.pdf"));
    EXPECT_GT(QFileInfo(first).size(), 1000);
    EXPECT_GT(QFileInfo(second).size(), 1000);
}

class SaleNoteTest : public DbTest {};

TEST_P(SaleNoteTest, noteListsTheSavedLinesWithTheCaptionsAndTheAmountInCapitals) {
    sales_shop::install(db());
    RetailSale sale;
    sale.operatorNo = QStringLiteral("001");
    sale.storeNo = QStringLiteral("001");
    RetailSaleLine a;
    a.productNo = QStringLiteral("A");
    a.productName = QStringLiteral("甲商品");
    a.unit = QStringLiteral("个");
    a.quantity = 2;
    a.price = *Money::parse(QStringLiteral("617.28"));
    a.promoterNo = QStringLiteral("101");
    RetailSaleLine b = a;
    b.productNo = QStringLiteral("B");
    b.productName = QStringLiteral("乙商品");
    b.quantity = 1;
    b.price = Money::fromYuan(0);
    sale.lines = {a, b};
    sale.amountDue = *Money::parse(QStringLiteral("1234.56"));
    sale.amountReceived = sale.amountDue;
    const PostedSale posted = RetailPosting(db()).post(sale);

    SaleNoteData note;
    note.saleNo = posted.saleNo;
    note.shopName = QStringLiteral("幸福超市");
    note.shopNote = QStringLiteral("诚信经营");
    note.shopTel = QStringLiteral("0571-88886666");
    note.customerName = QStringLiteral("李先生");
    note.dateText = QStringLiteral("2026/12/10");
    note.amountDue = posted.amountDue;
    note.storeName = QStringLiteral("主库");
    note.promoterNames = QStringLiteral("张三");
    note.operatorName = QStringLiteral("系统管理员");
    TfrmBaseReport report(QStringLiteral("TfrmRepSell"));
    SaleNote::fill(report, note);

    EXPECT_EQ(report.label(QStringLiteral("lbTitle")), QStringLiteral("幸福超市销售单"));
    EXPECT_EQ(report.label(QStringLiteral("lbUpCaseMoney")), QStringLiteral("<大写：>壹仟贰佰叁拾肆元零伍角陆分"));
    EXPECT_EQ(report.label(QStringLiteral("lbMoney")), QStringLiteral("1234.56"));
    EXPECT_EQ(report.label(QStringLiteral("lbDH")), posted.saleNo);
    EXPECT_EQ(report.label(QStringLiteral("lbDw")), QStringLiteral("李先生"));
    EXPECT_EQ(report.label(QStringLiteral("lbOff")), QStringLiteral("张三"));
    EXPECT_EQ(report.label(QStringLiteral("lbOper")), QStringLiteral("系统管理员"));
    EXPECT_EQ(report.label(QStringLiteral("lbStore")), QStringLiteral("主库"));
    EXPECT_EQ(report.label(QStringLiteral("lbTel")), QStringLiteral("0571-88886666"));
    EXPECT_EQ(report.label(QStringLiteral("lbOther")), QStringLiteral("诚信经营"));
    EXPECT_TRUE(report.label(QStringLiteral("lbRemark")).isEmpty());

    // The lines come from XSMXB as saved, in the order they were posted.
    RecordingCanvas canvas;
    report::paint(report.pages(), canvas);
    const QStringList texts = canvas.pageTexts(1);
    const int a1 = int(texts.indexOf(QStringLiteral("甲商品")));
    const int b1 = int(texts.indexOf(QStringLiteral("乙商品")));
    ASSERT_GE(a1, 0);
    ASSERT_GT(b1, a1);
    EXPECT_TRUE(texts.contains(QStringLiteral("1234.56")));
    EXPECT_TRUE(texts.contains(QStringLiteral("<大写：>壹仟贰佰叁拾肆元零伍角陆分")));
}

INSTANTIATE_TEST_SUITE_P(Backends, SaleNoteTest, ::testing::ValuesIn(backends()), backendName);
