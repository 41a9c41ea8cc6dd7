#include "sales/SaleLines.h"

#include <gtest/gtest.h>

namespace {

SaleLine line(const char* product, const char* price, const char* quantity, const char* store = "主库") {
    SaleLine l;
    l.productNo = QString::fromUtf8(product);
    l.productName = QStringLiteral("商品") + l.productNo;
    l.priceText = QString::fromUtf8(price);
    l.quantityText = QString::fromUtf8(quantity);
    l.memberPriceText = QStringLiteral("4");
    l.storeName = QString::fromUtf8(store);
    return l;
}

LookedUpProduct product(const char* price, std::optional<const char*> lowest, double saleable) {
    LookedUpProduct p;
    p.productNo = QStringLiteral("A");
    p.price = *Money::parse(QString::fromUtf8(price));
    if (lowest) p.lowestPrice = *Money::parse(QString::fromUtf8(*lowest));
    p.saleable = saleable;
    return p;
}

}  // namespace

TEST(SaleLines, equalCodePriceTextAndStoreMergeEverythingElseIsANewLineOnTop) {
    SaleLines lines;
    EXPECT_FALSE(lines.add(line("A", "3.5", "2")));
    EXPECT_TRUE(lines.add(line("A", "3.5", "1.25")));     // merged
    EXPECT_FALSE(lines.add(line("A", "3.50", "1")));      // same price, other text: new line
    EXPECT_FALSE(lines.add(line("A", "3.5", "1", "二号库")));
    EXPECT_FALSE(lines.add(line("B", "3.5", "1")));
    ASSERT_EQ(lines.count(), 4);
    EXPECT_EQ(lines.lines()[0].productNo, QStringLiteral("B"));          // newest on top
    EXPECT_EQ(lines.lines()[2].priceText, QStringLiteral("3.50"));
    const SaleLine& merged = lines.lines()[3];
    EXPECT_EQ(merged.quantityText, QStringLiteral("3.25"));
    EXPECT_EQ(merged.amount().toString(), QStringLiteral("11.38"));      // 3.5 × 3.25 = 11.375
    EXPECT_EQ(merged.amount().toString(4), QStringLiteral("11.3750"));
    EXPECT_EQ(merged.memberAmount().toString(), QStringLiteral("13.00"));
    EXPECT_DOUBLE_EQ(lines.quantityOf(QStringLiteral("A")), 5.25);
    EXPECT_EQ(lines.total().toString(4), QStringLiteral("21.8750"));
}

TEST(SaleLines, deletingOutsideTheLinesChangesNothing) {
    SaleLines lines;
    lines.remove(0);
    EXPECT_EQ(lines.count(), 0);
    lines.add(line("A", "1", "1"));
    lines.add(line("B", "1", "1"));
    lines.remove(2);
    lines.remove(-1);
    EXPECT_EQ(lines.count(), 2);
    lines.remove(0);
    ASSERT_EQ(lines.count(), 1);
    EXPECT_EQ(lines.lines()[0].productNo, QStringLiteral("A"));
}

TEST(SaleLines, checksRunInTheirOrder) {
    struct Case { const char* quantity; const char* price; double saleable; bool checkStock; LineRefusal expected; };
    const Case cases[] = {
        {"x", "abc", 0, true, LineRefusal::QuantityNotANumber},   // quantity first
        {"", "5", 10, true, LineRefusal::QuantityNotANumber},
        {"1e3", "5", 10, true, LineRefusal::QuantityNotANumber},
        {"-1", "abc", 10, true, LineRefusal::QuantityNegative},   // sign before the price
        {"2", "abc", 10, true, LineRefusal::QuantityNotANumber},  // then the price
        {"2", "3.99", 10, true, LineRefusal::PriceBelowFloor},
        {"11", "5", 10, true, LineRefusal::QuantityOverSaleable},
        {"11", "5", 10, false, LineRefusal::None},                // shown, not enforced
        {"10", "5", 10, true, LineRefusal::None},                 // equal is accepted
        {"0", "4", 0, true, LineRefusal::None},                   // zero, and the floor itself
        {" 2.5 ", "4.00", 3, true, LineRefusal::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkLine(QString::fromUtf8(c.quantity), QString::fromUtf8(c.price), product("5", "4", c.saleable), c.checkStock),
                  c.expected)
            << c.quantity << " at " << c.price;
    }
    // Without a lowest price the standard price is the floor.
    EXPECT_EQ(checkLine(QStringLiteral("1"), QStringLiteral("4.99"), product("5", std::nullopt, 9), true),
              LineRefusal::PriceBelowFloor);
}

TEST(SaleLines, numbersWrittenBackAsTheScreenShowsThem) {
    EXPECT_EQ(quantityText(3.25), QStringLiteral("3.25"));
    EXPECT_EQ(quantityText(2.0), QStringLiteral("2"));
    EXPECT_EQ(quantityText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(quantityText(-1.5), QStringLiteral("-1.5"));
    EXPECT_EQ(plainAmountText(*Money::parse(QStringLiteral("4.50"))), QStringLiteral("4.5"));
    EXPECT_EQ(plainAmountText(*Money::parse(QStringLiteral("12"))), QStringLiteral("12"));
    EXPECT_EQ(plainAmountText(*Money::parse(QStringLiteral("0.0350"))), QStringLiteral("0.035"));
    EXPECT_EQ(plainAmountText(Money{}), QStringLiteral("0"));
}
