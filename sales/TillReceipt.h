// The text till receipt of a retail sale: its lines, laid out in columns counted the way
// a till printer counts them (a Chinese character takes two), and drawn on a print canvas.
#pragma once

#include "db/Money.h"

#include <QString>
#include <QStringList>
#include <vector>

class PrintCanvas;

struct TillReceiptLine {
    QString productNo;
    QString priceText;      // as typed on the sale screen
    QString quantityText;
    Money amount;
};

struct TillReceiptData {
    QString shopName;
    QString shopTel;
    QString customerName;
    QString operatorName;
    QString saleNo;
    QString dateText;       // the short date of the day of sale
    std::vector<TillReceiptLine> lines;   // newest first, as on the screen
    QString amountDueText;
    Money amountReceived;
    QString changeText;
    // The wholesale receipt: 46 hyphens, the column title "商品编码", printed in 宋体.
    bool wholesale = false;
};

class TillReceipt {
public:
    explicit TillReceipt(TillReceiptData data) : m_data(std::move(data)) {}

    const TillReceiptData& data() const { return m_data; }
    // The receipt's text lines, top to bottom.
    QStringList lines() const;
    // The same receipt for a till roll of `columns` columns: no indent, separators as wide
    // as the roll, a product's figures under its code when they do not fit beside it, and
    // every other line wrapped, so no line is wider than the roll.
    QStringList rollLines(int columns) const;
    // One page: the shop name line (index 1) in 14 points, every other line in 10, in 黑体;
    // each line starts below the previous one by that line's font height, so nothing
    // overlaps at any printer resolution. With a paper width (millimetres, SysSet.ini
    // [POS] ReceiptWidth) the page is that wide and the roll layout fills it in 9 points.
    // Throws PrintError when the device fails.
    void print(PrintCanvas& canvas, int paperWidthMm = 0) const;

    static QString padRight(const QString& text, int columns);
    static QString padLeft(const QString& text, int columns);

private:
    TillReceiptData m_data;
};
