#pragma once

#include <QByteArrayView>

class QTextDocument;

namespace vemtaro::references {

/// True when `data` starts like a Rich Text Format file: "{\rtf", after optional blanks.
bool looksLikeRtf(QByteArrayView data);

/// Reads the Rich Text Format bytes `rtf` into `document`, replacing what it held.
///
/// Shown: text with its fonts, sizes, bold, italic, underline, strike-out, super- and
/// subscript, capitals, foreground and background colours; paragraphs with alignment,
/// indents, spacing and page breaks; tables (one QTextTable per run of table rows, with
/// cell widths, each cell side's border as the cell defines it, shading, vertical alignment,
/// the space between columns and row heights); PNG and JPEG pictures, added to the document
/// as image resources named "rtfimage:N" and sized as the file asks; hyperlink fields, as
/// anchors whose text is the field result; list numbers and bullets as the file writes them.
/// Text is decoded through the code page of its font's charset (`\fcharset`, `\cpg`) or of
/// the document (`\ansicpg`, `\mac`, `\pc`, `\pca`), Windows and Mac code pages alike, and
/// through `\uN` with its `\ucN` fallback skipping; text in the Symbol and Wingdings fonts
/// comes as the Unicode characters they draw.
///
/// Not shown: headers, footers, footnotes, comments, the document information, styles by
/// name, hidden text, shapes and text boxes, pictures of other kinds (metafiles, bitmaps),
/// and the plain copy of nested tables kept for readers without them (`\nonesttables`).
/// Nested tables are flattened into their outer cell. A row is never shorter than its text,
/// even when the file asks for an exact height.
///
/// Any input is safe: the reader never reads past the data, caps numbers and group nesting
/// (groups past the cap share the state of the deepest one, and their text still shows),
/// and stops at the end of the outermost group or of the data, keeping what it read so far.
/// Returns false, leaving `document` empty, when `rtf` does not start like RTF.
bool readRtf(QByteArrayView rtf, QTextDocument& document);

} // namespace vemtaro::references
