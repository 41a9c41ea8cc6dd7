// Every report of the catalogue, on an empty database and on a small shop: it lays out,
// shows its title and its column titles, and (with rows) the values of the rows.
#include "ReportFixture.h"
#include "app/PrintCanvas.h"
#include "reports/ReportCatalog.h"
#include "reports/TfrmBaseReport.h"
#include "DbTest.h"
#include "GuiTest.h"

#include <QSet>

namespace {

using reportfixture::kDay;

struct Case {
    const char* name;
    const char* title;
    std::vector<const char*> columnTitles;
    TfrmBaseReport::Params params;
    // Reports on the calling screen's result get these rows instead of a statement.
    std::vector<const char*> callerColumns;
    std::vector<ReportDataset::Row> callerRows;
    const char* rowText;  // a value the rows of the small shop must show
};

const QVariant day = QVariant(kDay);

std::vector<Case> cases() {
    return {
        {"TfrmRepBS", "报损单", {"报损单编号：", "员工姓名：", "操作日期：", "商品编码", "商品名称规格", "单位", "数量", "单价", "金额", "合计"}, {}, {}, {}, "B240315001"},
        {"TfrmRepInStore", "商品入库单", {"进货单号：", "操作日期：", "操作员：", "厂商：", "商品编号", "商品名称", "单位", "单价", "数量", "金额"}, {}, {}, {}, "84.80"},
        {"TfrmRepgysth", "供应商退货单", {"退货单编号：", "操作员：", "操作日期：", "厂商：", "商品编码", "商品名称", "计算单位", "数量", "单价", "金额"}, {}, {}, {}, "4.40"},
        {"TfrmRepkhth", "客户退货单", {"退货单编号：", "客户编号：", "操作员名称：", "操作日期：", "商品编码", "计算单位", "总价"}, {}, {}, {}, "c240315001"},
        {"TfrmRepdbcl", "调拨明细表", {"仓库名称", "调拨单号", "商品代码", "商品名称", "单位", "数量", "方式", "操作日期"}, {}, {}, {}, "调出"},
        {"TfrmRepOperBala", "收银员缴款单", {"缴款流水号", "缴款日期", "收银员工号", "收银员姓名", "应缴款", "实缴款", "合计："}, {}, {}, {}, "系统管理员"},
        {"TfrmRepXSMX", "销售明细表", {"销售流水号", "编号", "名称", "单价", "数量", "金额", "日期", "合计："}, {}, {}, {}, "X240315001"},
        {"TfrmRepSpml", "商品目录", {"商品编号", "商品名称", "单位", "单价", "备注"}, {}, {}, {}, "冷藏"},
        {"TfrmRepSupply", "供应商列表", {"编号", "名称", "联系人", "联系电话", "联系地址"}, {}, {}, {}, "王建国"},
        {"TfrmRepkccx", "库存单", {"商品编码", "商品名称", "库存数量", "盘点数量", "更新库存数量", "盘点日期", "仓库更新库存标志"}, {}, {}, {}, "已更新"},
        {"TfrmRepkckscx", "库存表", {"商品编号", "商品名称", "库存数量", "厂家", "备注"}, {},
         {"BPSERIALNO", "BPNAME", "StoreCount", "KCMAX", "KCMIN", "JHBZ", "CSNAME", "BZ"},
         {{"6901234567890", reportfixture::kCola, 19.0, 50, 20, "补货", "华联食品批发有限公司", "冷藏"}}, "冷藏"},
        {"TfrmRepStore", "库存表", {"编号", "名称", "单位", "数量", "单价", "总金额"}, {},
         {"spno", "spname", "SPDW", "sl", "CBJG", "zje", "FLName"},
         {{"6901234567890", reportfixture::kCola, "听", 19.0, 2.2, 41.8, "饮料"}}, "41.80"},
        {"TfrmRepyjbb", "业绩表", {"编号", "名称", "数量", "金额", "销售成本", "利润"}, {},
         {"offno", "NAME", "XSSL", "XSJE", "ZJE", "lr"}, {{"001", "张伟", 3, 11.5, 7.6, 3.9}}, "3.90"},
        {"TfrmReprxsfx", "日销售分析表", {"日期", "类别", "销售额", "成本", "毛利润"}, {},
         {"CZDATE", "FLNAME", "XSJE", "ZJE", "MLJE"}, {{"2024-03-15", "饮料", 7.0, 4.4, 2.6}}, "2.60"},
        {"TfrmRepcsxscx", "厂商销售表", {"销售日期：", "厂商名称", "销售金额", "合计"}, {{":begdate1", day}, {":enddate1", day}}, {}, {}, "华联食品批发有限公司"},
        {"TfrmRepkhjs", "客户结算往来表", {"结算编号：", "单据编号：", "操作员：", "操作日期：", "客户", "摘要", "借方", "贷方", "借贷", "余额"},
         {{":NO", QStringLiteral("K240315001")}}, {}, {}, "销售挂帐"},
        {"TfrmRepgysjs", "供应商结算往来表", {"结算编号：", "凭证编号：", "单据编号：", "操作员：", "操作日期：", "厂商", "摘要", "借方", "贷方", "借贷", "余额"},
         {{":no", QStringLiteral("F240315001")}}, {}, {}, "PZ-01"},
        {"TfrmRepkhwl", "客户往来明细表", {"单位：", "起期：", "止期：", "编号", "摘要", "凭证号码", "单据号码", "借方", "贷方", "借/贷", "余额", "操作日期"},
         {{":khno", QStringLiteral("001")}, {":dtBegDate1", day}, {":dtEndDate1", day}}, {}, {}, "K240315001"},
        {"TfrmRepcswl", "往来帐明细表", {"单位：", "起期：", "止期：", "编号", "凭证号", "单据编号", "摘要", "借方", "贷方", "借贷", "余额", "操作日期"},
         {{":csno", QStringLiteral("001")}, {":dtBegDate1", day}, {":dtEndDate1", day}}, {}, {}, "84.80"},
        {"TfrmRepkhsj", "客户数据明细表", {"单位：", "起期：", "止期：", "编号", "商品编号", "商品名称", "单位", "数量", "单价", "金额", "操作日期"},
         {{":KHNO1", QStringLiteral("001")}, {":KHNO2", QStringLiteral("001")}, {":dtBegDate1", day}, {":dtEndDate1", day},
          {":dtBegDate2", day}, {":dtEndDate2", day}}, {}, {}, "-3.50"},
        {"TfrmRepsjmx", "数据明细表", {"单位：", "起期：", "止期：", "编号", "单据号", "单据日期", "单位", "数量", "单价", "总金额", "经办人", "操作日期", "备注"},
         {{":CSNO1", QStringLiteral("001")}, {":CSNO2", QStringLiteral("001")}, {":dtBegDate1", day}, {":dtEndDate1", day},
          {":dtBegDate2", day}, {":dtEndDate2", day}}, {}, {}, "-4.40"},
        {"TfrmRepSell", "销售单", {"销售单位：", "单号：", "制单日期：", "电话：", "编  号", "品名规格", "单位", "数量", "单价", "货款", "合  计", "备  注", "出货仓：", "业务员：", "开单人："},
         {{":XSNO", QStringLiteral("X240315001")}}, {}, {}, "6909876543210"},
    };
}

QStringList strings(const std::vector<const char*>& list) {
    QStringList out;
    for (const char* s : list) out << QString::fromUtf8(s);
    return out;
}

class ReportCatalogueTest : public DbTest {
protected:
    // Lays the report out over the database as it is and paints it on the recorder.
    RecordingCanvas render(const Case& c, bool withRows) {
        TfrmBaseReport report(QString::fromUtf8(c.name));
        if (!c.callerColumns.empty()) {
            if (withRows) report.setDataset(ReportDataset(strings(c.callerColumns), c.callerRows));
        } else {
            for (const auto& [name, value] : c.params) report.setParam(name, value);
            EXPECT_TRUE(report.open()) << c.name;
        }
        RecordingCanvas canvas;
        report::paint(report.pages(), canvas);
        return canvas;
    }
    GuiSeams seams;
};

TEST_P(ReportCatalogueTest, theCatalogueHoldsEveryReport) {
    QStringList expected;
    for (const Case& c : cases()) expected << QString::fromUtf8(c.name);
    EXPECT_EQ(report::definitionNames(), expected);
}

TEST_P(ReportCatalogueTest, emptyDatasetStillPrintsTitleAndColumnTitles) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const RecordingCanvas canvas = render(c, false);
        EXPECT_EQ(canvas.pages, 1);
        EXPECT_TRUE(canvas.ended);
        const QStringList texts = canvas.texts();
        EXPECT_TRUE(texts.contains(QString::fromUtf8(c.title))) << texts.join(u'|').toStdString();
        for (const QString& title : strings(c.columnTitles)) EXPECT_TRUE(texts.contains(title)) << title.toStdString();
        EXPECT_FALSE(texts.join(QString()).contains(QString::fromUtf8(c.rowText)));
    }
    EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.texts().join(u'\n').toStdString();
}

