#include "reports/TfrmBaseReport.h"

#include "app/FileDialogs.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "app/PrintCanvas.h"
#include "app/SysSetIni.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "reports/ReportCatalog.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolBar>
#include <stdexcept>

namespace {

const report::Definition& definitionNamed(const QString& name) {
    const report::Definition* d = report::findDefinition(name);
    if (!d) throw std::invalid_argument("unknown report: " + name.toStdString());
    return *d;
}

// A file name from a report title: letters, digits and CJK stay, the rest becomes "_".
QString fileNameFor(const QString& title) {
    QString name = title;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\s]+")), QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("report") : name;
}

}  // namespace

TfrmBaseReport::TfrmBaseReport(const QString& name, QWidget* parent) : TfrmBaseReport(definitionNamed(name), parent) {}

TfrmBaseReport::TfrmBaseReport(report::Definition definition, QWidget* parent)
    : m_definition(std::move(definition)), m_parent(parent), m_sql(m_definition.designSql) {}

TfrmBaseReport::~TfrmBaseReport() = default;

void TfrmBaseReport::setStatement(const QString& sql, const Params& params) {
    m_sql = sql;
    m_params = params;
    close();
}

void TfrmBaseReport::setParam(const QString& name, const QVariant& value) {
    for (auto& [n, v] : m_params)
        if (n == name) {
            v = value;
            close();
            return;
        }
    m_params.emplace_back(name, value);
    close();
}

bool TfrmBaseReport::open() {
    close();
    if (m_sql.trimmed().isEmpty()) {
        reportFailure(QStringLiteral("报表数据无法打开"), QStringLiteral("没有可执行的查询，请先查询再打印。"));
        return false;
    }
    try {
        db::Connection& connection = m_connection ? *m_connection : frmBaseDataModule().Database();
        db::Statement s(connection, m_sql);
        for (const auto& [name, value] : m_params) s.bindValue(name, value);
        s.exec();
        m_data = ReportDataset::fromStatement(s);
        return true;
    } catch (const db::Error& e) {
        reportFailure(QStringLiteral("报表数据无法打开"), e.message());
        return false;
    }
}

bool TfrmBaseReport::openDocument(const QString& documentNo) {
    const QString sql = m_definition.documentSql.isEmpty() ? m_definition.designSql : m_definition.documentSql;
    setStatement(sql, {{m_definition.documentParam, documentNo}});
    return open();
}

void TfrmBaseReport::setDataset(ReportDataset data) {
    m_data = std::move(data);
    invalidate();
}

void TfrmBaseReport::close() {
    m_data.reset();
    invalidate();
}

const ReportDataset& TfrmBaseReport::dataset() const {
    static const ReportDataset closed;
    return m_data ? *m_data : closed;
}

