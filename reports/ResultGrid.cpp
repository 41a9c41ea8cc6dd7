#include "reports/ResultGrid.h"

#include "reports/ReportLayout.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <optional>

class ResultModel : public QAbstractTableModel {
public:
    explicit ResultModel(std::vector<GridColumn> columns, QObject* parent) : QAbstractTableModel(parent), m_columns(std::move(columns)) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() || !m_data ? 0 : m_data->rowCount(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_columns.size()); }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!m_data || !index.isValid()) return {};
        const GridColumn& c = m_columns[size_t(index.column())];
        switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return int(c.format == report::Format::Money || c.format == report::Format::Quantity ? Qt::AlignRight | Qt::AlignVCenter
                                                                                                 : Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return c.tint.isValid() ? QVariant(c.tint) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < int(m_columns.size()))
            return m_columns[size_t(section)].title;
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    QString text(int row, int column) const {
        if (!m_data) return {};
        const GridColumn& c = m_columns[size_t(column)];
        return report::formatValue(m_data->value(row, c.column), c.format);
    }

    void reset(std::optional<ReportDataset> data) {
        beginResetModel();
        m_data = std::move(data);
        endResetModel();
    }

    std::vector<GridColumn> m_columns;
    std::optional<ReportDataset> m_data;
};

ResultGrid::ResultGrid(std::vector<GridColumn> columns, QWidget* parent)
    : QTableView(parent), m_model(new ResultModel(std::move(columns), this)) {
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setVisible(false);
    for (size_t i = 0; i < m_model->m_columns.size(); ++i) setColumnWidth(int(i), m_model->m_columns[i].width);
}

void ResultGrid::setResult(const QStringList& columnNames, std::vector<ReportDataset::Row> rows) {
    m_model->reset(ReportDataset(columnNames, std::move(rows)));
    if (m_model->rowCount() > 0) setCurrentIndex(m_model->index(0, 0));
}

void ResultGrid::clearResult() { m_model->reset(std::nullopt); }
bool ResultGrid::isOpen() const { return m_model->m_data.has_value(); }
int ResultGrid::rowCount() const { return m_model->rowCount(); }
ReportDataset ResultGrid::dataset() const { return m_model->m_data.value_or(ReportDataset()); }
QString ResultGrid::cellText(int row, int column) const { return m_model->text(row, column); }
const std::vector<GridColumn>& ResultGrid::columns() const { return m_model->m_columns; }
