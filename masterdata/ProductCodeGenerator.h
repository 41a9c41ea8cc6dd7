// Product codes of 8 characters: 5 typed by the operator and a 3-digit number that
// continues the highest one already used under those 5 characters.
#pragma once

#include <QString>

namespace db { class Connection; }

class ProductCodeGenerator {
public:
    static constexpr int PrefixLength = 5;
    static constexpr int CodeLength = 8;

    enum class Outcome { Generated, WrongPrefixLength, Exhausted };
    struct Result {
        Outcome outcome;
        QString code;  // the new code when Generated
    };

    explicit ProductCodeGenerator(db::Connection& connection) : m_connection(connection) {}
    // Throws db::Error when the product table cannot be read.
    Result next(const QString& prefix);

private:
    db::Connection& m_connection;
};
