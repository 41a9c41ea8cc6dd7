#include "sales/TfrmPrintJobSellsData.h"

#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "sales/SaleNote.h"
#include "sales/TfrmJobPOS.h"
#include "sales/TillReceipt.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kInfo = QStringLiteral("信息提示");
}

TfrmPrintJobSellsData::TfrmPrintJobSellsData(TfrmJobPOS& sale, QWidget* parent)
    : TfrmPrintSellsData(sale, parent), m_jobSale(sale) {
    setObjectName(QStringLiteral("frmPrintJobSellsData"));
    setWindowTitle(QStringLiteral("打印批发收款单"));
}

void TfrmPrintJobSellsData::bitPrintClick() {
    if (m_saving || m_posted) return;
    // Refused before anything is written: the amount stays for correcting.
    const std::optional<Money> received = Money::parse(m_edTrueMoney->text());
    if (!received || received->isNegative()) {
        messages().info(kInfo, QStringLiteral("实收金额不是有效的金额，请重新输入！"));
        m_edTrueMoney->setFocus();
        m_edTrueMoney->selectAll();
        return;
    }
    WholesaleSale sale;
    static_cast<RetailSale&>(sale) = saleFromScreen(*received);
    sale.clientNo = m_jobSale.clientNo();
    sale.customerName = m_jobSale.customerName();
    m_saving = true;
    m_bitPrint->setEnabled(false);
    try {
        const PostedWholesaleSale posted = WholesalePosting(frmBaseDataModule().Database()).post(sale);
        m_posted = posted.sale;
        m_ledger = posted.ledger;
    } catch (const LedgerPostingFailed&) {
        // Both screens keep the sale so the save can be repeated.
        m_saving = false;
        m_bitPrint->setEnabled(true);
        messages().info(kInfo, QStringLiteral("网络忙，请稍后重新操作！"));
        return;
    } catch (const db::Error& e) {
        failAndStartOver(e.kind() == db::ErrorKind::Shortage ? e.message() + QStringLiteral("。本单未保存！")
                                                              : QStringLiteral("数据库忙，请稍后再试！"));
        return;
    } catch (const std::exception&) {
        failAndStartOver(QStringLiteral("数据库忙，请稍后再试！"));
        return;
    }
    m_saving = false;
    session().SerialType = QStringLiteral("W");
    session().LastSerialNo = m_posted->saleNo;
    printAfterPosting(*m_posted);
    messages().info(kInfo, QStringLiteral("数据保存成功！"));
    m_sale.bitClearClick();
    accept();
}

void TfrmPrintJobSellsData::failAndStartOver(const QString& message) {
    // Nothing of the sale was written; it is keyed again from an empty sale screen.
    m_saving = false;
    messages().info(kInfo, message);
    m_sale.bitClearClick();
    reject();
}

void TfrmPrintJobSellsData::completeReceipt(TillReceiptData& receipt) const { receipt.wholesale = true; }

void TfrmPrintJobSellsData::completeNote(SaleNoteData& note) const {
    if (m_posted) note.remark = wholesaleRemark(m_posted->amountReceived, m_posted->amountDue);
}
