#include "stock/TfrmBaseOtherInput.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "query/TfrmQueryProductInfo.h"
#include "reports/TfrmBaseReport.h"
#include "sales/SaleLines.h"
#include "stock/BatchList.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setMinimumSize(92, 34);
    return b;
}

}  // namespace

TfrmBaseOtherInput::TfrmBaseOtherInput(QWidget* parent) : TfrmBase(parent) {
    setWindowTitle(QStringLiteral("其它数据录入基类"));
    resize(940, 640);
    QWidget* p = pnBaseHint();
    // Boxes the program fills stay disabled but must stay readable.
    p->setStyleSheet(QStringLiteral("QLineEdit:disabled, QLineEdit:read-only { color: #1a1a1a; background: #ececec; }"));
    auto* root = new QVBoxLayout(p);
    root->setContentsMargins(8, 8, 8, 6);
    root->setSpacing(6);
    m_header = new QGridLayout;
    m_header->setHorizontalSpacing(6);
    root->addLayout(m_header);
    m_entry = new QGridLayout;
    m_entry->setHorizontalSpacing(6);
    root->addLayout(m_entry);

    auto* body = new QHBoxLayout;
    m_gridColumn = new QVBoxLayout;
    m_sgBaseGrid = dataGrid(p, "sgBaseGrid", {});
    m_gridColumn->addWidget(m_sgBaseGrid, 3);
    body->addLayout(m_gridColumn, 1);
    auto* buttons = new QVBoxLayout;
    m_bitNext = button(p, "bitNext", QStringLiteral("&A取消"));
    m_bitDelete = button(p, "bitDelete", QStringLiteral("&D删除"));
    m_bitSave = button(p, "bitSave", QStringLiteral("&S保存"));
    m_bitSerch = button(p, "bitSerch", QStringLiteral("&F查找"));
    m_bitPreview = button(p, "bitPreview", QStringLiteral("&V预览"));
    m_bitPrint = button(p, "bitPrint", QStringLiteral("&P打印"));
    m_bitClose = button(p, "bitClose", QStringLiteral("&E退出"));
    for (QPushButton* b : {m_bitNext, m_bitDelete, m_bitSave, m_bitSerch, m_bitPreview, m_bitPrint}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_bitClose);
    body->addLayout(buttons);
    root->addLayout(body, 1);

    m_edProductNo = edit(p, "edProductNo", db::kStockDocumentProductNoLength);
    m_edProductName = edit(p, "edProductName", 0, true);
    m_edUnit = edit(p, "edUnit", 0, true);
    m_edCount = edit(p, "edCount", 12);
    m_edCount->setAlignment(Qt::AlignRight);

    connect(m_bitNext, &QPushButton::clicked, this, [this] { bitNextClick(); });
    connect(m_bitDelete, &QPushButton::clicked, this, [this] { bitDeleteClick(); });
    connect(m_bitSave, &QPushButton::clicked, this, [this] { bitSaveClick(); });
    connect(m_bitSerch, &QPushButton::clicked, this, [this] { bitSerchClick(); });
    connect(m_bitPreview, &QPushButton::clicked, this, [this] { bitPreviewClick(); });
    connect(m_bitPrint, &QPushButton::clicked, this, [this] { bitPrintClick(); });
    connect(m_bitClose, &QPushButton::clicked, this, [this] { bitCloseClick(); });
    // A code typed over the looked-up one is not that product any more.
    connect(m_edProductNo, &QLineEdit::textEdited, this, [this] { m_product.reset(); });
    // Every document keys a line the same way: the code, Enter; the quantity, leaving it.
    onEnterKey(m_edProductNo, [this] { edProductNoKeyDown(); });
    onFocusLeave(m_edCount, [this] { edCountExit(); });
    m_bitSave->setEnabled(false);
}

void TfrmBaseOtherInput::setGridColumns(const QStringList& titles, const QList<int>& widths) {
    QStringList all = titles;
    all.prepend(QStringLiteral("序号"));
    m_sgBaseGrid->setColumnCount(int(all.size()));
    m_sgBaseGrid->setHorizontalHeaderLabels(all);
    m_sgBaseGrid->setRowCount(1);
    m_sgBaseGrid->setColumnWidth(0, 36);
    for (int c = 0; c < widths.size(); ++c) {
        // A key column the operator need not see has width 0.
        if (widths[c] == 0) m_sgBaseGrid->setColumnHidden(c + 1, true);
        else m_sgBaseGrid->setColumnWidth(c + 1, widths[c]);
    }
}

int TfrmBaseOtherInput::lineCount() const {
    int n = 0;
    while (n < m_sgBaseGrid->rowCount() && !cell(n + 1, kCodeColumn).trimmed().isEmpty()) ++n;
    return n;
}

