#include "query/StockQueryScreens.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/TfrmBaseDataModule.h"
#include "reports/TfrmBaseReport.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

// The tints of the value columns.
const QColor kGradientActiveCaption(0xB9, 0xD1, 0xEA);
const QColor kMoneyGreen(0xC0, 0xDC, 0xC0);

QString quantityText(double q) { return QString::number(q, 'g', 15); }

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setMinimumWidth(80);
    return b;
}

QTableView* grid(const QString& name, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(view->font()).height() + 6);
    return view;
}

// Column titles, widths and the statement's column names of a result grid.
struct GridColumn {
    const char* title;
    const char* field;
    int width;
    bool number;
};

template <typename Row>
class RowsModel : public QAbstractTableModel {
public:
    RowsModel(std::vector<GridColumn> columns, QObject* parent) : QAbstractTableModel(parent), m_columns(std::move(columns)) {}

    void setRows(std::vector<Row> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const std::vector<Row>& rows() const { return m_rows; }
    const std::vector<GridColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_columns.size()); }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
            return QString::fromUtf8(m_columns[size_t(section)].title);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const Row& row = m_rows[size_t(index.row())];
        if (role == Qt::DisplayRole) return text(row, index.column());
        if (role == Qt::TextAlignmentRole && m_columns[size_t(index.column())].number)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        if (role == Qt::BackgroundRole) return tint(index.column());
        if (role == Qt::UserRole) return value(row, index.column());
        return {};
    }

    // The rows as a report prints them, under the statement's column names.
    ReportDataset dataset() const {
        QStringList names;
        for (const GridColumn& c : m_columns) names << QString::fromUtf8(c.field);
        ReportDataset data(names);
        for (const Row& row : m_rows) {
            ReportDataset::Row values;
            for (int c = 0; c < columnCount(); ++c) values << value(row, c);
            data.addRow(values);
        }
        return data;
    }

protected:
    virtual QVariant value(const Row& row, int column) const = 0;
    virtual QString text(const Row& row, int column) const = 0;
    virtual QVariant tint(int column) const = 0;

private:
    std::vector<GridColumn> m_columns;
    std::vector<Row> m_rows;
};

}  // namespace

class StoreStockModel : public RowsModel<db::StoreStockRow> {
public:
    explicit StoreStockModel(QObject* parent)
        : RowsModel({{"商品编号", "spno", 110, false}, {"商品名称", "spname", 220, false}, {"单位", "SPDW", 50, false},
                     {"数量", "sl", 80, true}, {"成本价格", "CBJG", 90, true}, {"总金额", "zje", 100, true},
                     {"类别", "FLName", 110, false}},
                    parent) {}

protected:
    QVariant value(const db::StoreStockRow& r, int column) const override {
        switch (column) {
        case 0: return r.productNo;
        case 1: return r.productName;
        case 2: return r.unit;
        case 3: return r.quantity;
        case 4: return QVariant::fromValue(r.cost);
        case 5: return QVariant::fromValue(r.amount);
        default: return r.categoryName;
        }
    }
    QString text(const db::StoreStockRow& r, int column) const override {
        switch (column) {
        case 3: return quantityText(r.quantity);
        case 4: return r.cost.toString();
        case 5: return r.amount.toString();
        default: return value(r, column).toString();
        }
    }
    QVariant tint(int column) const override {
        if (column == 4) return kGradientActiveCaption;
        if (column == 5) return kMoneyGreen;
        return {};
    }
};

class StockCheckModel : public RowsModel<db::StockCheckRow> {
public:
    static constexpr int MarkColumn = 5;
    explicit StockCheckModel(QObject* parent)
        : RowsModel({{"商品编号", "BPSERIALNO", 120, false}, {"商品名称", "BPNAME", 200, false}, {"库存数量", "StoreCount", 80, true},
                     {"库存上限", "KCMAX", 70, true}, {"库存下限", "KCMIN", 70, true}, {"是否进货", "JHBZ", 64, false},
                     {"厂家", "CSNAME", 150, false}, {"备注", "BZ", 160, false}},
                    parent) {}

protected:
    QVariant value(const db::StockCheckRow& r, int column) const override {
        switch (column) {
        case 0: return r.productNo;
        case 1: return r.productName;
        case 2: return r.storeCount;
        case 3: return r.maxStock;
        case 4: return r.minStock;
        case 5: return r.restockMark;
        case 6: return r.supplierName;
        default: return r.remark;
        }
    }
    QString text(const db::StockCheckRow& r, int column) const override {
        if (column == MarkColumn) return {};  // drawn as the mark
        if (column == 2) return quantityText(r.storeCount);
        return value(r, column).toString();
    }
    QVariant tint(int column) const override { return column == 2 ? QVariant(kMoneyGreen) : QVariant(); }
};

