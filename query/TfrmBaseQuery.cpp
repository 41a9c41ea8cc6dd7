#include "query/TfrmBaseQuery.h"

#include "app/FileDialogs.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "db/Error.h"
#include "db/TfrmBaseDataModule.h"
#include "query/CsvExport.h"
#include "query/QueryRowSource.h"
#include "reports/TfrmBaseReport.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QComboBox* conditionCombo(QWidget* parent, const QString& name, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    // Typed text must never become a new item: only the listed items mean anything.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->clearEditText();
    combo->setMinimumWidth(130);
    return combo;
}

QLabel* captionLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    return label;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setMinimumWidth(90);
    return b;
}

}  // namespace

TfrmBaseQuery::TfrmBaseQuery(QWidget* parent) : TfrmBase(parent), m_builder(std::make_unique<query::ConditionBuilder>(query::QueryItems{})) {
    setWindowTitle(QStringLiteral("查询基类"));
    setObjectName(QStringLiteral("frmBaseQuery"));
    QWidget* panel = pnBaseHint();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);

    // 查询条件: item, comparison, content, connective.
    auto* conditions = new QGroupBox(QStringLiteral("查询条件"), panel);
    auto* cg = new QGridLayout(conditions);
    m_cbSelectItem = conditionCombo(conditions, QStringLiteral("cbSelectItem"), {});
    m_cbSelectCompare = conditionCombo(conditions, QStringLiteral("cbSelectCompare"), query::ConditionBuilder::comparisonTitles());
    m_cbSelectContent = conditionCombo(conditions, QStringLiteral("cbSelectContent"), {});
    m_cbSelectLogic = conditionCombo(conditions, QStringLiteral("cbSelectLogic"), query::ConditionBuilder::connectiveTitles());
    m_cbSelectLogic->setEnabled(false);
    m_cbSelectContent->setMinimumWidth(180);
    cg->addWidget(captionLabel(conditions, QStringLiteral("查询项")), 0, 0);
    cg->addWidget(captionLabel(conditions, QStringLiteral("比较符")), 0, 1);
    cg->addWidget(captionLabel(conditions, QStringLiteral("查询内容")), 0, 2);
    cg->addWidget(captionLabel(conditions, QStringLiteral("逻辑连接")), 0, 3);
    cg->addWidget(m_cbSelectItem, 1, 0);
    cg->addWidget(m_cbSelectCompare, 1, 1);
    cg->addWidget(m_cbSelectContent, 1, 2);
    cg->addWidget(m_cbSelectLogic, 1, 3);
    cg->setColumnStretch(2, 1);

    // 统计 beside the conditions.
    auto* stats = new QGroupBox(QStringLiteral("统计"), panel);
    auto* sg = new QGridLayout(stats);
    m_lbStatOne = new QLabel(QStringLiteral("统计一:"), stats);
    m_lbStatOne->setObjectName(QStringLiteral("lbStatOne"));
    m_lbStatTwo = new QLabel(QStringLiteral("统计二:"), stats);
    m_lbStatTwo->setObjectName(QStringLiteral("lbStatTwo"));
    m_edStatOne = new QLineEdit(stats);
    m_edStatOne->setObjectName(QStringLiteral("edStatOne"));
    m_edStatTwo = new QLineEdit(stats);
    m_edStatTwo->setObjectName(QStringLiteral("edStatTwo"));
    m_edStatOne->setReadOnly(true);
    m_edStatTwo->setReadOnly(true);
    sg->addWidget(m_lbStatOne, 0, 0);
    sg->addWidget(m_edStatOne, 0, 1);
    sg->addWidget(m_lbStatTwo, 1, 0);
    sg->addWidget(m_edStatTwo, 1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(conditions, 1);
    top->addWidget(stats);
    layout->addLayout(top);

    // 查询条件描述 with the row count.
    auto* remark = new QGroupBox(QStringLiteral("查询条件描述"), panel);
    auto* rl = new QHBoxLayout(remark);
    m_edRemark = new QLineEdit(remark);
    m_edRemark->setObjectName(QStringLiteral("edRemark"));
    m_edRemark->setReadOnly(true);
    rl->addWidget(m_edRemark, 1);
    rl->addWidget(captionLabel(remark, QStringLiteral("记录数")));
    m_lbCount = new QLabel(remark);
    m_lbCount->setObjectName(QStringLiteral("lbCount"));
    m_lbCount->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lbCount->setMinimumWidth(110);
    m_lbCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont countFont = m_lbCount->font();
    countFont.setPointSize(12);
    countFont.setBold(true);
    m_lbCount->setFont(countFont);
    QPalette countPalette = m_lbCount->palette();
    countPalette.setColor(QPalette::WindowText, Qt::blue);
    m_lbCount->setPalette(countPalette);
    rl->addWidget(m_lbCount);
    layout->addWidget(remark);

    // The rows.
    m_dgDisplayData = new QTableView(panel);
    m_dgDisplayData->setObjectName(QStringLiteral("dgDisplayData"));
    m_dgDisplayData->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_dgDisplayData->setSelectionMode(QAbstractItemView::SingleSelection);
    m_dgDisplayData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dgDisplayData->setAlternatingRowColors(true);
    m_dgDisplayData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_dgDisplayData->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    m_dgDisplayData->verticalHeader()->hide();
    m_dgDisplayData->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(m_dgDisplayData, 1);

    // Buttons.
    auto* buttons = new QHBoxLayout;
    m_buttonRow = buttons;
    m_bitPrint = button(panel, QStringLiteral("bitPrint"), QStringLiteral("&P打印"));
    m_bitExport = button(panel, QStringLiteral("bitExport"), QStringLiteral("&X导出CSV"));
    m_bitSelect = button(panel, QStringLiteral("bitSelect"), QStringLiteral("[F8]查询"));
    m_bitClose = button(panel, QStringLiteral("bitClose"), QStringLiteral("&E退出"));
    buttons->addStretch(1);
    buttons->addWidget(m_bitPrint);
    buttons->addWidget(m_bitExport);
    buttons->addWidget(m_bitSelect);
    buttons->addWidget(m_bitClose);
    layout->addLayout(buttons);

    connect(m_bitSelect, &QPushButton::clicked, this, [this] { bitSelectClick(); });
    connect(m_bitPrint, &QPushButton::clicked, this, [this] { bitPrintClick(); });
    connect(m_bitExport, &QPushButton::clicked, this, [this] { bitExportClick(); });
    connect(m_bitClose, &QPushButton::clicked, this, &QDialog::reject);
    for (QComboBox* combo : {m_cbSelectItem, m_cbSelectCompare, m_cbSelectContent})
        connect(combo, &QComboBox::editTextChanged, this, [this] { updateLogicEnabled(); });
    connect(m_cbSelectLogic, &QComboBox::activated, this, [this] { cbSelectLogicChange(); });

    resize(960, 640);
}

