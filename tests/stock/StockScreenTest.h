// A stock document screen on a small shop, shown and active, with messages and dialogs
// going to the test's seams.
//
//   suppliers S01 甲供应商, S02 乙供应商; client K01 客户甲; stores 001 and 002 二号库;
//   handler 201 王五; products A 甲商品 (cost 3) and B 乙商品 (cost 8);
//   received from S01 into store 001: A 10 at 3, B 5 at 8 (one receipt).
#pragma once

#include "DbTest.h"
#include "GuiTest.h"

#include "app/LookupComboBox.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/StockDocuments.h"
#include "db/StockLedger.h"
#include "reports/TfrmBaseReport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <memory>

template <typename Screen>
class StockScreenTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        for (const char* sql : {"INSERT INTO CSB(CSNO, CSNAME) VALUES('S01', '甲供应商')",
                                "INSERT INTO CSB(CSNO, CSNAME) VALUES('S02', '乙供应商')",
                                "INSERT INTO KHB(KHNO, KHNAME) VALUES('K01', '客户甲')",
                                "INSERT INTO STORE(CKNO, CKNAME) VALUES('002', '二号库')",
                                "INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES('201', '王五', '0')",
                                "INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('A', '甲商品', '个', 5, 3)",
                                "INSERT INTO SPB(SPNO, SPNAME, SPDW, BZJG, CBJG) VALUES('B', '乙商品', '盒', 12, 8)"})
            db().execute(QString::fromUtf8(sql));
        db().execute(QStringLiteral("UPDATE sysvariable SET vrvalue = '-1' WHERE vrname = 'isCheckStore'"));
        receipt = receive(QStringLiteral("S01"), {{"A", 10, "3"}, {"B", 5, "8"}});
        session().OperatorNo = QStringLiteral("001");
        session().LastSerialNo.clear();
        seams = std::make_unique<GuiSeams>();
    }
    void TearDown() override {
        screen.reset();
        seams.reset();
        DbTest::TearDown();
    }

    struct Received { const char* product; double quantity; const char* price; };
    QString receive(const QString& supplier, std::initializer_list<Received> lines) {
        db::Receiving r{QString(), supplier, QString(), QDateTime::currentDateTime(), QString(), QStringLiteral("001"), {}};
        for (const Received& l : lines)
            r.lines.push_back({QString::fromLatin1(l.product), QString(), QString(), l.quantity,
                               *Money::parse(QString::fromLatin1(l.price)), QStringLiteral("001")});
        return db::StockDocuments(db()).receive(r).documentNo;
    }

    Screen& open() {
        screen = std::make_unique<Screen>();
        screen->show();
        QApplication::setActiveWindow(screen.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(screen.get()));
        return *screen;
    }

    template <typename T = QLineEdit>
    T* ctl(const char* name) const {
        T* c = screen->template findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString text(const char* name) const { return ctl(name)->text(); }
    QWidget* focused() const { return QApplication::focusWidget(); }
    static void settle() { QCoreApplication::processEvents(); }

    void choose(const char* list, const QString& key) { ctl<LookupComboBox>(list)->setKeyValue(key); }
    void typeInto(const char* name, const QString& value) {
        QLineEdit* e = ctl(name);
        e->setFocus();
        settle();
        e->selectAll();
        QTest::keyClicks(e, value);
    }
    void enter(const char* name) {
        QTest::keyClick(ctl<QWidget>(name), Qt::Key_Return);
        settle();
    }
    void scan(const QString& code) {
        typeInto("edProductNo", code);
        enter("edProductNo");
    }
    // Keys the quantity and leaves the box with Enter, which adds the line.
    void keyCount(const QString& quantity) {
        typeInto("edCount", quantity);
        enter("edCount");
    }
    // Double-clicks a row of a list (a batch or a sale line).
    void pick(const char* list, int row) {
        auto* g = ctl<QTableWidget>(list);
        g->setCurrentCell(row, 0);
        Q_EMIT g->cellDoubleClicked(row, 0);
        settle();
    }

    QTableWidget* grid() const { return ctl<QTableWidget>("sgBaseGrid"); }
    int lines() const { return screen->lineCount(); }
    QString cell(int line, int column) const { return screen->cell(line, column); }
    QStringList messageTexts() const { return seams->recorder.texts(); }
    QString lastMessage() const { return seams->recorder.lastText(); }

    // With POS_SHOT_DIR set, keeps a picture of the screen as the test left it.
    void snapshot(const QString& name) {
        const QString dir = qEnvironmentVariable("POS_SHOT_DIR");
        if (dir.isEmpty() || GetParam() != db::Backend::Sqlite) return;
        screen->resize(1000, 700);
        settle();
        screen->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }

    // With POS_SHOT_DIR set, keeps the document's printed form as a PDF.
    void exportPreview(const char* report, const QString& number, const QString& name) {
        const QString dir = qEnvironmentVariable("POS_SHOT_DIR");
        if (dir.isEmpty() || GetParam() != db::Backend::Sqlite) return;
        TfrmBaseReport rep(QString::fromLatin1(report));
        if (rep.openDocument(number)) rep.exportPdf(QDir(dir).filePath(name + QStringLiteral(".pdf")));
    }

    QString receipt;
    std::unique_ptr<GuiSeams> seams;
    std::unique_ptr<Screen> screen;
};