namespace {

// The restock column: the cell is cleared and, for a row to restock, the 16 x 16 mark is
// drawn at its top edge, centred.
class RestockMarkDelegate : public QStyledItemDelegate {
public:
    explicit RestockMarkDelegate(QObject* parent) : QStyledItemDelegate(parent), m_mark(16, 16) {
        m_mark.fill(Qt::transparent);
        QPainter p(&m_mark);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->fillRect(option.rect, option.palette.base());
        const QRect mark = restockMarkRect(option.rect, index.data(Qt::UserRole).toString());
        if (!mark.isNull()) painter->drawPixmap(mark.topLeft(), m_mark);
    }

private:
    QPixmap m_mark;
};

}  // namespace

QRect restockMarkRect(const QRect& cell, const QString& jhbz) {
    if (jhbz != db::StockQueries::RestockMark) return {};
    return QRect(cell.left() + (cell.width() - 16) / 2, cell.top(), 16, 16);
}

// ---- 分库库存查询 ----

Tfrmcykccx::Tfrmcykccx(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmcykccx"));
    setWindowTitle(QStringLiteral("分库库存查询"));
    QWidget* panel = pnBaseHint();
    m_lcbStore = new LookupComboBox(panel, 0, 1);
    m_lcbStore->setObjectName(QStringLiteral("lcbStore"));
    m_lcbStore->setMinimumWidth(180);
    auto* ok = button(QStringLiteral("BitBtn1"), QStringLiteral("确定"), panel);
    auto* print = button(QStringLiteral("BitBtn3"), QStringLiteral("打印"), panel);
    auto* leave = button(QStringLiteral("BitBtn2"), QStringLiteral("退出"), panel);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("仓库"), panel));
    top->addWidget(m_lcbStore);
    top->addStretch(1);
    top->addWidget(ok);
    top->addWidget(print);
    top->addWidget(leave);

    m_model = new StoreStockModel(this);
    m_grid = grid(QStringLiteral("dgStore"), panel);
    m_grid->setModel(m_model);
    for (int c = 0; c < m_model->columnCount(); ++c) m_grid->setColumnWidth(c, m_model->columns()[size_t(c)].width);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    connect(ok, &QPushButton::clicked, this, &Tfrmcykccx::BitBtn1Click);
    connect(print, &QPushButton::clicked, this, &Tfrmcykccx::BitBtn3Click);
    connect(leave, &QPushButton::clicked, this, &QDialog::close);
    resize(880, 600);

    // "全部" (every store) heads the list.
    m_lcbStore->load(frmBaseDataModule().Database(),
                     QStringLiteral("select ckno, ckname from (select 'ZZZ' AS ckno, '全部' AS ckname\n"
                                    "union all select ckno, ckname from store) s\n"
                                    "order by case when ckno = 'ZZZ' then 0 else 1 end, ckno"),
                     2);
}

const std::vector<db::StoreStockRow>& Tfrmcykccx::rows() const { return m_model->rows(); }

void Tfrmcykccx::BitBtn1Click() {
    try {
        m_model->setRows(db::StockQueries(frmBaseDataModule().Database()).storeStock(m_lcbStore->keyValue()));
    } catch (const db::Error& e) {
        m_model->setRows({});
        messages().error(QStringLiteral("错误"), e.message());
    }
}

std::unique_ptr<TfrmBaseReport> Tfrmcykccx::report() {
    auto rep = std::make_unique<TfrmBaseReport>(QStringLiteral("TfrmRepStore"), this);
    rep->setDataset(m_model->dataset());
    rep->setLabel(QStringLiteral("lbTitle"), m_lcbStore->currentText() + QStringLiteral("库存表"));
    return rep;
}

