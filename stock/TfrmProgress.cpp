#include "stock/TfrmProgress.h"

#include <QApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

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
