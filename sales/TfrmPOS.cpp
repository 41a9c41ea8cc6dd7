#include "sales/TfrmPOS.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "app/SysSetIni.h"
#include "db/Comm.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "db/TfrmDM.h"
#include "sales/ProductSearch.h"
#include "sales/TfrmPrintSellsData.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

TfrmPOS* g_current = nullptr;

// Column titles of the sale grid; column 0 holds nothing and column 4 (the discount rate,
// always 100) is drawn two pixels wide.
const char* const kSaleColumns[] = {"",     "商品编号", "商品名称", "商品单价", "商品折扣", "商品数量", "金额",
                                    "会员价", "会员金额", "销售类型", "单位",     "促销员",   "工号"};
constexpr int kSaleColumnCount = 13;
constexpr int kPromoterColumn = 11;

const QString kInfo = QStringLiteral("信息提示");
const QString kWarning = QStringLiteral("警告");
const QString kAmountTooLarge = amountTooLargeMessage();

QLineEdit* edit(QWidget* parent, const char* name, int maxLength = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

QLabel* caption(QWidget* parent, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setMinimumHeight(34);
    return b;
}

QTableWidget* grid(QWidget* parent, const char* name, const QStringList& titles) {
    auto* g = new QTableWidget(0, int(titles.size()), parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setHorizontalHeaderLabels(titles);
    g->verticalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->setDefaultSectionSize(22);
    return g;
}

void selectAllOnFocus(QLineEdit* e) {
    e->setFocus();
    e->selectAll();
}

}  // namespace

TfrmPOS* frmPOS() { return g_current; }

TfrmPOS::TfrmPOS(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmPOS"));
    setWindowTitle(QStringLiteral("零售业务处理"));
    resize(960, 660);
    QWidget* p = pnBaseHint();
    auto* root = new QVBoxLayout(p);
    root->setContentsMargins(8, 8, 8, 6);
    root->setSpacing(6);

    // ---- customer, selling store, promoter list ----
    auto* top = new QHBoxLayout;
    auto* customer = new QGroupBox(QStringLiteral("客户信息"), p);
    auto* customerGrid = new QGridLayout(customer);
    m_edName = edit(customer, "edName", 40);
    m_edPhone = edit(customer, "edPhone", 20);
    m_edAdress = edit(customer, "edAdress", 40);
    customerGrid->addWidget(caption(customer, QStringLiteral("客户姓名：")), 0, 0);
    customerGrid->addWidget(m_edName, 0, 1);
    customerGrid->addWidget(caption(customer, QStringLiteral("联系电话：")), 0, 2);
    customerGrid->addWidget(m_edPhone, 0, 3);
    customerGrid->addWidget(caption(customer, QStringLiteral("联系地址：")), 1, 0);
    customerGrid->addWidget(m_edAdress, 1, 1, 1, 3);
    top->addWidget(customer, 3);

    auto* storeBox = new QGroupBox(QStringLiteral("当前销售货位"), p);
    auto* storeLayout = new QVBoxLayout(storeBox);
    m_lcbRetailStore = new LookupComboBox(storeBox);
    m_lcbRetailStore->setObjectName(QStringLiteral("lcbRetailStore"));
    m_lcbRetailStore->setMinimumWidth(140);
    storeLayout->addWidget(m_lcbRetailStore);
    storeLayout->addStretch();
    top->addWidget(storeBox, 1);

    m_DBGrid1 = grid(p, "DBGrid1", {QStringLiteral("代号"), QStringLiteral("姓名")});
    m_DBGrid1->setFixedSize(210, 96);
    m_DBGrid1->horizontalHeader()->setStretchLastSection(true);
    m_DBGrid1->setColumnWidth(0, 60);
    top->addWidget(m_DBGrid1);
    root->addLayout(top);

    // ---- the line being entered ----
    auto* entry = new QGroupBox(QStringLiteral("商品录入"), p);
    // Boxes the program fills stay disabled but must stay readable at the counter.
    entry->setStyleSheet(QStringLiteral("QLineEdit:disabled { color: #1a1a1a; background: #ececec; }"));
    auto* entryLayout = new QHBoxLayout(entry);
    auto* rows = new QVBoxLayout;
    entryLayout->addLayout(rows, 1);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(first);
    rows->addLayout(second);
    m_edOffNO = edit(entry, "edOffNO", 3);
    m_edOffNO->setFixedWidth(60);
    m_edOffName = edit(entry, "edOffName");
    m_edOffName->setEnabled(false);
    m_edOffName->setFixedWidth(90);
    m_edProductNo = edit(entry, "edProductNo", 20);
    m_edProductNo->setFixedWidth(170);
    m_lbCard = new QLabel(entry);
    m_lbCard->setObjectName(QStringLiteral("lbCard"));
    m_lbCard->hide();
    m_edProductName = edit(entry, "edProductName");
    m_edProductName->setEnabled(false);
    m_edDw = edit(entry, "edDw");
    m_edDw->setEnabled(false);
    m_edDw->setFixedWidth(60);
    m_edSellCount = edit(entry, "edSellCount");
    m_edSellCount->setEnabled(false);
    m_edSellCount->setFixedWidth(90);
    m_edPrice = edit(entry, "edPrice", 12);
    m_edPrice->setFixedWidth(100);
    m_edCount = edit(entry, "edCount", 12);
    m_edCount->setFixedWidth(90);
    for (QLineEdit* e : {m_edPrice, m_edCount, m_edSellCount}) e->setAlignment(Qt::AlignRight);
    first->addWidget(caption(entry, QStringLiteral("促销员")));
    first->addWidget(m_edOffNO);
    first->addWidget(m_edOffName);
    first->addSpacing(16);
    first->addWidget(caption(entry, QStringLiteral("商品编码：")));
    first->addWidget(m_edProductNo);
    first->addWidget(m_lbCard);
    first->addSpacing(16);
    first->addWidget(caption(entry, QStringLiteral("商品名称：")));
    first->addWidget(m_edProductName, 1);
    second->addWidget(caption(entry, QStringLiteral("单位")));
    second->addWidget(m_edDw);
    second->addSpacing(16);
    second->addWidget(caption(entry, QStringLiteral("可售数量")));
    second->addWidget(m_edSellCount);
    second->addSpacing(16);
    second->addWidget(caption(entry, QStringLiteral("商 品 价：")));
    second->addWidget(m_edPrice);
    second->addWidget(new QLabel(QStringLiteral("元"), entry));
    second->addSpacing(16);
    second->addWidget(caption(entry, QStringLiteral("数量：")));
    second->addWidget(m_edCount);
    second->addStretch(1);

    // Hidden controls that still carry values.
    m_edRebate = edit(entry, "edRebate");
    m_edRebate->setEnabled(false);
    m_edRebate->hide();
    m_edMemPrice = edit(entry, "edMemPrice");
    m_edMemPrice->hide();
    // The running amount due, beside the line being keyed where the cashier looks.
    m_pnSaleTotal = new QLabel(entry);
    m_pnSaleTotal->setObjectName(QStringLiteral("pnSaleTotal"));
    m_pnSaleTotal->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pnSaleTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pnSaleTotal->setStyleSheet(
        QStringLiteral("color: #b00000; background: #fffbe6; font-size: 22pt; font-weight: bold; padding: 0 8px;"));
    m_pnSaleTotal->setMinimumWidth(220);
    m_pnSaleTotal->setVisible(SysSetIni::flag(QStringLiteral("ShowTotal")));
    entryLayout->addWidget(m_pnSaleTotal);
    root->addWidget(entry);

    // ---- the sale ----
    QStringList titles;
    for (const char* t : kSaleColumns) titles << QString::fromUtf8(t);
    m_sgSellsData = grid(p, "sgSellsData", titles);
    // Before the widths: a width below the minimum section size would be raised to it.
    m_sgSellsData->horizontalHeader()->setMinimumSectionSize(2);
    m_sgSellsData->setColumnWidth(0, 2);
    m_sgSellsData->setColumnWidth(1, 110);
    m_sgSellsData->setColumnWidth(2, 190);
    m_sgSellsData->setColumnWidth(3, 70);
    m_sgSellsData->setColumnWidth(4, 2);
    m_sgSellsData->setColumnWidth(5, 70);
    m_sgSellsData->setColumnWidth(6, 80);
    m_sgSellsData->setColumnWidth(7, 60);
    m_sgSellsData->setColumnWidth(8, 70);
    m_sgSellsData->setColumnWidth(9, 80);
    m_sgSellsData->setColumnWidth(10, 40);
    m_sgSellsData->setColumnWidth(11, 60);
    m_sgSellsData->setColumnWidth(12, 40);
    root->addWidget(m_sgSellsData, 1);

    auto* bottom = new QHBoxLayout;
    auto* orders = new QVBoxLayout;
    orders->addWidget(new QLabel(QStringLiteral("选择进货单"), p));
    m_sgInOrder = grid(p, "sgInOrder", {QStringLiteral("进货单号"), QStringLiteral("商品编号"), QStringLiteral("销售数量")});
    m_sgInOrder->setFixedHeight(70);
    m_sgInOrder->setFixedWidth(250);
    orders->addWidget(m_sgInOrder);
    bottom->addLayout(orders);

    auto* info = new QGridLayout;
    m_pnSellsCount = new QLabel(QStringLiteral("0"), p);
    m_pnSellsCount->setObjectName(QStringLiteral("pnSellsCount"));
    m_pnSellsCount->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pnSellsCount->setAlignment(Qt::AlignCenter);
    m_pnSellsCount->setMinimumWidth(60);
    m_pnSellsName = new QLabel(p);
    m_pnSellsName->setObjectName(QStringLiteral("pnSellsName"));
    m_pnSellsName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pnSellsName->setMinimumWidth(100);
    m_pnStoMoney = new QLabel(p);
    m_pnStoMoney->setObjectName(QStringLiteral("pnStoMoney"));
    m_pnStoMoney->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    m_pnStoMoney->setMinimumWidth(80);
    info->addWidget(caption(p, QStringLiteral("销售记录：")), 0, 0);
    info->addWidget(m_pnSellsCount, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("条"), p), 0, 2);
    info->addWidget(caption(p, QStringLiteral("收银员：")), 1, 0);
    info->addWidget(m_pnSellsName, 1, 1, 1, 2);
    info->addWidget(m_pnStoMoney, 0, 3, 2, 1);
    bottom->addLayout(info);
    bottom->addStretch();

    auto* buttons = new QHBoxLayout;
    m_bitSells = button(p, "bitSells", QStringLiteral("收银[F1]"));
    m_bitDelete = button(p, "bitDelete", QStringLiteral("删除[F8]"));
    m_bitClear = button(p, "bitClear", QStringLiteral("清除[F9]"));
    m_bitSerch = button(p, "bitSerch", QStringLiteral("&F查找"));
    m_bitClose = button(p, "bitClose", QStringLiteral("退出&Q"));
    m_bitMemberCard = button(p, "bitMemberCard", QStringLiteral("会员卡[F4]"));
    m_bitStoCard = button(p, "bitStoCard", QStringLiteral("消费卡[F5]"));
    m_bitMemberCard->hide();
    m_bitStoCard->hide();
    for (QPushButton* b : {m_bitSells, m_bitDelete, m_bitClear, m_bitSerch, m_bitClose}) buttons->addWidget(b);
    bottom->addLayout(buttons);
    root->addLayout(bottom);

    // Entry order: customer, promoter, product, price, quantity, then the store.
    setTabOrder(m_edName, m_edPhone);
    setTabOrder(m_edPhone, m_edAdress);
    setTabOrder(m_edAdress, m_edOffNO);
    setTabOrder(m_edOffNO, m_edProductNo);
    setTabOrder(m_edProductNo, m_edPrice);
    setTabOrder(m_edPrice, m_edCount);
    setTabOrder(m_edCount, m_lcbRetailStore);

    onFocusLeave(m_edOffNO, [this] { edOffNOExit(); });
    onFocusLeave(m_edPrice, [this] { edPriceExit(); });
    m_quickScan = SysSetIni::flag(QStringLiteral("QuickScan"));
    onEnterKey(m_edProductNo, [this] {
        if (m_quickScan) quickScan();
        else edProductNoKeyDown();
    });
    onEnterKey(m_edCount, [this] { edCountKeyDown(); });
    // A code typed over the looked-up one is not that product any more.
    connect(m_edProductNo, &QLineEdit::textEdited, this, [this] { forgetProduct(); });
    connect(m_DBGrid1, &QTableWidget::cellDoubleClicked, this, [this] { DBGrid1DblClick(); });
    connect(m_lcbRetailStore, qOverload<int>(&QComboBox::activated), this, [this] { lcbRetailStoreCloseUp(); });
    connect(m_bitSells, &QPushButton::clicked, this, &TfrmPOS::bitSellsClick);
    connect(m_bitDelete, &QPushButton::clicked, this, &TfrmPOS::bitDeleteClick);
    connect(m_bitClear, &QPushButton::clicked, this, &TfrmPOS::bitClearClick);
    connect(m_bitSerch, &QPushButton::clicked, this, &TfrmPOS::bitSerchClick);
    connect(m_bitClose, &QPushButton::clicked, this, &TfrmPOS::bitCloseClick);
    connect(m_bitMemberCard, &QPushButton::clicked, this, &TfrmPOS::bitMemberCardClick);
    connect(m_bitStoCard, &QPushButton::clicked, this, &TfrmPOS::bitStoCardClick);

    FormCreate();
    g_current = this;
}

