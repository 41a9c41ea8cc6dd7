// The small "进度" window shown while a long step of a stocktake screen runs on the one
// user-interface thread: the step calls advance() between its slices, which repaints the
// window (and the screen beneath it) without taking the operator's input.
#pragma once

#include <QDialog>

class QProgressBar;

class TfrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);

    // Shows the window in the middle of the screen; it closes with the object.
    void start();
    void advance(int done, int total);
    QProgressBar* gauge() const { return m_gauge; }

private:
    QProgressBar* m_gauge;
};
