#include "reports/TfrmMonthBala.h"

#include "app/MessageService.h"
#include "db/MonthEnd.h"
#include "db/Session.h"
#include "db/TfrmDM.h"
#include "db/Transaction.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* periodBox(QWidget* parent, const QString& name, int value, const QString& suffix) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    // The operator confirms the period, never edits it; any date the server holds shows as it is.
    box->setRange(0, 9999);
    box->setValue(value);
    box->setSuffix(suffix);
    box->setEnabled(false);
    return box;
}

}  // namespace

TfrmMonthBala::TfrmMonthBala(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmMonthBala"));
    setWindowTitle(QStringLiteral("月终结转"));
    const QDate begin = QDate::fromString(frmDM().GetCheckedDate(QStringLiteral("beg")), QStringLiteral("yyyy-MM-dd"));
    const QDate end = QDate::fromString(frmDM().GetCheckedDate(QStringLiteral("end")), QStringLiteral("yyyy-MM-dd"));
    if (!begin.isValid() || !end.isValid()) throw db::Error(QStringLiteral("结转期间的日期不正确"));

    auto* layout = new QVBoxLayout(pnBaseHint());
    auto* grid = new QGridLayout;
    m_seBegYear = periodBox(pnBaseHint(), QStringLiteral("seBegYear"), begin.year(), QStringLiteral(" 年"));
    m_seBegMonth = periodBox(pnBaseHint(), QStringLiteral("seBegMonth"), begin.month(), QStringLiteral(" 月"));
    m_seBegDay = periodBox(pnBaseHint(), QStringLiteral("seBegDay"), begin.day(), QStringLiteral(" 日"));
    m_seEndYear = periodBox(pnBaseHint(), QStringLiteral("seEndYear"), end.year(), QStringLiteral(" 年"));
    m_seEndMonth = periodBox(pnBaseHint(), QStringLiteral("seEndMonth"), end.month(), QStringLiteral(" 月"));
    m_seEndDay = periodBox(pnBaseHint(), QStringLiteral("seEndDay"), end.day(), QStringLiteral(" 日"));
    grid->addWidget(new QLabel(QStringLiteral("结转起期"), pnBaseHint()), 0, 0);
    grid->addWidget(m_seBegYear, 0, 1);
    grid->addWidget(m_seBegMonth, 0, 2);
    grid->addWidget(m_seBegDay, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("结转止期"), pnBaseHint()), 1, 0);
    grid->addWidget(m_seEndYear, 1, 1);
    grid->addWidget(m_seEndMonth, 1, 2);
    grid->addWidget(m_seEndDay, 1, 3);
    layout->addLayout(grid);
    auto* bitSave = new QPushButton(QStringLiteral("确定"), pnBaseHint());
    bitSave->setObjectName(QStringLiteral("bitSave"));
    auto* bitExit = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    bitExit->setObjectName(QStringLiteral("bitExit"));
    layout->addLayout(centredButtonRow(bitSave, bitExit));
    connect(bitSave, &QPushButton::clicked, this, &TfrmMonthBala::bitSaveClick);
    connect(bitExit, &QPushButton::clicked, this, &QDialog::reject);
    resize(420, 200);
}

void TfrmMonthBala::bitSaveClick() {
    if (m_saving) return;   // a second click while the work runs must not start it again
    const QDate begin(m_seBegYear->value(), m_seBegMonth->value(), m_seBegDay->value());
    const QDate end(m_seEndYear->value(), m_seEndMonth->value(), m_seEndDay->value());
    m_saving = true;
    QProgressDialog progress(QStringLiteral("正在结转…"), QString(), 0, 1, this);
    progress.setObjectName(QStringLiteral("dlgProgress"));
    progress.setWindowTitle(windowTitle());
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(0);
    progress.setWindowModality(Qt::WindowModal);
    try {
        db::Transaction tx(frmDM().connection());
        db::MonthEnd(frmDM().connection()).carryForward(begin, end, session().OperatorNo, [&](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        tx.commit();
        progress.reset();
        m_saving = false;
        messages().info(QStringLiteral("信息提示"), QStringLiteral("数据已成功保存！"));
    } catch (const db::MonthEndRefused& e) {
        progress.reset();
        m_saving = false;
        messages().info(QStringLiteral("信息提示"), e.message());
    } catch (const db::Error&) {
        progress.reset();
        m_saving = false;
        messages().info(QStringLiteral("信息提示"), QStringLiteral("网络忙，请稍后重新操作！"));
    }
}
