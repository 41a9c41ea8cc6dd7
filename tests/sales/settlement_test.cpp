#include "SaleScreenTest.h"

#include "app/PrintCanvas.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "sales/RetailPosting.h"
#include "sales/TfrmPrintSellsData.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>

namespace {

// A printer that fails as the job starts.
class BrokenPrinter : public RecordingCanvas {
public:
    void begin(const QString&, const QPageLayout&) override { throw PrintError(QStringLiteral("打印机缺纸")); }
};

}  // namespace

class SettlementTest : public SaleScreenTest {
protected:
    // Keys two lines (A 2 × 5, B 1 × 12.5: 22.50 due) and presses F1; `script` acts on the
    // settlement while it is open.
    void settleWith(const std::function<void(TfrmPrintSellsData&)>& script) {
        open();
        keyLine(QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("2"));
        keyLine(QStringLiteral("B"), QStringLiteral("12.5"), QStringLiteral("1"), QStringLiteral("102"));
        ASSERT_EQ(gridRows(), 2);
        seams->recorder.clear();
        seams->runner.scripts.push_back([&](QDialog& dialog) {
            auto* settlement = qobject_cast<TfrmPrintSellsData*>(&dialog);
            ASSERT_NE(settlement, nullptr);
            QApplication::setActiveWindow(settlement);
            ASSERT_TRUE(QTest::qWaitForWindowActive(settlement));
            script(*settlement);
        });
        const int opened = seams->runner.opened;
        QTest::keyClick(ctl("edOffNO"), Qt::Key_F1);
        ASSERT_EQ(seams->runner.opened, opened + 1);
    }
    static QString shown(TfrmPrintSellsData& s, const char* name) {
        if (auto* l = s.findChild<QLabel*>(QString::fromLatin1(name))) return l->text();
        return s.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    static void receive(TfrmPrintSellsData& s, const QString& amount) {
        auto* e = s.findChild<QLineEdit*>(QStringLiteral("edTrueMoney"));
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, amount);
    }
    static void pressSave(TfrmPrintSellsData& s) {
        auto* e = s.findChild<QLineEdit*>(QStringLiteral("edTrueMoney"));
        e->setFocus();
        QTest::keyClick(e, Qt::Key_Return);   // to the save button
        ASSERT_EQ(QApplication::focusWidget(), s.findChild<QPushButton*>(QStringLiteral("bitPrint")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
};

TEST_P(SettlementTest, theAmountReceivedStartsAtTheAmountDueAndTheChangeFollowsIt) {
    settleWith([&](TfrmPrintSellsData& s) {
        EXPECT_EQ(s.windowTitle(), QStringLiteral("打印零售收款单"));
        EXPECT_EQ(shown(s, "pnTotalMoney"), QStringLiteral("22.50"));
        EXPECT_EQ(shown(s, "lbFalseMoney"), QStringLiteral("22.50"));
        EXPECT_EQ(shown(s, "edTrueMoney"), QStringLiteral("22.50"));
        EXPECT_EQ(shown(s, "lbPayMoney"), QStringLiteral("0.00"));
        EXPECT_TRUE(s.findChild<QCheckBox*>(QStringLiteral("cbPrintCheck"))->isChecked());
        const std::pair<const char*, const char*> typed[] = {
            {"100", "77.50"}, {"1a0-0.5", "77.50"},   // other keys never reach the box: "100.5"
            {"20", "0.00"}, {"", "0.00"}, {"22.5", "0.00"}, {"22.51", "0.01"},
        };
        for (const auto& [amount, change] : typed) {
            receive(s, QString::fromLatin1(amount));
            if (QByteArray(amount) == "1a0-0.5") {
                EXPECT_EQ(shown(s, "edTrueMoney"), QStringLiteral("100.5"));
                EXPECT_EQ(shown(s, "lbPayMoney"), QStringLiteral("78.00"));
                continue;
            }
            EXPECT_EQ(shown(s, "lbPayMoney"), QString::fromLatin1(change)) << amount;
        }
        s.bitCloseClick();
    });
    EXPECT_EQ(count(QStringLiteral("XSB")), 0);
    EXPECT_EQ(gridRows(), 2);   // closing without saving keeps the sale
}

TEST_P(SettlementTest, savingPostsPrintsTheReceiptAndClearsTheSaleScreen) {
    sales_shop::checkStock(db(), true);
    RecordingCanvas receipt;
    int result = -1;
    settleWith([&](TfrmPrintSellsData& s) {
        s.setReceiptCanvas(&receipt);
        receive(s, QStringLiteral("50"));
        pressSave(s);
        result = s.result();
        // A second Enter after the save is inert.
        s.bitPrintClick();
        ASSERT_TRUE(s.posted().has_value());
        EXPECT_EQ(s.findChild<QPlainTextEdit*>(QStringLiteral("mmPrintData"))->toPlainText().split(u'\n'),
                  receipt.texts());
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("数据保存成功！")});
    EXPECT_EQ(count(QStringLiteral("XSB")), 1);
    EXPECT_EQ(count(QStringLiteral("XSMXB")), 2);
    EXPECT_EQ(count(QStringLiteral("QTJHDMXB"), QStringLiteral("WLTYPE = '销售'")), 2);
    EXPECT_EQ(Money::fromVariant(scalar(QStringLiteral("SELECT SKMONEY FROM SYYSKB"))).toString(), QStringLiteral("22.50"));
    EXPECT_EQ(Money::fromVariant(scalar(QStringLiteral("SELECT SKZE FROM XSB"))).toString(), QStringLiteral("50.00"));
    // Lines posted in grid order, newest first.
    EXPECT_EQ(scalar(QStringLiteral("SELECT SPNO FROM XSMXB ORDER BY ID")), QStringLiteral("B"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT ZYNO FROM XSMXB ORDER BY ID")), QStringLiteral("102"));

    EXPECT_EQ(gridRows(), 0);
    EXPECT_EQ(ctl<QLabel>("pnSellsCount")->text(), QStringLiteral("0"));
    const QStringList printed = receipt.texts();
    const QString saleNo = scalar(QStringLiteral("SELECT XSNO FROM XSB"));
    ASSERT_GE(printed.size(), 18);
    EXPECT_EQ(printed[1], QStringLiteral("                幸福超市"));
    EXPECT_TRUE(printed[4].startsWith(QStringLiteral("        编号：") + saleNo + QStringLiteral(" 日  期：")));
    EXPECT_EQ(printed[8], QStringLiteral("        B                  12.5     1  100%    12.50"));
    EXPECT_EQ(printed[9], QStringLiteral("        A                     5     2  100%    10.00"));
    EXPECT_EQ(printed[12], QStringLiteral("        合计金额：22.50"));
    EXPECT_EQ(printed[13], QStringLiteral("        收款金额：50.00"));
    EXPECT_EQ(printed[14], QStringLiteral("        找    零：27.50"));
}

TEST_P(SettlementTest, aSaveThatFailsLeavesBothScreensAsTheyWereAndCanBeRepeated) {
    sales_shop::checkStock(db(), true);
    int result = -1;
    settleWith([&](TfrmPrintSellsData& s) {
        // Another till sells B meanwhile: 20 of 20.
        RetailSale other;
        other.operatorNo = QStringLiteral("001");
        other.storeNo = QStringLiteral("001");
        RetailSaleLine b;
        b.productNo = QStringLiteral("B");
        b.productName = QStringLiteral("乙商品");
        b.quantity = 20;
        b.price = *Money::parse(QStringLiteral("12.5"));
        other.lines = {b};
        auto till = openAnother();
        RetailPosting(*till).post(other);

        receive(s, QStringLiteral("30"));
        s.bitPrintClick();
        ASSERT_EQ(seams->recorder.shown.size(), 1u);
        EXPECT_TRUE(messageTexts().front().startsWith(QStringLiteral("库存不足"))) << messageTexts().front().toStdString();
        EXPECT_FALSE(s.posted().has_value());
        EXPECT_TRUE(s.isVisible());
        EXPECT_TRUE(s.findChild<QPushButton*>(QStringLiteral("bitPrint"))->isEnabled());
        EXPECT_EQ(shown(s, "edTrueMoney"), QStringLiteral("30"));
        result = s.result();
        s.bitCloseClick();
    });
    EXPECT_NE(result, QDialog::Accepted);
    EXPECT_EQ(count(QStringLiteral("XSB")), 1);   // the other till's sale only
    EXPECT_EQ(count(QStringLiteral("SYYSKB")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT SUM(XSSL) FROM JHDMXB WHERE SPNO = 'A'")).toDouble(), 0);
    EXPECT_EQ(gridRows(), 2);
}

// Another till holding the database longer than this one waits: the cashier is told the
// database is busy (not the driver's text), nothing is saved, and saving again works.
TEST_P(SettlementTest, aTillThatFindsTheDatabaseBusySaysSoAndCanSaveLater) {
    auto till = openAnother();
    auto holding = std::make_unique<db::Transaction>(*till);
    if (GetParam() == db::Backend::Sqlite) {
        db().execute(QStringLiteral("PRAGMA busy_timeout = 100"));
    } else {
        till->execute(QStringLiteral("LOCK TABLE SERIALNO IN EXCLUSIVE MODE"));
        db().execute(QStringLiteral("SET lock_timeout = '100ms'"));
    }
    int result = -1;
    settleWith([&](TfrmPrintSellsData& s) {
        s.bitPrintClick();
        ASSERT_EQ(seams->recorder.shown.size(), 1u);
        EXPECT_EQ(messageTexts().front(), QStringLiteral("数据库忙，请稍后再试！"));
        EXPECT_FALSE(s.posted().has_value());
        holding.reset();
        seams->recorder.clear();
        s.bitPrintClick();
        EXPECT_TRUE(s.posted().has_value());
        result = s.result();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(count(QStringLiteral("XSB")), 1);
}

TEST_P(SettlementTest, aPrintFailureAfterTheCommitIsReportedAndTheSaleStaysSavedOnce) {
    BrokenPrinter printer;
    settleWith([&](TfrmPrintSellsData& s) {
        s.setReceiptCanvas(&printer);
        pressSave(s);
        s.bitPrintClick();
        QTest::keyClick(s.findChild<QPushButton*>(QStringLiteral("bitPrint")), Qt::Key_Return);
    });
    ASSERT_EQ(messageTexts().size(), 2);
    EXPECT_EQ(messageTexts()[0], QStringLiteral("本单已保存，但票据未能打印：打印机缺纸"));
    EXPECT_EQ(messageTexts()[1], QStringLiteral("数据保存成功！"));
    EXPECT_EQ(count(QStringLiteral("XSB")), 1);
    EXPECT_EQ(count(QStringLiteral("SYYSKB")), 1);
    EXPECT_EQ(gridRows(), 0);
}

TEST_P(SettlementTest, nothingIsPrintedUntickedOrWithAnUnknownPrintMode) {
    struct Case { const char* mode; bool tick; };
    const Case cases[] = {{"0", false}, {"1", false}, {"2", true}, {"", true}};
    for (const Case& c : cases) {
        sales_shop::setVariable(db(), QStringLiteral("RetailPrintMode"), QString::fromLatin1(c.mode));
        RecordingCanvas receipt;
        settleWith([&](TfrmPrintSellsData& s) {
            s.setReceiptCanvas(&receipt);
            s.findChild<QCheckBox*>(QStringLiteral("cbPrintCheck"))->setChecked(c.tick);
            s.bitPrintClick();
        });
        EXPECT_TRUE(receipt.ops.empty()) << c.mode;
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("数据保存成功！")}) << c.mode;
        EXPECT_TRUE(QDir(SysSetIni::receiptFolder()).entryList(QDir::Files).isEmpty()) << c.mode;
    }
    EXPECT_EQ(count(QStringLiteral("XSB")), 4);
}

TEST_P(SettlementTest, withoutAPrinterReceiptAndNoteGoToFilesInTheReceiptFolder) {
    if (PrinterCanvas::printerAvailable()) GTEST_SKIP() << "this machine has a printer";
    const QDir folder(SysSetIni::receiptFolder());
    // The receipt: its file is named in the sale screen's status bar.
    settleWith([&](TfrmPrintSellsData& s) { s.bitPrintClick(); });
    QStringList files = folder.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString saleNo = scalar(QStringLiteral("SELECT XSNO FROM XSB"));
    EXPECT_EQ(files.front(), QStringLiteral("收款单-") + saleNo + QStringLiteral(".pdf"));
    EXPECT_TRUE(pos->panelText(3).endsWith(files.front()));
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("数据保存成功！")});

    // The sales note.
    sales_shop::setVariable(db(), QStringLiteral("RetailPrintMode"), QStringLiteral("1"));
    settleWith([&](TfrmPrintSellsData& s) { s.bitPrintClick(); });
    files = folder.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    EXPECT_EQ(files.size(), 2);
    EXPECT_EQ(messageTexts().last(), QStringLiteral("数据保存成功！"));
    EXPECT_EQ(count(QStringLiteral("XSB")), 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, SettlementTest, ::testing::ValuesIn(backends()), backendName);

TEST_P(SettlementTest, savedOrLeftWithEscTheSaleScreensCodeBoxHasTheKeyboard) {
    for (const bool save : {true, false}) {
        pos.reset();
        settleWith([&](TfrmPrintSellsData& s) {
            if (save) {
                pressSave(s);
            } else {
                QTest::keyClick(s.findChild<QLineEdit*>(QStringLiteral("edTrueMoney")), Qt::Key_Escape);
                EXPECT_EQ(s.result(), QDialog::Rejected);
            }
        });
        settle();
        EXPECT_EQ(pos->focusWidget(), ctl("edProductNo")) << (save ? "saved" : "left");
        EXPECT_EQ(gridRows(), save ? 0 : 2);
    }
}

TEST_P(SettlementTest, aReceivedAmountBeyondTheLargestSaleIsRefused) {
    settleWith([&](TfrmPrintSellsData& s) {
        receive(s, QStringLiteral("100000000000.01"));
        s.bitPrintClick();
        EXPECT_FALSE(s.posted().has_value());
        EXPECT_EQ(QApplication::focusWidget(), s.findChild<QLineEdit*>(QStringLiteral("edTrueMoney")));
    });
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("实收金额超出范围，请重新输入！")});
    EXPECT_EQ(count(QStringLiteral("XSB")), 0);
}
