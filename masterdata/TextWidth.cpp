#include "masterdata/TextWidth.h"

namespace {
int charWidth(const QString& text, int i) {
    const QChar c = text.at(i);
    if (c.unicode() < 0x80) return 1;
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) return 4;
    if (c.isLowSurrogate()) return 0;  // counted with its high half
    return 2;
}
}  // namespace

int gbkWidth(const QString& text) {
    int width = 0;
    for (int i = 0; i < text.size(); ++i) width += charWidth(text, i);
    return width;
}

QString truncatedToGbkWidth(const QString& text, int width) {
    int used = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int w = charWidth(text, i);
        if (w == 0) continue;
        if (used + w > width) return text.left(i);
        used += w;
        if (w == 4) ++i;
    }
    return text;
}

QValidator::State GbkWidthValidator::validate(QString& input, int& pos) const {
    return gbkWidth(input) <= m_width ? Acceptable : Invalid;
}

void GbkWidthValidator::fixup(QString& input) const { input = truncatedToGbkWidth(input, m_width); }
