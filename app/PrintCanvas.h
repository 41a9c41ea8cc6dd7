// Printing goes through one canvas: the system printer, a PDF file, or a recorder that
// keeps every text drawn (tests). Positions and sizes are millimetres on the page, so a
// layout looks the same at any printer resolution; fonts are in points.
#pragma once

#include <QFont>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

#include <QPagedPaintDevice>
#include <QPainter>
class QPrinter;

class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;

    // Starts a job; throws PrintError when the device cannot be opened.
    virtual void begin(const QString& jobName, const QPageLayout& layout) = 0;
    virtual void newPage() = 0;
    virtual void setFont(const QFont& font) = 0;
    // Text with its top-left corner at `topLeft`.
    virtual void drawText(const QPointF& topLeft, const QString& text) = 0;
    // Text aligned (Qt::Alignment flags) inside a box, clipped to it.
    virtual void drawText(const QRectF& box, int alignment, const QString& text) = 0;
    virtual void drawRect(const QRectF& box) = 0;
    virtual void drawLine(const QPointF& from, const QPointF& to) = 0;
    // Ends the job; throws PrintError when the output could not be finished.
    virtual void end() = 0;

    // Metrics of the current font, the same on every canvas.
    double textWidth(const QString& text) const;
    double lineHeight() const;
    const QFont& font() const { return m_font; }

protected:
    QFont m_font;
};

// Shared by the printer and PDF canvases: millimetres mapped onto a QPainter device.
class PainterCanvas : public PrintCanvas {
public:
    void newPage() override;
    void setFont(const QFont& font) override;
    void drawText(const QPointF& topLeft, const QString& text) override;
    void drawText(const QRectF& box, int alignment, const QString& text) override;
    void drawRect(const QRectF& box) override;
    void drawLine(const QPointF& from, const QPointF& to) override;
    void end() override;

protected:
    void beginOn(QPagedPaintDevice* device, const QPageLayout& layout);
    QPagedPaintDevice* m_device = nullptr;
    std::unique_ptr<QPainter> m_painter;
    double m_scale = 1;  // device units per millimetre
};

class PdfCanvas : public PainterCanvas {
public:
    explicit PdfCanvas(QString path) : m_path(std::move(path)) {}
    ~PdfCanvas() override;
    void begin(const QString& jobName, const QPageLayout& layout) override;
    void end() override;
    const QString& path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QPagedPaintDevice> m_writer;
};

// On a printer the caller configured (or the system default when none is given).
class PrinterCanvas : public PainterCanvas {
public:
    explicit PrinterCanvas(QPrinter* printer = nullptr);
    ~PrinterCanvas() override;
    void begin(const QString& jobName, const QPageLayout& layout) override;
    // Whether the machine has any printer at all.
    static bool printerAvailable();

private:
    QPrinter* m_printer;
    std::unique_ptr<QPrinter> m_own;
};

// Keeps every drawing operation with page, font and position.
class RecordingCanvas : public PrintCanvas {
public:
    struct Op {
        enum Kind { Text, BoxText, Rect, Line } kind;
        int page;
        QRectF box;        // Text: topLeft in box.topLeft(); Line: from/to as the box corners
        int alignment = 0;
        QString text;
        QString fontFamily;
        double pointSize = 0;
        bool bold = false;
        QRectF drawn;      // texts: where the text itself lands (its width, aligned in the box)
    };

    void begin(const QString& jobName, const QPageLayout& layout) override;
    void newPage() override;
    void setFont(const QFont& font) override;
    void drawText(const QPointF& topLeft, const QString& text) override;
    void drawText(const QRectF& box, int alignment, const QString& text) override;
    void drawRect(const QRectF& box) override;
    void drawLine(const QPointF& from, const QPointF& to) override;
    void end() override;

    std::vector<Op> ops;
    QString jobName;
    QPageLayout layout;
    int pages = 0;
    bool ended = false;

    QStringList texts() const;
    // Texts in reading order of one page (top to bottom, left to right).
    QStringList pageTexts(int page) const;
};

// Maps the font names the layouts use (宋体, 黑体, 楷体_GB2312, 隶书) to installed CJK faces.
void installFontSubstitutions();
