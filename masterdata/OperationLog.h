// The operation log RZ: who added, changed or deleted which reference row, and when (the
// server's clock). Written inside the transaction of the change, so a row is logged
// exactly when it was written.
#pragma once

#include <QString>
#include <QStringList>

namespace db { class Transaction; }

class OperationLog {
public:
    static inline const QString Added = QStringLiteral("增加");
    static inline const QString Changed = QStringLiteral("修改");
    static inline const QString Deleted = QStringLiteral("删除");

    // operatorNo -> GH, action -> CZDZ, table -> CS1, key -> CS2, note -> CS3 (NULL when empty).
    static void write(db::Transaction& tx, const QString& operatorNo, const QString& action, const QString& table,
                      const QString& key, const QString& note = QString());
    // One row per key, all in one statement.
    static void writeEach(db::Transaction& tx, const QString& operatorNo, const QString& action, const QString& table,
                          const QStringList& keys);
};
