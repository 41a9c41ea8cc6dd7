// The base of every stock document screen: header fields on top, the line-entry boxes,
// the document's lines in the grid on the left (newest on top) and the buttons on the
// right. The grid is the document: its lines are the rows from the top down to the first
// row with a blank product code; a trailing blank row is always there.
#pragma once

#include "app/TfrmBase.h"
#include "db/Money.h"
#include "db/StockDocuments.h"

#include <QList>
#include <QString>
#include <optional>

class LookupComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QVBoxLayout;
namespace db { class Connection; }

class TfrmBaseOtherInput : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmBaseOtherInput(QWidget* parent = nullptr);

    QTableWidget* sgBaseGrid() const { return m_sgBaseGrid; }
    // Lines are numbered from 1, as the sequence column shows them.
    int lineCount() const;
    QString cell(int line, int column) const;
    void setCell(int line, int column, const QString& text);

    // The sum of the column over the lines; 0 when any cell is not an amount.
    Money LineTotal(int column) const;
    // Moves every line one row down; the caller writes the new line into line 1.
    void InsertTopLine();
    void RenumberLines();

    // Handlers, public so tests and keys run them as the buttons do.
    virtual void bitNextClick();
    virtual void bitDeleteClick();
    virtual void bitSaveClick() = 0;
    virtual void bitSerchClick();
    virtual void bitPreviewClick();
    virtual void bitPrintClick() {}
    void bitCloseClick();

    // Closing with lines not saved asks first.
    void reject() override;

protected:
    // Titles the grid's columns (column 0 is the sequence) and hides the key columns.
    void setGridColumns(const QStringList& titles, const QList<int>& widths);
    // The areas derived screens fill.
    QGridLayout* headerArea() const { return m_header; }
    QGridLayout* entryArea() const { return m_entry; }
    QVBoxLayout* gridColumn() const { return m_gridColumn; }
    // The line's product on the first row of the entry area: code, name (three columns), unit.
    void placeProductRow();

    // The report the preview shows, and the number it selects.
    virtual QString reportName() const = 0;
    virtual QString previewNumber() const;
    // The screen's own lookup of the code box (its Enter handler).
    virtual void edProductNoKeyDown() = 0;

    // A control that may change only while the document has no lines: the account the
    // whole document posts to.
    void lockWhileLines(QWidget* control) { m_lockedWhileLines << control; }
    // After every change of the grid: Save is enabled only with lines, locks follow.
    void documentChanged();

    // Looks the code box up; on success fills the code (as stored), name and unit boxes
    // and remembers the product; otherwise shows `notFound` and puts the focus back on
    // the code with its text selected.
    bool lookUpProduct(const QString& notFound);
    // Whether the code box still holds the product looked up. When it does not, the line
    // is not added: the lookup runs again so the operator sees what the code now is.
    bool productStillLookedUp();
    const std::optional<db::StockProduct>& product() const { return m_product; }

    // Fills a list from a statement; false (list empty) when the statement fails.
    static bool loadList(db::Connection& connection, LookupComboBox* list, const QString& sql);
    static QLineEdit* edit(QWidget* parent, const char* name, int maxLength = 0, bool readOnly = false);
    static QLabel* caption(QWidget* parent, const QString& text);
    static LookupComboBox* lookupList(QWidget* parent, const char* name);
    static QTableWidget* dataGrid(QWidget* parent, const char* name, const QStringList& titles);
    static void focusSelected(QLineEdit* edit);

    db::StockDocuments documents();

    QLineEdit* m_edProductNo;
    QLineEdit* m_edProductName;
    QLineEdit* m_edUnit;
    QLineEdit* m_edCount;

    QPushButton* m_bitNext;
    QPushButton* m_bitDelete;
    QPushButton* m_bitSave;
    QPushButton* m_bitSerch;
    QPushButton* m_bitPreview;
    QPushButton* m_bitPrint;
    QPushButton* m_bitClose;
    bool m_saving = false;

private:
    void clearLine(int row);

    QTableWidget* m_sgBaseGrid;
    QGridLayout* m_header;
    QGridLayout* m_entry;
    QVBoxLayout* m_gridColumn;
    QList<QWidget*> m_lockedWhileLines;
    std::optional<db::StockProduct> m_product;
};
