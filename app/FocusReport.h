// A hidden aid for the tests that drive the real program by keystrokes under an X server:
// with POS_DIAG_FILE set, the program writes to that file, whenever the keyboard moves,
// which window is active and which control has the keyboard. Not part of the shop's use.
#pragma once

#include <QObject>
#include <QString>

class FocusReport : public QObject {
public:
    // Starts reporting when the environment names a file; otherwise does nothing.
    static void installFromEnvironment();

    // The report as written: "window=", "focus=", "title=", "text=" (a message box's text)
    // "inside=" (1 when the window with its frame lies inside the screen's free area) and
    // "popup=" (an open menu) lines. A window or control without a name is reported by its
    // class. Rewritten whenever the keyboard moves or a window or menu opens or closes.
    static QString describe();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FocusReport(const QString& path);
    void write() const;
    QString m_path;
};
