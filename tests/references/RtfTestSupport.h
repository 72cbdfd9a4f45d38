#pragma once

#include <QByteArray>
#include <QString>
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

/// The document's text, one line a paragraph, each table drawn in place as
/// "[cell|cell / cell|cell]" (rows split by " / "). Qt keeps an empty paragraph before a
/// table that starts the document and after one that ends it.
QString outline(const QTextDocument& document);

/// The character format of the first character of the first occurrence of `text`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text);

/// The character properties the reader sets, as words in a fixed order
/// ("bold italic underline:1 strike super family:Arial size:12 fg:#ff0000 bg:#ffff00 ...").
QString describe(const QTextCharFormat& format);

/// The top-level tables of the document in order.
QList<QTextTable*> tables(const QTextDocument& document);

/// The plain text of a table cell, its paragraphs joined by '\n'.
QString cellText(QTextTable* table, int row, int column);

/// Writes `bytes` to the file at `path`, replacing it.
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace vemtaro::references::test
