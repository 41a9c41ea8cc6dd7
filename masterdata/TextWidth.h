// Text widths as the database columns and the printed layouts count them: GBK bytes, so a
// Chinese character takes two. Every box that feeds a text column is limited this way.
#pragma once

#include <QString>
#include <QValidator>

// Bytes the text takes in GBK: one per ASCII character, two per other character (four for
// a character outside the basic plane, which GBK cannot hold at all).
int gbkWidth(const QString& text);
// The longest prefix of the text that fits the width, never splitting a character.
QString truncatedToGbkWidth(const QString& text, int width);

// Refuses a keystroke or paste that would make the text wider than the column.
class GbkWidthValidator : public QValidator {
public:
    GbkWidthValidator(int width, QObject* parent = nullptr) : QValidator(parent), m_width(width) {}
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int width() const { return m_width; }

private:
    int m_width;
};
