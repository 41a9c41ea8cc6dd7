#include "sales/ReceiptPrinter.h"

#include "app/PrintCanvas.h"
#include "app/SysSetIni.h"
#include "sales/TillReceipt.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

QString ReceiptPrinter::pdfPathFor(const QString& saleNo) {
    const QDir folder(SysSetIni::receiptFolder());
    const QString base = QStringLiteral("收款单-") + (saleNo.isEmpty() ? QStringLiteral("未编号") : saleNo);
    QString path = folder.filePath(base + QStringLiteral(".pdf"));
    // A database that was initialised again issues the same numbers once more.
    for (int n = 2; QFileInfo::exists(path); ++n) path = folder.filePath(base + QStringLiteral("-%1.pdf").arg(n));
    return path;
}

QString ReceiptPrinter::print(const TillReceipt& receipt) {
    if (PrinterCanvas::printerAvailable()) {
        PrinterCanvas printer;
        receipt.print(printer, SysSetIni::receiptWidthMm());
        return {};
    }
    if (!QDir().mkpath(SysSetIni::receiptFolder()))
        throw PrintError(QStringLiteral("票据文件夹无法创建：") + SysSetIni::receiptFolder());
    const QString path = pdfPathFor(receipt.data().saleNo);
    PdfCanvas pdf(path);
    receipt.print(pdf, SysSetIni::receiptWidthMm());
    return path;
}
