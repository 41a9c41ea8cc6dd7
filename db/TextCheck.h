// Which characters a typed or imported value may hold. A NUL cuts a value short on its way
// to PostgreSQL and in every C string; tabs, line breaks and other control characters break
// one-line lists, receipts and CSV files; U+FFFD is the trace of a wrongly decoded file and
// would replace the shop's real text for good; noncharacters do not come back as saved.
#pragma once

#include <QString>

namespace db {

// Index of the first character that has no place in a stored value, or -1 when all fit.
qsizetype firstUnfitCharacter(const QString& text);

// "U+0000" for the character at that index, as messages name it.
QString characterCode(const QString& text, qsizetype index);

}  // namespace db
