#include "stock/TfrmCheckedData.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Comm.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/Stocktake.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"
#include "db/Transaction.h"
#include "query/QueryRowSource.h"
#include "stock/TfrmProgress.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

enum Column { Code = 0, Name = 1, Count = 2, Store = 3 };

// The chosen store's stocktake rows. Aliased, so the grid's order can name them plainly.
const QString kCheckedSql = QStringLiteral(
    "Select y.SPNO AS SPNO, s.spname AS spname, y.CKKCSL AS CKKCSL, y.CKPDSL AS CKPDSL, y.CKGXKCL AS CKGXKCL, "
    "date10(y.CKPDDATE) AS CKPDDATE From YPDSJB y, spb s where y.spno = s.spno and ckno = :ckno");
const QString kCheckedOrder = QStringLiteral("Order By SPNO");

QLabel* captionStrip(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background-color: #0a246a; color: white; padding: 3px; font-weight: bold;"));
    return label;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// A count as typed: a plain decimal number, never negative.
bool readCount(const QString& text, double* value) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0) return false;
    *value = v;
    return true;
}

}  // namespace

TfrmCheckedData::TfrmCheckedData(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmCheckedData"));
    setWindowTitle(QStringLiteral("库存盘点"));
    QWidget* panel = pnBaseHint();

    // Entry (top left): store, product code, count, the product's name.
    auto* entry = new QGroupBox(panel);
    auto* eg = new QGridLayout(entry);
    m_lcbStore = new LookupComboBox(entry, 0, 1);
    m_lcbStore->setObjectName(QStringLiteral("lcbStore"));
    m_edProductNo = new QLineEdit(entry);
    m_edProductNo->setObjectName(QStringLiteral("edProductNo"));
    m_edCount = new QLineEdit(entry);
    m_edCount->setObjectName(QStringLiteral("edCount"));
    m_edProductName = new QLineEdit(entry);
    m_edProductName->setObjectName(QStringLiteral("edProductName"));
    m_edProductName->setReadOnly(true);
    m_edProductName->setFocusPolicy(Qt::NoFocus);
    m_edProductName->setStyleSheet(QStringLiteral("background-color: #c0c0c0;"));
    eg->addWidget(new QLabel(QStringLiteral("仓库"), entry), 0, 0);
    eg->addWidget(m_lcbStore, 0, 1);
    eg->addWidget(new QLabel(QStringLiteral("商品编码"), entry), 1, 0);
    eg->addWidget(m_edProductNo, 1, 1);
    eg->addWidget(new QLabel(QStringLiteral("盘点数量"), entry), 0, 2);
    eg->addWidget(m_edCount, 0, 3);
    eg->addWidget(m_edProductName, 1, 2, 1, 2);
    eg->setColumnStretch(1, 1);
    eg->setColumnStretch(3, 1);

    // Search (top right).
    auto* search = new QGroupBox(panel);
    auto* sg = new QGridLayout(search);
    m_edSerchProductNo = new QLineEdit(search);
    m_edSerchProductNo->setObjectName(QStringLiteral("edSerchProductNo"));
    m_bitSerch = button(QStringLiteral("bitSerch"), QStringLiteral("&F查询"), search);
    m_edSerchProductName = new QLineEdit(search);
    m_edSerchProductName->setObjectName(QStringLiteral("edSerchProductName"));
    m_edSerchProductName->setReadOnly(true);
    m_edSerchProductName->setFocusPolicy(Qt::NoFocus);
    sg->addWidget(new QLabel(QStringLiteral("商品编码"), search), 0, 0);
    sg->addWidget(m_edSerchProductNo, 0, 1);
    sg->addWidget(m_bitSerch, 0, 2);
    sg->addWidget(new QLabel(QStringLiteral("商品名称"), search), 1, 0);
    sg->addWidget(m_edSerchProductName, 1, 1, 1, 2);
    sg->setColumnStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(entry, 3);
    top->addWidget(search, 2);

    // The temporary table (left).
    m_sgCheckedData = new QTableWidget(1, 4, panel);
    m_sgCheckedData->setObjectName(QStringLiteral("sgCheckedData"));
    m_sgCheckedData->setHorizontalHeaderLabels({QStringLiteral("编码"), QStringLiteral("名称"), QStringLiteral("数量"),
                                                QStringLiteral("仓库编号")});
    m_sgCheckedData->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_sgCheckedData->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sgCheckedData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sgCheckedData->verticalHeader()->hide();
    m_sgCheckedData->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    m_sgCheckedData->setColumnWidth(Code, 110);
    m_sgCheckedData->setColumnWidth(Name, 120);
    m_sgCheckedData->setColumnWidth(Count, 60);
    m_sgCheckedData->setColumnHidden(Store, true);
    // Names take the width the grid has beyond the fixed columns.
    m_sgCheckedData->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);
    auto* left = new QVBoxLayout;
    left->setSpacing(0);
    left->addWidget(captionStrip(QStringLiteral("临时盘点表"), panel));
    left->addWidget(m_sgCheckedData, 1);

    // The buttons between the grids.
    m_bitDelete = button(QStringLiteral("bitDelete"), QStringLiteral("&D删除"), panel);
    m_bitClose = button(QStringLiteral("bitClose"), QStringLiteral("&E退出"), panel);
    m_bitClear = button(QStringLiteral("bitClear"), QStringLiteral("&C清除"), panel);
    m_bitSave = button(QStringLiteral("bitSave"), QStringLiteral("&S保存"), panel);
    m_bitUpdate = button(QStringLiteral("bitUpdate"), QStringLiteral("&U更新库存"), panel);
    m_bitSave->setEnabled(false);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* b : {m_bitDelete, m_bitClose, m_bitClear, m_bitSave, m_bitUpdate}) middle->addWidget(b);
    middle->addStretch(1);

    // The stocktake rows of the chosen store (right).
    using namespace query;
    m_rows = new QueryRowSource({textItem(QStringLiteral("商品编码"), QStringLiteral("SPNO"), 15),
                                 textItem(QStringLiteral("商品名称"), QStringLiteral("spname"), 20),
                                 floatItem(QStringLiteral("库存数量"), QStringLiteral("CKKCSL")),
                                 floatItem(QStringLiteral("盘点数量"), QStringLiteral("CKPDSL")),
                                 floatItem(QStringLiteral("损益数量"), QStringLiteral("CKGXKCL")),
                                 dateItem(QStringLiteral("盘点日期"), QStringLiteral("CKPDDATE"))},
                                this);
    m_dbgCheckedData = new QTableView(panel);
    m_dbgCheckedData->setObjectName(QStringLiteral("dbgCheckedData"));
    m_dbgCheckedData->setModel(m_rows);
    m_dbgCheckedData->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_dbgCheckedData->setSelectionMode(QAbstractItemView::SingleSelection);
    m_dbgCheckedData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dbgCheckedData->verticalHeader()->hide();
    m_dbgCheckedData->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    const int widths[] = {105, 120, 62, 62, 62, 82};
    for (int c = 0; c < 6; ++c) m_dbgCheckedData->setColumnWidth(c, widths[c]);
    m_dbgCheckedData->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    auto* right = new QVBoxLayout;
    right->setSpacing(0);
    right->addWidget(captionStrip(QStringLiteral("盘点库存表"), panel));
    right->addWidget(m_dbgCheckedData, 1);

    auto* grids = new QHBoxLayout;
    grids->addLayout(left, 3);
    grids->addLayout(middle);
    grids->addLayout(right, 5);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addLayout(grids, 1);

    setTabOrder(m_lcbStore, m_edProductNo);
    setTabOrder(m_edProductNo, m_edCount);

    onEnterKey(m_edProductNo, [this] { edProductNoKeyDown(); });
    onEnterKey(m_edCount, [this] { edCountKeyDown(); });
    onEnterKey(m_edSerchProductNo, [this] { bitSerchClick(); });
    onFocusLeave(m_lcbStore, [this] { RefreshCheckedTable(); });
    connect(m_lcbStore, &QComboBox::activated, this, [this] { RefreshCheckedTable(); });
    connect(m_bitSerch, &QPushButton::clicked, this, &TfrmCheckedData::bitSerchClick);
    connect(m_bitDelete, &QPushButton::clicked, this, &TfrmCheckedData::bitDeleteClick);
    connect(m_bitClose, &QPushButton::clicked, this, &QDialog::close);
    connect(m_bitClear, &QPushButton::clicked, this, &TfrmCheckedData::bitClearClick);
    connect(m_bitSave, &QPushButton::clicked, this, &TfrmCheckedData::bitSaveClick);
    connect(m_bitUpdate, &QPushButton::clicked, this, &TfrmCheckedData::bitUpdateClick);
    resize(1000, 640);

    RefreshCheckedTable();
    m_lcbStore->load(frmBaseDataModule().Database(), QStringLiteral("select * from store  order by ckno"), 2);
}

