// Where a till receipt goes: the system's default printer, or, on a till without any
// printer, one PDF file per receipt in the receipt folder (SysSet.ini), so no receipt
// vanishes silently.
#pragma once

#include <QString>

class PrintCanvas;
class TillReceipt;

class ReceiptPrinter {
public:
    // Prints the receipt; returns the PDF written when there is no printer, else empty.
    // Throws PrintError when the output cannot be produced.
    static QString print(const TillReceipt& receipt);
    // The file a receipt goes to without a printer: the sale number in the receipt folder,
    // never overwriting an earlier file.
    static QString pdfPathFor(const QString& saleNo);
};
