// The product search of the sale screens: the product query in "View" mode (cost hidden).
#pragma once

#include <QString>

class QWidget;

// Opens the search modally; returns the code of the product the cashier chose, or empty.
QString showProductSearch(QWidget* parent);
