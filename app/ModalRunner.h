// Every modal dialog a screen opens goes through this seam: the program runs exec(),
// tests get the dialog shown (no modal loop) and act on it before it is closed.
#pragma once

#include <functional>
#include <vector>

class QDialog;
class QWidget;

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // Returns the dialog's result (QDialog::Accepted / Rejected or the value passed to done()).
    virtual int run(QDialog& dialog) = 0;
};

class ExecModalRunner : public ModalRunner {
public:
    int run(QDialog& dialog) override;
};

// Shows the dialog without a loop and hands it to the script; the result is what the
// script left in it (done()/accept()/reject()), Rejected when it left it open.
class ScriptedModalRunner : public ModalRunner {
public:
    using Script = std::function<void(QDialog&)>;
    int run(QDialog& dialog) override;

    // Scripts taken in order by the dialogs that open; with none left, `fallback` runs.
    std::vector<Script> scripts;
    Script fallback;
    int opened = 0;
};

ModalRunner& modalRunner();
void setModalRunner(ModalRunner* runner);  // nullptr restores exec()

// The window a box or dialog opens over: the top modal window, else the active one, else
// the last visible top-level window. Right after a modal window closed no window is active
// yet, so the active window alone is no owner.
QWidget* ownerWindow();
// Gives the keyboard back to the window a box or dialog was shown over once it closed:
// without a window manager, or with one that does not pass it back, the keyboard would
// stay nowhere and the next scan would be lost.
void giveKeyboardBack(QWidget* window);
