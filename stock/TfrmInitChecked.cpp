#include "stock/TfrmInitChecked.h"

#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Periods.h"
#include "db/Stocktake.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"
#include "db/Transaction.h"
#include "stock/TfrmProgress.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmInitChecked::TfrmInitChecked(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmInitChecked"));
    setWindowTitle(QStringLiteral("初始化盘点数据"));

    auto* note = new QPlainTextEdit(QStringLiteral("\n本操作仅在每次盘点前初始化一次!"), pnBaseHint());
    note->setObjectName(QStringLiteral("mmNote"));
    note->setReadOnly(true);
    note->setFixedHeight(60);
    QFont noteFont = note->font();
    noteFont.setPointSize(noteFont.pointSize() + 2);
    note->setFont(noteFont);

    m_dtBeginDate = new QDateEdit(pnBaseHint());
    m_dtBeginDate->setObjectName(QStringLiteral("dtBeginDate"));
    m_dtEndDate = new QDateEdit(pnBaseHint());
    m_dtEndDate->setObjectName(QStringLiteral("dtEndDate"));
    for (QDateEdit* picker : {m_dtBeginDate, m_dtEndDate}) {
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        picker->setCalendarPopup(true);
        picker->setEnabled(false);
    }
    auto* dates = new QGridLayout;
    dates->addWidget(new QLabel(QStringLiteral("起始日期"), pnBaseHint()), 0, 0);
    dates->addWidget(m_dtBeginDate, 0, 1);
    dates->addWidget(new QLabel(QStringLiteral("终止日期"), pnBaseHint()), 1, 0);
    dates->addWidget(m_dtEndDate, 1, 1);
    dates->setColumnStretch(1, 1);

    m_bitYes = new QPushButton(QStringLiteral("初始化"), pnBaseHint());
    m_bitYes->setObjectName(QStringLiteral("bitYes"));
    m_bitClose = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    m_bitClose->setObjectName(QStringLiteral("bitClose"));

    auto* layout = new QVBoxLayout(pnBaseHint());
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(note);
    layout->addLayout(dates);
    layout->addStretch(1);
    layout->addLayout(centredButtonRow(m_bitYes, m_bitClose));
    connect(m_bitYes, &QPushButton::clicked, this, &TfrmInitChecked::bitYesClick);
    connect(m_bitClose, &QPushButton::clicked, this, &QDialog::close);
    resize(380, 260);

    // The period comes from the server; without it nothing may be initialised.
    bool ok = false;
    try {
        const QDate begin = db::Periods::parseDate(frmDM().GetCheckedDate(QStringLiteral("beg")));
        const QDate end = db::Periods::parseDate(frmDM().GetCheckedDate(QStringLiteral("end")));
        if (begin.isValid() && end.isValid()) {
            m_dtBeginDate->setDate(begin);
            m_dtEndDate->setDate(end);
            ok = true;
        }
    } catch (const db::Error&) {
        ok = false;
    }
    if (!ok) {
        m_bitYes->setEnabled(false);
        messages().info(QStringLiteral("上次初始化日期变量不存在，请检查后再操作！"));
    }
}

void TfrmInitChecked::showEvent(QShowEvent* event) {
    TfrmBase::showEvent(event);
    if (m_bitYes->isEnabled()) m_bitYes->setFocus();
}

void TfrmInitChecked::bitYesClick() {
    if (!m_bitYes->isEnabled()) return;
    if (!messages().ask(MessageIcon::Warning, QStringLiteral("警告"), QStringLiteral("是否确定要初始化盘点数据？"),
                        MessageButtons::OkCancel))
        return;
    if (!messages().ask(MessageIcon::Warning, QStringLiteral("警告"), QStringLiteral("单击[确定]将初始化盘点数据!!!"),
                        MessageButtons::OkCancel))
        return;
    db::Connection& connection = frmBaseDataModule().Database();
    try {
        // The table holds one stocktake: a new one replaces it, and counts that were never
        // applied would be lost with it, so the operator decides knowing how many there are.
        const db::StocktakeState state = db::Stocktake(connection).state();
        if (state.rows > 0) {
            QString text = QStringLiteral("盘点表中已有上次初始化的 %1 条盘点数据").arg(state.rows);
            if (state.countedUnapplied > 0)
                text += QStringLiteral("，其中 %1 条已录入盘点数量但尚未更新库存，重新初始化后这些盘点数量将丢失").arg(state.countedUnapplied);
            text += QStringLiteral("。\n是否替换为新的盘点数据？");
            if (!messages().ask(MessageIcon::Warning, QStringLiteral("警告"), text, MessageButtons::OkCancel)) return;
        }
    } catch (const db::Error&) {
        messages().info(QStringLiteral("初始化失败，请稍后再操作！"));
        return;
    }
    // Millions of rows and their commit take seconds: they are written on a connection and
    // thread of their own while this one keeps the progress window painted.
    TfrmProgress progress(this);
    const QDate begin = m_dtBeginDate->date();
    const QDate end = m_dtEndDate->date();
    try {
        progress.runOnOwnConnection(connection.url(), [&](db::Connection& own, const TfrmProgress::Report& report) {
            db::Transaction tx(own);
            db::Stocktake(own).initialise(begin, end, report);
            tx.commit();
        });
    } catch (const db::Error&) {
        progress.close();
        messages().info(QStringLiteral("初始化失败，请稍后再操作！"));
        return;
    }
    progress.close();
    messages().info(QStringLiteral("初始化已完成！"));
    m_bitYes->setEnabled(false);
}
