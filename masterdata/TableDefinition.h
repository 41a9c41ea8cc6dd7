// A reference table as its maintenance screen sees it: which columns, how they are titled,
// edited, limited, defaulted and shown. Table and column names here are the only
// identifiers the table editor ever puts into SQL.
#pragma once

#include <QString>
#include <utility>
#include <vector>

enum class ColumnKind {
    Text,      // bound as NULL when empty, so a required column refuses an empty value
    Money,     // fixed point; empty is 0 (or NULL when the column is optional)
    Integer,   // empty is 0
    Bit,       // "1" / "0"
    Password,  // typed in clear, stored as a hash; never read back, empty keeps the old one
};

enum class EditorKind {
    LineEdit,
    OptionGroup,  // radio buttons storing the codes of `words`
    Lookup,       // drop-down list filled from `lookup`
    CheckBox,     // a bit column
};

// A drop-down list of another table: a fixed statement whose first column is the value
// stored and whose second is the text shown.
struct LookupSource {
    QString sql;
};

struct Column {
    QString name;            // as in the schema
    QString title;           // grid title
    ColumnKind kind = ColumnKind::Text;
    int width = 0;           // GBK bytes; 0 = not a text column
    QString label;           // edit label (empty: the title)
    QString control;         // objectName of the edit control (empty: "ed" + name)
    EditorKind editor = EditorKind::LineEdit;
    bool inGrid = true;
    QString defaultValue;    // put into a new record
    std::vector<std::pair<QString, QString>> words;  // code -> word in the grid and option group
    int optionColumns = 1;
    LookupSource lookup;
    QString checkText;       // a check box's own caption
    bool optional = false;   // an amount that may be absent: an empty box stores NULL, not 0

    QString editLabel() const { return label.isEmpty() ? title : label; }
    QString controlName() const { return control.isEmpty() ? QStringLiteral("ed") + name : control; }
    // The word for a stored code, or the value itself when the column has no words; an
    // unknown code shows as blank rather than as a misleading number.
    QString shown(const QString& value) const;
};

struct TableDefinition {
    QString table;
    QString key;             // the key column: relocation after writes, the log's key value
    QString filter;          // fixed condition of the list (never typed text), may be empty
    QString orderBy;
    QString caption;         // window caption
    QString strip;           // caption strip above the grid
    bool allowEdit = true;
    std::vector<Column> columns;

    int indexOf(const QString& column) const;  // case-insensitive, -1 when absent
    int keyIndex() const { return indexOf(key); }
    const Column* column(const QString& name) const;
};

// The reference tables of the shop, one definition each.
namespace ReferenceTables {
TableDefinition stores();
TableDefinition units();
TableDefinition departments();
TableDefinition categories();
TableDefinition staff();
TableDefinition clients();
TableDefinition operators();
TableDefinition suppliers();
TableDefinition products();
}  // namespace ReferenceTables
