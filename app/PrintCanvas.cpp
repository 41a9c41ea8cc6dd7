#include "app/PrintCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace {
// Font metrics are taken at a fixed resolution and converted to millimetres, so every
// canvas (and the recorder in tests) lays out the same way.
constexpr double kMetricDpi = 1200.0;

QFont atMetricResolution(const QFont& font) {
    QFont f = font;
    const double pt = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    f.setPixelSize(std::max(1, int(pt * kMetricDpi / 72.0 + 0.5)));
    return f;
}
double pxToMm(double px) { return px * 25.4 / kMetricDpi; }
}  // namespace

double PrintCanvas::textWidth(const QString& text) const {
    return pxToMm(QFontMetricsF(atMetricResolution(m_font)).horizontalAdvance(text));
}

double PrintCanvas::lineHeight() const { return pxToMm(QFontMetricsF(atMetricResolution(m_font)).height()); }

// ---- painter-based canvases ----

void PainterCanvas::beginOn(QPagedPaintDevice* device, const QPageLayout& layout) {
    m_device = device;
    m_device->setPageLayout(layout);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_device)) {
        m_painter.reset();
        throw PrintError(QStringLiteral("打印设备无法打开"));
    }
    // Origin at the top-left of the printable area; millimetres to device units.
    m_scale = m_device->logicalDpiX() / 25.4;
    m_painter->setRenderHint(QPainter::Antialiasing, true);
    m_painter->setRenderHint(QPainter::TextAntialiasing, true);
    setFont(m_font);
}

void PainterCanvas::newPage() {
    if (!m_device->newPage()) throw PrintError(QStringLiteral("打印设备无法换页"));
}

void PainterCanvas::setFont(const QFont& font) {
    m_font = font;
    if (!m_painter) return;
    QFont f = font;
    const double pt = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    f.setPixelSize(std::max(1, int(pt / 72.0 * 25.4 * m_scale + 0.5)));
    m_painter->setFont(f);
}

void PainterCanvas::drawText(const QPointF& topLeft, const QString& text) {
    const QFontMetricsF fm(m_painter->font());
    m_painter->drawText(QPointF(topLeft.x() * m_scale, topLeft.y() * m_scale + fm.ascent()), text);
}

void PainterCanvas::drawText(const QRectF& box, int alignment, const QString& text) {
    const QRectF r(box.x() * m_scale, box.y() * m_scale, box.width() * m_scale, box.height() * m_scale);
    m_painter->save();
    m_painter->setClipRect(r);
    m_painter->drawText(r, alignment, text);
    m_painter->restore();
}

void PainterCanvas::drawRect(const QRectF& box) {
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, 0.2 * m_scale));
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(QRectF(box.x() * m_scale, box.y() * m_scale, box.width() * m_scale, box.height() * m_scale));
}

void PainterCanvas::drawLine(const QPointF& from, const QPointF& to) {
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, 0.2 * m_scale));
    m_painter->setPen(pen);
    m_painter->drawLine(from * m_scale, to * m_scale);
}

void PainterCanvas::end() {
    if (m_painter && !m_painter->end()) {
        m_painter.reset();
        throw PrintError(QStringLiteral("打印输出未能完成"));
    }
    m_painter.reset();
}

PdfCanvas::~PdfCanvas() {
    if (m_painter) m_painter->end();
}

void PdfCanvas::begin(const QString& jobName, const QPageLayout& layout) {
    auto writer = std::make_unique<QPdfWriter>(m_path);
    writer->setTitle(jobName);
    writer->setCreator(QStringLiteral("pos"));
    writer->setResolution(600);
    m_writer = std::move(writer);
    beginOn(m_writer.get(), layout);
}

void PdfCanvas::end() {
    PainterCanvas::end();
    m_writer.reset();
}

PrinterCanvas::PrinterCanvas(QPrinter* printer) : m_printer(printer) {
    if (!m_printer) {
        m_own = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer = m_own.get();
    }
}

PrinterCanvas::~PrinterCanvas() {
    if (m_painter) m_painter->end();
}

void PrinterCanvas::begin(const QString& jobName, const QPageLayout& layout) {
    m_printer->setDocName(jobName);
    beginOn(m_printer, layout);
}

bool PrinterCanvas::printerAvailable() { return !QPrinterInfo::availablePrinters().isEmpty(); }

// ---- recorder ----

void RecordingCanvas::begin(const QString& name, const QPageLayout& pageLayout) {
    jobName = name;
    layout = pageLayout;
    pages = 1;
    ops.clear();
    ended = false;
}

void RecordingCanvas::newPage() { ++pages; }

void RecordingCanvas::setFont(const QFont& font) { m_font = font; }

void RecordingCanvas::drawText(const QPointF& topLeft, const QString& text) {
    const QRectF box(topLeft, QSizeF(textWidth(text), lineHeight()));
    ops.push_back({Op::Text, pages, box, 0, text, m_font.family(), m_font.pointSizeF(), m_font.bold(), box});
}

void RecordingCanvas::drawText(const QRectF& box, int alignment, const QString& text) {
    // As the painter canvases place it; clipped to the box.
    const double width = std::min(textWidth(text), box.width());
    double left = box.left();
    if (alignment & Qt::AlignRight) left = box.right() - width;
    else if (alignment & Qt::AlignHCenter) left = box.center().x() - width / 2;
    ops.push_back({Op::BoxText, pages, box, alignment, text, m_font.family(), m_font.pointSizeF(), m_font.bold(),
                   QRectF(left, box.top(), width, box.height())});
}

void RecordingCanvas::drawRect(const QRectF& box) { ops.push_back({Op::Rect, pages, box, 0, {}, {}, 0, false}); }

void RecordingCanvas::drawLine(const QPointF& from, const QPointF& to) {
    ops.push_back({Op::Line, pages, QRectF(from, to), 0, {}, {}, 0, false});
}

void RecordingCanvas::end() { ended = true; }

QStringList RecordingCanvas::texts() const {
    QStringList out;
    for (const Op& op : ops)
        if (op.kind == Op::Text || op.kind == Op::BoxText) out << op.text;
    return out;
}

QStringList RecordingCanvas::pageTexts(int page) const {
    std::vector<const Op*> onPage;
    for (const Op& op : ops)
        if ((op.kind == Op::Text || op.kind == Op::BoxText) && op.page == page) onPage.push_back(&op);
    std::stable_sort(onPage.begin(), onPage.end(), [](const Op* a, const Op* b) {
        if (std::abs(a->box.top() - b->box.top()) > 0.5) return a->box.top() < b->box.top();
        return a->box.left() < b->box.left();
    });
    QStringList out;
    for (const Op* op : onPage) out << op->text;
    return out;
}

void installFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")});
    // 黑体 sets Latin characters at exactly half the width of a Chinese one, which the till
    // receipt's space-padded columns rely on: the monospaced face keeps that.
    QFont::insertSubstitutions(QStringLiteral("黑体"), {QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                                                      QStringLiteral("WenQuanYi Zen Hei")});
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"), {QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")});
    QFont::insertSubstitutions(QStringLiteral("楷体"), {QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")});
    // No clerical-script face is packaged; the brush-like Kai face is the closest in character.
    QFont::insertSubstitutions(QStringLiteral("隶书"), {QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")});
}
