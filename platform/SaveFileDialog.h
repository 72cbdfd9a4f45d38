#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace vemtaro::platform {

/// The application's modal dialog that asks where to save a file.
///
/// Tests answer it through the seam below instead of a person: once recording() is on, no
/// dialog is shown; each ask() is recorded and answered from the queue of setNextAnswer(), or
/// with Cancel (an empty path) when the queue is empty.
class SaveFileDialog {
public:
    /// Asks for a file to save, proposing `proposedPath`; `filter` names the file type
    /// ("Documentos PDF (*.pdf)") and `suffix` is added to a name typed without it. An existing
    /// file is overwritten only when the user confirms. Returns the path, or an empty path when
    /// the user cancels.
    static QString ask(QWidget* parent, const QString& caption, const QString& proposedPath,
                       const QString& filter, const QString& suffix);

    struct Asked {
        QString caption;
        QString proposedPath;
    };

    static void setRecording(bool on);
    /// The path the next recorded dialog answers; an empty path answers Cancel.
    static void setNextAnswer(const QString& path);
    /// Dialogs recorded since the last call, oldest first.
    static QList<Asked> takeAsked();
};

} // namespace vemtaro::platform
