#include "sales/SaleNote.h"

#include "db/Comm.h"
#include "reports/TfrmBaseReport.h"

void SaleNote::fill(TfrmBaseReport& report, const SaleNoteData& note) {
    report.setParam(QStringLiteral(":XSNO"), note.saleNo);
    report.setLabel(QStringLiteral("lbTitle"), note.shopName + QStringLiteral("销售单"));
    report.setLabel(QStringLiteral("lbOther"), note.shopNote);
    report.setLabel(QStringLiteral("lbDw"), note.customerName);
    report.setLabel(QStringLiteral("lbDH"), note.saleNo);
    report.setLabel(QStringLiteral("lbDate"), note.dateText);
    report.setLabel(QStringLiteral("lbTel"), note.shopTel);
    report.setLabel(QStringLiteral("lbUpCaseMoney"), QStringLiteral("<大写：>") + AmountToCapitals(note.amountDue));
    report.setLabel(QStringLiteral("lbStore"), note.storeName);
    report.setLabel(QStringLiteral("lbRemark"), note.remark);
    report.setLabel(QStringLiteral("lbOff"), note.promoterNames);
    report.setLabel(QStringLiteral("lbOper"), note.operatorName);
    report.setLabel(QStringLiteral("lbMoney"), note.amountDue.toString());
}

bool SaleNote::print(const SaleNoteData& note, QWidget* parent) {
    TfrmBaseReport report(QStringLiteral("TfrmRepSell"), parent);
    fill(report, note);
    return report.print();
}
