// The login screen the process opens with: a successful login hides it and runs the main
// window over it; the process ends when the main window closes or the login is left.
#pragma once

#include "app/TfrmBase.h"

#include <memory>

namespace db { class SqliteFileCheck; }

class QLineEdit;
class QPushButton;
class QLabel;
class QThread;
class TfrmMenu;

class TfrmLogin : public TfrmBase {
    Q_OBJECT
public:
    // The result the screen ends with (QDialog::done): the program's exit.
    enum Outcome { Left = QDialog::Rejected, Worked = QDialog::Accepted, DatabaseDown = 2 };

    explicit TfrmLogin(QWidget* parent = nullptr);
    ~TfrmLogin() override;

    void bitYesClick();
    void bitCloseClick();

    TfrmMenu* frmMenu() const { return m_frmMenu; }
    // Whether the check behind the initial-password hint has answered (for tests).
    bool hintChecked() const { return m_hintChecked; }
    // Whether the database file's page check is still running behind the window (for tests).
    bool fileCheckRunning() const;

private:
    // Shows the red hint naming the initial password once it is known that operator 001
    // still has it. The hash is as costly as a login, so it is checked on a thread of its
    // own: the window does not wait for it.
    void checkInitialPassword();
    // An SQLite file's full page check reads the whole file: it runs on a thread of its own
    // while the window shows, and the connection the login opens waits for its verdict, so
    // a damaged file is still refused before anything is written to it.
    void startFileCheck();

    QLineEdit* m_edOperatorNo;
    QLineEdit* m_edOperatorPassword;
    QPushButton* m_bitYes;
    QPushButton* m_bitClose;
    QLabel* m_lbHint;
    TfrmMenu* m_frmMenu = nullptr;
    QThread* m_hintCheck = nullptr;
    bool m_hintChecked = false;
    bool m_hintStarted = false;
    std::unique_ptr<db::SqliteFileCheck> m_fileCheck;
};
