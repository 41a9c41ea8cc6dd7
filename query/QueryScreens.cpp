#include "query/QueryScreens.h"

#include <QLabel>

using namespace query;

// Each screen's row key follows its order in the grid: the line's ID where the view lists
// document lines, nothing where the order already begins with the row's own key (a hand-in,
// a supplier), the product where a receiving line is one product of its document.

namespace {
QString s(const char* text) { return QString::fromUtf8(text); }
}  // namespace

TfrmQyDP::TfrmQyDP(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("调拨查询"));
    setObjectName(s("frmQyDP"));
    setQuery({textItem(s("往来编号"), s("WLNO"), 15), textItem(s("流水号"), s("JHDNO"), 15),
              textItem(s("仓库编号"), s("CKNO"), 3), textItem(s("仓库名称"), s("CKNAME"), 16),
              textItem(s("商品编号"), s("SPNO"), 15), textItem(s("商品名称"), s("SPNAME"), 40),
              textItem(s("计量单位"), s("JSDW"), 4), floatItem(s("数量"), s("SL")),
              textItem(s("往来类型"), s("WLTYPE"), 10), dateItem(s("操作日期"), s("CZRQ"))},
             s("Select * from vwDBCL Where "), s("Order By WLNO"), s("ID"), s("TfrmRepdbcl"));
}

TfrmQuerykhth::TfrmQuerykhth(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("客户退货查询"));
    setObjectName(s("frmQuerykhth"));
    setQuery({textItem(s("退货单编号"), s("THDNO"), 15), textItem(s("客户编号"), s("KHNO"), 3),
              textItem(s("商品编号"), s("SPNO"), 15), textItem(s("商品名称"), s("SPNAME"), 40),
              textItem(s("计量单位"), s("JLDW"), 4), amountItem(s("退货金额"), s("THJE")),
              amountItem(s("金额"), s("JE")), amountItem(s("单价"), s("DJ")), floatItem(s("数量"), s("SL")),
              textItem(s("操作员名称"), s("BNNAME"), 12), dateItem(s("操作时间"), s("CZDATE"))},
             s("Select * from vwKHTHCX Where "), s("Order By THDNO"), s("ID"), s("TfrmRepkhth"));
}

TfrmQueryBS::TfrmQueryBS(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("报损查询"));
    setObjectName(s("frmQueryBS"));
    setQuery({textItem(s("报损单号"), s("BSDNO"), 15), textItem(s("操作员编号"), s("BNNO"), 3),
              textItem(s("操作员名称"), s("BNNAME"), 12), textItem(s("商品编号"), s("SPNO"), 15),
              textItem(s("商品名称"), s("SPNAME"), 40), textItem(s("计量单位"), s("JLDW"), 4),
              floatItem(s("数量"), s("SL")), amountItem(s("单价"), s("DJ")), amountItem(s("金额"), s("JE")),
              dateItem(s("操作日期"), s("CZRQ"))},
             s("Select * from vwBSCX Where "), s("Order By BSDNO"), s("ID"), s("TfrmRepBS"));
}

TfrmQueryOperatorBalance::TfrmQueryOperatorBalance(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("收银员缴款查询"));
    setObjectName(s("frmQueryOperatorBalance"));
    setQuery({textItem(s("缴款流水号"), s("JKLSNO"), 15), dateItem(s("缴款日期"), s("JKDATE")),
              textItem(s("收银员工号"), s("SYYNO"), 3), textItem(s("收银员姓名"), s("SYYNAME"), 20),
              amountItem(s("实缴款"), s("SJJE")), amountItem(s("应缴款"), s("YJJE")),
              dateItem(s("操作日期"), s("CZDATE")), textItem(s("操作员工号"), s("BNNO"), 3),
              textItem(s("操作员姓名"), s("BNNAME"), 12)},
             s("Select * From vwMANBALANCE Where "), s("Order by JKLSNO, SYYNO "), QString(), s("TfrmRepOperBala"));
}

