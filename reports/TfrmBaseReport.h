// Printing a report: the one way every screen prints a document or a list.
//
//     TfrmBaseReport rep(QStringLiteral("TfrmRepBS"), this);   // a name of report::definitionNames()
//     // 1. The rows, one of:
//     rep.openDocument(no);                                    // document screens: one document by its number
//     rep.setStatement(printSql, {{":name", value}});          // query screens: PrintSQL and its bound values
//     rep.setParam(":NO", no);                                 // the report's own statement with its parameters
//     rep.setDataset(ReportDataset::fromQuery(query));         // a result the screen already holds
//     // 2. The captions the caller knows:
//     rep.setLabel(QStringLiteral("lbTitle"), title);          // names compare case-insensitively
//     // 3. The output:
//     rep.preview();      // modal preview (through modalRunner()); its tool bar also saves a PDF
//     rep.print();        // straight to the printer with a progress window
//     rep.exportPdf(path);
//
// Reports on their own statement open it (on frmBaseDataModule().Database() unless
// setConnection() names another) when an output is asked for and nothing was opened yet.
// A statement that cannot be run is reported through messages() and the output returns
// false without showing anything. The object owns everything it made: keep it on the
// stack (or in a unique_ptr) and it is freed also when a step fails.
//
// One-call shortcut for the query screens: TfrmBaseReport::previewStatement(name, sql, params, title, parent).
#pragma once

#include "reports/ReportDataset.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportLayout.h"

#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

class QPrinter;
class QWidget;
namespace db { class Connection; }

class TfrmBaseReport {
public:
    using Params = std::vector<std::pair<QString, QVariant>>;

    // Throws std::invalid_argument for a name that is not in the catalogue (a programming error).
    explicit TfrmBaseReport(const QString& name, QWidget* parent = nullptr);
    // A report built at run time.
    explicit TfrmBaseReport(report::Definition definition, QWidget* parent = nullptr);
    ~TfrmBaseReport();
    TfrmBaseReport(const TfrmBaseReport&) = delete;
    TfrmBaseReport& operator=(const TfrmBaseReport&) = delete;

    const report::Definition& definition() const { return m_definition; }

    // ---- the rows ----
    void setConnection(db::Connection& connection) { m_connection = &connection; }
    // Replaces the report's statement (and forgets earlier parameters and rows).
    void setStatement(const QString& sql, const Params& params = {});
    // A bound value (QString, int, qint64, double, bool, QDate, QDateTime, Money; null binds NULL).
    void setParam(const QString& name, const QVariant& value);
    // Runs the statement; false (after reporting the error) when it cannot be run.
    bool open();
    // The document statement of a document report bound to the document number, opened.
    bool openDocument(const QString& documentNo);
    // Rows the caller already holds; a default-constructed dataset is a closed result (no rows).
    void setDataset(ReportDataset data);
    // Pages the caller laid out itself (a report built page by page, each page over its
    // own rows); the outputs then print exactly these pages as one job.
    void setPages(report::LaidOutReport pages);
    // Closes the rows (the report can be opened again).
    void close();
    bool isOpen() const { return m_data.has_value(); }
    const ReportDataset& dataset() const;

    // ---- captions ----
    // False when the report has no such label (the text is kept anyway).
    bool setLabel(const QString& name, const QString& text);
    QString label(const QString& name) const;

    // ---- output ----
    // The pages as laid out for the current rows and labels (opens the rows when needed;
    // empty when they cannot be opened).
    const report::LaidOutReport& pages();
    bool preview();
    // On `printer`, or the system's default printer. Where the machine has no printer at
    // all, the report is written as a PDF into the receipt folder and the operator told where.
    bool print(QPrinter* printer = nullptr);
    bool exportPdf(const QString& path);
    // The PDF written by the last print() on a machine without a printer.
    const QString& lastFile() const { return m_lastFile; }

    // Creates the report, runs `sql` with `params`, sets the title (when not empty),
    // previews it and frees it. False when nothing was shown.
    static bool previewStatement(const QString& name, const QString& sql, const Params& params, const QString& title,
                                 QWidget* parent = nullptr);

private:
    bool ensureOpen();
    void invalidate() { m_pages.reset(); }
    void reportFailure(const QString& what, const QString& detail) const;

    report::Definition m_definition;
    QWidget* m_parent;
    db::Connection* m_connection = nullptr;
    QString m_sql;
    Params m_params;
    std::optional<ReportDataset> m_data;
    report::LabelTexts m_labels;
    std::optional<report::LaidOutReport> m_pages;
    QString m_lastFile;
};
