#include "query/QueryRowSource.h"

#include "db/Connection.h"
#include "db/Dialect.h"
#include "db/Error.h"
#include "db/RowCursor.h"
#include "db/Statement.h"
#include "query/BackgroundReader.h"
#include "query/RowCounter.h"

#include <QColor>
#include <QDataStream>
#include <QIODevice>
#include <QRegularExpression>
#include <QSqlRecord>
#include <algorithm>
#include <climits>

namespace query {

namespace {

// `order` ("Order By A, B desc, ID") with every term's direction turned, so that the last rows
// come first: the exact reverse on both backends, since each puts NULLs at opposite ends for
// ascending and descending. Empty when a term is more than a column and a direction.
QString reversedOrder(const QString& order) {
    static const QRegularExpression head(QStringLiteral("^\\s*order\\s+by\\s+"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression term(QStringLiteral("^([A-Za-z_][A-Za-z0-9_.]*)(?:\\s+(asc|desc))?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch begins = head.match(order);
    if (!begins.hasMatch()) return {};
    QStringList reversed;
    for (const QString& part : order.mid(begins.capturedLength()).split(u',')) {
        const QRegularExpressionMatch m = term.match(part.trimmed());
        if (!m.hasMatch()) return {};
        const bool descending = m.captured(2).compare(QStringLiteral("desc"), Qt::CaseInsensitive) == 0;
        reversed << m.captured(1) + (descending ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    return QStringLiteral("Order By ") + reversed.join(QStringLiteral(", "));
}

}  // namespace

QueryRowSource::QueryRowSource(QueryItems items, QObject* parent)
    : QAbstractTableModel(parent), m_items(std::move(items)) {
    m_cursorIdle.setSingleShot(true);
    m_cursorIdle.setInterval(DefaultCursorIdleMs);
    connect(&m_cursorIdle, &QTimer::timeout, this, [this] { releaseCursor(); });
}

QueryRowSource::~QueryRowSource() = default;

void QueryRowSource::setPaging(int pageRows, int keptPages) {
    m_pageRows = std::max(1, pageRows);
    m_keptPages = std::max(1, keptPages);
    m_pages.clear();
    m_held.clear();
}

void QueryRowSource::setCursorIdleRelease(int ms) { m_cursorIdle.setInterval(std::max(0, ms)); }

int QueryRowSource::cancelledCounts() const { return m_counter ? m_counter->cancelledCount() : 0; }

int QueryRowSource::cancelledPageReads() const { return m_pageReader ? m_pageReader->cancelledCount() : 0; }

void QueryRowSource::close() {
    if (m_counter) m_counter->cancel();
    stopBackgroundRead();
    m_jumpFailedPage = -1;
    beginResetModel();
    m_connection = nullptr;
    releaseCursor();
    m_cursorFields.clear();
    m_cursorFailed = false;
    m_lastPage = -1;
    m_sortedStatements = 0;
    m_sortedSql.clear();
    m_pageSql.clear();
    m_reversedSql.clear();
    m_reversedPageSql.clear();
    m_values.clear();
    m_ledByLookup = false;
    m_total = 0;
    m_known = 0;
    m_pages.clear();
    m_held.clear();
    endResetModel();
}

// Whether few enough rows of the lookup table meet the filter for its lookup form to serve:
// counted with a limit, so a filter that most headers meet costs a few thousand header rows.
bool QueryRowSource::lookupServes(db::Connection& connection, const LookupSelect& lookup) const {
    if (lookup.select.isEmpty() || lookup.probe.isEmpty() || !connection.dialect().choosesLookupFormByCount()) return false;
    db::Statement count(connection, QStringLiteral("SELECT COUNT(*) FROM (") + lookup.probe
                                        + QStringLiteral(" Limit :lookupMost) q"));
    for (const auto& [name, value] : lookup.probeValues) count.bindValue(name, value);
    count.bind(QStringLiteral(":lookupMost"), qint64(m_lookupMost) + 1);
    return count.first() && count.integer(0) <= m_lookupMost;
}

void QueryRowSource::open(db::Connection& connection, const QString& plainSelect, const QString& order,
                          const QString& rowKey, const BoundValues& values, const LookupSelect& lookup) {
    close();
    m_ledByLookup = lookupServes(connection, lookup);
    const QString& select = m_ledByLookup ? lookup.select : plainSelect;
    const QString trimmedOrder = order.trimmed();
    const QString key = rowKey.trimmed();
    QString fullOrder = trimmedOrder;
    if (!key.isEmpty())
        fullOrder = (trimmedOrder.isEmpty() ? QStringLiteral("Order By ") : trimmedOrder + QStringLiteral(", ")) + key;
    beginResetModel();
    m_connection = &connection;
    m_sortedSql = select + QStringLiteral(" ") + fullOrder;
    m_pageSql = m_sortedSql + QStringLiteral(" Limit :pageRows Offset :pageStart");
    if (const QString reversed = reversedOrder(fullOrder); !reversed.isEmpty()) {
        m_reversedSql = select + QStringLiteral(" ") + reversed;
        m_reversedPageSql = m_reversedSql + QStringLiteral(" Limit :pageRows Offset :pageStart");
    }
    if (m_browsing && m_browsing->url() != connection.url()) {
        m_browsing.reset();
        m_browsingProcess = 0;
    }
    m_values = values;
    m_total = -1;
    m_known = 0;
    try {
        m_known = qint64(load(0).rows.size());
    } catch (const db::Error&) {
        endResetModel();
        close();
        throw;
    }
    // A first page that is not full is the whole answer; otherwise the count comes later.
    const bool whole = m_known < m_pageRows;
    if (whole) m_total = m_known;
    endResetModel();
    if (whole) {
        Q_EMIT totalRowsKnown(m_total);
        return;
    }
    if (!m_counter || m_counter->url() != connection.url()) {
        m_counter = std::make_unique<RowCounter>(connection.url());
        connect(m_counter.get(), &RowCounter::counted, this, &QueryRowSource::takeCount);
        connect(m_counter.get(), &RowCounter::failed, this, [this](quint64 request, const QString& message) {
            if (request == m_countRequest) Q_EMIT countFailed(message);
        });
    }
    m_countRequest = m_counter->start(select, values);
}

void QueryRowSource::takeCount(quint64 request, qint64 rows) {
    if (request != m_countRequest || !m_connection || m_total >= 0) return;
    if (rows > m_known) {
        beginInsertRows({}, int(std::min<qint64>(m_known, INT_MAX)), int(std::min<qint64>(rows, INT_MAX)) - 1);
        m_total = rows;
        endInsertRows();
    } else {
        // Rows went away between the first page and the count: show what the count says.
        stopBackgroundRead();
        beginResetModel();
        m_total = rows;
        m_pages.clear();
        m_held.clear();
        endResetModel();
    }
    Q_EMIT totalRowsKnown(m_total);
}

bool QueryRowSource::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_connection && m_total < 0;
}

// While the count is under way the grid grows a page at a time as it is scrolled.
void QueryRowSource::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    qint64 read = 0;
    try {
        read = qint64(load(m_known / m_pageRows).rows.size()) - m_known % m_pageRows;
    } catch (const db::Error&) {
        return;
    }
    if (read <= 0) return;
    beginInsertRows({}, int(m_known), int(m_known + read) - 1);
    m_known += read;
    endInsertRows();
}

const QueryRowSource::Page* QueryRowSource::loaded(qint64 number) const {
    for (auto it = m_pages.begin(); it != m_pages.end(); ++it)
        if (it->number == number) return &*it;
    return nullptr;
}

QueryRowSource::Reach QueryRowSource::reach(qint64 number) const {
    Reach r;
    r.start = number * m_pageRows;
    r.rowsHere = m_total >= 0 ? std::clamp<qint64>(m_total - r.start, 0, m_pageRows) : m_pageRows;
    r.fromEnd = !m_reversedSql.isEmpty() && m_total >= 0 ? m_total - r.start - r.rowsHere : LLONG_MAX;
    if (m_cursor) {
        const qint64 target = m_cursorReversed ? r.fromEnd : r.start;
        if (target != LLONG_MAX && target >= m_cursor->position()) r.moving = target - m_cursor->position();
    }
    return r;
}

// The same choices as load() makes, without its leaning towards the scrolling's direction.
qint64 QueryRowSource::passingToRead(qint64 number) const {
    const Reach r = reach(number);
    return std::min({r.start, r.fromEnd, r.moving});
}

// A far page is read by a statement with an OFFSET on the reader's own connection, from the
// nearer end, together with the page before it and a few after it, so that scrolling on from
// where the jump landed finds its rows at hand.
bool QueryRowSource::readsFar(qint64 number) const {
    return m_total >= 0 && number >= 0 && number * m_pageRows < m_total && number != m_jumpFailedPage
        && !loaded(number) && !m_held.count(number) && passingToRead(number) > m_backgroundPassing;
}

void QueryRowSource::readInBackground(qint64 number, bool inView) const {
    if (m_jumpPage == number) return;  // on its way
    if (inView) m_lastPage = number;
    if (!m_pageReader || m_pageReader->url() != m_connection->url()) {
        auto* self = const_cast<QueryRowSource*>(this);
        m_pageReader = std::make_unique<BackgroundReader>(
            m_connection->url(),
            [self](quint64 request, std::any rows) {
                const qint64 first = self->m_jumpFirstPage;
                self->takeBackgroundPages(request, first, std::any_cast<std::vector<Row>>(std::move(rows)));
            },
            [self](quint64 request, const QString&) {
                if (request != self->m_jumpRequest) return;
                self->m_jumpFailedPage = self->m_jumpPage;
                self->m_jumpPage = -1;
            });
    }
    constexpr qint64 kPagesBefore = 1;
    constexpr qint64 kPagesAfter = 8;
    const qint64 lastPage = (m_total - 1) / m_pageRows;
    const qint64 firstPage = std::max<qint64>(0, number - kPagesBefore);
    const qint64 start = firstPage * m_pageRows;
    const Span span = spanOf(start, std::min(m_total, (std::min(lastPage, number + kPagesAfter) + 1) * m_pageRows) - start);
    m_jumpPage = number;
    m_jumpFirstPage = firstPage;
    m_jumpRequest = m_pageReader->start([span, values = m_values, items = m_items](db::Connection& connection) -> std::any {
        return readSpan(connection, span, values, items);
    });
}

// A span near the end is read from the end in reversed order: its OFFSET passes over the
// fewer rows.
QueryRowSource::Span QueryRowSource::spanOf(qint64 start, qint64 rows) const {
    Span span{m_pageSql, rows, start, false};
    if (m_reversedPageSql.isEmpty() || m_total < 0) return span;
    const qint64 wanted = std::max<qint64>(0, std::min(rows, m_total - start));
    const qint64 afterThem = std::max<qint64>(0, m_total - start - wanted);
    if (afterThem < start) span = {m_reversedPageSql, wanted, afterThem, true};
    return span;
}

std::vector<QueryRowSource::Row> QueryRowSource::readSpan(db::Connection& connection, const Span& span,
                                                          const BoundValues& values, const QueryItems& items) {
    db::Statement s(connection, span.sql);
    for (const auto& [name, value] : values) s.bindValue(name, value);
    s.bind(QStringLiteral(":pageRows"), span.rows);
    s.bind(QStringLiteral(":pageStart"), span.skipped);
    s.exec();
    std::vector<Row> rows = rowsOf(s, items, span.rows);
    s.query().finish();
    if (span.reversed) std::reverse(rows.begin(), rows.end());
    return rows;
}

void QueryRowSource::takeBackgroundPages(quint64 request, qint64 firstPage, std::vector<Row> rows) {
    if (request != m_jumpRequest || !m_connection) return;
    const qint64 jumped = m_jumpPage;
    m_jumpPage = -1;
    const qint64 first = firstPage * m_pageRows;
    // Rows counted and read in different moments: the count is what the grid shows.
    const qint64 shown = m_total >= 0 ? m_total : m_known;
    if (rows.empty() || first >= shown) return;
    const qint64 pages = (qint64(rows.size()) + m_pageRows - 1) / m_pageRows;
    auto pageOf = [&](qint64 i) {
        Page page{firstPage + i, {}};
        const auto from = rows.begin() + i * m_pageRows;
        const auto to = rows.begin() + std::min<qint64>(qint64(rows.size()), (i + 1) * m_pageRows);
        page.rows.assign(std::make_move_iterator(from), std::make_move_iterator(to));
        return page;
    };
    // The page jumped to is kept last, so that it stays in memory.
    for (qint64 i = 0; i < pages; ++i) {
        const qint64 number = firstPage + i;
        if (number == jumped || loaded(number) || m_held.count(number)) continue;
        keep(pageOf(i));
    }
    if (jumped >= firstPage && jumped < firstPage + pages && !loaded(jumped)) keep(pageOf(jumped - firstPage));
    const qint64 last = std::min(shown, first + qint64(rows.size())) - 1;
    Q_EMIT dataChanged(index(int(first), 0), index(int(last), columnCount() - 1));
}

void QueryRowSource::stopBackgroundRead() const {
    if (m_pageReader) m_pageReader->cancel();
    m_jumpPage = -1;
}

const QueryRowSource::Page& QueryRowSource::load(qint64 number) const {
    const qint64 previous = m_lastPage;
    m_lastPage = number;
    for (auto it = m_pages.begin(); it != m_pages.end(); ++it)
        if (it->number == number) {
            if (it != m_pages.begin()) {
                Page page = std::move(*it);
                m_pages.erase(it);
                m_pages.push_front(std::move(page));
            }
            return m_pages.front();
        }
    if (const auto held = m_held.find(number); held != m_held.end()) {
        Page page{number, {}};
        QDataStream in(qUncompress(held->second));
        quint32 count = 0;
        in >> count;
        page.rows.resize(count);
        for (Row& row : page.rows) in >> row;
        keep(std::move(page));
        return m_pages.front();
    }
    const auto [start, rowsHere, fromEnd, moving] = reach(number);
    // The first page is the query's answer: a sort that keeps only its first rows gives it
    // soonest. Further pages come from a cursor that reads the result in order once (sorting
    // it first where no index serves the order). A page not reached yet is reached by whichever
    // passes over fewer rows: moving the open cursor on, or a new cursor begun at the page,
    // from the top or, once the count is known, from the end in reversed order; so the last
    // page costs what the first does, and scrolling up from it reads on the reversed cursor.
    qint64 openingFromTop = start > 0 ? start : LLONG_MAX;
    qint64 openingFromEnd = start > 0 ? fromEnd : LLONG_MAX;
    // Scrolling on, a cursor that reads in the scrolling's direction serves the pages to come;
    // one that reads against it would be begun anew for each of them.
    constexpr qint64 kPagesAhead = 10;
    auto againEachPage = [](qint64 rows) { return rows == LLONG_MAX ? rows : rows * kPagesAhead; };
    if (number == previous + 1) openingFromEnd = againEachPage(openingFromEnd);
    else if (number == previous - 1) openingFromTop = againEachPage(openingFromTop);
    // After a jump one reads on down more often than up: from the end only for the last third.
    else if (openingFromEnd != LLONG_MAX) openingFromEnd *= 2;
    std::vector<Row> rows;
    if (m_cursorFailed || std::min({moving, openingFromTop, openingFromEnd}) == LLONG_MAX) {
        rows = readAgain(start);
    } else {
        try {
            if (moving > std::min(openingFromTop, openingFromEnd)) {
                const bool reversed = openingFromEnd < openingFromTop;
                openCursor(reversed, reversed ? fromEnd : start);
            }
            rows = readFromCursor(m_cursorReversed ? fromEnd : start, m_cursorReversed ? rowsHere : m_pageRows);
        } catch (const db::Error&) {
            // A cursor that failed half-way is in no known place: later pages use their own statements.
            m_cursorFailed = true;
            releaseCursor();
            m_browsing.reset();  // it may have been the connection that failed
            m_browsingProcess = 0;
            throw;
        }
        m_cursorIdle.start();
    }
    keep(Page{number, std::move(rows)});
    return m_pages.front();
}

void QueryRowSource::openCursor(bool fromEnd, qint64 passed) const {
    releaseCursor();  // one cursor, and on PostgreSQL one transaction, at a time
    db::Connection* on = m_connection;
    if (m_connection->backend() == db::Backend::Postgres) {
        if (!m_browsing) {
            auto browsing = std::make_unique<db::Connection>(m_connection->url());
            browsing->open();
            // Should this program stop turning its events (and with them the idle release), the
            // server still ends a snapshot left idle this long.
            browsing->execute(QStringLiteral("SET idle_in_transaction_session_timeout = '10min'"));
            // A cursor is planned for its whole result, whose cost sets off JIT compilation:
            // about half a second before the first row, for rows wanted a page at a time.
            browsing->execute(QStringLiteral("SET jit = off"));
            db::Statement process(*browsing, QStringLiteral("SELECT pg_backend_pid()"));
            m_browsingProcess = process.first() ? process.value(0).toLongLong() : 0;
            m_browsing = std::move(browsing);
        }
        on = m_browsing.get();
    }
    ++m_sortedStatements;
    m_cursor = db::RowCursor::openBrowsing(*on, fromEnd ? m_reversedSql : m_sortedSql, m_values, passed);
    m_cursorReversed = fromEnd;
    m_cursorFields = fieldsOf(m_cursor->columns());
}

void QueryRowSource::releaseCursor() const {
    m_cursorIdle.stop();
    m_cursor.reset();
}

void QueryRowSource::keep(Page page) const {
    m_pages.push_front(std::move(page));
    while (int(m_pages.size()) > m_keptPages) {
        const Page& leaving = m_pages.back();
        if (!m_held.count(leaving.number)) {
            QByteArray packed;
            QDataStream out(&packed, QIODevice::WriteOnly);
            out << quint32(leaving.rows.size());
            for (const Row& row : leaving.rows) out << row;
            m_held.emplace(leaving.number, qCompress(packed, 1));
        }
        m_pages.pop_back();
    }
}

std::vector<int> QueryRowSource::fieldsOf(const QueryItems& items, const QStringList& resultColumns) {
    std::vector<int> fields;
    for (const QueryItem& item : items) {
        int field = -1;
        for (int f = 0; f < resultColumns.size(); ++f)
            if (resultColumns[f].compare(item.column, Qt::CaseInsensitive) == 0) field = f;
        fields.push_back(field);
    }
    return fields;
}

std::vector<QueryRowSource::Row> QueryRowSource::readFromCursor(qint64 passed, qint64 count) const {
    m_cursor->skip(passed - m_cursor->position());
    std::vector<Row> rows;
    rows.reserve(size_t(count));
    for (const db::RowCursor::Row& all : m_cursor->fetch(int(count))) {
        Row row(int(m_cursorFields.size()));
        for (size_t c = 0; c < m_cursorFields.size(); ++c)
            if (m_cursorFields[c] >= 0) row[int(c)] = all[m_cursorFields[c]];
        rows.push_back(std::move(row));
    }
    if (m_cursorReversed) std::reverse(rows.begin(), rows.end());
    return rows;
}

std::vector<QueryRowSource::Row> QueryRowSource::readAgain(qint64 start) const {
    ++m_sortedStatements;
    // While a PostgreSQL cursor is open, its connection reads the page in the cursor's
    // snapshot, so the page agrees with the rows around it.
    const bool beside = m_cursor && m_browsing;
    try {
        return readSpan(beside ? *m_browsing : *m_connection, spanOf(start, m_pageRows), m_values, m_items);
    } catch (const db::Error&) {
        if (beside) releaseCursor();  // the error has aborted the cursor's transaction
        throw;
    }
}

std::vector<QueryRowSource::Row> QueryRowSource::rowsOf(db::Statement& s, const QueryItems& items, qint64 expected) {
    const QSqlRecord record = s.query().record();
    QStringList names;
    for (int f = 0; f < record.count(); ++f) names << record.fieldName(f);
    const std::vector<int> fields = fieldsOf(items, names);
    std::vector<Row> rows;
    rows.reserve(size_t(expected));
    while (s.next()) {
        Row row(int(fields.size()));
        for (size_t c = 0; c < fields.size(); ++c)
            if (fields[c] >= 0) row[int(c)] = s.value(fields[c]);
        rows.push_back(std::move(row));
    }
    return rows;
}

const QueryRowSource::Row* QueryRowSource::rowAt(qint64 row, bool painting) const {
    if (!m_connection || row < 0 || row >= (m_total >= 0 ? m_total : m_known)) return nullptr;
    const qint64 number = row / m_pageRows;
    if (painting && readsFar(number)) {
        readInBackground(number);
        return nullptr;
    }
    try {
        const Page& page = load(number);
        // Scrolling down through pages read in the background: the pages further down are
        // read before they come into view.
        constexpr qint64 kPagesAhead = 2;
        if (painting && m_jumpPage < 0 && readsFar(number + kPagesAhead)) readInBackground(number + kPagesAhead, false);
        const qint64 offset = row % m_pageRows;
        return offset < qint64(page.rows.size()) ? &page.rows[size_t(offset)] : nullptr;
    } catch (const db::Error&) {
        // Painting cannot show a message; the cell stays empty and the next paint retries.
        return nullptr;
    }
}

QVariant QueryRowSource::value(int row, int column) const {
    if (column < 0 || column >= int(m_items.size())) return {};
    const Row* r = rowAt(row);
    return r ? (*r)[column] : QVariant();
}

int QueryRowSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(std::min<qint64>(m_total >= 0 ? m_total : m_known, INT_MAX));
}

int QueryRowSource::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_items.size()); }

QVariant QueryRowSource::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const QueryItem& column = m_items[size_t(index.column())];
    if (role == Qt::DisplayRole) {
        const Row* row = rowAt(index.row(), true);
        return displayText(column, row ? (*row)[index.column()] : QVariant());
    }
    if (role == Qt::TextAlignmentRole) {
        const bool right = column.kind == ColumnKind::Amount || column.kind == ColumnKind::Float
                        || column.kind == ColumnKind::Integer;
        return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    return {};
}

QVariant QueryRowSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < int(m_items.size())) {
        if (role == Qt::DisplayRole) return m_items[size_t(section)].shownTitle();
        if (role == Qt::ForegroundRole) return QColor(Qt::darkBlue);  // titles in navy
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace query