void TfrmCheckedData::RefreshCheckedTable() {
    const QString store = m_lcbStore->keyValue();
    try {
        // One store's rows: the product tells them apart.
        m_rows->open(frmBaseDataModule().Database(), kCheckedSql, kCheckedOrder, QString(),
                     {{QStringLiteral(":ckno"), store.isEmpty() ? QVariant() : QVariant(store)}});
    } catch (const db::Error&) {
        messages().info(QStringLiteral("数据库忙，请稍后再操作！"));
        // The screen may still be under construction: it closes once the loop runs.
        QMetaObject::invokeMethod(this, [this] { QDialog::reject(); }, Qt::QueuedConnection);
    }
}

int TfrmCheckedData::lineCount() const {
    int n = 0;
    while (n < m_sgCheckedData->rowCount() && !cell(n, Code).isEmpty()) ++n;
    return n;
}

QString TfrmCheckedData::cell(int line, int column) const {
    const QTableWidgetItem* item = m_sgCheckedData->item(line, column);
    return item ? item->text() : QString();
}

void TfrmCheckedData::selectLine(int line) {
    m_sgCheckedData->selectRow(line);
    m_sgCheckedData->setCurrentCell(line, Code);
}

void TfrmCheckedData::updateSaveEnabled() { m_bitSave->setEnabled(lineCount() > 0); }

