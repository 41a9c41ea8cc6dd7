#include "QueryFixture.h"
#include "app/ScreenRegistry.h"
#include "query/CsvExport.h"
#include "query/QueryScreens.h"
#include "query/TfrmQueryProductInfo.h"
#include "reports/TfrmBaseReport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <array>
#include <tuple>
#include <functional>
#include <memory>

using namespace queryfixture;

namespace {

class QueryScreensTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        install(db());
    }
    GuiSeams seams;
};

QString u(const char* text) { return QString::fromUtf8(text); }

struct ScreenCase {
    const char* name;
    std::function<std::unique_ptr<TfrmBaseQuery>()> make;
    const char* caption;
    const char* item;
    const char* comparison;
    const char* content;
    int keyColumn;            // a column that tells the rows apart
    QStringList keys;         // its values, in the screen's order
};

template <typename Screen>
std::function<std::unique_ptr<TfrmBaseQuery>()> make() {
    return [] { return std::make_unique<Screen>(); };
}

}  // namespace

TEST_P(QueryScreensTest, everyScreenQueriesItsViewOnce) {
    const ScreenCase cases[] = {
        {"transfers", make<TfrmQyDP>(), "调拨查询", "仓库编号", "等于", "002", 8, {u("调入")}},
        {"client returns", make<TfrmQuerykhth>(), "客户退货查询", "退货金额", "大于", "10", 2, {u("2001")}},
        {"products", make<TfrmQueryProductInfo>(), "商品信息查询", "商品名称规格", "包含", "奶", 0, {u("1001"), u("1002")}},
        {"losses", make<TfrmQueryBS>(), "报损查询", "操作日期", "等于", "2005-1-31", 3, {u("1001"), u("1002")}},
        {"hand-ins", make<TfrmQueryOperatorBalance>(), "收银员缴款查询", "应缴款", "大于", "60", 0, {u("j05012000000001")}},
        {"sale lines", make<TfrmQueryProductSell>(), "商品销售明细查询", "折扣", "等于", "90", 6, {u("29.61")}},
        {"supplier returns", make<TfrmQuerySupplyUndread>(), "对供应商退货查询", "计算单位", "等于", "箱", 7, {u("1")}},
        {"receipts", make<TfrmQueryReceive>(), "入库单查询", "厂商编号", "等于", "001", 4, {u("1001"), u("1002")}},
        {"suppliers", make<TfrmQuerySupply>(), "厂商信息查询", "厂商名称", "包含", "日化", 0, {u("002")}},
    };
    for (const ScreenCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto screen = c.make();
        Operator op{*screen};
        EXPECT_EQ(screen->windowTitle(), u(c.caption));
        EXPECT_EQ(screen->rows().rowCount(), 0);  // nothing is queried on creation
        op.condition(u(c.item), u(c.comparison), u(c.content));
        op.f8();
        EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.lastText().toStdString();
        EXPECT_EQ(op.count(), QString::number(c.keys.size()));
        EXPECT_EQ(op.shown(c.keyColumn), c.keys);
        EXPECT_EQ(op.remark(), QStringLiteral("(%1 %2 %3)").arg(u(c.item), u(c.comparison), u(c.content)));
        EXPECT_TRUE(op.combo("cbSelectItem")->currentText().isEmpty());
        EXPECT_FALSE(op.combo("cbSelectLogic")->isEnabled());
        seams.recorder.clear();
    }
}

