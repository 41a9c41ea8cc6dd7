// The rows a new database starts with, and the reset to them (spIninDatabase).
#pragma once

#include <QString>

namespace db {

class Connection;

namespace InitialData {
inline const QString OperatorNo = QStringLiteral("001");
inline const QString OperatorPassword = QStringLiteral("123");
inline const QString OperatorName = QStringLiteral("系统管理员");
inline const QString RetailClient = QStringLiteral("000");
inline const QString MainStore = QStringLiteral("001");

// Adds whatever initial row is missing: the initial operator with every right, the MENU
// rows, the system variables, the retail client and the main store. Running it twice
// changes nothing.
void install(Connection& connection);

// spIninDatabase: clears all business and master data and restores the initial rows,
// all or nothing.
void resetDatabase(Connection& connection);
}  // namespace InitialData

}  // namespace db
