#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextDocument>

#include <memory>

class QTextTable;

namespace vemtaro::references::test {

/// A document header with fonts 0 Arial (default), 1 Courier New, and colours 1 red,
/// 2 yellow, 3 blue; `body` follows it, and the closing brace.
QByteArray withHeader(const QByteArray& body);

/// Reads `rtf`, failing the test when it is not taken as RTF.
std::unique_ptr<QTextDocument> read(const QByteArray& rtf);

/// The text of every block in document order (table cells included), one entry a block.
QStringList blockTexts(const QTextDocument& document);

/// The character format of the first character of the first occurrence of `text`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text);

/// The block format of the block holding the first occurrence of `text`.
QTextBlockFormat blockFormatOf(const QTextDocument& document, const QString& text);

/// The character properties the reader sets, as words in a fixed order
/// ("bold italic underline:1 strike super family:Arial size:12 fg:#ff0000 bg:#ffff00 ...").
QString describe(const QTextCharFormat& format);

/// The tables of the document in order.
QList<QTextTable*> tables(const QTextDocument& document);

/// The plain text of a table cell, its paragraphs joined by '\n'.
QString cellText(QTextTable* table, int row, int column);

} // namespace vemtaro::references::test
