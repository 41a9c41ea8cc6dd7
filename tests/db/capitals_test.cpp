#include "db/Comm.h"

#include <gtest/gtest.h>

TEST(AmountToCapitals, writesTheTableOfAmounts) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.00", "元整"},
        {"0.05", "元零伍分"},
        {"0.50", "元零伍角"},
        {"0.55", "元零伍角伍分"},
        {"1.00", "壹元整"},
        {"1.05", "壹元零伍分"},
        {"1.50", "壹元零伍角"},
        {"10.00", "壹拾元整"},
        {"20.30", "贰拾元零叁角"},
        {"99.99", "玖拾玖元零玖角玖分"},
        {"100.00", "壹佰元整"},
        {"101.00", "壹佰零壹元整"},
        {"1000.01", "壹仟元零壹分"},
        {"1010.00", "壹仟零壹拾元整"},
        {"1234.56", "壹仟贰佰叁拾肆元零伍角陆分"},
        {"10000.00", "壹万元整"},
        {"10101.00", "壹万零壹佰零壹元整"},
        {"100000.00", "壹拾万元整"},
        {"100010.00", "壹拾万零壹拾元整"},
        {"1000000.00", "壹佰万元整"},
        {"10000001.00", "壹仟万零壹元整"},
        {"12345678.90", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元零玖角"},
        {"120000000.00", "壹亿贰仟万元整"},
        {"100010000.00", "壹亿零壹万元整"},
        // A zero 万 group after 亿 is written the conventional way.
        {"100000000.00", "壹亿元整"},
        {"100000001.00", "壹亿零壹元整"},
        {"999999999.99", "玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元零玖角玖分"},
    };
    for (const auto& [amount, capitals] : cases)
        EXPECT_EQ(AmountToCapitals(*Money::parse(QString::fromUtf8(amount))), QString::fromUtf8(capitals)) << amount;
}

TEST(AmountToCapitals, roundsToCentsAndHandlesAmountsOutsideTheField) {
    EXPECT_EQ(AmountToCapitals(*Money::parse(QStringLiteral("1.005"))), QStringLiteral("壹元零壹分"));
    EXPECT_EQ(AmountToCapitals(*Money::parse(QStringLiteral("-20.30"))), QStringLiteral("负贰拾元零叁角"));
    EXPECT_EQ(AmountToCapitals(Money::fromYuan(1000000000)), QStringLiteral("1000000000.00"));
}

TEST(FilterNumberKey, keepsDigitsPointAndBackspaceOnly) {
    for (QChar c : QStringLiteral("0123456789.")) EXPECT_EQ(FilterNumberKey(c), c);
    EXPECT_EQ(FilterNumberKey(QChar(8)), QChar(8));
    for (QChar c : QStringLiteral("a-+ ,元")) EXPECT_EQ(FilterNumberKey(c), QChar(0));
}
