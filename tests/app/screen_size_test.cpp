#include "DbTest.h"
#include "GuiTest.h"

#include "app/ScreenRegistry.h"
#include "app/SysSetIni.h"
#include "db/DemoData.h"
#include "db/Session.h"

#include <QDialog>
#include <QFile>
#include <QLayout>
#include <QTemporaryDir>

class ScreenSizeTest : public DbTest {};

// A till's display is often 1024×768: every screen, with its window frame, must fit it
// whole, or buttons are cut off.
TEST_P(ScreenSizeTest, everyScreenFitsATillDisplayOf1024By768) {
    db::DemoData::install(db());
    // The widest sale screen: with its total panel.
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("SysSet.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[POS]\nQuickScan=1\nShowTotal=1\n");
    ini.close();
    SysSetIni::setPath(ini.fileName());
    session().OperatorNo = QStringLiteral("001");
    ScreenRegistry registry;
    registerAllScreens(registry);
    GuiSeams seams;
    const QSize room(1024 - 8, 768 - 32);   // the frame a window manager adds
    QStringList measured;
    QString current;
    seams.runner.fallback = [&](QDialog& screen) {
        if (screen.layout()) screen.layout()->activate();
        const QSize needed = screen.minimumSizeHint().expandedTo(screen.minimumSize());
        measured << current;
        EXPECT_LE(needed.width(), room.width()) << current.toStdString() << " " << screen.objectName().toStdString();
        EXPECT_LE(needed.height(), room.height()) << current.toStdString() << " " << screen.objectName().toStdString();
        screen.reject();
    };
    for (const QString& name : registry.menuItems()) {
        current = name;
        registry.open(name, nullptr);
    }
    SysSetIni::setPath(QString());
    EXPECT_GE(measured.size(), 20) << measured.join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, ScreenSizeTest, ::testing::ValuesIn(backends()), backendName);