TfrmPOS::~TfrmPOS() {
    if (g_current == this) g_current = nullptr;
}

void TfrmPOS::FormCreate() {
    ClearEdits();
    db::Connection& c = frmBaseDataModule().Database();
    m_lcbRetailStore->load(c, QStringLiteral("Select CKNO, CKNAME from Store order by CKNO"), 2);
    refreshGrid();
    try {
        db::Statement s(c, QStringLiteral("select ZYNO, NAME from GZRYB where ZW = '1' order by ZYNO"));
        s.exec();
        while (s.next()) {
            const int row = m_DBGrid1->rowCount();
            m_DBGrid1->insertRow(row);
            m_DBGrid1->setItem(row, 0, new QTableWidgetItem(s.text(0)));
            m_DBGrid1->setItem(row, 1, new QTableWidgetItem(s.text(1)));
        }
    } catch (const db::Error&) {
        m_DBGrid1->setRowCount(0);  // no promoter list is no reason to refuse the counter
    }
    m_edRebate->setText(QStringLiteral("100"));
    m_pnSellsName->setText(session().OperatorName);
    if (const auto store = ReadSysVariable(c, QStringLiteral("RetailSaleType"))) m_lcbRetailStore->setKeyValue(*store);
    m_rememberedStore = m_lcbRetailStore->keyValue();
    m_edName->setFocus();
}

