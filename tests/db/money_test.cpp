#include "db/Money.h"

#include <gtest/gtest.h>

TEST(Money, parsesAndFormatsWithHalfAwayRounding) {
    struct Case { const char* text; int64_t units; const char* shown; };
    const Case cases[] = {
        {"0", 0, "0.00"},         {"12", 120000, "12.00"},      {"12.3", 123000, "12.30"},
        {" 1234.5678 ", 12345678, "1234.57"}, {"0.005", 50, "0.01"}, {"-0.005", -50, "-0.01"},
        {"0.00004", 0, "0.00"},   {"0.00005", 1, "0.00"},       {"-12.34", -123400, "-12.34"},
        {".5", 5000, "0.50"},     {"+3", 30000, "3.00"},        {"99999999.99", 999999999900, "99999999.99"},
    };
    for (const Case& c : cases) {
        const auto m = Money::parse(QString::fromUtf8(c.text));
        ASSERT_TRUE(m) << c.text;
        EXPECT_EQ(m->units(), c.units) << c.text;
        EXPECT_EQ(m->toString(), QString::fromUtf8(c.shown)) << c.text;
    }
    for (const char* bad : {"", "abc", "1.2.3", "12a", "-", ".", "1e5"}) EXPECT_FALSE(Money::parse(QString::fromUtf8(bad))) << bad;
}

TEST(Money, arithmeticStaysExactWhereDoublesDrift) {
    Money sum;
    for (int i = 0; i < 10; ++i) sum += *Money::parse(QStringLiteral("0.10"));
    EXPECT_EQ(sum, Money::fromYuan(1));
    EXPECT_EQ(Money::parse(QStringLiteral("4.35"))->times(3).toString(), QStringLiteral("13.05"));
    EXPECT_EQ(Money::parse(QStringLiteral("1.15"))->times(0.5).toDecimalString(), QStringLiteral("0.5750"));
    EXPECT_EQ(Money::parse(QStringLiteral("9.99"))->percent(85).toDecimalString(), QStringLiteral("8.4915"));
    EXPECT_EQ(Money::parse(QStringLiteral("2.675"))->roundedToCents().toString(), QStringLiteral("2.68"));
}

TEST(Money, readsDatabaseValuesOfEitherBackend) {
    EXPECT_EQ(Money::fromVariant(QVariant(QStringLiteral("12.3400"))).units(), 123400);  // PostgreSQL numeric
    EXPECT_EQ(Money::fromVariant(QVariant(12.34)).units(), 123400);                       // SQLite REAL
    EXPECT_EQ(Money::fromVariant(QVariant(qint64(7))).units(), 70000);
    EXPECT_EQ(Money::fromVariant(QVariant()).units(), 0);
    EXPECT_EQ(Money::fromVariant(QVariant(0.1 + 0.2)).toDecimalString(), QStringLiteral("0.3000"));
}
