#include "app/OperatorRights.h"

#include "db/Comm.h"
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

OperatorRights::SaveResult OperatorRights::save(const QString& operatorNo, const std::vector<RightChoice>& choices) {
    SaveResult result;
    db::Transaction tx(m_connection);
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
