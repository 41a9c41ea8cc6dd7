#include "sales/SaleLines.h"

#include "db/Statement.h"

#include <QRegularExpression>
#include <cmath>
#include <utility>

std::optional<LookedUpProduct> ProductLookup::find(const QString& code) {
    if (code.isEmpty() || code.size() > kDocumentProductNoLength) return std::nullopt;
    db::Statement s(m_connection, QStringLiteral("Select SPNO, SPNAME, BZJG, ZDJG, SPDW From SPB Where SPNO = :ProductNo"));
    s.bind(QStringLiteral(":ProductNo"), code);
    if (!s.first()) return std::nullopt;
    LookedUpProduct p;
    p.productNo = s.text(0);
    p.name = s.text(1);
    p.price = s.money(2);
    if (!s.isNull(3)) p.lowestPrice = s.money(3);
    p.unit = s.text(4);
    return p;
}

std::optional<double> parseQuantity(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (!number.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString quantityText(double quantity) {
    if (quantity == 0) return QStringLiteral("0");  // never "-0"
    return QString::number(quantity, 'g', 15);
}

QString plainAmountText(Money amount) {
    QString s = amount.toString(4);
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    return s == QStringLiteral("-0") ? QStringLiteral("0") : s;
}

Money SaleLine::price() const { return Money::parse(priceText).value_or(Money{}); }
Money SaleLine::memberPrice() const { return Money::parse(memberPriceText).value_or(price()); }
double SaleLine::quantity() const { return parseQuantity(quantityText).value_or(0.0); }
int SaleLine::rate() const {
    bool ok = false;
    const int r = rateText.trimmed().toInt(&ok);
    return ok ? r : 100;
}
Money SaleLine::amount() const { return price().percent(rate()).times(quantity()); }
Money SaleLine::memberAmount() const { return memberPrice().times(quantity()); }

LineRefusal checkLine(const QString& quantityText, const QString& priceText, const LookedUpProduct& product,
                      bool checkStock) {
    const std::optional<double> quantity = parseQuantity(quantityText);
    if (!quantity) return LineRefusal::QuantityNotANumber;
    if (*quantity < 0) return LineRefusal::QuantityNegative;
    const std::optional<Money> price = Money::parse(priceText);
    if (!price) return LineRefusal::QuantityNotANumber;
    // The price box refuses a price under the floor when it is left; this keeps a line
    // from getting one by any other way round.
    if (*price < product.memberPrice()) return LineRefusal::PriceBelowFloor;
    if (checkStock && *quantity > product.saleable) return LineRefusal::QuantityOverSaleable;
    return LineRefusal::None;
}

namespace {
bool mergesInto(const SaleLine& existing, const SaleLine& line) {
    return existing.productNo == line.productNo && existing.priceText == line.priceText
        && existing.storeName == line.storeName;
}

long double yuan(Money amount) { return static_cast<long double>(amount.units()) / Money::Scale; }

// The line's amount and member amount at this quantity, unrounded.
std::pair<long double, long double> amountsAt(const SaleLine& line, long double quantity) {
    return {yuan(line.price()) * line.rate() / 100.0L * quantity, yuan(line.memberPrice()) * quantity};
}
}  // namespace

QString amountTooLargeMessage() {
    return QStringLiteral("金额超出范围（单笔及整单不能超过 %1 元），请检查单价和数量！")
        .arg(Money::fromYuan(int64_t(kLargestSaleAmountYuan)).toString());
}

bool SaleLines::fitsAmountLimit(const SaleLine& line) const {
    long double quantity = line.quantity();
    long double others = 0;
    for (const SaleLine& existing : m_lines) {
        if (mergesInto(existing, line)) quantity += existing.quantity();
        else others += amountsAt(existing, existing.quantity()).first;
    }
    const auto [amount, memberAmount] = amountsAt(line, quantity);
    return withinLargestAmount(amount) && withinLargestAmount(memberAmount) && withinLargestAmount(others + amount);
}

bool SaleLines::add(const SaleLine& line) {
    for (SaleLine& existing : m_lines) {
        if (mergesInto(existing, line)) {
            existing.quantityText = quantityText(existing.quantity() + line.quantity());
            return true;
        }
    }
    m_lines.insert(m_lines.begin(), line);
    return false;
}

void SaleLines::remove(int index) {
    if (index < 0 || index >= count()) return;
    m_lines.erase(m_lines.begin() + index);
}

double SaleLines::quantityOf(const QString& productNo) const {
    double sum = 0;
    for (const SaleLine& line : m_lines)
        if (line.productNo == productNo) sum += line.quantity();
    return sum;
}

Money SaleLines::total() const {
    Money sum;
    for (const SaleLine& line : m_lines) sum += line.amount();
    return sum;
}
