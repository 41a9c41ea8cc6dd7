#include "reports/ReportCatalog.h"

#include <cmath>

namespace report {

namespace {

constexpr int L = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int R = Qt::AlignRight | Qt::AlignVCenter;
constexpr int C = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr double kRowPx = 25;   // a table row
constexpr double kInfoPx = 22;  // a line of "caption: value" pairs
constexpr double kGapPx = 6;

QString u(const char* s) { return QString::fromUtf8(s); }

Item textItem(const QRectF& box, const QString& text, int align = L, const FontSpec& font = {}, bool frame = false) {
    Item i;
    i.kind = ItemKind::Text;
    i.box = box;
    i.text = text;
    i.alignment = align;
    i.font = font;
    i.frame = frame;
    return i;
}

Item fieldItem(const QRectF& box, const QString& column, Format format = Format::Plain, int align = L,
               bool frame = false, const FontSpec& font = {}) {
    Item i;
    i.kind = ItemKind::Field;
    i.box = box;
    i.column = column;
    i.format = format;
    i.alignment = align;
    i.frame = frame;
    i.font = font;
    return i;
}

Item labelItem(const QRectF& box, const QString& name, const QString& designText, int align = L, const FontSpec& font = {},
               bool frame = false) {
    Item i;
    i.kind = ItemKind::Label;
    i.box = box;
    i.name = name;
    i.text = designText;
    i.alignment = align;
    i.font = font;
    i.frame = frame;
    return i;
}

Item sumItem(const QRectF& box, const QString& column, Format format, int align = L, bool frame = false,
             const QString& times = QString()) {
    Item i;
    i.kind = times.isEmpty() ? ItemKind::Sum : ItemKind::SumProduct;
    i.box = box;
    i.column = column;
    i.column2 = times;
    i.format = format;
    i.alignment = align;
    i.frame = frame;
    return i;
}

Item lineItem(double x1, double y, double x2) {
    Item i;
    i.kind = ItemKind::Line;
    i.box = QRectF(QPointF(x1, y), QPointF(x2, y));
    return i;
}

struct Column {
    const char* title;
    const char* field;
    double weight;                 // share of the table's width
    Format format = Format::Plain;
    int align = L;
    const char* times = nullptr;   // a product column: field × times
};

// Columns spread across the printable width in proportion to their weights.
class Table {
public:
    Table(double width, std::vector<Column> columns, bool ruled) : m_columns(std::move(columns)), m_ruled(ruled) {
        double total = 0;
        for (const Column& c : m_columns) total += c.weight;
        double x = 0;
        for (const Column& c : m_columns) {
            // Whole pixels, so neighbouring cells share exactly one border.
            const double w = std::floor(c.weight / total * width);
            m_x.push_back(x);
            m_w.push_back(w);
            x += w;
        }
        m_w.back() += std::floor(width) - x;
    }

    QRectF cell(int i, double y, double h = kRowPx) const { return QRectF(m_x[size_t(i)], y, m_w[size_t(i)], h); }
    QRectF span(int from, int to, double y, double h = kRowPx) const {
        return QRectF(m_x[size_t(from)], y, m_x[size_t(to)] + m_w[size_t(to)] - m_x[size_t(from)], h);
    }
    double right() const { return m_x.back() + m_w.back(); }
    int index(const char* field) const {
        for (size_t i = 0; i < m_columns.size(); ++i)
            if (QString::fromUtf8(m_columns[i].field).compare(u(field), Qt::CaseInsensitive) == 0) return int(i);
        return -1;
    }
    bool ruled() const { return m_ruled; }

    // The column titles; an unruled title row is underlined across the table.
    void titleRow(Band& b, double y, bool bold = false) const {
        FontSpec font;
        font.bold = bold;
        for (size_t i = 0; i < m_columns.size(); ++i)
            b.add(textItem(cell(int(i), y), u(m_columns[i].title), C, font, m_ruled));
        if (!m_ruled) b.add(lineItem(0, y + kRowPx - 1, right()));
    }

