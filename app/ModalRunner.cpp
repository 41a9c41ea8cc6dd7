#include "app/ModalRunner.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace {
ModalRunner* g_runner = nullptr;
}

ModalRunner& modalRunner() {
    static ExecModalRunner real;
    return g_runner ? *g_runner : real;
}

void setModalRunner(ModalRunner* runner) { g_runner = runner; }

QWidget* ownerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        if ((*it)->isVisible() && (*it)->isWindow() && !(*it)->inherits("QMenu")) return *it;
    return nullptr;
}

void giveKeyboardBack(QWidget* window) {
    if (!window || !window->isVisible()) return;
    window->raise();
    window->activateWindow();
}

int ExecModalRunner::run(QDialog& dialog) {
    QPointer<QWidget> owner = dialog.parentWidget() ? dialog.parentWidget()->window() : ownerWindow();
    const int result = dialog.exec();
    giveKeyboardBack(owner);
    return result;
}

int ScriptedModalRunner::run(QDialog& dialog) {
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    const int index = opened++;
    Script script = index < int(scripts.size()) ? scripts[index] : fallback;
    if (script) script(dialog);
    const int result = dialog.result();
    if (dialog.isVisible()) dialog.hide();
    return result;
}