void Tfrmcykccx::BitBtn3Click() { report()->preview(); }

// ---- 库存快速查询 ----

TfrmQyChecked::TfrmQyChecked(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmQyChecked"));
    setWindowTitle(QStringLiteral("库存快速查询"));
    QWidget* panel = pnBaseHint();
    m_lcbSupply = new LookupComboBox(panel, 0, 1);
    m_lcbSupply->setObjectName(QStringLiteral("lcbSupply"));
    m_lcbSupply->setMinimumWidth(170);
    m_lcbSPFL = new LookupComboBox(panel, 0, 1);
    m_lcbSPFL->setObjectName(QStringLiteral("lcbSPFL"));
    m_lcbSPFL->setMinimumWidth(130);

    auto* type = new QGroupBox(panel);
    type->setObjectName(QStringLiteral("rgtype"));
    auto* all = new QRadioButton(QStringLiteral("打印全部"), type);
    auto* restock = new QRadioButton(QStringLiteral("打印需进货"), type);
    all->setChecked(true);
    m_rgtype = new QButtonGroup(this);
    m_rgtype->addButton(all, 0);
    m_rgtype->addButton(restock, 1);
    auto* tl = new QHBoxLayout(type);
    tl->setContentsMargins(6, 2, 6, 2);
    tl->addWidget(all);
    tl->addWidget(restock);

    auto* ok = button(QStringLiteral("bitYes"), QStringLiteral("确定"), panel);
    auto* print = button(QStringLiteral("BitBtn1"), QStringLiteral("打印"), panel);
    auto* leave = button(QStringLiteral("bitExit"), QStringLiteral("退出"), panel);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("厂家"), panel));
    top->addWidget(m_lcbSupply);
    top->addWidget(new QLabel(QStringLiteral("类别"), panel));
    top->addWidget(m_lcbSPFL);
    top->addWidget(type);
    top->addStretch(1);
    top->addWidget(ok);
    top->addWidget(print);
    top->addWidget(leave);

    m_model = new StockCheckModel(this);
    m_dgChecked = grid(QStringLiteral("dgChecked"), panel);
    m_dgChecked->setModel(m_model);
    QPalette tooltip = m_dgChecked->palette();
    tooltip.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    m_dgChecked->setPalette(tooltip);
    m_dgChecked->setItemDelegateForColumn(StockCheckModel::MarkColumn, new RestockMarkDelegate(m_dgChecked));
    for (int c = 0; c < m_model->columnCount(); ++c) m_dgChecked->setColumnWidth(c, m_model->columns()[size_t(c)].width);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(top);
    layout->addWidget(m_dgChecked, 1);
    connect(ok, &QPushButton::clicked, this, &TfrmQyChecked::bitYesClick);
    connect(print, &QPushButton::clicked, this, &TfrmQyChecked::BitBtn1Click);
    connect(leave, &QPushButton::clicked, this, &QDialog::close);
    resize(1000, 620);

    db::Connection& c = frmBaseDataModule().Database();
    m_lcbSupply->load(c, QStringLiteral("select 'zzz' as csno, '所有' as csname\n"
                                        "union all select CSNO, CSNAME from CSB\n"
                                        "order by csno desc"),
                      2);
    m_lcbSPFL->load(c, QStringLiteral("select 'zzz' as FLNO, '所有' as FLNAME \n"
                                      "union all select FLNO, FLNAME from SPFLB\n"
                                      "order by FLNO desc"),
                    2);
}

const std::vector<db::StockCheckRow>& TfrmQyChecked::rows() const { return m_model->rows(); }

QString TfrmQyChecked::typeCode() const { return m_rgtype->checkedId() == 1 ? QStringLiteral("1") : QStringLiteral("0"); }

std::vector<db::StockCheckRow> TfrmQyChecked::currentChoice() const {
    return db::StockQueries(frmBaseDataModule().Database())
        .stockCheck(m_lcbSupply->keyValue(), m_lcbSPFL->keyValue(), typeCode() == QLatin1String("1"));
}

void TfrmQyChecked::bitYesClick() {
    try {
        m_model->setRows(currentChoice());
    } catch (const db::Error& e) {
        m_model->setRows({});
        messages().error(QStringLiteral("错误"), e.message());
    }
}

