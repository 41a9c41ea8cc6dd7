#include "sales/ProductSearch.h"

#include "query/TfrmQueryProductInfo.h"

QString showProductSearch(QWidget* parent) { return TfrmQueryProductInfo::pickProduct(parent, QStringLiteral("View")); }
