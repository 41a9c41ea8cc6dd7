// Amounts in capital numerals, checked against a reader of the numerals: every amount below
// a thousand million yuan must read back as itself rounded to cents, in the characters a
// business document may carry. Amounts come from the whole range a document could hold
// (Money's own edges near the int64 limits are the money target's).
#include "db/Comm.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// The cents that a capital-numeral text stands for; nullopt when it is not one.
std::optional<int64_t> readCapitals(const QString& text) {
    static const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    int64_t total = 0;     // cents of the groups closed by 亿, 万 or 元
    int64_t section = 0;   // the group under way, in its own units
    int64_t digit = -1;    // the digit waiting for its unit
    bool done = false;
    for (const QChar c : text) {
        if (done) return std::nullopt;
        const int d = digits.indexOf(c);
        if (d > 0) {
            if (digit >= 0) return std::nullopt;
            digit = d;
            continue;
        }
        if (d == 0) continue;  // 零 only separates
        const auto place = [&](int64_t unit) {
            if (digit < 0) return false;
            section += digit * unit;
            digit = -1;
            return true;
        };
        switch (c.unicode()) {
        case u'拾': if (!place(10)) return std::nullopt; break;
        case u'佰': if (!place(100)) return std::nullopt; break;
        case u'仟': if (!place(1000)) return std::nullopt; break;
        case u'万':
            place(1);
            total += section * 10000 * 100;
            section = 0;
            break;
        case u'亿':
            place(1);
            total += section * 100000000LL * 100;
            section = 0;
            break;
        case u'元':
            place(1);
            total += section * 100;
            section = 0;
            break;
        case u'角': if (digit < 0) return std::nullopt; total += digit * 10; digit = -1; break;
        case u'分': if (digit < 0) return std::nullopt; total += digit; digit = -1; done = true; break;
        case u'整': done = true; break;
        default: return std::nullopt;
        }
    }
    if (digit >= 0 || section != 0) return std::nullopt;
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int64_t units = 0;
    std::memcpy(&units, data, size < sizeof units ? size : sizeof units);
    units /= 2;  // away from the int64 limits
    const Money amount = Money::fromUnits(units);
    QString text;
    try {
        text = AmountToCapitals(amount);
    } catch (const std::overflow_error&) {
        return 0;
    }
    require(!text.isEmpty());
    const int64_t cents = amount.roundedToCents().units() / 100;
    const int64_t magnitude = cents < 0 ? -cents : cents;
    if (magnitude >= 100000000000LL) return 0;  // a thousand million yuan and more are written in digits
    QString body = text;
    if (cents < 0) {
        require(body.startsWith(QStringLiteral("负")));
        body = body.mid(1);
    }
    const std::optional<int64_t> read = readCapitals(body);
    require(read.has_value());
    require(*read == magnitude);
    require(!body.contains(QStringLiteral("零零")));
    return 0;
}
