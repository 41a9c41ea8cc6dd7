// Deleting an operator must not lock the shop out of its own rights editor.
#pragma once

#include <QString>

namespace db { class Transaction; }

// Inside the delete's transaction: the refusal text, or empty when the operator may go.
// Refused are the operator who is logged in (`loggedIn`) and the last operator holding
// the right to open the rights editor. The holders' rows are locked first, so two tills
// deleting the last two holders at once cannot both succeed.
QString operatorRemovalRefusal(db::Transaction& tx, const QString& operatorNo, const QString& loggedIn);
