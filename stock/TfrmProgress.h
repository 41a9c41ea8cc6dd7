// The small "进度" window shown while a long step of a stocktake screen runs: either on the
// user-interface thread, calling advance() between its slices, or on a thread and database
// connection of its own (runOnOwnConnection), while this thread only repaints. Either way the
// operator's input waits until the step is over.
#pragma once

#include <QDialog>
#include <functional>

class QProgressBar;
namespace db {
class Connection;
struct ConnectionUrl;
}

class TfrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);

    // Shows the window in the middle of the screen; it closes with the object.
    void start();
    void advance(int done, int total);
    QProgressBar* gauge() const { return m_gauge; }

    // Shows the window and runs `step` on a thread of its own with a connection of its own to
    // `url`, opened and closed on that thread, repainting the window meanwhile: a step that
    // holds the database for seconds, its commit included, never freezes the screen. The step
    // reports its progress through the function it is handed. Returns when the step is over
    // and rethrows what it threw.
    using Report = std::function<void(int done, int total)>;
    void runOnOwnConnection(const db::ConnectionUrl& url, const std::function<void(db::Connection&, const Report&)>& step);

private:
    QProgressBar* m_gauge;
};
