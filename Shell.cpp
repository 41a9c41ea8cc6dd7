#include "Shell.h"

#include "CommandLine.h"
#include "app/ErrorHandler.h"
#include "app/PrintCanvas.h"
#include "app/ScreenRegistry.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"

#include <QTextStream>

int runShell(int& argc, char** argv, const CommandLine& commandLine) {
    PosApplication app(argc, argv);
    installFontSubstitutions();
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
    QTextStream(stderr) << "pos: the login screen is not built yet" << Qt::endl;
    return 1;
}
