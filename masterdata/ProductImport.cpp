#include "masterdata/ProductImport.h"

#include "db/Error.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "db/TextCheck.h"
#include "db/Transaction.h"
#include "masterdata/TableEditor.h"
#include "masterdata/TextWidth.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <unordered_set>

namespace {

constexpr qint64 kChunkBytes = 1 << 16;
// No column is wider than 60 bytes and the table has 13: a longer field or record is refused
// whole instead of growing without bound on a file that is not a catalogue.
constexpr int kMaxFieldChars = 4096;
constexpr int kMaxFields = 256;
// Products handed to the table editor at once while writing.
constexpr size_t kRowsPerWrite = 1000;

enum class Encoding { Utf8, Gb18030 };

// Validates UTF-8 strictly (no overlong forms, surrogates or values past U+10FFFF) a chunk
// at a time, counting sound multi-byte characters, broken sequences and the first broken line.
class Utf8Check {
public:
    void feed(const QByteArray& bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (m_need > 0) {
                if (b >= m_lo && b <= m_hi) {
                    m_lo = 0x80;
                    m_hi = 0xBF;
                    if (--m_need == 0) ++valid;
                    continue;
                }
                broken();
                m_need = 0;  // this byte starts afresh
            }
            if (b < 0x80) {
                if (b == '\n') ++m_line;
            } else if (b >= 0xC2 && b <= 0xDF) {
                start(1, 0x80, 0xBF);
            } else if (b == 0xE0) {
                start(2, 0xA0, 0xBF);
            } else if (b == 0xED) {
                start(2, 0x80, 0x9F);
            } else if (b >= 0xE1 && b <= 0xEF) {
                start(2, 0x80, 0xBF);
            } else if (b == 0xF0) {
                start(3, 0x90, 0xBF);
            } else if (b >= 0xF1 && b <= 0xF3) {
                start(3, 0x80, 0xBF);
            } else if (b == 0xF4) {
                start(3, 0x80, 0x8F);
            } else {
                broken();
            }
        }
    }
    void finish() {
        if (m_need > 0) broken();
        m_need = 0;
    }

    qint64 valid = 0;
    qint64 invalid = 0;
    int firstBadLine = 0;

private:
    void start(int need, unsigned char lo, unsigned char hi) {
        m_need = need;
        m_lo = lo;
        m_hi = hi;
    }
    void broken() {
        if (invalid++ == 0) firstBadLine = m_line;
    }
    int m_need = 0;
    unsigned char m_lo = 0x80, m_hi = 0xBF;
    int m_line = 1;
};

// The byte structure of GB18030 (which contains GBK): one byte below 0x80, two bytes
// 81–FE 40–7E/80–FE, or four bytes 81–FE 30–39 81–FE 30–39.
class Gb18030Check {
public:
    void feed(const QByteArray& bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            switch (m_state) {
            case 1:
                if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE)) { m_state = 0; continue; }
                if (b >= 0x30 && b <= 0x39) { m_state = 2; continue; }
                break;
            case 2:
                if (b >= 0x81 && b <= 0xFE) { m_state = 3; continue; }
                break;
            case 3:
                if (b >= 0x30 && b <= 0x39) { m_state = 0; continue; }
                break;
            default:
                break;
            }
            if (m_state != 0) {
                broken();
                m_state = 0;  // this byte starts afresh
            }
            if (b < 0x80) {
                if (b == '\n') ++m_line;
            } else if (b == 0x80 || b == 0xFF) {
                broken();
            } else {
                m_state = 1;
            }
        }
    }
    void finish() {
        if (m_state != 0) broken();
        m_state = 0;
    }

    qint64 invalid = 0;
    int firstBadLine = 0;

private:
    void broken() {
        if (invalid++ == 0) firstBadLine = m_line;
    }
    int m_state = 0;
    int m_line = 1;
};

struct EncodingVerdict {
    Encoding encoding = Encoding::Utf8;
    ImportRefusal refusal{0, QString()};
    bool ok() const { return refusal.reason.isEmpty(); }
};

