#include "app/MessageService.h"

#include "app/ModalRunner.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>

namespace {
MessageService* g_service = nullptr;
}

MessageService& messages() {
    static QtMessageService real;
    return g_service ? *g_service : real;
}

void setMessageService(MessageService* service) { g_service = service; }

MessageReply QtMessageService::show(MessageIcon icon, const QString& caption, const QString& text, MessageButtons buttons) {
    QPointer<QWidget> owner = ownerWindow();
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    QAbstractButton* ok = nullptr;
    QAbstractButton* cancel = nullptr;
    switch (buttons) {
    case MessageButtons::Ok:
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        break;
    case MessageButtons::YesNo:
        yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(static_cast<QPushButton*>(yes));
        break;
    case MessageButtons::OkCancel:
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        break;
    }
    box.exec();
    giveKeyboardBack(owner);
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == yes) return MessageReply::Yes;
    if (clicked && clicked == no) return MessageReply::No;
    if (clicked && clicked == cancel) return MessageReply::Cancel;
    if (clicked && clicked == ok) return MessageReply::Ok;
    // Closed with Escape or the close box.
    return buttons == MessageButtons::YesNo ? MessageReply::No : buttons == MessageButtons::OkCancel ? MessageReply::Cancel : MessageReply::Ok;
}

MessageReply MessageRecorder::show(MessageIcon icon, const QString& caption, const QString& text, MessageButtons buttons) {
    shown.push_back({icon, caption, text, buttons});
    if (buttons == MessageButtons::Ok) return MessageReply::Ok;
    if (!replies.empty()) {
        const MessageReply r = replies.front();
        replies.pop_front();
        return r;
    }
    return buttons == MessageButtons::YesNo ? MessageReply::Yes : MessageReply::Ok;
}

QStringList MessageRecorder::texts() const {
    QStringList out;
    for (const Shown& s : shown) out << s.text;
    return out;
}
