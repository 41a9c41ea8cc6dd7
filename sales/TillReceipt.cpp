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

QFont receiptFont(int lineIndex, bool wholesale) {
    QFont font(wholesale ? QStringLiteral("宋体") : QStringLiteral("黑体"));
    font.setPointSizeF(lineIndex == kShopNameLine ? 14 : 10);
    return font;
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

void TillReceipt::print(PrintCanvas& canvas) const {
    const QStringList text = lines();
    // Measure first: the page is as wide as the widest line and as long as the receipt.
    double width = 0;
    double height = 0;
    for (int i = 0; i < text.size(); ++i) {
        canvas.setFont(receiptFont(i, m_data.wholesale));
        width = std::max(width, canvas.textWidth(text[i]));
        height += canvas.lineHeight();
    }
    const QPageSize page(QSizeF(width + 2 * kMarginMm + 1, height + 2 * kMarginMm + 1), QPageSize::Millimeter,
                         QStringLiteral("收银小票"));
    canvas.begin((m_data.wholesale ? QStringLiteral("批发收款单 ") : QStringLiteral("零售收款单 ")) + m_data.saleNo,
                 QPageLayout(page, QPageLayout::Portrait, QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                             QPageLayout::Millimeter));
    double y = 0;
    for (int i = 0; i < text.size(); ++i) {
        canvas.setFont(receiptFont(i, m_data.wholesale));
        canvas.drawText(QPointF(0, y), text[i]);
        y += canvas.lineHeight();
    }
    canvas.end();
}