// Decides the file's encoding from all of its bytes, without guessing past damage: valid
// UTF-8; else valid GB18030; else the file is refused. A file that is UTF-8 but for a few
// bytes is refused too, although GB18030 might decode it, because it would decode to
// nonsense: sound UTF-8 characters far outnumber the broken ones only in a UTF-8 file.
EncodingVerdict detectEncoding(QIODevice& in) {
    Utf8Check utf8;
    Gb18030Check gb;
    bool bom = false;
    bool first = true;
    for (;;) {
        const QByteArray chunk = in.read(kChunkBytes);
        if (chunk.isEmpty()) break;
        if (first) bom = chunk.startsWith("\xEF\xBB\xBF");
        first = false;
        utf8.feed(chunk);
        gb.feed(chunk);
    }
    utf8.finish();
    gb.finish();
    EncodingVerdict v;
    if (utf8.invalid == 0) return v;
    if (bom) {
        v.refusal = {utf8.firstBadLine, QStringLiteral("文件标明是 UTF-8 编码，但这一行有不是 UTF-8 的字节；请修正文件后再导入")};
    } else if (utf8.valid >= 4 * utf8.invalid) {
        v.refusal = {utf8.firstBadLine, QStringLiteral("文件是 UTF-8 编码，但这一行有损坏的字节（全文件共 %1 处）；请修正文件后再导入")
                                            .arg(utf8.invalid)};
    } else if (gb.invalid == 0) {
        v.encoding = Encoding::Gb18030;
    } else {
        v.refusal = {std::max(utf8.firstBadLine, gb.firstBadLine),
                     QStringLiteral("文件既不是 UTF-8 也不是 GBK 编码，这一行有无法识别的字节；请修正文件后再导入")};
    }
    return v;
}

struct CsvRecord {
    int line = 0;
    QStringList fields;
    bool tooLong = false;
};

// RFC 4180 records read from a stream: quoted fields may hold commas, doubled quotes and
// line breaks. Holds one chunk and one record at a time.
class CsvReader {
public:
    CsvReader(QIODevice& in, Encoding encoding)
        : m_in(in), m_decoder(encoding == Encoding::Utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("GB18030")) {}

    // The next record that is not blank; false at the end of the file.
    bool next(CsvRecord& out) {
        for (;;) {
            if (m_pos >= m_buffer.size()) {
                if (fill()) continue;
                if (m_quoted) {
                    m_unterminatedLine = m_recordLine;
                    m_quoted = false;
                    m_fields.clear();
                    m_field.clear();
                    return false;
                }
                if (!m_field.isEmpty() || !m_fields.isEmpty()) return endRecord(out);
                return false;
            }
            const QChar c = m_buffer[m_pos++];
            if (m_skipLineFeed) {
                m_skipLineFeed = false;
                if (c == QLatin1Char('\n')) continue;
            }
            if (m_quoted) {
                if (c == QLatin1Char('"')) {
                    m_quoteSeen = !m_quoteSeen;
                    if (m_quoteSeen) continue;
                    append(c);  // a doubled quote
                    continue;
                }
                if (m_quoteSeen) {  // the quote before this character closed the field
                    m_quoted = false;
                    m_quoteSeen = false;
                } else {
                    if (c == QLatin1Char('\n')) ++m_line;
                    append(c);
                    continue;
                }
            }
            if (c == QLatin1Char('"') && !m_fieldStarted && m_field.trimmed().isEmpty()) {
                m_quoted = true;
                m_fieldStarted = true;
                m_field.clear();
            } else if (c == QLatin1Char(',')) {
                endField();
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                m_skipLineFeed = c == QLatin1Char('\r');
                const bool any = endRecord(out);
                ++m_line;
                m_recordLine = m_line;
                if (any) return true;
            } else {
                append(c);
            }
        }
    }

    // The line of a record whose opening quote never closed, else 0.
    int unterminatedLine() const { return m_unterminatedLine; }

private:
    bool fill() {
        const QByteArray chunk = m_in.read(kChunkBytes);
        if (chunk.isEmpty()) {
            if (m_quoted && m_quoteSeen) {  // the file ends right after a closing quote
                m_quoted = false;
                m_quoteSeen = false;
            }
            return false;
        }
        m_buffer = m_decoder.decode(chunk);
        m_pos = 0;
        return true;
    }
    void append(QChar c) {
        if (m_field.size() < kMaxFieldChars) m_field += c;
        else m_tooLong = true;
    }
    void endField() {
        if (m_fields.size() < kMaxFields) m_fields << m_field;
        else m_tooLong = true;
        m_field.clear();
        m_fieldStarted = false;
    }
    // Closes the record; true (and `out` filled) unless it was a blank line.
    bool endRecord(CsvRecord& out) {
        endField();
        const bool blank = m_fields.size() == 1 && m_fields[0].trimmed().isEmpty() && !m_tooLong;
        if (!blank) {
            out.line = m_recordLine;
            out.fields = std::move(m_fields);
            out.tooLong = m_tooLong;
        }
        m_fields = QStringList();
        m_tooLong = false;
        return !blank;
    }

