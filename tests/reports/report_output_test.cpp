// The way to paper: the preview (with its PDF button), PDF files read back as text, direct
// printing, and a dataset that cannot be opened.
#include "ReportFixture.h"
#include "app/PrintCanvas.h"
#include "app/SysSetIni.h"
#include "reports/TfrmBaseReport.h"
#include "DbTest.h"
#include "GuiTest.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QString pdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QStringLiteral("<pdftotext failed>");
    // Some CJK faces map a character to its compatibility radical (⼈ for 人) in the PDF's
    // text layer; compatibility normalisation reads them as the characters printed.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

class ReportOutputTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        reportfixture::smallShop(db());
    }
    GuiSeams seams;
    QTemporaryDir dir;
};

TEST_P(ReportOutputTest, aSaleNoteWrittenAsPdfReadsBackWithItsChineseText) {
    TfrmBaseReport note(QStringLiteral("TfrmRepSell"));
    ASSERT_TRUE(note.openDocument(QStringLiteral("X240315001")));
    note.setLabel(QStringLiteral("lbTitle"), QStringLiteral("华联超市销售单"));
    note.setLabel(QStringLiteral("lbDw"), QStringLiteral("街角便利店"));
    note.setLabel(QStringLiteral("lbDH"), QStringLiteral("X240315001"));
    note.setLabel(QStringLiteral("lbUpCaseMoney"), QStringLiteral("<大写：>壹拾壹元伍角"));
    note.setLabel(QStringLiteral("lbMoney"), QStringLiteral("11.50"));
    const QString path = dir.filePath(QStringLiteral("note.pdf"));
    ASSERT_TRUE(note.exportPdf(path));
    const QString text = pdfText(path);
    for (const QString& expected : {QStringLiteral("华联超市销售单"), QStringLiteral("街角便利店"), QStringLiteral("X240315001"), QStringLiteral("品名规格"),
                                    reportfixture::kNoodles, QStringLiteral("壹拾壹元伍角"), QStringLiteral("11.50"),
                                    QStringLiteral("货物请当面点清，出库概不负责；"), QStringLiteral("开单人：")})
        EXPECT_TRUE(text.contains(expected.normalized(QString::NormalizationForm_KC))) << expected.toStdString() << "\n" << text.toStdString();
}

TEST_P(ReportOutputTest, thePreviewShowsTheReportAndSavesItAsPdf) {
    const QString path = dir.filePath(QStringLiteral("statement.pdf"));
    QString previewTitle;
    seams.runner.scripts.push_back([&](QDialog& dialog) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
        ASSERT_TRUE(preview);
        previewTitle = preview->windowTitle();
        QAction* save = preview->findChild<QAction*>(QStringLiteral("actSavePdf"));
        ASSERT_TRUE(save);
        save->trigger();
        preview->reject();
    });
    seams.runner.scripts.push_back([&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_TRUE(files);
        files->selectFile(path);
        static_cast<QDialog*>(files)->accept();
    });
    TfrmBaseReport report(QStringLiteral("TfrmRepkhwl"));
    report.setParam(QStringLiteral(":khno"), QStringLiteral("001"));
    report.setParam(QStringLiteral(":dtBegDate1"), reportfixture::kDay);
    report.setParam(QStringLiteral(":dtEndDate1"), reportfixture::kDay);
    report.setLabel(QStringLiteral("lbUnit"), QStringLiteral("街角便利店"));
    EXPECT_TRUE(report.preview());
    EXPECT_EQ(seams.runner.opened, 2);
    EXPECT_TRUE(previewTitle.contains(QStringLiteral("客户往来明细表")));
    ASSERT_TRUE(QFile::exists(path));
    const QString text = pdfText(path);
    EXPECT_TRUE(text.contains(QStringLiteral("客户往来明细表")));
    EXPECT_TRUE(text.contains(QStringLiteral("销售挂帐")));
    EXPECT_TRUE(text.contains(QStringLiteral("街角便利店")));
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_TRUE(seams.recorder.lastText().contains(path));
}

