// How the bands of a report fall onto pages: groups and their sums, the sale note over
// several pages, ruled cells, page numbers.
#include "ReportFixture.h"
#include "app/PrintCanvas.h"
#include "db/Money.h"
#include "reports/ReportCatalog.h"
#include "reports/TfrmRepJXCList.h"
#include "reports/TfrmBaseReport.h"
#include "DbTest.h"
#include "GuiTest.h"

#include <algorithm>
#include <cmath>

namespace {

using Op = RecordingCanvas::Op;

RecordingCanvas paintReport(TfrmBaseReport& report) {
    RecordingCanvas canvas;
    report::paint(report.pages(), canvas);
    return canvas;
}

// The texts of the whole report in printing order (page by page, top to bottom).
QStringList inOrder(const RecordingCanvas& canvas) {
    QStringList out;
    for (int p = 1; p <= canvas.pages; ++p) out += canvas.pageTexts(p);
    return out;
}

const Op* findText(const RecordingCanvas& canvas, const QString& text, int page = 0) {
    for (const Op& op : canvas.ops)
        if ((op.kind == Op::Text || op.kind == Op::BoxText) && op.text == text && (page == 0 || op.page == page)) return &op;
    return nullptr;
}

int countText(const RecordingCanvas& canvas, const QString& text) {
    return int(std::count_if(canvas.ops.begin(), canvas.ops.end(), [&](const Op& op) { return op.text == text; }));
}

// A sale of `lines` lines as XSMXB rows.
ReportDataset saleLines(int lines) {
    ReportDataset data({"XSNO", "SPNO", "SPNAME", "JLDW", "SPSL", "SPDJ", "ZKL", "ZJE"});
    for (int i = 1; i <= lines; ++i)
        data.addRow({"X240315001", QStringLiteral("69000000%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("商品%1").arg(i),
                     "件", double(i), 2.5, 100, 2.5 * i});
    return data;
}

void fillSaleNote(TfrmBaseReport& note) {
    const std::pair<const char*, const char*> labels[] = {
        {"lbTitle", "华联超市销售单"}, {"lbOther", "诚信经营 童叟无欺"}, {"lbDw", "街角便利店"}, {"lbDH", "X240315001"},
        {"lbDate", "2024-03-15"}, {"lbTel", "0571-88001234"}, {"lbUpCaseMoney", "<大写：>壹仟壹佰陆拾贰元伍角"},
        {"lbMoney", "1162.50"}, {"lbRemark", ""}, {"lbStore", "主库"}, {"lbOff", "张伟"}, {"lbOper", "系统管理员"}};
    for (const auto& [name, text] : labels) EXPECT_TRUE(note.setLabel(QString::fromUtf8(name), QString::fromUtf8(text)));
}

double lastDetailBottom(const RecordingCanvas& canvas, int page) {
    double bottom = 0;
    for (const Op& op : canvas.ops)
        if (op.page == page && op.text.startsWith(QLatin1String("690000"))) bottom = std::max(bottom, op.box.bottom());
    return bottom;
}

// ---- the sale note ----

TEST(SaleNoteLayout, thirtyLinesFitOnePageWithTheTotalsAfterTheLastLine) {
    TfrmBaseReport note(QStringLiteral("TfrmRepSell"));
    note.setDataset(saleLines(30));
    fillSaleNote(note);
    const RecordingCanvas canvas = paintReport(note);
    ASSERT_EQ(canvas.pages, 1);
    const Op* total = findText(canvas, QStringLiteral("合  计"));
    ASSERT_TRUE(total);
    EXPECT_GT(total->box.top(), lastDetailBottom(canvas, 1) - 0.01);
    const QStringList texts = inOrder(canvas);
    EXPECT_LT(texts.indexOf(QStringLiteral("6900000000030")), texts.indexOf(QStringLiteral("合  计")));
    EXPECT_LT(texts.indexOf(QStringLiteral("合  计")), texts.indexOf(QStringLiteral("备  注")));
    EXPECT_LT(texts.indexOf(QStringLiteral("备  注")), texts.indexOf(QStringLiteral("货物请当面点清，出库概不负责；")));
}

TEST(SaleNoteLayout, aLongNoteRepeatsItsHeadingOnEveryPageAndPrintsTheRuledTitlesOnce) {
    TfrmBaseReport note(QStringLiteral("TfrmRepSell"));
    note.setDataset(saleLines(60));
    fillSaleNote(note);
    const RecordingCanvas canvas = paintReport(note);
    ASSERT_GE(canvas.pages, 2);
    for (int p = 1; p <= canvas.pages; ++p) {
        SCOPED_TRACE(p);
        const QStringList page = canvas.pageTexts(p);
        // The band with 销售单位, 单号, 制单日期 and 电话 heads every page.
        for (const char* t : {"销售单位：", "街角便利店", "单号：", "X240315001", "制单日期：", "电话："})
            EXPECT_TRUE(page.contains(QString::fromUtf8(t))) << t;
        EXPECT_EQ(page.contains(QStringLiteral("华联超市销售单")), p == 1);
        EXPECT_EQ(page.contains(QStringLiteral("合  计")), p == canvas.pages);
    }
    EXPECT_EQ(countText(canvas, QStringLiteral("品名规格")), 1);
    EXPECT_EQ(countText(canvas, QStringLiteral("华联超市销售单")), 1);
    for (int i = 1; i <= 60; ++i) EXPECT_EQ(countText(canvas, QStringLiteral("69000000%1").arg(i, 5, 10, QLatin1Char('0'))), 1) << i;
    const Op* total = findText(canvas, QStringLiteral("合  计"));
    ASSERT_TRUE(total);
    EXPECT_GT(total->box.top(), lastDetailBottom(canvas, canvas.pages) - 0.01);
    EXPECT_TRUE(findText(canvas, QStringLiteral("<大写：>壹仟壹佰陆拾贰元伍角"), canvas.pages));
    EXPECT_TRUE(findText(canvas, QStringLiteral("1162.50"), canvas.pages));
}

TEST(SaleNoteLayout, theSixCellsHaveTheirWidthsAndShareTheirBorders) {
    TfrmBaseReport note(QStringLiteral("TfrmRepSell"));
    note.setDataset(saleLines(2));
    const RecordingCanvas canvas = paintReport(note);
    std::vector<QRectF> rects;
    for (const Op& op : canvas.ops)
        if (op.kind == Op::Rect) rects.push_back(op.box);
    // Title row and two lines: six cells each; then the footer's three ruled rows.
    ASSERT_GE(rects.size(), 18u);
    const double px = 25.4 / 96;
    const double widths[] = {61, 130, 37, 42, 55, 70};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_NEAR(rects[size_t(row * 6)].left(), 13 * px, 1e-6);
        for (int i = 0; i < 6; ++i) {
            const QRectF& r = rects[size_t(row * 6 + i)];
            EXPECT_NEAR(r.width(), widths[i] * px, 1e-6);
            EXPECT_NEAR(r.height(), 25 * px, 1e-6);
            if (i > 0) EXPECT_DOUBLE_EQ(r.left(), rects[size_t(row * 6 + i - 1)].right());
            if (row > 0) EXPECT_DOUBLE_EQ(r.top(), rects[size_t((row - 1) * 6 + i)].bottom());
        }
    }
}

TEST(SaleNoteLayout, aProductCodeTooWideForItsCellIsSetSmallerNotCut) {
    TfrmBaseReport note(QStringLiteral("TfrmRepSell"));
    note.setDataset(saleLines(1));
    const RecordingCanvas canvas = paintReport(note);
    const Op* code = findText(canvas, QStringLiteral("6900000000001"));
    const Op* name = findText(canvas, QStringLiteral("商品1"));
    ASSERT_TRUE(code && name);
    EXPECT_LT(code->pointSize, name->pointSize);
    RecordingCanvas measure;
    QFont f(code->fontFamily);
    f.setPointSizeF(code->pointSize);
    measure.setFont(f);
    EXPECT_LE(measure.textWidth(code->text), code->box.width());
}

// ---- lists over several pages ----

TEST(ListLayout, columnTitlesOfTheSaleListHeadEveryPageAndPagesAreNumbered) {
    TfrmBaseReport list(QStringLiteral("TfrmRepXSMX"));
    ReportDataset data({"XSNO", "SPNO", "SPNAME", "SPDJ", "SPSL", "ZJE", "XSDATE"});
    for (int i = 0; i < 100; ++i) data.addRow({"X240315001", "6901234567890", "可口可乐 330ml", 3.5, 2.0, 7.0, "2024-03-15"});
    list.setDataset(data);
    const RecordingCanvas canvas = paintReport(list);
    ASSERT_GE(canvas.pages, 2);
    for (int p = 1; p <= canvas.pages; ++p) {
        const QStringList page = canvas.pageTexts(p);
        EXPECT_TRUE(page.contains(QStringLiteral("销售流水号"))) << p;
        EXPECT_EQ(page.contains(QStringLiteral("销售明细表")), p == 1) << p;
        EXPECT_TRUE(page.contains(QStringLiteral("第 %1 页，共 %2 页").arg(p).arg(canvas.pages))) << p;
    }
    // The summary closes the list: 200 pieces, 700.00 yuan.
    const QStringList last = canvas.pageTexts(canvas.pages);
    EXPECT_TRUE(last.contains(QStringLiteral("200")));
    EXPECT_TRUE(last.contains(QStringLiteral("700.00")));
}

// Texts on one printed line need a visible gap between them, and every text stays on the sheet.
void expectNoTextsTouch(const RecordingCanvas& canvas, double pageWidthMm) {
    std::vector<const Op*> texts;
    for (const Op& op : canvas.ops)
        if ((op.kind == Op::Text || op.kind == Op::BoxText) && !op.text.trimmed().isEmpty()) texts.push_back(&op);
    ASSERT_FALSE(texts.empty());
    for (size_t i = 0; i < texts.size(); ++i) {
        const Op& a = *texts[i];
        EXPECT_GE(a.drawn.left(), 0.0) << a.text.toStdString();
        EXPECT_LE(a.drawn.right(), pageWidthMm) << a.text.toStdString();
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const Op& b = *texts[j];
            if (a.page != b.page || std::abs(a.drawn.center().y() - b.drawn.center().y()) > 1.0) continue;
            const double gap = std::max(b.drawn.left() - a.drawn.right(), a.drawn.left() - b.drawn.right());
            EXPECT_GT(gap, 0.3) << "\"" << a.text.toStdString() << "\" and \"" << b.text.toStdString() << "\"";
        }
    }
}

