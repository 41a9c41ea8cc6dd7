#include "app/DateTimeText.h"

#include <QLocale>

QString dateTimeText(const QDateTime& at) {
    QLocale locale = QLocale::system();
    // The "C" locale writes 6/9/24, which nobody in the shop reads as a date.
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::Chinese, QLocale::China);
    return locale.toString(at.date(), QLocale::ShortFormat) + u' ' + at.time().toString(QStringLiteral("HH:mm:ss"));
}

QString dateHint(const QDateTime& at) { return QStringLiteral("日期：") + dateTimeText(at); }
