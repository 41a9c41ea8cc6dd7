// A titled group of radio buttons whose value is the index of the chosen item, as the
// statistics screens pass it on as a code ("0", "1", ...).
#pragma once

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& name, const QString& title, const QStringList& items, int chosen, QWidget* parent);
    int itemIndex() const { return m_buttons->checkedId(); }
    void setItemIndex(int index) {
        if (QAbstractButton* b = m_buttons->button(index)) b->setChecked(true);
    }
    QString code() const { return QString::number(itemIndex()); }

private:
    QButtonGroup* m_buttons;
};
