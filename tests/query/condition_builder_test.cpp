#include "db/Money.h"
#include "query/ConditionBuilder.h"

#include <gtest/gtest.h>

using namespace query;
using Outcome = ConditionBuilder::Outcome;

namespace {

// One column of every kind the screens use.
QueryItems items() {
    return {textItem(QStringLiteral("商品名称"), QStringLiteral("SPNAME"), 40),
            floatItem(QStringLiteral("数量"), QStringLiteral("SL")),
            amountItem(QStringLiteral("金额"), QStringLiteral("JE")),
            integerItem(QStringLiteral("折扣"), QStringLiteral("ZKL")),
            booleanItem(QStringLiteral("销售方式"), QStringLiteral("XSFS")),
            dateItem(QStringLiteral("操作日期"), QStringLiteral("CZRQ"))};
}

struct Single {
    const char* item;
    const char* comparison;
    const char* content;
    const char* where;  // expected filter text
    QVariant value;     // expected bound value
};

}  // namespace

TEST(ConditionBuilder, singleConditionOfEveryKindAndComparison) {
    const Single cases[] = {
        {"商品名称", "等于", "奶", " SPNAME = :c1", QStringLiteral("奶")},
        {"商品名称", "包含", "奶", " SPNAME like :c1 escape '!'", QStringLiteral("%奶%")},
        {"商品名称", "不包含", "10", " SPNAME not like :c1 escape '!'", QStringLiteral("%10%")},
        // Wildcards and the escape character are searched for as typed.
        {"商品名称", "包含", "50%", " SPNAME like :c1 escape '!'", QStringLiteral("%50!%%")},
        {"商品名称", "包含", "a_b!", " SPNAME like :c1 escape '!'", QStringLiteral("%a!_b!!%")},
        {"商品名称", "等于", "10", " SPNAME = :c1", QStringLiteral("10")},
        {"商品名称", "不等于", " a b ", " SPNAME <> :c1", QStringLiteral(" a b ")},
        {"数量", "大于", "5", " SL > :c1", 5.0},
        {"数量", "大于等于", "2.5", " SL >= :c1", 2.5},
        {"数量", "小于", "-1", " SL < :c1", -1.0},
        {"金额", "小于等于", "100", " JE <= :c1", QVariant::fromValue(Money::fromYuan(100))},
        {"金额", "等于", "12.34", " JE = :c1", QVariant::fromValue(Money::fromCents(1234))},
        {"折扣", "等于", "10", " ZKL = :c1", qint64(10)},
        {"销售方式", "等于", "代销", " XSFS = :c1", 1},
        {"销售方式", "等于", "0", " XSFS = :c1", 0},
        {"操作日期", "等于", "2005-1-31", " CZRQ = :c1", QStringLiteral("2005-01-31")},
        {"操作日期", "大于", "2005/01/31", " CZRQ > :c1", QStringLiteral("2005-01-31")},
        {"操作日期", "小于", "20050131", " CZRQ < :c1", QStringLiteral("2005-01-31")},
        {"操作日期", "不等于", "2005年1月31日", " CZRQ <> :c1", QStringLiteral("2005-01-31")},
        {"操作日期", "包含", "2005-01", " CZRQ like :c1 escape '!'", QStringLiteral("%2005-01%")},
    };
    for (const Single& c : cases) {
        SCOPED_TRACE(std::string(c.item) + " " + c.comparison + " " + c.content);
        ConditionBuilder b(items());
        ASSERT_EQ(b.finish(QString::fromUtf8(c.item), QString::fromUtf8(c.comparison), QString::fromUtf8(c.content)),
                  Outcome::Done);
        EXPECT_EQ(b.filter().whereText, QString::fromUtf8(c.where));
        ASSERT_EQ(b.filter().values.size(), 1u);
        EXPECT_EQ(b.filter().values[0].first, QStringLiteral(":c1"));
        const QVariant& got = b.filter().values[0].second;
        if (c.value.typeId() == qMetaTypeId<Money>()) EXPECT_EQ(got.value<Money>(), c.value.value<Money>());
        else EXPECT_EQ(got, c.value);
        EXPECT_EQ(b.description(), QStringLiteral("(") + QString::fromUtf8(c.item) + QStringLiteral(" ")
                                       + QString::fromUtf8(c.comparison) + QStringLiteral(" ")
                                       + QString::fromUtf8(c.content) + QStringLiteral(")"));
    }
}

