#include "db/InitialData.h"

#include "db/Connection.h"
#include "db/MenuCatalog.h"
#include "db/Passwords.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "db/Transaction.h"

namespace db::InitialData {

namespace {

bool exists(Connection& c, const QString& sql, const QString& key) {
    Statement s(c, sql);
    return s.bind(QStringLiteral(":k"), key).first();
}

const QString& initialPasswordHash() {
    // Hashing is deliberately slow; one hash serves every reset in this process.
    static const QString hash = Passwords::hash(OperatorPassword);
    return hash;
}

struct Variable { const char* name; const char* value; const char* script; };
const Variable kVariables[] = {
    {"CheckedDate", "", nullptr},
    {"BalaBegDate", "", nullptr},
    {"BalaEndDate", "", nullptr},
    {"RetailSaleType", "001", "零售默认销售方式"},
    {"BatchSaleType", "001", "批发默认销售方式"},
    {"RetailPrintMode", "0", "零售默认打印模式"},
    {"BatchPrintMode", "0", "批发默认打印模式"},
    {"isPrint", "-1", "默认打印票据"},
    {"isCheckStore", "0", "默认检测库存"},
};

}  // namespace

void install(Connection& c) {
    ProcedureScope scope(c);
    if (!exists(c, QStringLiteral("SELECT 1 FROM BMAN WHERE BNNO = :k"), OperatorNo)) {
        Statement s(c, QStringLiteral("INSERT INTO BMAN(BNNO, BNNAME, BNPOST, BNPASSWORD) VALUES(:no, :name, :post, :pw)"));
        s.bind(QStringLiteral(":no"), OperatorNo).bind(QStringLiteral(":name"), OperatorName)
            .bind(QStringLiteral(":post"), QStringLiteral("管理员")).bind(QStringLiteral(":pw"), initialPasswordHash()).exec();
    }
    Statement menu(c, QStringLiteral("INSERT INTO MENU(MENUNO, MENUNAME, MENUTYPE, NO) VALUES(:no, :name, :type, :ord)"));
    Statement right(c, QStringLiteral(
        "INSERT INTO SYSRIGHTSET(BNNO, RSFUN, RSNAME, RSRIGHT) VALUES(:bnno, :fun, :name, 1)"));
    for (const RightsFunction& f : rightsFunctions()) {
        if (!exists(c, QStringLiteral("SELECT 1 FROM MENU WHERE MENUNO = :k"), f.name))
            menu.bind(QStringLiteral(":no"), f.name).bind(QStringLiteral(":name"), f.caption)
                .bind(QStringLiteral(":type"), f.group).bind(QStringLiteral(":ord"), f.order).exec();
        Statement has(c, QStringLiteral("SELECT 1 FROM SYSRIGHTSET WHERE BNNO = :b AND RSFUN = :k"));
        if (!has.bind(QStringLiteral(":b"), OperatorNo).bind(QStringLiteral(":k"), f.name).first())
            right.bind(QStringLiteral(":bnno"), OperatorNo).bind(QStringLiteral(":fun"), f.name)
                .bind(QStringLiteral(":name"), f.caption).exec();
    }
    Statement var(c, QStringLiteral("INSERT INTO sysvariable(vrname, vrvalue, vrscript) VALUES(:n, :v, :s)"));
    for (const Variable& v : kVariables) {
        if (exists(c, QStringLiteral("SELECT 1 FROM sysvariable WHERE vrname = :k"), QString::fromUtf8(v.name))) continue;
        var.bind(QStringLiteral(":n"), QString::fromUtf8(v.name)).bind(QStringLiteral(":v"), QString::fromUtf8(v.value));
        if (v.script) var.bind(QStringLiteral(":s"), QString::fromUtf8(v.script));
        else var.bindNull(QStringLiteral(":s"));
        var.exec();
    }
    if (!exists(c, QStringLiteral("SELECT 1 FROM KHB WHERE KHNO = :k"), RetailClient)) {
        Statement s(c, QStringLiteral("INSERT INTO KHB(KHNO, KHNAME) VALUES(:k, :n)"));
        s.bind(QStringLiteral(":k"), RetailClient).bind(QStringLiteral(":n"), QStringLiteral("零售客户")).exec();
    }
    if (!exists(c, QStringLiteral("SELECT 1 FROM STORE WHERE CKNO = :k"), MainStore)) {
        Statement s(c, QStringLiteral("INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES(:k, :n, '0')"));
        s.bind(QStringLiteral(":k"), MainStore).bind(QStringLiteral(":n"), QStringLiteral("主库")).exec();
    }
    scope.commit();
}

void resetDatabase(Connection& c) {
    ProcedureScope scope(c);
    for (const QString& table : Schema::tablesChildFirst()) c.execute(QStringLiteral("DELETE FROM ") + table);
    install(c);
    scope.commit();
}

}  // namespace db::InitialData