QString TfrmPOS::storeNo() const { return m_lcbRetailStore->keyValue(); }
QString TfrmPOS::storeName() const { return m_lcbRetailStore->currentText(); }
QString TfrmPOS::customerName() const { return m_edName->text(); }
QString TfrmPOS::customerAddress() const { return m_edAdress->text(); }
QString TfrmPOS::customerPhone() const { return m_edPhone->text(); }
QString TfrmPOS::promoterColumnTitle() const { return QString::fromUtf8(kSaleColumns[kPromoterColumn]); }

void TfrmPOS::showReceiptFile(const QString& path) { setPanelText(3, QStringLiteral("票据已存为文件：") + path); }

bool TfrmPOS::eventFilter(QObject* watched, QEvent* event) {
    const bool passOn = TfrmBase::eventFilter(watched, event);
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return passOn;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this || widget != QApplication::focusWidget()) return passOn;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_F1: bitSellsClick(); return true;
    case Qt::Key_F4: bitMemberCardClick(); return true;
    case Qt::Key_F5: bitStoCardClick(); return true;
    case Qt::Key_F8: bitDeleteClick(); return true;
    case Qt::Key_F9: bitClearClick(); return true;
    default: return passOn;
    }
}

void TfrmPOS::keyPressEvent(QKeyEvent* event) {
    // Esc would close the screen and drop the sale in progress without a word: the screen
    // has no Esc key, it closes by 退出 only.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TfrmBase::keyPressEvent(event);
}