// The query screens print their last statement in one call.
TEST_P(ReportOutputTest, aQueryStatementIsPreviewedWithItsBoundValuesAndTitle) {
    RecordingCanvas canvas;
    seams.runner.scripts.push_back([&](QDialog& dialog) { dialog.accept(); });
    EXPECT_TRUE(TfrmBaseReport::previewStatement(QStringLiteral("TfrmRepSpml"),
                                                 QStringLiteral("Select * from vwSPXXCX Where SPNAME like :name Order by SPNO"),
                                                 {{QStringLiteral(":name"), QStringLiteral("%可乐%")}},
                                                 QStringLiteral("饮料商品目录")));
    EXPECT_EQ(seams.runner.opened, 1);
    EXPECT_TRUE(seams.recorder.shown.empty());
}

TEST_P(ReportOutputTest, aDatasetThatCannotBeOpenedIsReportedAndNothingIsShown) {
    const std::pair<QString, QString> failures[] = {
        {QStringLiteral("Select * from vwNoSuchView"), QStringLiteral("报表数据无法打开")},
        {QString(), QStringLiteral("请先查询再打印")},  // print before any query: no statement yet
    };
    for (const auto& [sql, message] : failures) {
        SCOPED_TRACE(sql.toStdString());
        seams.recorder.clear();
        EXPECT_FALSE(TfrmBaseReport::previewStatement(QStringLiteral("TfrmRepBS"), sql, {}, QString()));
        EXPECT_EQ(seams.runner.opened, 0);
        ASSERT_EQ(seams.recorder.shown.size(), 1u);
        EXPECT_EQ(seams.recorder.shown[0].icon, MessageIcon::Error);
        EXPECT_TRUE(seams.recorder.lastText().contains(message)) << seams.recorder.lastText().toStdString();
    }
    // The same through the object: every output refuses, once reported each.
    TfrmBaseReport report(QStringLiteral("TfrmRepInStore"));
    report.setStatement(QStringLiteral("Select * from vwRKDCX Where NOSUCHCOLUMN = :no"), {{QStringLiteral(":no"), 1}});
    seams.recorder.clear();
    EXPECT_FALSE(report.preview());
    EXPECT_FALSE(report.print());
    EXPECT_FALSE(report.exportPdf(dir.filePath(QStringLiteral("x.pdf"))));
    EXPECT_EQ(seams.recorder.shown.size(), 3u);
    EXPECT_EQ(seams.runner.opened, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.pdf"))));
}

// A report on the screen's result prints without rows when that result is closed.
TEST_P(ReportOutputTest, aCallersClosedResultPrintsTheHeadingsOnly) {
    TfrmBaseReport report(QStringLiteral("TfrmRepyjbb"));
    RecordingCanvas canvas;
    report::paint(report.pages(), canvas);
    EXPECT_TRUE(canvas.texts().contains(QStringLiteral("业绩表")));
    EXPECT_TRUE(canvas.texts().contains(QStringLiteral("销售成本")));
    EXPECT_EQ(report.dataset().rowCount(), 0);
    EXPECT_TRUE(seams.recorder.shown.empty());
}

TEST_P(ReportOutputTest, printingWithoutAnyPrinterKeepsTheDocumentAsPdfInTheReceiptFolder) {
    if (PrinterCanvas::printerAvailable()) GTEST_SKIP() << "this machine has a printer";
    SysSetIni::setPath(dir.filePath(QStringLiteral("SysSet.ini")));
    TfrmBaseReport note(QStringLiteral("TfrmRepSell"));
    ASSERT_TRUE(note.openDocument(QStringLiteral("X240315001")));
    note.setLabel(QStringLiteral("lbTitle"), QStringLiteral("华联超市销售单"));
    const bool printed = note.print();
    SysSetIni::setPath(QString());
    ASSERT_TRUE(printed);
    EXPECT_TRUE(note.lastFile().startsWith(dir.filePath(QStringLiteral("receipts"))));
    EXPECT_TRUE(pdfText(note.lastFile()).contains(reportfixture::kCola));
    ASSERT_EQ(seams.recorder.shown.size(), 1u);
    EXPECT_TRUE(seams.recorder.lastText().contains(note.lastFile()));
}

// Printing on a printer the caller configured (a PDF printer here) goes page by page.
TEST_P(ReportOutputTest, printingOnAConfiguredPrinterWritesEveryPage) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = dir.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(path);
    TfrmBaseReport list(QStringLiteral("TfrmRepSupply"));
    ASSERT_TRUE(list.print(&printer));
    EXPECT_TRUE(pdfText(path).contains(QStringLiteral("华联食品批发有限公司")));
    EXPECT_TRUE(seams.recorder.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, ReportOutputTest, ::testing::ValuesIn(backends()), backendName);

}  // namespace
