#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

namespace vemtaro::platform {
namespace {
struct Seam {
    bool recording = false;
    QQueue<int> answers;
    QList<MessageBox::Shown> shown;
};
Seam& seam()
{
    static Seam instance;
    return instance;
}
} // namespace

int MessageBox::show(const QString& prompt, int style, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? applicationTitle() : title;
    if (seam().recording) {
        seam().shown.append({prompt, style, shownTitle});
        return seam().answers.isEmpty() ? vbOK : seam().answers.dequeue();
    }
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

void MessageBox::setRecording(bool on)
{
    seam().recording = on;
    seam().answers.clear();
    seam().shown.clear();
}

void MessageBox::setNextAnswer(int answer)
{
    seam().answers.enqueue(answer);
}

QList<MessageBox::Shown> MessageBox::takeShown()
{
    return std::exchange(seam().shown, {});
}

} // namespace vemtaro::platform
