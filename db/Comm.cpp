#include "db/Comm.h"

#include "db/Connection.h"
#include "db/Statement.h"
#include "db/TfrmBaseDataModule.h"

#include <QRegularExpression>
#include <exception>

std::optional<QString> FetchSysVariable(db::Connection& connection, const QString& name) {
    db::Statement s(connection, QStringLiteral("Select vrvalue from sysvariable Where vrname = :vrname"));
    s.bind(QStringLiteral(":vrname"), name);
    if (s.first()) return s.text(0);
    return std::nullopt;
}

std::optional<QString> ReadSysVariable(db::Connection& connection, const QString& name) {
    try {
        return FetchSysVariable(connection, name);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

QString GetSysVariable(db::Connection& connection, const QString& name) {
    return ReadSysVariable(connection, name).value_or(QString());
}

QString GetSysVariable(const QString& name) { return GetSysVariable(frmBaseDataModule().Database(), name); }

bool HasRight(db::Connection& connection, const QString& operatorNo, const QString& function) {
    try {
        db::Statement s(connection, QStringLiteral("Select RSRIGHT From SYSRIGHTSET Where BNNO = :BNNO and RSFUN = :RSFUN"));
        s.bind(QStringLiteral(":BNNO"), operatorNo).bind(QStringLiteral(":RSFUN"), function);
        return s.first() && s.integer(0) != 0;
    } catch (const std::exception&) {
        return false;
    }
}

bool HasRight(const QString& operatorNo, const QString& function) {
    return HasRight(frmBaseDataModule().Database(), operatorNo, function);
}

QChar FilterNumberKey(QChar key) {
    if (key == QChar(8) || key == u'.' || (key >= u'0' && key <= u'9')) return key;
    return QChar(0);
}

QString AmountToCapitals(Money amount) {
    static const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    static const QString units = QStringLiteral("亿仟佰拾万仟佰拾元.角分");
    const Money cents = amount.roundedToCents();
    if (cents.isNegative()) return QStringLiteral("负") + AmountToCapitals(-cents);
    if (cents >= Money::fromYuan(1000000000)) return cents.toString();

    // The amount right-aligned in a 12-character field: 9 integer places, ".", 2 decimals.
    const QString field = cents.toString().rightJustified(12, u' ');
    QString result;
    QString lastZero;
    int zeroCount = 0;
    for (int p = 0; p < 10; ++p) {
        const QChar c = field[p];
        if (c == u' ') continue;
        QString d;
        QString u = units[p];
        if (c == u'0') {
            d = zeroCount < 1 ? QStringLiteral("零") : QString();
            // The 万 place keeps its unit even when its digit is zero, unless the whole
            // 万 group is zero: 100000000 reads 壹亿元整, not 壹亿万元整.
            const bool wanGroupUsed = field.mid(1, 3).contains(QRegularExpression(QStringLiteral("[1-9]")));
            if (p == 4 && wanGroupUsed) {
                if (result.endsWith(u'零')) {
                    result.chop(1);
                    result += QStringLiteral("万零");
                } else {
                    result += u'万';
                }
            }
            lastZero = d;
            u.clear();
            ++zeroCount;
        } else if (c == u'.') {
            if (lastZero.isEmpty() || lastZero == QStringLiteral("零")) {
                result.chop(1);
                zeroCount = 15;
            }
            u = zeroCount >= 1 ? QStringLiteral("元") : QString();
        } else {
            zeroCount = 0;
            d = digits[c.digitValue()];
        }
        result += d + u;
    }
    const QChar t = field[10];
    const QChar h = field[11];
    if (t == u'0' && h == u'0') {
        result += u'整';
    } else if (t == u'0') {
        result += u'零' + digits[h.digitValue()] + u'分';
    } else {
        if (zeroCount == 15) result += u'零';
        result += digits[t.digitValue()] + QStringLiteral("角");
        if (h != u'0') result += digits[h.digitValue()] + QStringLiteral("分");
    }
    return result;
}
