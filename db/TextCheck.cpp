#include "db/TextCheck.h"

namespace db {

qsizetype firstUnfitCharacter(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            // A character outside the basic plane: fine, unless it is one of its noncharacters.
            if (QChar::isNonCharacter(QChar::surrogateToUcs4(c, text[i + 1]))) return i;
            ++i;
            continue;
        }
        if (c.isSurrogate()) return i;  // half a pair: no character at all
        if (c == QChar::ReplacementCharacter) return i;
        // Noncharacters (U+FFFE, U+FFFF, U+FDD0...): SQLite reads U+FFFE and U+FFFF back as
        // replacement characters, so what was saved would not be what was typed.
        if (c.isNonCharacter()) return i;
        switch (c.category()) {
        case QChar::Other_Control:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return i;
        default:
            break;
        }
    }
    return -1;
}

QString characterCode(const QString& text, qsizetype index) {
    if (index < 0 || index >= text.size()) return {};
    return QStringLiteral("U+%1").arg(text[index].unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace db
