#include "references/FrmReferencias.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>

namespace vemtaro {

namespace {

// The window's geometry is designed in twips; 15 twips make a pixel.
constexpr int twips(int value)
{
    return value / 15;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace

FrmReferencias::FrmReferencias(const QString& documentPath, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FrmReferencias"));
    setWindowTitle(QStringLiteral("Referencias"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window would not count as a main window; this one stands in for the chart
    // window while it is open, so the program must not end behind it.
    setAttribute(Qt::WA_QuitOnClose);
    setFixedSize(twips(11910), twips(7695));
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(128, 255, 128));
    setPalette(background);
    setAutoFillBackground(true);

    cmdSalir = new QPushButton(QStringLiteral("Cerrar"), this);
    cmdSalir->setObjectName(QStringLiteral("cmdSalir"));
    cmdSalir->setGeometry(twipsRect(4800, 120, 2775, 495));
    QPalette cyan = cmdSalir->palette();
    cyan.setColor(QPalette::Button, QColor(128, 255, 255));
    cmdSalir->setPalette(cyan);
    // Liberation Sans has the metrics of the sans-serif type the window was drawn with.
    QFont buttonFont(QStringLiteral("Liberation Sans"));
    buttonFont.setPointSize(18);
    cmdSalir->setFont(buttonFont);
    connect(cmdSalir, &QPushButton::clicked, this, &FrmReferencias::cmdSalir_Click);

    RichTextBox1 = new QTextBrowser(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setGeometry(twipsRect(120, 840, 11580, 6615));
    RichTextBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichTextBox1->setOpenLinks(false);
    connect(RichTextBox1, &QTextBrowser::anchorClicked, this,
            &FrmReferencias::RichTextBox1_AnchorClicked);

    setTabOrder(cmdSalir, RichTextBox1);
    cmdSalir->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Form_Load(documentPath);
}

void FrmReferencias::Form_Load(const QString& documentPath)
{
    auto* document = new QTextDocument(RichTextBox1);
    references::loadReferenceDocument(documentPath, *document);
    RichTextBox1->setDocument(document);
    RichTextBox1->moveCursor(QTextCursor::Start);
    RichTextBox1->verticalScrollBar()->setValue(0);
}

void FrmReferencias::cmdSalir_Click()
{
    close();
}

void FrmReferencias::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    closing_ = event->isAccepted();
}

// Announced only once the window is hidden, so that the window shown next is not blocked
// by this modal one, not even for a moment.
void FrmReferencias::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (closing_) {
        closing_ = false;
        Q_EMIT cerrado();
    }
}

void FrmReferencias::RichTextBox1_AnchorClicked(const QUrl& link)
{
    // Only addresses for a browser or a mail program leave the viewer; a link to a local
    // file or program is not run from a document.
    const QString scheme = link.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        QDesktopServices::openUrl(link);
}

} // namespace vemtaro
