// Database initialisation: returns the whole database to the rows a new one starts with.
#pragma once

#include "app/TfrmBase.h"

class TfrmInitDatabase : public TfrmBase {
    Q_OBJECT
public:
    explicit TfrmInitDatabase(QWidget* parent = nullptr);

    void bitYesClick();
    void bitExitClick();
};
