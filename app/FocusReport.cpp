#include "app/FocusReport.h"

#include <QApplication>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>
#include <QWindow>
#include <QWidget>

namespace {
QString nameOf(const QObject* object) {
    if (!object) return {};
    return object->objectName().isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : object->objectName();
}

// One line per value: line breaks inside a message become spaces.
QString oneLine(QString text) { return text.replace(u'\n', u' '); }
}  // namespace

FocusReport::FocusReport(const QString& path) : QObject(qApp), m_path(path) {
    connect(qApp, &QApplication::focusChanged, this, [this] { write(); });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { write(); });
    // A menu that opens takes the keyboard without a focus change.
    qApp->installEventFilter(this);
    write();
}

bool FocusReport::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->isWindow())
        QMetaObject::invokeMethod(this, [this] { write(); }, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void FocusReport::installFromEnvironment() {
    const QString path = qEnvironmentVariable("POS_DIAG_FILE");
    if (!path.isEmpty()) new FocusReport(path);
}

QString FocusReport::describe() {
    const QWidget* window = QApplication::activeWindow();
    QString text;
    if (const auto* box = qobject_cast<const QMessageBox*>(window)) text = box->text();
    // Whether the window, frame included, lies inside the screen's free area.
    bool inside = false;
    if (window && window->screen()) inside = window->screen()->availableGeometry().contains(window->frameGeometry());
    return QStringLiteral("window=%1\nfocus=%2\ntitle=%3\ntext=%4\ninside=%5\npopup=%6\n")
        .arg(nameOf(window), nameOf(QApplication::focusWidget()), window ? oneLine(window->windowTitle()) : QString(),
             oneLine(text), inside ? QStringLiteral("1") : QStringLiteral("0"), nameOf(QApplication::activePopupWidget()));
}

void FocusReport::write() const {
    // Written whole and renamed, so a reader never sees half a report.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(describe().toUtf8());
    file.commit();
}
