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

void OperationLog::writeEach(db::Transaction& tx, const QString& operatorNo, const QString& action, const QString& table,
                             const QStringList& keys) {
    if (keys.isEmpty()) return;
    QStringList rows;
    for (qsizetype r = 0; r < keys.size(); ++r)
        rows << QStringLiteral("(getdate(), :GH%1, :CZDZ%1, :CS1%1, :CS2%1, NULL)").arg(r);
    db::Statement s(tx, QStringLiteral("INSERT INTO RZ(RQSJ, GH, CZDZ, CS1, CS2, CS3) VALUES") + rows.join(QStringLiteral(", ")));
    for (qsizetype r = 0; r < keys.size(); ++r) {
        const QString n = QString::number(r);
        s.bindTextOrNull(QStringLiteral(":GH") + n, operatorNo)
            .bind(QStringLiteral(":CZDZ") + n, action)
            .bind(QStringLiteral(":CS1") + n, table)
            .bind(QStringLiteral(":CS2") + n, keys[r]);
    }
    s.exec();
}
