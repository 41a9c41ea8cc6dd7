#include "query/TfrmQueryProductInfo.h"

#include "app/ModalRunner.h"
#include "query/QueryRowSource.h"
#include "reports/TfrmBaseReport.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableView>

using namespace query;

TfrmQueryProductInfo::TfrmQueryProductInfo(QWidget* parent) : TfrmBaseQuery(parent) {
    setWindowTitle(QStringLiteral("商品信息查询"));
    setObjectName(QStringLiteral("frmQueryProductInfo"));
    QueryItem saleMode = booleanItem(QStringLiteral("销售方式"), QStringLiteral("XSFS"));
    saleMode.trueText = QStringLiteral("代销");
    saleMode.falseText = QStringLiteral("包销");
    setQuery({textItem(QStringLiteral("商品编码"), QStringLiteral("SPNO"), 18),
              textItem(QStringLiteral("商品名称规格"), QStringLiteral("SPNAME"), 40),
              textItem(QStringLiteral("商品分类"), QStringLiteral("SPLB"), 3),
              textItem(QStringLiteral("商品单位"), QStringLiteral("SPDW"), 4),
              amountItem(QStringLiteral("标准价格"), QStringLiteral("BZJG")),
              amountItem(QStringLiteral("会员价格"), QStringLiteral("ZDJG")),
              amountItem(QStringLiteral("批发价格"), QStringLiteral("PFJG")),
              integerItem(QStringLiteral("库存上限"), QStringLiteral("KCMAX")),
              integerItem(QStringLiteral("库存下限"), QStringLiteral("KCMIN")),
              amountItem(QStringLiteral("成本价格"), QStringLiteral("CBJG")),
              textItem(QStringLiteral("缺省供应商"), QStringLiteral("QSGYS"), 3),
              saleMode,
              textItem(QStringLiteral("部门"), QStringLiteral("BMNAME"), 12),
              textItem(QStringLiteral("厂商名称"), QStringLiteral("CSNAME"), 40),
              textItem(QStringLiteral("备注"), QStringLiteral("BZ"), 60)},
             QStringLiteral("Select * from vwSPXXCX Where "), QStringLiteral("Order By SPNO"),
             QString(), QStringLiteral("TfrmRepSpml"));  // SPNO is the product's key
}

void TfrmQueryProductInfo::bitSelectClick() {
    TfrmBaseQuery::bitSelectClick();
    if (ShowMode == QStringLiteral("View")) grid()->setColumnHidden(kCostColumn, true);
}

void TfrmQueryProductInfo::enablePicking() {
    if (m_picking) return;
    m_picking = true;
    auto* choose = new QPushButton(QStringLiteral("&O选定"), pnBaseHint());
    choose->setObjectName(QStringLiteral("bitChoose"));
    choose->setAutoDefault(false);
    choose->setMinimumWidth(90);
    buttonRow()->insertWidget(1, choose);
    connect(choose, &QPushButton::clicked, this, [this] { chooseCurrentRow(); });
    connect(grid(), &QTableView::doubleClicked, this, [this] { chooseCurrentRow(); });
}

void TfrmQueryProductInfo::enterPressed(QWidget* from) {
    if (m_picking && from == grid()) chooseCurrentRow();
}

void TfrmQueryProductInfo::chooseCurrentRow() {
    const QModelIndex current = grid()->currentIndex();
    if (!current.isValid()) return;
    m_chosen = rows().value(current.row(), 0).toString().trimmed();
    if (!m_chosen.isEmpty()) accept();
}

QString TfrmQueryProductInfo::pickProduct(QWidget* parent, const QString& showMode) {
    TfrmQueryProductInfo screen(parent);
    screen.ShowMode = showMode;
    screen.enablePicking();
    if (modalRunner().run(screen) != QDialog::Accepted) return {};
    return screen.chosenProductNo();
}
