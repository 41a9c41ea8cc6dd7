// A titled group of radio buttons whose value is the index of the chosen item, as the
// statistics screens pass it on as a code ("0", "1", ...).
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QStringList>

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& name, const QString& title, const QStringList& items, int chosen, QWidget* parent)
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
    int itemIndex() const { return m_buttons->checkedId(); }
    void setItemIndex(int index) {
        if (QAbstractButton* b = m_buttons->button(index)) b->setChecked(true);
    }
    QString code() const { return QString::number(itemIndex()); }

private:
    QButtonGroup* m_buttons;
};
