#include "SaveFileDialog.h"

#include "DialogSeam.h"

#include <QFileDialog>

namespace vemtaro::platform {
namespace {
DialogSeam<SaveFileDialog::Asked, QString>& seam()
{
    static DialogSeam<SaveFileDialog::Asked, QString> instance;
    return instance;
}
} // namespace

QString SaveFileDialog::ask(QWidget* parent, const QString& caption, const QString& proposedPath,
                            const QString& filter, const QString& suffix)
{
    if (seam().recording())
        return seam().answer({caption, proposedPath}, QString());
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
    seam().setRecording(on);
}

void SaveFileDialog::setNextAnswer(const QString& path)
{
    seam().enqueue(path);
}

QList<SaveFileDialog::Asked> SaveFileDialog::takeAsked()
{
    return seam().take();
}

} // namespace vemtaro::platform
