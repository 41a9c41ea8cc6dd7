// Writing reference rows: one transaction per change with its log row, NULL for empty
// optional references, refused deletes of rows that documents use, passwords as hashes.
#include "DbTest.h"
#include "SmallShop.h"

#include "db/Error.h"
#include "db/Passwords.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "masterdata/TableEditor.h"
#include "masterdata/TextWidth.h"

class TableEditorTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        installSmallShop(db());
    }
    TableEditor editor(TableDefinition d) { return TableEditor(db(), std::move(d), QStringLiteral("001")); }
};

TEST_P(TableEditorTest, everyWriteLogsItsActionTableAndKeyWithTheOperator) {
    TableEditor depts = editor(ReferenceTables::departments());
    depts.insert({QStringLiteral("02"), QStringLiteral("日杂部")});
    depts.update(QStringLiteral("02"), {QStringLiteral("03"), QStringLiteral("日用品部")});
    EXPECT_TRUE(depts.remove(QStringLiteral("03")));

    db::Statement s(db(), QStringLiteral("SELECT GH, CZDZ, CS1, CS2, CS3, RQSJ FROM RZ ORDER BY ID"));
    s.exec();
    const QStringList expected[] = {{"001", "增加", "dept", "02", ""}, {"001", "修改", "dept", "03", "02"}, {"001", "删除", "dept", "03", ""}};
    for (const QStringList& row : expected) {
        ASSERT_TRUE(s.next());
        for (int c = 0; c < 5; ++c) EXPECT_EQ(s.text(c), row[c]) << c;
        EXPECT_TRUE(s.dateTime(5).isValid());
    }
    EXPECT_FALSE(s.next());
    EXPECT_EQ(count("dept", "BMNO IN ('02', '03')"), 0);
}

TEST_P(TableEditorTest, aRefusedWriteLeavesNeitherRowNorLog) {
    TableEditor depts = editor(ReferenceTables::departments());
    struct Case { RecordValues values; db::ErrorKind kind; } cases[] = {
        {{QStringLiteral("01"), QStringLiteral("重复")}, db::ErrorKind::UniqueKey},
        {{QStringLiteral("05"), QString()}, db::ErrorKind::NotNull},   // name required
        {{QString(), QStringLiteral("无编号")}, db::ErrorKind::NotNull},
        // A NUL would shorten the name on SQLite and cut the statement on PostgreSQL; other
        // control characters break the one-line list and the printouts.
        {{QStringLiteral("06"), QStringLiteral("百货") + QChar(0) + QStringLiteral("部")}, db::ErrorKind::General},
        {{QStringLiteral("07"), QStringLiteral("百\t货")}, db::ErrorKind::General},
        {{QStringLiteral("08"), QStringLiteral("百\n货")}, db::ErrorKind::General},
        {{QStringLiteral("0") + QChar(0x1B), QStringLiteral("百货")}, db::ErrorKind::General},
    };
    for (const Case& c : cases) {
        try {
            depts.insert(c.values);
            ADD_FAILURE() << "insert accepted: " << c.values.join(',').toStdString();
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << e.message().toStdString();
        }
    }
    EXPECT_EQ(count("RZ"), 0);
    EXPECT_EQ(count("dept"), 1);
    EXPECT_EQ(scalar("SELECT BMName FROM dept WHERE BMNO = '01'"), QStringLiteral("食品部"));
    EXPECT_THROW(depts.update(QStringLiteral("01"), {QStringLiteral("01"), QStringLiteral("食品") + QChar(0x7F)}), db::Error);
    EXPECT_EQ(scalar("SELECT BMName FROM dept WHERE BMNO = '01'"), QStringLiteral("食品部"));
}

