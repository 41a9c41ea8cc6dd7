#include "app/OperatorRights.h"

#include "db/Comm.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/Transaction.h"

const std::vector<RightsGroup>& OperatorRights::groups() {
    static const std::vector<RightsGroup> list = {
        {QStringLiteral("SysSet"), QStringLiteral("gbSysSet"), QStringLiteral("系统设置基类")},
        {QStringLiteral("BaseInfo"), QStringLiteral("gbBaseInfo"), QStringLiteral("基础信息")},
        {QStringLiteral("Operation"), QStringLiteral("gbOperation"), QStringLiteral("业务处理")},
        {QStringLiteral("Query"), QStringLiteral("gbQuery"), QStringLiteral("信息查询")},
        {QStringLiteral("Stat"), QStringLiteral("gbStat"), QStringLiteral("统计")},
    };
    return list;
}

std::vector<MenuFunction> OperatorRights::functions(const QString& type) {
    db::Statement s(m_connection, QStringLiteral("Select MENUNO, MENUNAME from MENU Where MENUTYPE = :MENUTYPE order by NO, MENUNO"));
    s.bind(QStringLiteral(":MENUTYPE"), type).exec();
    std::vector<MenuFunction> out;
    while (s.next()) out.push_back({s.text(0), s.text(1)});
    return out;
}

bool OperatorRights::granted(const QString& operatorNo, const QString& function) {
    return HasRight(m_connection, operatorNo, function);
}

const QString& OperatorRights::rightsEditor() {
    static const QString name = QStringLiteral("miRightSet");
    return name;
}

bool OperatorRights::isLastRightsEditor(db::Transaction& tx, const QString& operatorNo) {
    // A no-op update takes the row locks (PostgreSQL); SQLite's writer lock already serialises.
    db::Statement lock(tx, QStringLiteral("UPDATE SYSRIGHTSET SET RSRIGHT = RSRIGHT WHERE RSFUN = :fun AND RSRIGHT <> 0"));
    lock.bind(QStringLiteral(":fun"), rightsEditor()).exec();
    db::Statement holders(tx, QStringLiteral(
        "SELECT SUM(CASE WHEN BNNO = :no THEN 1 ELSE 0 END), SUM(CASE WHEN BNNO <> :other THEN 1 ELSE 0 END) "
        "FROM SYSRIGHTSET WHERE RSFUN = :fun AND RSRIGHT <> 0"));
    holders.bind(QStringLiteral(":no"), operatorNo).bind(QStringLiteral(":other"), operatorNo)
        .bind(QStringLiteral(":fun"), rightsEditor());
    const bool holds = holders.first() && holders.integer(0) > 0;
    const bool othersHold = holders.integer(1) > 0;
    holders.query().finish();
    return holds && !othersHold;
}

OperatorRights::SaveResult OperatorRights::save(const QString& operatorNo, const std::vector<RightChoice>& choices) {
    SaveResult result;
    db::Transaction tx(m_connection);
    for (const RightChoice& choice : choices)
        if (choice.function == rightsEditor() && !choice.granted && isLastRightsEditor(tx, operatorNo))
            throw db::Error(QStringLiteral("不能取消最后一个拥有“权限设置”权限的操作员的该权限，否则将无人能设置操作员权限！"),
                            db::ErrorKind::Refused);
    db::Statement read(tx, QStringLiteral("Select RSRIGHT From SYSRIGHTSET Where BNNO = :BNNO and RSFUN = :RSFUN"));
    db::Statement insert(tx, QStringLiteral(
        "Insert Into SYSRIGHTSET (BNNO, RSFUN, RSNAME, RSRIGHT) Values(:BNNO, :RSFUN, :RSNAME, :RSRIGHT)"));
    db::Statement update(tx, QStringLiteral("Update SYSRIGHTSET Set RSRIGHT = :RSRIGHT Where BNNO = :BNNO and RSFUN = :RSFUN"));
    for (const RightChoice& choice : choices) {
        read.bind(QStringLiteral(":BNNO"), operatorNo).bind(QStringLiteral(":RSFUN"), choice.function);
        const bool exists = read.first();
        const bool stored = exists && read.integer(0) != 0;
        read.query().finish();
        if (!exists) {
            insert.bind(QStringLiteral(":BNNO"), operatorNo).bind(QStringLiteral(":RSFUN"), choice.function)
                .bind(QStringLiteral(":RSNAME"), choice.caption).bind(QStringLiteral(":RSRIGHT"), choice.granted).exec();
            ++result.inserted;
        } else if (stored != choice.granted) {
            update.bind(QStringLiteral(":RSRIGHT"), choice.granted).bind(QStringLiteral(":BNNO"), operatorNo)
                .bind(QStringLiteral(":RSFUN"), choice.function).exec();
            ++result.updated;
        }
    }
    tx.commit();
    return result;
}
