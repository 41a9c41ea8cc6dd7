// The login and re-login screens check an operator the same way.
#pragma once

class QLineEdit;
class QString;
class TfrmBaseDataModule;

// True when the operator and password are accepted (the session then holds the operator).
// Refused: the message, and the operator number selected for another try; after repeated
// refusals for a number, attempts wait (LoginThrottle). A database error goes to the
// general error handler. Either way false.
bool checkOperatorOrRefuse(TfrmBaseDataModule& module, QLineEdit* edOperatorNo, const QString& password);