TEST_P(QueryScreensTest, workedExampleThroughTheConnective) {
    TfrmQueryBS screen;
    Operator op{screen};
    EXPECT_FALSE(op.combo("cbSelectLogic")->isEnabled());
    op.condition(u("商品名称"), u("包含"), u("奶"));
    EXPECT_TRUE(op.combo("cbSelectLogic")->isEnabled());
    op.connective(u("并且"));
    EXPECT_EQ(op.remark(), u("(商品名称 包含 奶) 并且"));
    EXPECT_TRUE(op.combo("cbSelectContent")->currentText().isEmpty());
    EXPECT_FALSE(op.combo("cbSelectLogic")->isEnabled());
    op.condition(u("数量"), u("大于"), u("5"));
    op.f8();
    EXPECT_EQ(op.remark(), u("(商品名称 包含 奶) 并且(数量 大于 5)"));
    EXPECT_EQ(screen.PrintSQL(), u("Select * from vwBSCX Where (SPNAME like :c1 escape '!') and  SL > :c2 Order By BSDNO"));
    EXPECT_EQ(op.count(), u("1"));
    EXPECT_EQ(op.shown(4), QStringList{u("酸奶")});
    EXPECT_EQ(op.shown(7), QStringList{u("3.90")});

    // F8 again with nothing typed: the description of the last query goes, and the operator is asked.
    op.f8();
    EXPECT_EQ(seams.recorder.lastText(), u("请输入查询条件!"));
    EXPECT_TRUE(op.remark().isEmpty());
    EXPECT_EQ(op.count(), u("1"));  // the rows of the last query stay
}

