// The shape of every reference-table screen: the table in a read-only grid on the left,
// the current record's fields on the right, a navigator on top and the five buttons
// add, delete, confirm, cancel and leave below. A concrete screen is a table definition
// plus, where it needs them, a few steps of its own after the base handlers.
#pragma once

#include "app/TfrmBase.h"
#include "masterdata/RecordPages.h"
#include "masterdata/TableEditor.h"

#include <QString>
#include <map>
#include <memory>
#include <vector>

class QButtonGroup;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;
class LookupComboBox;

class TfrmBaseInput : public TfrmBase {
    Q_OBJECT
public:
    enum class DataState { Browse, Insert, Edit };

    explicit TfrmBaseInput(TableDefinition definition, QWidget* parent = nullptr);
    ~TfrmBaseInput() override;

    DataState state() const { return m_state; }
    const TableDefinition& definition() const { return m_editor.definition(); }
    // The key column, found again after every write.
    QString KeyFieldName;
    // Whether existing records may be changed; new ones can always be added.
    bool AllowEdit = true;

    // Rereads the table and makes the record with the key current (the first when none has it).
    void Reload(const QString& key = QString());
    bool Locate(const QString& key);
    int recordCount() const { return m_pages.size(); }
    int currentRecord() const { return m_current; }
    // The current record as loaded (empty when there is none).
    RecordValues currentValues();
    QString currentKey();

    // The field's value as the edit control holds it.
    QString fieldText(const QString& column) const;
    // Puts a value into a field as if the operator had typed it (starts editing).
    void setFieldText(const QString& column, const QString& value);
    QWidget* fieldControl(const QString& column) const;
    // Puts a widget of the screen's own to the right of a field's control.
    void addBesideField(const QString& column, QWidget* widget);

public Q_SLOTS:
    void BitAddClick();
    void BitDeleteClick();
    void BitYesClick();
    void BitCancelClick();
    void BitCloseClick();

protected:
    TableEditor& editor() { return m_editor; }
    // After the base add: the definition's defaults are in and the focus is on the first
    // field. Screens add their own steps.
    virtual void afterAdd() {}
    // Called whenever the state changes, after the base controls were enabled or disabled.
    virtual void stateChanged() {}
    // Fills the drop-down list of a lookup column; throws db::Error when the statement fails.
    void loadLookup(const QString& column);
    // The bar beside the navigator, where screens put their own tools.
    QHBoxLayout* navigatorBar() const { return m_navigatorBar; }
    QFormLayout* editPanel() const { return m_editPanel; }
    void showEvent(QShowEvent* event) override;
    // Whatever closes the screen drops a pending insert or edit: nothing half-typed is written.
    void done(int result) override;

private:
    struct Field {
        const Column* column;
        QWidget* control;
        QButtonGroup* options = nullptr;
        QHBoxLayout* row = nullptr;
    };

    void buildScreen();
    QWidget* buildField(const Column& column, Field& field);
    void fillGrid();
    void showRecord(int row);
    void setState(DataState state);
    void userEdited();
    void applyDefaults();
    QString valueOf(const Field& field) const;
    void setValue(const Field& field, const QString& value);
    RecordValues typedValues() const;
    void moveTo(int row);
    void focusAdd();

    TableEditor m_editor;
    std::vector<Field> m_fields;
    RecordPages m_pages{m_editor};
    int m_current = -1;
    DataState m_state = DataState::Browse;
    bool m_showing = false;  // filling controls from a record is not the operator's edit
    bool m_opened = false;
    QString m_keyBeforeInsert;

    void fitToContents();

    QSplitter* m_splitter = nullptr;
    QWidget* m_rightPanel = nullptr;
    class GridModel;
    QTableView* m_grid = nullptr;
    GridModel* m_gridModel = nullptr;
    QLabel* m_strip = nullptr;
    QWidget* m_navigator = nullptr;
    QHBoxLayout* m_navigatorBar = nullptr;
    QFormLayout* m_editPanel = nullptr;
    std::vector<QToolButton*> m_navButtons;
    QPushButton* m_bitAdd = nullptr;
    QPushButton* m_bitDelete = nullptr;
    QPushButton* m_bitYes = nullptr;
    QPushButton* m_bitCancel = nullptr;
    QPushButton* m_bitClose = nullptr;
};
