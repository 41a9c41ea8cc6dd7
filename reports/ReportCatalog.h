// Every printed report of the program, by its form name (TfrmRepBS, TfrmRepSell, ...).
#pragma once

#include "reports/ReportDefinition.h"

#include <QStringList>

namespace report {

// The definition of a report; nullptr for an unknown name.
const Definition* findDefinition(const QString& name);
// All names, in the order of the catalogue.
QStringList definitionNames();

// The statements the account statements print from, with their parameters
// (:KHNO1/:KHNO2 or :CSNO1/:CSNO2 the account, :dtBegDate1/2 and :dtEndDate1/2 the period),
// shared with the statement screens so the screen and its printout show the same rows.
QString clientGoodsStatementSql();    // TfrmRepkhsj: sale lines and client returns (negated)
QString supplierGoodsStatementSql();  // TfrmRepsjmx: receipt lines and supplier returns (negated)

}  // namespace report
