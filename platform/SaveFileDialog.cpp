#include "SaveFileDialog.h"

#include <QFileDialog>
#include <QQueue>

namespace vemtaro::platform {
namespace {
struct Seam {
    bool recording = false;
    QQueue<QString> answers;
    QList<SaveFileDialog::Asked> asked;
};
Seam& seam()
{
    static Seam instance;
    return instance;
}
} // namespace

QString SaveFileDialog::ask(QWidget* parent, const QString& caption, const QString& proposedPath,
                            const QString& filter, const QString& suffix)
{
    if (seam().recording) {
        seam().asked.append({caption, proposedPath});
        return seam().answers.isEmpty() ? QString() : seam().answers.dequeue();
    }
    QFileDialog dialog(parent, caption, proposedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    // Qt's own dialog is not translated: the words the clerk reads are set here.
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
    seam().recording = on;
    seam().answers.clear();
    seam().asked.clear();
}

void SaveFileDialog::setNextAnswer(const QString& path)
{
    seam().answers.enqueue(path);
}

QList<SaveFileDialog::Asked> SaveFileDialog::takeAsked()
{
    return std::exchange(seam().asked, {});
}

} // namespace vemtaro::platform
