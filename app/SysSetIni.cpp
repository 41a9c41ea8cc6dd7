#include "app/SysSetIni.h"

#include "db/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QString g_path;
}

QString SysSetIni::path() {
    if (!g_path.isEmpty()) return g_path;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("SysSet.ini"));
}

void SysSetIni::setPath(const QString& path) { g_path = path; }

QString SysSetIni::value(const QString& section, const QString& key, const QString& fallback) {
    const QSettings ini(path(), QSettings::IniFormat);
    return ini.value(section + u'/' + key, fallback).toString();
}

void SysSetIni::readShopValues() {
    const QSettings ini(path(), QSettings::IniFormat);
    const QString d = QStringLiteral("DEFAULT");
    Session& s = session();
    s.ShopName = ini.value(QStringLiteral("STUDIO/NAME"), d).toString();
    s.ShopTel = ini.value(QStringLiteral("STUDIO/TEL"), d).toString();
    s.ShopNote = ini.value(QStringLiteral("STUDIO/DL"), d).toString();
}

QString SysSetIni::databaseUrl() { return value(QStringLiteral("DATABASE"), QStringLiteral("URL"), QString()); }

QString SysSetIni::receiptFolder() {
    const QString configured = value(QStringLiteral("PRINT"), QStringLiteral("ReceiptFolder"), QString());
    if (!configured.isEmpty()) return configured;
    return QDir(QFileInfo(path()).absolutePath()).filePath(QStringLiteral("receipts"));
}

bool SysSetIni::flag(const QString& key) {
    return value(QStringLiteral("POS"), key, QString()).trimmed() == QLatin1String("1");
}

int SysSetIni::receiptWidthMm() {
    bool ok = false;
    const int mm = value(QStringLiteral("POS"), QStringLiteral("ReceiptWidth"), QString()).trimmed().toInt(&ok);
    // Narrower paper than 58 mm holds no useful line; wider than 120 mm is not a till roll.
    return ok && mm >= 58 && mm <= 120 ? mm : 0;
}
