#include "db/Money.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace {

using Wide = __int128;

constexpr Wide kMax = std::numeric_limits<int64_t>::max();
constexpr Wide kMin = std::numeric_limits<int64_t>::min();

int64_t narrowed(Wide v, const char* operation) {
    if (v > kMax || v < kMin) throw MoneyOverflow(operation);
    return static_cast<int64_t>(v);
}

Wide powerOfTen(int n) {
    Wide p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

// n / d rounded half to even; d > 0.
Wide dividedHalfEven(Wide n, Wide d) {
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0) r = -r;
    const Wide twice = 2 * r;
    if (twice > d || (twice == d && q % 2 != 0)) q += n < 0 ? -1 : 1;
    return q;
}

// A finite double as the decimal its shortest round-trip text writes: digits × 10^exponent.
// So 0.1 is 1 × 10^-1 and a tie such as 0.00005 stays a tie, where the binary value would not.
struct Decimal {
    int64_t digits = 0;
    int exponent = 0;
};

Decimal decimalOf(double value, const char* operation) {
    if (!std::isfinite(value)) throw MoneyOverflow(operation);
    const QString text = QString::number(value, 'e', QLocale::FloatingPointShortest);  // "-1.2345e+02"
    const qsizetype e = text.indexOf(u'e');
    const QString mantissa = text.left(e);
    const int exponent = text.mid(e + 1).toInt();
    const qsizetype point = mantissa.indexOf(u'.');
    const int fractionDigits = point < 0 ? 0 : int(mantissa.size() - point - 1);
    QString digits = mantissa;
    digits.remove(u'.');
    return {digits.toLongLong(), exponent - fractionDigits};
}

// digits × 10^exponent × 10^shift as whole units, rounded half to even.
int64_t unitsOf(Wide digits, int exponent, const char* operation) {
    if (digits == 0) return 0;
    if (exponent >= 0) {
        if (digits > kMax || digits < kMin || exponent > 19) throw MoneyOverflow(operation);
        return narrowed(digits * powerOfTen(exponent), operation);  // < 10^38: fits the wide type
    }
    if (exponent < -37) return 0;  // |digits| < 10^36: far below half a unit
    return narrowed(dividedHalfEven(digits, powerOfTen(-exponent)), operation);
}

}  // namespace

MoneyOverflow::MoneyOverflow(const char* operation)
    : std::overflow_error(std::string("amount out of range (beyond ±922337203685477.5807) in ") + operation) {}

std::optional<Money> Money::parse(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    int i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') { negative = t[0] == u'-'; ++i; }
    Wide whole = 0;
    int digits = 0;
    for (; i < t.size() && t[i].isDigit(); ++i, ++digits) {
        whole = whole * 10 + t[i].digitValue();
        if (whole > kMax) return std::nullopt;
    }
    int64_t frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    if (i < t.size() && t[i] == u'.') {
        ++i;
        for (; i < t.size() && t[i].isDigit(); ++i, ++fracDigits) {
            if (fracDigits < 4) frac = frac * 10 + t[i].digitValue();
            else if (fracDigits == 4) roundUp = t[i].digitValue() >= 5;
        }
    }
    if (i != t.size() || digits + fracDigits == 0) return std::nullopt;
    for (int k = std::min(fracDigits, 4); k < 4; ++k) frac *= 10;
    const Wide units = whole * Scale + frac + (roundUp ? 1 : 0);
    const Wide signedUnits = negative ? -units : units;
    if (signedUnits > kMax || signedUnits < kMin) return std::nullopt;
    return fromUnits(static_cast<int64_t>(signedUnits));
}

Money Money::fromVariant(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return {};
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return fromYuan(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(value.toDouble());
    default:
        break;
    }
    if (value.canConvert<Money>() && value.typeId() == qMetaTypeId<Money>()) return value.value<Money>();
    const QString s = value.toString();
    if (auto m = parse(s)) return *m;
    // Exponent forms ("1e-05") that a driver may produce for tiny reals.
    bool ok = false;
    const double d = s.toDouble(&ok);
    return ok ? fromDouble(d) : Money{};
}

Money Money::fromDouble(double yuan) {
    // Most stored amounts are whole units already: when the nearest whole number of units
    // gives back this very double, it is the double's shortest decimal too (below 10^11
    // yuan two amounts four decimals apart never share a double), so the text detour of the
    // exact path is skipped. Every other double takes the exact path.
    if (std::abs(yuan) < 1e11) {
        const double units = std::nearbyint(yuan * double(Scale));
        if (units / double(Scale) == yuan) return fromUnits(int64_t(units));
    }
    const Decimal d = decimalOf(yuan, "fromDouble");
    return fromUnits(unitsOf(d.digits, d.exponent + 4, "fromDouble"));
}

QString Money::toString(int decimals) const {
    int64_t step = 1;
    for (int k = decimals; k < 4; ++k) step *= 10;
    int64_t v = m_units;
    const bool negative = v < 0;
    uint64_t a = negative ? uint64_t(-(v + 1)) + 1 : uint64_t(v);
    a = (a + uint64_t(step / 2)) / uint64_t(step);  // half away from zero on the magnitude
    uint64_t div = 1;
    for (int k = 0; k < decimals; ++k) div *= 10;
    QString s = QString::number(a / div);
    if (decimals > 0) s += u'.' + QStringLiteral("%1").arg(a % div, decimals, 10, QLatin1Char('0'));
    if (negative && a != 0) s.prepend(u'-');
    return s;
}

Money Money::roundedToCents() const {
    const Wide cents = m_units / 100 + (m_units % 100 >= 50 ? 1 : m_units % 100 <= -50 ? -1 : 0);
    return fromUnits(narrowed(cents * 100, "roundedToCents"));
}

Money Money::operator-() const {
    if (m_units == std::numeric_limits<int64_t>::min()) throw MoneyOverflow("negation");
    return fromUnits(-m_units);
}

Money Money::operator+(Money o) const {
    int64_t r = 0;
    if (__builtin_add_overflow(m_units, o.m_units, &r)) throw MoneyOverflow("addition");
    return fromUnits(r);
}

Money Money::operator-(Money o) const {
    int64_t r = 0;
    if (__builtin_sub_overflow(m_units, o.m_units, &r)) throw MoneyOverflow("subtraction");
    return fromUnits(r);
}

Money Money::times(double quantity) const {
    const Decimal q = decimalOf(quantity, "times");
    return fromUnits(unitsOf(Wide(m_units) * q.digits, q.exponent, "times"));
}

Money Money::percent(int rate) const {
    return fromUnits(narrowed(dividedHalfEven(Wide(m_units) * rate, 100), "percent"));
}
