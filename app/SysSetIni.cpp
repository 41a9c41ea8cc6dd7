#include "app/SysSetIni.h"

#include "db/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {
QString g_path;

// The file's text: UTF-8 when it is valid UTF-8, else the Chinese Windows code page the
// file was most likely saved in.
QString decoded(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder gbk("GB18030");
    if (gbk.isValid()) {
        text = gbk.decode(bytes);
        if (!gbk.hasError()) return text;
    }
    return QString::fromLocal8Bit(bytes);
}

// Read as the shop's Windows tools read it: "[section]" and "key=value" lines, names in any
// letter case, the first occurrence wins, ";" starts a comment line. A value is taken whole
// (commas, "%", "\" and "#" included), trimmed, and one pair of enclosing quotes removed.
std::optional<QString> readIni(const QString& path, const QString& section, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QString text = decoded(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            inSection = close > 0 && line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
        QStringView value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value.toString();
    }
    return std::nullopt;
}
}  // namespace

QString SysSetIni::path() {
    if (!g_path.isEmpty()) return g_path;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("SysSet.ini"));
}

void SysSetIni::setPath(const QString& path) { g_path = path; }

QString SysSetIni::value(const QString& section, const QString& key, const QString& fallback) {
    return readIni(path(), section, key).value_or(fallback);
}

void SysSetIni::readShopValues() {
    Session& s = session();
    s.ShopName = value(QStringLiteral("STUDIO"), QStringLiteral("NAME"));
    s.ShopTel = value(QStringLiteral("STUDIO"), QStringLiteral("TEL"));
    s.ShopNote = value(QStringLiteral("STUDIO"), QStringLiteral("DL"));
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
