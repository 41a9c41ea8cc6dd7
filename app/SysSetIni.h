// SysSet.ini beside the program: the using unit (section STUDIO), the database
// (section DATABASE, key URL) and where receipts go without a printer (section PRINT).
#pragma once

#include <QString>

class SysSetIni {
public:
    // The file read; tests point it elsewhere.
    static QString path();
    static void setPath(const QString& path);

    // Reads NAME, TEL and DL into the session's ShopName, ShopTel and ShopNote; a missing
    // file, section or key gives "DEFAULT".
    static void readShopValues();
    static QString value(const QString& section, const QString& key, const QString& fallback = QStringLiteral("DEFAULT"));

    static QString databaseUrl();      // empty when not configured
    static QString receiptFolder();    // default: "receipts" beside the program

    // Section POS, the till's conveniences. A switch (QuickScan, ShowTotal) is on only for 1.
    static bool flag(const QString& key);
    // ReceiptWidth: the paper width in millimetres (58 to 120); 0 when not set or not a
    // width, and the receipt is then as wide as its lines.
    static int receiptWidthMm();
};
