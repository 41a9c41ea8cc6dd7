// The date and time as the status bars show them: the short date of the system's locale
// (year first when the locale has no Chinese-style date of its own) and the time with seconds.
#pragma once

#include <QDateTime>
#include <QString>

QString dateTimeText(const QDateTime& at);
// "日期：" followed by dateTimeText: the login screen's and the main window's clock panel.
QString dateHint(const QDateTime& at);
