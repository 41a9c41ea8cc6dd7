// Seams for GUI tests: message boxes go to a recorder, modal dialogs to a script.
#pragma once

#include "app/MessageService.h"
#include "app/ModalRunner.h"

#include <QApplication>
#include <QTest>

class GuiSeams {
public:
    GuiSeams() {
        setMessageService(&recorder);
        setModalRunner(&runner);
    }
    ~GuiSeams() {
        setMessageService(nullptr);
        setModalRunner(nullptr);
    }
    MessageRecorder recorder;
    ScriptedModalRunner runner;
};

// Types text into the focused control and presses Enter, as a barcode scanner does.
inline void typeAndEnter(QWidget* widget, const QString& text) {
    QTest::keyClicks(widget, text);
    QTest::keyClick(widget, Qt::Key_Return);
}