    QIODevice& m_in;
    QStringDecoder m_decoder;
    QString m_buffer;
    qsizetype m_pos = 0;
    QStringList m_fields;
    QString m_field;
    bool m_quoted = false, m_quoteSeen = false, m_fieldStarted = false, m_skipLineFeed = false, m_tooLong = false;
    int m_line = 1, m_recordLine = 1, m_unterminatedLine = 0;
};

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

// A product code's fingerprint: the check pass keeps these instead of the codes.
quint64 fingerprint(const QString& code) { return quint64(qHash(code, size_t(0x5eed5eed))); }

// The refusals of one import, in line order, listing a bounded number.
class Refusals {
public:
    void add(int line, const QString& reason) {
        if (int(m_list.size()) < ImportReport::kRefusalsListed) m_list.push_back({line, reason});
        else ++m_notListed;
    }
    bool any() const { return !m_list.empty() || m_notListed > 0; }
    void into(ImportReport& report) {
        std::stable_sort(m_list.begin(), m_list.end(), [](const ImportRefusal& a, const ImportRefusal& b) { return a.line < b.line; });
        report.refused = std::move(m_list);
        report.refusedNotListed = m_notListed;
    }

private:
    std::vector<ImportRefusal> m_list;
    int m_notListed = 0;
};

// The header's meaning and the conversion of one line into the values of a product.
class Catalogue {
public:
    Catalogue(db::Connection& connection)
        : m_definition(ReferenceTables::products()),
          m_categories(connection, QStringLiteral("SELECT FLNo, FLName, FLNo FROM SPFLB"), QStringLiteral("商品分类")),
          m_units(connection, QStringLiteral("SELECT DWMC, DWBH, DWMC FROM SPDWB"), QStringLiteral("单位")),
          m_suppliers(connection, QStringLiteral("SELECT CSNO, CSNAME, CSNO FROM CSB"), QStringLiteral("供应商")),
          m_departments(connection, QStringLiteral("SELECT BMNO, BMName, BMNO FROM dept"), QStringLiteral("部门")),
          m_lookups{{QStringLiteral("SPLB"), &m_categories},
                    {QStringLiteral("SPDW"), &m_units},
                    {QStringLiteral("QSGYS"), &m_suppliers},
                    {QStringLiteral("BMNO"), &m_departments}},
          m_codeIndex(m_definition.indexOf(QStringLiteral("SPNO"))),
          m_nameIndex(m_definition.indexOf(QStringLiteral("SPNAME"))) {}

    const TableDefinition& definition() const { return m_definition; }
    int codeIndex() const { return m_codeIndex; }

    // Reads the header; false (with its refusals) when the file's columns are not usable.
    bool readHeader(const CsvRecord& header, Refusals& refusals) {
        QSet<int> seen;
        bool good = true;
        for (const QString& text : header.fields) {
            const QString name = columnForHeader(text);
            const int index = name.isEmpty() ? -1 : m_definition.indexOf(name);
            if (index < 0) {
                refusals.add(header.line, QStringLiteral("不认识的列：%1").arg(text.trimmed()));
                good = false;
            } else if (seen.contains(index)) {
                refusals.add(header.line, QStringLiteral("列重复：%1").arg(text.trimmed()));
                good = false;
            }
            seen.insert(index);
            m_target.push_back(index);
        }
        if (header.tooLong) {
            refusals.add(header.line, QStringLiteral("标题行过长"));
            good = false;
        }
        for (int required : {m_codeIndex, m_nameIndex}) {
            if (!seen.contains(required)) {
                refusals.add(header.line, QStringLiteral("缺少列：%1").arg(m_definition.columns[size_t(required)].title));
                good = false;
            }
        }
        return good;
    }

