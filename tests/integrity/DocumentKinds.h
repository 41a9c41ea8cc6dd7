// What a simulated till posts in the crash and concurrency suites: a list of document
// kinds, each posted through the program's own posting class. A subsystem that lands a
// new document adds its kind here (a name, how to post one, how to count its lines), and
// both suites exercise it.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <random>
#include <vector>

namespace db { class Connection; }

namespace till {

struct Product {
    QString no;
    QString name;
    QString unit;
    QString price;   // BZJG as text
};

// One till's fixed choices and its random source.
struct TillContext {
    QString operatorNo = QStringLiteral("001");
    QString storeNo = QStringLiteral("001");
    std::vector<Product> products;   // the ones this till sells from
    std::mt19937 random;
};

struct PostedDocument {
    QString number;
    int lines = 0;
    // What the document changed, as "book/key=delta" items: "store/SPNO=-2.5" (store 001),
    // "client/001=150" or "supplier/002=-80" (the account's balance), so a suite can
    // recompute stores and balances from the acknowledged documents alone.
    QStringList effects;
};

struct DocumentKind {
    QString name;
    // Posts one document; throws db::Error when it is refused (nothing then remains).
    std::function<PostedDocument(db::Connection&, TillContext&)> post;
    // The number of lines of the document :no, to prove an acknowledged one is whole.
    QString linesSql;
};

const std::vector<DocumentKind>& documentKinds();
const DocumentKind* findDocumentKind(const QString& name);

// Products with received stock, ordered by number; the first `count` (all when 0).
std::vector<Product> stockedProducts(db::Connection& connection, int count);

}  // namespace till