void TfrmCheckedData::edProductNoKeyDown() {
    bool found = false;
    try {
        found = frmDM().FindProduct(m_edProductNo->text().trimmed());
    } catch (const db::Error&) {
        found = false;
    }
    if (found) {
        m_edProductName->setText(frmDM().FoundProductName);
        return;
    }
    messages().info(QStringLiteral("商品代码录入信息有误，请重新录入！"));
    m_edProductNo->setFocus();
    m_edProductNo->selectAll();
}

void TfrmCheckedData::edCountKeyDown() {
    double count = 0;
    if (!readCount(m_edCount->text(), &count)) {
        messages().info(QStringLiteral("数据有误，请重新输入！"));
        m_edCount->setFocus();
        m_edCount->selectAll();
        return;
    }
    // A count belongs to a store: without one it could never be saved anywhere.
    const QString store = m_lcbStore->keyValue();
    if (store.isEmpty()) {
        messages().info(QStringLiteral("请先选择仓库！"));
        m_lcbStore->setFocus();
        return;
    }
    const QString product = m_edProductNo->text().trimmed();
    if (product.isEmpty()) {
        messages().info(QStringLiteral("商品代码录入信息有误，请重新录入！"));
        m_edProductNo->setFocus();
        return;
    }
    const int lines = lineCount();
    for (int line = 0; line < lines; ++line) {
        if (cell(line, Code) == product && cell(line, Store) == store) {
            double earlier = 0;
            readCount(cell(line, Count), &earlier);
            m_sgCheckedData->item(line, Count)->setText(QString::number(earlier + count, 'g', 12));
            ClearEdits();
            m_edProductNo->setFocus();
            return;
        }
    }
    m_sgCheckedData->insertRow(0);
    const QString texts[] = {product, m_edProductName->text(), m_edCount->text().trimmed(), store};
    for (int c = 0; c < 4; ++c) m_sgCheckedData->setItem(0, c, new QTableWidgetItem(texts[c]));
    m_sgCheckedData->item(0, Count)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    updateSaveEnabled();
    ClearEdits();
    m_edProductNo->setFocus();
}

void TfrmCheckedData::bitDeleteClick() {
    m_edProductNo->setFocus();
    const int line = m_sgCheckedData->currentRow();
    // Any line with a code is a count and can go, also one whose code was never confirmed.
    if (line < 0 || line >= lineCount()) return;
    m_sgCheckedData->removeRow(line);
    selectLine(0);
    updateSaveEnabled();
}

void TfrmCheckedData::clearTable() {
    m_sgCheckedData->clearContents();
    m_sgCheckedData->setRowCount(1);
    selectLine(0);
    updateSaveEnabled();
}

void TfrmCheckedData::bitClearClick() {
    ClearEdits();
    clearTable();
    m_edProductNo->setFocus();
}

