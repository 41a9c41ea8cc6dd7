// Grabs a screen of the program to a PNG, as the operator would see it: the login screen,
// the main window (optionally with one of its menus open) or the screen a menu item opens.
// Run under an X server (scripts/screenshot starts Xvfb).
#include "app/ErrorHandler.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "app/PrintCanvas.h"
#include "app/ScreenRegistry.h"
#include "app/TfrmLogin.h"
#include "app/TfrmMenu.h"
#include "db/ConnectionUrl.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QFileDialog>
#include <QAction>
#include <QLineEdit>
#include <QSpinBox>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <cstdlib>

namespace {

QTextStream err(stderr);

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The window's area of the whole screen, so menus and lists that it opened show too.
bool grabArea(const QRect& area, const QString& path) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (shot.isNull() || !shot.save(path, "PNG")) {
        err << "pos_screenshot: cannot write " << path << Qt::endl;
        return false;
    }
    return true;
}

// Before the grab, the screen may be given values (--set NAME=VALUE for an edit box, a
// spin box or a date picker yyyy-MM-dd) and buttons clicked (--click NAME), so it shows
// data. A preview a click opens is saved through its own 保存PDF into --pdf-dir DIR,
// under the report's name.
struct Steps {
    QList<QPair<QString, QString>> sets;
    QStringList clicks;
    QString pdf;
};

void apply(QDialog& dialog, const Steps& steps, int delay) {
    for (const auto& [name, value] : steps.sets) {
        if (auto* e = dialog.findChild<QLineEdit*>(name)) e->setText(value);
        else if (auto* b = dialog.findChild<QSpinBox*>(name)) b->setValue(value.toInt());
        else if (auto* d = dialog.findChild<QDateEdit*>(name)) d->setDate(QDate::fromString(value, Qt::ISODate));
        else err << "pos_screenshot: no box " << name << Qt::endl;
    }
    for (const QString& name : steps.clicks) {
        if (auto* b = dialog.findChild<QAbstractButton*>(name)) b->click();
        else err << "pos_screenshot: no button " << name << Qt::endl;
        settle(delay / 2);
    }
}

class GrabbingRunner : public ModalRunner {
public:
    GrabbingRunner(QString path, int delay, Steps steps) : m_path(std::move(path)), m_delay(delay), m_steps(std::move(steps)) {}
    int run(QDialog& dialog) override {
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
        settle(m_delay);
        // Dialogs the steps open themselves (a preview) are shown and closed, not grabbed.
        if (!grabbed && !m_applying) {
            m_applying = true;
            apply(dialog, m_steps, m_delay);
            m_applying = false;
        } else if (m_applying) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog); files && !m_steps.pdf.isEmpty()) {
                files->setDirectory(m_steps.pdf);
                files->hide();
                return QDialog::Accepted;
            }
            if (QAction* save = dialog.findChild<QAction*>(QStringLiteral("actSavePdf")); save && !m_steps.pdf.isEmpty())
                save->trigger();
            dialog.hide();
            return QDialog::Rejected;
        }
        if (!grabbed) grabbed = grabArea(dialog.frameGeometry(), m_path) ? 1 : -1;
        dialog.hide();
        return QDialog::Rejected;
    }
    int grabbed = 0;

private:
    QString m_path;
    int m_delay;
    Steps m_steps;
    bool m_applying = false;
};

int usage() {
    err << "Usage: pos_screenshot --database URL [--operator NO] [--password PW] [--delay MS]\n"
           "                      [--set NAME=VALUE]... [--click NAME]... [--pdf-dir DIR] TARGET OUT.png\n"
           "  TARGET: login | menu | menu:<top menu name> | <menu item name>\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    PosApplication app(argc, argv);
    installFontSubstitutions();
    // Menus, lists and message boxes are windows of their own and take the application's
    // font, not the screen's: the same face everywhere.
    QApplication::setFont(QFont(QStringLiteral("宋体"), 9));
    QStringList args = app.arguments().mid(1);
    QString urlText, operatorNo = QStringLiteral("001"), password = QStringLiteral("123");
    int delay = 700;
    Steps steps;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--database") && hasValue) urlText = args[++i];
        else if (a == QLatin1String("--operator") && hasValue) operatorNo = args[++i];
        else if (a == QLatin1String("--password") && hasValue) password = args[++i];
        else if (a == QLatin1String("--delay") && hasValue) delay = args[++i].toInt();
        else if (a == QLatin1String("--click") && hasValue) steps.clicks << args[++i];
        else if (a == QLatin1String("--pdf-dir") && hasValue) steps.pdf = QFileInfo(args[++i]).absoluteFilePath();
        else if (a == QLatin1String("--set") && hasValue) {
            const QString kv = args[++i];
            steps.sets << qMakePair(kv.section(u'=', 0, 0), kv.section(u'=', 1));
        }
        else positional << a;
    }
    if (urlText.isEmpty() || positional.size() != 2) return usage();
    const QString target = positional[0];
    const QString out = positional[1];

    QString error;
    const auto url = db::ConnectionUrl::parse(urlText, &error);
    if (!url) {
        err << "pos_screenshot: " << error << Qt::endl;
        return 2;
    }
    // A screen that hangs on something must not hang the caller.
    QTimer::singleShot(60000, [] {
        err << "pos_screenshot: gave up after 60 s" << Qt::endl;
        std::_Exit(3);
    });

    TfrmBaseDataModule dataModule(*url);
    setFrmBaseDataModule(&dataModule);
    TfrmDM dm(dataModule);
    setFrmDM(&dm);
    registerAllScreens(ScreenRegistry::instance());
    MessageRecorder recorder;
    setMessageService(&recorder);

    if (target == QLatin1String("login")) {
        TfrmLogin login;
        login.show();
        settle(delay);
        return grabArea(login.frameGeometry(), out) ? 0 : 1;
    }

    dataModule.DataModuleConnect();
    if (!dataModule.ConnectOK) {
        err << "pos_screenshot: " << dataModule.LastConnectError << Qt::endl;
        return 1;
    }
    if (!dataModule.CheckOperator(operatorNo, password)) {
        err << "pos_screenshot: operator " << operatorNo << " was refused" << Qt::endl;
        return 1;
    }
    TfrmMenu menu;
    menu.show();
    settle(delay);

    if (target == QLatin1String("menu") || target.startsWith(QLatin1String("menu:"))) {
        if (target.startsWith(QLatin1String("menu:"))) {
            QMenu* top = menu.MainMenu()->findChild<QMenu*>(target.mid(5));
            if (!top) {
                err << "pos_screenshot: no menu " << target.mid(5) << Qt::endl;
                return 2;
            }
            menu.MainMenu()->setActiveAction(top->menuAction());
            settle(delay);
        }
        return grabArea(QGuiApplication::primaryScreen()->geometry(), out) ? 0 : 1;
    }

    QAction* item = menu.menuItem(target);
    if (!item) {
        err << "pos_screenshot: no menu item " << target << Qt::endl;
        return 2;
    }
    if (!item->isEnabled()) {
        err << "pos_screenshot: " << target << " is disabled in the menu; opening it anyway" << Qt::endl;
        item->setEnabled(true);
    }
    GrabbingRunner runner(out, delay, steps);
    setModalRunner(&runner);
    item->trigger();
    setModalRunner(nullptr);
    for (const QString& text : recorder.texts()) err << "pos_screenshot: message: " << text << Qt::endl;
    if (runner.grabbed == 0) {
        err << "pos_screenshot: " << target << " opened no screen" << Qt::endl;
        return 1;
    }
    return runner.grabbed > 0 ? 0 : 1;
}