TEST(ConditionBuilder, connectivesBracketStrictlyFromLeftToRight) {
    ConditionBuilder b(items());
    ASSERT_EQ(b.commit(QStringLiteral("商品名称"), QStringLiteral("包含"), QStringLiteral("奶"), QStringLiteral("并且")),
              Outcome::Done);
    EXPECT_EQ(b.description(), QStringLiteral("(商品名称 包含 奶) 并且"));
    EXPECT_EQ(b.whereText(), QStringLiteral("(SPNAME like :c1 escape '!') and "));
    ASSERT_EQ(b.commit(QStringLiteral("数量"), QStringLiteral("大于"), QStringLiteral("5"), QStringLiteral("或者")),
              Outcome::Done);
    EXPECT_EQ(b.description(), QStringLiteral("((商品名称 包含 奶) 并且(数量 大于 5)) 或者"));
    ASSERT_EQ(b.finish(QStringLiteral("折扣"), QStringLiteral("等于"), QStringLiteral("10")), Outcome::Done);
    // ((A) and B) or C, whatever the usual precedence of and over or.
    EXPECT_EQ(b.filter().whereText, QStringLiteral("((SPNAME like :c1 escape '!') and SL > :c2) or  ZKL = :c3"));
    EXPECT_EQ(b.description(), QStringLiteral("((商品名称 包含 奶) 并且(数量 大于 5)) 或者(折扣 等于 10)"));
    ASSERT_EQ(b.filter().values.size(), 3u);
    EXPECT_EQ(b.filter().values[0], (std::pair<QString, QVariant>(QStringLiteral(":c1"), QStringLiteral("%奶%"))));
    EXPECT_EQ(b.filter().values[1], (std::pair<QString, QVariant>(QStringLiteral(":c2"), 5.0)));
    EXPECT_EQ(b.filter().values[2], (std::pair<QString, QVariant>(QStringLiteral(":c3"), qint64(10))));
    // The query took the conditions: the next one starts empty.
    EXPECT_FALSE(b.hasPendingConditions());
}

TEST(ConditionBuilder, secondQueryWithoutConditionsAsksForOne) {
    ConditionBuilder b(items());
    EXPECT_EQ(b.finish({}, {}, {}), Outcome::NoCondition);
    ASSERT_EQ(b.finish(QStringLiteral("数量"), QStringLiteral("大于"), QStringLiteral("5")), Outcome::Done);
    EXPECT_EQ(b.description(), QStringLiteral("(数量 大于 5)"));  // kept to show what ran
    EXPECT_EQ(b.finish({}, {}, {}), Outcome::NoCondition);
    EXPECT_TRUE(b.description().isEmpty());
    // Texts only partly filled count as no condition too.
    EXPECT_EQ(b.finish(QStringLiteral("数量"), QStringLiteral("大于"), {}), Outcome::NoCondition);
}

