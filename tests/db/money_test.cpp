#include "db/Money.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

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

namespace {
Money m(const char* text) { return *Money::parse(QString::fromUtf8(text)); }
}

TEST(Money, computedAmountsRoundHalvesToEvenAtFourDecimals) {
    struct Case { const char* what; Money result; const char* stored; };
    const Case cases[] = {
        {"0.0001 x 0.5", m("0.0001").times(0.5), "0.0000"},
        {"0.0003 x 0.5", m("0.0003").times(0.5), "0.0002"},
        {"0.0005 x 0.5", m("0.0005").times(0.5), "0.0002"},
        {"1.0003 x 0.5", m("1.0003").times(0.5), "0.5002"},
        {"-0.0003 x 0.5", m("-0.0003").times(0.5), "-0.0002"},
        // The quantity counts as the decimal it was typed as: 0.1, not the binary 0.1000000000000000055.
        {"0.0005 x 0.1", m("0.0005").times(0.1), "0.0000"},
        {"0.0015 x 0.1", m("0.0015").times(0.1), "0.0002"},
        {"0.0001 x 50%", m("0.0001").percent(50), "0.0000"},
        {"0.0003 x 50%", m("0.0003").percent(50), "0.0002"},
        {"0.0001 x 150%", m("0.0001").percent(150), "0.0002"},
        {"-0.0005 x 50%", m("-0.0005").percent(50), "-0.0002"},
        {"double 0.00005", Money::fromDouble(0.00005), "0.0000"},
        {"double 0.00015", Money::fromDouble(0.00015), "0.0002"},
        {"double -0.00025", Money::fromDouble(-0.00025), "-0.0002"},
        {"double 12.339999999999999", Money::fromDouble(12.339999999999999), "12.3400"},
        {"double 0.1", Money::fromDouble(0.1), "0.1000"},
        {"double 2.675", Money::fromDouble(2.675), "2.6750"},
        {"double -123456.7891", Money::fromDouble(-123456.7891), "-123456.7891"},
        {"double 3059.9999999999995", Money::fromDouble(3059.9999999999995), "3060.0000"},
        {"double 99999999999.9999", Money::fromDouble(99999999999.9999), "99999999999.9999"},
        {"double 1.00005", Money::fromDouble(1.00005), "1.0000"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result.toDecimalString(), QString::fromUtf8(c.stored)) << c.what;
}

TEST(Money, shownAmountsRoundHalvesAwayFromZeroAtTwoDecimals) {
    for (const auto& [text, shown] : {std::pair{"0.015", "0.02"}, {"0.025", "0.03"}, {"-0.025", "-0.03"},
                                      {"2.665", "2.67"}, {"0.0049", "0.00"}, {"-0.0050", "-0.01"}}) {
        EXPECT_EQ(m(text).toString(), QString::fromUtf8(shown)) << text;
        EXPECT_EQ(m(text).roundedToCents().toDecimalString(), m(shown).toDecimalString()) << text;
    }
}

TEST(Money, leavingTheRangeThrowsInsteadOfWrapping) {
    const Money max = Money::fromUnits(std::numeric_limits<int64_t>::max());
    const Money min = Money::fromUnits(std::numeric_limits<int64_t>::min());
    const Money unit = Money::fromUnits(1);
    const std::vector<std::pair<const char*, std::function<Money()>>> overflowing = {
        {"max + 0.0001", [&] { return max + unit; }},
        {"min - 0.0001", [&] { return min - unit; }},
        {"max += 0.0001", [&] { Money a = max; a += unit; return a; }},
        {"-min", [&] { return -min; }},
        {"max x 2", [&] { return max.times(2); }},
        {"0.0001 x 1e30", [&] { return unit.times(1e30); }},
        {"max x 101%", [&] { return max.percent(101); }},
        {"yuan", [] { return Money::fromYuan(std::numeric_limits<int64_t>::max() / 100); }},
        {"cents", [] { return Money::fromCents(std::numeric_limits<int64_t>::min() / 10); }},
        {"double 1e300", [] { return Money::fromDouble(1e300); }},
        {"double NaN", [] { return Money::fromDouble(std::nan("")); }},
    };
    for (const auto& [what, compute] : overflowing) {
        EXPECT_THROW(compute(), MoneyOverflow) << what;
        EXPECT_THROW(compute(), std::overflow_error) << what;
    }
    // The edges themselves are amounts.
    EXPECT_EQ(max.times(1), max);
    EXPECT_EQ(max.roundedToCents().toDecimalString(), QStringLiteral("922337203685477.5800"));
    EXPECT_EQ(min.roundedToCents().toDecimalString(), QStringLiteral("-922337203685477.5800"));
    EXPECT_EQ(min.percent(100), min);
    EXPECT_EQ((max - unit) + unit, max);
    EXPECT_EQ(Money::parse(QStringLiteral("922337203685477.5807")), max);
    EXPECT_EQ(Money::parse(QStringLiteral("-922337203685477.5808")), min);
    for (const char* beyond : {"99999999999999999999", "922337203685477.5808", "-922337203685477.5809", "922337203685478"})
        EXPECT_FALSE(Money::parse(QString::fromUtf8(beyond))) << beyond;
}
