#include "sales/TfrmJobPOS.h"

#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "db/Comm.h"
#include "db/Error.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "sales/TfrmPrintJobSellsData.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {
constexpr int kStaffColumn = 11;
constexpr int kPhoneColumn = 2;
constexpr int kAddressColumn = 3;
}  // namespace

std::optional<Money> lastClientPrice(db::Connection& connection, const QString& clientNo, const QString& productNo) {
    // Sales in one second are told apart by their numbers, which sort in issue order.
    db::Statement s(connection, QStringLiteral(
        "Select C.SJ From XSCBB C, XSB X Where C.SPNO = :ProductNo and C.XSNO = X.XSNO and X.KHNO = :KHNO "
        "order by X.XSDATE DESC, X.XSNO DESC, C.ID DESC LIMIT 1"));
    s.bind(QStringLiteral(":ProductNo"), productNo).bind(QStringLiteral(":KHNO"), clientNo);
    std::optional<Money> price;
    if (s.first()) price = s.money(0);
    s.query().finish();
    return price;
}

TfrmJobPOS::TfrmJobPOS(QWidget* parent) : TfrmPOS(parent) {
    setObjectName(QStringLiteral("frmJobPOS"));
    setWindowTitle(QStringLiteral("批发业务处理"));

    // The customer is a registered client: the name box becomes the client list, and the
    // telephone and address show the chosen client's.
    m_client = new LookupComboBox(m_edName->parentWidget());
    if (auto* grid = qobject_cast<QGridLayout*>(m_edName->parentWidget()->layout())) grid->replaceWidget(m_edName, m_client);
    m_edName->hide();
    m_edName->setObjectName(QString());
    m_client->setObjectName(QStringLiteral("edName"));
    m_client->setMinimumWidth(200);
    m_client->load(frmBaseDataModule().Database(),
                   QStringLiteral("select KHNO, KHNAME, LXDH, LXDZ from KHB where khno <> '000' order by khNO"), 4);
    setTabOrder(m_client, m_edPhone);
    connect(m_client, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { edNameChange(); });

    for (QLabel* label : m_edOffNO->parentWidget()->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("促销员")) label->setText(QStringLiteral("销售人员"));
    m_sgSellsData->horizontalHeaderItem(kStaffColumn)->setText(promoterColumnTitle());

    db::Connection& c = frmBaseDataModule().Database();
    if (const auto store = ReadSysVariable(c, QStringLiteral("BatchSaleType"))) m_lcbRetailStore->setKeyValue(*store);
    m_rememberedStore = m_lcbRetailStore->keyValue();
    m_saleTotal = Money{};
    m_client->setFocus();
}

QString TfrmJobPOS::clientNo() const { return m_client->keyValue(); }

QString TfrmJobPOS::customerName() const { return clientNo().isEmpty() ? QString() : m_client->currentText(); }

QString TfrmJobPOS::promoterColumnTitle() const { return QStringLiteral("销售员"); }

void TfrmJobPOS::edNameChange() {
    const int row = m_client->currentIndex();
    const QAbstractItemModel* rows = m_client->model();
    m_edPhone->setText(row < 0 ? QString() : rows->index(row, kPhoneColumn).data().toString());
    m_edAdress->setText(row < 0 ? QString() : rows->index(row, kAddressColumn).data().toString());
}

bool TfrmJobPOS::readyForLine() {
    if (!clientNo().isEmpty()) return true;  // a salesperson is not required
    messages().info(QStringLiteral("信息提示"), QStringLiteral("数据不全，请重新输入供应商！"));
    m_client->setFocus();
    return false;
}

std::optional<Money> TfrmJobPOS::proposedPrice(const LookedUpProduct& product) {
    if (clientNo().isEmpty()) return std::nullopt;
    try {
        return lastClientPrice(frmBaseDataModule().Database(), clientNo(), product.productNo);
    } catch (const db::Error&) {
        return std::nullopt;  // the standard price stays
    }
}

void TfrmJobPOS::afterLineAdded() {
    m_edOffNO->setFocus();
    m_edOffNO->selectAll();
}

void TfrmJobPOS::openSettlement() {
    TfrmPrintJobSellsData settlement(*this, this);
    modalRunner().run(settlement);
}