double printableWidthMm(const report::LaidOutReport& laid) {
    return laid.pageLayout.paintRect(QPageLayout::Millimeter).width();
}

// The amounts a shop may print, from a few yuan to a large shop's year.
const double kAmounts[] = {3.5, 1234.56, 98765.43, 12345678.91, 987654321.98};

TEST(ListLayout, noTwoPrintedTextsOfTheSaleListOverlapOrTouchWhateverTheAmounts) {
    for (const double price : {3.5, 1234.56, 98765.43}) {
        SCOPED_TRACE(price);
        TfrmBaseReport list(QStringLiteral("TfrmRepXSMX"));
        ReportDataset data({"XSNO", "SPNO", "SPNAME", "SPDJ", "SPSL", "ZJE", "XSDATE"});
        for (int i = 0; i < 40; ++i)
            data.addRow({"202612100000001", "6901234567890", "王老吉凉茶 310ml", price, 3.0, price * 3, "2026-12-10"});
        list.setDataset(data);
        const RecordingCanvas canvas = paintReport(list);
        expectNoTextsTouch(canvas, printableWidthMm(list.pages()));
        const QStringList last = canvas.pageTexts(canvas.pages);
        EXPECT_TRUE(last.contains(QStringLiteral("合计：")));
        EXPECT_TRUE(last.contains(Money::fromDouble(price * 3 * 40).toString()));
    }
}

