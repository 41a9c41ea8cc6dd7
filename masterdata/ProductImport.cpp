#include "masterdata/ProductImport.h"

#include "db/Error.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "masterdata/TableEditor.h"
#include "masterdata/TextWidth.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <map>
#include <optional>

namespace {

struct CsvRecord {
    int line;
    QStringList fields;
};

// RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks.
std::vector<CsvRecord> parseCsv(const QString& text, std::vector<ImportRefusal>& refused) {
    std::vector<CsvRecord> records;
    QStringList fields;
    QString field;
    bool quoted = false, fieldStarted = false;
    int line = 1, recordLine = 1;
    auto endField = [&] { fields << field; field.clear(); fieldStarted = false; };
    auto endRecord = [&] {
        endField();
        const bool blank = fields.size() == 1 && fields[0].trimmed().isEmpty();
        if (!blank) records.push_back({recordLine, fields});
        fields.clear();
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) { field += c; ++i; }
                else quoted = false;
            } else {
                if (c == QLatin1Char('\n')) ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted && field.trimmed().isEmpty()) {
            quoted = true;
            fieldStarted = true;
            field.clear();
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            endRecord();
            ++line;
            recordLine = line;
        } else {
            field += c;
        }
    }
    if (quoted) refused.push_back({recordLine, QStringLiteral("引号没有结束")});
    else if (!field.isEmpty() || !fields.isEmpty()) endRecord();
    return records;
}

// Header words that name each column besides its own name: the titles the screens show.
const std::map<QString, QStringList>& columnAliases() {
    static const std::map<QString, QStringList> aliases = {
        {QStringLiteral("SPNO"), {QStringLiteral("商品编码"), QStringLiteral("编码")}},
        {QStringLiteral("SPNAME"), {QStringLiteral("商品名称规格"), QStringLiteral("商品名称"), QStringLiteral("名称")}},
        {QStringLiteral("SPLB"), {QStringLiteral("商品分类"), QStringLiteral("商品类别"), QStringLiteral("分类")}},
        {QStringLiteral("SPDW"), {QStringLiteral("商品单位"), QStringLiteral("单位")}},
        {QStringLiteral("BZJG"), {QStringLiteral("销售价格"), QStringLiteral("标准价格"), QStringLiteral("销售价")}},
        {QStringLiteral("ZDJG"), {QStringLiteral("最低价格"), QStringLiteral("会员价格")}},
        {QStringLiteral("PFJG"), {QStringLiteral("批发价格"), QStringLiteral("批发价")}},
        {QStringLiteral("KCMAX"), {QStringLiteral("库存上限")}},
        {QStringLiteral("KCMIN"), {QStringLiteral("库存下限")}},
        {QStringLiteral("BZ"), {QStringLiteral("备注")}},
        {QStringLiteral("QSGYS"), {QStringLiteral("缺省供应商"), QStringLiteral("供应商")}},
        {QStringLiteral("BMNO"), {QStringLiteral("所属部门"), QStringLiteral("部门")}},
        {QStringLiteral("XSFS"), {QStringLiteral("销售方式"), QStringLiteral("代销")}},
    };
    return aliases;
}

QString columnForHeader(const QString& header) {
    const QString h = header.trimmed();
    for (const auto& [name, words] : columnAliases()) {
        if (name.compare(h, Qt::CaseInsensitive) == 0) return name;
        if (words.contains(h)) return name;
    }
    return {};
}

