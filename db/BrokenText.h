#pragma once

#include <QString>
#include <QStringView>

namespace vemtaro::db {

/// Where `text` holds half of a UTF-16 surrogate pair standing alone (a broken character,
/// usually what is left of a pasted one), or -1 when it holds none. Written to the file or
/// into a pattern, such a character would turn into "?".
inline qsizetype brokenCharacterAt(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return i;
    }
    return -1;
}

/// The broken character at `at` of `text`, named for the clerk: "un carácter no válido
/// (U+D83D)".
inline QString brokenCharacter(QStringView text, qsizetype at)
{
    return QStringLiteral("un carácter no válido (U+%1)")
        .arg(QString::number(text[at].unicode(), 16).toUpper());
}

} // namespace vemtaro::db
