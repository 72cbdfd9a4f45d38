#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace vemtaro::references {

/// Windows code page that a font's `\fcharset` value stands for; 0 when the charset
/// defers to the document's own code page (DEFAULT_CHARSET and unknown values).
int codePageForCharset(int charset);

/// Turns bytes of one Windows or Mac code page into text, as a stream: a two-byte
/// character may arrive split over two calls (as RTF writes `\'81\'40`), so a lead byte
/// left over at the end of one call waits for the next.
///
/// Single-byte code pages (1250-1258, 874, 437, 850 and Mac Roman 10000) use tables of
/// their own; the double-byte ones (932, 936, 949, 950 and Johab 1361) go through the C
/// library's iconv. Unknown code pages read as 1252. Control bytes other than tab are
/// dropped; bytes that do not form a character give U+FFFD.
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

    int codePage_ = 1252;
    const char16_t* table_ = nullptr; // upper half of a single-byte code page, or null
    QByteArray carry_;
    std::unique_ptr<Iconv> iconv_;
};

} // namespace vemtaro::references
