#include "stock/TfrmBaseOtherInput.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "query/TfrmQueryProductInfo.h"
#include "reports/TfrmBaseReport.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

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
    while (n < m_sgBaseGrid->rowCount() && !cell(n + 1, 1).trimmed().isEmpty()) ++n;
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

bool TfrmBaseOtherInput::loadList(db::Connection& connection, LookupComboBox* list, const QString& sql) {
    QList<QStringList> rows;
    try {
        db::Statement s(connection, sql);
        s.exec();
        while (s.next()) rows << QStringList{s.text(0), s.text(1)};
    } catch (const db::Error&) {
        list->setRows({});
        return false;
    }
    list->setRows(rows);
    return true;
}

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

void TfrmBaseOtherInput::placeProductRow() {
    QWidget* p = m_edProductNo->parentWidget();
    m_entry->addWidget(caption(p, QStringLiteral("商品代码")), 0, 0);
    m_entry->addWidget(m_edProductNo, 0, 1);
    m_entry->addWidget(caption(p, QStringLiteral("商品名称")), 0, 2);
    m_entry->addWidget(m_edProductName, 0, 3, 1, 3);
    m_entry->addWidget(caption(p, QStringLiteral("单位")), 0, 6);
    m_entry->addWidget(m_edUnit, 0, 7);
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
