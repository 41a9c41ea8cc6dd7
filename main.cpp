// The program: administration from the command line, otherwise the shop's GUI.
#include "CommandLine.h"
#include "Shell.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const CommandLine commandLine = CommandLine::parse(arguments);
    if (!commandLine.error.isEmpty()) {
        err << "pos: " << commandLine.error << "\n\n" << CommandLine::usage();
        return 2;
    }
    if (commandLine.help) {
        out << CommandLine::usage();
        return 0;
    }
    if (commandLine.version) {
        out << "pos " << POS_VERSION << Qt::endl;
        return 0;
    }
    if (!commandLine.copyFrom.isEmpty()) {
        QCoreApplication app(argc, argv);
        return runDatabaseCopy(commandLine, out, err);
    }
    if (!commandLine.runsGui()) {
        QCoreApplication app(argc, argv);
        QString error;
        const auto url = resolveDatabaseUrl(commandLine, &error);
        if (!url) {
            err << "pos: " << error << Qt::endl;
            return 2;
        }
        if (commandLine.checkIntegrity) return runIntegrityCheck(*url, out, err);
        if (commandLine.initDatabase || commandLine.demoData) {
            const int code = runAdministration(commandLine, *url, out, err);
            if (code != 0 || commandLine.importProducts.isEmpty()) return code;
        }
        return runProductImport(commandLine, *url, out, err);
    }
    return runShell(argc, argv, commandLine);
}
