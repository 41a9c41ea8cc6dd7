#include "DbTest.h"
#include "GuiTest.h"
#include "QueryFixture.h"
#include "tests/stock/StocktakeShop.h"

#include "app/LookupComboBox.h"
#include "app/ScreenRegistry.h"
#include "db/Stocktake.h"
#include "query/QueryRowSource.h"
#include "query/StockQueryScreens.h"
#include "reports/TfrmBaseReport.h"

#include <QPushButton>
#include <QRadioButton>

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

class StockQueryScreensTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        stocktake_shop::install(db());
    }
    GuiSeams seams;
};

template <typename Row>
QStringList products(const std::vector<Row>& rows) {
    QStringList out;
    for (const Row& r : rows) out << r.productNo;
    return out;
}

QStringList column(const ReportDataset& data, const char* name) {
    QStringList out;
    for (int r = 0; r < data.rowCount(); ++r) out << data.value(r, QString::fromLatin1(name)).toString();
    return out;
}

}  // namespace

TEST_P(StockQueryScreensTest, storeStockForOneStoreAllStoresOrNone) {
    Tfrmcykccx screen;
    auto* stores = screen.control<LookupComboBox>(u("lcbStore"));
    ASSERT_EQ(stores->count(), 3);
    EXPECT_EQ(stores->itemText(0), u("全部"));
    EXPECT_EQ(stores->keyValue(), QString());

    // Before any 确定 the printout has no rows.
    EXPECT_EQ(screen.report()->dataset().rowCount(), 0);

    struct Case { const char* store; const char* products; double firstQuantity; };
    for (const Case& c : {Case{"ZZZ", "A B", 12}, Case{"002", "A", 4}, Case{"", "", 0}}) {
        stores->setKeyValue(QString::fromLatin1(c.store));
        screen.control<QPushButton>(u("BitBtn1"))->click();
        EXPECT_EQ(products(screen.rows()).join(u' '), QString::fromLatin1(c.products)) << c.store;
        if (!screen.rows().empty()) {
            EXPECT_EQ(screen.rows()[0].quantity, c.firstQuantity) << c.store;
        }
    }

    stores->setKeyValue(QStringLiteral("ZZZ"));
    screen.control<QPushButton>(u("BitBtn1"))->click();
    const auto report = screen.report();
    EXPECT_EQ(report->label(QStringLiteral("lbTitle")), u("全部库存表"));
    EXPECT_EQ(column(report->dataset(), "spno"), (QStringList{"A", "B"}));
    EXPECT_EQ(Money::fromVariant(report->dataset().value(0, QStringLiteral("zje"))), Money::fromYuan(36));
    EXPECT_EQ(Money::fromVariant(report->dataset().value(1, QStringLiteral("zje"))), Money::fromYuan(160));
    screen.control<QPushButton>(u("BitBtn3"))->click();
    EXPECT_EQ(seams.runner.opened, 1);
    EXPECT_TRUE(seams.recorder.shown.empty());
}

