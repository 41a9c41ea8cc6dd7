#include "app/ModalRunner.h"

#include <QDialog>

namespace {
ModalRunner* g_runner = nullptr;
}

ModalRunner& modalRunner() {
    static ExecModalRunner real;
    return g_runner ? *g_runner : real;
}

void setModalRunner(ModalRunner* runner) { g_runner = runner; }

int ExecModalRunner::run(QDialog& dialog) { return dialog.exec(); }

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