void TfrmPOS::edOffNOExit() {
    if (m_edOffNO->text().isEmpty()) return;
    bool found = false;
    try {
        db::Statement s(frmBaseDataModule().Database(), QStringLiteral("Select name from gzryb where zw = '1' and zyno =:zyno"));
        s.bind(QStringLiteral(":zyno"), m_edOffNO->text());
        if (s.first()) {
            m_edOffName->setText(s.text(0));
            found = true;
        }
    } catch (const db::Error&) {
    }
    if (!found) {
        messages().warning(kWarning, QStringLiteral("该员工号不存在，请重新输入！！！"));
        m_edOffName->clear();
        m_edOffNO->setFocus();
        return;
    }
    m_edProductNo->setFocus();
}

void TfrmPOS::DBGrid1DblClick() {
    const int row = m_DBGrid1->currentRow();
    if (row < 0) return;
    m_edOffNO->setText(m_DBGrid1->item(row, 0)->text());
    m_edOffName->setText(m_DBGrid1->item(row, 1)->text());
    m_edProductNo->setFocus();
}

void TfrmPOS::forgetProduct() { m_product.reset(); }

void TfrmPOS::edProductNoKeyDown() {
    const QString code = m_edProductNo->text();
    std::optional<LookedUpProduct> product = ProductLookup(frmBaseDataModule().Database()).find(code);
    if (!product) {
        m_product.reset();
        messages().info(kInfo, QStringLiteral("该商品编号不存在，请重新输入或与管理员联系！"));
        m_edProductNo->setFocus();
        return;
    }
    m_edProductName->setText(product->name);
    m_edPrice->setText(plainAmountText(proposedPrice(*product).value_or(product->price)));
    m_edMemPrice->setText(plainAmountText(product->memberPrice()));
    m_edCount->setText(QStringLiteral("1"));
    m_edDw->setText(product->unit);
    product->saleable = frmDM().GetStoreCount(code, storeNo()) - m_lines.quantityOf(code);
    m_edSellCount->setText(quantityText(product->saleable));
    m_product = std::move(product);
    selectAllOnFocus(m_edPrice);
}

