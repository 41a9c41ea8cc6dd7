#include "app/TfrmInitDatabase.h"

#include "app/MessageService.h"
#include "db/Error.h"
#include "db/InitialData.h"
#include "db/TfrmBaseDataModule.h"
#include "db/Transaction.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmInitDatabase::TfrmInitDatabase(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmInitDatabase"));
    setWindowTitle(QStringLiteral("初始化数据库"));

    auto* frame = new QGroupBox(pnBaseHint());
    auto* warning = new QLabel(QStringLiteral("初始化数据库将删除所有数据,请慎重！！！"), frame);
    warning->setObjectName(QStringLiteral("lbWarning"));
    warning->setAlignment(Qt::AlignCenter);
    warning->setStyleSheet(QStringLiteral("color: red; font-size: 12pt; font-weight: bold;"));
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->setContentsMargins(20, 24, 20, 24);
    inFrame->addWidget(warning);

    auto* bitYes = new QPushButton(QStringLiteral("确定"), pnBaseHint());
    bitYes->setObjectName(QStringLiteral("bitYes"));
    auto* bitExit = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    bitExit->setObjectName(QStringLiteral("bitExit"));
    auto* buttons = centredButtonRow(bitYes, bitExit);

    auto* layout = new QVBoxLayout(pnBaseHint());
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(bitYes, &QPushButton::clicked, this, &TfrmInitDatabase::bitYesClick);
    connect(bitExit, &QPushButton::clicked, this, &TfrmInitDatabase::bitExitClick);
    bitExit->setFocus();
    resize(440, 220);
}

void TfrmInitDatabase::bitYesClick() {
    // Everything the shop has entered goes: one stray Enter must not be enough.
    if (!messages().ask(MessageIcon::Warning, QStringLiteral("警告"), QStringLiteral("所有数据将被删除且无法恢复，确定要初始化数据库吗？")))
        return;
    try {
        db::Connection& connection = frmBaseDataModule().Database();
        db::Transaction tx(connection);
        db::InitialData::resetDatabase(connection);
        tx.commit();
    } catch (const db::Error&) {
        messages().info(QStringLiteral("数据库忙，请稍后再试！"));
        return;
    }
    messages().info(QStringLiteral("初始化完成！"));
}

void TfrmInitDatabase::bitExitClick() { close(); }
