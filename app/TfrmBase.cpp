#include "app/TfrmBase.h"

#include "app/ControlEvents.h"
#include "app/SysSetIni.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

TfrmBase::TfrmBase(QWidget* parent, const QList<int>& panelWidths) : QDialog(parent) {
    setWindowTitle(QStringLiteral("基类"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("宋体"), 9));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pnBaseHint = new QFrame(this);
    m_pnBaseHint->setObjectName(QStringLiteral("pnBaseHint"));
    m_pnBaseHint->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout->addWidget(m_pnBaseHint, 1);
    m_sbHintInfo = new QStatusBar(this);
    m_sbHintInfo->setObjectName(QStringLiteral("sbHintInfo"));
    m_sbHintInfo->setSizeGripEnabled(false);
    for (int i = 0; i < panelWidths.size(); ++i) {
        auto* panel = new QLabel(m_sbHintInfo);
        panel->setObjectName(QStringLiteral("sbPanel%1").arg(i));
        panel->setMinimumWidth(panelWidths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_sbHintInfo->addWidget(panel, i + 1 == panelWidths.size() ? 1 : 0);
        m_panels << panel;
    }
    layout->addWidget(m_sbHintInfo);

    SysSetIni::readShopValues();
    qApp->installEventFilter(this);
}

TfrmBase::~TfrmBase() { qApp->removeEventFilter(this); }

void TfrmBase::setPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < m_panels.size()) m_panels[panel]->setText(text);
}

QString TfrmBase::panelText(int panel) const {
    return panel >= 0 && panel < m_panels.size() ? m_panels[panel]->text() : QString();
}

QHBoxLayout* TfrmBase::centredButtonRow(QWidget* confirm, QWidget* leave) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(confirm);
    row->addSpacing(24);
    row->addWidget(leave);
    row->addStretch();
    return row;
}

void TfrmBase::ClearEdits() {
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        // Edit parts of combo and spin boxes belong to those controls, not to the screen.
        if (qobject_cast<QWidget*>(edit->parent()) && edit->parent()->inherits("QAbstractSpinBox")) continue;
        if (edit->parent() && edit->parent()->inherits("QComboBox")) continue;
        if (!edit->inputMask().isEmpty()) continue;
        edit->clear();
    }
}

bool TfrmBase::eventFilter(QObject* watched, QEvent* event) {
    // Key preview: the screen sees Enter before the focused control, moves the focus on,
    // and lets the control receive the key as well.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (isPlainEnter(*key) && widget == widget->window()->focusWidget() && widget->window() == this) {
            focusNextChild();
            enterPressed(widget);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QScreen* display = screen();
    if (!display) return;
    const QRect area = display->availableGeometry();
    // The frame is not known before a window manager framed the window: leave room for a
    // title bar and borders.
    const QSize frame = isVisible() && frameGeometry().size() != size() ? frameGeometry().size() - size() : QSize(8, 32);
    const QSize room = area.size() - frame;
    if (width() > room.width() || height() > room.height())
        resize(std::min(width(), room.width()), std::min(height(), room.height()));
    const QRect outer(pos(), size() + frame);
    if (!area.contains(outer)) {
        const QPoint centred = area.center() - QPoint(outer.width() / 2, outer.height() / 2);
        move(std::max(area.left(), centred.x()), std::max(area.top(), centred.y()));
    }
}

void TfrmBase::keyPressEvent(QKeyEvent* event) {
    if (isPlainEnter(*event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
