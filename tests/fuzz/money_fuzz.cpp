// Money under arbitrary text and arithmetic. Refusing is fine: parse() saying no, or an
// arithmetic step throwing std::overflow_error (or a type derived from it). Undefined
// behaviour (signed overflow, a double out of range cast to an integer) is the bug the
// sanitizers stop on; a parsed amount that does not print back to itself is one too.
#include "db/Money.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

template <typename F>
void refusable(F&& step) {
    try {
        step();
    } catch (const std::overflow_error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first bytes drive the arithmetic, the rest is the text to parse.
    int64_t raw = 0;
    double quantity = 0;
    int32_t rate = 0;
    if (size >= sizeof raw + sizeof quantity + sizeof rate) {
        std::memcpy(&raw, data, sizeof raw);
        std::memcpy(&quantity, data + sizeof raw, sizeof quantity);
        std::memcpy(&rate, data + sizeof raw + sizeof quantity, sizeof rate);
        data += sizeof raw + sizeof quantity + sizeof rate;
        size -= sizeof raw + sizeof quantity + sizeof rate;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<Money> parsed = Money::parse(text);
    if (parsed) {
        // What prints with four decimals reads back as the same amount.
        const std::optional<Money> again = Money::parse(parsed->toDecimalString());
        require(again && *again == *parsed);
        // Two decimals are the amount rounded to cents.
        refusable([&] { require(Money::parse(parsed->toString())->units() == parsed->roundedToCents().units()); });
    }
    const Money a = parsed.value_or(Money());
    const Money b = Money::fromUnits(raw);
    refusable([&] { (void)(a + b); });
    refusable([&] { (void)(a - b); });
    refusable([&] { (void)(-b); });
    refusable([&] { (void)b.times(quantity); });
    refusable([&] { (void)b.percent(rate); });
    refusable([&] { (void)b.roundedToCents(); });
    refusable([&] { (void)Money::fromDouble(quantity); });
    refusable([&] { (void)b.toString(); });
    return 0;
}
