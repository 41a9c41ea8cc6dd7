// pos --import-products: arguments, exit codes and the all-or-nothing import.
#include "DbTest.h"

#include "CommandLine.h"

#include <QTemporaryFile>
#include <QTextStream>

TEST(ImportCommandLine, needsAFileAndLeavesTheGui) {
    const CommandLine ok = CommandLine::parse({"pos", "--import-products", "list.csv"});
    EXPECT_TRUE(ok.error.isEmpty());
    EXPECT_EQ(ok.importProducts, QStringLiteral("list.csv"));
    EXPECT_FALSE(ok.runsGui());
    EXPECT_EQ(CommandLine::parse({"pos", "--import-products=a.csv", "--database", "sqlite:x.db"}).importProducts, QStringLiteral("a.csv"));
    for (const QStringList& bad : {QStringList{"pos", "--import-products"}, QStringList{"pos", "--import-products", "--database", "x"},
                                   QStringList{"pos", "--import-products="}})
        EXPECT_FALSE(CommandLine::parse(bad).error.isEmpty()) << bad.join(' ').toStdString();
    EXPECT_TRUE(CommandLine::parse({"pos"}).runsGui());
}

class ImportCommandTest : public DbTest {
protected:
    int run(const QString& csv, QString* errText) {
        QTemporaryFile file;
        EXPECT_TRUE(file.open());
        file.write(csv.toUtf8());
        file.close();
        CommandLine c = CommandLine::parse({"pos", "--import-products", file.fileName()});
        QString outText;
        QTextStream out(&outText), err(errText);
        return runProductImport(c, url(), out, err);
    }
};

TEST_P(ImportCommandTest, importsAGoodFileAndRefusesABadOneWithExitCodeOne) {
    QString err;
    EXPECT_EQ(run(QStringLiteral("商品编码,商品名称\nM1,毛巾\nM2,牙刷\n"), &err), 0) << err.toStdString();
    EXPECT_EQ(count("SPB", "SPNO IN ('M1', 'M2')"), 2);
    EXPECT_EQ(run(QStringLiteral("商品编码,商品名称\nM3,肥皂\nM1,毛巾\n"), &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("第3行"))) << err.toStdString();
    EXPECT_EQ(count("SPB", "SPNO = 'M3'"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ImportCommandTest, ::testing::ValuesIn(backends()), backendName);
