// The table-form sales note of a saved sale: the report TfrmRepSell over the sale's lines
// as saved in XSMXB, with its captions filled from the sale.
#pragma once

#include "db/Money.h"

#include <QString>

class QWidget;
class TfrmBaseReport;

struct SaleNoteData {
    QString saleNo;
    QString shopName;
    QString shopNote;
    QString shopTel;
    QString customerName;
    QString dateText;       // the short date of the day of sale
    Money amountDue;
    QString storeName;
    QString promoterNames;  // the clerks who served the sale
    QString operatorName;
    QString remark;         // empty for a retail sale
};

class SaleNote {
public:
    // Binds the report to the sale's saved lines and sets every caption.
    static void fill(TfrmBaseReport& report, const SaleNoteData& note);
    // Straight to the printer (or, without one, to a PDF in the receipt folder, said so
    // through the message service). False when nothing could be printed.
    static bool print(const SaleNoteData& note, QWidget* parent = nullptr);
};
