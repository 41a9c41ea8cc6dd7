#include "masterdata/OperatorRemoval.h"

#include "app/OperatorRights.h"
#include "db/Transaction.h"

QString operatorRemovalRefusal(db::Transaction& tx, const QString& operatorNo, const QString& loggedIn) {
    if (!loggedIn.isEmpty() && operatorNo == loggedIn) return QStringLiteral("不能删除当前登录的操作员！");
    if (OperatorRights::isLastRightsEditor(tx, operatorNo))
        return QStringLiteral("不能删除最后一个拥有“权限设置”权限的操作员，否则将无人能设置操作员权限！");
    return {};
}
