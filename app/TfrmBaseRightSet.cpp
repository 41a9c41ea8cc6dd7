#include "app/TfrmBaseRightSet.h"

#include "app/ControlEvents.h"
#include "app/LookupComboBox.h"
#include "app/MessageService.h"
#include "app/OperatorRights.h"
#include "db/Error.h"
#include "db/TfrmBaseDataModule.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmBaseRightSet::TfrmBaseRightSet(QWidget* parent) : TfrmBase(parent) {
    setObjectName(QStringLiteral("frmRightSet"));
    setWindowTitle(QStringLiteral("操作员权限设置"));

    m_cbOperator = new LookupComboBox(pnBaseHint(), 0, 1);
    m_cbOperator->setObjectName(QStringLiteral("cbOperator"));
    m_cbOperator->setMinimumWidth(140);
    m_cbOperator->load(frmBaseDataModule().Database(), QStringLiteral("select BNNO, BNNAME from BMAN order by BNNO"), 2);
    m_bitSelect = new QPushButton(QStringLiteral("查询"), pnBaseHint());
    m_bitSelect->setObjectName(QStringLiteral("bitSelect"));
    m_bitSave = new QPushButton(QStringLiteral("确定"), pnBaseHint());
    m_bitSave->setObjectName(QStringLiteral("bitSave"));
    m_bitSave->setEnabled(false);
    auto* bitClose = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    bitClose->setObjectName(QStringLiteral("bitClose"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("选择操作员"), pnBaseHint()));
    top->addWidget(m_cbOperator);
    top->addStretch();
    top->addWidget(m_bitSelect);
    top->addWidget(m_bitSave);
    top->addWidget(bitClose);

    auto* frames = new QHBoxLayout;
    for (const RightsGroup& group : OperatorRights::groups()) {
        auto* frame = new QGroupBox(group.title, pnBaseHint());
        frame->setObjectName(group.frame);
        auto* column = new QVBoxLayout(frame);
        column->setContentsMargins(10, 8, 10, 8);
        column->setSpacing(4);
        column->addStretch();
        frames->addWidget(frame, 1);
        m_frames.push_back(frame);
        m_boxes.emplace_back();
    }

    auto* layout = new QVBoxLayout(pnBaseHint());
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(top);
    layout->addLayout(frames, 1);

    setTabOrder(m_bitSelect, m_bitSave);
    setTabOrder(m_bitSave, bitClose);
    connect(m_bitSelect, &QPushButton::clicked, this, &TfrmBaseRightSet::bitSelectClick);
    connect(m_bitSave, &QPushButton::clicked, this, &TfrmBaseRightSet::bitSaveClick);
    connect(bitClose, &QPushButton::clicked, this, &TfrmBaseRightSet::bitCloseClick);
    connect(m_cbOperator, &QComboBox::currentIndexChanged, this, &TfrmBaseRightSet::operatorChanged);
    onEnterKey(m_cbOperator, [this] { bitSelectClick(); });
    m_cbOperator->setFocus();
}

QCheckBox* TfrmBaseRightSet::addCheckBox(int group, const QString& function, const QString& caption) {
    auto* box = new QCheckBox(caption, m_frames[group]);
    box->setObjectName(function);
    auto* column = static_cast<QVBoxLayout*>(m_frames[group]->layout());
    column->insertWidget(column->count() - 1, box);  // above the closing stretch
    m_boxes[group].push_back(box);
    return box;
}

void TfrmBaseRightSet::bitSelectClick() {
    const QString operatorNo = m_cbOperator->keyValue();
    if (operatorNo.isEmpty()) return;
    OperatorRights rights(frmBaseDataModule().Database());
    for (auto& group : m_boxes)
        for (QCheckBox* box : group) box->setChecked(rights.granted(operatorNo, box->objectName()));
    m_shownOperator = operatorNo;
    m_bitSave->setEnabled(true);
    m_bitSave->setFocus();
}

// The boxes belong to the operator they were read for: another choice needs "查询" first.
void TfrmBaseRightSet::operatorChanged() {
    if (m_cbOperator->keyValue() != m_shownOperator) m_bitSave->setEnabled(false);
}

void TfrmBaseRightSet::bitSaveClick() {
    if (!m_bitSave->isEnabled() || m_shownOperator.isEmpty()) return;
    std::vector<RightChoice> choices;
    for (auto& group : m_boxes)
        for (QCheckBox* box : group) choices.push_back({box->objectName(), box->text(), box->isChecked()});
    try {
        OperatorRights(frmBaseDataModule().Database()).save(m_shownOperator, choices);
    } catch (const db::Error& e) {
        messages().info(e.kind() == db::ErrorKind::Refused ? e.message() : QStringLiteral("设置未能保存，请稍后再试！"));
        return;
    }
    m_bitSave->setEnabled(false);
    messages().info(QStringLiteral("设置已保存！"));
}

void TfrmBaseRightSet::bitCloseClick() { close(); }