QString TfrmBaseOtherInput::cell(int line, int column) const {
    const QTableWidgetItem* item = m_sgBaseGrid->item(line - 1, column);
    return item ? item->text() : QString();
}

void TfrmBaseOtherInput::setCell(int line, int column, const QString& text) {
    if (line - 1 >= m_sgBaseGrid->rowCount()) m_sgBaseGrid->setRowCount(line);
    auto* item = new QTableWidgetItem(text);
    if (column == 0) item->setTextAlignment(Qt::AlignCenter);
    m_sgBaseGrid->setItem(line - 1, column, item);
}

Money TfrmBaseOtherInput::LineTotal(int column) const {
    Money total;
    for (int line = 1; line <= lineCount(); ++line) {
        const std::optional<Money> amount = Money::parse(cell(line, column));
        if (!amount) return Money{};
        total += *amount;
    }
    return total;
}

void TfrmBaseOtherInput::InsertTopLine() {
    const int lines = lineCount();
    m_sgBaseGrid->insertRow(0);
    for (int line = 1; line <= lines + 1; ++line) setCell(line, 0, QString::number(line));
}

void TfrmBaseOtherInput::RenumberLines() {
    const int lines = lineCount();
    for (int line = 1; line <= lines; ++line) setCell(line, 0, QString::number(line));
    if (lines == 0) setCell(1, 0, QStringLiteral("1"));
}

void TfrmBaseOtherInput::clearLine(int row) {
    for (int c = 0; c < m_sgBaseGrid->columnCount(); ++c) delete m_sgBaseGrid->takeItem(row, c);
}

void TfrmBaseOtherInput::documentChanged() {
    const bool hasLines = lineCount() > 0;
    m_bitSave->setEnabled(hasLines);
    for (QWidget* w : m_lockedWhileLines) w->setEnabled(!hasLines);
    showTotal();
}

void TfrmBaseOtherInput::showTotalIn(QLineEdit* box, int amountColumn) {
    m_totalBox = box;
    m_amountColumn = amountColumn;
    showTotal();
}

QLabel* TfrmBaseOtherInput::totalPanel(int amountColumn) {
    m_totalPanel = new QLabel(pnBaseHint());
    m_totalPanel->setObjectName(QStringLiteral("pnTotalMoney"));
    m_totalPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_totalPanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_totalPanel->setMinimumWidth(120);
    m_amountColumn = amountColumn;
    showTotal();
    return m_totalPanel;
}

void TfrmBaseOtherInput::showTotal() {
    if (m_amountColumn == 0) return;  // a document without amounts
    const QString total = LineTotal(m_amountColumn).toString();
    if (m_totalBox) m_totalBox->setText(total);
    if (m_totalPanel) m_totalPanel->setText(total);
}

bool TfrmBaseOtherInput::chosen(LookupComboBox* list, const QString& missing) {
    if (!list->keyValue().isEmpty()) return true;
    messages().info(missing);
    list->setFocus();
    return false;
}

bool TfrmBaseOtherInput::storeChosen(LookupComboBox* store) {
    return chosen(store, QStringLiteral("数据不全，请重新选择仓库！"));
}

std::optional<double> TfrmBaseOtherInput::refuseCount(const QString& why) {
    messages().info(why);
    focusSelected(m_edCount);
    return std::nullopt;
}

std::optional<double> TfrmBaseOtherInput::keyedQuantity() {
    const std::optional<double> quantity = parseQuantity(m_edCount->text());
    if (quantity && *quantity > 0) return quantity;
    return refuseCount(QStringLiteral("数据非法，请重新录入！"));
}

std::optional<double> TfrmBaseOtherInput::keyedQuantityWithin(const QLineEdit* available, const QString& tooMuch) {
    const std::optional<double> quantity = parseQuantity(m_edCount->text());
    const std::optional<double> limit = parseQuantity(available->text());
    if (!quantity || !limit || *quantity <= 0) return refuseCount(QStringLiteral("数据非法，请重新录入！"));
    if (*limit < *quantity) return refuseCount(tooMuch);
    return quantity;
}

bool TfrmBaseOtherInput::amountFits(Money price, double quantity, int mergeLine, int quantityColumn) {
    const auto yuan = [](Money m) { return static_cast<long double>(m.units()) / Money::Scale; };
    long double lineQuantity = quantity;
    long double others = 0;
    for (int line = 1; line <= lineCount(); ++line) {
        if (line == mergeLine) lineQuantity += parseQuantity(cell(line, quantityColumn)).value_or(0);
        else others += yuan(Money::parse(cell(line, m_amountColumn)).value_or(Money{}));
    }
    const long double amount = yuan(price) * lineQuantity;
    if (withinLargestAmount(amount) && withinLargestAmount(others + amount)) return true;
    refuseCount(amountTooLargeMessage());
    return false;
}

