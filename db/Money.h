// Fixed-point money: an amount in ten-thousandths of a yuan.
#pragma once

#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>

// An amount that would leave the range of Money (about ±922 trillion yuan). Thrown instead
// of wrapping round, so a wrong total never reaches a document; sale screens refuse the line.
class MoneyOverflow : public std::overflow_error {
public:
    explicit MoneyOverflow(const char* operation);
};

// Rounding: a computed amount (times, percent, a double read from the database) is rounded
// once to four decimals, halves to even, as it is stored; an amount shown or printed is
// rounded to two decimals, halves away from zero. Every operation that would leave the
// int64 range throws MoneyOverflow.
class Money {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(int64_t tenThousandths) { Money m; m.m_units = tenThousandths; return m; }
    static Money fromYuan(int64_t yuan) { return fromUnits(checkedProduct(yuan, Scale, "fromYuan")); }
    static Money fromCents(int64_t cents) { return fromUnits(checkedProduct(cents, 100, "fromCents")); }

    // Parses "12", "12.3", "-0.0001", " 1234.5678 "; more than four decimals round half away
    // from zero (typed text, not a computed result). Text beyond the range is refused (nullopt).
    static std::optional<Money> parse(const QString& text);
    // Reads a database value: a decimal string (PostgreSQL numeric), an integer or a double
    // (SQLite stores NUMERIC as REAL), rounded to four decimals. Null reads as zero.
    static Money fromVariant(const QVariant& value);
    // For the few places a quantity (a double) meets money: the double's shortest decimal
    // form, rounded half to even to four decimals. Throws MoneyOverflow beyond the range
    // (and for infinities and NaN, which no amount can hold).
    static Money fromDouble(double yuan);

    constexpr int64_t units() const { return m_units; }
    double toDouble() const { return double(m_units) / Scale; }
    bool isZero() const { return m_units == 0; }
    bool isNegative() const { return m_units < 0; }

    // "0.00": two decimals, half away from zero, as amounts are shown and printed.
    QString toString(int decimals = 2) const;
    // Rounded to whole cents (two decimals), the amount as displayed.
    Money roundedToCents() const;
    // Full precision for binding: "-12.3400".
    QString toDecimalString() const { return toString(4); }

    Money operator-() const;
    Money operator+(Money o) const;
    Money operator-(Money o) const;
    Money& operator+=(Money o) { return *this = *this + o; }
    Money& operator-=(Money o) { return *this = *this - o; }
    // Amount times a quantity (taken as its shortest decimal form), rounded half to even to
    // four decimals.
    Money times(double quantity) const;
    // Amount times a whole-number percentage (discount rate), rounded half to even to four decimals.
    Money percent(int rate) const;

    auto operator<=>(const Money&) const = default;

private:
    static int64_t checkedProduct(int64_t a, int64_t b, const char* operation) {
        int64_t r = 0;
        if (__builtin_mul_overflow(a, b, &r)) throw MoneyOverflow(operation);
        return r;
    }

    int64_t m_units = 0;
};

Q_DECLARE_METATYPE(Money)
