#include "app/ControlEvents.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

class FocusLeaveFilter : public QObject {
public:
    FocusLeaveFilter(QWidget* widget, std::function<void()> handler) : QObject(widget), m_handler(std::move(handler)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_running) {
                // A handler that shows a message and puts the focus back must not see
                // its own focus change as another leave.
                m_running = true;
                m_handler();
                m_running = false;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_handler;
    bool m_running = false;
};

class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(QWidget* widget, std::function<void()> handler) : QObject(widget), m_handler(std::move(handler)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) m_handler();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_handler;
};

}  // namespace

void onEnterKey(QWidget* widget, std::function<void()> handler) { new EnterKeyFilter(widget, std::move(handler)); }

void onFocusLeave(QWidget* widget, std::function<void()> handler) { new FocusLeaveFilter(widget, std::move(handler)); }
