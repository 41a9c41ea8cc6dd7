#include "app/LookupComboBox.h"

#include "db/Error.h"
#include "db/Statement.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

LookupComboBox::LookupComboBox(QWidget* parent, int keyColumn, int displayColumn)
    : QComboBox(parent), m_model(new QStandardItemModel(this)), m_keyColumn(keyColumn) {
    auto* view = new QTableView(this);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setShowGrid(false);
    view->setWordWrap(false);
    setModel(m_model);
    setView(view);
    setModelColumn(displayColumn);
    setCurrentIndex(-1);
}

void LookupComboBox::setRows(const QList<QStringList>& rows) {
    m_model->clear();
    m_columns = 0;
    for (const QStringList& row : rows) {
        QList<QStandardItem*> items;
        for (const QString& text : row) items << new QStandardItem(text);
        m_columns = std::max(m_columns, int(row.size()));
        m_model->appendRow(items);
    }
    setCurrentIndex(-1);
}

void LookupComboBox::load(db::Connection& connection, const QString& sql, int columns) {
    QList<QStringList> rows;
    try {
        db::Statement s(connection, sql);
        s.exec();
        while (s.next()) {
            QStringList row;
            for (int c = 0; c < columns; ++c) row << s.text(c);
            rows << row;
        }
    } catch (const db::Error&) {
        rows.clear();
    }
    setRows(rows);
}

QString LookupComboBox::keyValue() const {
    const int row = currentIndex();
    if (row < 0) return {};
    return m_model->index(row, m_keyColumn).data().toString();
}

void LookupComboBox::setKeyValue(const QString& key) {
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->index(row, m_keyColumn).data().toString() == key) {
            setCurrentIndex(row);
            return;
        }
    setCurrentIndex(-1);
}

void LookupComboBox::showPopup() {
    auto* table = static_cast<QTableView*>(view());
    table->resizeColumnsToContents();
    int width = 0;
    for (int c = 0; c < m_columns; ++c) {
        table->setColumnHidden(c, false);
        width += table->columnWidth(c) + 8;
    }
    table->setMinimumWidth(std::max(width + 20, this->width()));
    QComboBox::showPopup();
}
