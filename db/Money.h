// Fixed-point money: an amount in ten-thousandths of a yuan.
#pragma once

#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>

class Money {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(int64_t tenThousandths) { Money m; m.m_units = tenThousandths; return m; }
    static constexpr Money fromYuan(int64_t yuan) { return fromUnits(yuan * Scale); }
    static constexpr Money fromCents(int64_t cents) { return fromUnits(cents * 100); }

    // Parses "12", "12.3", "-0.0001", " 1234.5678 "; more than four decimals round half away from zero.
    static std::optional<Money> parse(const QString& text);
    // Reads a database value: a decimal string (PostgreSQL numeric), an integer or a double
    // (SQLite stores NUMERIC as REAL), rounded to four decimals. Null reads as zero.
    static Money fromVariant(const QVariant& value);
    // For the few places a quantity (a double) meets money: price × quantity, rounded to four decimals.
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

    Money operator-() const { return fromUnits(-m_units); }
    Money operator+(Money o) const { return fromUnits(m_units + o.m_units); }
    Money operator-(Money o) const { return fromUnits(m_units - o.m_units); }
    Money& operator+=(Money o) { m_units += o.m_units; return *this; }
    Money& operator-=(Money o) { m_units -= o.m_units; return *this; }
    // Amount times a quantity, rounded half away from zero to four decimals.
    Money times(double quantity) const;
    // Amount times a whole-number percentage (discount rate), rounded to four decimals.
    Money percent(int rate) const;

    auto operator<=>(const Money&) const = default;

private:
    int64_t m_units = 0;
};

Q_DECLARE_METATYPE(Money)
