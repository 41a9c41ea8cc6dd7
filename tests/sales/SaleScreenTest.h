// The retail sale screen on the small shop, shown and active, with messages and dialogs
// going to the test's seams and SysSet.ini in a temporary folder.
#pragma once

#include "DbTest.h"
#include "GuiTest.h"
#include "SalesShop.h"

#include "app/SysSetIni.h"
#include "db/Session.h"
#include "sales/TfrmPOS.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

class SaleScreenTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        sales_shop::install(db());
        QFile ini(m_dir.filePath(QStringLiteral("SysSet.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[STUDIO]\nNAME=\xe5\xb9\xb8\xe7\xa6\x8f\xe8\xb6\x85\xe5\xb8\x82\nTEL=0571-88886666\nDL=\xe8\xaf\x9a\xe4\xbf\xa1\n");
        ini.close();
        SysSetIni::setPath(ini.fileName());
        session().OperatorNo = QStringLiteral("001");
        session().OperatorName = QStringLiteral("系统管理员");
        seams = std::make_unique<GuiSeams>();
    }
    void TearDown() override {
        pos.reset();
        seams.reset();
        SysSetIni::setPath(QString());
        DbTest::TearDown();
    }

    // Adds SysSet.ini [POS] settings, for screens opened afterwards.
    void posSettings(const QByteArray& lines) {
        QFile ini(SysSetIni::path());
        ASSERT_TRUE(ini.open(QIODevice::Append));
        ini.write("[POS]\n" + lines);
    }

    TfrmPOS& open() {
        pos = std::make_unique<TfrmPOS>();
        pos->show();
        QApplication::setActiveWindow(pos.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(pos.get()));
        return *pos;
    }

    template <typename T = QLineEdit>
    T* ctl(const char* name) const {
        T* c = pos->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString text(const char* name) const { return ctl(name)->text(); }
    QWidget* focused() const { return QApplication::focusWidget(); }

    // Checks on leaving a box run from the event loop, right after the focus moved.
    static void settle() { QCoreApplication::processEvents(); }
    void typeInto(const char* name, const QString& value) {
        QLineEdit* e = ctl(name);
        e->setFocus();
        settle();
        e->selectAll();
        QTest::keyClicks(e, value);
    }
    void enter(const char* name) {
        QTest::keyClick(ctl(name), Qt::Key_Return);
        settle();
    }

    void choosePromoter(const QString& no) {
        typeInto("edOffNO", no);
        enter("edOffNO");
    }
    void scan(const QString& code) {
        typeInto("edProductNo", code);
        enter("edProductNo");
    }
    // A whole line as the cashier keys it: promoter, code, price, quantity.
    void keyLine(const QString& code, const QString& price, const QString& quantity,
                 const QString& promoter = QStringLiteral("101")) {
        choosePromoter(promoter);
        scan(code);
        typeInto("edPrice", price);
        enter("edPrice");
        typeInto("edCount", quantity);
        enter("edCount");
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem* item = ctl<QTableWidget>("sgSellsData")->item(row, column);
        return item ? item->text() : QString();
    }
    int gridRows() const { return ctl<QTableWidget>("sgSellsData")->rowCount(); }
    QStringList messageTexts() const { return seams->recorder.texts(); }

    QTemporaryDir m_dir;
    std::unique_ptr<GuiSeams> seams;
    std::unique_ptr<TfrmPOS> pos;
};
