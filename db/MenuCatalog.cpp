#include "db/MenuCatalog.h"

#include <QMap>

namespace db {

namespace {
MenuEntry item(const char* name, const char* caption, const char* group = nullptr) {
    MenuEntry e;
    e.kind = MenuEntry::Item;
    e.name = QString::fromUtf8(name);
    e.caption = QString::fromUtf8(caption);
    e.rights = group != nullptr;
    if (group) e.group = QString::fromUtf8(group);
    return e;
}
MenuEntry separator() { return MenuEntry{MenuEntry::Separator, {}, {}, false, {}, {}}; }
MenuEntry subMenu(const char* name, const char* caption, const char* group, std::vector<MenuEntry> children) {
    MenuEntry e = item(name, caption, group);
    e.kind = MenuEntry::SubMenu;
    e.children = std::move(children);
    return e;
}
}  // namespace

const std::vector<TopMenu>& menuCatalog() {
    static const std::vector<TopMenu> menus = {
        {QStringLiteral("miSystem"), QStringLiteral("&S系统管理"),
         {item("miDesOper", "&C注销用户"), separator(), item("miAgainLog", "&L重新登录"), item("miUpdaPass", "&U修改口令"),
          separator(), item("N13", "&E退出系统")}},
        {QStringLiteral("miSysSet"), QStringLiteral("&Z系统设置"),
         {item("miRightSet", "&R权限设置", "SysSet"), item("miOperator", "&O操作员录入", "SysSet"), separator(),
          item("miInitDatabase", "&D初始化数据库", "SysSet"), item("miVarSet", "&V系统变量设置", "SysSet")}},
        {QStringLiteral("miBaseInfo"), QStringLiteral("&M基础信息维护"),
         {item("miDept", "&B部门维护", "BaseInfo"), item("miInputStore", "&C仓库维护", "BaseInfo"), separator(),
          item("miSupply", "&S厂商信息维护", "BaseInfo"), item("miClient", "&C客户信息维护", "BaseInfo"), separator(),
          item("miOfficeClerk", "&O工作人员信息维护", "BaseInfo"), separator(),
          item("miProductSpec", "&F商品分类维护", "BaseInfo"), item("miProductUnit", "&D商品单位维护", "BaseInfo"),
          separator(), item("miProduct", "&P商品目录维护", "BaseInfo")}},
        {QStringLiteral("miSale"), QStringLiteral("&P销售处理"),
         {item("miPOS", "&l零售", "Operation"), item("miJobPos", "&P批发", "Operation"),
          item("miDayOver", "&D收银员日结", "Operation")}},
        {QStringLiteral("miOperation"), QStringLiteral("&O业务处理"),
         {item("miReceive", "&I入库业务处理", "Operation"), item("miDPCL", "&D调拨处理", "Operation"), separator(),
          item("miClientRetu", "&K客户退货处理", "Operation"), item("miSuppRetu", "&S退货到供应商处理", "Operation"),
          separator(), item("miInitChec", "&P初始化盘点数据", "Operation"), item("miChecked", "&C库存盘点处理", "Operation"),
          item("miLose", "&B报损处理", "Operation"), separator(), item("miMonthBala", "&J每月结转", "Operation")}},
        {QStringLiteral("miBala"), QStringLiteral("&B结算处理"),
         {item("miSuppBala", "&F付款", "Operation"), item("miClientBala", "&S收款", "Operation")}},
        {QStringLiteral("miQuery"), QStringLiteral("&C综合查询"),
         {item("miQyProduct", "&P商品信息查询", "Query"), item("miQySupply", "&S厂商信息查询", "Query"), separator(),
          item("miQySellList", "&X销售明细信息查询", "Query"), item("miQySYYJK", "&J收银员缴款查询", "Query"), separator(),
          item("miQyInStore", "&I入库单查询", "Query"), item("miQyDPCL", "&D调拨查询", "Query"), separator(),
          item("miQyKHTH", "&K客户退货查询", "Query"), item("miQyGysRetu", "&R对供应商退货单查询", "Query"), separator(),
          item("miQyChecked", "&C库存盘点信息查询", "Query"), separator(), item("miQyBs", "&B报损查询", "Query")}},
        {QStringLiteral("miStat"), QStringLiteral("&T统计查询"),
         {item("miQyGYSWL", "&G供应商往来帐查询", "Stat"), item("miQyKHWL", "&K客户批发往来帐", "Stat"), separator(),
          item("miQyOutStoreStat", "&O分库库存查询", "Stat"), item("miQyKSChecked", "&C库存快速查询", "Stat"),
          item("miQySupplySell", "&X厂商销售额查询", "Stat"), item("miJXC", "&J进销存查询", "Stat"), separator(),
          item("miSellsStat", "&Y销售业绩统计查询", "Stat"), separator(), item("miDaySell", "&D日销售查询", "Stat"),
          separator(),
          subMenu("miSellPH", "&S销售排行榜", "Stat",
                  {item("miSellPHDay", "&D按日"), item("miSellPHMonth", "&M按月")}),
          subMenu("miProductSell", "&P单品销售分析", "Stat",
                  {item("miProductSellDay", "&D按日"), item("miProductSellMonth", "&M按月")})}},
        {QStringLiteral("miHelp"), QStringLiteral("&H帮助"), {item("N15", "&H帮助"), item("N16", "&A关于")}},
    };
    return menus;
}

QString plainCaption(const QString& caption) {
    QString s = caption;
    if (s.startsWith(u'&') && s.size() > 1) s = s.mid(2);
    return s;
}

std::vector<RightsFunction> rightsFunctions() {
    std::vector<RightsFunction> out;
    QMap<QString, int> counters;
    for (const TopMenu& top : menuCatalog())
        for (const MenuEntry& e : top.entries)
            if (e.kind != MenuEntry::Separator && e.rights)
                out.push_back({e.name, plainCaption(e.caption), e.group, ++counters[e.group]});
    return out;
}

}  // namespace db