TfrmQueryProductSell::TfrmQueryProductSell(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("商品销售明细查询"));
    setObjectName(s("frmQueryProductSell"));
    QueryItem operatorName = textItem(s("操作员名称"), s("BNNAME"), 12);
    operatorName.gridTitle = s("操作员姓名");
    QueryItem saleNumber = textItem(s("销售编号"), s("XSNO"), 15);
    saleNumber.lookupTable = s("XSB");  // one header per sale, about a tenth of the lines
    setQuery({saleNumber, textItem(s("商品编码"), s("SPNO"), 15),
              textItem(s("商品名称"), s("SPNAME"), 40), floatItem(s("数量"), s("SPSL")),
              amountItem(s("单价"), s("SPDJ")), integerItem(s("折扣"), s("ZKL")), amountItem(s("金额"), s("ZJE")),
              textItem(s("客户编号"), s("KHNO"), 3), textItem(s("客户名称"), s("KHNAME"), 12),
              textItem(s("联系地址"), s("KHDZ"), 30), textItem(s("联系电话"), s("LXDH"), 20),
              textItem(s("操作员工号"), s("BNNO"), 3), operatorName, dateItem(s("操作日期"), s("XSDATE"))},
             s("Select *, SPSL*SPDJ AS MONEY  From vwSPXSMXCX Where "), s("Order by XSDate, SPNO "), s("ID"),
             s("TfrmRepXSMX"));
    statLabel(1)->setText(s("销售总额"));
    statLabel(2)->setText(s("毛利润总额"));
}

TfrmQuerySupplyUndread::TfrmQuerySupplyUndread(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("对供应商退货查询"));
    setObjectName(s("frmQuerySupplyUndread"));
    setQuery({textItem(s("退货单编号"), s("THDNO"), 15), textItem(s("厂商编号"), s("CSNO"), 3),
              textItem(s("厂商名称"), s("CSNAME"), 40), textItem(s("员工编号"), s("BNNO"), 3),
              textItem(s("员工名称"), s("BNNAME"), 12), textItem(s("商品编号"), s("SPNO"), 15),
              textItem(s("商品名称"), s("SPNAME"), 40), floatItem(s("数量"), s("SL")), amountItem(s("单价"), s("DJ")),
              textItem(s("计算单位"), s("JLDW"), 4), amountItem(s("金额"), s("JE")),
              dateItem(s("操作日期"), s("CZDATE"))},
             s("Select * From vwgysthcx Where "), s("Order by THDNO"), s("ID"), s("TfrmRepgysth"));
}

TfrmQueryReceive::TfrmQueryReceive(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("入库单查询"));
    setObjectName(s("frmQueryReceive"));
    setQuery({textItem(s("进货单编号"), s("JHDNO"), 15), textItem(s("进货单号"), s("JHNO"), 15),
              textItem(s("厂商编号"), s("CSNO"), 3), textItem(s("厂商名称"), s("CSNAME"), 40),
              textItem(s("商品编码"), s("SPNO"), 15), textItem(s("商品名称"), s("SPNAME"), 40),
              textItem(s("员工编号"), s("BNNO"), 3), textItem(s("员工名称"), s("BNNAME"), 12),
              textItem(s("计算单位"), s("JSDW"), 4), floatItem(s("数量"), s("SL")), floatItem(s("销售数量"), s("XSSL")),
              amountItem(s("单价"), s("DJ")), dateItem(s("单据日期"), s("DJDATE")), textItem(s("经办人"), s("JBR"), 10),
              dateItem(s("操作日期"), s("CZDATE")), textItem(s("备注"), s("BZ"), 40)},
             s("Select * from vwrkdcx Where "), s("Order By JHDNO,CSNO,BNNO"), s("SPNO"), s("TfrmRepInStore"));
}

TfrmQuerySupply::TfrmQuerySupply(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(s("厂商信息查询"));
    setObjectName(s("frmQuerySupply"));
    setQuery({textItem(s("厂商编号"), s("CSNO"), 3), textItem(s("厂商名称"), s("CSNAME"), 40),
              textItem(s("联系人"), s("LXR"), 12), textItem(s("联系电话"), s("LXDH"), 20),
              textItem(s("联系地址"), s("LXDZ"), 40)},
             s("Select * from VWCSXXCX Where "), s("Order By CSNO"), QString(), s("TfrmRepSupply"));
}