TEST_P(StockQueryScreensTest, quickCheckPrintsTheCurrentChoicesAndMarksRestocking) {
    TfrmQyChecked screen;
    auto* suppliers = screen.control<LookupComboBox>(u("lcbSupply"));
    auto* categories = screen.control<LookupComboBox>(u("lcbSPFL"));
    EXPECT_EQ(suppliers->itemText(0), u("所有"));
    EXPECT_EQ(categories->itemText(0), u("所有"));
    suppliers->setKeyValue(QStringLiteral("zzz"));
    categories->setKeyValue(QStringLiteral("zzz"));
    screen.control<QPushButton>(u("bitYes"))->click();
    EXPECT_EQ(products(screen.rows()).join(u' '), QStringLiteral("A B C"));
    EXPECT_EQ(screen.rows()[0].restockMark, u("补货"));

    // A new supplier and 打印需进货 without 确定: the grid keeps its rows, the printout follows.
    suppliers->setKeyValue(QStringLiteral("001"));
    screen.findChildren<QRadioButton*>()[1]->click();
    EXPECT_EQ(screen.typeCode(), QStringLiteral("1"));
    const auto report = screen.report();
    ASSERT_TRUE(report);
    EXPECT_EQ(column(report->dataset(), "BPSERIALNO"), QStringList{"A"});
    EXPECT_EQ(column(report->dataset(), "StoreCount"), QStringList{"12"});
    EXPECT_EQ(screen.rows().size(), 3u);
    screen.control<QPushButton>(u("BitBtn1"))->click();
    EXPECT_EQ(seams.runner.opened, 1);

    // The mark: at the cell's top edge, centred; nothing for any other value.
    EXPECT_EQ(restockMarkRect(QRect(100, 40, 64, 22), u("补货")), QRect(124, 40, 16, 16));
    EXPECT_EQ(restockMarkRect(QRect(100, 40, 63, 22), u("补货")), QRect(123, 40, 16, 16));
    EXPECT_TRUE(restockMarkRect(QRect(100, 40, 64, 22), QString()).isNull());
    EXPECT_TRUE(restockMarkRect(QRect(100, 40, 64, 22), u("正常")).isNull());
}

TEST_P(StockQueryScreensTest, stocktakeFiguresPerStoreOrSummedKeepTheirConditions) {
    db::Stocktake(db()).initialise(QDate(2024, 3, 1), QDate(2024, 3, 31));
    db::Stocktake(db()).saveCounts({{QStringLiteral("A"), QStringLiteral("001"), 7}, {QStringLiteral("A"), QStringLiteral("002"), 5}});
    TfrmQueryChecked screen;
    queryfixture::Operator op{screen};

    op.condition(u("商品编码"), u("等于"), QStringLiteral("A"));
    op.f8();
    EXPECT_EQ(op.count(), QStringLiteral("2"));
    EXPECT_EQ(op.shown(0), (QStringList{"001", "002"}));

    // A condition committed in one mode applies in the other; in 合计 it filters the rows
    // before they are summed.
    op.condition(u("仓库编码"), u("等于"), QStringLiteral("002"));
    op.connective(u("或者"));
    screen.control<QRadioButton>(u("rbSummed"))->click();
    op.condition(u("仓库编码"), u("等于"), QStringLiteral("001"));
    op.f8();
    EXPECT_EQ(op.count(), QStringLiteral("3"));
    EXPECT_EQ(op.shown(2), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(op.shown(1), (QStringList{u("合计"), u("合计"), u("合计")}));
    EXPECT_EQ(op.shown(0), (QStringList{" ", " ", " "}));
    EXPECT_EQ(op.shown(4), (QStringList{"12", "20", "0"}));
    EXPECT_EQ(op.shown(5), (QStringList{"12", "0", "0"}));

    op.condition(u("仓库编码"), u("等于"), QStringLiteral("002"));
    op.f8();
    EXPECT_EQ(op.shown(4), (QStringList{"4", "0", "0"}));

    // The printout runs the statement on screen.
    TfrmBaseReport report(QStringLiteral("TfrmRepkccx"));
    report.setStatement(screen.PrintSQL(), screen.PrintValues());
    ASSERT_TRUE(report.open());
    EXPECT_EQ(column(report.dataset(), "SPNO"), (QStringList{"A", "B", "C"}));

    screen.control<QRadioButton>(u("rbPerStore"))->click();
    op.condition(u("仓库编码"), u("等于"), QStringLiteral("002"));
    op.f8();
    EXPECT_EQ(op.shown(1), (QStringList{u("二号库"), u("二号库"), u("二号库")}));
}

TEST_P(StockQueryScreensTest, menuItemsOpenTheScreens) {
    ScreenRegistry registry;
    registerQueryScreens(registry);
    for (const char* item : {"miQyChecked", "miQyOutStoreStat", "miQyKSChecked"})
        EXPECT_TRUE(registry.has(QString::fromLatin1(item))) << item;
}

INSTANTIATE_TEST_SUITE_P(Backends, StockQueryScreensTest, ::testing::ValuesIn(backends()), backendName);
