// The base of every list query over one view: the operator composes a filter from items,
// comparisons and contents joined by 或者/并且 (ConditionBuilder), F8 shows the rows with their
// exact count, 打印 prints exactly those rows through the screen's report, 导出 writes them to CSV.
//
// A derived screen calls setQuery() in its constructor with its items (title, view column,
// kind), its base statement ending in "Where ", its order clause, the columns that follow the
// order in the grid so that no two rows compare equal (see QueryRowSource::open; empty when
// the order clause already tells every row apart) and its report's name.
#pragma once

#include "app/TfrmBase.h"
#include "query/ConditionBuilder.h"
#include "query/QueryItem.h"

#include <memory>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace query { class QueryRowSource; }

class TfrmBaseQuery : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmBaseQuery(QWidget* parent = nullptr);
    ~TfrmBaseQuery() override;

    // The statement of the last query run (base statement, filter, order clause) and the
    // values of its placeholders; empty before the first query.
    const QString& PrintSQL() const { return m_printSql; }
    const query::BoundValues& PrintValues() const { return m_printValues; }
    const QString& BaseSQL() const { return m_baseSql; }
    const QString& OrderSQL() const { return m_orderSql; }
    const query::ConditionBuilder& conditions() const { return *m_builder; }
    query::QueryRowSource& rows() const { return *m_rows; }

    // The actions, as the buttons, F8 and the connective run them.
    virtual void bitSelectClick();
    virtual void bitPrintClick();
    void bitExportClick();
    void cbSelectLogicChange();

protected:
    void setQuery(query::QueryItems items, const QString& baseSql, const QString& orderSql, const QString& rowKey,
                  const QString& reportName);
    // Changes the statement and keeps the items and the conditions already committed. A
    // summing statement passes its group clause, which follows the filter.
    void setStatement(const QString& baseSql, const QString& orderSql, const QString& rowKey,
                      const QString& groupSql = QString());
    void keyPressEvent(QKeyEvent* event) override;
    QTableView* grid() const { return m_dgDisplayData; }
    QLabel* statLabel(int which) const { return which == 1 ? m_lbStatOne : m_lbStatTwo; }
    // The row of buttons at the bottom (a stretch, then 打印, 导出CSV, 查询, 退出).
    QHBoxLayout* buttonRow() const { return m_buttonRow; }

private:
    void updateLogicEnabled();
    void clearConditionTexts();
    void irregularCondition(bool emptyGrid);
    void showPlain(const QString& text);

    std::unique_ptr<query::ConditionBuilder> m_builder;
    query::QueryRowSource* m_rows = nullptr;
    QString m_baseSql;
    QString m_orderSql;
    QString m_rowKey;
    QString m_groupSql;
    QString m_reportName;
    QString m_printSql;
    query::BoundValues m_printValues;

    QComboBox* m_cbSelectItem;
    QComboBox* m_cbSelectCompare;
    QComboBox* m_cbSelectContent;
    QComboBox* m_cbSelectLogic;
    QLineEdit* m_edRemark;
    QLabel* m_lbCount;
    QLabel* m_lbStatOne;
    QLabel* m_lbStatTwo;
    QLineEdit* m_edStatOne;
    QLineEdit* m_edStatTwo;
    QTableView* m_dgDisplayData;
    QPushButton* m_bitPrint;
    QPushButton* m_bitExport;
    QPushButton* m_bitSelect;
    QPushButton* m_bitClose;
    QHBoxLayout* m_buttonRow;
};
