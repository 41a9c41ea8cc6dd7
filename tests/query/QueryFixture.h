// A few rows behind every query view, and helpers that drive a query screen as the operator does.
#pragma once

#include "DbTest.h"
#include "GuiTest.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "query/QueryRowSource.h"
#include "query/TfrmBaseQuery.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <initializer_list>

namespace queryfixture {

inline QVariant money(const char* text) { return QVariant::fromValue(*Money::parse(QString::fromUtf8(text))); }
inline QVariant day(int y, int m, int d, int h = 10) { return QDateTime(QDate(y, m, d), QTime(h, 0)); }
inline QVariant t(const char* text) { return QString::fromUtf8(text); }

inline void run(db::Connection& c, const char* sql, std::initializer_list<QVariant> values) {
    db::Statement s(c, QString::fromUtf8(sql));
    int i = 0;
    for (const QVariant& v : values) s.bindValue(QStringLiteral(":v%1").arg(++i), v);
    s.exec();
}

// Two suppliers, three products (one sold on commission), a second store, and one or two
// documents of every kind, dated in January 2005.
inline void install(db::Connection& c) {
    db::Transaction tx(c);
    run(c, "insert into CSB(CSNO, CSNAME, LXR, LXDH, LXDZ) values(:v1, :v2, :v3, :v4, :v5)",
        {t("001"), t("华联食品批发"), t("王建国"), t("0571-88001234"), t("莫干山路100号")});
    run(c, "insert into CSB(CSNO, CSNAME, LXR, LXDH, LXDZ) values(:v1, :v2, :v3, :v4, :v5)",
        {t("002"), t("洁丽日化商行"), t("赵丽"), t("0571-87334455"), t("文三路55号")});
    run(c, "insert into dept(BMNO, BMName) values(:v1, :v2)", {t("001"), t("食品部")});
    run(c, "insert into STORE(CKNO, CKNAME) values(:v1, :v2)", {t("002"), t("门市部")});
    const char* product =
        "insert into SPB(SPNO, SPNAME, SPDW, BZJG, ZDJG, PFJG, KCMAX, KCMIN, CBJG, BZ, QSGYS, XSFS, BMNO) "
        "values(:v1, :v2, :v3, :v4, :v5, :v6, :v7, :v8, :v9, :v10, :v11, :v12, '001')";
    run(c, product, {t("1001"), t("纯牛奶 250ml"), t("盒"), money("3.50"), money("3.20"), money("3.00"), 500, 10,
                     money("2.50"), t("冷藏"), t("001"), 1});
    run(c, product, {t("1002"), t("酸奶"), t("盒"), money("5.50"), money("5.00"), money("4.60"), 300, 5,
                     money("3.90"), t(""), t("001"), 0});
    run(c, product, {t("2001"), t("洗衣液 2kg"), t("瓶"), money("32.90"), money("30.00"), money("28.50"), 100, 2,
                     money("24.20"), t(""), t("002"), 0});

    const char* loss = "insert into BSB(BSDNO, SPNO, SPNAME, JLDW, SL, DJ, JE, BNNO, CZRQ) "
                       "values(:v1, :v2, :v3, :v4, :v5, :v6, :v7, '001', :v8)";
    run(c, loss, {t("B05013100000001"), t("1001"), t("纯牛奶 250ml"), t("盒"), 2.0, money("2.50"), money("5.00"), day(2005, 1, 31)});
    run(c, loss, {t("B05013100000001"), t("1002"), t("酸奶"), t("盒"), 6.0, money("3.90"), money("23.40"), day(2005, 1, 31)});
    run(c, loss, {t("B05020100000001"), t("2001"), t("洗衣液 2kg"), t("瓶"), 1.0, money("24.20"), money("24.20"), day(2005, 2, 1)});

    const char* sale = "insert into XSB(XSNO, SPZE, SKZE, BNNO, XSDATE, KHNO, KHName, KHLX) "
                       "values(:v1, :v2, :v3, '001', :v4, '000', '零售', 'L')";
    const char* saleLine = "insert into XSMXB(XSNO, SPNO, SPNAME, JLDW, SPSL, SPDJ, ZKL, ZJE, XSDAY) "
                           "values(:v1, :v2, :v3, :v4, :v5, :v6, :v7, :v8, :v9)";
    run(c, sale, {t("X05012000000001"), money("10.50"), money("10.50"), day(2005, 1, 20)});
    run(c, saleLine, {t("X05012000000001"), t("1001"), t("纯牛奶 250ml"), t("盒"), 3.0, money("3.50"), 100, money("10.50"), t("2005-01-20")});
    run(c, sale, {t("X05012100000001"), money("29.61"), money("29.61"), day(2005, 1, 21)});
    run(c, saleLine, {t("X05012100000001"), t("2001"), t("洗衣液 2kg"), t("瓶"), 1.0, money("32.90"), 90, money("29.61"), t("2005-01-21")});

    const char* handIn = "insert into SYYJKB(JKLSNO, JKDATE, SYYNO, SYYNAME, SJJE, YJJE, CZDATE, BNNO) "
                         "values(:v1, :v2, '001', '系统管理员', :v3, :v4, :v5, '001')";
    run(c, handIn, {t("j05012000000001"), day(2005, 1, 20), money("90"), money("100"), day(2005, 1, 20)});
    run(c, handIn, {t("j05012100000001"), day(2005, 1, 21), money("50"), money("50"), day(2005, 1, 21)});

    const char* move = "insert into QTJHDMXB(WLNO, JHDNO, SPNO, SPNAME, JSDW, SL, CKNO, WLTYPE, CZRQ) "
                       "values(:v1, :v2, :v3, :v4, :v5, :v6, :v7, :v8, :v9)";
    run(c, move, {t("W05012500000001"), t("W05012500000001"), t("1001"), t("纯牛奶 250ml"), t("盒"), 5.0, t("001"), t("调出"), day(2005, 1, 25)});
    run(c, move, {t("W05012500000001"), t("W05012500000001"), t("1001"), t("纯牛奶 250ml"), t("盒"), 5.0, t("002"), t("调入"), day(2005, 1, 25)});

    run(c, "insert into JHDSJB(JHDNO, JHNO, CSNO, DJDATE, BZ, BNNO, CZDATE) values(:v1, :v2, :v3, :v4, :v5, '001', :v6)",
        {t("J05011000000001"), t("HL-778"), t("001"), day(2005, 1, 10), t("首批"), day(2005, 1, 10)});
    const char* receiptLine = "insert into JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) "
                              "values(:v1, :v2, :v3, :v4, :v5, :v6, 0, :v7, '001')";
    run(c, receiptLine, {t("J05011000000001"), t("1001"), t("纯牛奶 250ml"), t("盒"), money("2.50"), 100.0, money("250")});
    run(c, receiptLine, {t("J05011000000001"), t("1002"), t("酸奶"), t("盒"), money("3.90"), 50.0, money("195")});
    run(c, "insert into JHDSJB(JHDNO, JHNO, CSNO, DJDATE, BNNO, CZDATE) values(:v1, :v2, :v3, :v4, '001', :v5)",
        {t("J05011100000001"), t("JL-12"), t("002"), day(2005, 1, 11), day(2005, 1, 11)});
    run(c, receiptLine, {t("J05011100000001"), t("2001"), t("洗衣液 2kg"), t("瓶"), money("24.20"), 20.0, money("484")});

    run(c, "insert into GYSTHSJB(THDNO, CSNO, BNNO, CZDATE) values(:v1, :v2, '001', :v3)",
        {t("T05011500000001"), t("001"), day(2005, 1, 15)});
    const char* returnLine = "insert into GYSTHMXB(THDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) values(:v1, :v2, :v3, :v4, :v5, :v6, :v7)";
    run(c, returnLine, {t("T05011500000001"), t("1001"), t("纯牛奶 250ml"), t("箱"), 1.0, money("60"), money("60")});
    run(c, returnLine, {t("T05011500000001"), t("1002"), t("酸奶"), t("盒"), 4.0, money("3.90"), money("15.60")});

    run(c, "insert into KHTHSJB(THDNO, KHNO, BNNO, CZDATE) values(:v1, '000', '001', :v2)",
        {t("c05012200000001"), day(2005, 1, 22)});
    const char* clientReturn = "insert into KHTHMXB(THDNO, SPNO, SPNAME, JLDW, SL, DJ, JE) values(:v1, :v2, :v3, :v4, :v5, :v6, :v7)";
    run(c, clientReturn, {t("c05012200000001"), t("1001"), t("纯牛奶 250ml"), t("盒"), 2.0, money("3.50"), money("7.00")});
    run(c, clientReturn, {t("c05012200000001"), t("2001"), t("洗衣液 2kg"), t("瓶"), 1.0, money("32.90"), money("32.90")});
    tx.commit();
}

// The operator's hands on a query screen.
struct Operator {
    TfrmBaseQuery& screen;

    QComboBox* combo(const char* name) const { return screen.control<QComboBox>(QString::fromUtf8(name)); }
    void condition(const QString& item, const QString& comparison, const QString& content) const {
        combo("cbSelectItem")->setEditText(item);
        combo("cbSelectCompare")->setEditText(comparison);
        combo("cbSelectContent")->setEditText(content);
    }
    void connective(const QString& text) const {
        QComboBox* logic = combo("cbSelectLogic");
        const int index = logic->findText(text);
        logic->setCurrentIndex(index);
        Q_EMIT logic->activated(index);
    }
    void f8() const { QTest::keyClick(combo("cbSelectContent"), Qt::Key_F8); }
    QString count() const { return screen.control<QLabel>(QStringLiteral("lbCount"))->text(); }
    QString remark() const { return screen.control<QLineEdit>(QStringLiteral("edRemark"))->text(); }
    // Column `column` of every row, as shown.
    QStringList shown(int column) const {
        QStringList out;
        auto& rows = screen.rows();
        for (int r = 0; r < rows.rowCount(); ++r) out << rows.data(rows.index(r, column), Qt::DisplayRole).toString();
        return out;
    }
};

}  // namespace queryfixture