void TfrmPOS::edPriceExit() {
    if (m_edPrice->text().isEmpty()) return;
    const std::optional<Money> price = Money::parse(m_edPrice->text());
    const std::optional<Money> floor = Money::parse(m_edMemPrice->text());
    if (!price || !floor) {
        messages().warning(kWarning, QStringLiteral("对不起，商品目录价格信息不全，请重新维护！！！"));
        return;
    }
    if (*floor > *price) {
        messages().warning(kWarning, QStringLiteral("对不起，销售价不能低于最低销售价格，请重新输入！！！"));
        m_edPrice->setFocus();
    }
}

void TfrmPOS::edCountKeyDown() {
    if (!readyForLine()) return;
    // Without a product looked up for the code in the box (the box empty, or typed over
    // since) there is nothing to add: a line must not mix two products.
    if (!m_product || m_edProductNo->text() != m_product->productNo) {
        m_edProductNo->setFocus();
        return;
    }
    if (refusesLine() || !addCheckedLine()) return;
    m_edProductNo->clear();
    forgetProduct();
    afterLineAdded();
}

bool TfrmPOS::readyForLine() { return !m_edOffNO->text().isEmpty(); }  // no line without a promoter

bool TfrmPOS::readyForQuickScan() {
    if (readyForLine()) return true;
    messages().info(kInfo, QStringLiteral("请先输入促销员工号！"));
    m_edOffNO->setFocus();
    return false;
}

