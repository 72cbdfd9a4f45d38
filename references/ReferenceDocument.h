#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace vemtaro::references {

/// Largest reference document that is read; a bigger file is refused, not loaded.
constexpr qint64 maxDocumentBytes = 64 * 1024 * 1024;

/// Reads the RTF file at `path` into `document`. When the file is missing, cannot be read,
/// is too large or is not RTF, `document` instead explains in Spanish what went wrong and
/// names the file, and the result is false.
bool loadReferenceDocument(const QString& path, QTextDocument& document);

/// The reference document that comes with the program, as RTF.
QByteArray defaultDocumentRtf();

/// Writes the default reference document to `path` when no file is there, creating its
/// folder if needed; an existing file is never replaced, not even one that appears while
/// this runs (the text goes to a temporary file that is then renamed without overwriting).
/// Returns true when a file is at `path` afterwards.
bool ensureDefaultDocument(const QString& path);

} // namespace vemtaro::references
