// Shared helpers every screen uses: system variables, rights, the number-key filter and
// amounts in Chinese capital numerals.
#pragma once

#include "db/Money.h"

#include <QChar>
#include <QString>
#include <optional>

namespace db { class Connection; }

// The value of a system variable for a posting: nullopt when there is no row; a failed
// read throws db::Error, so a switch is never taken as "off" because the database failed.
std::optional<QString> FetchSysVariable(db::Connection& connection, const QString& name);
// The value of a system variable; nullopt when there is no row or the read fails, so a
// screen can keep its own default.
std::optional<QString> ReadSysVariable(db::Connection& connection, const QString& name);
// The value of a system variable; empty when there is no row or the read fails.
QString GetSysVariable(db::Connection& connection, const QString& name);
QString GetSysVariable(const QString& name);  // on the program's connection

// True only when a SYSRIGHTSET row exists and grants the function; any failure is "no".
bool HasRight(db::Connection& connection, const QString& operatorNo, const QString& function);
bool HasRight(const QString& operatorNo, const QString& function);

// Keeps Backspace, "." and digits; any other character becomes the null character.
QChar FilterNumberKey(QChar key);

// The amount in capital numerals as printed on sales notes: 1234.56 -> 壹仟贰佰叁拾肆元零伍角陆分.
// Amounts round to cents first. Negative amounts get a leading "负"; amounts of
// 1,000,000,000 or more (which no document reaches) are written in digits.
QString AmountToCapitals(Money amount);
