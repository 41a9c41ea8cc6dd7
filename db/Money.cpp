#include "db/Money.h"

#include <cmath>
#include <cstdlib>

namespace {
int64_t roundHalfAway(long double v) {
    return static_cast<int64_t>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L));
}
}

std::optional<Money> Money::parse(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    int i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') { negative = t[0] == u'-'; ++i; }
    int64_t whole = 0;
    int digits = 0;
    for (; i < t.size() && t[i].isDigit(); ++i, ++digits) {
        if (whole > (INT64_MAX / Scale) / 10) return std::nullopt;
        whole = whole * 10 + t[i].digitValue();
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
    int64_t units = whole * Scale + frac + (roundUp ? 1 : 0);
    return fromUnits(negative ? -units : units);
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
    return fromUnits(roundHalfAway(static_cast<long double>(yuan) * Scale));
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
    const int64_t r = m_units < 0 ? -((-m_units + 50) / 100) : (m_units + 50) / 100;
    return fromUnits(r * 100);
}

Money Money::times(double quantity) const {
    return fromUnits(roundHalfAway(static_cast<long double>(m_units) * quantity));
}

Money Money::percent(int rate) const {
    return fromUnits(roundHalfAway(static_cast<long double>(m_units) * rate / 100.0L));
}
