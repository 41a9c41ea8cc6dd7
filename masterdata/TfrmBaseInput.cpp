#include "masterdata/TfrmBaseInput.h"

#include "app/ErrorHandler.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"
#include "masterdata/TextWidth.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSplitter>
#include <QAbstractTableModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kRefusedWrite = QStringLiteral(
    "不能插入/修改记录,可能由以下原因造成：\n1．输入不完整\n2．键值重复\n3．数据已经被使用（关联）");

// Amounts as the operator edits them: two decimals unless the stored price has more.
QString editedMoney(const QString& stored) {
    const auto m = Money::parse(stored);
    if (!m) return stored;
    return m->units() % 100 == 0 ? m->toString(2) : m->toString(4);
}

QString gridText(const Column& column, const QString& value) {
    if (column.kind == ColumnKind::Money) {
        const auto m = Money::parse(value);
        return m ? m->toString(2) : value;
    }
    return column.shown(value);
}

}  // namespace

// The grid reads the records as it paints them, a page read from the database when it first
// comes into view: a table of 100,000 products opens without reading them all.
class TfrmBaseInput::GridModel : public QAbstractTableModel {
public:
    GridModel(const TableDefinition& definition, RecordPages& rows, QObject* parent)
        : QAbstractTableModel(parent), m_definition(definition), m_rows(rows) {
        for (size_t c = 0; c < definition.columns.size(); ++c)
            if (definition.columns[c].inGrid) m_columns.push_back(int(c));
    }
    void reset() {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_rows.size(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_columns.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= m_rows.size()) return {};
        const Column& column = m_definition.columns[size_t(m_columns[size_t(index.column())])];
        if (role == Qt::DisplayRole) {
            // Painting cannot report a failed read: the cell stays blank, and the screen's
            // own next read (moving, saving) reports it.
            try {
                return gridText(column, m_rows.at(index.row()).value(m_columns[size_t(index.column())]));
            } catch (const db::Error&) {
                return {};
            }
        }
        if (role == Qt::TextAlignmentRole && (column.kind == ColumnKind::Money || column.kind == ColumnKind::Integer))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        return m_definition.columns[size_t(m_columns[size_t(section)])].title;
    }

private:
    const TableDefinition& m_definition;
    RecordPages& m_rows;
    std::vector<int> m_columns;  // definition column of each grid column
};

TfrmBaseInput::TfrmBaseInput(TableDefinition definition, QWidget* parent)
    : TfrmBase(parent), m_editor(frmBaseDataModule().Database(), std::move(definition), session().OperatorNo) {
    setObjectName(QStringLiteral("TfrmBaseInput"));
    setWindowTitle(m_editor.definition().caption.isEmpty() ? QStringLiteral("基本表录入基类") : m_editor.definition().caption);
    KeyFieldName = m_editor.definition().key;
    AllowEdit = m_editor.definition().allowEdit;
    buildScreen();
    setState(DataState::Browse);
    resize(760, 480);
}

// The grid's model reads the records and the definition, which go before the widgets do:
// the grid must not ask it for anything while the window is taken down.
TfrmBaseInput::~TfrmBaseInput() {
    m_grid->setModel(nullptr);
    delete m_gridModel;
}

