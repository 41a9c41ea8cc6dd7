#include "app/ErrorHandler.h"

#include "app/MessageService.h"
#include "app/PrintCanvas.h"
#include "db/Error.h"

void reportUnhandled(std::exception_ptr error) {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const db::Error& e) {
        // Another till holding the database is a moment's wait, not a fault to show raw.
        text = e.kind() == db::ErrorKind::Busy ? QStringLiteral("数据库忙，请稍后再试！") : e.message();
    } catch (const PrintError& e) {
        text = e.message();
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("未知错误");
    }
    messages().error(QStringLiteral("错误"), text);
}

bool PosApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportUnhandled(std::current_exception());
        return true;
    }
}
