// The About box: the maker's details and one button that closes it.
#pragma once

#include <QDialog>

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};
