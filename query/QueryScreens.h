// The list queries over the document and supplier views. Each is a TfrmBaseQuery bound to
// one view by its items, base statement, order clause and report; the product query,
// which also serves as the product search, has its own file.
#pragma once

#include "query/TfrmBaseQuery.h"

// 调拨查询 over vwDBCL.
class TfrmQyDP : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQyDP(QWidget* parent = nullptr);
};

// 客户退货查询 over vwKHTHCX.
class TfrmQuerykhth : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQuerykhth(QWidget* parent = nullptr);
};

// 报损查询 over vwBSCX.
class TfrmQueryBS : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQueryBS(QWidget* parent = nullptr);
};

// 收银员缴款查询 over vwMANBALANCE.
class TfrmQueryOperatorBalance : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQueryOperatorBalance(QWidget* parent = nullptr);
};

// 商品销售明细查询 over vwSPXSMXCX, with the line amount MONEY for the printout.
class TfrmQueryProductSell : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQueryProductSell(QWidget* parent = nullptr);
};

// 对供应商退货查询 over vwGYSTHCX.
class TfrmQuerySupplyUndread : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQuerySupplyUndread(QWidget* parent = nullptr);
};

// 入库单查询 over vwRKDCX.
class TfrmQueryReceive : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQueryReceive(QWidget* parent = nullptr);
};

// 厂商信息查询 over VWCSXXCX.
class TfrmQuerySupply : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQuerySupply(QWidget* parent = nullptr);
};
