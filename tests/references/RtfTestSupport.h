#pragma once

#include <QByteArray>
#include <QString>
#include <QTextCharFormat>
#include <QTextDocument>

#include <memory>

class QTextTable;

namespace vemtaro::references::test {

/// Reads `rtf`, failing the test when it is not taken as RTF.
std::unique_ptr<QTextDocument> read(const QByteArray& rtf);

/// The character format of the first character of the first occurrence of `text`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text);

/// The character properties the reader sets, as words in a fixed order
/// ("bold italic underline:1 strike super family:Arial size:12 fg:#ff0000 bg:#ffff00 ...").
QString describe(const QTextCharFormat& format);

/// The top-level tables of the document in order.
QList<QTextTable*> tables(const QTextDocument& document);

/// The plain text of a table cell, its paragraphs joined by '\n'.
QString cellText(QTextTable* table, int row, int column);

} // namespace vemtaro::references::test