void TfrmBaseInput::buildScreen() {
    auto* outer = new QHBoxLayout(pnBaseHint());
    outer->setContentsMargins(2, 2, 2, 2);
    auto* splitter = m_splitter = new QSplitter(Qt::Horizontal, pnBaseHint());
    splitter->setObjectName(QStringLiteral("Splitter1"));
    outer->addWidget(splitter);

    auto* panel1 = new QFrame(splitter);
    panel1->setObjectName(QStringLiteral("Panel1"));
    auto* left = new QVBoxLayout(panel1);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(2);
    m_strip = new QLabel(m_editor.definition().strip, panel1);
    m_strip->setObjectName(QStringLiteral("Panel4"));
    m_strip->setAlignment(Qt::AlignCenter);
    m_strip->setAutoFillBackground(true);
    m_strip->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; color: #000080; border: 1px solid #a0a0a0; "
                                          "padding: 4px; font-weight: bold; }"));
    left->addWidget(m_strip);

    m_grid = new QTableView(panel1);
    m_gridModel = new GridModel(m_editor.definition(), m_pages, m_grid);
    m_grid->setModel(m_gridModel);
    m_grid->setObjectName(QStringLiteral("GBaseTable"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->setMinimumWidth(16);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setTabKeyNavigation(false);
    int gridColumn = 0;
    const QFontMetrics fm = m_grid->fontMetrics();
    for (const Column& c : m_editor.definition().columns) {
        if (!c.inGrid) continue;
        int chars = c.width > 0 ? std::clamp(c.width, 4, 24) : 10;
        m_grid->setColumnWidth(gridColumn++, std::max(fm.horizontalAdvance(c.title) + 16, chars * fm.averageCharWidth() + 12));
    }
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        const int row = current.row();
        if (m_state == DataState::Browse && row >= 0 && row != m_current) showRecord(row);
    });
    left->addWidget(m_grid, 1);

    auto* panel2 = new QFrame(splitter);
    m_rightPanel = panel2;
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFrameStyle(QFrame::StyledPanel);
    auto* right = new QVBoxLayout(panel2);
    right->setContentsMargins(6, 4, 6, 6);

    m_navigator = new QWidget(panel2);
    m_navigator->setObjectName(QStringLiteral("NgBaseInput"));
    auto* nav = new QHBoxLayout(m_navigator);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(1);
    const std::pair<const char*, const char*> buttons[] = {
        {"NgFirst", "首条"}, {"NgPrior", "上条"}, {"NgNext", "下条"}, {"NgLast", "末条"}};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(m_navigator);
        b->setObjectName(QString::fromLatin1(buttons[i].first));
        b->setText(QString::fromUtf8(buttons[i].second));
        b->setFocusPolicy(Qt::NoFocus);
        nav->addWidget(b);
        m_navButtons.push_back(b);
        connect(b, &QToolButton::clicked, this, [this, i] {
            if (m_pages.size() == 0) return;
            const int last = m_pages.size() - 1;
            const int target = i == 0 ? 0 : i == 1 ? std::max(0, m_current - 1) : i == 2 ? std::min(last, m_current + 1) : last;
            moveTo(target);
        });
    }
    auto* navRow = new QHBoxLayout;
    navRow->addWidget(m_navigator);
    m_navigatorBar = new QHBoxLayout;
    navRow->addLayout(m_navigatorBar);
    navRow->addStretch(1);
    right->addLayout(navRow);

    auto* fields = new QWidget(panel2);
    fields->setObjectName(QStringLiteral("pnEdit"));
    m_editPanel = new QFormLayout(fields);
    m_editPanel->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editPanel->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_editPanel->setContentsMargins(4, 10, 4, 4);
    m_editPanel->setVerticalSpacing(6);
    for (const Column& c : m_editor.definition().columns) {
        Field field{&c, nullptr};
        QWidget* control = buildField(c, field);
        field.row = new QHBoxLayout;
        field.row->setSpacing(8);
        field.row->addWidget(control);
        field.row->addStretch(1);
        m_editPanel->addRow(c.editor == EditorKind::CheckBox ? QString() : c.editLabel(), field.row);
        m_fields.push_back(field);
    }
    right->addWidget(fields);
    right->addStretch(1);

    auto* panel3 = new QFrame(panel2);
    panel3->setObjectName(QStringLiteral("Panel3"));
    auto* bottom = new QHBoxLayout(panel3);
    bottom->setContentsMargins(0, 6, 0, 0);
    auto button = [&](const char* name, const char* text, void (TfrmBaseInput::*slot)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), panel3);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        bottom->addWidget(b);
        return b;
    };
    m_bitAdd = button("BitAdd", "&A增加", &TfrmBaseInput::BitAddClick);
    m_bitDelete = button("BitDelete", "&D删除", &TfrmBaseInput::BitDeleteClick);
    m_bitYes = button("BitYes", "&Y确定", &TfrmBaseInput::BitYesClick);
    m_bitCancel = button("BitCancel", "&C取消", &TfrmBaseInput::BitCancelClick);
    m_bitClose = button("BitClose", "&X退出", &TfrmBaseInput::BitCloseClick);
    right->addWidget(panel3);

    splitter->addWidget(panel1);
    splitter->addWidget(panel2);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
}

