#include "app/TfrmAgainLogin.h"

#include "app/OperatorCheck.h"
#include "db/TfrmBaseDataModule.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAgainLogin::TfrmAgainLogin(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmAgainLogin"));
    setWindowTitle(QStringLiteral("重新登录"));

    auto* top = new QFrame(pnBaseHint());
    top->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(24, 16, 24, 16);
    grid->setHorizontalSpacing(12);
    m_edOperatorNo = new QLineEdit(top);
    m_edOperatorNo->setObjectName(QStringLiteral("edOperatorNo"));
    m_edOperatorNo->setMaxLength(3);
    m_edPassword = new QLineEdit(top);
    m_edPassword->setObjectName(QStringLiteral("edPassword"));
    m_edPassword->setEchoMode(QLineEdit::Password);
    grid->addWidget(new QLabel(QStringLiteral("工号"), top), 0, 0);
    grid->addWidget(m_edOperatorNo, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("口令"), top), 1, 0);
    grid->addWidget(m_edPassword, 1, 1);

    auto* bitYes = new QPushButton(QStringLiteral("确定"), pnBaseHint());
    bitYes->setObjectName(QStringLiteral("BitBtn1"));
    auto* bitNo = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    bitNo->setObjectName(QStringLiteral("BitBtn2"));
    auto* lower = centredButtonRow(bitYes, bitNo);

    auto* layout = new QVBoxLayout(pnBaseHint());
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(top);
    layout->addLayout(lower);

    connect(bitYes, &QPushButton::clicked, this, &TfrmAgainLogin::BitBtn1Click);
    connect(bitNo, &QPushButton::clicked, this, &TfrmAgainLogin::BitBtn2Click);
    m_edOperatorNo->setFocus();
    resize(360, 200);
}

void TfrmAgainLogin::BitBtn1Click() {
    if (checkOperatorOrRefuse(frmBaseDataModule(), m_edOperatorNo, m_edPassword->text())) accept();
}

void TfrmAgainLogin::BitBtn2Click() { reject(); }
