#include "stock/TfrmProgress.h"

#include "db/Connection.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <memory>

TfrmProgress::TfrmProgress(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("进度"));
    // Input to the screen beneath waits until the step is over.
    setWindowModality(Qt::ApplicationModal);
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("ggProgress"));
    m_gauge->setRange(0, 100);
    m_gauge->setValue(0);
    m_gauge->setTextVisible(false);
    m_gauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: red; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(m_gauge);
    setFixedSize(200, 70);
}

void TfrmProgress::start() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmProgress::advance(int done, int total) {
    m_gauge->setValue(total > 0 ? int(qint64(done) * 100 / total) : 0);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmProgress::runOnOwnConnection(const db::ConnectionUrl& url,
                                      const std::function<void(db::Connection&, const Report&)>& step) {
    start();
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            db::Connection connection(url);
            connection.open();
            step(connection, [&](int d, int t) {
                total = t;
                done = d;
            });
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    // Queued to this thread: delivered by the loop below even when the step ends first.
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer repaint;
    repaint.setInterval(30);
    connect(&repaint, &QTimer::timeout, this, [&] {
        const int t = total;
        m_gauge->setValue(t > 0 ? int(qint64(done) * 100 / t) : 0);
    });
    repaint.start();
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    repaint.stop();
    if (failure) std::rethrow_exception(failure);
    m_gauge->setValue(100);
}