TEST_P(TableEditorTest, emptyOptionalReferencesAreStoredAsNull) {
    TableEditor products = editor(ReferenceTables::products());
    const TableDefinition& d = products.definition();
    RecordValues v;
    for (const Column& c : d.columns) v << c.defaultValue;
    v[d.indexOf("SPNO")] = QStringLiteral("N1");
    v[d.indexOf("SPNAME")] = QStringLiteral("散装糖");
    v[d.indexOf("BZJG")] = QStringLiteral("1.5");
    products.insert(v);
    EXPECT_EQ(count("SPB", "SPNO = 'N1' AND SPLB IS NULL AND QSGYS IS NULL AND BMNO IS NULL AND SPDW IS NULL AND BZ IS NULL"), 1);
    // No lowest price is not a lowest price of 0, which would let the product sell at any price.
    EXPECT_EQ(count("SPB", "SPNO = 'N1' AND ZDJG IS NULL"), 1);
    EXPECT_EQ(scalar("SELECT XSFS FROM SPB WHERE SPNO = 'N1'"), QStringLiteral("0"));

    const auto rows = products.load();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const RecordValues& r) { return r[0] == QLatin1String("N1"); });
    ASSERT_NE(it, rows.end());
    EXPECT_EQ((*it)[d.indexOf("BZJG")], QStringLiteral("1.5000"));
    EXPECT_EQ((*it)[d.indexOf("ZDJG")], QString());
    // A lowest price typed as 0 is kept as typed.
    v[d.indexOf("ZDJG")] = QStringLiteral("0");
    products.update(QStringLiteral("N1"), v);
    EXPECT_EQ(count("SPB", "SPNO = 'N1' AND ZDJG = 0"), 1);
    // Without a category it sorts before every categorised product on both backends.
    EXPECT_EQ(rows.front()[0], QStringLiteral("N1"));
}

TEST_P(TableEditorTest, rowsThatDocumentsOrProductsUseCannotBeDeleted) {
    struct Case { TableDefinition table; const char* key; } cases[] = {
        {ReferenceTables::categories(), "01"}, {ReferenceTables::departments(), "01"},
        {ReferenceTables::suppliers(), "001"}, {ReferenceTables::clients(), "001"},
        {ReferenceTables::stores(), "002"},    {ReferenceTables::staff(), "001"},
        {ReferenceTables::operators(), "001"}, {ReferenceTables::products(), "P0001"},
    };
    for (Case& c : cases) {
        const QString table = c.table.table;
        const QString where = c.table.key + QStringLiteral(" = '") + c.key + QStringLiteral("'");
        try {
            editor(c.table).remove(QString::fromLatin1(c.key));
            ADD_FAILURE() << "deleted " << table.toStdString();
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), db::ErrorKind::ForeignKey) << table.toStdString() << ": " << e.message().toStdString();
        }
        EXPECT_EQ(count(table, where), 1) << table.toStdString();
    }
    EXPECT_EQ(count("RZ"), 0);
    // An unused row goes.
    EXPECT_TRUE(editor(ReferenceTables::categories()).remove(QStringLiteral("02")));
}

TEST_P(TableEditorTest, theRetailClientIsNeitherListedNorChangeable) {
    TableEditor clients = editor(ReferenceTables::clients());
    for (const RecordValues& row : clients.load()) EXPECT_NE(row[0], QStringLiteral("000"));
    EXPECT_THROW(clients.update(QStringLiteral("000"), {QStringLiteral("000"), QStringLiteral("改名")}), db::Error);
    EXPECT_FALSE(clients.remove(QStringLiteral("000")));
    EXPECT_EQ(count("KHB", "KHNO = '000' AND KHNAME <> '改名'"), 1);
}

TEST_P(TableEditorTest, operatorPasswordsAreStoredHashedAndNeverReadBack) {
    TableEditor operators = editor(ReferenceTables::operators());
    operators.insert({QStringLiteral("002"), QStringLiteral("王五"), QStringLiteral("收银员"), QStringLiteral("secret")});
    const QString stored = scalar("SELECT BNPASSWORD FROM BMAN WHERE BNNO = '002'");
    EXPECT_NE(stored, QStringLiteral("secret"));
    EXPECT_TRUE(db::Passwords::verify(QStringLiteral("secret"), stored));
    for (const RecordValues& row : operators.load())
        for (const QString& value : row) EXPECT_FALSE(value.contains(QStringLiteral("argon")) || value == stored);

    // Changing the name with an empty password box keeps the password.
    operators.update(QStringLiteral("002"), {QStringLiteral("002"), QStringLiteral("王小五"), QStringLiteral("收银员"), QString()});
    EXPECT_EQ(scalar("SELECT BNPASSWORD FROM BMAN WHERE BNNO = '002'"), stored);
    operators.update(QStringLiteral("002"), {QStringLiteral("002"), QStringLiteral("王小五"), QStringLiteral("收银员"), QStringLiteral("neu")});
    EXPECT_TRUE(db::Passwords::verify(QStringLiteral("neu"), scalar("SELECT BNPASSWORD FROM BMAN WHERE BNNO = '002'")));
    EXPECT_TRUE(module().CheckOperator(QStringLiteral("002"), QStringLiteral("neu")));

    // A new operator without a password is an incomplete record.
    EXPECT_THROW(operators.insert({QStringLiteral("003"), QStringLiteral("赵六"), QString(), QString()}), db::Error);
    // Passwords are limited like the box: 10 characters.
    EXPECT_THROW(operators.insert({QStringLiteral("003"), QStringLiteral("赵六"), QString(), QStringLiteral("12345678901")}), db::Error);
    EXPECT_EQ(count("BMAN", "BNNO = '003'"), 0);
}

