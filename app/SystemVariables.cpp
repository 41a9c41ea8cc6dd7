#include "app/SystemVariables.h"

#include "db/Statement.h"
#include "db/Transaction.h"

const QStringList& SystemVariables::names() {
    static const QStringList list = {
        QStringLiteral("CheckedDate"),    QStringLiteral("BalaBegDate"),     QStringLiteral("BalaEndDate"),
        QStringLiteral("RetailSaleType"), QStringLiteral("BatchSaleType"),   QStringLiteral("RetailPrintMode"),
        QStringLiteral("BatchPrintMode"), QStringLiteral("isPrint"),         QStringLiteral("isCheckStore"),
    };
    return list;
}

QString SystemVariables::description(const QString& name) {
    static const std::map<QString, QString> scripts = {
        {QStringLiteral("RetailSaleType"), QStringLiteral("零售默认销售方式")},
        {QStringLiteral("BatchSaleType"), QStringLiteral("批发默认销售方式")},
        {QStringLiteral("RetailPrintMode"), QStringLiteral("零售默认打印模式")},
        {QStringLiteral("BatchPrintMode"), QStringLiteral("批发默认打印模式")},
        {QStringLiteral("isPrint"), QStringLiteral("默认打印票据")},
        {QStringLiteral("isCheckStore"), QStringLiteral("默认检测库存")},
    };
    const auto it = scripts.find(name);
    return it == scripts.end() ? QString() : it->second;
}

std::map<QString, QString> SystemVariables::load() {
    std::map<QString, QString> out;
    db::Statement s(m_connection, QStringLiteral("select vrvalue from sysvariable where vrname = :vrname"));
    for (const QString& name : names()) {
        s.bind(QStringLiteral(":vrname"), name);
        if (s.first()) out[name] = s.text(0);
    }
    return out;
}

void SystemVariables::save(const std::vector<Value>& values) {
    db::Transaction tx(m_connection);
    db::Statement read(tx, QStringLiteral("Select 1 from sysvariable where vrname = :vrname"));
    db::Statement insert(tx, QStringLiteral("Insert into sysvariable(vrvalue, vrname, vrscript) values(:vrvalue, :vrname, :vrscript)"));
    db::Statement update(tx, QStringLiteral("update sysvariable set vrvalue = :vrvalue where vrname = :vrname"));
    for (const Value& v : values) {
        read.bind(QStringLiteral(":vrname"), v.name);
        const bool exists = read.first();
        read.query().finish();
        db::Statement& write = exists ? update : insert;
        if (v.value) write.bind(QStringLiteral(":vrvalue"), *v.value);
        else write.bindNull(QStringLiteral(":vrvalue"));
        write.bind(QStringLiteral(":vrname"), v.name);
        if (!exists) insert.bindTextOrNull(QStringLiteral(":vrscript"), description(v.name));
        write.exec();
    }
    tx.commit();
}
