#include "db/Passwords.h"

#include "db/Error.h"

#include <sodium.h>

namespace db {

namespace {
void ensureSodium() {
    static const int ok = sodium_init();
    if (ok < 0) throw Error(QStringLiteral("libsodium cannot start"));
}
}

QString Passwords::hash(const QString& password) {
    ensureSodium();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, utf8.constData(), utf8.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw Error(QStringLiteral("out of memory while hashing a password"));
    return QString::fromLatin1(out);
}

bool Passwords::verify(const QString& password, const QString& storedHash) {
    ensureSodium();
    const QByteArray h = storedHash.toLatin1();
    if (h.isEmpty() || h.size() >= crypto_pwhash_STRBYTES) return false;
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(h.constData(), utf8.constData(), utf8.size()) == 0;
}

const char* Passwords::dummyHash() {
    // A hash of a random text nobody knows, fixed so the first refusal costs no extra hashing.
    return "$argon2id$v=19$m=65536,t=2,p=1$UsonvLlekGV+lbdQiTMbRA$ydISDYlT1Be/27ygSWYZBQctzWn5Z16maDuGO1SCojM";
}

bool Passwords::verifyUnknown(const QString& password) {
    verify(password, QString::fromLatin1(dummyHash()));
    return false;
}

}  // namespace db