TEST_P(TableEditorTest, aChangeOfARowThatIsGoneIsReportedNotSilentlyLost) {
    TableEditor depts = editor(ReferenceTables::departments());
    EXPECT_THROW(depts.update(QStringLiteral("99"), {QStringLiteral("99"), QStringLiteral("无")}), db::Error);
    EXPECT_EQ(count("RZ"), 0);
}

// The list read a page at a time must be the list read whole: same rows in the same order,
// every key found at its own row, keys the list leaves out (filtered, absent) at none.
TEST_P(TableEditorTest, pagesAndPlacesOfTheListAgreeWithTheWholeList) {
    {
        db::Transaction tx(db());
        db::Statement add(tx, QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPLB) VALUES(:no, :name, :kind)"));
        for (int i = 0; i < 37; ++i)  // no category, then both categories, codes out of order
            add.bind(QStringLiteral(":no"), QStringLiteral("Q%1").arg((i * 17) % 37, 3, 10, QLatin1Char('0')))
                .bind(QStringLiteral(":name"), QStringLiteral("商品%1").arg(i))
                .bindTextOrNull(QStringLiteral(":kind"), i % 3 == 0 ? QString() : QStringLiteral("0%1").arg(i % 3))
                .exec();
        tx.commit();
    }
    for (TableDefinition d : {ReferenceTables::products(), ReferenceTables::clients(), ReferenceTables::operators()}) {
        TableEditor list = editor(d);
        const std::vector<RecordValues> whole = list.load();
        ASSERT_EQ(list.count(), int(whole.size())) << d.table.toStdString();
        std::vector<RecordValues> paged;
        for (int offset = 0; offset < int(whole.size()) + 7; offset += 7)
            for (const RecordValues& row : list.loadPage(offset, 7)) paged.push_back(row);
        EXPECT_EQ(paged, whole) << d.table.toStdString();
        for (size_t row = 0; row < whole.size(); ++row)
            EXPECT_EQ(list.rowOf(whole[row][d.keyIndex()]), int(row)) << d.table.toStdString() << " " << whole[row][d.keyIndex()].toStdString();
        EXPECT_EQ(list.rowOf(QStringLiteral("none")), -1);
    }
    EXPECT_EQ(editor(ReferenceTables::clients()).rowOf(QStringLiteral("000")), -1);  // the retail client is not listed
    EXPECT_EQ(editor(ReferenceTables::products()).load().size(), 39u);
}

INSTANTIATE_TEST_SUITE_P(Backends, TableEditorTest, ::testing::ValuesIn(backends()), backendName);

TEST(TextWidth, countsGbkBytes) {
    struct Case { QString text; int width; } cases[] = {
        {QString(), 0}, {QStringLiteral("abc"), 3}, {QStringLiteral("可乐"), 4}, {QStringLiteral("A4纸"), 4},
        {QStringLiteral("𠀀"), 4},
    };
    for (const Case& c : cases) EXPECT_EQ(gbkWidth(c.text), c.width) << c.text.toStdString();
    EXPECT_EQ(truncatedToGbkWidth(QStringLiteral("食品部门"), 5), QStringLiteral("食品"));
    EXPECT_EQ(truncatedToGbkWidth(QStringLiteral("ab食品"), 5), QStringLiteral("ab食"));
}

TEST(TextWidth, storedTextRefusesWhatTheColumnCannotHold) {
    const TableDefinition d = ReferenceTables::departments();
    const Column& name = d.columns[1];  // 12 bytes
    EXPECT_EQ(storedText(name, QStringLiteral(" 六个汉字部门 ")), QStringLiteral("六个汉字部门"));
    EXPECT_THROW(storedText(name, QStringLiteral("七个汉字的部门")), db::Error);
    const TableDefinition p = ReferenceTables::products();
    EXPECT_EQ(storedText(*p.column("BZJG"), QStringLiteral("12.5")), QStringLiteral("12.5000"));
    EXPECT_THROW(storedText(*p.column("BZJG"), QStringLiteral("12,5")), db::Error);
    EXPECT_THROW(storedText(*p.column("KCMAX"), QStringLiteral("1.5")), db::Error);
}