TfrmBaseQuery::~TfrmBaseQuery() = default;

void TfrmBaseQuery::setQuery(query::QueryItems items, const QString& baseSql, const QString& orderSql,
                             const QString& rowKey, const QString& reportName) {
    m_builder = std::make_unique<query::ConditionBuilder>(items);
    m_cbSelectItem->clear();
    m_cbSelectItem->addItems(m_builder->itemTitles());
    m_cbSelectItem->setCurrentIndex(-1);
    m_cbSelectItem->clearEditText();

    delete m_rows;
    m_rows = new query::QueryRowSource(std::move(items), this);
    m_dgDisplayData->setModel(m_rows);
    connect(m_rows, &query::QueryRowSource::totalRowsKnown, m_lbCount,
            [this](qint64 rows) { m_lbCount->setText(QString::number(rows)); });
    connect(m_rows, &query::QueryRowSource::countFailed, m_lbCount, [this](const QString&) { m_lbCount->setText(QStringLiteral("?")); });
    const QFontMetrics metrics(m_dgDisplayData->font());
    for (int c = 0; c < m_rows->columnCount(); ++c) {
        const query::QueryItem& item = m_rows->item(c);
        const int chars = std::max(item.width, int(item.shownTitle().size()) * 2);
        m_dgDisplayData->setColumnWidth(c, std::min(metrics.averageCharWidth() * chars + 12, 320));
    }
    m_baseSql = baseSql;
    m_orderSql = orderSql;
    m_rowKey = rowKey;
    m_groupSql.clear();
    m_reportName = reportName;
}

void TfrmBaseQuery::setStatement(const QString& baseSql, const QString& orderSql, const QString& rowKey,
                                 const QString& groupSql) {
    m_baseSql = baseSql;
    m_orderSql = orderSql;
    m_rowKey = rowKey;
    m_groupSql = groupSql;
}

void TfrmBaseQuery::updateLogicEnabled() {
    m_cbSelectLogic->setEnabled(!m_cbSelectItem->currentText().isEmpty() && !m_cbSelectCompare->currentText().isEmpty()
                                && !m_cbSelectContent->currentText().isEmpty());
}

void TfrmBaseQuery::clearConditionTexts() {
    for (QComboBox* combo : {m_cbSelectItem, m_cbSelectCompare, m_cbSelectContent}) {
        combo->setCurrentIndex(-1);
        combo->clearEditText();
    }
}

void TfrmBaseQuery::showPlain(const QString& text) {
    messages().show(MessageIcon::Information, QGuiApplication::applicationDisplayName(), text, MessageButtons::Ok);
}

void TfrmBaseQuery::irregularCondition(bool emptyGrid) {
    m_builder->discard();
    m_edRemark->clear();
    if (emptyGrid) {
        m_rows->close();
        m_lbCount->clear();
    }
    messages().error(QStringLiteral("Error"), QStringLiteral("查询条件不规范，请重新输入！"));
}

