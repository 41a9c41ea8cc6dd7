#include "db/DemoData.h"

#include "db/Connection.h"
#include "db/InitialData.h"
#include "db/Money.h"
#include "db/AccountLedger.h"
#include "db/SerialNumbers.h"
#include "db/Statement.h"
#include "db/StockLedger.h"
#include "db/Transaction.h"

namespace db::DemoData {

namespace {

struct Product { const char* no; const char* name; const char* category; const char* unit; const char* price;
                 const char* lowest; const char* wholesale; const char* cost; const char* supplier; const char* dept; };

const Product kProducts[] = {
    {"10001001", "康师傅红烧牛肉面 105g", "001", "袋", "4.50", "4.00", "3.80", "3.20", "001", "001"},
    {"10001002", "统一老坛酸菜牛肉面", "001", "袋", "4.50", "4.00", "3.80", "3.10", "001", "001"},
    {"10001003", "今麦郎一桶半", "001", "桶", "5.00", "4.50", "4.20", "3.60", "001", "001"},
    {"10001004", "白象大骨面 5连包", "001", "包", "12.90", "11.50", "10.80", "9.20", "001", "001"},
    {"10002001", "农夫山泉 550ml", "002", "瓶", "2.00", "1.80", "1.50", "1.10", "002", "001"},
    {"10002002", "怡宝纯净水 555ml", "002", "瓶", "2.00", "1.80", "1.50", "1.05", "002", "001"},
    {"10002003", "可口可乐 330ml", "002", "听", "3.50", "3.00", "2.80", "2.20", "002", "001"},
    {"10002004", "雪碧 2L", "002", "瓶", "8.50", "7.80", "7.20", "6.10", "002", "001"},
    {"10002005", "王老吉凉茶 310ml", "002", "罐", "4.00", "3.60", "3.30", "2.70", "002", "001"},
    {"10002006", "蒙牛纯牛奶 250ml", "002", "盒", "3.50", "3.20", "3.00", "2.50", "002", "001"},
    {"10002007", "伊利安慕希酸奶", "002", "盒", "5.50", "5.00", "4.60", "3.90", "002", "001"},
    {"10002008", "青岛啤酒 500ml", "002", "听", "6.00", "5.50", "5.00", "4.10", "002", "001"},
    {"10003001", "奥利奥夹心饼干", "003", "盒", "9.90", "9.00", "8.50", "7.00", "001", "001"},
    {"10003002", "旺旺雪饼 84g", "003", "袋", "6.50", "6.00", "5.60", "4.50", "001", "001"},
    {"10003003", "乐事薯片原味 70g", "003", "袋", "7.50", "7.00", "6.50", "5.20", "001", "001"},
    {"10003004", "德芙丝滑牛奶巧克力", "003", "块", "12.00", "11.00", "10.20", "8.60", "001", "001"},
    {"10003005", "大白兔奶糖 227g", "003", "袋", "18.00", "16.50", "15.50", "12.80", "001", "001"},
    {"10003006", "洽洽香瓜子 260g", "003", "袋", "11.50", "10.50", "9.80", "8.00", "001", "001"},
    {"10004001", "金龙鱼大米 5kg", "004", "袋", "39.90", "37.00", "35.00", "31.00", "003", "002"},
    {"10004002", "福临门花生油 5L", "004", "桶", "89.00", "85.00", "80.00", "72.00", "003", "002"},
    {"10004003", "海天生抽 500ml", "004", "瓶", "9.80", "9.00", "8.50", "7.10", "003", "002"},
    {"10004004", "老干妈风味豆豉", "004", "瓶", "10.50", "9.80", "9.20", "7.60", "003", "002"},
    {"10004005", "太太乐鸡精 200g", "004", "袋", "8.90", "8.20", "7.80", "6.40", "003", "002"},
    {"10004006", "中盐精制盐 400g", "004", "袋", "2.50", "2.20", "2.00", "1.60", "003", "002"},
    {"10004007", "金龙鱼面粉 2.5kg", "004", "袋", "22.00", "20.50", "19.00", "16.80", "003", "002"},
    {"10004008", "镇江香醋 500ml", "004", "瓶", "6.80", "6.20", "5.80", "4.70", "003", "002"},
    {"10005001", "舒肤佳香皂 115g", "005", "块", "6.50", "6.00", "5.50", "4.40", "004", "003"},
    {"10005002", "海飞丝洗发水 400ml", "005", "瓶", "45.90", "42.00", "39.00", "33.50", "004", "003"},
    {"10005003", "高露洁牙膏 140g", "005", "支", "12.90", "11.80", "11.00", "9.10", "004", "003"},
    {"10005004", "维达抽纸 3层", "005", "包", "4.90", "4.50", "4.20", "3.40", "004", "003"},
    {"10005005", "心相印卷纸 10卷", "005", "提", "29.90", "27.50", "26.00", "22.00", "004", "003"},
    {"10005006", "立白洗衣液 2kg", "005", "瓶", "32.90", "30.00", "28.50", "24.20", "004", "003"},
    {"10005007", "蓝月亮洗手液", "005", "瓶", "19.90", "18.00", "17.00", "14.30", "004", "003"},
    {"10005008", "黑人牙刷 双支装", "005", "盒", "15.90", "14.50", "13.50", "11.20", "004", "003"},
    {"10006001", "晨光中性笔 0.5mm", "006", "支", "2.00", "1.80", "1.60", "1.10", "005", "004"},
    {"10006002", "得力订书机", "006", "个", "18.00", "16.50", "15.00", "12.00", "005", "004"},
    {"10006003", "A4复印纸 500张", "006", "包", "26.00", "24.00", "22.50", "19.00", "005", "004"},
    {"10006004", "晨光笔记本 B5", "006", "本", "5.50", "5.00", "4.60", "3.70", "005", "004"},
    {"10006005", "得力计算器", "006", "个", "35.00", "32.00", "30.00", "25.00", "005", "004"},
    {"10006006", "三福胶带", "006", "卷", "3.00", "2.70", "2.50", "1.90", "005", "004"},
    {"10007001", "南孚电池 5号 4粒", "007", "板", "11.90", "11.00", "10.20", "8.40", "005", "004"},
    {"10007002", "公牛插座 3米", "007", "个", "49.00", "45.00", "42.00", "35.00", "005", "004"},
    {"10007003", "飞利浦节能灯 15W", "007", "只", "16.80", "15.50", "14.50", "11.80", "005", "004"},
    {"10007004", "小米数据线", "007", "根", "19.90", "18.00", "17.00", "13.50", "005", "004"},
    {"10008001", "红富士苹果", "008", "公斤", "12.80", "11.00", "10.00", "8.00", "006", "002"},
    {"10008002", "香蕉", "008", "公斤", "6.98", "6.00", "5.50", "4.20", "006", "002"},
    {"10008003", "赣南脐橙", "008", "公斤", "9.80", "8.80", "8.00", "6.50", "006", "002"},
    {"10008004", "西红柿", "008", "公斤", "5.60", "5.00", "4.50", "3.40", "006", "002"},
    {"10008005", "土豆", "008", "公斤", "3.20", "2.80", "2.50", "1.90", "006", "002"},
    {"10008006", "鸡蛋 30枚", "008", "盒", "25.80", "24.00", "22.50", "19.50", "006", "002"},
};

void exec(Connection& c, const char* sql, std::initializer_list<std::pair<const char*, QString>> values) {
    Statement s(c, QString::fromUtf8(sql));
    for (const auto& [name, value] : values) s.bindTextOrNull(QString::fromUtf8(name), value);
    s.exec();
}

QString u(const char* text) { return QString::fromUtf8(text); }

}  // namespace

void install(Connection& c) {
    {
        Statement any(c, QStringLiteral("SELECT 1 FROM SPB"));
        if (any.first()) return;
    }
    Transaction tx(c);
    const std::pair<const char*, const char*> stores[] = {{"002", "门市部"}, {"003", "样品库"}};
    exec(c, "UPDATE STORE SET CKNAME = :n WHERE CKNO = '001'", {{":n", u("主库")}});
    for (const auto& [no, name] : stores)
        exec(c, "INSERT INTO STORE(CKNO, CKNAME, CKTYPE) VALUES(:no, :name, :type)",
             {{":no", u(no)}, {":name", u(name)}, {":type", u(no) == QLatin1String("003") ? u("1") : u("2")}});
    const std::pair<const char*, const char*> categories[] = {
        {"001", "方便食品"}, {"002", "饮料乳品"}, {"003", "休闲零食"}, {"004", "粮油调味"},
        {"005", "日化清洁"}, {"006", "文具办公"}, {"007", "电子电器"}, {"008", "生鲜果蔬"}};
    for (const auto& [no, name] : categories)
        exec(c, "INSERT INTO SPFLB(FLNo, FLName) VALUES(:no, :name)", {{":no", u(no)}, {":name", u(name)}});
    const char* units[] = {"袋", "桶", "包", "瓶", "听", "罐", "盒", "块", "支", "提", "个", "本", "卷", "板", "只", "根", "公斤"};
    int unitNo = 0;
    for (const char* name : units)
        exec(c, "INSERT INTO SPDWB(DWBH, DWMC) VALUES(:no, :name)",
             {{":no", QStringLiteral("%1").arg(++unitNo, 3, 10, QLatin1Char('0'))}, {":name", u(name)}});
    const std::pair<const char*, const char*> depts[] = {{"001", "食品部"}, {"002", "粮油生鲜部"}, {"003", "日化部"}, {"004", "百货部"}};
    for (const auto& [no, name] : depts)
        exec(c, "INSERT INTO dept(BMNO, BMName) VALUES(:no, :name)", {{":no", u(no)}, {":name", u(name)}});
    struct Party { const char* no; const char* name; const char* person; const char* tel; const char* addr; };
    const Party suppliers[] = {
        {"001", "华联食品批发有限公司", "王建国", "0571-88001234", "杭州市拱墅区莫干山路100号"},
        {"002", "娃哈哈饮料经销部", "李明", "0571-86005678", "杭州市上城区清泰街8号"},
        {"003", "粮油贸易公司", "陈芳", "0571-85112233", "杭州市余杭区粮仓路21号"},
        {"004", "洁丽日化商行", "赵丽", "0571-87334455", "杭州市西湖区文三路55号"},
        {"005", "文达百货批发", "孙强", "0571-89556677", "杭州市滨江区江南大道300号"},
        {"006", "绿源果蔬合作社", "周平", "13905710001", "杭州市萧山区瓜沥镇"},
    };
    for (const Party& p : suppliers)
        exec(c, "INSERT INTO CSB(CSNO, CSNAME, LXR, LXDH, LXDZ) VALUES(:no, :name, :p, :t, :a)",
             {{":no", u(p.no)}, {":name", u(p.name)}, {":p", u(p.person)}, {":t", u(p.tel)}, {":a", u(p.addr)}});
    const Party clients[] = {
        {"001", "街角便利店", "刘洋", "13800571001", "杭州市下城区体育场路12号"},
        {"002", "阳光食堂", "吴敏", "13800571002", "杭州市西湖区学院路88号"},
        {"003", "天天超市", "郑华", "13800571003", "杭州市江干区秋涛路66号"},
    };
    for (const Party& p : clients)
        exec(c, "INSERT INTO KHB(KHNO, KHNAME, LXR, LXDH, LXDZ) VALUES(:no, :name, :p, :t, :a)",
             {{":no", u(p.no)}, {":name", u(p.name)}, {":p", u(p.person)}, {":t", u(p.tel)}, {":a", u(p.addr)}});
    const std::tuple<const char*, const char*, const char*> staff[] = {
        {"001", "张伟", "0"}, {"002", "王芳", "0"}, {"101", "李娜", "1"}, {"102", "刘洋", "1"}, {"103", "陈静", "1"}};
    for (const auto& [no, name, zw] : staff)
        exec(c, "INSERT INTO GZRYB(ZYNO, NAME, ZW) VALUES(:no, :name, :zw)", {{":no", u(no)}, {":name", u(name)}, {":zw", u(zw)}});

    Statement product(c, QStringLiteral(
        "INSERT INTO SPB(SPNO, SPNAME, SPLB, SPDW, BZJG, ZDJG, PFJG, KCMAX, KCMIN, CBJG, BZ, QSGYS, XSFS, BMNO) "
        "VALUES(:no, :name, :cat, :unit, :bzjg, :zdjg, :pfjg, 500, 10, :cbjg, NULL, :sup, 0, :dept)"));
    for (const Product& p : kProducts) {
        product.bind(QStringLiteral(":no"), u(p.no)).bind(QStringLiteral(":name"), u(p.name))
            .bind(QStringLiteral(":cat"), u(p.category)).bind(QStringLiteral(":unit"), u(p.unit))
            .bind(QStringLiteral(":bzjg"), *Money::parse(u(p.price))).bind(QStringLiteral(":zdjg"), *Money::parse(u(p.lowest)))
            .bind(QStringLiteral(":pfjg"), *Money::parse(u(p.wholesale))).bind(QStringLiteral(":cbjg"), *Money::parse(u(p.cost)))
            .bind(QStringLiteral(":sup"), u(p.supplier)).bind(QStringLiteral(":dept"), u(p.dept)).exec();
    }

    // Opening stock: one receiving document per supplier into the main store, every
    // product 100 units at its cost price, with the supplier's ledger row.
    SerialNumbers serials(c);
    Statement header(c, QStringLiteral(
        "INSERT INTO JHDSJB(JHDNO, JHNO, CSNO, JBR, DJDATE, BZ, BNNO) VALUES(:no, :jhno, :cs, '001', getdate(), :bz, :op)"));
    Statement line(c, QStringLiteral(
        "INSERT INTO JHDMXB(JHDNO, SPNO, SPNAME, JSDW, DJ, SL, XSSL, ZJE, CKNO) VALUES(:no, :sp, :name, :dw, :dj, :sl, 0, :zje, :ck)"));
    StockLedger stock(c);
    AccountLedger supplierLedger(c, AccountKind::Supplier);
    for (const Party& s : suppliers) {
        const QString supplier = u(s.no);
        const QString receivingNo = serials.next(QStringLiteral("J"));
        const QString movementNo = serials.next(QStringLiteral("W"));
        header.bind(QStringLiteral(":no"), receivingNo).bind(QStringLiteral(":jhno"), QStringLiteral("QC-") + supplier)
            .bind(QStringLiteral(":cs"), supplier).bind(QStringLiteral(":bz"), QStringLiteral("期初库存"))
            .bind(QStringLiteral(":op"), InitialData::OperatorNo).exec();
        Money total;
        std::vector<Movement> movements;
        for (const Product& p : kProducts) {
            if (u(p.supplier) != supplier) continue;
            const double qty = 100;
            const Money cost = *Money::parse(u(p.cost));
            const Money amount = cost.times(qty);
            total += amount;
            line.bind(QStringLiteral(":no"), receivingNo).bind(QStringLiteral(":sp"), u(p.no)).bind(QStringLiteral(":name"), u(p.name))
                .bind(QStringLiteral(":dw"), u(p.unit)).bind(QStringLiteral(":dj"), cost).bind(QStringLiteral(":sl"), qty)
                .bind(QStringLiteral(":zje"), amount).bind(QStringLiteral(":ck"), InitialData::MainStore).exec();
            movements.push_back({u(p.no), u(p.name), u(p.unit), qty, InitialData::MainStore, MovementKind::Receive, amount});
        }
        stock.recordMovements(movementNo, receivingNo, movements, false);
        // What the shop owes the supplier for the goods: a "借" row raises a supplier's balance.
        supplierLedger.post({supplier, AccountSide::Debit, total, QString(), QStringLiteral("进货"), receivingNo,
                             InitialData::OperatorNo});
    }
    tx.commit();
}

}  // namespace db::DemoData