// A code table the file may name by code or by name. The statement gives the stored value,
// the other name it may be given by, and the value that name stands for (units are kept
// by their name, so for them the unit number is the other name).
class CodeTable {
public:
    CodeTable(db::Connection& connection, const QString& sql, const QString& what) : m_what(what) {
        db::Statement s(connection, sql);
        s.exec();
        while (s.next()) {
            m_codes.insert(s.text(0));
            const QString name = s.text(1);
            if (m_byName.contains(name) && m_byName[name] != s.text(2)) m_ambiguous.insert(name);
            m_byName.insert(name, s.text(2));
        }
    }
    // The stored value, or an error text.
    std::optional<QString> resolve(const QString& typed, QString* error) const {
        if (typed.isEmpty()) return QString();
        if (m_codes.contains(typed)) return typed;
        if (m_ambiguous.contains(typed)) {
            *error = QStringLiteral("%1“%2”有重名，请写编号").arg(m_what, typed);
            return std::nullopt;
        }
        if (m_byName.contains(typed)) return m_byName.value(typed);
        *error = QStringLiteral("没有这个%1：%2").arg(m_what, typed);
        return std::nullopt;
    }

private:
    QString m_what;
    QSet<QString> m_codes;
    QHash<QString, QString> m_byName;
    QSet<QString> m_ambiguous;
};

std::optional<QString> saleMode(const QString& typed) {
    static const QStringList yes = {QStringLiteral("代销"), QStringLiteral("1"), QStringLiteral("是"), QStringLiteral("true"),
                                    QStringLiteral("y"), QStringLiteral("yes")};
    static const QStringList no = {QStringLiteral("包销"), QStringLiteral("0"), QStringLiteral("否"), QStringLiteral("false"),
                                   QStringLiteral("n"), QStringLiteral("no"), QString()};
    if (yes.contains(typed, Qt::CaseInsensitive)) return QStringLiteral("1");
    if (no.contains(typed, Qt::CaseInsensitive)) return QStringLiteral("0");
    return std::nullopt;
}

}  // namespace

QString ImportReport::text() const {
    if (ok()) return QStringLiteral("已导入 %1 个商品。").arg(imported);
    QStringList lines;
    for (const ImportRefusal& r : refused)
        lines << (r.line > 0 ? QStringLiteral("第%1行：%2").arg(r.line).arg(r.reason) : r.reason);
    return lines.join(QLatin1Char('\n'));
}

ProductImport::ProductImport(db::Connection& connection, QString operatorNo)
    : m_connection(connection), m_operatorNo(std::move(operatorNo)) {}

QString ProductImport::decode(const QByteArray& data) {
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    // GB18030 decodes every GBK file and is what the converter offers under any name.
    QStringDecoder gbk("GB18030");
    return gbk.decode(bytes);
}

ImportReport ProductImport::importFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ImportReport report;
        report.refused.push_back({0, QStringLiteral("不能读取文件 %1：%2").arg(path, file.errorString())});
        return report;
    }
    return importData(file.readAll());
}

