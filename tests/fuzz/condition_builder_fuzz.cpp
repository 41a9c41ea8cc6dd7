// The condition builder driven by arbitrary operator input. Whatever is typed, a filter the
// builder hands out must hold only the screen's column names, the eight operators, brackets,
// connectives, placeholders and the LIKE escape, with one bound value per placeholder, and
// it must run: each one is prepared and stepped on an in-memory SQLite table. Its lookup form
// (the product name looked up in a table of the names) must count the same rows, and its
// probe must run too.
#include "query/ConditionBuilder.h"

#include "db/Money.h"

#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>
#include <sqlite3.h>

using namespace query;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

QueryItems items() {
    QueryItem name = textItem(QStringLiteral("商品名称"), QStringLiteral("SPNAME"), 40);
    name.lookupTable = QStringLiteral("L");
    return {name, floatItem(QStringLiteral("数量"), QStringLiteral("SL")),
            amountItem(QStringLiteral("金额"), QStringLiteral("JE")), integerItem(QStringLiteral("折扣"), QStringLiteral("ZKL")),
            booleanItem(QStringLiteral("销售方式"), QStringLiteral("XSFS")), dateItem(QStringLiteral("操作日期"), QStringLiteral("CZRQ"))};
}

sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        sqlite3_exec(d,
                     "CREATE TABLE V(SPNAME TEXT, SL REAL, JE NUMERIC, ZKL INTEGER, XSFS SMALLINT, CZRQ TEXT);"
                     "INSERT INTO V VALUES('满50%减5', 2.5, 10.5, 90, 1, '2005-01-31'), ('A_B!C', 1, 0, 100, 0, '2005-02-01');"
                     "CREATE TABLE L(SPNAME TEXT PRIMARY KEY); INSERT INTO L SELECT DISTINCT SPNAME FROM V;",
                     nullptr, nullptr, nullptr);
        return d;
    }();
    return db;
}

// Only what the builder itself writes may appear between the placeholders.
bool onlyOwnWords(const QString& whereText) {
    static const QRegularExpression token(QStringLiteral(
        "\\s+|\\(|\\)|:c\\d+|escape '!'|not like|like|<>|>=|<=|=|>|<|and|or|SPNAME|SL|JE|ZKL|XSFS|CZRQ"));
    qsizetype at = 0;
    while (at < whereText.size()) {
        const QRegularExpressionMatch m = token.match(whereText, at, QRegularExpression::NormalMatch,
                                                      QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch() || m.capturedLength() == 0) return false;
        at += m.capturedLength();
    }
    return true;
}

sqlite3_int64 count(const QString& statement, const BoundValues& values) {
    const QByteArray sql = statement.toUtf8();
    sqlite3_stmt* s = nullptr;
    require(sqlite3_prepare_v2(database(), sql.constData(), int(sql.size()), &s, nullptr) == SQLITE_OK);
    for (const auto& [name, value] : values) {
        const int index = sqlite3_bind_parameter_index(s, name.toUtf8().constData());
        require(index > 0);
        if (value.typeId() == qMetaTypeId<Money>()) {
            sqlite3_bind_double(s, index, value.value<Money>().toDouble());
        } else if (value.typeId() == QMetaType::Double) {
            sqlite3_bind_double(s, index, value.toDouble());
        } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
            sqlite3_bind_int64(s, index, value.toLongLong());
        } else {
            const QByteArray text = value.toString().toUtf8();
            require(!text.contains('\0'));
            sqlite3_bind_text(s, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    require(sqlite3_step(s) == SQLITE_ROW);
    const sqlite3_int64 rows = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return rows;
}

void runs(const Filter& filter) {
    require(onlyOwnWords(filter.whereText));
    require(filter.whereText.count(QStringLiteral(":c")) == qsizetype(filter.values.size()));
    const sqlite3_int64 rows = count(QStringLiteral("SELECT count(*) FROM V WHERE ") + filter.whereText, filter.values);
    if (filter.lookup.isEmpty()) return;
    static const QString subSelect = QStringLiteral("SPNAME IN (SELECT SPNAME FROM L WHERE ");
    QString plain = filter.lookup.whereText;
    for (qsizetype at = plain.indexOf(subSelect); at >= 0; at = plain.indexOf(subSelect)) {
        const qsizetype close = plain.indexOf(u')', at + subSelect.size());
        require(close > at);
        plain.remove(close, 1).remove(at, subSelect.size());
    }
    require(plain == filter.whereText);  // only the conditions on the name are written otherwise
    require(count(QStringLiteral("SELECT count(*) FROM V WHERE ") + filter.lookup.whereText, filter.values) == rows);
    require(count(QStringLiteral("SELECT count(*) FROM (") + filter.lookup.probe + QStringLiteral(")"),
                  filter.lookup.probeValues) >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QueryItems list = items();
    ConditionBuilder b(list);
    const QStringList titles = b.itemTitles();
    // Records separated by 0xFF: an opcode byte, then the content text. The opcode picks the
    // item, the comparison and the connective (or a typed text instead of a choice).
    size_t at = 0;
    while (at < size) {
        size_t end = at;
        while (end < size && data[end] != 0xFF) ++end;
        const uint8_t op = data[at];
        const QString content = QString::fromUtf8(reinterpret_cast<const char*>(data) + at + (end > at ? 1 : 0),
                                                  qsizetype(end > at ? end - at - 1 : 0));
        const int pick = op & 7;
        const QString item = pick < titles.size() ? titles[pick] : (pick == 6 ? QString() : content);
        const QString comparison = ConditionBuilder::comparisonTitles().value((op >> 3) & 7);
        const QString connective = (op & 0x40) ? ConditionBuilder::connectiveTitles().value((op >> 7) & 1) : content;
        if (op & 0x80 && op & 0x40) {
            if (b.finish(item, comparison, content) == ConditionBuilder::Outcome::Done) runs(b.filter());
        } else {
            b.commit(item, comparison, content, connective);
        }
        at = end + 1;
    }
    if (b.finish(titles[0], ConditionBuilder::comparisonTitles()[6], QStringLiteral("x")) == ConditionBuilder::Outcome::Done)
        runs(b.filter());
    return 0;
}
