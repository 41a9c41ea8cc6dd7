// Every message box of the program goes through this service, so tests can read what
// was said and answer questions without a modal loop.
#pragma once

#include <QString>
#include <deque>
#include <vector>

class QWidget;

enum class MessageIcon { Information, Question, Warning, Error };
enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageReply { Ok, Cancel, Yes, No };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MessageReply show(MessageIcon icon, const QString& caption, const QString& text, MessageButtons buttons) = 0;

    void info(const QString& caption, const QString& text) { show(MessageIcon::Information, caption, text, MessageButtons::Ok); }
    void info(const QString& text) { info(QStringLiteral("信息提示"), text); }
    void warning(const QString& caption, const QString& text) { show(MessageIcon::Warning, caption, text, MessageButtons::Ok); }
    void error(const QString& caption, const QString& text) { show(MessageIcon::Error, caption, text, MessageButtons::Ok); }
    // True for Yes (or OK with OkCancel).
    bool ask(MessageIcon icon, const QString& caption, const QString& text, MessageButtons buttons = MessageButtons::YesNo) {
        const MessageReply r = show(icon, caption, text, buttons);
        return r == MessageReply::Yes || (buttons == MessageButtons::OkCancel && r == MessageReply::Ok);
    }
};

// Real boxes (QMessageBox) over the active window.
class QtMessageService : public MessageService {
public:
    MessageReply show(MessageIcon icon, const QString& caption, const QString& text, MessageButtons buttons) override;
};

// Keeps every message and answers questions from a script (default: Yes/OK).
class MessageRecorder : public MessageService {
public:
    struct Shown {
        MessageIcon icon;
        QString caption;
        QString text;
        MessageButtons buttons;
    };
    MessageReply show(MessageIcon icon, const QString& caption, const QString& text, MessageButtons buttons) override;

    std::vector<Shown> shown;
    std::deque<MessageReply> replies;  // taken in order by questions; empty = Yes/OK

    QStringList texts() const;
    QString lastText() const { return shown.empty() ? QString() : shown.back().text; }
    void clear() { shown.clear(); replies.clear(); }
};

MessageService& messages();
// Installs a service (not owned); nullptr restores the real boxes.
void setMessageService(MessageService* service);