// The statistics printouts with the widest names their columns hold and amounts up to a
// large shop's year, each row and the total printed in full.
TEST(ListLayout, noTwoPrintedTextsOfTheStatisticsPrintoutsOverlapOrTouchWhateverTheAmounts) {
    const QString name12 = QStringLiteral("进口休闲食品与饮料冲调类");
    const QString name40 = QStringLiteral("杭州市西湖区华联食品饮料日化百货批发有限公司第一分公司（原华联超市配送中心）二店");
    ASSERT_EQ(name40.size(), 40);
    for (const double amount : kAmounts) {
        SCOPED_TRACE(amount);
        const QVariant sales = QVariant::fromValue(Money::fromDouble(amount));
        const QVariant cost = QVariant::fromValue(Money::fromDouble(amount * 0.7));
        const QVariant profit = QVariant::fromValue(Money::fromDouble(amount) - Money::fromDouble(amount * 0.7));
        struct Case { const char* report; ReportDataset data; };
        Case cases[] = {
            {"TfrmRepyjbb", ReportDataset({"offno", "NAME", "XSSL", "XSJE", "ZJE", "lr"})},
            {"TfrmReprxsfx", ReportDataset({"CZDATE", "FLNAME", "XSJE", "ZJE", "MLJE"})},
            {"TfrmRepcsxscx", ReportDataset({"csname", "xsje"})},
        };
        for (int i = 0; i < 30; ++i) {
            cases[0].data.addRow({"120", name12, qint64(amount / 3.5), sales, cost, profit});
            cases[1].data.addRow({"2026-12-10", name12, sales, cost, profit});
            cases[2].data.addRow({name40, sales});
        }
        for (Case& c : cases) {
            SCOPED_TRACE(c.report);
            TfrmBaseReport report(QString::fromUtf8(c.report));
            report.setDataset(c.data);
            report.setLabel(QStringLiteral("lbBegDate"), QStringLiteral("2026-01-01"));
            report.setLabel(QStringLiteral("lbEndDate"), QStringLiteral("2026-12-31"));
            const RecordingCanvas canvas = paintReport(report);
            expectNoTextsTouch(canvas, printableWidthMm(report.pages()));
            EXPECT_EQ(countText(canvas, Money::fromDouble(amount).toString()), 30);
        }
        // The supplier printout's total.
        TfrmBaseReport suppliers(QStringLiteral("TfrmRepcsxscx"));
        suppliers.setDataset(cases[2].data);
        EXPECT_TRUE(findText(paintReport(suppliers), Money::fromDouble(amount).times(30).toString()));
    }
}