TEST_P(ReportCatalogueTest, rowsOfTheSmallShopAppearUnderTheirTitles) {
    reportfixture::smallShop(db());
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const RecordingCanvas canvas = render(c, true);
        const QStringList texts = canvas.texts();
        EXPECT_TRUE(texts.contains(QString::fromUtf8(c.title)));
        for (const QString& title : strings(c.columnTitles)) EXPECT_TRUE(texts.contains(title)) << title.toStdString();
        EXPECT_TRUE(texts.join(QString()).contains(QString::fromUtf8(c.rowText))) << texts.join(u'|').toStdString();
    }
    EXPECT_TRUE(seams.recorder.shown.empty()) << seams.recorder.texts().join(u'\n').toStdString();
}

// The page setup of every report: A4, the statements landscape, the sale note with its own margins.
TEST_P(ReportCatalogueTest, pageSetupFollowsEachReport) {
    const QSet<QString> landscape{QStringLiteral("TfrmRepkhwl"), QStringLiteral("TfrmRepkhsj"), QStringLiteral("TfrmRepsjmx"),
                                  QStringLiteral("TfrmRepcswl")};
    for (const QString& name : report::definitionNames()) {
        SCOPED_TRACE(name.toStdString());
        const QPageLayout layout = report::findDefinition(name)->pageLayout();
        EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
        EXPECT_EQ(layout.orientation() == QPageLayout::Landscape, landscape.contains(name));
        const QMarginsF m = layout.margins(QPageLayout::Millimeter);
        if (name == QLatin1String("TfrmRepSell")) EXPECT_EQ(m, QMarginsF(10, 10, 3, 10));
        else if (name == QLatin1String("TfrmRepcswl")) EXPECT_EQ(m, QMarginsF(1, 10, 1, 10));
        else EXPECT_EQ(m, QMarginsF(10, 10, 10, 10));
    }
}

