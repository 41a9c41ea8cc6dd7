// Shell screens on a fresh database: operators with passwords and rights, the shell's
// screens registered, message boxes and modal dialogs through the test seams.
#pragma once

#include "app/LoginThrottle.h"
#include "app/ScreenRegistry.h"
#include "db/Passwords.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "DbTest.h"
#include "GuiTest.h"

#include <QApplication>
#include <QDialog>
#include <QTest>

class ShellTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        registerShellScreens(ScreenRegistry::instance());
        session() = Session();
        loginThrottle().clear();
    }

    void addOperator(const QString& no, const QString& name, const QString& password, const QString& post = QStringLiteral("收银员")) {
        db::Statement s(db(), QStringLiteral("INSERT INTO BMAN(BNNO, BNNAME, BNPOST, BNPASSWORD) VALUES(:no, :name, :post, :pw)"));
        s.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":name"), name).bind(QStringLiteral(":post"), post)
            .bind(QStringLiteral(":pw"), db::Passwords::hash(password)).exec();
    }

    void setRight(const QString& no, const QString& function, bool granted) {
        db::Statement del(db(), QStringLiteral("DELETE FROM SYSRIGHTSET WHERE BNNO = :no AND RSFUN = :fn"));
        del.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":fn"), function).exec();
        db::Statement s(db(), QStringLiteral("INSERT INTO SYSRIGHTSET(BNNO, RSFUN, RSNAME, RSRIGHT) VALUES(:no, :fn, :fn, :r)"));
        s.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":fn"), function).bind(QStringLiteral(":r"), granted).exec();
    }

    QString right(const QString& no, const QString& function) {
        db::Statement s(db(), QStringLiteral("SELECT RSRIGHT FROM SYSRIGHTSET WHERE BNNO = :no AND RSFUN = :fn"));
        s.bind(QStringLiteral(":no"), no).bind(QStringLiteral(":fn"), function);
        return s.first() ? s.text(0) : QStringLiteral("none");
    }

    // Makes every write of `table` whose `column` equals `value` fail, as a full disk or a
    // lost server would, to show that a save is all or nothing.
    void failWrites(const QString& table, const QString& column, const QString& value) {
        if (GetParam() == db::Backend::Sqlite) {
            for (const char* op : {"INSERT", "UPDATE"})
                db().execute(QStringLiteral("CREATE TRIGGER fail_%1_%2 BEFORE %2 ON %1 WHEN NEW.%3 = '%4' "
                                            "BEGIN SELECT RAISE(ABORT, 'write refused'); END")
                                 .arg(table, QString::fromLatin1(op), column, value));
        } else {
            db().execute(QStringLiteral("CREATE FUNCTION fail_%1() RETURNS trigger AS $$ BEGIN "
                                        "IF NEW.%2 = '%3' THEN RAISE EXCEPTION 'write refused'; END IF; RETURN NEW; END $$ "
                                        "LANGUAGE plpgsql")
                             .arg(table, column.toLower(), value));
            db().execute(QStringLiteral("CREATE TRIGGER fail_%1 BEFORE INSERT OR UPDATE ON %1 FOR EACH ROW "
                                        "EXECUTE FUNCTION fail_%1()")
                             .arg(table));
        }
    }

    // Shows a screen as the operator sees it: active, so focus moves and leaves happen.
    static void showActive(QWidget& w) {
        w.show();
        w.activateWindow();
        (void)QTest::qWaitForWindowActive(&w);
    }

    static void leaveWith(QWidget* edit, const QString& text) {
        edit->setFocus();
        QApplication::processEvents();  // the leave handler of the box that had the focus
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        if (!text.isEmpty()) QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
        QApplication::processEvents();  // the leave handler runs after the focus change
    }

    GuiSeams seams;
};
