#include "reports/RadioGroup.h"

#include <QHBoxLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString& name, const QString& title, const QStringList& items, int chosen, QWidget* parent)
    : QGroupBox(title, parent), m_buttons(new QButtonGroup(this)) {
    setObjectName(name);
    auto* layout = new QHBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("%1%2").arg(name).arg(i));
        m_buttons->addButton(b, i);
        layout->addWidget(b);
    }
    setItemIndex(chosen);
}