// The statements name their labels differently; the callers fill them by those names.
TEST_P(ReportCatalogueTest, statementLabelsCarryTheAccountAndThePeriod) {
    const std::pair<const char*, std::vector<const char*>> labels[] = {
        {"TfrmRepkhwl", {"lbUnit", "lbbegdate", "lbenddate"}},
        {"TfrmRepcswl", {"lbUnit", "lbBegDate", "lbenddate"}},
        {"TfrmRepkhsj", {"lbUnit", "lbbegdate", "lbenddate"}},
        {"TfrmRepsjmx", {"lbunit", "lbbegdate", "lbenddate"}},
        {"TfrmRepcsxscx", {"lbBegDate", "lbEndDate"}},
        {"TfrmRepSell", {"lbTitle", "lbOther", "lbDw", "lbDH", "lbDate", "lbTel", "lbUpCaseMoney", "lbMoney", "lbRemark", "lbStore", "lbOff", "lbOper"}},
    };
    for (const auto& [name, names] : labels) {
        SCOPED_TRACE(name);
        TfrmBaseReport report(QString::fromUtf8(name));
        report.setDataset(ReportDataset());
        int n = 0;
        for (const char* label : names) EXPECT_TRUE(report.setLabel(QString::fromUtf8(label), QStringLiteral("值%1").arg(++n))) << label;
        EXPECT_FALSE(report.setLabel(QStringLiteral("lbNoSuchLabel"), QStringLiteral("x")));
        RecordingCanvas canvas;
        report::paint(report.pages(), canvas);
        for (int i = 1; i <= n; ++i) EXPECT_TRUE(canvas.texts().contains(QStringLiteral("值%1").arg(i))) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ReportCatalogueTest, ::testing::ValuesIn(backends()), backendName);

}  // namespace
