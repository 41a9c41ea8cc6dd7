#include "app/TfrmLogin.h"

#include <QApplication>
#include <QDir>

#include "app/DateTimeText.h"
#include "app/ErrorHandler.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "app/OperatorCheck.h"
#include "app/TfrmMenu.h"
#include "db/InitialData.h"
#include "db/Passwords.h"
#include "db/SqliteFileCheck.h"
#include "db/TfrmBaseDataModule.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

TfrmLogin::TfrmLogin(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("系统登录"));

    auto* entry = new QFrame(pnBaseHint());
    entry->setObjectName(QStringLiteral("pnEntry"));
    entry->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* grid = new QGridLayout(entry);
    grid->setContentsMargins(24, 16, 24, 16);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    m_edOperatorNo = new QLineEdit(entry);
    m_edOperatorNo->setObjectName(QStringLiteral("edOperatorNo"));
    m_edOperatorNo->setToolTip(QStringLiteral("输入工号"));
    m_edOperatorNo->setMaxLength(3);
    m_edOperatorPassword = new QLineEdit(entry);
    m_edOperatorPassword->setObjectName(QStringLiteral("edOperatorPassword"));
    m_edOperatorPassword->setToolTip(QStringLiteral("输入密码"));
    m_edOperatorPassword->setEchoMode(QLineEdit::Password);
    grid->addWidget(new QLabel(QStringLiteral("工  号"), entry), 0, 0);
    grid->addWidget(m_edOperatorNo, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("密  码"), entry), 1, 0);
    grid->addWidget(m_edOperatorPassword, 1, 1);

    m_lbHint = new QLabel(QStringLiteral("新建数据库的初始工号为 %1，初始密码为 %2")
                              .arg(db::InitialData::OperatorNo, db::InitialData::OperatorPassword),
                          pnBaseHint());
    m_lbHint->setObjectName(QStringLiteral("lbHint"));
    m_lbHint->setStyleSheet(QStringLiteral("color: red;"));
    m_lbHint->setAlignment(Qt::AlignCenter);
    // The hint would tell anyone how to get in once the password was changed. Its place is
    // kept while it is hidden, so the window does not jump when the answer comes.
    QSizePolicy keepPlace = m_lbHint->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_lbHint->setSizePolicy(keepPlace);
    m_lbHint->setVisible(false);
    startFileCheck();

    m_bitYes = new QPushButton(QStringLiteral("确定"), pnBaseHint());
    m_bitYes->setObjectName(QStringLiteral("bitYes"));
    m_bitClose = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    m_bitClose->setObjectName(QStringLiteral("bitClose"));
    auto* buttons = centredButtonRow(m_bitYes, m_bitClose);

    auto* layout = new QVBoxLayout(pnBaseHint());
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(10);
    layout->addWidget(entry);
    layout->addWidget(m_lbHint);
    layout->addLayout(buttons);

    setTabOrder(m_edOperatorNo, m_edOperatorPassword);
    setTabOrder(m_edOperatorPassword, m_bitYes);
    setTabOrder(m_bitYes, m_bitClose);
    connect(m_bitYes, &QPushButton::clicked, this, &TfrmLogin::bitYesClick);
    connect(m_bitClose, &QPushButton::clicked, this, &TfrmLogin::bitCloseClick);

    setPanelText(2, dateHint(QDateTime::currentDateTime()));
    m_edOperatorNo->setFocus();
    resize(560, 270);
}

TfrmLogin::~TfrmLogin() {
    m_fileCheck.reset();  // stopped, not waited for to the end: nobody needs its verdict now
    if (m_hintCheck) {
        m_hintCheck->wait();
        delete m_hintCheck;
    }
}

void TfrmLogin::startFileCheck() {
    const db::ConnectionUrl& url = frmBaseDataModule().Database().url();
    if (url.backend == db::Backend::Sqlite) {
        // Queued to the window: dropped with it if it is gone first (the destructor stops
        // and joins the thread before the window goes).
        m_fileCheck = db::SqliteFileCheck::start(url.path, [this] {
            QMetaObject::invokeMethod(this, [this] { checkInitialPassword(); }, Qt::QueuedConnection);
        });
    }
    if (!m_fileCheck) checkInitialPassword();
}

bool TfrmLogin::fileCheckRunning() const { return m_fileCheck && !m_fileCheck->finished(); }

// Needs the database: the connection is opened here already (the login opens it again).
// A database that cannot be reached or read shows no hint; nor does a login already made
// (the main window runs over the hidden screen).
void TfrmLogin::checkInitialPassword() {
    if (m_hintStarted) return;
    m_hintStarted = true;
    if (m_frmMenu) {
        m_hintChecked = true;
        return;
    }
    QString stored;
    try {
        TfrmBaseDataModule& module = frmBaseDataModule();
        if (!module.Database().isOpen()) module.DataModuleConnect();
        if (module.ConnectOK || module.Database().isOpen()) stored = module.StoredPasswordHash(db::InitialData::OperatorNo);
    } catch (const std::exception&) {
        stored.clear();
    }
    if (stored.isEmpty()) {
        m_hintChecked = true;
        return;
    }
    m_hintCheck = QThread::create([this, stored] {
        const bool initial = db::Passwords::verify(db::InitialData::OperatorPassword, stored);
        // Queued to the window: dropped with it if it is gone first.
        QMetaObject::invokeMethod(this, [this, initial] {
            m_lbHint->setVisible(initial);
            m_hintChecked = true;
        }, Qt::QueuedConnection);
    });
    m_hintCheck->start();
}

void TfrmLogin::bitYesClick() {
    TfrmBaseDataModule& module = frmBaseDataModule();
    {
        // Confirmed before the file's check has answered: the connection waits for it.
        const bool waiting = fileCheckRunning();
        if (waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
        module.DataModuleConnect();
        if (waiting) QApplication::restoreOverrideCursor();
    }
    if (!module.ConnectOK) {
        // A damaged file is not a server that is down: the shop must restore a backup, and
        // needs to know which file.
        if (module.LastConnectErrorKind == db::ErrorKind::Damaged)
            messages().warning(QStringLiteral("警告"), QStringLiteral("数据库文件 %1 已损坏，程序没有使用它。请从备份恢复后重新进入！")
                                                          .arg(QDir::toNativeSeparators(module.Database().url().path)));
        // A database of another version is reachable: saying it is down would send the shop
        // looking for a server that runs.
        else if (module.LastConnectErrorKind == db::ErrorKind::SchemaTooOld)
            messages().warning(QStringLiteral("警告"), QStringLiteral("数据库版本低于本程序，请先升级数据库（pos --init-database）后重新进入！"));
        else if (module.LastConnectErrorKind == db::ErrorKind::SchemaTooNew)
            messages().warning(QStringLiteral("警告"), QStringLiteral("数据库版本高于本程序，请使用新版程序！"));
        else
            messages().info(QStringLiteral("数据库未启动，请启动后重新进入！"));
        done(DatabaseDown);
        return;
    }
    if (!checkOperatorOrRefuse(module, m_edOperatorNo, m_edOperatorPassword->text())) return;
    hide();
    if (!m_frmMenu) m_frmMenu = new TfrmMenu(this);
    modalRunner().run(*m_frmMenu);
    done(Worked);
}

void TfrmLogin::bitCloseClick() { done(Left); }
