// Catalogue import: all or nothing, every refused line reported with its number.
#include "DbTest.h"
#include "SmallShop.h"

#include "db/Statement.h"
#include "db/Transaction.h"
#include "masterdata/ProductImport.h"

#include <QStringEncoder>
#include <QTemporaryFile>

class ProductImportTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        installSmallShop(db());
    }
    ImportReport importText(const QString& text) { return ProductImport(db(), QStringLiteral("001")).importData(text.toUtf8()); }
    QStringList refusedLines(const ImportReport& r) {
        QStringList lines;
        for (const ImportRefusal& x : r.refused) lines << QStringLiteral("%1:%2").arg(x.line).arg(x.reason);
        return lines;
    }
};

TEST_P(ProductImportTest, importsByTitlesResolvingCodeTablesByCodeOrName) {
    const ImportReport r = importText(QStringLiteral(
        "商品编码,商品名称,商品分类,单位,销售价格,批发价,库存上限,缺省供应商,所属部门,销售方式,备注\r\n"
        "A001,\"矿泉水, 550ml\",饮料,瓶,1.5,1.2,100,乙供应商,01,代销,\"说\"\"明\"\"\"\r\n"
        "\r\n"
        "A002,薯片,02,02,6,,,,,,\r\n"));
    ASSERT_TRUE(r.ok()) << r.text().toStdString();
    EXPECT_EQ(r.imported, 2);
    db::Statement s(db(), QStringLiteral("SELECT SPNAME, SPLB, SPDW, BZJG, PFJG, KCMAX, QSGYS, BMNO, XSFS, BZ FROM SPB WHERE SPNO = 'A001'"));
    ASSERT_TRUE(s.first());
    EXPECT_EQ(s.text(0), QStringLiteral("矿泉水, 550ml"));
    EXPECT_EQ(s.text(1), QStringLiteral("01"));
    EXPECT_EQ(s.text(2), QStringLiteral("瓶"));
    EXPECT_EQ(s.money(3), Money::fromCents(150));
    EXPECT_EQ(s.money(4), Money::fromCents(120));
    EXPECT_EQ(s.integer(5), 100);
    EXPECT_EQ(s.text(6), QStringLiteral("002"));
    EXPECT_EQ(s.text(7), QStringLiteral("01"));
    EXPECT_EQ(s.integer(8), 1);
    EXPECT_EQ(s.text(9), QStringLiteral("说\"明\""));
    // The unit number names the unit; a missing supplier stays NULL.
    EXPECT_EQ(count("SPB", "SPNO = 'A002' AND SPLB = '02' AND SPDW = '箱' AND QSGYS IS NULL AND XSFS = 0"), 1);
    EXPECT_EQ(count("RZ", "CZDZ = '增加' AND CS1 = 'SPB'"), 2);
}

// An empty lowest price is no lowest price (the standard price is the floor), not 0.
TEST_P(ProductImportTest, anEmptyLowestPriceIsStoredAsNone) {
    const ImportReport r = importText(QStringLiteral("商品编码,商品名称,销售价格,最低价格\nL001,毛巾,12.5,\nL002,牙刷,3,2.5\nL003,肥皂,2,-1\n"));
    EXPECT_EQ(r.imported, 0);
    EXPECT_EQ(refusedLines(r).size(), 1);
    const ImportReport ok = importText(QStringLiteral("商品编码,商品名称,销售价格,最低价格\nL001,毛巾,12.5,\nL002,牙刷,3,2.5\n"));
    ASSERT_TRUE(ok.ok()) << ok.text().toStdString();
    EXPECT_EQ(count("SPB", "SPNO = 'L001' AND ZDJG IS NULL"), 1);
    EXPECT_EQ(count("SPB", "SPNO = 'L002' AND ZDJG = 2.5"), 1);
}

TEST_P(ProductImportTest, readsGbkFilesAndColumnNames) {
    const QString text = QStringLiteral("spno,SPNAME,SPDW\nG001,绿茶,瓶\n");
    QStringEncoder gbk("GB18030");
    const QByteArray bytes = gbk.encode(text);
    ASSERT_NE(bytes, text.toUtf8());
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(bytes);
    file.close();
    const ImportReport r = ProductImport(db(), QStringLiteral("001")).importFile(file.fileName());
    ASSERT_TRUE(r.ok()) << r.text().toStdString();
    EXPECT_EQ(scalar("SELECT SPNAME FROM SPB WHERE SPNO = 'G001'"), QStringLiteral("绿茶"));
}

TEST_P(ProductImportTest, oneBadLineRejectsTheWholeFileAndEveryBadLineIsReported) {
    const ImportReport r = importText(QStringLiteral(
        "商品编码,商品名称,商品分类,销售价格,库存上限\n"
        "B001,好的商品,01,2,10\n"
        "B002,没有的分类,99,2,10\n"
        "B003,价格不对,01,abc,10\n"
        "P0001,已有的编码,01,2,10\n"
        "B001,文件里重复,01,2,10\n"
        "B006,负的上限,01,2,-5\n"
        ",没有编码,01,2,10\n"
        "B008,这个商品的名称实在是太长了超过了四十个字节的限制啊啊啊,01,2,10\n"
        "B009,多一列,01,2,10,x\n"
        "B010,好的商品二,01,2,10\n"));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.imported, 0);
    std::vector<int> lines;
    for (const ImportRefusal& x : r.refused) lines.push_back(x.line);
    EXPECT_EQ(lines, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10})) << refusedLines(r).join('\n').toStdString();
    EXPECT_EQ(count("SPB", "SPNO LIKE 'B%'"), 0);
    EXPECT_EQ(count("RZ"), 0);
    EXPECT_TRUE(r.text().startsWith(QStringLiteral("第3行：")));
}

