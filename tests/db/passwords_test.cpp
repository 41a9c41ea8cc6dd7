#include "db/Passwords.h"

#include <gtest/gtest.h>

// An unknown operator number is refused after the same work as a wrong password: the dummy
// hash it is checked against must cost what a stored hash costs (same algorithm, memory,
// passes), else the time of a refusal tells which numbers exist.
TEST(Passwords, anUnknownOperatorIsCheckedAgainstAHashMadeLikeTheStoredOnes) {
    auto parameters = [](const QString& hash) { return hash.section(u'$', 1, 3); };  // argon2id, v=19, m=...,t=...,p=...
    const QString stored = db::Passwords::hash(QStringLiteral("123"));
    const QString dummy = QString::fromLatin1(db::Passwords::dummyHash());
    EXPECT_EQ(parameters(dummy), parameters(stored));
    EXPECT_TRUE(parameters(dummy).startsWith(QStringLiteral("argon2id$v=19$m=")));
    for (const QString& typed : {QString(), QStringLiteral("123"), QStringLiteral("guess")})
        EXPECT_FALSE(db::Passwords::verifyUnknown(typed));
}