bool TfrmBaseOtherInput::lineMatches(int line, Match match) const {
    for (const auto& [column, text] : match)
        if (cell(line, column) != text) return false;
    return true;
}

int TfrmBaseOtherInput::lineOf(Match match) const {
    for (int line = 1; line <= lineCount(); ++line)
        if (lineMatches(line, match)) return line;
    return 0;
}

double TfrmBaseOtherInput::quantityInLines(int quantityColumn, Match match) const {
    double taken = 0;
    for (int line = 1; line <= lineCount(); ++line)
        if (lineMatches(line, match)) taken += parseQuantity(cell(line, quantityColumn)).value_or(0);
    return taken;
}

void TfrmBaseOtherInput::takeChosenBatch(const QTableWidget* list, QLineEdit* price, QLineEdit* batchNo, QLineEdit* left,
                                         int quantityColumn, int batchColumn) {
    const std::optional<db::BatchRow> batch = BatchList::current(list);
    if (!batch) return;
    price->setText(plainAmountText(batch->price));
    batchNo->setText(batch->batchNo);
    left->setText(quantityText(
        batch->remaining - quantityInLines(quantityColumn, {{kCodeColumn, batch->productNo}, {batchColumn, batch->batchNo}})));
    m_edCount->setFocus();
}

double TfrmBaseOtherInput::addToLine(int line, int quantityColumn, double quantity) {
    const double merged = parseQuantity(cell(line, quantityColumn)).value_or(0) + quantity;
    setCell(line, quantityColumn, quantityText(merged));
    return merged;
}

void TfrmBaseOtherInput::addTopLine(const QStringList& cells) {
    InsertTopLine();
    for (int c = 0; c < int(cells.size()); ++c) setCell(1, c + 1, cells[c]);
    documentChanged();
}

void TfrmBaseOtherInput::lineAccepted() {
    ClearEdits();
    showTotal();
    m_edProductNo->setFocus();
}

void TfrmBaseOtherInput::saveDocument(const std::function<void()>& post, const QString& failure) {
    if (m_saving || lineCount() == 0) return;  // nothing to save, or a second click while saving
    m_saving = true;
    // Also when an error the screen does not expect ends the save in the general handler:
    // the operator mends the document and saves again.
    const auto done = qScopeGuard([this] { m_saving = false; });
    try {
        post();
    } catch (const db::Error& e) {
        setPanelText(3, e.message());
        messages().info(failure);
    }
}

void TfrmBaseOtherInput::bitNextClick() {
    ClearEdits();
    m_product.reset();
    for (int row = 0; row < m_sgBaseGrid->rowCount(); ++row) clearLine(row);
    m_sgBaseGrid->setRowCount(1);
    m_sgBaseGrid->selectRow(0);
    documentChanged();
}

void TfrmBaseOtherInput::bitDeleteClick() {
    const int row = m_sgBaseGrid->currentRow();
    if (row < 0 || row >= lineCount()) return;  // a blank row: nothing to delete
    m_sgBaseGrid->removeRow(row);
    if (m_sgBaseGrid->rowCount() == 0) m_sgBaseGrid->setRowCount(1);
    m_sgBaseGrid->selectRow(0);
    RenumberLines();
    if (lineCount() == 0) setCell(1, 0, QString());
    documentChanged();
}

void TfrmBaseOtherInput::bitSerchClick() {
    // The product chosen in the search is looked up as if its code had been keyed.
    const QString chosen = TfrmQueryProductInfo::pickProduct(this, QString());
    if (chosen.isEmpty()) return;
    m_edProductNo->setText(chosen);
    edProductNoKeyDown();
}

QString TfrmBaseOtherInput::previewNumber() const { return session().LastSerialNo; }

void TfrmBaseOtherInput::bitPreviewClick() {
    TfrmBaseReport report(reportName(), this);
    if (report.openDocument(previewNumber())) report.preview();
}

void TfrmBaseOtherInput::bitCloseClick() { reject(); }

void TfrmBaseOtherInput::reject() {
    if (lineCount() > 0 &&
        !messages().ask(MessageIcon::Question, QStringLiteral("提示"), QStringLiteral("当前单据尚未保存，确定要退出吗？")))
        return;
    TfrmBase::reject();
}

bool TfrmBaseOtherInput::lookUpProduct(const QString& notFound) {
    const QString code = m_edProductNo->text().trimmed();
    m_product = documents().findProduct(code);
    if (!m_product) {
        m_edProductName->clear();
        m_edUnit->clear();
        messages().info(notFound);
        focusSelected(m_edProductNo);
        return false;
    }
    m_edProductNo->setText(m_product->productNo);
    m_edProductName->setText(m_product->name);
    m_edUnit->setText(m_product->unit);
    return true;
}