TEST_P(ProductImportTest, refusesFilesItCannotRead) {
    struct Case { const char* name; QString text; int line; } cases[] = {
        {"empty", QString(), 1},
        {"unknown column", QStringLiteral("商品编码,商品名称,颜色\nC1,x,红\n"), 1},
        {"no name column", QStringLiteral("商品编码,单位\nC1,瓶\n"), 1},
        {"header only", QStringLiteral("商品编码,商品名称\n"), 1},
        {"open quote", QStringLiteral("商品编码,商品名称\nC1,\"x\n"), 2},
    };
    for (const Case& c : cases) {
        const ImportReport r = importText(c.text);
        ASSERT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.refused.front().line, c.line) << c.name;
    }
    const ImportReport missing = ProductImport(db(), QStringLiteral("001")).importFile(QStringLiteral("/nonexistent/x.csv"));
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(count("SPB", "SPNO LIKE 'C%'"), 0);
}

// Text is decoded strictly: what cannot be read is refused with its line, never stored as
// mojibake or replacement characters.
TEST_P(ProductImportTest, refusesBytesItCannotDecodeAndCharactersItMustNotStore) {
    QStringEncoder gbk("GB18030");
    const QByteArray header = QByteArray("商品编码,商品名称\n");
    struct Case {
        const char* name;
        QByteArray bytes;
        int line;
    } cases[] = {
        // 绿茶饮 with one byte lost: the file is valid GB18030 as a whole, but reading it as
        // GBK would turn every name into nonsense.
        {"UTF-8 with one lost byte", header + "D1,矿泉\nD2,\xE7\xBB\xE8\x8C\xB6\xE9\xA5\xAE\nD3,酸奶\n", 3},
        {"UTF-8 mark, then a bad byte", "\xEF\xBB\xBF" + header + "D1,x\xC3(\n", 2},
        {"neither UTF-8 nor GBK", gbk.encode(QStringLiteral("商品编码,商品名称\nD1,绿茶\n")) + "D2,\x80\x80\n", 3},
        {"a replacement character", header + "D1,绿茶\nD2,\xEF\xBF\xBD\n", 3},
        // U+FFFF, a noncharacter: SQLite would give it back as a replacement character, so the
        // code or name saved would not be the one typed.
        {"a noncharacter", header + "D1,绿茶\nD\xEF\xBF\xBF2,x\n", 3},
        {"a NUL", header + "D1,绿" + QByteArray(1, '\0') + "茶\n", 2},
        {"a tab", header + "D1,绿\t茶\n", 2},
        {"a line break in a quoted field", "商品编码,商品名称,备注\nD1,绿茶,\nD2,x,\"第一行\n第二行\"\n", 3},
    };
    for (const Case& c : cases) {
        const ImportReport r = ProductImport(db(), QStringLiteral("001")).importData(c.bytes);
        ASSERT_FALSE(r.ok()) << c.name;
        ASSERT_EQ(r.refused.size(), 1u) << c.name << ": " << r.text().toStdString();
        EXPECT_EQ(r.refused.front().line, c.line) << c.name << ": " << r.text().toStdString();
        EXPECT_EQ(count("SPB", "SPNO LIKE 'D%'"), 0) << c.name;
    }
    // A sound GBK file with the same text is read as GBK.
    const ImportReport good = ProductImport(db(), QStringLiteral("001")).importData(gbk.encode(QStringLiteral("商品编码,商品名称\nD1,绿茶\n")));
    ASSERT_TRUE(good.ok()) << good.text().toStdString();
    EXPECT_EQ(scalar("SELECT SPNAME FROM SPB WHERE SPNO = 'D1'"), QStringLiteral("绿茶"));
}

// The check reads a stream and holds no lock: a refused file is reported while another
// till is writing, and a good one is written after the check.
TEST_P(ProductImportTest, refusesABadFileWithoutWaitingForTheWriteLock) {
    auto till = openAnother();
    db::Transaction writing(*till);
    till->execute(QStringLiteral("UPDATE SPB SET BZ = 'x' WHERE SPNO = 'P0001'"));
    const ImportReport r = importText(QStringLiteral("商品编码,商品名称,销售价格\nE1,好的,1\nE2,坏的,abc\n"));
    ASSERT_EQ(r.refused.size(), 1u) << r.text().toStdString();
    EXPECT_EQ(r.refused.front().line, 3);
}

TEST_P(ProductImportTest, manyLinesWithDuplicatesFarApart) {
    QString text = QStringLiteral("商品编码,商品名称\n");
    for (int i = 0; i < 5000; ++i) text += QStringLiteral("F%1,商品%1\n").arg(i);
    text += QStringLiteral("F17,又一个\nP0001,已有\n");
    const ImportReport refused = importText(text);
    ASSERT_EQ(refused.refused.size(), 2u) << refused.text().toStdString();
    EXPECT_EQ(refused.refused[0].line, 5002);
    EXPECT_EQ(refused.refused[0].reason, QStringLiteral("商品编码 F17 与第19行重复"));
    EXPECT_EQ(refused.refused[1].line, 5003);
    text.chop(QStringLiteral("F17,又一个\nP0001,已有\n").size());
    const ImportReport imported = importText(text);
    ASSERT_TRUE(imported.ok()) << imported.text().toStdString();
    EXPECT_EQ(imported.imported, 5000);
    EXPECT_EQ(count("SPB", "SPNO LIKE 'F%'"), 5000);
}

INSTANTIATE_TEST_SUITE_P(Backends, ProductImportTest, ::testing::ValuesIn(backends()), backendName);
