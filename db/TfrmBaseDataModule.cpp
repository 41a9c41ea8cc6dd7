#include "db/TfrmBaseDataModule.h"

#include "db/Error.h"
#include "db/Passwords.h"
#include "db/Schema.h"
#include "db/Session.h"
#include "db/Statement.h"

namespace {
TfrmBaseDataModule* g_module = nullptr;
}

TfrmBaseDataModule& frmBaseDataModule() {
    if (!g_module) throw db::Error(QStringLiteral("no database module"), db::ErrorKind::Connection);
    return *g_module;
}

void setFrmBaseDataModule(TfrmBaseDataModule* module) { g_module = module; }

TfrmBaseDataModule::TfrmBaseDataModule(const db::ConnectionUrl& url) : m_database(std::make_unique<db::Connection>(url)) {}

TfrmBaseDataModule::~TfrmBaseDataModule() {
    if (g_module == this) g_module = nullptr;
}

void TfrmBaseDataModule::DataModuleConnect() {
    try {
        m_database->open();
        db::Schema::checkCurrent(*m_database);
        ConnectOK = true;
        LastConnectError.clear();
    } catch (const db::Error& e) {
        m_database->close();
        ConnectOK = false;
        LastConnectError = e.message();
        LastConnectErrorKind = e.kind();
    }
}

bool TfrmBaseDataModule::CheckOperator(const QString& operatorNo, const QString& password) {
    db::Statement s(*m_database, QStringLiteral("Select BNNAME, BNPOST, BNPASSWORD From BMAN Where BNNO = :BNNO"));
    s.bind(QStringLiteral(":BNNO"), operatorNo);
    if (!s.first()) return db::Passwords::verifyUnknown(password);
    if (!db::Passwords::verify(password, s.text(2))) return false;
    Session& v = session();
    v.OperatorNo = operatorNo;
    v.OperatorName = s.text(0);
    v.OperatorPassword = password;
    v.OperatorPost = s.text(1);
    return true;
}

bool TfrmBaseDataModule::VerifyOperatorPassword(const QString& operatorNo, const QString& password) {
    const QString stored = StoredPasswordHash(operatorNo);
    if (stored.isEmpty()) return db::Passwords::verifyUnknown(password);
    return db::Passwords::verify(password, stored);
}

QString TfrmBaseDataModule::StoredPasswordHash(const QString& operatorNo) {
    db::Statement s(*m_database, QStringLiteral("Select BNPASSWORD From BMAN Where BNNO = :BNNO"));
    s.bind(QStringLiteral(":BNNO"), operatorNo);
    if (!s.first()) return QString();
    const QString stored = s.text(0);
    s.query().finish();
    return stored;
}

bool TfrmBaseDataModule::SetOperatorPassword(const QString& operatorNo, const QString& newPassword) {
    try {
        db::Statement s(*m_database, QStringLiteral("Update BMAN Set BNPASSWORD = :Password Where BNNO = :BNNO"));
        s.bind(QStringLiteral(":Password"), db::Passwords::hash(newPassword)).bind(QStringLiteral(":BNNO"), operatorNo).exec();
        return s.rowsAffected() == 1;
    } catch (const db::Error&) {
        return false;
    }
}
