#include "app/OperatorCheck.h"

#include "app/ErrorHandler.h"
#include "app/MessageService.h"
#include "db/TfrmBaseDataModule.h"

#include <QLineEdit>

bool checkOperatorOrRefuse(TfrmBaseDataModule& module, QLineEdit* edOperatorNo, const QString& password) {
    bool accepted = false;
    try {
        accepted = module.CheckOperator(edOperatorNo->text(), password);
    } catch (...) {
        reportUnhandled(std::current_exception());
        return false;
    }
    if (!accepted) {
        messages().info(QStringLiteral("工号密码输入错误，请重新输入！"));
        edOperatorNo->setFocus();
        edOperatorNo->selectAll();
    }
    return accepted;
}
