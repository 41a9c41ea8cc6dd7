// The product code generator continues the highest number under the typed prefix.
#include "DbTest.h"

#include "db/Statement.h"
#include "masterdata/ProductCodeGenerator.h"

class ProductCodeGeneratorTest : public DbTest {
protected:
    void addProducts(const QStringList& codes) {
        db::Statement s(db(), QStringLiteral("INSERT INTO SPB(SPNO, SPNAME) VALUES(:no, 'x')"));
        for (const QString& code : codes) s.bind(QStringLiteral(":no"), code).exec();
    }
};

TEST_P(ProductCodeGeneratorTest, proposesTheNextFreeNumberOrSaysThePrefixIsUsedUp) {
    using O = ProductCodeGenerator::Outcome;
    struct Case { const char* name; QStringList existing; O outcome; QString code; } cases[] = {
        {"no code yet", {}, O::Generated, "ABCDE001"},
        {"7", {"ABCDE007"}, O::Generated, "ABCDE008"},
        {"41", {"ABCDE041"}, O::Generated, "ABCDE042"},
        {"highest of several", {"ABCDE120", "ABCDE003", "ABCDE017"}, O::Generated, "ABCDE121"},
        {"999", {"ABCDE999", "ABCDE001"}, O::Exhausted, ""},
        {"other prefixes and lengths do not count",
         {"ABCDF500", "ABCDE0009", "ABCD500", "abcde300", "XABCDE77"}, O::Generated, "ABCDE001"},
        {"hand-made suffixes do not count", {"ABCDEX01", "ABCDE01A", "ABCDE005"}, O::Generated, "ABCDE006"},
    };
    for (const Case& c : cases) {
        db().execute(QStringLiteral("DELETE FROM SPB"));
        addProducts(c.existing);
        const auto r = ProductCodeGenerator(db()).next(QStringLiteral("ABCDE"));
        EXPECT_EQ(r.outcome, c.outcome) << c.name;
        EXPECT_EQ(r.code, c.code) << c.name;
    }
}

TEST_P(ProductCodeGeneratorTest, needsExactlyFiveCharacters) {
    for (const char* prefix : {"", "ABCD", "ABCDEF"})
        EXPECT_EQ(ProductCodeGenerator(db()).next(QString::fromLatin1(prefix)).outcome,
                  ProductCodeGenerator::Outcome::WrongPrefixLength) << prefix;
    addProducts({QStringLiteral("饮料可乐瓶001")});
    EXPECT_EQ(ProductCodeGenerator(db()).next(QStringLiteral("饮料可乐瓶")).code, QStringLiteral("饮料可乐瓶002"));
}

INSTANTIATE_TEST_SUITE_P(Backends, ProductCodeGeneratorTest, ::testing::ValuesIn(backends()), backendName);