std::optional<Money> TfrmPOS::proposedPrice(const LookedUpProduct&) { return std::nullopt; }

void TfrmPOS::afterLineAdded() { m_edOffNO->setFocus(); }

void TfrmPOS::openSettlement() {
    TfrmPrintSellsData settlement(*this, this);
    modalRunner().run(settlement);
}

// A scanner types a code and Enter: the product goes on the sale at once, one unit at its
// standard price, and the code box keeps the focus for the next scan. Whatever the scan
// cannot settle on its own (an unknown code, no promoter yet, a refused line) leaves the
// cashier where the keyed entry would.
void TfrmPOS::quickScan() {
    edProductNoKeyDown();
    if (!m_product || !readyForQuickScan()) return;
    if (refusesLine() || !addCheckedLine()) return;
    m_edProductNo->clear();
    forgetProduct();
    m_edProductNo->setFocus();
}

bool TfrmPOS::refusesLine() {
    const bool checkStock = GetSysVariable(QStringLiteral("isCheckStore")) == QLatin1String("-1");
    switch (checkLine(m_edCount->text(), m_edPrice->text(), *m_product, checkStock)) {
    case LineRefusal::None:
        return false;
    case LineRefusal::QuantityNotANumber:
        messages().info(kInfo, QStringLiteral("输入非法数量数据，请重新输入！"));
        selectAllOnFocus(m_edCount);
        return true;
    case LineRefusal::QuantityNegative:
        messages().info(kInfo, QStringLiteral("数量不能输入负数，请重新输入！"));
        selectAllOnFocus(m_edCount);
        return true;
    case LineRefusal::PriceBelowFloor:
        messages().warning(kWarning, QStringLiteral("对不起，销售价不能低于最低销售价格，请重新输入！！！"));
        selectAllOnFocus(m_edPrice);
        return true;
    case LineRefusal::QuantityOverSaleable:
        messages().info(kInfo, QStringLiteral("销售数量大于可销售数量，请重新录入！"));
        m_edCount->setFocus();
        return true;
    }
    return false;
}

bool TfrmPOS::addCheckedLine() {
    const SaleLine line = lineFromScreen();
    if (!m_lines.fitsAmountLimit(line)) {
        messages().warning(kWarning, kAmountTooLarge);
        selectAllOnFocus(m_edCount);
        return false;
    }
    try {
        AddSaleLine();
    } catch (const std::overflow_error&) {
        messages().warning(kWarning, kAmountTooLarge);
        selectAllOnFocus(m_edCount);
        return false;
    }
    return true;
}

SaleLine TfrmPOS::lineFromScreen() const {
    SaleLine line;
    line.productNo = m_product->productNo;
    line.productName = m_product->name;
    line.priceText = m_edPrice->text();
    line.rateText = m_edRebate->text();
    line.quantityText = m_edCount->text();
    line.memberPriceText = plainAmountText(m_product->memberPrice());
    line.storeName = storeName();
    line.unit = m_product->unit;
    line.promoterName = m_edOffName->text();
    line.promoterNo = m_edOffNO->text();
    return line;
}

void TfrmPOS::AddSaleLine() {
    m_lines.add(lineFromScreen());
    refreshGrid();
}