bool TfrmBaseOtherInput::productStillLookedUp() {
    if (m_product && m_product->productNo == m_edProductNo->text()) return true;
    edProductNoKeyDown();
    return false;
}

db::StockDocuments TfrmBaseOtherInput::documents() { return db::StockDocuments(frmBaseDataModule().Database()); }

void TfrmBaseOtherInput::loadLists(std::initializer_list<std::pair<LookupComboBox*, QString>> lists,
                                   const QString& failure) {
    db::Connection& connection = frmBaseDataModule().Database();
    bool allRead = true;
    for (const auto& [list, sql] : lists) {
        QList<QStringList> rows;
        try {
            db::Statement s(connection, sql);
            s.exec();
            while (s.next()) rows << QStringList{s.text(0), s.text(1)};
        } catch (const db::Error&) {
            rows.clear();
            allRead = false;
        }
        list->setRows(rows);
    }
    if (!allRead) messages().info(failure);
}

QString TfrmBaseOtherInput::storeListSql() { return QStringLiteral("select CKNO, CKNAME from store order by ckno"); }

QLineEdit* TfrmBaseOtherInput::edit(QWidget* parent, const char* name, int maxLength, bool readOnly) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) e->setMaxLength(maxLength);
    if (readOnly) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    return e;
}

void TfrmBaseOtherInput::placeRow(QGridLayout* area, int row, std::initializer_list<Field> fields, int column) {
    QWidget* p = pnBaseHint();
    for (const Field& f : fields) {
        if (!f.caption.isEmpty()) area->addWidget(caption(p, f.caption), row, column++);
        area->addWidget(f.control, row, column, 1, f.span);
        column += f.span;
    }
}

void TfrmBaseOtherInput::placeProductRow() {
    placeRow(m_entry, 0, {{QStringLiteral("商品代码"), m_edProductNo}, {QStringLiteral("商品名称"), m_edProductName, 3},
                          {QStringLiteral("单位"), m_edUnit}});
}

void TfrmBaseOtherInput::placeReturnFields(const QString& accountCaption, LookupComboBox* account, LookupComboBox* store,
                                           QLabel* total, QLineEdit* price, QLineEdit* returnable) {
    placeRow(m_header, 0, {{accountCaption, account}, {QStringLiteral("仓库"), store}, {QStringLiteral("总金额"), total}});
    m_header->setColumnStretch(1, 1);
    m_header->setColumnStretch(3, 1);
    // Name and unit come with the code; price and what may come back, with the chosen source.
    m_edProductName->setEnabled(false);
    m_edUnit->setEnabled(false);
    returnable->setEnabled(false);
    for (QLineEdit* e : {price, returnable}) e->setAlignment(Qt::AlignRight);
    placeRow(m_entry, 0, {{QStringLiteral("商品编码"), m_edProductNo}, {QString(), m_edProductName, 3},
                          {QStringLiteral("单位"), m_edUnit}});
    placeRow(m_entry, 1, {{QStringLiteral("单价"), price}, {QStringLiteral("数量"), m_edCount},
                          {QStringLiteral("可退数量"), returnable}});
    m_entry->setColumnStretch(3, 1);
}

void TfrmBaseOtherInput::placeChoiceList(QTableWidget* list, std::function<void()> choose) {
    m_gridColumn->addWidget(list, 2);
    connect(list, &QTableWidget::cellDoubleClicked, this, [choose] { choose(); });
    onEnterKey(list, std::move(choose));
}

void TfrmBaseOtherInput::emptyChoiceOnChange(LookupComboBox* account, QTableWidget* list,
                                             std::initializer_list<QLineEdit*> taken) {
    connect(account, &QComboBox::currentIndexChanged, this, [list, boxes = QList<QLineEdit*>(taken)] {
        list->setRowCount(0);
        for (QLineEdit* box : boxes) box->clear();
    });
}

void TfrmBaseOtherInput::setEntryOrder(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
    // The document starts at its head, not on the grid or a button.
    (*order.begin())->setFocus();
}

QLabel* TfrmBaseOtherInput::caption(QWidget* parent, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

LookupComboBox* TfrmBaseOtherInput::lookupList(QWidget* parent, const char* name) {
    auto* l = new LookupComboBox(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumWidth(130);
    return l;
}

QTableWidget* TfrmBaseOtherInput::dataGrid(QWidget* parent, const char* name, const QStringList& titles) {
    auto* g = new QTableWidget(0, int(titles.size()), parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setHorizontalHeaderLabels(titles);
    g->verticalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->setDefaultSectionSize(22);
    g->horizontalHeader()->setMinimumSectionSize(0);
    return g;
}

void TfrmBaseOtherInput::focusSelected(QLineEdit* edit) {
    edit->setFocus();
    edit->selectAll();
}
