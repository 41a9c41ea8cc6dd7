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
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

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
    // Every document's line begins with its product code; a line without one ends the lines.
    static constexpr int kCodeColumn = 1;
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

    // A control with its caption in the column before it; a field without a caption
    // starts in the caption's column.
    struct Field {
        QString caption;
        QWidget* control;
        int span = 1;
    };
    // Lays the fields out along one row of an area, from `column` on.
    void placeRow(QGridLayout* area, int row, std::initializer_list<Field> fields, int column = 0);
    // The line's product on the first row of the entry area: code, name (three columns), unit.
    void placeProductRow();
    // The head and entry rows of a return, whose lines come back from what one account
    // (a supplier, a client) took before: the account, the store and the total panel on
    // top; the code, name and unit, then the price, quantity and what may still come back.
    void placeReturnFields(const QString& accountCaption, LookupComboBox* account, LookupComboBox* store, QLabel* total,
                           QLineEdit* price, QLineEdit* returnable);
    // The list a line's source is chosen from (batches, sale lines), under the lines:
    // a double click or Enter on a row chooses it.
    void placeChoiceList(QTableWidget* list, std::function<void()> choose);
    // What the choice list offers belongs to the account it was listed for: when the
    // account changes, the list and the source taken from it are emptied, so a line cannot
    // take one account's batch or sale under another.
    void emptyChoiceOnChange(LookupComboBox* account, QTableWidget* list, std::initializer_list<QLineEdit*> taken);
    // The order Enter and Tab follow; the document starts at its head, the first of them.
    void setEntryOrder(std::initializer_list<QWidget*> order);

    // The document's total, the sum of the amount column, shown after every change of the
    // lines: in the screen's own box, or in the panel pnTotalMoney this creates.
    void showTotalIn(QLineEdit* box, int amountColumn);
    QLabel* totalPanel(int amountColumn);
    void showTotal();

    // The report the preview shows, and the number it selects.
    virtual QString reportName() const = 0;
    virtual QString previewNumber() const;
    // The screen's own lookup of the code box (its Enter handler).
    virtual void edProductNoKeyDown() = 0;
    // Leaving the quantity box adds the line.
    virtual void edCountExit() = 0;

    // A control that may change only while the document has no lines: the account the
    // whole document posts to.
    void lockWhileLines(QWidget* control) { m_lockedWhileLines << control; }
    // After every change of the grid: Save is enabled only with lines, locks follow, the
    // total is shown again.
    void documentChanged();

    // Looks the code box up; on success fills the code (as stored), name and unit boxes
    // and remembers the product; otherwise shows `notFound` and puts the focus back on
    // the code with its text selected.
    bool lookUpProduct(const QString& notFound);
    // Whether the code box still holds the product looked up. When it does not, the line
    // is not added: the lookup runs again so the operator sees what the code now is.
    bool productStillLookedUp();
    const std::optional<db::StockProduct>& product() const { return m_product; }

    // The checks before a line is added. Each refuses with its message and puts the focus
    // where the operator mends it.
    // Whether the list has a choice; otherwise `missing`.
    bool chosen(LookupComboBox* list, const QString& missing);
    // Whether a store is chosen; otherwise "数据不全，请重新选择仓库！".
    bool storeChosen(LookupComboBox* store);
    // The quantity keyed, when it is a positive number; otherwise "数据非法，请重新录入！".
    std::optional<double> keyedQuantity();
    // The same, and no more than the quantity `available` shows; more is refused with
    // `tooMuch`, equal is accepted.
    std::optional<double> keyedQuantityWithin(const QLineEdit* available, const QString& tooMuch);

    // Whether the line's amount, `price` × `quantity` (added to `mergeLine`'s quantity when
    // it merges there), and the document's total with it stay within
    // kLargestSaleAmountYuan; otherwise the line is refused with the quantity selected.
    // Computed before any Money arithmetic, so an absurd line is refused, not overflowed.
    bool amountFits(Money price, double quantity, int mergeLine, int quantityColumn);

    // A line's cells to match: column and text.
    using Match = std::initializer_list<std::pair<int, QString>>;
    // The first line whose cells hold these texts, or 0.
    int lineOf(Match match) const;
    // What the lines whose cells hold these texts already take: the sum of their quantities.
    double quantityInLines(int quantityColumn, Match match) const;
    // Takes the batch chosen in a batch list into the line's boxes: its price, its number,
    // and in `left` what is left of it less what the lines already take of it (lines of the
    // same product and batch); then the quantity is keyed.
    void takeChosenBatch(const QTableWidget* list, QLineEdit* price, QLineEdit* batchNo, QLineEdit* left,
                         int quantityColumn, int batchColumn);
    // Adds the quantity to the line's and returns the line's new quantity.
    double addToLine(int line, int quantityColumn, double quantity);
    // Writes a new line 1 from column 1 on, above the others.
    void addTopLine(const QStringList& cells);
    // After a line is added or merged: the line's boxes empty, the total, the focus back
    // on the code for the next line.
    void lineAccepted();

    // Posts the document once: nothing while a save is under way or without lines. `post`
    // writes the document and does what follows its success; a db::Error keeps the lines
    // and shows its text in the status bar and `failure` in a box.
    void saveDocument(const std::function<void()>& post, const QString& failure);

    // Fills each list from its statement; when any cannot be read, says `failure` once
    // (the lists it could not read stay empty).
    void loadLists(std::initializer_list<std::pair<LookupComboBox*, QString>> lists, const QString& failure);
    static QString storeListSql();
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
    bool lineMatches(int line, Match match) const;
    // Refuses the quantity keyed: the message, and the box's text selected for retyping.
    std::optional<double> refuseCount(const QString& why);

    QTableWidget* m_sgBaseGrid;
    QGridLayout* m_header;
    QGridLayout* m_entry;
    QVBoxLayout* m_gridColumn;
    QList<QWidget*> m_lockedWhileLines;
    std::optional<db::StockProduct> m_product;
    int m_amountColumn = 0;
    QLineEdit* m_totalBox = nullptr;
    QLabel* m_totalPanel = nullptr;
};
