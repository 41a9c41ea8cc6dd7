#include "Shell.h"

#include "CommandLine.h"
#include "app/ErrorHandler.h"
#include "app/FocusReport.h"
#include "app/PrintCanvas.h"
#include "app/ScreenRegistry.h"
#include "app/TfrmBaseMenu.h"
#include "app/TfrmLogin.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"

#include <QDateTime>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

int runShell(int& argc, char** argv, const CommandLine& commandLine) {
    PosApplication app(argc, argv);
    // The process ends only when the login screen finishes (below): a box or dialog that
    // happens to be the last visible window when it closes must never end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Plain message boxes carry the application's title; the executable's name is no title.
    QApplication::setApplicationName(TfrmBaseMenu::makerDetails());
    // Qt's own dialogs (files, printing, the preview's tools) speak the shop's language.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    installFontSubstitutions();
    // Menus, lists and message boxes are windows of their own and take the application's
    // font, not the screen's: the same face everywhere.
    QApplication::setFont(QFont(QStringLiteral("宋体"), 9));
    QString error;
    const auto url = resolveDatabaseUrl(commandLine, &error);
    if (!url) {
        QTextStream(stderr) << "pos: " << error << Qt::endl;
        return 2;
    }
    TfrmBaseDataModule dataModule(*url);
    setFrmBaseDataModule(&dataModule);
    TfrmDM dm(dataModule);
    setFrmDM(&dm);
    registerAllScreens(ScreenRegistry::instance());
    FocusReport::installFromEnvironment();

    // The login screen is the main screen: when it ends (left, the database not reachable,
    // or the main window closed after a login) the process ends.
    TfrmLogin login;
    int outcome = TfrmLogin::Left;
    QObject::connect(&login, &QDialog::finished, &app, [&](int result) {
        outcome = result;
        app.exit(0);
    });
    login.show();
    login.activateWindow();  // also where no window manager hands out the keyboard
    // The benchmark times start-up from outside: with this set the program prints the wall
    // clock (ms since the epoch) once the login window has been shown and painted, and leaves.
    if (qEnvironmentVariableIsSet("POS_EXIT_WHEN_LOGIN_SHOWN")) {
        QTimer::singleShot(0, &login, [&login] {
            QTextStream(stdout) << "login shown " << QDateTime::currentMSecsSinceEpoch() << Qt::endl;
            login.done(TfrmLogin::Left);
        });
    }
    app.exec();
    if (outcome == TfrmLogin::DatabaseDown) {
        QTextStream(stderr) << "pos: " << dataModule.LastConnectError << Qt::endl;
        return 1;
    }
    return 0;
}
