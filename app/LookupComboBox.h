// A drop-down list over rows of a lookup table: the open list shows several columns (code
// and name), the closed box shows one of them, and the value is the row's key.
#pragma once

#include <QComboBox>
#include <QStringList>

class QStandardItemModel;
namespace db { class Connection; }

class LookupComboBox : public QComboBox {
    Q_OBJECT
public:
    // keyColumn: the value; displayColumn: what the closed box shows.
    explicit LookupComboBox(QWidget* parent = nullptr, int keyColumn = 0, int displayColumn = 1);

    void setRows(const QList<QStringList>& rows);
    // Runs the statement and takes its first columns as the rows; a failing statement
    // leaves the list empty (nothing to choose from is not an error of its own).
    void load(db::Connection& connection, const QString& sql, int columns);

    // Empty when nothing is chosen.
    QString keyValue() const;
    // Chooses the row with that key; nothing chosen when no row has it.
    void setKeyValue(const QString& key);

    void showPopup() override;

private:
    QStandardItemModel* m_model;
    int m_keyColumn;
    int m_columns = 0;
};
