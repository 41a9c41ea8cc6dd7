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
        if (event->type() == QEvent::FocusOut && !m_pending) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                // Runs once the focus change is complete, so a handler that puts the focus
                // back (and selects the text) is not undone by the rest of the change.
                m_pending = true;
                QMetaObject::invokeMethod(this, [this] {
                    m_pending = false;
                    // Leaving by closing the screen checks nothing.
                    if (static_cast<QWidget*>(parent())->window()->isVisible()) m_handler();
                }, Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_handler;
    bool m_pending = false;
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

bool isPlainEnter(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void onEnterKey(QWidget* widget, std::function<void()> handler) { new EnterKeyFilter(widget, std::move(handler)); }

void onFocusLeave(QWidget* widget, std::function<void()> handler) { new FocusLeaveFilter(widget, std::move(handler)); }
