#include "SaveFileDialog.h"

#include "DialogSeam.h"

#include <QFileDialog>

namespace vemtaro::platform {
namespace {
using Seam = DialogSeam<SaveFileDialog::Asked, QString>;
} // namespace

QString SaveFileDialog::ask(QWidget* parent, const QString& caption, const QString& proposedPath,
                            const QString& filter, const QString& suffix)
{
    if (Seam::shared().recording())
        return Seam::shared().answer({caption, proposedPath}, QString());
    QFileDialog dialog(parent, caption, proposedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    // The words the clerk reads first, in Spanish even where Qt's translation is missing.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Guardar en:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nombre:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Guardar"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void SaveFileDialog::setRecording(bool on)
{
    Seam::shared().setRecording(on);
}

void SaveFileDialog::setNextAnswer(const QString& path)
{
    Seam::shared().enqueue(path);
}

QList<SaveFileDialog::Asked> SaveFileDialog::takeAsked()
{
    return Seam::shared().take();
}

} // namespace vemtaro::platform