ImportReport ProductImport::importData(const QByteArray& data) {
    ImportReport report;
    const std::vector<CsvRecord> records = parseCsv(decode(data), report.refused);
    if (records.empty()) {
        if (report.refused.empty()) report.refused.push_back({1, QStringLiteral("文件中没有标题行")});
        return report;
    }

    const TableDefinition definition = ReferenceTables::products();
    // Header: which definition column each field of a line feeds.
    std::vector<int> target;
    QSet<int> seen;
    for (const QString& header : records.front().fields) {
        const QString name = columnForHeader(header);
        const int index = name.isEmpty() ? -1 : definition.indexOf(name);
        if (index < 0) {
            report.refused.push_back({records.front().line, QStringLiteral("不认识的列：%1").arg(header.trimmed())});
        } else if (seen.contains(index)) {
            report.refused.push_back({records.front().line, QStringLiteral("列重复：%1").arg(header.trimmed())});
        }
        seen.insert(index);
        target.push_back(index);
    }
    const int codeIndex = definition.indexOf(QStringLiteral("SPNO"));
    const int nameIndex = definition.indexOf(QStringLiteral("SPNAME"));
    for (int required : {codeIndex, nameIndex})
        if (!seen.contains(required))
            report.refused.push_back({records.front().line, QStringLiteral("缺少列：%1").arg(definition.columns[size_t(required)].title)});
    if (!report.ok()) return report;
    if (records.size() == 1) {
        report.refused.push_back({records.front().line, QStringLiteral("文件中没有商品")});
        return report;
    }

    try {
        CodeTable categories(m_connection, QStringLiteral("SELECT FLNo, FLName, FLNo FROM SPFLB"), QStringLiteral("商品分类"));
        CodeTable units(m_connection, QStringLiteral("SELECT DWMC, DWBH, DWMC FROM SPDWB"), QStringLiteral("单位"));
        CodeTable suppliers(m_connection, QStringLiteral("SELECT CSNO, CSNAME, CSNO FROM CSB"), QStringLiteral("供应商"));
        CodeTable departments(m_connection, QStringLiteral("SELECT BMNO, BMName, BMNO FROM dept"), QStringLiteral("部门"));
        const std::map<QString, const CodeTable*> lookups = {{QStringLiteral("SPLB"), &categories},
                                                             {QStringLiteral("SPDW"), &units},
                                                             {QStringLiteral("QSGYS"), &suppliers},
                                                             {QStringLiteral("BMNO"), &departments}};
        QSet<QString> existing;
        {
            db::Statement s(m_connection, QStringLiteral("SELECT SPNO FROM SPB"));
            s.exec();
            while (s.next()) existing.insert(s.text(0));
        }

        std::vector<std::pair<int, RecordValues>> rows;
        QHash<QString, int> codesInFile;
        for (size_t r = 1; r < records.size(); ++r) {
            const CsvRecord& record = records[r];
            auto refuse = [&](const QString& reason) { report.refused.push_back({record.line, reason}); };
            if (record.fields.size() != int(target.size())) {
                refuse(QStringLiteral("有 %1 列，标题行有 %2 列").arg(record.fields.size()).arg(target.size()));
                continue;
            }
            RecordValues values;
            for (const Column& c : definition.columns) values << c.defaultValue;
            bool good = true;
            for (size_t f = 0; f < target.size(); ++f) {
                const Column& column = definition.columns[size_t(target[f])];
                const QString typed = record.fields[int(f)].trimmed();
                QString error;
                std::optional<QString> value;
                if (const auto lookup = lookups.find(column.name); lookup != lookups.end()) {
                    value = lookup->second->resolve(typed, &error);
                } else if (column.kind == ColumnKind::Bit) {
                    value = saleMode(typed);
                    if (!value) error = QStringLiteral("销售方式应为“代销”或“包销”：%1").arg(typed);
                } else {
                    try {
                        value = storedText(column, typed);
                        const auto amount = Money::parse(*value);  // none for an empty optional amount
                        if ((column.kind == ColumnKind::Money && amount && amount->isNegative())
                            || (column.kind == ColumnKind::Integer && value->toInt() < 0)) {
                            error = QStringLiteral("“%1”不能是负数：%2").arg(column.editLabel(), typed);
                            value.reset();
                        }
                    } catch (const db::Error& e) {
                        error = e.message();
                    }
                }
                if (!value) {
                    refuse(error);
                    good = false;
                    continue;
                }
                values[target[f]] = *value;
            }
            if (!good) continue;
            const QString code = values[codeIndex];
            if (code.isEmpty()) { refuse(QStringLiteral("商品编码是空的")); continue; }
            if (values[nameIndex].isEmpty()) { refuse(QStringLiteral("商品名称是空的")); continue; }
            if (existing.contains(code)) { refuse(QStringLiteral("商品编码已存在：%1").arg(code)); continue; }
            if (codesInFile.contains(code)) {
                refuse(QStringLiteral("商品编码 %1 与第%2行重复").arg(code).arg(codesInFile.value(code)));
                continue;
            }
            codesInFile.insert(code, record.line);
            rows.emplace_back(record.line, values);
        }
        if (!report.ok()) return report;

        TableEditor editor(m_connection, definition, m_operatorNo);
        db::Transaction tx(m_connection);
        for (const auto& [line, values] : rows) {
            try {
                editor.insert(tx, values);
            } catch (const db::Error& e) {
                // Another till may have added the code meanwhile: nothing of the file stays.
                report.refused.push_back({line, e.message()});
                return report;
            }
        }
        tx.commit();
        report.imported = int(rows.size());
    } catch (const db::Error& e) {
        report.refused.push_back({0, QStringLiteral("数据库错误：%1").arg(e.message())});
        report.imported = 0;
    }
    return report;
}
