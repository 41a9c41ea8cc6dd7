#include "DbTest.h"

#include "sales/SaleLines.h"

class ProductLookupTest : public DbTest {};

// A product stored without a lowest price used to read as a floor of 0: a 12.50 product
// sold for 1.00 without a word.
TEST_P(ProductLookupTest, withoutALowestPriceTheStandardPriceIsTheFloor) {
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, ZDJG) VALUES('N', '无最低价', '个', 12.5, NULL)"));
    db().execute(QStringLiteral("INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, ZDJG) VALUES('L', '有最低价', '个', 12.5, 10)"));
    ProductLookup lookup(db());
    const auto none = lookup.find(QStringLiteral("N"));
    const auto lowest = lookup.find(QStringLiteral("L"));
    ASSERT_TRUE(none && lowest);
    EXPECT_FALSE(none->lowestPrice);
    EXPECT_EQ(none->memberPrice().toString(), QStringLiteral("12.50"));
    struct Case { const LookedUpProduct& product; const char* price; LineRefusal expected; };
    const Case cases[] = {
        {*none, "1.00", LineRefusal::PriceBelowFloor},
        {*none, "12.49", LineRefusal::PriceBelowFloor},
        {*none, "12.50", LineRefusal::None},
        {*lowest, "9.99", LineRefusal::PriceBelowFloor},
        {*lowest, "10", LineRefusal::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkLine(QStringLiteral("1"), QString::fromUtf8(c.price), c.product, false), c.expected) << c.price;
}

INSTANTIATE_TEST_SUITE_P(Backends, ProductLookupTest, ::testing::ValuesIn(backends()), backendName);