void TfrmPOS::refreshGrid() {
    const auto& lines = m_lines.lines();
    m_sgSellsData->setRowCount(int(lines.size()));
    for (int row = 0; row < int(lines.size()); ++row) {
        const SaleLine& l = lines[size_t(row)];
        const QString cells[kSaleColumnCount] = {
            QString(),         l.productNo, l.productName, l.priceText,  l.rateText,     l.quantityText,
            l.amount().toString(), l.memberPriceText, l.memberAmount().toString(), l.storeName, l.unit,
            l.promoterName,    l.promoterNo};
        for (int col = 0; col < kSaleColumnCount; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == 3 || col == 5 || col == 6 || col == 7 || col == 8)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_sgSellsData->setItem(row, col, item);
        }
    }
    if (!lines.empty()) m_sgSellsData->selectRow(0);
    m_pnSellsCount->setText(QString::number(m_lines.count()));
    m_pnSaleTotal->setText(QStringLiteral("应收 ") + m_lines.total().roundedToCents().toString());
}

Money TfrmPOS::computeSaleTotal() const { return m_lines.total(); }

void TfrmPOS::bitSellsClick() {
    if (m_lines.isEmpty()) {
        messages().warning(kWarning, QStringLiteral("无销售纪录,不可存盘！！！"));
        return;
    }
    try {
        m_saleTotal = computeSaleTotal();
    } catch (const std::overflow_error&) {
        messages().warning(kWarning, kAmountTooLarge);
        return;
    }
    openSettlement();
    // Saved or left with Esc, the next scan must land in the code box of this screen.
    giveKeyboardBack(this);
    m_edProductNo->setFocus();
}

void TfrmPOS::bitDeleteClick() {
    const int row = m_sgSellsData->currentRow();
    // With no line, or no line selected, there is nothing to delete.
    if (row >= 0 && row < m_lines.count()) {
        m_lines.remove(row);
        refreshGrid();
    }
    m_edProductNo->setFocus();
}

void TfrmPOS::bitClearClick() {
    m_lines.clear();
    refreshGrid();
    m_sgInOrder->setRowCount(0);
    m_pnSellsCount->setText(QStringLiteral("0"));
    m_edProductNo->setFocus();
}

void TfrmPOS::bitMemberCardClick() {
    if (m_lines.isEmpty()) {
        messages().warning(kWarning, QStringLiteral("无销售纪录,不可刷卡！！！"));
        return;
    }
    m_pnStoMoney->clear();
    m_lbCard->clear();
}

void TfrmPOS::bitStoCardClick() {
    if (m_lines.isEmpty()) {
        messages().warning(kWarning, QStringLiteral("无销售纪录,不可刷卡！！！"));
        return;
    }
    try {
        m_saleTotal = computeSaleTotal();
    } catch (const std::overflow_error&) {
        messages().warning(kWarning, kAmountTooLarge);
        return;
    }
    m_pnStoMoney->setText(m_saleTotal.toString());
}

void TfrmPOS::bitSerchClick() {
    // The product chosen in the search is looked up as if its code had been keyed.
    const QString chosen = showProductSearch(this);
    if (chosen.isEmpty()) return;
    m_edProductNo->setText(chosen);
    edProductNoKeyDown();
}

void TfrmPOS::bitCloseClick() { reject(); }

void TfrmPOS::lcbRetailStoreCloseUp() {
    const QString chosen = m_lcbRetailStore->keyValue();
    if (chosen == m_rememberedStore) return;
    if (messages().ask(MessageIcon::Information, kInfo, QStringLiteral("更换库位将清除当前所售商品，确定要更换库位吗？"))) {
        bitClearClick();
        forgetProduct();  // its saleable quantity was the old store's
        m_rememberedStore = chosen;
    } else {
        m_lcbRetailStore->setKeyValue(m_rememberedStore);
    }
}