// The summary's pages at the screen's own column widths and with 商品名称 widened beyond
// what the sheet holds, each figure as wide as it gets.
TEST(ListLayout, noTwoPrintedTextsOfTheStockSummaryOverlapOrTouchWhateverTheAmounts) {
    const QVector<int> screen = {68, 94, 67, 55, 84, 53, 97, 50, 75, 55, 82, 50, 74, 50, 96};
    QVector<int> widened = screen;
    widened[1] = 400;
    for (const auto& [widths, amount] : {std::pair{screen, kAmounts[0]}, std::pair{screen, kAmounts[4]},
                                         std::pair{widened, kAmounts[1]}, std::pair{widened, kAmounts[4]}}) {
        SCOPED_TRACE(amount);
        SCOPED_TRACE(widths[1]);
        const QString money = Money::fromDouble(amount).toString();
        const QString count = report::quantityText(std::round(amount / 3.5) + 0.5);
        const QStringList row = {"690123456789012", "康师傅红烧牛肉面 105g", money, count, money, count, money, count,
                                 money, count, money, count, money, count, money};
        const report::LaidOutReport laid = TfrmRepJXCList::pages(std::vector<QStringList>(20, row), widths, 20, 1);
        RecordingCanvas canvas;
        report::paint(laid, canvas);
        // The table may use the right margin down to 4 mm from the sheet's edge.
        expectNoTextsTouch(canvas, printableWidthMm(laid) + 6);
        EXPECT_EQ(countText(canvas, money), 20 * 7);
    }
}

// ---- groups over the database ----

class ReportGroupingTest : public DbTest {
protected:
    GuiSeams seams;
};

TEST_P(ReportGroupingTest, threeReceiptsGiveThreeGroupsEachWithItsOwnTotal) {
    reportfixture::smallShop(db());
    for (const char* sql : {
             "INSERT INTO JHDSJB(JHDNO, CSNO, BNNO) VALUES('J240315002', '001', '001')",
             "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, ZJE) VALUES('J240315002', '6909876543210', '康师傅红烧牛肉面', '袋', 1.5, 10, 15)",
             "INSERT INTO JHDSJB(JHDNO, CSNO, BNNO) VALUES('J240315003', '001', '001')",
             "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, ZJE) VALUES('J240315003', '6901234567890', '可口可乐 330ml', '听', 2.25, 3, 6.75)",
             "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, ZJE) VALUES('J240315003', '6909876543210', '康师傅红烧牛肉面', '袋', 3.1, 0.5, 1.55)",
         })
        db().execute(QString::fromUtf8(sql));
    TfrmBaseReport report(QStringLiteral("TfrmRepInStore"));
    report.setStatement(QStringLiteral("Select * from vwRKDCX Where CSNO = :csno Order by JHDNO, SPNO"),
                        {{QStringLiteral(":csno"), QStringLiteral("001")}});
    ASSERT_TRUE(report.open());
    const RecordingCanvas canvas = paintReport(report);
    QStringList groups;
    const QStringList texts = inOrder(canvas);
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].startsWith(QLatin1String("J2403150"))) groups << texts[i];
        if (texts[i] == QStringLiteral("合计：") && i + 1 < texts.size()) groups << texts[i] + texts[i + 1];
    }
    EXPECT_EQ(groups, QStringList({"J240315001", "合计：84.80", "J240315002", "合计：15.00", "J240315003", "合计：8.30"}));
}

