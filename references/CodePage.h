#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace vemtaro::references {

/// Code pages of our own for the bytes of the two symbol fonts that documents use, which
/// stand for signs rather than letters. Negative, so that no number in a file names them.
inline constexpr int symbolCodePage = -1;
inline constexpr int wingdingsCodePage = -2;

constexpr bool isSymbolCodePage(int codePage)
{
    return codePage == symbolCodePage || codePage == wingdingsCodePage;
}

/// The code page that a font's `\fcharset` value stands for; 0 when the charset defers to
/// the document's own code page (DEFAULT_CHARSET and unknown values). SYMBOL_CHARSET (2)
/// reads as the Symbol font.
int codePageForCharset(int charset);

/// The symbol code page of a font known by its name (Symbol, Wingdings), whatever its
/// charset says; 0 for any other font.
int codePageForFontName(const QString& family);

/// The character that `byte` draws in the symbol font of `codePage` (a symbol code page);
/// U+FFFD where the font has nothing.
char32_t symbolCharacter(int codePage, unsigned char byte);

/// Turns bytes of one Windows or Mac code page into text, as a stream: a two-byte
/// character may arrive split over two calls (as RTF writes `\'81\'40`), so a lead byte
/// left over at the end of one call waits for the next.
///
/// Single-byte code pages (1250-1258, 874, 437, 850 and the Mac ones: Roman 10000, Arabic,
/// Hebrew, Greek, Cyrillic, Romanian, Thai, Central European, Icelandic, Turkish, Croatian)
/// and the symbol code pages use tables of their own; the double-byte ones (932, 936, 949,
/// 950, Johab 1361, and the Mac Japanese, Chinese and Korean 10001, 10002, 10003, 10008,
/// read as their Windows relatives) go through the C library's iconv. Unknown code pages
/// read as 1252. Control bytes other than tab are dropped; bytes that do not form a
/// character give U+FFFD.
class CodePageDecoder {
public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    /// Selects the code page of the bytes that follow; a pending lead byte of the
    /// previous code page is given up (written to `out` as U+FFFD).
    void setCodePage(int codePage, QString& out);
    int codePage() const { return codePage_; }

    /// Appends the text of `bytes` to `out`.
    void decode(QByteArrayView bytes, QString& out);

    /// True while a lead byte waits for its trail byte.
    bool hasPendingByte() const { return !carry_.isEmpty(); }
    /// Gives up a waiting lead byte, writing U+FFFD for it.
    void flush(QString& out);

private:
    class Iconv;
    void decodeDoubleByte(QByteArrayView bytes, QString& out);
    void decodeSymbols(QByteArrayView bytes, QString& out) const;

    int codePage_ = 1252;
    const char16_t* table_ = nullptr; // upper half of a single-byte code page, or null
    QByteArray carry_;
    std::unique_ptr<Iconv> iconv_;
};

} // namespace vemtaro::references
