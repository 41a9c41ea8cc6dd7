// The application's general error handler: an error that a handler did not catch ends
// only the current action and is shown in a message box.
#pragma once

#include <QApplication>
#include <exception>

void reportUnhandled(std::exception_ptr error);

class PosApplication : public QApplication {
public:
    PosApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
