#include "app/TfrmVarSet.h"

#include "app/ErrorHandler.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "app/SystemVariables.h"
#include "db/Error.h"
#include "db/TfrmBaseDataModule.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Booleans are kept as "-1" (true) and "0" (false); other whole numbers and the words
// read as the toolkit's text-to-boolean would. nullopt when the text is no boolean.
std::optional<bool> storedBoolean(const QString& text) {
    const QString t = text.trimmed();
    bool isNumber = false;
    const qint64 n = t.toLongLong(&isNumber);
    if (isNumber) return n != 0;
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

void selectOption(QButtonGroup* group, int position) {
    QAbstractButton* wanted = group->button(position);
    if (wanted) {
        wanted->setChecked(true);
        return;
    }
    // No option for that number: none selected.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

QButtonGroup* optionGroup(QGroupBox* frame, const QString& name) {
    auto* group = new QButtonGroup(frame);
    group->setObjectName(name);
    auto* column = new QVBoxLayout(frame);
    const QStringList options = {QStringLiteral("超市模式（小票）"), QStringLiteral("商场模式（表格）")};
    for (int i = 0; i < options.size(); ++i) {
        auto* option = new QRadioButton(options[i], frame);
        option->setObjectName(name + QString::number(i));
        group->addButton(option, i);
        column->addWidget(option);
    }
    return group;
}

}  // namespace

TfrmVarSet::TfrmVarSet(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmVarSet"));
    setWindowTitle(QStringLiteral("系统变量设置"));
    QWidget* panel = pnBaseHint();

    auto* banner = new QLabel(QStringLiteral("系统变量仅在初次使用时设置，设置后请勿轻易改变！！"), panel);
    banner->setObjectName(QStringLiteral("lbBanner"));
    banner->setAlignment(Qt::AlignCenter);
    banner->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));

    auto textBox = [&](QWidget* parentWidget, const QString& name) {
        auto* edit = new QLineEdit(parentWidget);
        edit->setObjectName(name);
        edit->setMaxLength(100);  // vrvalue's width
        return edit;
    };

    auto* gbChecked = new QGroupBox(QStringLiteral("结转日期"), panel);
    auto* checkedRow = new QHBoxLayout(gbChecked);
    m_edCheckedDate = textBox(gbChecked, QStringLiteral("edCheckedDate"));
    checkedRow->addWidget(new QLabel(QStringLiteral("每月结转日期"), gbChecked));
    checkedRow->addWidget(m_edCheckedDate, 1);

    auto* gbPeriod = new QGroupBox(QStringLiteral("结转起止期（只需在第一次使用时设置即可）"), panel);
    auto* periodGrid = new QGridLayout(gbPeriod);
    m_edBalaBegDate = textBox(gbPeriod, QStringLiteral("edBalaBegDate"));
    m_edBalaEndDate = textBox(gbPeriod, QStringLiteral("edBalaEndDate"));
    periodGrid->addWidget(new QLabel(QStringLiteral("上次结转起期"), gbPeriod), 0, 0);
    periodGrid->addWidget(m_edBalaBegDate, 0, 1);
    periodGrid->addWidget(new QLabel(QStringLiteral("例如：2000-01-10"), gbPeriod), 0, 2);
    periodGrid->addWidget(new QLabel(QStringLiteral("上次结转止期"), gbPeriod), 1, 0);
    periodGrid->addWidget(m_edBalaEndDate, 1, 1);
    periodGrid->addWidget(new QLabel(QStringLiteral("例如：2000-02-09"), gbPeriod), 1, 2);

    db::Connection& connection = frmBaseDataModule().Database();
    auto storeList = [&](const QString& title, const QString& name, LookupComboBox** list) {
        auto* frame = new QGroupBox(title, panel);
        auto* row = new QHBoxLayout(frame);
        *list = new LookupComboBox(frame, 0, 1);
        (*list)->setObjectName(name);
        (*list)->load(connection, QStringLiteral("Select CKNO, CKNAME from STORE order by CKNO"), 2);
        row->addWidget(*list);
        return frame;
    };
    QGroupBox* gbRetailStore = storeList(QStringLiteral("零售默认销售仓库"), QStringLiteral("lcbRetailStore"), &m_lcbRetailStore);
    QGroupBox* gbBatchStore = storeList(QStringLiteral("批发默认销售仓库"), QStringLiteral("lcbBatchStore"), &m_lcbBatchStore);

    auto* gbRetailMode = new QGroupBox(QStringLiteral("零售销售单打印模式"), panel);
    m_rgRetailPrintMode = optionGroup(gbRetailMode, QStringLiteral("rgRetailPrintMode"));
    m_rgRetailPrintMode->button(0)->setChecked(true);
    auto* gbBatchMode = new QGroupBox(QStringLiteral("批发销售单打印模式"), panel);
    m_rgBatchPrintMode = optionGroup(gbBatchMode, QStringLiteral("rgBatchPrintMode"));

    auto* gbPrint = new QGroupBox(QStringLiteral("默认打印票据"), panel);
    m_cbPrint = new QCheckBox(QStringLiteral("打印票据"), gbPrint);
    m_cbPrint->setObjectName(QStringLiteral("cbPrint"));
    (new QVBoxLayout(gbPrint))->addWidget(m_cbPrint);
    auto* gbCheckStore = new QGroupBox(QStringLiteral("默认销售时是否检测库存"), panel);
    m_cbCheckStore = new QCheckBox(QStringLiteral("检测库存"), gbCheckStore);
    m_cbCheckStore->setObjectName(QStringLiteral("cbCheckStore"));
    (new QVBoxLayout(gbCheckStore))->addWidget(m_cbCheckStore);

    auto* bitYes = new QPushButton(QStringLiteral("确定"), panel);
    bitYes->setObjectName(QStringLiteral("bitYes"));
    auto* bitExit = new QPushButton(QStringLiteral("退出"), panel);
    bitExit->setObjectName(QStringLiteral("bitExit"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->addWidget(gbChecked, 0, 0, 1, 2);
    grid->addWidget(gbPeriod, 1, 0, 1, 2);
    grid->addWidget(gbRetailStore, 2, 0);
    grid->addWidget(gbBatchStore, 2, 1);
    grid->addWidget(gbRetailMode, 3, 0);
    grid->addWidget(gbBatchMode, 3, 1);
    grid->addWidget(gbPrint, 4, 0);
    grid->addWidget(gbCheckStore, 4, 1);
    auto* buttons = centredButtonRow(bitYes, bitExit);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(10);
    layout->addWidget(banner);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(bitYes, &QPushButton::clicked, this, &TfrmVarSet::bitYesClick);
    connect(bitExit, &QPushButton::clicked, this, &TfrmVarSet::bitExitClick);
    loadVariables();
    m_edCheckedDate->setFocus();
}

void TfrmVarSet::loadVariables() {
    const std::map<QString, QString> stored = SystemVariables(frmBaseDataModule().Database()).load();
    auto have = [&](const char* name, auto apply) {
        const auto it = stored.find(QString::fromLatin1(name));
        if (it != stored.end()) apply(it->second);
    };
    have("CheckedDate", [&](const QString& v) { m_edCheckedDate->setText(v); });
    have("BalaBegDate", [&](const QString& v) { m_edBalaBegDate->setText(v); });
    have("BalaEndDate", [&](const QString& v) { m_edBalaEndDate->setText(v); });
    have("RetailSaleType", [&](const QString& v) { m_lcbRetailStore->setKeyValue(v); });
    have("BatchSaleType", [&](const QString& v) { m_lcbBatchStore->setKeyValue(v); });
    // A stored value that is not a number or not a boolean leaves its control as it
    // starts, so one damaged row does not keep the others from showing.
    auto mode = [](QButtonGroup* group) {
        return [group](const QString& v) {
            bool ok = false;
            const int position = v.trimmed().toInt(&ok);
            if (ok) selectOption(group, position);
        };
    };
    have("RetailPrintMode", mode(m_rgRetailPrintMode));
    have("BatchPrintMode", mode(m_rgBatchPrintMode));
    auto tick = [](QCheckBox* box) {
        return [box](const QString& v) {
            if (const auto b = storedBoolean(v)) box->setChecked(*b);
        };
    };
    have("isPrint", tick(m_cbPrint));
    have("isCheckStore", tick(m_cbCheckStore));
}

void TfrmVarSet::bitYesClick() {
    auto text = [](const QString& s) { return std::optional<QString>(s); };
    auto store = [](LookupComboBox* list) {
        const QString key = list->keyValue();
        return key.isEmpty() ? std::nullopt : std::optional<QString>(key);
    };
    auto boolean = [](QCheckBox* box) { return std::optional<QString>(box->isChecked() ? QStringLiteral("-1") : QStringLiteral("0")); };
    auto mode = [](QButtonGroup* group) { return std::optional<QString>(QString::number(group->checkedId())); };
    const std::vector<SystemVariables::Value> values = {
        {QStringLiteral("CheckedDate"), text(m_edCheckedDate->text())},
        {QStringLiteral("BalaBegDate"), text(m_edBalaBegDate->text())},
        {QStringLiteral("BalaEndDate"), text(m_edBalaEndDate->text())},
        {QStringLiteral("RetailSaleType"), store(m_lcbRetailStore)},
        {QStringLiteral("BatchSaleType"), store(m_lcbBatchStore)},
        {QStringLiteral("isPrint"), boolean(m_cbPrint)},
        {QStringLiteral("isCheckStore"), boolean(m_cbCheckStore)},
        {QStringLiteral("RetailPrintMode"), mode(m_rgRetailPrintMode)},
        {QStringLiteral("BatchPrintMode"), mode(m_rgBatchPrintMode)},
    };
    try {
        SystemVariables(frmBaseDataModule().Database()).save(values);
    } catch (const db::Error&) {
        messages().info(QStringLiteral("数据保存失败，设置未作改动！"));
        return;
    }
    messages().info(QStringLiteral("数据已成功保存！"));
}

void TfrmVarSet::bitExitClick() { close(); }
