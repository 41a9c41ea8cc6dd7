// Importing a product catalogue from a CSV file (UTF-8 or GBK, a header row naming the
// columns by their names or titles): every line is checked first, and the products are
// written in one transaction only when no line is refused.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace db { class Connection; }

struct ImportRefusal {
    int line;        // physical line of the file where the record starts (1 = header); 0 = the file itself
    QString reason;
};

struct ImportReport {
    int imported = 0;
    std::vector<ImportRefusal> refused;
    bool ok() const { return refused.empty(); }
    // One line per refusal, "第N行：reason", or the count imported.
    QString text() const;
};

class ProductImport {
public:
    ProductImport(db::Connection& connection, QString operatorNo);

    ImportReport importFile(const QString& path);
    ImportReport importData(const QByteArray& data);

    // The file's text: UTF-8 (with or without a byte-order mark) when it is valid UTF-8, else GBK.
    static QString decode(const QByteArray& data);

private:
    db::Connection& m_connection;
    QString m_operatorNo;
};
