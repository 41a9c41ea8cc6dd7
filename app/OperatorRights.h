// The operators' function rights (SYSRIGHTSET) and the list of functions they are given
// for (MENU): read per group for the rights editor, saved per operator all at once.
#pragma once

#include <QString>
#include <vector>

namespace db { class Connection; class Transaction; }

struct RightsGroup {
    QString type;   // MENU.MENUTYPE, compared exactly
    QString frame;  // the frame's control name
    QString title;
};

struct MenuFunction {
    QString name;     // MENUNO = RSFUN = the menu item's name
    QString caption;  // MENUNAME
};

struct RightChoice {
    QString function;
    QString caption;  // written to RSNAME when the row is created
    bool granted = false;
};

class OperatorRights {
public:
    explicit OperatorRights(db::Connection& connection) : m_connection(connection) {}

    // The five groups in display order.
    static const std::vector<RightsGroup>& groups();

    // The functions of one group in MENU order. Throws db::Error.
    std::vector<MenuFunction> functions(const QString& type);
    // HasRight: false for no row, a false row or a failing read.
    bool granted(const QString& operatorNo, const QString& function);

    struct SaveResult {
        int inserted = 0;
        int updated = 0;
    };
    // Stores every choice for the operator in one transaction: a missing row is inserted,
    // a differing row updated (RSNAME kept), an equal row left alone. All or nothing:
    // throws db::Error and stores nothing when any write fails, and db::Error of kind
    // Refused when it would take the rights editor from its last holder.
    SaveResult save(const QString& operatorNo, const std::vector<RightChoice>& choices);

    // The function that grants the rights editor itself.
    static const QString& rightsEditor();
    // Whether the operator is the only one holding the rights editor, so that nobody could
    // set rights without them. Locks the holders' rows for the rest of the transaction, so
    // two removals cannot each leave the other as the last holder.
    static bool isLastRightsEditor(db::Transaction& tx, const QString& operatorNo);

private:
    db::Connection& m_connection;
};