bool TfrmBaseReport::setLabel(const QString& name, const QString& text) {
    m_labels.set(name, text);
    invalidate();
    for (const QString& known : m_definition.labelNames())
        if (known.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString TfrmBaseReport::label(const QString& name) const { return m_labels.text(name); }

bool TfrmBaseReport::ensureOpen() {
    if (m_data) return true;
    // A report on the caller's result that was never handed one prints without rows.
    if (m_definition.source == report::DataSource::CallerResult) {
        m_data = ReportDataset();
        return true;
    }
    return open();
}

void TfrmBaseReport::setPages(report::LaidOutReport pages) {
    m_data = ReportDataset();
    m_pages = std::move(pages);
}

const report::LaidOutReport& TfrmBaseReport::pages() {
    if (!m_pages) {
        if (ensureOpen()) m_pages = report::layOut(m_definition, *m_data, m_labels);
        else m_pages = report::LaidOutReport{};
    }
    return *m_pages;
}

void TfrmBaseReport::reportFailure(const QString& what, const QString& detail) const {
    messages().error(QStringLiteral("错误"), what + QStringLiteral("：\n") + detail);
}

bool TfrmBaseReport::exportPdf(const QString& path) {
    if (!ensureOpen()) return false;
    const report::LaidOutReport& laid = pages();
    try {
        PdfCanvas canvas(path);
        report::paint(laid, canvas);
        return true;
    } catch (const PrintError& e) {
        reportFailure(QStringLiteral("PDF 文件无法写入"), path + QStringLiteral("\n") + e.message());
        return false;
    }
}

bool TfrmBaseReport::print(QPrinter* printer) {
    if (!ensureOpen()) return false;
    const report::LaidOutReport& laid = pages();
    if (laid.pages.empty()) return true;
    if (!printer && !PrinterCanvas::printerAvailable()) {
        const QString folder = SysSetIni::receiptFolder();
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(
            fileNameFor(laid.jobName) + QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmmss-zzz")) +
            QStringLiteral(".pdf"));
        if (!exportPdf(path)) return false;
        m_lastFile = path;
        messages().info(QStringLiteral("信息提示"), QStringLiteral("没有安装打印机，已保存为文件：\n") + path);
        return true;
    }
    const int total = int(laid.pages.size());
    QProgressDialog progress(QStringLiteral("正在打印…"), QString(), 0, total, m_parent);
    progress.setWindowTitle(laid.jobName);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(0);
    progress.setWindowModality(Qt::WindowModal);
    try {
        PrinterCanvas canvas(printer);
        report::paint(laid, canvas, [&](int page, int pages) {
            progress.setLabelText(QStringLiteral("正在打印第 %1 页，共 %2 页").arg(page).arg(pages));
            progress.setValue(page - 1);
        });
        progress.setValue(total);
        return true;
    } catch (const PrintError& e) {
        reportFailure(QStringLiteral("打印失败"), e.message());
        return false;
    }
}

bool TfrmBaseReport::preview() {
    if (!ensureOpen()) return false;
    const report::LaidOutReport& laid = pages();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(laid.pageLayout);
    printer.setDocName(laid.jobName);
    QPrintPreviewDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("dlgPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览 - ") + laid.jobName);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&laid, this](QPrinter* target) {
        try {
            PrinterCanvas canvas(target);
            report::paint(laid, canvas);
        } catch (const PrintError& e) {
            reportFailure(QStringLiteral("打印失败"), e.message());
        }
    });
    // Shops mail documents far more often than they fax them: the preview saves a PDF too.
    if (QToolBar* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        QAction* save = bar->addAction(QStringLiteral("保存PDF"));
        save->setObjectName(QStringLiteral("actSavePdf"));
        save->setToolTip(QStringLiteral("保存为 PDF 文件 (Ctrl+S)"));
        // Reachable from the keyboard too: a till often has no mouse at hand.
        save->setShortcut(QKeySequence::Save);
        QObject::connect(save, &QAction::triggered, &dialog, [this, &dialog, &laid] {
            QFileDialog files(&dialog, QStringLiteral("保存为 PDF 文件"),
                              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                              QStringLiteral("PDF 文件 (*.pdf)"));
            files.setObjectName(QStringLiteral("dlgSavePdf"));
            listFilesByNameOnly(files);
            files.setAcceptMode(QFileDialog::AcceptSave);
            files.setDefaultSuffix(QStringLiteral("pdf"));
            files.selectFile(fileNameFor(laid.jobName) + QStringLiteral(".pdf"));
            if (modalRunner().run(files) != QDialog::Accepted || files.selectedFiles().isEmpty()) return;
            const QString path = files.selectedFiles().constFirst();
            if (exportPdf(path)) messages().info(QStringLiteral("信息提示"), QStringLiteral("已保存为：\n") + path);
        });
    }
    modalRunner().run(dialog);
    return true;
}

bool TfrmBaseReport::previewStatement(const QString& name, const QString& sql, const Params& params, const QString& title,
                                      QWidget* parent) {
    TfrmBaseReport report(name, parent);
    report.setStatement(sql, params);
    if (!title.isEmpty()) report.setLabel(QStringLiteral("lbTitle"), title);
    if (!report.open()) return false;
    return report.preview();
}