TEST_P(QueryScreensTest, injectionAttemptsFindNothingAndChangeNothing) {
    TfrmQueryBS screen;
    Operator op{screen};
    const qint64 losses = count(QStringLiteral("BSB"));
    op.condition(u("商品名称"), u("等于"), u("x' or '1'='1"));
    op.f8();
    EXPECT_TRUE(seams.recorder.shown.empty());
    EXPECT_EQ(op.count(), u("0"));
    EXPECT_EQ(screen.rows().rowCount(), 0);

    op.condition(u("报损单号"), u("包含"), u("B"));
    op.f8();
    ASSERT_EQ(op.count(), u("3"));
    op.condition(u("数量"), u("大于"), u("1; delete from BSB"));
    op.f8();
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(seams.recorder.shown[0].caption, u("Error"));
    EXPECT_EQ(seams.recorder.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(seams.recorder.lastText(), u("查询条件不规范，请重新输入！"));
    EXPECT_EQ(count(QStringLiteral("BSB")), losses);
    // Found before the statement ran: the grid keeps its rows and count, the description goes.
    EXPECT_EQ(op.count(), u("3"));
    EXPECT_EQ(screen.rows().rowCount(), 3);
    EXPECT_TRUE(op.remark().isEmpty());

    // A typed column name is not an item.
    seams.recorder.clear();
    op.condition(u("BSDNO"), u("等于"), u("B05013100000001"));
    op.f8();
    EXPECT_EQ(seams.recorder.lastText(), u("查询条件不规范，请重新输入！"));
}

TEST_P(QueryScreensTest, containsFindsWildcardsAsTypedAndRefusesControlCharacters) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES('W1', '满50%减5'), ('W2', 'A_B!C'), ('W3', '满50元减5')"));
    TfrmQueryProductInfo screen;
    Operator op{screen};
    struct Case {
        const char* content;
        QStringList codes;
    };
    const Case cases[] = {{"%", {u("W1")}}, {"50%", {u("W1")}}, {"_", {u("W2")}}, {"!", {u("W2")}}, {"A_B!C", {u("W2")}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        op.condition(u("商品名称规格"), u("包含"), u(c.content));
        op.f8();
        EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.lastText().toStdString();
        EXPECT_EQ(op.shown(0), c.codes);
    }
    // A NUL or a line break is refused before any statement: no raw database error, no cut value.
    for (const QString& content : {QStringLiteral("满") + QChar(0), QStringLiteral("满\n50")}) {
        seams.recorder.clear();
        op.condition(u("商品名称规格"), u("包含"), content);
        op.f8();
        EXPECT_EQ(seams.recorder.lastText(), u("查询条件不规范，请重新输入！"));
    }
}

TEST_P(QueryScreensTest, queryRightAfterAConnectiveEmptiesTheGrid) {
    TfrmQueryBS screen;
    Operator op{screen};
    op.condition(u("报损单号"), u("包含"), u("B"));
    op.f8();
    ASSERT_EQ(op.count(), u("3"));
    op.condition(u("商品名称"), u("包含"), u("奶"));
    op.connective(u("或者"));
    op.f8();
    EXPECT_EQ(seams.recorder.lastText(), u("查询条件不规范，请重新输入！"));
    EXPECT_EQ(screen.rows().rowCount(), 0);
    EXPECT_TRUE(op.count().isEmpty());
    EXPECT_TRUE(op.remark().isEmpty());
    EXPECT_FALSE(screen.conditions().hasPendingConditions());
}

TEST_P(QueryScreensTest, containsOnTheSaleModeIsAMismatchAndTheGridReadsCommissionOrSale) {
    TfrmQueryProductInfo screen;
    Operator op{screen};
    op.condition(u("销售方式"), u("包含"), u("1"));
    op.f8();
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(seams.recorder.lastText(), u("比较类型匹配错误！请重新输入条件"));
    EXPECT_EQ(seams.recorder.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(op.combo("cbSelectItem")->currentText(), u("销售方式"));  // the operator corrects it

    op.condition(u("标准价格"), u("小于"), u("10"));
    op.f8();
    EXPECT_EQ(op.shown(0), (QStringList{u("1001"), u("1002")}));
    EXPECT_EQ(op.shown(11), (QStringList{u("代销"), u("包销")}));
    EXPECT_EQ(op.shown(4), (QStringList{u("3.50"), u("5.50")}));
    EXPECT_FALSE(screen.findChild<QTableView*>(u("dgDisplayData"))->isColumnHidden(TfrmQueryProductInfo::kCostColumn));
}

TEST_P(QueryScreensTest, viewModeHidesTheCostAndPickReturnsTheChosenProduct) {
    seams.runner.scripts.push_back([](QDialog& dialog) {
        auto& screen = static_cast<TfrmQueryProductInfo&>(dialog);
        Operator op{screen};
        auto* grid = screen.findChild<QTableView*>(u("dgDisplayData"));
        op.condition(u("商品编码"), u("大于"), u("1001"));
        op.f8();
        EXPECT_TRUE(grid->isColumnHidden(TfrmQueryProductInfo::kCostColumn));
        grid->setCurrentIndex(screen.rows().index(1, 0));
        screen.findChild<QPushButton*>(u("bitChoose"))->click();
    });
    EXPECT_EQ(TfrmQueryProductInfo::pickProduct(nullptr), u("2001"));

    // Closed without a choice.
    seams.runner.scripts.push_back([](QDialog& dialog) { dialog.reject(); });
    EXPECT_TRUE(TfrmQueryProductInfo::pickProduct(nullptr, QString()).isEmpty());

    // The stock screens' search keeps the cost visible; a double-click chooses.
    seams.runner.scripts.push_back([](QDialog& dialog) {
        auto& screen = static_cast<TfrmQueryProductInfo&>(dialog);
        Operator op{screen};
        auto* grid = screen.findChild<QTableView*>(u("dgDisplayData"));
        op.condition(u("商品名称规格"), u("等于"), u("酸奶"));
        op.f8();
        EXPECT_FALSE(grid->isColumnHidden(TfrmQueryProductInfo::kCostColumn));
        Q_EMIT grid->doubleClicked(screen.rows().index(0, 1));
    });
    EXPECT_EQ(TfrmQueryProductInfo::pickProduct(nullptr, QString()), u("1002"));
}

TEST_P(QueryScreensTest, printBeforeAnyQueryReportsAndShowsNothing) {
    TfrmQuerySupply screen;
    screen.findChild<QPushButton*>(u("bitPrint"))->click();
    EXPECT_EQ(seams.runner.opened, 0);
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_EQ(seams.recorder.shown[0].icon, MessageIcon::Error);
}

TEST_P(QueryScreensTest, printoutHasExactlyTheRowsOnScreen) {
    TfrmQueryProductSell screen;
    Operator op{screen};
    op.condition(u("操作日期"), u("包含"), u("2005-01"));
    op.connective(u("并且"));
    op.condition(u("单价"), u("小于"), u("5"));
    op.f8();
    ASSERT_EQ(op.count(), u("1"));

    TfrmBaseReport report(u("TfrmRepXSMX"));
    report.setStatement(screen.PrintSQL(), screen.PrintValues());
    ASSERT_TRUE(report.open());
    ASSERT_EQ(report.dataset().rowCount(), 1);
    EXPECT_EQ(report.dataset().value(0, u("XSNO")).toString(), u("X05012000000001"));
    EXPECT_DOUBLE_EQ(report.dataset().value(0, u("MONEY")).toDouble(), 10.5);

    screen.findChild<QPushButton*>(u("bitPrint"))->click();
    EXPECT_EQ(seams.runner.opened, 1);
    EXPECT_TRUE(seams.recorder.shown.empty());
}

TEST_P(QueryScreensTest, exportWritesTheShownColumnsAsUtf8WithBom) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u("商品.csv"));
    seams.runner.scripts.push_back([](QDialog& dialog) {
        auto& screen = static_cast<TfrmQueryProductInfo&>(dialog);
        Operator op{screen};
        op.condition(u("商品编码"), u("不等于"), u("1002"));
        op.f8();
        screen.findChild<QPushButton*>(u("bitExport"))->click();
        screen.reject();
    });
    seams.runner.scripts.push_back([&path](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        files.selectFile(path);
        static_cast<QDialog&>(files).accept();
    });
    TfrmQueryProductInfo::pickProduct(nullptr);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(u("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(u("商品编码,商品名称规格,商品分类,商品单位,标准价格,会员价格,批发价格,库存上限,库存下限,缺省供应商")));
    EXPECT_FALSE(lines[0].contains(u("成本价格")));  // hidden in the sale screens' search
    EXPECT_TRUE(lines[1].startsWith(u("1001,纯牛奶 250ml,,盒,3.50,3.20,3.00,500,10,001,代销,食品部")));
    EXPECT_TRUE(lines[2].startsWith(u("2001,")));
    EXPECT_EQ(seams.recorder.lastText(), u("已导出 2 条记录到文件：\n") + path);
}

TEST(CsvField, quotesWhatASpreadsheetWouldSplitOrRun) {
    EXPECT_EQ(query::csvField(u("纯牛奶"), true), u("纯牛奶"));
    EXPECT_EQ(query::csvField(u("a,b"), true), u("\"a,b\""));
    EXPECT_EQ(query::csvField(u("5\" 屏"), true), u("\"5\"\" 屏\""));
    EXPECT_EQ(query::csvField(u("=1+1"), true), u("'=1+1"));
    EXPECT_EQ(query::csvField(u("-3.50"), false), u("-3.50"));  // a negative amount stays a number
}

TEST_P(QueryScreensTest, largeResultIsReadInPagesInOrderWithAnExactCount) {
    {
        db::Transaction tx(db());
        db::Statement line(db(), u("insert into BSB(BSDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO, CZRQ) "
                                   "values(:no, '1001', :name, '盒', 1, 2.5, 2.5, '001', :at)"));
        for (int i = 0; i < 450; ++i)
            line.bind(u(":no"), u("B0503%1").arg(i / 100, 2, 10, QLatin1Char('0')))  // many rows share a number
                .bind(u(":name"), u("样品%1").arg(i, 3, 10, QLatin1Char('0')))
                .bind(u(":at"), QDateTime(QDate(2005, 3, 1), QTime(9, 0)))
                .exec();
        tx.commit();
    }
    TfrmQueryBS screen;
    Operator op{screen};
    screen.rows().setPaging(40, 3);
    op.condition(u("报损单号"), u("包含"), u("B0503"));
    op.f8();
    // A full first page shows at once; the count follows from its own connection.
    EXPECT_EQ(screen.rows().rowCount(), 40);
    QElapsedTimer waited;
    waited.start();
    while (screen.rows().totalRows() < 0 && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(op.count(), u("450"));
    QStringList numbers;
    QSet<QString> names;
    for (int r = 0; r < 450; ++r) {
        numbers << screen.rows().value(r, 0).toString();
        names.insert(screen.rows().value(r, 4).toString());
        EXPECT_LE(screen.rows().keptPageCount(), 3);
    }
    EXPECT_EQ(names.size(), 450);  // every row once, although the order clause leaves ties
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    // Scrolling back reads an early page again.
    EXPECT_EQ(screen.rows().value(0, 0).toString(), u("B050300"));
    EXPECT_TRUE(screen.rows().value(450, 0).isNull());
}

// The sale-line query's common filters give, on either backend, exactly the lines of valid
// sales that match, in the order of day, product and line: many lines share a day and a
// product, one sale is void, one is a wholesale client's. The grid reads pages of five, so
// the first page, the cursor and the count all take part.
TEST_P(QueryScreensTest, saleLineFiltersFindTheMatchingLinesInTheirOrder) {
    struct Line { QString sale; QString day; QString product; int quantity; qint64 id; QString client; bool valid; };
    std::vector<Line> lines;
    {
        db::Transaction tx(db());
        run(db(), "insert into KHB(KHNO, KHNAME) values(:v1, :v2)", {t("001"), t("老客户")});
        int quantity = 0;
        for (int d = 1; d <= 3; ++d)
            for (int k = 1; k <= 3; ++k) {
                const QString sale = u("X2601%1%2").arg(d, 2, 10, QLatin1Char('0')).arg(k, 8, 10, QLatin1Char('0'));
                const QString dayText = u("2026-01-%1").arg(d, 2, 10, QLatin1Char('0'));
                const QString client = k == 3 ? u("001") : u("000");
                const bool valid = !(d == 2 && k == 2);
                run(db(), "insert into XSB(XSNO, SPZE, SKZE, BNNO, XSDATE, KHNO, KHName, KHLX, ZFBZ) "
                          "values(:v1, 10, 10, '001', :v2, :v3, '客户', 'L', :v4)",
                    {sale, day(2026, 1, d, 8 + k), client, valid ? 0 : 1});
                // Three lines a sale, products in turn with one twice, so lines of one day and
                // product come from several sales and from one.
                for (const char* product : {"1002", "1001", "1002"}) {
                    ++quantity;
                    db::Statement ins(db(), u("insert into XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, XSDAY) "
                                              "values(:s, :p, '商品', '盒', :q, 1, 100, :q, :d)"));
                    ins.bind(u(":s"), sale).bind(u(":p"), u(product)).bind(u(":q"), double(quantity)).bind(u(":d"), dayText).exec();
                    lines.push_back({sale, dayText, u(product), quantity, 0, client, valid});
                }
            }
        tx.commit();
    }
    {
        db::Statement ids(db(), u("select SPSL, ID from XSMXB"));
        ids.exec();
        while (ids.next())
            for (Line& l : lines)
                if (l.quantity == int(ids.value(0).toDouble())) l.id = ids.value(1).toLongLong();
    }
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return std::tie(a.day, a.product, a.id) < std::tie(b.day, b.product, b.id);
    });

    struct Case {
        const char* name;
        std::vector<std::array<const char*, 4>> conditions;  // item, comparison, content, connective after it
        std::function<bool(const Line&)> matches;
        bool byHeaders = false;  // SQLite finds the sales among the headers first
    };
    const Case cases[] = {
        {"sale number", {{"销售编号", "等于", "X26010300000001", ""}}, [](const Line& l) { return l.sale == u("X26010300000001"); }, true},
        {"part of the sale number", {{"销售编号", "包含", "0100000002", ""}}, [](const Line& l) { return l.sale.contains(u("0100000002")); }, true},
        {"part of a void sale's number", {{"销售编号", "包含", "0200000002", ""}}, [](const Line&) { return false; }, true},
        {"part of the sale number and a product",
         {{"销售编号", "包含", "00000003", "并且"}, {"商品编码", "等于", "1002", ""}},
         [](const Line& l) { return l.sale.endsWith(u("00000003")) && l.product == u("1002"); }, true},
        {"part of the sale number or a product",
         {{"销售编号", "包含", "0300000001", "或者"}, {"商品编码", "等于", "1002", ""}},
         [](const Line& l) { return l.sale == u("X26010300000001") || l.product == u("1002"); }},
        {"day range",
         {{"操作日期", "大于等于", "2026-1-2", "并且"}, {"操作日期", "小于等于", "2026-01-03", ""}},
         [](const Line& l) { return l.day >= u("2026-01-02"); }},
        {"part of the day", {{"操作日期", "包含", "01-01", ""}}, [](const Line& l) { return l.day == u("2026-01-01"); }},
        {"product", {{"商品编码", "等于", "1002", ""}}, [](const Line& l) { return l.product == u("1002"); }},
        {"client", {{"客户编号", "等于", "001", ""}}, [](const Line& l) { return l.client == u("001"); }},
        {"product of a day",
         {{"商品编码", "等于", "1001", "并且"}, {"操作日期", "等于", "2026-01-02", ""}},
         [](const Line& l) { return l.product == u("1001") && l.day == u("2026-01-02"); }},
    };
    TfrmQueryProductSell screen;
    Operator op{screen};
    screen.rows().setPaging(5, 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [item, comparison, content, connective] : c.conditions) {
            op.condition(u(item), u(comparison), u(content));
            if (*connective) op.connective(u(connective));
        }
        op.f8();
        ASSERT_TRUE(seams.recorder.shown.empty()) << seams.recorder.lastText().toStdString();
        QElapsedTimer waited;
        waited.start();
        while (screen.rows().totalRows() < 0 && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QStringList expected, shown;
        for (const Line& l : lines)
            if (l.valid && c.matches(l)) expected << l.sale + u(" ") + l.product + u(" ") + QString::number(l.quantity);
        ASSERT_EQ(op.count(), QString::number(expected.size()));
        for (int r = 0; r < screen.rows().rowCount(); ++r)
            shown << screen.rows().value(r, 0).toString() + u(" ") + screen.rows().value(r, 1).toString() + u(" ")
                         + QString::number(int(screen.rows().value(r, 3).toDouble()));
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(screen.rows().ledByLookup(), c.byHeaders && GetParam() == db::Backend::Sqlite);
        // The printout reads the statement the grid ran.
        TfrmBaseReport report(u("TfrmRepXSMX"));
        report.setStatement(screen.PrintSQL(), screen.PrintValues());
        ASSERT_TRUE(report.open());
        EXPECT_EQ(report.dataset().rowCount(), expected.size());
        EXPECT_EQ(screen.PrintSQL().contains(u("FROM XSB")), screen.rows().ledByLookup());
    }
}

TEST(QueryScreenRegistry, everyQueryMenuItemOpensItsScreen) {
    ScreenRegistry registry;
    registerQueryScreens(registry);
    for (const char* item : {"miQyProduct", "miQySupply", "miQySellList", "miQySYYJK", "miQyInStore", "miQyDPCL",
                             "miQyKHTH", "miQyGysRetu", "miQyBs"})
        EXPECT_TRUE(registry.has(u(item))) << item;
}

INSTANTIATE_TEST_SUITE_P(Backends, QueryScreensTest, ::testing::ValuesIn(backends()), backendName);
