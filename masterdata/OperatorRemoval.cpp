#include "masterdata/OperatorRemoval.h"

#include "db/Statement.h"
#include "db/Transaction.h"

namespace {
const QString kRightsEditor = QStringLiteral("miRightSet");
}

QString operatorRemovalRefusal(db::Transaction& tx, const QString& operatorNo, const QString& loggedIn) {
    if (!loggedIn.isEmpty() && operatorNo == loggedIn) return QStringLiteral("不能删除当前登录的操作员！");
    // A no-op update takes the row locks (PostgreSQL); SQLite's writer lock already serialises.
    db::Statement lock(tx, QStringLiteral("UPDATE SYSRIGHTSET SET RSRIGHT = RSRIGHT WHERE RSFUN = :fun AND RSRIGHT <> 0"));
    lock.bind(QStringLiteral(":fun"), kRightsEditor).exec();
    db::Statement holders(tx, QStringLiteral(
        "SELECT SUM(CASE WHEN BNNO = :no THEN 1 ELSE 0 END), SUM(CASE WHEN BNNO <> :other THEN 1 ELSE 0 END) "
        "FROM SYSRIGHTSET WHERE RSFUN = :fun AND RSRIGHT <> 0"));
    holders.bind(QStringLiteral(":no"), operatorNo).bind(QStringLiteral(":other"), operatorNo).bind(QStringLiteral(":fun"), kRightsEditor);
    const bool holds = holders.first() && holders.integer(0) > 0;
    const bool othersHold = holders.integer(1) > 0;
    holders.query().finish();
    if (holds && !othersHold) return QStringLiteral("不能删除最后一个拥有“权限设置”权限的操作员，否则将无人能设置操作员权限！");
    return {};
}
