#include "masterdata/OperationLog.h"

#include "db/Statement.h"
#include "db/Transaction.h"

void OperationLog::write(db::Transaction& tx, const QString& operatorNo, const QString& action, const QString& table,
                         const QString& key, const QString& note) {
    db::Statement s(tx, QStringLiteral("INSERT INTO RZ(RQSJ, GH, CZDZ, CS1, CS2, CS3) "
                                       "VALUES(getdate(), :GH, :CZDZ, :CS1, :CS2, :CS3)"));
    s.bindTextOrNull(QStringLiteral(":GH"), operatorNo)
        .bind(QStringLiteral(":CZDZ"), action)
        .bind(QStringLiteral(":CS1"), table)
        .bind(QStringLiteral(":CS2"), key)
        .bindTextOrNull(QStringLiteral(":CS3"), note)
        .exec();
}
