// What the crash and concurrency suites share: a fresh demo shop database, the till
// worker as a child process, the real program's integrity check, and the suite sizes.
#pragma once

#include "db/Connection.h"
#include "db/ConnectionUrl.h"

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <vector>

namespace suite {

// A size from the environment, else `full` when POS_SUITE_FULL is set, else `scaled`.
int size(const char* variable, int scaled, int full);

// A fresh shop made by the real program (`pos --init-database --demo-data`) with stock
// checking on: a temporary SQLite file or a schema of its own on the test server.
class ShopDatabase {
public:
    explicit ShopDatabase(db::Backend backend);
    ~ShopDatabase();
    const db::ConnectionUrl& url() const { return m_url; }
    QString urlText() const { return m_url.display(); }
    db::Connection& connection() { return *m_connection; }
    // Receives `quantity` more of each of the first `products` stocked products into store 001.
    void receive(int products, double quantity);
    // What the tills' documents change, keyed as their effects are: "store/SPNO" (store
    // 001), "client/KHNO" and "supplier/CSNO" (the balance of the account's last row).
    std::map<QString, double> books();

private:
    db::ConnectionUrl m_url;
    QTemporaryDir m_dir;
    QString m_schema;
    std::unique_ptr<db::Connection> m_connection;
};

struct Acknowledged {
    QString kind;
    QString number;
    int lines = 0;
    QStringList effects;
};

// One till worker process and what it said.
class Till {
public:
    explicit Till(QStringList arguments);
    ~Till();
    void start();
    // Reads what the till said for up to `ms` milliseconds; returns when a line arrived
    // (or the time is up, or the till ended).
    void listen(int ms);
    void waitForCommits(int count, int timeoutMs);
    void waitForReconnect(int timeoutMs);
    bool waitForEnd(int timeoutMs);
    void kill();
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    std::vector<Acknowledged> acknowledged;
    std::map<QString, int> refusals;   // by cause
    QStringList unexpectedRefusals;    // what a till said refusing for a cause other than a shortage
    int reconnects = 0;
    bool done = false;
    QString errors() const { return m_errors; }

private:
    void take(const QString& line);
    QStringList m_arguments;
    QProcess m_process;
    QByteArray m_pending;
    QString m_errors;
};

struct CheckRun {
    int code = -1;
    QString output;
};
// `pos --check-integrity` on the database.
CheckRun checkIntegrity(const QString& url);

// Acknowledged documents that are absent (lost) or not whole (partial).
struct Presence {
    int lost = 0;
    int partial = 0;
    QStringList faults;
};
Presence verifyPresent(db::Connection& connection, const std::vector<Acknowledged>& documents);

QString workerPath();

}  // namespace suite
