// Operator passwords are kept as Argon2id hashes (libsodium), never as text.
#pragma once

#include <QString>

namespace db {

class Passwords {
public:
    static QString hash(const QString& password);
    static bool verify(const QString& password, const QString& storedHash);
    // For an operator number that does not exist: does the work of a verification and
    // answers false, so the time a refusal takes does not tell which numbers exist.
    static bool verifyUnknown(const QString& password);
    // The hash verifyUnknown checks against: made with the same parameters as hash().
    static const char* dummyHash();
};

}  // namespace db
