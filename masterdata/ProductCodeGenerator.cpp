#include "masterdata/ProductCodeGenerator.h"

#include "db/Statement.h"

ProductCodeGenerator::Result ProductCodeGenerator::next(const QString& prefix) {
    if (prefix.size() != PrefixLength) return {Outcome::WrongPrefixLength, {}};
    db::Statement s(m_connection, QStringLiteral("SELECT SPNO FROM SPB WHERE substr(SPNO, 1, 5) = :prefix AND length(SPNO) = 8"));
    s.bind(QStringLiteral(":prefix"), prefix).exec();
    // The highest number decides: taking whichever row comes first would propose a code
    // that is already used as soon as there are two. Codes with letters in the last three
    // places were typed by hand and are not part of the numbering.
    int highest = 0;
    while (s.next()) {
        const QString suffix = s.text(0).mid(PrefixLength);
        bool digits = suffix.size() == 3;
        for (QChar c : suffix) digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (digits) highest = std::max(highest, suffix.toInt());
    }
    // Wrapping to "000" would only propose a code that is already taken.
    if (highest >= 999) return {Outcome::Exhausted, {}};
    return {Outcome::Generated, prefix + QStringLiteral("%1").arg(highest + 1, 3, 10, QLatin1Char('0'))};
}
