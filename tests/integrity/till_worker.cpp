// A till that posts documents without a window, for the crash and concurrency suites.
// It acknowledges each document on stdout only after its commit, flushed at once, so the
// suite knows which documents the shop was told were saved:
//   READY
//   COMMITTED <kind> <number> <lines> <book/key=delta,...>
//   REFUSED <cause> <kind> <message>        cause: shortage, busy, connection, other
//   RECONNECTED
//   DONE
// pos_till_worker --database URL [--documents N (0: until killed)] [--kinds sale,sale,client-receipt,...]
//                 (each document's kind is drawn from the list, so a kind named twice comes twice as often)
//                 [--seed N] [--products N (the first N stocked ones)] [--operator NO] [--store NO]
#include "DocumentKinds.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Statement.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

namespace {

void say(const QString& line) {
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString refusalCause(const db::Error& e) {
    if (e.kind() == db::ErrorKind::Shortage) return QStringLiteral("shortage");
    if (e.kind() == db::ErrorKind::Connection) return QStringLiteral("connection");
    const QString m = e.message().toLower();
    for (const char* busy : {"locked", "busy", "deadlock", "could not serialize", "lock timeout"})
        if (m.contains(QLatin1String(busy))) return QStringLiteral("busy");
    for (const char* lost : {"server closed", "terminating connection", "connection", "no connection", "shutdown"})
        if (m.contains(QLatin1String(lost))) return QStringLiteral("connection");
    return QStringLiteral("other");
}

bool alive(db::Connection& c) {
    try {
        db::Statement s(c, QStringLiteral("SELECT 1"));
        return s.first();
    } catch (const db::Error&) {
        return false;
    }
}

// A server that went away (restarted) is waited for; the till carries on afterwards.
bool reconnect(db::Connection& c) {
    for (int attempt = 0; attempt < 600; ++attempt) {
        try {
            c.open();
            return true;
        } catch (const db::Error&) {
            QThread::msleep(100);
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const QString& name, const QString& fallback) {
        const int i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    QString error;
    const auto url = db::ConnectionUrl::parse(option(QStringLiteral("--database"), QString()), &error);
    if (!url) {
        std::fprintf(stderr, "pos_till_worker: %s\n", qPrintable(error));
        return 2;
    }
    const int documents = option(QStringLiteral("--documents"), QStringLiteral("0")).toInt();
    std::vector<const till::DocumentKind*> kinds;
    for (const QString& name : option(QStringLiteral("--kinds"), QStringLiteral("sale")).split(u',')) {
        const till::DocumentKind* kind = till::findDocumentKind(name);
        if (!kind) {
            std::fprintf(stderr, "pos_till_worker: unknown document kind %s\n", qPrintable(name));
            return 2;
        }
        kinds.push_back(kind);
    }

    till::TillContext till;
    till.random.seed(option(QStringLiteral("--seed"), QStringLiteral("1")).toUInt());
    till.operatorNo = option(QStringLiteral("--operator"), till.operatorNo);
    till.storeNo = option(QStringLiteral("--store"), till.storeNo);
    db::Connection connection(*url);
    try {
        connection.open();
        till.products = till::stockedProducts(connection, option(QStringLiteral("--products"), QStringLiteral("0")).toInt());
    } catch (const db::Error& e) {
        std::fprintf(stderr, "pos_till_worker: %s\n", qPrintable(e.message()));
        return 1;
    }
    if (till.products.empty()) {
        std::fprintf(stderr, "pos_till_worker: no stocked products\n");
        return 1;
    }
    say(QStringLiteral("READY"));

    std::uniform_int_distribution<size_t> pickKind(0, kinds.size() - 1);
    for (int posted = 0; documents == 0 || posted < documents; ++posted) {
        const till::DocumentKind& kind = *kinds[pickKind(till.random)];
        try {
            const till::PostedDocument d = kind.post(connection, till);
            say(QStringLiteral("COMMITTED %1 %2 %3 %4").arg(kind.name, d.number).arg(d.lines).arg(d.effects.join(u',')));
        } catch (const db::Error& e) {
            QString cause = refusalCause(e);
            // An error of no known cause on a connection that no longer answers is the server gone.
            if (cause == QLatin1String("other") && !alive(connection)) cause = QStringLiteral("connection");
            say(QStringLiteral("REFUSED %1 %2 %3").arg(cause, kind.name, e.message().simplified()));
            if (cause == QLatin1String("connection")) {
                if (!reconnect(connection)) return 1;
                say(QStringLiteral("RECONNECTED"));
            }
        }
    }
    say(QStringLiteral("DONE"));
    return 0;
}