    // The product of one line, or nullopt after reporting each reason through `refuse`.
    std::optional<RecordValues> convert(const CsvRecord& record, const std::function<void(const QString&)>& refuse) const {
        if (record.tooLong) {
            refuse(QStringLiteral("这一行过长，不是商品资料"));
            return std::nullopt;
        }
        if (record.fields.size() != int(m_target.size())) {
            refuse(QStringLiteral("有 %1 列，标题行有 %2 列").arg(record.fields.size()).arg(m_target.size()));
            return std::nullopt;
        }
        RecordValues values;
        for (const Column& c : m_definition.columns) values << c.defaultValue;
        bool good = true;
        for (size_t f = 0; f < m_target.size(); ++f) {
            const Column& column = m_definition.columns[size_t(m_target[f])];
            const QString typed = record.fields[int(f)].trimmed();
            QString error;
            std::optional<QString> value;
            if (const qsizetype bad = db::firstUnfitCharacter(typed); bad >= 0) {
                error = QStringLiteral("“%1”含有不能保存的字符（%2）").arg(column.editLabel(), db::characterCode(typed, bad));
            } else if (const auto lookup = m_lookups.find(column.name); lookup != m_lookups.end()) {
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
            values[m_target[f]] = *value;
        }
        if (!good) return std::nullopt;
        if (values[m_codeIndex].isEmpty()) {
            refuse(QStringLiteral("商品编码是空的"));
            return std::nullopt;
        }
        if (values[m_nameIndex].isEmpty()) {
            refuse(QStringLiteral("商品名称是空的"));
            return std::nullopt;
        }
        return values;
    }

private:
    TableDefinition m_definition;
    CodeTable m_categories, m_units, m_suppliers, m_departments;
    std::map<QString, const CodeTable*> m_lookups;
    int m_codeIndex;
    int m_nameIndex;
    std::vector<int> m_target;  // the definition column each field of a line feeds
};

struct CodeMark {
    quint64 print;
    int line;  // 0: a product already in the table
    bool operator<(const CodeMark& o) const { return print != o.print ? print < o.print : line < o.line; }
};

const auto ignore = [](const QString&) {};

}  // namespace

QString ImportReport::text() const {
    if (ok()) return QStringLiteral("已导入 %1 个商品。").arg(imported);
    QStringList lines;
    for (const ImportRefusal& r : refused)
        lines << (r.line > 0 ? QStringLiteral("第%1行：%2").arg(r.line).arg(r.reason) : r.reason);
    if (refusedNotListed > 0) lines << QStringLiteral("……另有 %1 处错误未列出").arg(refusedNotListed);
    return lines.join(QLatin1Char('\n'));
}

ProductImport::ProductImport(db::Connection& connection, QString operatorNo)
    : m_connection(connection), m_operatorNo(std::move(operatorNo)) {}

ImportReport ProductImport::importFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ImportReport report;
        report.refused.push_back({0, QStringLiteral("不能读取文件 %1：%2").arg(path, file.errorString())});
        return report;
    }
    return importDevice(file);
}

ImportReport ProductImport::importData(const QByteArray& data) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return importDevice(buffer);
}

