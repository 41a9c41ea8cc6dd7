// The lines of a sale at the counter, without widgets: the product looked up for a code,
// the checks a line passes before it is added, merging equal lines and the totals.
#pragma once

#include "db/Money.h"

#include <QString>
#include <cmath>
#include <optional>
#include <vector>

namespace db { class Connection; }

// Documents carry product codes of this many characters; longer codes are never sold.
constexpr int kDocumentProductNoLength = 15;

// A product as the lookup found it: everything a line takes from the product comes from here.
struct LookedUpProduct {
    QString productNo;
    QString name;
    QString unit;
    Money price;                       // SPB.BZJG, the standard price
    std::optional<Money> lowestPrice;  // SPB.ZDJG, when the product has one
    double saleable = 0;               // store quantity minus what the sale already holds

    // The member price and the floor of the line's price.
    Money memberPrice() const { return lowestPrice.value_or(price); }
};

class ProductLookup {
public:
    explicit ProductLookup(db::Connection& connection) : m_connection(connection) {}
    // The product with exactly this code; nothing for an unknown code or one longer than a
    // document can carry. A database error propagates (db::Error).
    std::optional<LookedUpProduct> find(const QString& code);

private:
    db::Connection& m_connection;
};

// One line of the sale grid. Price and quantity keep the texts as typed: lines merge only
// when their price texts are equal ("3.5" and "3.50" are two lines).
struct SaleLine {
    QString productNo;
    QString productName;
    QString priceText;
    QString rateText = QStringLiteral("100");
    QString quantityText;
    QString memberPriceText;
    QString storeName;
    QString unit;
    QString promoterName;
    QString promoterNo;

    Money price() const;
    Money memberPrice() const;
    double quantity() const;
    int rate() const;
    // price × rate / 100 × quantity, rounded once to four decimals.
    Money amount() const;
    // quantity × member price.
    Money memberAmount() const;
};

// The largest amount a line or a whole sale may reach, in yuan. Far beyond any real sale
// (mis-scanned codes landing in the price and quantity boxes make such amounts), and well
// inside what the amount columns hold, what Money computes without overflow and what
// SQLite, whose amounts are doubles, stores to the cent.
constexpr long double kLargestSaleAmountYuan = 1e11L;
// Whether an amount in yuan stays within it (and is a number at all).
inline bool withinLargestAmount(long double yuan) {
    return std::isfinite(yuan) && std::fabs(yuan) <= kLargestSaleAmountYuan;
}
// The refusal of a line or document beyond it, said alike by every screen with amounts.
QString amountTooLargeMessage();

// Why a line cannot be added, in the order the checks run.
enum class LineRefusal {
    None,
    QuantityNotANumber,   // also a price that is not an amount
    QuantityNegative,
    PriceBelowFloor,
    QuantityOverSaleable,
};

// Quantity text, then price text, then the floor, then (with stock checking) the saleable
// quantity; zero is a valid quantity and a quantity equal to the saleable one is accepted.
LineRefusal checkLine(const QString& quantityText, const QString& priceText, const LookedUpProduct& product,
                      bool checkStock);

// A decimal number as the operator typed it: digits with an optional point, no exponent.
std::optional<double> parseQuantity(const QString& text);
// Quantities written back as text: up to 15 significant digits, no trailing zeros.
QString quantityText(double quantity);
// An amount without trailing zeros, as a price is put into the price box: 4.5, 12, 0.35.
QString plainAmountText(Money amount);

class SaleLines {
public:
    // Newest first, as the grid shows them and the sale is posted.
    const std::vector<SaleLine>& lines() const { return m_lines; }
    int count() const { return int(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }

    // Merges into the line with the same code, price text and store (quantities added,
    // amounts follow) or puts the line on top. True when it merged.
    bool add(const SaleLine& line);
    // Out of range: nothing happens.
    void remove(int index);
    void clear() { m_lines.clear(); }

    double quantityOf(const QString& productNo) const;
    // Whether adding the line (merged as add() would) keeps its amount, its member amount
    // and the sale total within kLargestSaleAmountYuan. Computed in long double before any
    // Money arithmetic, so an absurd line is refused instead of overflowing.
    bool fitsAmountLimit(const SaleLine& line) const;
    // The sale total: the sum of the line amounts.
    Money total() const;

private:
    std::vector<SaleLine> m_lines;
};
