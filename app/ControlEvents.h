// Control events a screen reacts to without subclassing the control.
#pragma once

#include <functional>

class QKeyEvent;
class QWidget;

// Enter or the keypad's Enter with no other modifier: tills key on the keypad, so both
// Enter keys are the same key everywhere.
bool isPlainEnter(const QKeyEvent& key);

// "On leaving a control": runs the handler when the focus moves from the widget to another
// control of the same window (Tab, Enter, a click), not when the window itself loses the
// focus to a message box or another program. The handler runs from the event loop right
// after the focus change.
void onFocusLeave(QWidget* widget, std::function<void()> handler);
// Enter (or the keypad's Enter) pressed in the widget. The key is not consumed.
void onEnterKey(QWidget* widget, std::function<void()> handler);