std::unique_ptr<TfrmBaseReport> TfrmQyChecked::report() {
    // The printout runs its own query on the current choices, pressed 确定 or not.
    StockCheckModel printed(nullptr);
    try {
        printed.setRows(currentChoice());
    } catch (const db::Error& e) {
        messages().error(QStringLiteral("错误"), e.message());
        return nullptr;
    }
    auto rep = std::make_unique<TfrmBaseReport>(QStringLiteral("TfrmRepkckscx"), this);
    rep->setDataset(printed.dataset());
    return rep;
}

void TfrmQyChecked::BitBtn1Click() {
    if (auto rep = report()) rep->preview();
}

// ---- 库存查询 ----

TfrmQueryChecked::TfrmQueryChecked(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(QStringLiteral("库存查询"));
    setObjectName(QStringLiteral("frmQueryChecked"));
    using namespace query;
    setQuery({textItem(QStringLiteral("仓库编码"), QStringLiteral("CKNO"), 3), textItem(QStringLiteral("仓库名称"), QStringLiteral("CKNAME"), 16),
              textItem(QStringLiteral("商品编码"), QStringLiteral("SPNO"), 15), textItem(QStringLiteral("商品名称"), QStringLiteral("SPNAME"), 40),
              floatItem(QStringLiteral("仓库库存数量"), QStringLiteral("CKKCSL")), floatItem(QStringLiteral("仓库盘点数量"), QStringLiteral("CKPDSL")),
              floatItem(QStringLiteral("仓库更新库存量"), QStringLiteral("CKGXKCL")), dateItem(QStringLiteral("仓库盘点日期"), QStringLiteral("CKPDDATE")),
              textItem(QStringLiteral("仓库更新库存标志"), QStringLiteral("CKGXKCBZ"), 3)},
             QString(), QString(), QString(), QStringLiteral("TfrmRepkccx"));

    // Names narrower than their full width, so the quantities fit beside them on the screen.
    grid()->setColumnWidth(1, 90);
    grid()->setColumnWidth(3, 200);

    auto* box = new QGroupBox(pnBaseHint());
    box->setObjectName(QStringLiteral("rgStoreType"));
    auto* perStore = new QRadioButton(QStringLiteral("分库"), box);
    perStore->setObjectName(QStringLiteral("rbPerStore"));
    auto* summed = new QRadioButton(QStringLiteral("合计"), box);
    summed->setObjectName(QStringLiteral("rbSummed"));
    perStore->setChecked(true);
    m_rgStoreType = new QButtonGroup(this);
    m_rgStoreType->addButton(perStore, 0);
    m_rgStoreType->addButton(summed, 1);
    auto* bl = new QHBoxLayout(box);
    bl->setContentsMargins(6, 0, 6, 0);
    bl->addWidget(perStore);
    bl->addWidget(summed);
    buttonRow()->insertWidget(0, box);
    connect(m_rgStoreType, &QButtonGroup::idClicked, this, [this] { rgStoreTypeClick(); });
    rgStoreTypeClick();
}

void TfrmQueryChecked::rgStoreTypeClick() {
    if (m_rgStoreType->checkedId() == 1) {
        // The sum of one product over the stores is one row per stocktake date; the applied
        // flag is not shown in this mode, so it does not split the sum either.
        setStatement(QStringLiteral("Select ' ' as CKNO, '合计' as CKNAME, SPNAME, SPNO, Sum(CKKCSL) as CKKCSL, "
                                    "Sum(CKPDSL) as CKPDSL, Sum(CKGXKCL) as CKGXKCL, CKPDDATE, ' ' as CKGXKCBZ From vwKCCX Where "),
                     QStringLiteral("Order by SPNO "), QStringLiteral("CKPDDATE"), QStringLiteral("Group by  SPNAME, SPNO, CKPDDATE"));
    } else {
        // A stocktake row is one product in one store.
        setStatement(QStringLiteral("Select CKNO, CKNAME, SPNAME, SPNO, CKKCSL, CKPDSL, CKGXKCL, CKPDDATE, CKGXKCBZ From vwKCCX Where "),
                     QStringLiteral("Order by SPNO "), QStringLiteral("CKNO"));
    }
}
