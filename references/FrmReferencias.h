#pragma once

#include "references/ReferenceDocument.h"

#include <QWidget>

class QPushButton;
class QTextBrowser;
class QUrl;

namespace vemtaro {

/// Prepares the viewer's document in a new data folder (see references::ensureDefaultDocument).
using references::ensureDefaultDocument;

/// The references viewer: a borderless, application-modal window, centred on the screen
/// and kept out of the task bar, that shows the reference document read only.
///
/// Each window reads the document file afresh when it is created and opens at its start;
/// a document that cannot be shown is explained in the text area instead, and "Cerrar"
/// works all the same. Closing the window, by "Cerrar" or otherwise, hides and destroys it;
/// once it is off the screen it emits cerrado(), for the caller to bring back the window the
/// viewer replaced. Links are
/// not followed inside the viewer: web and mail addresses open in the desktop's own program.
class FrmReferencias : public QWidget {
    Q_OBJECT
public:
    explicit FrmReferencias(const QString& documentPath, QWidget* parent = nullptr);

    QPushButton* cmdSalir;
    QTextBrowser* RichTextBox1;

Q_SIGNALS:
    /// The viewer has closed.
    void cerrado();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load(const QString& documentPath);
    void cmdSalir_Click();
    void RichTextBox1_AnchorClicked(const QUrl& link);

    bool closing_ = false;
};

} // namespace vemtaro
