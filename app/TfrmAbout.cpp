#include "app/TfrmAbout.h"

#include "app/TfrmBaseMenu.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(QFont(QStringLiteral("宋体"), 9));

    auto* title = new QLabel(TfrmBaseMenu::makerDetails(), this);
    title->setObjectName(QStringLiteral("lbProduct"));
    QFont big = title->font();
    big.setPointSize(14);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* details = new QLabel(QStringLiteral("零售 · 批发 · 库存 · 往来帐 · 查询统计\n版本 %1").arg(QStringLiteral(POS_VERSION)), this);
    details->setObjectName(QStringLiteral("lbVersion"));
    details->setAlignment(Qt::AlignCenter);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("bitOK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 16);
    layout->setSpacing(14);
    layout->addWidget(title);
    layout->addWidget(details);
    layout->addLayout(buttons);
    ok->setFocus();
}
