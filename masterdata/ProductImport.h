// Importing a product catalogue from a CSV file (UTF-8 or GBK, a header row naming the
// columns by their names or titles). The file is read as a stream, twice: first every line
// is checked with no lock held and memory bounded by a few bytes per line, then, only when
// no line is refused, the products are written in one transaction.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

class QIODevice;
namespace db { class Connection; }

struct ImportRefusal {
    int line;        // physical line of the file where the record starts (1 = header); 0 = the file itself
    QString reason;
};

struct ImportReport {
    int imported = 0;
    std::vector<ImportRefusal> refused;  // in line order, at most kRefusalsListed of them
    int refusedNotListed = 0;            // further refusals of a badly broken file, only counted
    bool ok() const { return refused.empty() && refusedNotListed == 0; }
    // One line per refusal, "第N行：reason", or the count imported.
    QString text() const;
    static constexpr int kRefusalsListed = 1000;
};

class ProductImport {
public:
    ProductImport(db::Connection& connection, QString operatorNo);

    ImportReport importFile(const QString& path);
    ImportReport importData(const QByteArray& data);
    // The device must be able to seek back to its start: it is read once to check, once to write.
    ImportReport importDevice(QIODevice& device);

private:
    db::Connection& m_connection;
    QString m_operatorNo;
};