QWidget* TfrmBaseInput::buildField(const Column& c, Field& field) {
    switch (c.editor) {
    case EditorKind::LineEdit: {
        auto* edit = new QLineEdit;
        edit->setObjectName(c.controlName());
        const QFontMetrics fm = edit->fontMetrics();
        if (c.kind == ColumnKind::Money) {
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}(\\.\\d{0,4})?")), edit));
            edit->setAlignment(Qt::AlignRight);
            edit->setFixedWidth(fm.averageCharWidth() * 12 + 12);
        } else if (c.kind == ColumnKind::Integer) {
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}")), edit));
            edit->setAlignment(Qt::AlignRight);
            edit->setFixedWidth(fm.averageCharWidth() * 12 + 12);
        } else {
            edit->setValidator(new GbkWidthValidator(c.width, edit));
            // The password box also shows its hint that an empty box keeps the password.
            const int chars = c.kind == ColumnKind::Password ? 16 : std::clamp(c.width, 6, 30);
            edit->setFixedWidth(chars * fm.averageCharWidth() + 16);
        }
        connect(edit, &QLineEdit::textEdited, this, &TfrmBaseInput::userEdited);
        field.control = edit;
        return edit;
    }
    case EditorKind::OptionGroup: {
        auto* box = new QFrame;
        box->setObjectName(c.controlName());
        box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        auto* grid = new QGridLayout(box);
        grid->setContentsMargins(6, 2, 6, 2);
        field.options = new QButtonGroup(box);
        int i = 0;
        for (const auto& [code, word] : c.words) {
            auto* radio = new QRadioButton(word, box);
            radio->setObjectName(c.controlName() + code);
            radio->setProperty("code", code);
            field.options->addButton(radio);
            grid->addWidget(radio, i / c.optionColumns, i % c.optionColumns);
            ++i;
        }
        connect(field.options, &QButtonGroup::buttonClicked, this, &TfrmBaseInput::userEdited);
        field.control = box;
        return box;
    }
    case EditorKind::Lookup: {
        auto* combo = new LookupComboBox(nullptr, 0, 1);
        combo->setObjectName(c.controlName());
        combo->setMinimumWidth(combo->fontMetrics().averageCharWidth() * 22);
        connect(combo, &QComboBox::activated, this, &TfrmBaseInput::userEdited);
        field.control = combo;
        return combo;
    }
    case EditorKind::CheckBox: {
        auto* check = new QCheckBox(c.checkText);
        check->setObjectName(c.controlName());
        connect(check, &QCheckBox::clicked, this, &TfrmBaseInput::userEdited);
        field.control = check;
        return check;
    }
    }
    return nullptr;
}

void TfrmBaseInput::loadLookup(const QString& column) {
    for (Field& f : m_fields) {
        if (f.column->name.compare(column, Qt::CaseInsensitive) != 0 || f.column->editor != EditorKind::Lookup) continue;
        db::Statement s(frmBaseDataModule().Database(), f.column->lookup.sql);
        s.exec();
        // The first row leaves an optional reference empty.
        QList<QStringList> rows{{QString(), QString()}};
        while (s.next()) rows << QStringList{s.text(0), s.text(1)};
        auto* combo = static_cast<LookupComboBox*>(f.control);
        combo->setRows(rows);
        const bool was = m_showing;
        m_showing = true;
        if (m_current >= 0) setValue(f, m_pages.at(m_current).value(int(&f - m_fields.data())));
        m_showing = was;
    }
}

void TfrmBaseInput::showEvent(QShowEvent* event) {
    TfrmBase::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        Reload();
        fitToContents();
        focusAdd();
    }
}

// Wide enough that every grid column shows beside the fields, as far as the screen allows.
void TfrmBaseInput::fitToContents() {
    int grid = m_grid->verticalHeader()->width() + 2 * m_grid->frameWidth() + 20;
    for (int c = 0; c < m_gridModel->columnCount(); ++c) grid += m_grid->columnWidth(c);
    const int fields = m_rightPanel->sizeHint().width();
    int available = 1200;
    if (const QScreen* s = screen()) available = s->availableGeometry().width() - 40;
    const int wanted = std::min(available, std::max(width(), grid + fields + 24));
    resize(wanted, height());
    m_splitter->setSizes({std::min(grid, wanted - fields - 24), fields});
}

void TfrmBaseInput::done(int result) {
    if (m_state != DataState::Browse) {
        setState(DataState::Browse);
        showRecord(m_current);
    }
    TfrmBase::done(result);
}

void TfrmBaseInput::Reload(const QString& key) {
    m_opened = true;
    m_pages.reload();
    m_current = -1;
    fillGrid();
    if (key.isEmpty() || !Locate(key)) moveTo(m_pages.size() == 0 ? -1 : 0);
}