    void detailRow(Band& b, double y = 0) const {
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const Column& c = m_columns[i];
            Item item = fieldItem(cell(int(i), y), u(c.field), c.format, c.align, m_ruled);
            if (c.times) {
                item.kind = ItemKind::Product;
                item.column2 = u(c.times);
            }
            b.add(item);
        }
    }

private:
    std::vector<Column> m_columns;
    std::vector<double> m_x;
    std::vector<double> m_w;
    bool m_ruled;
};

Definition base(const char* name, const char* title, QPageLayout::Orientation orientation = QPageLayout::Portrait,
                QMarginsF margins = {10, 10, 10, 10}) {
    Definition d;
    d.name = u(name);
    d.title = u(title);
    d.orientation = orientation;
    d.marginsMm = margins;
    const double w = d.printableWidthPx();
    d.addBand(BandKind::Title, 48).add(labelItem(QRectF(0, 4, w, 40), u("lbTitle"), u("标题"), C, FontSpec{u("隶书"), 22}));
    Item page;
    page.kind = ItemKind::PageNumber;
    page.box = QRectF(0, 6, w, 16);
    page.alignment = C;
    page.font = FontSpec{u("宋体"), 9};
    d.addBand(BandKind::PageFooter, 24).add(page);
    return d;
}

struct Info {
    const char* caption;
    const char* field;
    Format format = Format::Plain;
};

// "caption：value" pairs spread evenly across one line.
void infoLine(Band& b, double y, double width, const std::vector<Info>& pairs) {
    const double each = width / double(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const QString caption = u(pairs[i].caption) + u("：");
        const double x = each * double(i);
        const double cw = std::ceil(textWidthPx(caption, FontSpec{})) + 2;
        b.add(textItem(QRectF(x, y, cw, kInfoPx), caption));
        b.add(fieldItem(QRectF(x + cw, y, each - cw - 4, kInfoPx), u(pairs[i].field), pairs[i].format));
    }
}

// Lines of at most three pairs; returns the height used.
double infoBlock(Band& b, double y, double width, const std::vector<Info>& pairs) {
    double used = 0;
    for (size_t i = 0; i < pairs.size(); i += 3) {
        std::vector<Info> line(pairs.begin() + long(i), pairs.begin() + long(std::min(pairs.size(), i + 3)));
        infoLine(b, y + used, width, line);
        used += kInfoPx;
    }
    return used;
}

// The statements print the account and the period under the title.
void statementLabels(Definition& d, const char* unit, const char* begin, const char* end) {
    Band& title = *d.band(BandKind::Title);
    title.height = 74;
    const double w = d.printableWidthPx();
    title.add(textItem(QRectF(0, 50, 44, kInfoPx), u("单位：")));
    title.add(labelItem(QRectF(44, 50, w - 470, kInfoPx), u(unit), QString()));
    title.add(textItem(QRectF(w - 420, 50, 44, kInfoPx), u("起期：")));
    title.add(labelItem(QRectF(w - 376, 50, 150, kInfoPx), u(begin), QString()));
    title.add(textItem(QRectF(w - 210, 50, 44, kInfoPx), u("止期：")));
    title.add(labelItem(QRectF(w - 166, 50, 166, kInfoPx), u(end), QString()));
}

// A list: the title row once, then one row per record.
Definition list(const char* name, const char* title, const char* sql, std::vector<Column> columns, bool ruled,
                QPageLayout::Orientation orientation = QPageLayout::Portrait, QMarginsF margins = {10, 10, 10, 10},
                bool boldTitles = false) {
    Definition d = base(name, title, orientation, margins);
    d.designSql = u(sql);
    const Table t(d.printableWidthPx(), std::move(columns), ruled);
    t.titleRow(d.addBand(BandKind::GroupHeader, kRowPx), 0, boldTitles);
    t.detailRow(d.addBand(BandKind::Detail, kRowPx));
    return d;
}

// ---- documents ----

Definition lossReport() {
    Definition d = base("TfrmRepBS", "报损单");
    d.designSql = u("select * from vwBSCX");
    d.documentSql = u("Select * from vwBSCX Where BSDNO = :no Order by BSDno, spno");
    const double w = d.printableWidthPx();
    const Table t(w, {{"商品编码", "SPNO", 110}, {"商品名称规格", "SPNAME", 220}, {"单位", "JLDW", 50},
                      {"数量", "SL", 70, Format::Quantity}, {"单价", "DJ", 80, Format::Money}, {"金额", "JE", 95, Format::Money}},
                  true);
    Band& header = d.addBand(BandKind::GroupHeader, 0);
    const double used = infoBlock(header, 0, w, {{"报损单编号", "BSDNO"}, {"员工姓名", "BNNAME"}, {"操作日期", "CZRQ", Format::Date}});
    t.titleRow(header, used + kGapPx);
    header.height = used + kGapPx + kRowPx;
    t.detailRow(d.addBand(BandKind::Detail, kRowPx));
    Band& footer = d.addBand(BandKind::GroupFooter, kRowPx + 4);
    const int je = t.index("JE");
    footer.add(textItem(t.cell(0, 4, kInfoPx), u("合计")));
    footer.add(sumItem(t.cell(je, 4, kInfoPx), u("JE"), Format::Money)).suffix = u(" 元");
    return d;
}

Definition receipt() {
    Definition d = base("TfrmRepInStore", "商品入库单");
    d.designSql = u("select * from vwRKDCX");
    d.documentSql = u("Select * from vwRKDCX Where JHDNO = :no Order by spno");
    const double w = d.printableWidthPx();
    const Table t(w, {{"商品编号", "SPNO", 110}, {"商品名称", "SPNAME", 230}, {"单位", "JSDW", 50},
                      {"单价", "DJ", 80, Format::Money}, {"数量", "SL", 70, Format::Quantity},
                      {"金额", "DJ", 95, Format::Money, R, "SL"}},
                  false);
    Band& header = d.addBand(BandKind::GroupHeader, 0, u("JHDNO"));
    const double used = infoBlock(header, 0, w,
                                  {{"进货单号", "JHDNO"}, {"操作日期", "CZDATE", Format::Date}, {"操作员", "BNNAME"}, {"厂商", "CSNAME"}});
    t.titleRow(header, used + kGapPx);
    header.height = used + kGapPx + kRowPx;
    t.detailRow(d.addBand(BandKind::Detail, 22));
    Band& footer = d.addBand(BandKind::GroupFooter, kRowPx + 18, u("JHDNO"));
    const int amount = 5;  // DJ × SL, the last column
    footer.add(textItem(t.span(0, amount - 1, 0), u("合计："), R, {}, true));
    footer.add(sumItem(t.cell(amount, 0), u("DJ"), Format::Money, R, true, u("SL")));
    return d;
}

Definition supplierReturn() {
    Definition d = base("TfrmRepgysth", "供应商退货单");
    d.designSql = u("select * from vwGYSTHCX");
    d.documentSql = u("Select * from vwGYSTHCX Where THDNO = :no Order by THDno, CSno");
    const double w = d.printableWidthPx();
    const Table t(w, {{"商品编码", "SPNO", 110}, {"商品名称", "SPNAME", 220}, {"计算单位", "JLDW", 60},
                      {"数量", "SL", 70, Format::Quantity}, {"单价", "DJ", 80, Format::Money}, {"金额", "JE", 95, Format::Money}},
                  true);
    Band& header = d.addBand(BandKind::GroupHeader, 0);
    const double used = infoBlock(header, 0, w,
                                  {{"退货单编号", "THDNO"}, {"操作员", "BNNAME"}, {"操作日期", "CZDATE", Format::Date}, {"厂商", "CSNAME"}});
    t.titleRow(header, used + kGapPx);
    header.height = used + kGapPx + kRowPx;
    t.detailRow(d.addBand(BandKind::Detail, kRowPx));
    d.addBand(BandKind::GroupFooter, kRowPx + 4).add(sumItem(t.cell(t.index("JE"), 4, kInfoPx), u("JE"), Format::Money));
    return d;
}

Definition clientReturn() {
    Definition d = base("TfrmRepkhth", "客户退货单");
    d.designSql = u("select * from vwKHTHCX");
    d.documentSql = u("Select * from vwKHTHCX Where THDNO = :no Order by THDno, spno");
    const double w = d.printableWidthPx();
    const Table t(w, {{"商品编码", "SPNO", 110}, {"商品名称", "SPNAME", 220}, {"计算单位", "JLDW", 60},
                      {"数量", "SL", 70, Format::Quantity}, {"单价", "DJ", 80, Format::Money}, {"金额", "JE", 95, Format::Money}},
                  true);
    Band& header = d.addBand(BandKind::GroupHeader, 0);
    const double used = infoBlock(header, 0, w,
                                  {{"退货单编号", "THDNO"}, {"客户编号", "KHNO"}, {"操作员名称", "BNNAME"}, {"操作日期", "CZDATE", Format::Date}});
    t.titleRow(header, used + kGapPx);
    header.height = used + kGapPx + kRowPx;
    t.detailRow(d.addBand(BandKind::Detail, kRowPx));
    Band& footer = d.addBand(BandKind::GroupFooter, kRowPx + 4);
    const int je = t.index("JE");
    footer.add(textItem(t.cell(je - 1, 4, kInfoPx), u("总价"), R));
    footer.add(sumItem(t.cell(je, 4, kInfoPx), u("JE"), Format::Money));
    return d;
}

Definition transfers() {
    Definition d = list("TfrmRepdbcl", "调拨明细表", "select * from vwdbcl",
                        {{"仓库名称", "CKNAME", 75}, {"调拨单号", "JHDNO", 110}, {"商品代码", "SPNO", 95},
                         {"商品名称", "SPNAME", 170}, {"单位", "JSDW", 40}, {"数量", "SL", 55, Format::Quantity},
                         {"方式", "WLTYPE", 60}, {"操作日期", "CZRQ", 85, Format::Date}},
                        true);
    d.documentSql = u("Select * from vwdbcl Where wlno = :no Order by wlno");
    return d;
}

// ---- lists behind the queries ----

Definition handIns() {
    Definition d = base("TfrmRepOperBala", "收银员缴款单");
    d.designSql = u("Select * From vwMANBALANCE");
    const Table t(d.printableWidthPx(),
                  {{"缴款流水号", "JKLSNO", 130}, {"缴款日期", "JKDATE", 90, Format::Date}, {"收银员工号", "SYYNO", 80},
                   {"收银员姓名", "SYYNAME", 100}, {"应缴款", "YJJE", 95, Format::Money, R}, {"实缴款", "SJJE", 95, Format::Money, R}},
                  false);
    t.titleRow(d.addBand(BandKind::GroupHeader, kRowPx), 0);
    t.detailRow(d.addBand(BandKind::Detail, 22));
    Band& footer = d.addBand(BandKind::GroupFooter, kRowPx + 4);
    footer.add(lineItem(0, 1, t.right()));
    footer.add(textItem(t.cell(t.index("SYYNAME"), 4, kInfoPx), u("合计："), R));
    footer.add(sumItem(t.cell(t.index("YJJE"), 4, kInfoPx), u("YJJE"), Format::Money, R));
    footer.add(sumItem(t.cell(t.index("SJJE"), 4, kInfoPx), u("SJJE"), Format::Money, R));
    return d;
}

Definition saleLines() {
    Definition d = base("TfrmRepXSMX", "销售明细表");
    d.designSql = u("SELECT * FROM vwSPXSMXCX ORDER BY XSdate,spno");
    const Table t(d.printableWidthPx(),
                  {{"销售流水号", "XSNO", 125}, {"编号", "SPNO", 110}, {"名称", "SPNAME", 160}, {"单价", "SPDJ", 65, Format::Money},
                   {"数量", "SPSL", 55, Format::Quantity}, {"金额", "ZJE", 120, Format::Money, R}, {"日期", "XSDATE", 80, Format::Date}},
                  false);
    // The column titles head every page of this long list.
    t.titleRow(d.addBand(BandKind::ColumnHeader, kRowPx), 0);
    t.detailRow(d.addBand(BandKind::Detail, 22));
    Band& summary = d.addBand(BandKind::Summary, kRowPx + 4);
    summary.add(lineItem(0, 1, t.right()));
    summary.add(sumItem(t.cell(t.index("SPSL"), 4, kInfoPx), u("SPSL"), Format::Quantity));
    // "合计：" and the sum each get their own part of the amount column, so a large sum
    // never runs over the caption (one too wide for its part is set smaller, as any text).
    const QRectF amount = t.cell(t.index("ZJE"), 4, kInfoPx);
    constexpr double captionPx = 52;
    summary.add(textItem(QRectF(amount.x(), amount.y(), captionPx, amount.height()), u("合计：")));
    summary.add(sumItem(amount.adjusted(captionPx, 0, 0, 0), u("ZJE"), Format::Money, R));
    summary.add(textItem(t.cell(t.index("XSDATE"), 4, kInfoPx), u("元")));
    return d;
}

Definition products() {
    return list("TfrmRepSpml", "商品目录", "Select * from vwSPXXCX",
                {{"商品编号", "SPNO", 120}, {"商品名称", "SPNAME", 240}, {"单位", "SPDW", 50},
                 {"单价", "BZJG", 80, Format::Money}, {"备注", "BZ", 180}},
                true);
}

Definition suppliers() {
    return list("TfrmRepSupply", "供应商列表", "Select * from VWCSXXCX",
                {{"编号", "CSNO", 50}, {"名称", "CSNAME", 210}, {"联系人", "LXR", 70}, {"联系电话", "LXDH", 110}, {"联系地址", "LXDZ", 250}},
                false);
}

Definition stocktake() {
    return list("TfrmRepkccx", "库存单", "select * from vwKCCX",
                {{"商品编码", "SPNO", 105}, {"商品名称", "SPNAME", 190}, {"库存数量", "CKKCSL", 70, Format::Quantity, R},
                 {"盘点数量", "CKPDSL", 70, Format::Quantity, R}, {"更新库存数量", "CKGXKCL", 90, Format::Quantity, R},
                 {"盘点日期", "CKPDDATE", 85, Format::Date}, {"仓库更新库存标志", "CKGXKCBZ", 120}},
                true);
}

Definition quickStock() {
    Definition d = list("TfrmRepkckscx", "库存表", "",
                        {{"商品编号", "BPSERIALNO", 120}, {"商品名称", "BPNAME", 230}, {"库存数量", "StoreCount", 80, Format::Quantity, R},
                         {"厂家", "CSNAME", 190}, {"备注", "BZ", 150}},
                        false, QPageLayout::Portrait, {10, 10, 10, 10}, true);
    // The rows of spSelChecked, which the stock query runs for it.
    d.source = DataSource::CallerResult;
    return d;
}

Definition storeStock() {
    Definition d = list("TfrmRepStore", "库存表", "",
                        {{"编号", "spno", 110}, {"名称", "spname", 230}, {"单位", "SPDW", 50}, {"数量", "sl", 80, Format::Quantity, R},
                         {"单价", "CBJG", 85, Format::Money, R}, {"总金额", "zje", 100, Format::Money, R}},
                        false);
    d.source = DataSource::CallerResult;
    return d;
}

// ---- statistics ----

Definition performance() {
    Definition d = list("TfrmRepyjbb", "业绩表", "",
                        {{"编号", "offno", 70}, {"名称", "NAME", 150}, {"数量", "XSSL", 80, Format::Quantity},
                         {"金额", "XSJE", 100, Format::Money}, {"销售成本", "ZJE", 100, Format::Money}, {"利润", "lr", 100, Format::Money}},
                        true);
    d.source = DataSource::CallerResult;
    return d;
}

Definition daySales() {
    Definition d = list("TfrmReprxsfx", "日销售分析表", "",
                        {{"日期", "CZDATE", 90, Format::Date}, {"类别", "FLNAME", 130}, {"销售额", "XSJE", 100, Format::Money},
                         {"成本", "ZJE", 100, Format::Money}, {"毛利润", "MLJE", 100, Format::Money}},
                        true);
    d.source = DataSource::CallerResult;
    return d;
}

Definition supplierSales() {
    Definition d = base("TfrmRepcsxscx", "厂商销售表");
    // The rows of vwTJSellMoney (every cost row with its product's supplier) over whole days,
    // both ends included, read as the statistics read them: the period is a range of the
    // date index summed per product, and each product then looks up its supplier once. The
    // view's day text compared per row read every cost row ever made.
    d.designSql = u("select C.CSNAME as csname, sum(S.j) as xsje from (select SPNO, sum(XSJE) as j from XSCBB "
                    "where CZDATE >= :begdate1 and CZDATE < adddays(:enddate1, 1) group by SPNO) S "
                    "join SPB P on P.SPNO = S.SPNO join CSB C on C.CSNO = P.QSGYS group by C.CSNAME order by C.CSNAME");
    const double w = d.printableWidthPx();
    const Table t(w, {{"厂商名称", "CSNAME", 300}, {"销售金额", "XSJE", 150, Format::Money, R}}, true);
    Band& header = d.addBand(BandKind::GroupHeader, kInfoPx + kGapPx + kRowPx);
    header.add(textItem(QRectF(0, 0, 74, kInfoPx), u("销售日期：")));
    header.add(labelItem(QRectF(74, 0, 90, kInfoPx), u("lbBegDate"), QString()));
    header.add(textItem(QRectF(164, 0, 20, kInfoPx), u("至"), C));
    header.add(labelItem(QRectF(188, 0, 90, kInfoPx), u("lbEndDate"), QString()));
    t.titleRow(header, kInfoPx + kGapPx);
    t.detailRow(d.addBand(BandKind::Detail, kRowPx));
    Band& footer = d.addBand(BandKind::GroupFooter, kRowPx);
    footer.add(textItem(t.cell(0, 0), u("合计"), C, {}, true));
    footer.add(sumItem(t.cell(1, 0), u("xsje"), Format::Money, R, true));
    return d;
}

// ---- current accounts ----

Definition clientSettlement() {
    Definition d = base("TfrmRepkhjs", "客户结算往来表");
    d.designSql = u("select K.JSNO, K.KHNO, K.ZY, K.DJBH, K.JF, K.DF, K.JD, K.YE, K.BNNO, date10(K.CZRQ) AS CZRQ, "
                    "H.KHNAME, B.BNNAME FROM KHJSWLB K, KHB H, BMAN B WHERE K.KHNO = H.KHNO AND K.BNNO = B.BNNO "
                    "AND K.JSNO = :NO");
    d.documentSql = d.designSql;
    d.documentParam = u(":NO");
    const double w = d.printableWidthPx();
    const Table t(w, {{"客户", "KHNAME", 170}, {"摘要", "ZY", 200}, {"借方", "JF", 85, Format::Money}, {"贷方", "DF", 85, Format::Money},
                      {"借贷", "JD", 45, Format::Plain, C}, {"余额", "YE", 95, Format::Money}},
                  true);
    Band& header = d.addBand(BandKind::GroupHeader, 0);
    const double used = infoBlock(header, 0, w,
                                  {{"结算编号", "JSNO"}, {"单据编号", "DJBH"}, {"操作员", "BNNAME"}, {"操作日期", "CZRQ", Format::Date}});
    t.titleRow(header, used + kGapPx);
    header.height = used + kGapPx + kRowPx;
    t.detailRow(d.addBand(BandKind::Detail, kRowPx));
    return d;
}

Definition supplierSettlement() {
    Definition d = base("TfrmRepgysjs", "供应商结算往来表");
    d.designSql = u("Select G.JSNO, G.CSNO, G.BNNO, G.ZY, G.PZHM, G.DJBH, G.JF, G.DF, G.JD, G.YE, date10(G.CZRQ) AS CZRQ, "
                    "C.CSNAME, B.BNNAME FROM GYSJSWLB G, BMAN B, CSB C where G.BNNO = B.BNNO and G.CSNO = C.CSNO "
                    "and G.JSNO = :no");
    d.documentSql = d.designSql;
    const double w = d.printableWidthPx();
    const Table t(w, {{"厂商", "CSNAME", 170}, {"摘要", "ZY", 200}, {"借方", "JF", 85, Format::Money, R},
                      {"贷方", "DF", 85, Format::Money, R}, {"借贷", "JD", 45, Format::Plain, C}, {"余额", "YE", 95, Format::Money, R}},
                  true);
    Band& header = d.addBand(BandKind::GroupHeader, 0, u("JSNO"));
    const double used = infoBlock(header, 0, w,
                                  {{"结算编号", "JSNO"}, {"凭证编号", "PZHM"}, {"单据编号", "DJBH"}, {"操作员", "BNNAME"},
                                   {"操作日期", "CZRQ", Format::Date}});
    t.titleRow(header, used + kGapPx);
    header.height = used + kGapPx + kRowPx;
    t.detailRow(d.addBand(BandKind::Detail, kRowPx));
    return d;
}

Definition clientLedger() {
    Definition d = list("TfrmRepkhwl", "客户往来明细表",
                        "select * from KHJSWLB where khno = :khno and daydiff(CZRQ, :dtBegDate1) <= 0 "
                        "and daydiff(CZRQ, :dtEndDate1) >= 0 order by JSNO DESC",
                        {{"编号", "JSNO", 125}, {"摘要", "ZY", 230}, {"凭证号码", "PZHM", 120}, {"单据号码", "DJBH", 120},
                         {"借方", "JF", 90, Format::Money}, {"贷方", "DF", 90, Format::Money}, {"借/贷", "JD", 50, Format::Plain, C},
                         {"余额", "YE", 100, Format::Money}, {"操作日期", "CZRQ", 95, Format::Date}},
                        true, QPageLayout::Landscape);
    statementLabels(d, "lbUnit", "lbbegdate", "lbenddate");
    return d;
}

Definition supplierLedger() {
    Definition d = list("TfrmRepcswl", "往来帐明细表",
                        "select * from GYSJSWLB where csno = :csno and daydiff(CZRQ, :dtBegDate1) <= 0 "
                        "and daydiff(CZRQ, :dtEndDate1) >= 0 order by JSNO DESC",
                        {{"编号", "JSNO", 125}, {"凭证号", "PZHM", 120}, {"单据编号", "DJBH", 120}, {"摘要", "ZY", 250},
                         {"借方", "JF", 95, Format::Money}, {"贷方", "DF", 95, Format::Money}, {"借贷", "JD", 50, Format::Plain, C},
                         {"余额", "YE", 105, Format::Money}, {"操作日期", "CZRQ", 95, Format::Date}},
                        true, QPageLayout::Landscape, {1, 10, 1, 10});
    statementLabels(d, "lbUnit", "lbBegDate", "lbenddate");
    return d;
}

Definition clientGoods() {
    Definition d = list("TfrmRepkhsj", "客户数据明细表", "",
                        {{"编号", "XSNO", 130}, {"商品编号", "SPNO", 120}, {"商品名称", "SPNAME", 260}, {"单位", "JLDW", 50},
                         {"数量", "SPSL", 70, Format::Quantity}, {"单价", "SPDJ", 85, Format::Money},
                         {"金额", "ZJE", 95, Format::Money}, {"操作日期", "XSDATE", 95, Format::Date}},
                        true, QPageLayout::Landscape);
    d.designSql = clientGoodsStatementSql();
    statementLabels(d, "lbUnit", "lbbegdate", "lbenddate");
    return d;
}

Definition supplierGoods() {
    Definition d = list("TfrmRepsjmx", "数据明细表", "",
                        {{"编号", "JHDNO", 125}, {"单据号", "JHNO", 110}, {"单据日期", "DJDATE", 90, Format::Date},
                         {"单位", "JSDW", 45}, {"数量", "SL", 70, Format::Quantity}, {"单价", "DJ", 85, Format::Money},
                         {"总金额", "ZJE", 95, Format::Money}, {"经办人", "NAME", 75}, {"操作日期", "CZDATE", 90, Format::Date},
                         {"备注", "BZ", 160}},
                        true, QPageLayout::Landscape);
    d.designSql = supplierGoodsStatementSql();
    statementLabels(d, "lbunit", "lbbegdate", "lbenddate");
    return d;
}

// ---- the sale note ----

Definition saleNote() {
    Definition d;
    d.name = u("TfrmRepSell");
    d.marginsMm = QMarginsF(10, 10, 3, 10);
    d.reportFont = FontSpec{u("宋体"), pxToPoints(13)};
    d.designSql = u("Select * from XSMXB where XSNO=:XSNO order by ID");
    d.documentSql = d.designSql;
    d.documentParam = u(":XSNO");
    const FontSpec cellFont{u("宋体"), pxToPoints(13)};
    const FontSpec small{u("宋体"), 10};
    // The six cells, 13 pixels in from the left, neighbours sharing their border.
    const double widths[] = {61, 130, 37, 42, 55, 70};
    double x[7] = {13};
    for (int i = 0; i < 6; ++i) x[i + 1] = x[i] + widths[i];
    auto cell = [&](int from, int to, double y) { return QRectF(x[from], y, x[to + 1] - x[from], kRowPx); };
    const double noteWidth = x[6] - x[0];

    Band& title = d.addBand(BandKind::Title, 64);
    title.add(labelItem(QRectF(x[0], 0, noteWidth, 34), u("lbTitle"), u("销售单"), C,
                        FontSpec{u("楷体_GB2312"), 18, true, true}));
    title.add(labelItem(QRectF(x[0], 35, noteWidth, 27), u("lbOther"), QString(), C, FontSpec{u("宋体"), 15}));

    Band& heading = d.addBand(BandKind::ColumnHeader, 47);
    heading.add(textItem(QRectF(x[0], 3, 66, 20), u("销售单位："), L, small));
    heading.add(labelItem(QRectF(x[0] + 66, 3, 170, 20), u("lbDw"), QString(), L, small));
    heading.add(textItem(QRectF(x[0] + 240, 3, 40, 20), u("单号："), L, small));
    heading.add(labelItem(QRectF(x[0] + 280, 3, noteWidth - 280, 20), u("lbDH"), QString(), L, small));
    heading.add(textItem(QRectF(x[0], 24, 66, 20), u("制单日期："), L, small));
    heading.add(labelItem(QRectF(x[0] + 66, 24, 170, 20), u("lbDate"), QString(), L, small));
    heading.add(textItem(QRectF(x[0] + 240, 24, 40, 20), u("电话："), L, small));
    heading.add(labelItem(QRectF(x[0] + 280, 24, noteWidth - 280, 20), u("lbTel"), QString(), L, small));

    Band& titles = d.addBand(BandKind::GroupHeader, kRowPx);
    const char* captions[] = {"编  号", "品名规格", "单位", "数量", "单价", "货款"};
    for (int i = 0; i < 6; ++i) titles.add(textItem(cell(i, i, 0), u(captions[i]), C, cellFont, true));

    Band& line = d.addBand(BandKind::Detail, kRowPx);
    line.add(fieldItem(cell(0, 0, 0), u("SPNO"), Format::Plain, C, true, cellFont));
    line.add(fieldItem(cell(1, 1, 0), u("SPNAME"), Format::Plain, L, true, cellFont));
    line.add(fieldItem(cell(2, 2, 0), u("JLDW"), Format::Plain, C, true, cellFont));
    line.add(fieldItem(cell(3, 3, 0), u("SPSL"), Format::Quantity, R, true, cellFont));
    line.add(fieldItem(cell(4, 4, 0), u("SPDJ"), Format::Money, R, true, cellFont));
    line.add(fieldItem(cell(5, 5, 0), u("ZJE"), Format::Money, R, true, cellFont));

    Band& footer = d.addBand(BandKind::GroupFooter, 103);
    footer.add(textItem(cell(0, 0, 0), u("合  计"), C, cellFont, true));
    footer.add(labelItem(cell(1, 4, 0), u("lbUpCaseMoney"), QString(), L, cellFont, true));
    footer.add(labelItem(cell(5, 5, 0), u("lbMoney"), QString(), R, cellFont, true));
    footer.add(textItem(cell(0, 0, kRowPx), u("备  注"), C, cellFont, true));
    footer.add(labelItem(cell(1, 5, kRowPx), u("lbRemark"), QString(), L, cellFont, true));
    footer.add(textItem(cell(0, 5, 2 * kRowPx), u("货物请当面点清，出库概不负责；"), L, cellFont, true));
    const FontSpec bottom{u("黑体"), 9};
    const double y = 3 * kRowPx + 5;
    const double third = noteWidth / 3;
    const std::pair<const char*, const char*> signatures[] = {{"出货仓：", "lbStore"}, {"业务员：", "lbOff"}, {"开单人：", "lbOper"}};
    for (int i = 0; i < 3; ++i) {
        const double left = x[0] + third * i;
        footer.add(textItem(QRectF(left, y, 50, 20), u(signatures[i].first), L, bottom));
        footer.add(labelItem(QRectF(left + 50, y, third - 52, 20), u(signatures[i].second), QString(), L, bottom));
    }
    return d;
}

const std::vector<Definition>& catalogue() {
    static const std::vector<Definition> all = {
        lossReport(),       receipt(),          supplierReturn(), clientReturn(),  transfers(),     handIns(),
        saleLines(),        products(),         suppliers(),      stocktake(),     quickStock(),    storeStock(),
        performance(),      daySales(),         supplierSales(),  clientSettlement(), supplierSettlement(),
        clientLedger(),     supplierLedger(),   clientGoods(),    supplierGoods(), saleNote(),
    };
    return all;
}

}  // namespace