void TfrmCheckedData::bitSaveClick() {
    if (m_busy || lineCount() == 0) return;  // a second click while saving must not save twice
    m_busy = true;
    std::vector<db::StocktakeCount> counts;
    for (int line = 0; line < lineCount(); ++line) {
        double count = -1;
        if (!readCount(cell(line, Count), &count)) count = -1;  // refused below, naming the line
        counts.push_back({cell(line, Code), cell(line, Store), count});
    }
    QString refusal;
    bool failed = false;
    {
        TfrmProgress progress(this);
        progress.start();
        try {
            db::Connection& connection = frmBaseDataModule().Database();
            db::Transaction tx(connection);
            db::Stocktake(connection).saveCounts(counts);
            tx.commit();
        } catch (const db::StocktakeRefusal& e) {
            refusal = e.message();
            failed = true;
        } catch (const db::Error&) {
            failed = true;
        }
    }
    m_busy = false;
    if (failed) {
        // Nothing was saved: the lines stay for the operator to mend and save again.
        messages().info(refusal.isEmpty() ? QStringLiteral("数据库异常，请稍后再试！") : refusal);
        return;
    }
    m_bitSave->setEnabled(false);
    RefreshCheckedTable();
    clearTable();
    ClearEdits();
    m_edProductNo->setFocus();
    messages().info(QStringLiteral("数据已保存！"));
}

void TfrmCheckedData::bitUpdateClick() {
    if (m_busy) return;
    m_busy = true;
    QString failure;
    try {
        db::Connection& connection = frmBaseDataModule().Database();
        const bool guard = GetSysVariable(connection, QStringLiteral("isCheckStore")) == QLatin1String("-1");
        db::Transaction tx(connection);
        db::Stocktake(connection).apply(session().OperatorNo, guard);
        tx.commit();
    } catch (const db::StocktakeRefusal& e) {
        failure = e.message();
    } catch (const db::Error&) {
        failure = QStringLiteral("数据库异常，请稍后再试！");
    }
    m_busy = false;
    messages().info(failure.isEmpty() ? QStringLiteral("更新完毕！") : failure);
    RefreshCheckedTable();
}

void TfrmCheckedData::bitSerchClick() {
    const QString code = m_edSerchProductNo->text().trimmed();
    bool found = false;
    try {
        found = frmDM().FindProduct(code);
    } catch (const db::Error&) {
        found = false;
    }
    if (!found) {
        messages().info(QStringLiteral("没有该商品信息，请重新录入！"));
        m_edSerchProductNo->setFocus();
        m_edSerchProductNo->selectAll();
        return;
    }
    m_edSerchProductName->setText(frmDM().FoundProductName);
    // The grid's row of that code, letters compared without case: its place in the grid's
    // order is the number of the store's rows before it.
    const QString store = m_lcbStore->keyValue();
    if (!store.isEmpty()) {
        try {
            db::Connection& c = frmBaseDataModule().Database();
            db::Statement match(c, QStringLiteral(
                "SELECT y.SPNO FROM YPDSJB y JOIN spb s ON s.spno = y.spno WHERE y.CKNO = :ckno AND lower(y.SPNO) = lower(:code) "
                "ORDER BY y.SPNO LIMIT 1"));
            match.bind(QStringLiteral(":ckno"), store).bind(QStringLiteral(":code"), code);
            if (match.first()) {
                const QString spno = match.text(0);
                match.query().finish();
                db::Statement before(c, QStringLiteral(
                    "SELECT COUNT(*) FROM YPDSJB y JOIN spb s ON s.spno = y.spno WHERE y.CKNO = :ckno AND y.SPNO < :spno"));
                before.bind(QStringLiteral(":ckno"), store).bind(QStringLiteral(":spno"), spno);
                if (before.first()) {
                    const int row = int(before.integer(0));
                    m_dbgCheckedData->selectRow(row);
                    m_dbgCheckedData->scrollTo(m_rows->index(row, 0));
                }
            }
        } catch (const db::Error&) {
            // The grid simply stays where it was.
        }
    }
    m_edSerchProductNo->setFocus();
}

bool TfrmCheckedData::refuseClosing() {
    if (lineCount() == 0) return false;
    messages().warning(QStringLiteral("警告"), QStringLiteral("没有更新已录入盘点数据，退出将会造成库存数据错误！"));
    m_bitUpdate->setFocus();
    return true;
}

void TfrmCheckedData::reject() {
    if (refuseClosing()) return;
    TfrmBase::reject();
}

void TfrmCheckedData::closeEvent(QCloseEvent* event) {
    if (refuseClosing()) {
        event->ignore();
        return;
    }
    TfrmBase::closeEvent(event);
}
