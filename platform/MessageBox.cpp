#include "MessageBox.h"

#include "DialogSeam.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vemtaro::platform {
namespace {
using Seam = DialogSeam<MessageBox::Shown, int>;
} // namespace

int MessageBox::show(const QString& prompt, int style, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? applicationTitle() : title;
    if (Seam::shared().recording())
        return Seam::shared().answer({prompt, style, shownTitle}, vbOK);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(shownTitle);
    box.setText(prompt);
    box.setIcon((style & vbQuestion) ? QMessageBox::Question : QMessageBox::NoIcon);
    const bool withCancel = (style & 0x0F) == vbOKCancel;
    box.setStandardButtons(withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
    if (withCancel)
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancelar"));
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Ok ? vbOK : (withCancel ? vbCancel : vbOK);
}

void MessageBox::showError(const QString& description)
{
    show(QStringLiteral("Error: ") + description);
}

void MessageBox::setRecording(bool on)
{
    Seam::shared().setRecording(on);
}

void MessageBox::setNextAnswer(int answer)
{
    Seam::shared().enqueue(answer);
}

QList<MessageBox::Shown> MessageBox::takeShown()
{
    return Seam::shared().take();
}

} // namespace vemtaro::platform
