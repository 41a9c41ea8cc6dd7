#include "masterdata/TableDefinition.h"

QString Column::shown(const QString& value) const {
    if (words.empty()) return value;
    for (const auto& [code, word] : words)
        if (code == value) return word;
    return {};
}

int TableDefinition::indexOf(const QString& name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const Column* TableDefinition::column(const QString& name) const {
    const int i = indexOf(name);
    return i < 0 ? nullptr : &columns[size_t(i)];
}

namespace ReferenceTables {

namespace {
Column text(const QString& name, const QString& title, int width, const QString& label = {}) {
    Column c;
    c.name = name;
    c.title = title;
    c.width = width;
    c.label = label;
    return c;
}

Column options(const QString& name, const QString& title, std::vector<std::pair<QString, QString>> words,
               int columns, const QString& defaultValue) {
    Column c;
    c.name = name;
    c.title = title;
    c.width = 1;
    c.editor = EditorKind::OptionGroup;
    c.words = std::move(words);
    c.optionColumns = columns;
    c.defaultValue = defaultValue;
    c.control = QStringLiteral("rg") + name;
    return c;
}

// Suppliers and clients share their shape under their own names.
TableDefinition partners(const QString& table, const QString& key, const QString& nameColumn, const QString& kind) {
    TableDefinition t;
    t.table = table;
    t.key = key;
    t.orderBy = key;
    t.columns = {text(key, QStringLiteral("编号"), 3), text(nameColumn, QStringLiteral("名称"), 40),
                 text(QStringLiteral("LXR"), QStringLiteral("联系人"), 12),
                 text(QStringLiteral("LXDH"), QStringLiteral("联系电话"), 20),
                 text(QStringLiteral("LXDZ"), QStringLiteral("联系地址"), 40)};
    t.caption = kind + QStringLiteral("维护");
    t.strip = kind + QStringLiteral("表");
    return t;
}

Column money(const QString& name, const QString& title, const QString& label, const QString& control, bool inGrid) {
    Column c;
    c.name = name;
    c.title = title;
    c.label = label;
    c.kind = ColumnKind::Money;
    c.control = control;
    c.inGrid = inGrid;
    return c;
}

Column integer(const QString& name, const QString& title, const QString& control) {
    Column c;
    c.name = name;
    c.title = title;
    c.kind = ColumnKind::Integer;
    c.control = control;
    return c;
}

Column lookup(const QString& name, const QString& label, int width, const QString& control, const QString& sql) {
    Column c;
    c.name = name;
    c.title = label;
    c.width = width;
    c.editor = EditorKind::Lookup;
    c.control = control;
    c.inGrid = false;
    c.lookup.sql = sql;
    return c;
}
}  // namespace

TableDefinition stores() {
    TableDefinition t;
    t.table = QStringLiteral("STORE");
    t.key = QStringLiteral("CKNO");
    t.orderBy = t.key;
    t.caption = t.strip = QStringLiteral("仓库维护");
    t.columns = {text(QStringLiteral("CKNO"), QStringLiteral("编号"), 3), text(QStringLiteral("CKNAME"), QStringLiteral("名称"), 16),
                 options(QStringLiteral("CKTYPE"), QStringLiteral("类型"),
                         {{QStringLiteral("0"), QStringLiteral("主库")}, {QStringLiteral("1"), QStringLiteral("样品")},
                          {QStringLiteral("2"), QStringLiteral("普通")}},
                         3, QStringLiteral("2"))};
    return t;
}

TableDefinition units() {
    TableDefinition t;
    t.table = QStringLiteral("SPDWB");
    t.key = QStringLiteral("DWBH");
    t.orderBy = t.key;
    t.caption = QStringLiteral("商品单位维护");
    t.strip = QStringLiteral("商品单位表");
    t.columns = {text(QStringLiteral("DWBH"), QStringLiteral("单位编号"), 3), text(QStringLiteral("DWMC"), QStringLiteral("单位名称"), 4)};
    return t;
}

TableDefinition departments() {
    TableDefinition t;
    t.table = QStringLiteral("dept");
    t.key = QStringLiteral("BMNO");
    t.orderBy = t.key;
    t.caption = QStringLiteral("部门信息维护");
    t.strip = QStringLiteral("部门表");
    t.columns = {text(QStringLiteral("BMNO"), QStringLiteral("部门编号"), 3), text(QStringLiteral("BMName"), QStringLiteral("部门名称"), 12)};
    return t;
}

TableDefinition categories() {
    TableDefinition t;
    t.table = QStringLiteral("SPFLB");
    t.key = QStringLiteral("FLNo");
    t.orderBy = t.key;
    t.caption = QStringLiteral("商品分类维护");
    t.strip = QStringLiteral("商品分类表");
    t.columns = {text(QStringLiteral("FLNo"), QStringLiteral("分类编号"), 3), text(QStringLiteral("FLName"), QStringLiteral("分类名称"), 12)};
    return t;
}

TableDefinition staff() {
    TableDefinition t;
    t.table = QStringLiteral("GZRYB");
    t.key = QStringLiteral("ZYNO");
    t.orderBy = t.key;
    t.caption = QStringLiteral("工作人员信息维护");
    t.strip = QStringLiteral("工作人员信息");
    t.columns = {text(QStringLiteral("ZYNO"), QStringLiteral("编号"), 3),
                 text(QStringLiteral("NAME"), QStringLiteral("名称"), 10, QStringLiteral("姓名")),
                 options(QStringLiteral("ZW"), QStringLiteral("职务"),
                         {{QStringLiteral("0"), QStringLiteral("业务员")}, {QStringLiteral("1"), QStringLiteral("营业员")}}, 2,
                         QStringLiteral("1"))};
    return t;
}

TableDefinition clients() {
    TableDefinition t = partners(QStringLiteral("KHB"), QStringLiteral("KHNO"), QStringLiteral("KHNAME"), QStringLiteral("客户"));
    // The retail client carries every counter sale; it is the program's, not the operator's.
    t.filter = QStringLiteral("KHNO <> '000'");
    return t;
}

TableDefinition suppliers() {
    return partners(QStringLiteral("CSB"), QStringLiteral("CSNO"), QStringLiteral("CSNAME"), QStringLiteral("厂商"));
}

TableDefinition operators() {
    TableDefinition t;
    t.table = QStringLiteral("BMAN");
    t.key = QStringLiteral("BNNO");
    t.orderBy = t.key;
    t.caption = QStringLiteral("操作员信息维护");
    t.strip = QStringLiteral("操作员表");
    Column password = text(QStringLiteral("BNPASSWORD"), QStringLiteral("密码"), 10);
    password.kind = ColumnKind::Password;
    password.inGrid = false;  // only a hash is stored, and even that is nobody's business
    t.columns = {text(QStringLiteral("BNNO"), QStringLiteral("工号"), 3), text(QStringLiteral("BNNAME"), QStringLiteral("姓名"), 12),
                 text(QStringLiteral("BNPOST"), QStringLiteral("职务"), 10), password};
    return t;
}

TableDefinition products() {
    TableDefinition t;
    t.table = QStringLiteral("SPB");
    t.key = QStringLiteral("SPNO");
    // Products without a category sort first on both backends. The same expression as the
    // index SPB_LIST, so any page of the list is read from it.
    t.orderBy = QStringLiteral("COALESCE(SPLB, ''), SPNO");
    t.caption = QStringLiteral("商品目录维护");
    t.strip = QStringLiteral("商品目录表");
    // Documents and the stock procedures carry 15 characters of a product code, so a longer
    // code could be stored here but never sold or received.
    Column code = text(QStringLiteral("SPNO"), QStringLiteral("商品编码"), 15);
    code.control = QStringLiteral("edProductSerialNo");
    Column name = text(QStringLiteral("SPNAME"), QStringLiteral("名称"), 40, QStringLiteral("商品名称"));
    name.control = QStringLiteral("edProductName");
    Column kind = lookup(QStringLiteral("SPLB"), QStringLiteral("商品类别"), 3, QStringLiteral("lcbKind"),
                         QStringLiteral("SELECT FLNo, FLName FROM SPFLB ORDER BY FLNo"));
    Column unit = lookup(QStringLiteral("SPDW"), QStringLiteral("商品单位"), 4, QStringLiteral("lcbUnit"),
                         QStringLiteral("SELECT DWMC, DWMC FROM SPDWB ORDER BY DWBH"));
    unit.title = QStringLiteral("单位");
    unit.label = QStringLiteral("商品单位");
    unit.inGrid = true;
    Column remark = text(QStringLiteral("BZ"), QStringLiteral("备注"), 60);
    remark.control = QStringLiteral("edRemark");
    remark.inGrid = false;
    Column supplier = lookup(QStringLiteral("QSGYS"), QStringLiteral("缺省供应商"), 3, QStringLiteral("cbSupply"),
                             QStringLiteral("SELECT CSNO, CSNAME FROM CSB ORDER BY CSNO"));
    Column dept = lookup(QStringLiteral("BMNO"), QStringLiteral("所属部门"), 3, QStringLiteral("DBLookupComboBox1"),
                         QStringLiteral("SELECT BMNO, BMName FROM dept ORDER BY BMNO"));
    Column mode;
    mode.name = QStringLiteral("XSFS");
    mode.title = QStringLiteral("销售方式");
    mode.label = QStringLiteral(" ");
    mode.kind = ColumnKind::Bit;
    mode.editor = EditorKind::CheckBox;
    mode.control = QStringLiteral("DBCheckBox1");
    mode.checkText = QStringLiteral("代销");
    mode.inGrid = false;
    mode.defaultValue = QStringLiteral("0");  // bought outright until 代销 is ticked
    mode.words = {{QStringLiteral("1"), QStringLiteral("代销")}, {QStringLiteral("0"), QStringLiteral("包销")}};
    // No lowest price means the standard price is the counter's floor; 0 would allow any price.
    Column lowest = money(QStringLiteral("ZDJG"), QStringLiteral("最低价格"), QStringLiteral("最低价格"), QStringLiteral("edMemberPrice"), false);
    lowest.optional = true;
    t.columns = {code, name, kind, unit,
                 money(QStringLiteral("BZJG"), QStringLiteral("销售价"), QStringLiteral("销售价格"), QStringLiteral("edPrice"), true),
                 lowest,
                 money(QStringLiteral("PFJG"), QStringLiteral("批发价格"), QStringLiteral("批发价"), QStringLiteral("edJopPrice"), false),
                 integer(QStringLiteral("KCMAX"), QStringLiteral("库存上限"), QStringLiteral("edMaxStock")),
                 integer(QStringLiteral("KCMIN"), QStringLiteral("库存下限"), QStringLiteral("edMinStock")),
                 remark, supplier, dept, mode};
    return t;
}

}  // namespace ReferenceTables
