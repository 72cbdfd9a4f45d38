#include "references/ReferenceDocument.h"

#include "references/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextCursor>
#include <QTextDocument>

// A resource in a static library must be registered by hand, from outside any namespace.
static void initReferenceResources()
{
    Q_INIT_RESOURCE(references);
}

namespace vemtaro::references {

namespace {

// Replaces the document's content with an explanation of why `path` could not be shown.
void showFailure(QTextDocument& document, const QString& path, const QString& reason)
{
    document.clear();
    QTextCursor cursor(&document);
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(14);
    cursor.insertText(QStringLiteral("No se puede mostrar el documento de referencias."), heading);
    QTextBlockFormat spaced;
    spaced.setTopMargin(8);
    cursor.insertBlock(spaced, QTextCharFormat());
    cursor.insertText(reason);
    cursor.insertBlock(spaced, QTextCharFormat());
    cursor.insertText(QStringLiteral("Archivo: ") + QDir::toNativeSeparators(path));
}

} // namespace

bool loadReferenceDocument(const QString& path, QTextDocument& document)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        showFailure(document, path, QStringLiteral("El archivo no existe."));
        return false;
    }
    if (info.isDir()) {
        showFailure(document, path,
                    QStringLiteral("La ruta indicada es una carpeta, no un archivo."));
        return false;
    }
    if (info.size() > maxDocumentBytes) {
        showFailure(document, path,
                    QStringLiteral("El archivo es demasiado grande para mostrarlo "
                                   "(más de 64 MB)."));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showFailure(
            document, path,
            file.error() == QFileDevice::OpenError && !info.isReadable()
                ? QStringLiteral("No hay permiso para leer el archivo.")
                : QStringLiteral("No se pudo abrir el archivo (%1).").arg(file.errorString()));
        return false;
    }
    // Read one byte past the limit, in case the file grew since it was measured.
    const QByteArray rtf = file.read(maxDocumentBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        showFailure(document, path,
                    QStringLiteral("No se pudo leer el archivo (%1).").arg(file.errorString()));
        return false;
    }
    if (rtf.size() > maxDocumentBytes) {
        showFailure(document, path,
                    QStringLiteral("El archivo es demasiado grande para mostrarlo "
                                   "(más de 64 MB)."));
        return false;
    }
    if (!readRtf(rtf, document)) {
        showFailure(document, path,
                    QStringLiteral("El archivo no está en formato RTF (Rich Text Format)."));
        return false;
    }
    return true;
}

QByteArray defaultDocumentRtf()
{
    initReferenceResources();
    QFile resource(QStringLiteral(":/vemtaro/references/referencias.rtf"));
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

bool ensureDefaultDocument(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists())
        return true;
    if (!QDir().mkpath(target.absolutePath()))
        return false;
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.referencias-XXXXXX"));
    const QByteArray rtf = defaultDocumentRtf();
    if (rtf.isEmpty() || !temporary.open() || temporary.write(rtf) != rtf.size() ||
        !temporary.flush())
        return false;
    // A temporary file is private to its owner; the document is for anyone to read.
    temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temporary.close();
    // QFile::rename refuses to replace an existing file, so a file that appeared meanwhile
    // is kept and our copy is thrown away with the temporary file.
    if (QFile::rename(temporary.fileName(), path))
        temporary.setAutoRemove(false);
    return QFileInfo::exists(path);
}

} // namespace vemtaro::references
