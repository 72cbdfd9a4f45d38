#pragma once

#include <QByteArrayView>

namespace vemtaro::references {

/// The value of the hexadecimal digit `c`, or -1 when it is none.
constexpr int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// Splits Rich Text Format bytes into tokens. It knows the syntax only, not what any
/// control word means, with one exception: `\binN` is followed by N raw bytes that must
/// not be read as RTF, so it comes out as one Binary token holding those bytes.
///
/// Any byte sequence is accepted: a parameter too large for an int is clamped, an overlong
/// control word is cut to its first letters, a `\bin` count past the end takes what is
/// left. Line ends between tokens are ignored; inside text they end the text token.
class RtfTokenizer {
public:
    enum class Kind {
        End,           ///< no more data
        GroupOpen,     ///< {
        GroupClose,    ///< }
        ControlWord,   ///< \name or \nameN; `bytes` is the name
        ControlSymbol, ///< backslash and one non-letter; `value` is that byte
        HexByte,       ///< \'hh; `value` is the byte
        Text,          ///< a run of plain bytes; `bytes`
        Binary,        ///< the data of \binN; `bytes`
    };

    struct Token {
        Kind kind = Kind::End;
        QByteArrayView bytes;
        int parameter = 0;
        bool hasParameter = false;
        unsigned char value = 0;
    };

    /// Longest control word name kept; RTF itself allows 32 letters.
    static constexpr int maxWordLength = 32;

    explicit RtfTokenizer(QByteArrayView data) : data_(data) {}

    Token next();

    /// Skips the rest of the group just opened, up to and including its closing brace
    /// (nested groups, escaped braces and \bin data included). Returns false when the data
    /// ends first.
    bool skipGroup();

    qsizetype position() const { return pos_; }

private:
    Token readControl();
    // Reads an optional signed decimal parameter at the current position.
    bool readParameter(int& value);

    QByteArrayView data_;
    qsizetype pos_ = 0;
};

} // namespace vemtaro::references
