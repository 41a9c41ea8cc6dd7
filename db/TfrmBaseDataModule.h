// The connection owner: the one database connection every statement runs on.
#pragma once

#include "db/Connection.h"
#include "db/ConnectionUrl.h"
#include "db/Error.h"

#include <QString>
#include <memory>

class TfrmBaseDataModule {
public:
    explicit TfrmBaseDataModule(const db::ConnectionUrl& url);
    ~TfrmBaseDataModule();

    db::Connection& Database() { return *m_database; }
    bool ConnectOK = false;
    // Why the last DataModuleConnect failed (for the command line and the log of a test).
    QString LastConnectError;
    db::ErrorKind LastConnectErrorKind = db::ErrorKind::General;

    // (Re)opens the connection; ConnectOK tells the outcome. A database of a newer schema
    // or without our tables counts as not reachable. Never throws.
    void DataModuleConnect();
    // Looks the operator up and verifies the password against the stored hash; on success
    // sets the four operator session values. A database error propagates (db::Error).
    // An unknown number takes as long to refuse as a wrong password.
    bool CheckOperator(const QString& operatorNo, const QString& password);
    // Whether the password is the operator's stored one; changes nothing. Same timing rule;
    // a database error propagates (db::Error).
    bool VerifyOperatorPassword(const QString& operatorNo, const QString& password);
    // The operator's stored password hash, empty when there is no such operator; for a
    // verification that runs off the window's thread. A database error propagates.
    QString StoredPasswordHash(const QString& operatorNo);
    // Stores a new hash; false when the statement failed or no operator row was changed.
    bool SetOperatorPassword(const QString& operatorNo, const QString& newPassword);

private:
    std::unique_ptr<db::Connection> m_database;
};

// The process's connection owner, created at start-up (tests install their own).
TfrmBaseDataModule& frmBaseDataModule();
void setFrmBaseDataModule(TfrmBaseDataModule* module);