TEST_P(ReportGroupingTest, severalLossReportsGiveOneHeaderAndOneTotalOverAllRows) {
    reportfixture::smallShop(db());
    db().execute(QStringLiteral("INSERT INTO BSB(BSDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO) VALUES"
                                "('B240315002', '6901234567890', '可口可乐 330ml', '听', 2, 2.2, 4.4, '001')"));
    db().execute(QStringLiteral("INSERT INTO BSB(BSDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO) VALUES"
                                "('B240315002', '6909876543210', '康师傅红烧牛肉面', '袋', 1, 3.2, 3.2, '001')"));
    TfrmBaseReport report(QStringLiteral("TfrmRepBS"));
    report.setStatement(QStringLiteral("Select * from vwBSCX Where SL > :sl Order By BSDNO, SPNO"), {{QStringLiteral(":sl"), 0.0}});
    ASSERT_TRUE(report.open());
    ASSERT_EQ(report.dataset().rowCount(), 3);
    const RecordingCanvas canvas = paintReport(report);
    const QStringList texts = inOrder(canvas);
    EXPECT_EQ(countText(canvas, QStringLiteral("报损单编号：")), 1);
    EXPECT_EQ(texts.value(texts.indexOf(QStringLiteral("报损单编号：")) + 1), QStringLiteral("B240315001"));
    EXPECT_EQ(countText(canvas, QStringLiteral("合计")), 1);
    EXPECT_EQ(texts.value(texts.indexOf(QStringLiteral("合计")) + 1), QStringLiteral("10.80 元"));
}

TEST_P(ReportGroupingTest, handInListSumsDueAndPaid) {
    db().execute(QStringLiteral("INSERT INTO SYYJKB(JKLSNO, JKDATE, SYYNO, SYYNAME, SJJE, YJJE, BNNO) "
                                "VALUES('j240315001', getdate(), '001', '系统管理员', 90, 100, '001')"));
    db().execute(QStringLiteral("INSERT INTO SYYJKB(JKLSNO, JKDATE, SYYNO, SYYNAME, SJJE, YJJE, BNNO) "
                                "VALUES('j240315002', getdate(), '001', '系统管理员', 50, 50, '001')"));
    TfrmBaseReport report(QStringLiteral("TfrmRepOperBala"));
    ASSERT_TRUE(report.open());
    const QStringList texts = inOrder(paintReport(report));
    const int total = int(texts.indexOf(QStringLiteral("合计：")));
    ASSERT_GE(total, 0);
    EXPECT_EQ(texts.mid(total, 3), QStringList({"合计：", "150.00", "140.00"}));
}

TEST_P(ReportGroupingTest, anEmptyDocumentPrintsItsHeadersAndAZeroTotal) {
    TfrmBaseReport report(QStringLiteral("TfrmRepBS"));
    ASSERT_TRUE(report.openDocument(QStringLiteral("B-NONE")));
    const RecordingCanvas canvas = paintReport(report);
    const QStringList texts = inOrder(canvas);
    EXPECT_TRUE(texts.contains(QStringLiteral("报损单编号：")));
    EXPECT_TRUE(texts.contains(QStringLiteral("商品名称规格")));
    EXPECT_EQ(texts.value(texts.indexOf(QStringLiteral("合计")) + 1), QStringLiteral("0.00 元"));
}

// A document screen prints one document by its number, however many are stored.
TEST_P(ReportGroupingTest, documentReportsPrintOnlyTheirDocument) {
    reportfixture::smallShop(db());
    db().execute(QStringLiteral("INSERT INTO XSB(XSNO, SPZE, SKZE, BNNO, KHNO, KHLX) VALUES('X240315002', 9, 9, '001', '000', 'L')"));
    db().execute(QStringLiteral("INSERT INTO XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, XSDAY) VALUES"
                                "('X240315002', '6901234567890', '另一张单', '听', 1, 9, 100, 9, date10(getdate()))"));
    TfrmBaseReport note(QStringLiteral("TfrmRepSell"));
    ASSERT_TRUE(note.openDocument(QStringLiteral("X240315001")));
    EXPECT_EQ(note.dataset().rowCount(), 2);
    const QStringList texts = paintReport(note).texts();
    EXPECT_TRUE(texts.contains(reportfixture::kCola));
    EXPECT_TRUE(texts.contains(QStringLiteral("7.00")));
    EXPECT_FALSE(texts.contains(QStringLiteral("另一张单")));
}

INSTANTIATE_TEST_SUITE_P(Backends, ReportGroupingTest, ::testing::ValuesIn(backends()), backendName);

}  // namespace
