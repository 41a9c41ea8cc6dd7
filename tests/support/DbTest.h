// A fresh database per test on the backend under test (POS_TEST_BACKEND: sqlite or
// postgres). The test's connection is also the program's: frmBaseDataModule and frmDM
// point at it, so screens and plain classes see the same rows.
#pragma once

#include "db/Connection.h"
#include "db/ConnectionUrl.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

std::vector<db::Backend> backends();
std::string backendName(const ::testing::TestParamInfo<db::Backend>& info);

class DbTest : public ::testing::TestWithParam<db::Backend> {
protected:
    void SetUp() override;
    void TearDown() override;

    db::Connection& db() { return m_module->Database(); }
    TfrmBaseDataModule& module() { return *m_module; }
    const db::ConnectionUrl& url() const { return m_url; }
    // A second, independent connection to the same database (for concurrency tests).
    std::unique_ptr<db::Connection> openAnother() const;
    // Schema only, without the initial rows (most tests want them: see SetUp).
    virtual bool wantsInitialData() const { return true; }
    // The schema version the database is built to; 0 = the program's own.
    virtual int schemaVersion() const { return 0; }

    // Runs a statement and returns the first column of the first row as text.
    QString scalar(const QString& sql);
    qint64 count(const QString& table, const QString& where = QString());
    // Runs a statement past the reference checks (foreign keys, reference triggers), as a
    // damaged or hand-edited database might hold its rows.
    void executeUnchecked(const QString& sql);
    // What the integrity check finds under `rule`, one detail per problem.
    QStringList integrityFindings(const QString& rule);

private:
    db::ConnectionUrl m_url;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TfrmBaseDataModule> m_module;
    std::unique_ptr<TfrmDM> m_dm;
    QString m_schema;
};

// The PostgreSQL server for tests (POS_TEST_PG_URL), or an error when it is required and missing.
db::ConnectionUrl testPostgresUrl();
