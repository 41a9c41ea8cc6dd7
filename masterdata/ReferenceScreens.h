// The reference-table screens besides the product catalogue. Each is its table's
// definition on the common maintenance screen; defaults (a new store is 普通, a new staff
// member 营业员) and code words come from the definition.
#pragma once

#include "masterdata/TfrmBaseInput.h"

class TfrmInputStore : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmInputStore(QWidget* parent = nullptr);
};

class TfrmInputProductUnit : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmInputProductUnit(QWidget* parent = nullptr);
};

class TfrmInputDept : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmInputDept(QWidget* parent = nullptr);
};

class TfrmInputProductSpec : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmInputProductSpec(QWidget* parent = nullptr);
};

class TfrmOfficeClerk : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmOfficeClerk(QWidget* parent = nullptr);
};

// The retail client "000" is left out of the list and cannot be changed here.
class TfrmClientInput : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmClientInput(QWidget* parent = nullptr);
};

class TfrmSupplyInput : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmSupplyInput(QWidget* parent = nullptr);
};

// Passwords are typed in clear into the password box and stored as hashes; the box is
// empty for an existing operator, and leaving it empty keeps the stored password.
class TfrmInputOperator : public TfrmBaseInput {
    Q_OBJECT
public:
    explicit TfrmInputOperator(QWidget* parent = nullptr);
};
