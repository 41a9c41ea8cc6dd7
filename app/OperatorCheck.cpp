#include "app/OperatorCheck.h"

#include "app/ErrorHandler.h"
#include "app/LoginThrottle.h"
#include "app/MessageService.h"
#include "db/TfrmBaseDataModule.h"

#include <QLineEdit>

bool checkOperatorOrRefuse(TfrmBaseDataModule& module, QLineEdit* edOperatorNo, const QString& password) {
    const QString operatorNo = edOperatorNo->text();
    auto again = [edOperatorNo](const QString& message) {
        messages().info(message);
        edOperatorNo->setFocus();
        edOperatorNo->selectAll();
    };
    // Too many refusals for this number: not even checked until the wait is over.
    if (const int wait = loginThrottle().secondsToWait(operatorNo); wait > 0) {
        again(QStringLiteral("密码错误次数过多，请%1秒后再试！").arg(wait));
        return false;
    }
    bool accepted = false;
    try {
        accepted = module.CheckOperator(operatorNo, password);
    } catch (...) {
        reportUnhandled(std::current_exception());
        return false;
    }
    if (!accepted) {
        loginThrottle().refused(operatorNo);
        again(QStringLiteral("工号密码输入错误，请重新输入！"));
        return false;
    }
    loginThrottle().accepted(operatorNo);
    return true;
}