ImportReport ProductImport::importDevice(QIODevice& in) {
    ImportReport report;
    Refusals refusals;
    if (in.isSequential()) {
        report.refused.push_back({0, QStringLiteral("只能导入可以重复读取的文件（不能是管道）")});
        return report;
    }
    auto rewind = [&] {
        if (!in.seek(0)) throw db::Error(QStringLiteral("不能重新读取文件：%1").arg(in.errorString()));
    };
    try {
        const EncodingVerdict encoding = detectEncoding(in);
        if (!encoding.ok()) {
            refusals.add(encoding.refusal.line, encoding.refusal.reason);
            refusals.into(report);
            return report;
        }

        // The check: every line, no transaction, nothing of the file kept but code fingerprints.
        rewind();
        Catalogue catalogue(m_connection);
        std::vector<CodeMark> marks;
        {
            db::Statement s(m_connection, QStringLiteral("SELECT SPNO FROM SPB"));
            s.exec();
            while (s.next()) marks.push_back({fingerprint(s.text(0)), 0});
        }
        CsvReader reader(in, encoding.encoding);
        CsvRecord record;
        if (!reader.next(record)) {
            refusals.add(reader.unterminatedLine() > 0 ? reader.unterminatedLine() : 1,
                         reader.unterminatedLine() > 0 ? QStringLiteral("引号没有结束") : QStringLiteral("文件中没有标题行"));
            refusals.into(report);
            return report;
        }
        if (!catalogue.readHeader(record, refusals)) {
            refusals.into(report);
            return report;
        }
        qint64 lines = 0;
        while (reader.next(record)) {
            ++lines;
            const auto values = catalogue.convert(record, [&](const QString& why) { refusals.add(record.line, why); });
            if (values) marks.push_back({fingerprint(values->at(catalogue.codeIndex())), record.line});
        }
        if (reader.unterminatedLine() > 0) refusals.add(reader.unterminatedLine(), QStringLiteral("引号没有结束"));
        else if (lines == 0 && !refusals.any()) refusals.add(1, QStringLiteral("文件中没有商品"));

        // Codes met twice (or already in the table) share a fingerprint; only for those is
        // the file read again and the codes compared as text.
        std::sort(marks.begin(), marks.end());
        std::unordered_set<quint64> suspects;
        for (size_t i = 1; i < marks.size(); ++i)
            if (marks[i].print == marks[i - 1].print) suspects.insert(marks[i].print);
        if (!suspects.empty()) {
            rewind();
            CsvReader again(in, encoding.encoding);
            again.next(record);  // the header
            QHash<QString, int> firstLine;
            db::Statement existing(m_connection, QStringLiteral("SELECT 1 FROM SPB WHERE SPNO = :SPNO"));
            while (again.next(record)) {
                const auto values = catalogue.convert(record, ignore);
                if (!values) continue;
                const QString code = values->at(catalogue.codeIndex());
                if (!suspects.count(fingerprint(code))) continue;
                if (existing.bind(QStringLiteral(":SPNO"), code).first()) {
                    refusals.add(record.line, QStringLiteral("商品编码已存在：%1").arg(code));
                } else if (firstLine.contains(code)) {
                    refusals.add(record.line, QStringLiteral("商品编码 %1 与第%2行重复").arg(code).arg(firstLine.value(code)));
                } else {
                    firstLine.insert(code, record.line);
                }
                existing.query().finish();
            }
        }
        marks = std::vector<CodeMark>();
        if (refusals.any()) {
            refusals.into(report);
            return report;
        }

        // The write: the lines once more, each as it was checked, all in one transaction.
        rewind();
        CsvReader writer(in, encoding.encoding);
        writer.next(record);  // the header
        TableEditor editor(m_connection, catalogue.definition(), m_operatorNo);
        db::Transaction tx(m_connection);
        int written = 0;
        std::vector<RecordValues> batch;
        int batchLine = 0;
        // Writes what is gathered; false (and the refusal) when the database refuses it.
        auto flush = [&] {
            if (batch.empty()) return true;
            try {
                editor.insertMany(tx, batch);
            } catch (const db::Error& e) {
                // Another till may have added one of the codes meanwhile: nothing of the file stays.
                report.refused.push_back({batchLine, QStringLiteral("从这一行起的 %1 个商品之一不能写入：%2").arg(batch.size()).arg(e.message())});
                return false;
            }
            written += int(batch.size());
            batch.clear();
            return true;
        };
        while (writer.next(record)) {
            QString changed;
            const auto values = catalogue.convert(record, [&](const QString& why) { changed = why; });
            if (!values) {
                report.refused.push_back({record.line, QStringLiteral("文件在导入过程中被改动：%1").arg(changed)});
                return report;
            }
            if (batch.empty()) batchLine = record.line;
            batch.push_back(*values);
            if (batch.size() >= kRowsPerWrite && !flush()) return report;
        }
        if (!flush()) return report;
        tx.commit();
        report.imported = written;
    } catch (const db::Error& e) {
        report.refused.push_back({0, e.kind() == db::ErrorKind::Busy ? QStringLiteral("数据库忙，请稍后再试！")
                                                                     : QStringLiteral("数据库错误：%1").arg(e.message())});
        report.imported = 0;
    }
    return report;
}