void TfrmBaseQuery::cbSelectLogicChange() {
    using Outcome = query::ConditionBuilder::Outcome;
    const Outcome outcome = m_builder->commit(m_cbSelectItem->currentText(), m_cbSelectCompare->currentText(),
                                              m_cbSelectContent->currentText(), m_cbSelectLogic->currentText());
    switch (outcome) {
    case Outcome::Mismatch:
        showPlain(QStringLiteral("比较类型匹配错误！请重新输入条件"));
        return;
    case Outcome::Done:
        m_edRemark->setText(m_builder->description());
        clearConditionTexts();
        m_cbSelectItem->setFocus();
        return;
    default:
        irregularCondition(false);
        return;
    }
}

void TfrmBaseQuery::bitSelectClick() {
    using Outcome = query::ConditionBuilder::Outcome;
    const Outcome outcome = m_builder->finish(m_cbSelectItem->currentText(), m_cbSelectCompare->currentText(),
                                              m_cbSelectContent->currentText());
    if (outcome == Outcome::Irregular || outcome == Outcome::Incomplete) {
        irregularCondition(outcome == Outcome::Incomplete);
        return;
    }
    m_edRemark->setText(m_builder->description());
    if (outcome == Outcome::NoCondition) {
        showPlain(QStringLiteral("请输入查询条件!"));
        return;
    }
    if (outcome == Outcome::Mismatch) {
        showPlain(QStringLiteral("比较类型匹配错误！请重新输入条件"));
        return;
    }
    const query::Filter& filter = m_builder->filter();
    const QString group = m_groupSql.isEmpty() ? QString() : QStringLiteral(" ") + m_groupSql;
    const QString select = m_baseSql + filter.whereText + group;
    query::LookupSelect lookup;
    if (!filter.lookup.isEmpty())
        lookup = {m_baseSql + filter.lookup.whereText + group, filter.lookup.probe, filter.lookup.probeValues};
    m_printSql = select + QStringLiteral(" ") + m_orderSql;
    m_printValues = filter.values;
    // A large result shows its first page at once; the count follows (totalRowsKnown).
    m_lbCount->setText(QStringLiteral("统计中…"));
    try {
        m_rows->open(frmBaseDataModule().Database(), select, m_orderSql, m_rowKey, filter.values, lookup);
    } catch (const db::Error&) {
        m_lbCount->clear();
        irregularCondition(true);
        return;
    }
    // The printout reads the rows as the grid found them.
    if (m_rows->ledByLookup()) m_printSql = lookup.select + QStringLiteral(" ") + m_orderSql;
    clearConditionTexts();
    m_cbSelectLogic->setCurrentIndex(-1);
    m_cbSelectLogic->clearEditText();
    m_cbSelectLogic->setEnabled(false);
    if (m_rows->rowCount() > 0) m_dgDisplayData->selectRow(0);
}

void TfrmBaseQuery::bitPrintClick() {
    TfrmBaseReport::previewStatement(m_reportName, m_printSql, m_printValues, QString(), this);
}

void TfrmBaseQuery::bitExportClick() {
    if (m_printSql.isEmpty()) {
        messages().info(QStringLiteral("信息提示"), QStringLiteral("请先查询，再导出查询结果！"));
        return;
    }
    QFileDialog files(this, QStringLiteral("导出为 CSV 文件"),
                      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/")
                          + windowTitle() + QStringLiteral(".csv"),
                      QStringLiteral("CSV 文件 (*.csv)"));
    files.setObjectName(QStringLiteral("dlgExportCsv"));
    listFilesByNameOnly(files);
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setDefaultSuffix(QStringLiteral("csv"));
    if (modalRunner().run(files) != QDialog::Accepted || files.selectedFiles().isEmpty()) return;
    const QString path = files.selectedFiles().constFirst();

    // What the grid shows: its visible columns, in their order.
    query::QueryItems shown;
    for (int c = 0; c < m_rows->columnCount(); ++c)
        if (!m_dgDisplayData->isColumnHidden(c)) shown.push_back(m_rows->item(c));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        messages().error(QStringLiteral("错误"), QStringLiteral("文件无法写入：\n") + path + QStringLiteral("\n") + file.errorString());
        return;
    }
    qint64 written = 0;
    try {
        written = query::exportCsv(frmBaseDataModule().Database(), m_printSql, m_printValues, shown, file);
    } catch (const db::Error& e) {
        file.cancelWriting();
        messages().error(QStringLiteral("错误"), QStringLiteral("查询结果无法导出：\n") + e.message());
        return;
    }
    if (!file.commit()) {
        messages().error(QStringLiteral("错误"), QStringLiteral("文件无法写入：\n") + path + QStringLiteral("\n") + file.errorString());
        return;
    }
    messages().info(QStringLiteral("信息提示"),
                    QStringLiteral("已导出 %1 条记录到文件：\n").arg(written) + path);
}

void TfrmBaseQuery::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F8 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        bitSelectClick();
        return;
    }
    TfrmBase::keyPressEvent(event);
}