bool TfrmBaseInput::Locate(const QString& key) {
    const int row = m_pages.rowOf(key);
    if (row < 0 || row >= m_pages.size()) return false;
    moveTo(row);
    return true;
}

void TfrmBaseInput::fillGrid() {
    QSignalBlocker block(m_grid->selectionModel());
    m_gridModel->reset();
}

void TfrmBaseInput::moveTo(int row) {
    {
        QSignalBlocker block(m_grid->selectionModel());
        if (row >= 0) {
            m_grid->setCurrentIndex(m_gridModel->index(row, 0));
            m_grid->scrollTo(m_gridModel->index(row, 0));
        } else {
            m_grid->setCurrentIndex(QModelIndex());
        }
    }
    showRecord(row);
}

void TfrmBaseInput::showRecord(int row) {
    m_current = row;
    m_showing = true;
    const RecordValues record = m_pages.at(row);  // a copy: reading another page may drop this one
    for (size_t i = 0; i < m_fields.size(); ++i) setValue(m_fields[i], record.value(int(i)));
    m_showing = false;
    setState(m_state);
}

QString TfrmBaseInput::valueOf(const Field& f) const {
    switch (f.column->editor) {
    case EditorKind::LineEdit: return static_cast<QLineEdit*>(f.control)->text();
    case EditorKind::OptionGroup: {
        QAbstractButton* checked = f.options->checkedButton();
        return checked ? checked->property("code").toString() : QString();
    }
    case EditorKind::Lookup: return static_cast<LookupComboBox*>(f.control)->keyValue();
    case EditorKind::CheckBox: return static_cast<QCheckBox*>(f.control)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return {};
}

void TfrmBaseInput::setValue(const Field& f, const QString& value) {
    switch (f.column->editor) {
    case EditorKind::LineEdit: {
        auto* edit = static_cast<QLineEdit*>(f.control);
        // A stored value wider than the box allows (written by an older program) is still shown whole.
        const QValidator* validator = edit->validator();
        edit->setValidator(nullptr);
        edit->setText(f.column->kind == ColumnKind::Money ? editedMoney(value) : value);
        edit->setValidator(validator);
        edit->setCursorPosition(0);
        break;
    }
    case EditorKind::OptionGroup: {
        f.options->setExclusive(false);
        for (QAbstractButton* b : f.options->buttons()) b->setChecked(b->property("code").toString() == value);
        f.options->setExclusive(true);
        break;
    }
    case EditorKind::Lookup: static_cast<LookupComboBox*>(f.control)->setKeyValue(value); break;
    case EditorKind::CheckBox: static_cast<QCheckBox*>(f.control)->setChecked(value == QLatin1String("1")); break;
    }
}

QWidget* TfrmBaseInput::fieldControl(const QString& column) const {
    for (const Field& f : m_fields)
        if (f.column->name.compare(column, Qt::CaseInsensitive) == 0) return f.control;
    return nullptr;
}

void TfrmBaseInput::addBesideField(const QString& column, QWidget* widget) {
    for (const Field& f : m_fields)
        if (f.column->name.compare(column, Qt::CaseInsensitive) == 0) f.row->insertWidget(1, widget);
}

QString TfrmBaseInput::fieldText(const QString& column) const {
    for (const Field& f : m_fields)
        if (f.column->name.compare(column, Qt::CaseInsensitive) == 0) return valueOf(f);
    return {};
}

void TfrmBaseInput::setFieldText(const QString& column, const QString& value) {
    for (const Field& f : m_fields)
        if (f.column->name.compare(column, Qt::CaseInsensitive) == 0) {
            setValue(f, value);
            userEdited();
        }
}

RecordValues TfrmBaseInput::currentValues() { return m_pages.at(m_current); }

QString TfrmBaseInput::currentKey() { return currentValues().value(definition().keyIndex()); }

RecordValues TfrmBaseInput::typedValues() const {
    RecordValues values;
    for (const Field& f : m_fields) values << valueOf(f);
    return values;
}

void TfrmBaseInput::userEdited() {
    if (m_showing || m_state != DataState::Browse) return;
    if (m_current < 0) {
        // Typing into an empty table starts a new record with what was typed.
        m_keyBeforeInsert.clear();
        setState(DataState::Insert);
    } else if (AllowEdit) {
        setState(DataState::Edit);
    } else {
        showRecord(m_current);
    }
}

void TfrmBaseInput::setState(DataState state) {
    m_state = state;
    const bool browsing = state == DataState::Browse;
    m_grid->setEnabled(browsing);
    m_navigator->setEnabled(browsing);
    m_bitAdd->setEnabled(browsing);
    m_bitDelete->setEnabled(browsing);
    m_bitYes->setEnabled(!browsing);
    m_bitCancel->setEnabled(!browsing);
    const bool rows = m_pages.size() > 0;
    if (browsing && rows) {
        m_navButtons[0]->setEnabled(m_current > 0);
        m_navButtons[1]->setEnabled(m_current > 0);
        m_navButtons[2]->setEnabled(m_current + 1 < m_pages.size());
        m_navButtons[3]->setEnabled(m_current + 1 < m_pages.size());
    }
    setPanelText(0, browsing ? QStringLiteral("浏览") : state == DataState::Insert ? QStringLiteral("增加") : QStringLiteral("修改"));
    setPanelText(1, QStringLiteral("共 %1 条记录").arg(m_pages.size()));
    stateChanged();
}

void TfrmBaseInput::focusAdd() {
    if (m_bitAdd->isEnabled() && m_bitAdd->isVisible()) m_bitAdd->setFocus();
}

void TfrmBaseInput::applyDefaults() {
    for (const Field& f : m_fields) setValue(f, f.column->defaultValue);
}

void TfrmBaseInput::BitAddClick() {
    if (m_state != DataState::Browse) return;
    m_keyBeforeInsert = currentKey();
    m_showing = true;
    applyDefaults();
    m_showing = false;
    setState(DataState::Insert);
    if (!m_fields.empty()) m_fields.front().control->setFocus();
    afterAdd();
}

void TfrmBaseInput::BitYesClick() {
    if (m_state == DataState::Browse) return;
    if (m_state == DataState::Edit
        && !messages().ask(MessageIcon::Warning, QStringLiteral("提示"), QStringLiteral("是否确定要修改！Y/N?"))) {
        BitCancelClick();
        return;
    }
    const RecordValues values = typedValues();
    const int key = definition().keyIndex();
    try {
        const QString newKey = storedText(definition().columns[size_t(key)], values.value(key));
        if (m_state == DataState::Insert) m_editor.insert(values);
        else m_editor.update(currentKey(), values);
        setState(DataState::Browse);
        Reload(newKey);
        focusAdd();
    } catch (const db::Error& e) {
        // The operator keeps what was typed and may correct it or cancel.
        QString text = kRefusedWrite;
        if (e.kind() == db::ErrorKind::Connection) text += QStringLiteral("\n\n数据库连接中断，请稍后再试！");
        messages().error(QStringLiteral("错误"), text);
    }
}

void TfrmBaseInput::BitCancelClick() {
    if (m_state == DataState::Browse) return;
    const QString key = m_state == DataState::Insert ? m_keyBeforeInsert : currentKey();
    setState(DataState::Browse);
    Reload(key);
    focusAdd();
}

void TfrmBaseInput::BitDeleteClick() {
    if (m_state != DataState::Browse) return;
    if (!messages().ask(MessageIcon::Question, QStringLiteral("问题"), QStringLiteral("你确定要删除该记录吗？"),
                        MessageButtons::OkCancel))
        return;
    if (m_current >= 0) {
        const int row = m_current;
        try {
            const bool removed = m_editor.remove(currentKey());
            m_pages.reload();
            fillGrid();
            moveTo(m_pages.size() == 0 ? -1 : std::min(row, m_pages.size() - 1));
            // Another till may have deleted the row since this list was read.
            if (removed) messages().info(QStringLiteral("提示"), QStringLiteral("删除记录成功！"));
            else messages().info(QStringLiteral("提示"), QStringLiteral("该记录已不存在（可能已被其他用户删除），没有删除任何记录！"));
        } catch (const db::Error& e) {
            if (e.kind() == db::ErrorKind::ForeignKey) messages().error(QStringLiteral("错误"), QStringLiteral("不能删除记录，数据已被使用"));
            else if (e.kind() == db::ErrorKind::Refused) messages().error(QStringLiteral("错误"), e.message());
            else reportUnhandled(std::current_exception());
        }
    }
    focusAdd();
}

void TfrmBaseInput::BitCloseClick() { close(); }