QString clientGoodsStatementSql() {
    return u("Select M.XSNO, X.XSDATE, M.SPNO, M.SPNAME, M.JLDW, M.SPSL, M.SPDJ, M.ZJE "
             "from XSB X, XSMXB M where X.XSNO = M.XSNO and X.ZFBZ = 0 and X.KHNO = :KHNO1 "
             "and daydiff(X.XSDATE, :dtBegDate1) <= 0 and daydiff(X.XSDATE, :dtEndDate1) >= 0 "
             "union all "
             "Select M.THDNO as XSNO, X.CZDATE as XSDATE, M.SPNO, M.SPNAME, M.JLDW, M.SL AS SPSL, M.DJ AS SPDJ, 0 - M.JE AS ZJE "
             "from KHTHSJB X, KHTHMXB M where X.THDNO = M.THDNO and X.KHNO = :KHNO2 "
             "and daydiff(X.CZDATE, :dtBegDate2) <= 0 and daydiff(X.CZDATE, :dtEndDate2) >= 0 "
             "order by XSDATE DESC");
}

QString supplierGoodsStatementSql() {
    // A receipt without a handler still belongs on the supplier's statement.
    return u("Select M.JHDNO, J.JHNO, date10(J.DJDATE) as DJDATE, M.SPNO, M.SPNAME, M.JSDW, M.SL, M.DJ, M.ZJE, "
             "G.NAME, J.BZ, J.CZDATE from JHDSJB J JOIN JHDMXB M ON J.JHDNO = M.JHDNO LEFT JOIN GZRYB G ON G.ZYNO = J.JBR "
             "where J.CSNO = :CSNO1 and daydiff(J.CZDATE, :dtBegDate1) <= 0 and daydiff(J.CZDATE, :dtEndDate1) >= 0 "
             "union all "
             "Select M.THDNO, ' ' as JHNO, date10(J.CZDATE) as DJDATE, M.SPNO, M.SPNAME, M.JLDW as JSDW, M.SL, M.DJ, "
             "0 - M.JE as ZJE, ' ' as NAME, ' ' as BZ, J.CZDATE from GYSTHSJB J, GYSTHMXB M "
             "where J.THDNO = M.THDNO and J.CSNO = :CSNO2 and daydiff(J.CZDATE, :dtBegDate2) <= 0 "
             "and daydiff(J.CZDATE, :dtEndDate2) >= 0 order by CZDATE DESC");
}

const Definition* findDefinition(const QString& name) {
    for (const Definition& d : catalogue())
        if (d.name.compare(name, Qt::CaseInsensitive) == 0) return &d;
    return nullptr;
}

QStringList definitionNames() {
    QStringList names;
    for (const Definition& d : catalogue()) names << d.name;
    return names;
}

}  // namespace report
