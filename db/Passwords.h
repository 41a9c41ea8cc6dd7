// Operator passwords are kept as Argon2id hashes (libsodium), never as text.
#pragma once

#include <QString>

namespace db {

class Passwords {
public:
    static QString hash(const QString& password);
    static bool verify(const QString& password, const QString& storedHash);
};

}  // namespace db
