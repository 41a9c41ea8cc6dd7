// The operator rights editor's frame: operator list, the five group frames, read-back of
// the stored rights ("查询") and saving them ("确定"). The check boxes are added by
// TfrmRightSet.
#pragma once

#include "app/TfrmBase.h"

#include <vector>

class LookupComboBox;
class QCheckBox;
class QGroupBox;
class QPushButton;

class TfrmBaseRightSet : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmBaseRightSet(QWidget* parent = nullptr);

    void bitSelectClick();
    void bitSaveClick();
    void bitCloseClick();

protected:
    // One frame per group of OperatorRights::groups(), in the same order.
    QGroupBox* groupFrame(int group) const { return m_frames[group]; }
    // A box of the group: its name is the function, its text the caption.
    QCheckBox* addCheckBox(int group, const QString& function, const QString& caption);

private:
    void operatorChanged();

    LookupComboBox* m_cbOperator;
    QPushButton* m_bitSelect;
    QPushButton* m_bitSave;
    std::vector<QGroupBox*> m_frames;
    std::vector<std::vector<QCheckBox*>> m_boxes;
    QString m_shownOperator;  // the operator whose rights the boxes show
};
