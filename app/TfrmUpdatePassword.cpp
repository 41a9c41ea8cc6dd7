#include "app/TfrmUpdatePassword.h"

#include "app/ControlEvents.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmUpdatePassword::TfrmUpdatePassword(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmUpdatePassword"));
    setWindowTitle(QStringLiteral("修改口令"));

    auto* top = new QFrame(pnBaseHint());
    top->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(24, 16, 24, 16);
    grid->setHorizontalSpacing(12);
    auto addRow = [&](int row, const QString& label, const QString& name) {
        auto* edit = new QLineEdit(top);
        edit->setObjectName(name);
        grid->addWidget(new QLabel(label, top), row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    m_edPassword = addRow(0, QStringLiteral("原口令"), QStringLiteral("edPassword"));
    m_edNewPassword = addRow(1, QStringLiteral("新口令"), QStringLiteral("edNewPassword"));
    m_edVerifyPassword = addRow(2, QStringLiteral("重复新口令"), QStringLiteral("edVerifyPassword"));

    m_bitYes = new QPushButton(QStringLiteral("确定"), pnBaseHint());
    m_bitYes->setObjectName(QStringLiteral("bitYes"));
    m_bitYes->setEnabled(false);
    auto* bitClose = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    bitClose->setObjectName(QStringLiteral("bitClose"));
    auto* bottom = centredButtonRow(m_bitYes, bitClose);

    auto* layout = new QVBoxLayout(pnBaseHint());
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(top);
    layout->addLayout(bottom);

    onFocusLeave(m_edPassword, [this] { edPasswordExit(); });
    onFocusLeave(m_edVerifyPassword, [this] { edVerifyPasswordExit(); });
    connect(m_edNewPassword, &QLineEdit::textChanged, this, &TfrmUpdatePassword::newPasswordEdited);
    connect(m_edVerifyPassword, &QLineEdit::textChanged, this, &TfrmUpdatePassword::newPasswordEdited);
    connect(m_bitYes, &QPushButton::clicked, this, &TfrmUpdatePassword::bitYesClick);
    connect(bitClose, &QPushButton::clicked, this, &TfrmUpdatePassword::bitCloseClick);
    m_edPassword->setFocus();
    resize(360, 230);
}

void TfrmUpdatePassword::edPasswordExit() {
    const QString typed = m_edPassword->text();
    if (typed.isEmpty() || typed == session().OperatorPassword) return;
    messages().info(QStringLiteral("口令不正确，请重新输入！"));
    m_edPassword->setFocus();
    m_edPassword->selectAll();
}

void TfrmUpdatePassword::edVerifyPasswordExit() {
    const QString repeated = m_edVerifyPassword->text();
    if (repeated.isEmpty()) return;
    if (repeated != m_edNewPassword->text()) {
        messages().info(QStringLiteral("口令不正确，请重新输入！"));
        m_edVerifyPassword->setFocus();
        m_edVerifyPassword->selectAll();
        return;
    }
    m_verified = repeated;
    m_bitYes->setEnabled(true);
    m_bitYes->setFocus();
}

// Once confirmed, the two boxes must not change unseen: an edit asks for the repeat again.
void TfrmUpdatePassword::newPasswordEdited() {
    if (m_edNewPassword->text() != m_verified || m_edVerifyPassword->text() != m_verified) m_bitYes->setEnabled(false);
}

void TfrmUpdatePassword::bitYesClick() {
    if (!m_bitYes->isEnabled()) return;
    Session& s = session();
    // Whoever stands at an unattended till must not take the account over: the old password
    // is required and checked against the stored one, also when the box was left empty.
    bool oldPasswordRight = false;
    try {
        oldPasswordRight = !m_edPassword->text().isEmpty() &&
                           frmBaseDataModule().VerifyOperatorPassword(s.OperatorNo, m_edPassword->text());
    } catch (const db::Error&) {
        messages().info(QStringLiteral("口令修改失败，原口令仍然有效！"));
        return;
    }
    if (!oldPasswordRight) {
        messages().info(QStringLiteral("口令不正确，请重新输入！"));
        m_edPassword->setFocus();
        m_edPassword->selectAll();
        return;
    }
    if (!frmBaseDataModule().SetOperatorPassword(s.OperatorNo, m_verified)) {
        messages().info(QStringLiteral("口令修改失败，原口令仍然有效！"));
        return;
    }
    s.OperatorPassword = m_verified;
    m_bitYes->setEnabled(false);
    messages().info(QStringLiteral("口令已修改！"));
}

void TfrmUpdatePassword::bitCloseClick() { close(); }
