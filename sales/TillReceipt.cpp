#include "sales/TillReceipt.h"

#include "app/PrintCanvas.h"
#include "masterdata/TextWidth.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <algorithm>

namespace {

const QString kIndent = QStringLiteral("        ");
const QString kSeparator = kIndent + QString(50, u'-');
const QString kWholesaleSeparator = kIndent + QString(46, u'-');
constexpr int kShopNameLine = 1;
constexpr double kMarginMm = 3.0;

QFont receiptFont(int lineIndex, bool wholesale, double bodyPoints = 10) {
    QFont font(wholesale ? QStringLiteral("宋体") : QStringLiteral("黑体"));
    font.setPointSizeF(lineIndex == kShopNameLine ? bodyPoints * 1.4 : bodyPoints);
    return font;
}

constexpr double kRollPoints = 9;

// Cuts a line into pieces of at most `columns` columns, never inside a character.
QStringList wrapped(const QString& line, int columns) {
    QStringList out;
    QString piece;
    for (const QChar ch : line) {
        if (!piece.isEmpty() && gbkWidth(piece + ch) > columns) {
            out << piece;
            piece.clear();
        }
        piece += ch;
    }
    out << piece;
    return out;
}

}  // namespace

QString TillReceipt::padRight(const QString& text, int columns) {
    const int missing = columns - gbkWidth(text);
    return missing > 0 ? text + QString(missing, u' ') : text;
}

QString TillReceipt::padLeft(const QString& text, int columns) {
    const int missing = columns - gbkWidth(text);
    return missing > 0 ? QString(missing, u' ') + text : text;
}

QStringList TillReceipt::lines() const {
    const TillReceiptData& d = m_data;
    QStringList out;
    out << QString(9, u' ');
    out << QString(16, u' ') + d.shopName;
    out << QString(9, u' ');
    out << kIndent + QStringLiteral("单位：") + padRight(d.customerName, 15) + QStringLiteral(" 收银员：") + d.operatorName;
    out << kIndent + QStringLiteral("编号：") + d.saleNo + QStringLiteral(" 日  期：") + d.dateText;
    const QString& separator = d.wholesale ? kWholesaleSeparator : kSeparator;
    out << separator;
    out << kIndent + (d.wholesale ? QStringLiteral("商品编码       │ 单价 │数量│扣率│  金额 ")
                                  : QStringLiteral("商品                 │ 单价 │数量│扣率│  金额 "));
    out << separator;
    for (const TillReceiptLine& line : d.lines) {
        out << kIndent + padRight(line.productNo.trimmed(), 15) + padLeft(line.priceText.trimmed(), 8)
                   + padLeft(line.quantityText.trimmed(), 6) + padLeft(QStringLiteral("100%"), 6)
                   + padLeft(line.amount.toString(), 9);
    }
    out << separator;
    out << QString(2, u' ');
    out << kIndent + QStringLiteral("合计金额：") + d.amountDueText;
    out << kIndent + QStringLiteral("收款金额：") + d.amountReceived.toString();
    out << kIndent + QStringLiteral("找    零：") + d.changeText;
    out << QString(9, u' ');
    out << QStringLiteral("          联系电话: ") + d.shopTel;
    out << QString(2, u' ');
    return out;
}

QStringList TillReceipt::rollLines(int columns) const {
    const TillReceiptData& d = m_data;
    const QString separator(columns, u'-');
    const auto figures = [](const QString& price, const QString& quantity, const QString& rate, const QString& amount) {
        return padLeft(price, 8) + padLeft(quantity, 6) + padLeft(rate, 6) + padLeft(amount, 9);
    };
    const QString header = figures(QStringLiteral("单价"), QStringLiteral("数量"), QStringLiteral("扣率"), QStringLiteral("金额"));
    const bool beside = 15 + gbkWidth(header) <= columns;
    QStringList out;
    out << QString();
    // The shop name is printed larger: centred on the columns it has at its size.
    const int nameColumns = int(columns / 1.4);
    out << padLeft(d.shopName, (nameColumns + gbkWidth(d.shopName)) / 2);
    out << QString();
    out << QStringLiteral("单位：") + d.customerName;
    out << QStringLiteral("收银员：") + d.operatorName;
    out << QStringLiteral("编号：") + d.saleNo;
    out << QStringLiteral("日期：") + d.dateText;
    out << separator;
    if (beside) out << padRight(QStringLiteral("商品"), 15) + header;
    else out << QStringLiteral("商品") << padLeft(header, columns);
    out << separator;
    for (const TillReceiptLine& line : d.lines) {
        const QString numbers = figures(line.priceText.trimmed(), line.quantityText.trimmed(), QStringLiteral("100%"),
                                        line.amount.toString());
        if (beside && 15 + gbkWidth(numbers) <= columns) {
            out << padRight(line.productNo.trimmed(), 15) + numbers;
        } else {
            out << line.productNo.trimmed();
            out << padLeft(numbers, columns);
        }
    }
    out << separator;
    out << QStringLiteral("合计金额：") + d.amountDueText;
    out << QStringLiteral("收款金额：") + d.amountReceived.toString();
    out << QStringLiteral("找    零：") + d.changeText;
    out << QString();
    out << QStringLiteral("联系电话: ") + d.shopTel;
    out << QString();
    // Whatever is still too wide (a long name, an absurd amount) goes on to the next line.
    // The shop name keeps its index; its further pieces print in the smaller body size.
    QStringList fitted;
    for (int i = 0; i < out.size(); ++i) fitted << wrapped(out[i], i == kShopNameLine ? nameColumns : columns);
    return fitted;
}

void TillReceipt::print(PrintCanvas& canvas, int paperWidthMm) const {
    const double points = paperWidthMm > 0 ? kRollPoints : 10;
    QStringList text;
    if (paperWidthMm > 0) {
        canvas.setFont(receiptFont(0, m_data.wholesale, points));
        const double columnMm = canvas.textWidth(QString(10, u'0')) / 10;
        text = rollLines(int((paperWidthMm - 2 * kMarginMm) / columnMm));
    } else {
        text = lines();
    }
    // Measure first: the page is as long as the receipt and, without a paper width, as wide
    // as the widest line.
    double width = 0;
    double height = 0;
    for (int i = 0; i < text.size(); ++i) {
        canvas.setFont(receiptFont(i, m_data.wholesale, points));
        width = std::max(width, canvas.textWidth(text[i]));
        height += canvas.lineHeight();
    }
    const double pageWidth = paperWidthMm > 0 ? paperWidthMm : width + 2 * kMarginMm + 1;
    const QPageSize page(QSizeF(pageWidth, height + 2 * kMarginMm + 1), QPageSize::Millimeter, QStringLiteral("收银小票"));
    canvas.begin((m_data.wholesale ? QStringLiteral("批发收款单 ") : QStringLiteral("零售收款单 ")) + m_data.saleNo,
                 QPageLayout(page, QPageLayout::Portrait, QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                             QPageLayout::Millimeter));
    double y = 0;
    for (int i = 0; i < text.size(); ++i) {
        canvas.setFont(receiptFont(i, m_data.wholesale, points));
        canvas.drawText(QPointF(0, y), text[i]);
        y += canvas.lineHeight();
    }
    canvas.end();
}
