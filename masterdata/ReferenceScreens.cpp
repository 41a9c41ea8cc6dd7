#include "masterdata/ReferenceScreens.h"

#include "db/Session.h"
#include "masterdata/OperatorRemoval.h"

#include <QLineEdit>

TfrmInputStore::TfrmInputStore(QWidget* parent) : TfrmBaseInput(ReferenceTables::stores(), parent) {
    setObjectName(QStringLiteral("TfrmInputStore"));
}

TfrmInputProductUnit::TfrmInputProductUnit(QWidget* parent) : TfrmBaseInput(ReferenceTables::units(), parent) {
    setObjectName(QStringLiteral("TfrmInputProductUnit"));
}

TfrmInputDept::TfrmInputDept(QWidget* parent) : TfrmBaseInput(ReferenceTables::departments(), parent) {
    setObjectName(QStringLiteral("TfrmInputDept"));
}

TfrmInputProductSpec::TfrmInputProductSpec(QWidget* parent) : TfrmBaseInput(ReferenceTables::categories(), parent) {
    setObjectName(QStringLiteral("TfrmInputProductSpec"));
}

TfrmOfficeClerk::TfrmOfficeClerk(QWidget* parent) : TfrmBaseInput(ReferenceTables::staff(), parent) {
    setObjectName(QStringLiteral("TfrmOfficeClerk"));
}

TfrmClientInput::TfrmClientInput(QWidget* parent) : TfrmBaseInput(ReferenceTables::clients(), parent) {
    setObjectName(QStringLiteral("TfrmClientInput"));
    resize(900, 480);
}

TfrmSupplyInput::TfrmSupplyInput(QWidget* parent) : TfrmBaseInput(ReferenceTables::suppliers(), parent) {
    setObjectName(QStringLiteral("TfrmSupplyInput"));
    resize(900, 480);
}

TfrmInputOperator::TfrmInputOperator(QWidget* parent) : TfrmBaseInput(ReferenceTables::operators(), parent) {
    setObjectName(QStringLiteral("TfrmInputOperator"));
    const QString loggedIn = session().OperatorNo;
    editor().setRemovalGuard([loggedIn](db::Transaction& tx, const QString& key) { return operatorRemovalRefusal(tx, key, loggedIn); });
    if (auto* password = qobject_cast<QLineEdit*>(fieldControl(QStringLiteral("BNPASSWORD"))))
        password->setPlaceholderText(QStringLiteral("不改密码请留空"));
}