TEST(ConditionBuilder, mismatchKeepsOrDropsCommittedConditionsByColumnKind) {
    struct Case {
        const char* item;
        bool commitKeeps;  // the connective's mismatch keeps what was committed
    };
    const Case cases[] = {{"数量", true}, {"折扣", true}, {"销售方式", true}, {"金额", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        ConditionBuilder b(items());
        ASSERT_EQ(b.commit(QStringLiteral("商品名称"), QStringLiteral("等于"), QStringLiteral("奶"), QStringLiteral("或者")),
                  Outcome::Done);
        EXPECT_EQ(b.commit(QString::fromUtf8(c.item), QStringLiteral("包含"), QStringLiteral("5"), QStringLiteral("并且")),
                  Outcome::Mismatch);
        EXPECT_EQ(b.hasPendingConditions(), c.commitKeeps);
        EXPECT_EQ(b.description(), QStringLiteral("(商品名称 等于 奶) 或者"));  // the description is not touched

        // The query's mismatch always drops them, and leaves the description as it was.
        ConditionBuilder q(items());
        ASSERT_EQ(q.commit(QStringLiteral("商品名称"), QStringLiteral("等于"), QStringLiteral("奶"), QStringLiteral("或者")),
                  Outcome::Done);
        EXPECT_EQ(q.finish(QString::fromUtf8(c.item), QStringLiteral("不包含"), QStringLiteral("5")), Outcome::Mismatch);
        EXPECT_FALSE(q.hasPendingConditions());
        EXPECT_EQ(q.description(), QStringLiteral("(商品名称 等于 奶) 或者"));
    }
}

TEST(ConditionBuilder, irregularConditionsDiscardEverything) {
    struct Case {
        const char* item;
        const char* comparison;
        const char* content;
    };
    const Case cases[] = {
        {"SPNAME", "等于", "奶"},                 // a column name typed instead of an item
        {"商品名称 or 1=1", "等于", "奶"},         // an item that is not in the list
        {"商品名称", "=", "奶"},                   // a comparison that is not one of the eight
        {"商品名称", "等于 or 1=1 --", "奶"},
        {"数量", "大于", "abc"},                    // not a number
        {"数量", "大于", "1; delete from BSB"},
        {"数量", "等于", "5 or 1=1"},
        {"金额", "等于", "1e400"},
        {"折扣", "等于", "9.5"},                    // an integer column needs a whole number
        {"销售方式", "等于", "maybe"},
        {"操作日期", "等于", "yesterday"},
        {"操作日期", "等于", "2005-2-30"},           // no such day
        {"操作日期", "大于", "2005-01-31' or '1'='1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + " " + c.comparison + " " + c.content);
        for (const bool viaConnective : {true, false}) {
            ConditionBuilder b(items());
            ASSERT_EQ(b.commit(QStringLiteral("商品名称"), QStringLiteral("等于"), QStringLiteral("奶"), QStringLiteral("并且")),
                      Outcome::Done);
            const QString item = QString::fromUtf8(c.item), comparison = QString::fromUtf8(c.comparison),
                          content = QString::fromUtf8(c.content);
            const Outcome got = viaConnective ? b.commit(item, comparison, content, QStringLiteral("或者"))
                                              : b.finish(item, comparison, content);
            EXPECT_EQ(got, Outcome::Irregular);
            EXPECT_FALSE(b.hasPendingConditions());
            EXPECT_TRUE(b.description().isEmpty());
        }
    }
}

TEST(ConditionBuilder, connectiveWithoutItemOrTypedConnectiveIsIrregular) {
    ConditionBuilder b(items());
    EXPECT_EQ(b.commit({}, QStringLiteral("等于"), QStringLiteral("奶"), QStringLiteral("并且")), Outcome::Irregular);
    EXPECT_EQ(b.commit(QStringLiteral("商品名称"), QStringLiteral("等于"), QStringLiteral("奶"), QStringLiteral("and 1=1 or")),
              Outcome::Irregular);
}

TEST(ConditionBuilder, queryRightAfterAConnectiveCannotRun) {
    ConditionBuilder b(items());
    ASSERT_EQ(b.commit(QStringLiteral("商品名称"), QStringLiteral("等于"), QStringLiteral("奶"), QStringLiteral("并且")),
              Outcome::Done);
    EXPECT_EQ(b.finish({}, {}, {}), Outcome::Incomplete);
    EXPECT_FALSE(b.hasPendingConditions());
    EXPECT_TRUE(b.description().isEmpty());
    EXPECT_EQ(b.finish({}, {}, {}), Outcome::NoCondition);
}

TEST(ConditionBuilder, quoteInTextIsAValueNotSql) {
    ConditionBuilder b(items());
    ASSERT_EQ(b.finish(QStringLiteral("商品名称"), QStringLiteral("等于"), QStringLiteral("x' or '1'='1")), Outcome::Done);
    EXPECT_EQ(b.filter().whereText, QStringLiteral(" SPNAME = :c1"));
    EXPECT_EQ(b.filter().values[0].second, QStringLiteral("x' or '1'='1"));
}

TEST(ConditionBuilder, controlCharactersInContentAreIrregular) {
    for (const QString& content : {QStringLiteral("奶") + QChar(0), QStringLiteral("a\tb"), QStringLiteral("a\nb"),
                                   QString(QChar(0x85)), QString(QChar::ReplacementCharacter)}) {
        for (const char* comparison : {"等于", "包含"}) {
            ConditionBuilder b(items());
            EXPECT_EQ(b.finish(QStringLiteral("商品名称"), QString::fromUtf8(comparison), content), Outcome::Irregular)
                << comparison << " " << content.toStdString();
        }
    }
}

TEST(ConditionBuilder, commonDateForms) {
    const QDate day(2005, 1, 31);
    for (const char* text : {"2005-1-31", "2005-01-31", "2005/1/31", "2005.01.31", "20050131", "2005年1月31日", " 2005-1-31 "})
        EXPECT_EQ(ConditionBuilder::readDate(QString::fromUtf8(text)), std::optional<QDate>(day)) << text;
    for (const char* text : {"", "2005-13-01", "31", "2005-1", "abc"})
        EXPECT_FALSE(ConditionBuilder::readDate(QString::fromUtf8(text))) << text;
}

// A condition on an item with a lookup table is offered a second time, tested in that table,
// with the statement that counts the table's rows meeting it, as long as every row must meet it.
TEST(ConditionBuilder, lookupFormOnlyWhereEveryRowMustMeetTheLookupConditions) {
    QueryItems withLookup = items();
    QueryItem number = textItem(QStringLiteral("销售编号"), QStringLiteral("XSNO"), 15);
    number.lookupTable = QStringLiteral("XSB");
    withLookup.push_back(number);
    const QString inHeaders = QStringLiteral("XSNO IN (SELECT XSNO FROM XSB WHERE XSNO like :c%1 escape '!')");
    {
        ConditionBuilder b(withLookup);
        ASSERT_EQ(b.commit(QStringLiteral("商品名称"), QStringLiteral("包含"), QStringLiteral("奶"), QStringLiteral("并且")),
                  Outcome::Done);
        ASSERT_EQ(b.finish(QStringLiteral("销售编号"), QStringLiteral("包含"), QStringLiteral("0001")), Outcome::Done);
        const Filter& f = b.filter();
        EXPECT_EQ(f.whereText, QStringLiteral("(SPNAME like :c1 escape '!') and  XSNO like :c2 escape '!'"));
        EXPECT_EQ(f.lookup.whereText, QStringLiteral("(SPNAME like :c1 escape '!') and  ") + inHeaders.arg(2));
        EXPECT_EQ(f.lookup.probe, QStringLiteral("SELECT 1 FROM XSB WHERE (XSNO like :c2 escape '!')"));
        ASSERT_EQ(f.lookup.probeValues.size(), 1u);
        EXPECT_EQ(f.lookup.probeValues[0].first, QStringLiteral(":c2"));
        EXPECT_EQ(f.lookup.probeValues[0].second, QVariant(QStringLiteral("%0001%")));
        // The next query starts without the last one's lookup conditions.
        ASSERT_EQ(b.finish(QStringLiteral("商品名称"), QStringLiteral("等于"), QStringLiteral("奶")), Outcome::Done);
        EXPECT_TRUE(b.filter().lookup.isEmpty());
    }
    {
        // 或者 lets rows through that the lookup condition would not: no count of headers bounds them.
        ConditionBuilder b(withLookup);
        ASSERT_EQ(b.commit(QStringLiteral("销售编号"), QStringLiteral("包含"), QStringLiteral("0001"), QStringLiteral("或者")),
                  Outcome::Done);
        ASSERT_EQ(b.finish(QStringLiteral("商品名称"), QStringLiteral("包含"), QStringLiteral("奶")), Outcome::Done);
        EXPECT_TRUE(b.filter().lookup.isEmpty());
    }
    {
        ConditionBuilder b(items());  // no item has a lookup table
        ASSERT_EQ(b.finish(QStringLiteral("商品名称"), QStringLiteral("包含"), QStringLiteral("奶")), Outcome::Done);
        EXPECT_TRUE(b.filter().lookup.isEmpty());
    }
}
