// The references viewer: its window, the document it shows, and "Cerrar".
#include "RtfTestSupport.h"

#include "references/FrmReferencias.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using vemtaro::FrmReferencias;
using vemtaro::references::test::writeFile;

namespace {

// A document long enough to scroll, whose first paragraph is `first`.
QByteArray longDocument(const QByteArray& first)
{
    QByteArray rtf = "{\\rtf1\\ansi " + first + "\\par ";
    for (int i = 0; i < 200; ++i)
        rtf += "P\\'e1rrafo " + QByteArray::number(i) + "\\par ";
    return rtf + "}";
}

} // namespace

class TestFrmReferencias : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void windowLooksAsDesigned();
    void eachOpeningShowsTheFileFromItsStart();
    void closingAnnouncesOnceAndDiscardsTheWindow_data();
    void closingAnnouncesOnceAndDiscardsTheWindow();

private:
    // A shown viewer of the document at path_.
    QPointer<FrmReferencias> openViewer();

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void TestFrmReferencias::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("XDG_DATA_HOME", dir_->path().toLocal8Bit());
    path_ = dir_->filePath(QStringLiteral("referencias.rtf"));
}

QPointer<FrmReferencias> TestFrmReferencias::openViewer()
{
    auto* window = new FrmReferencias(path_);
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        QTest::qFail("the viewer was not shown", __FILE__, __LINE__);
    return window;
}

void TestFrmReferencias::windowLooksAsDesigned()
{
    writeFile(path_, "{\\rtf1 x}");
    FrmReferencias window(path_);
    QCOMPARE(window.objectName(), QStringLiteral("FrmReferencias"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Referencias"));
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QCOMPARE(window.windowModality(), Qt::ApplicationModal);
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const QPoint offCentre =
        window.geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QString::number(offCentre.x())));
    QCOMPARE(window.cmdSalir->objectName(), QStringLiteral("cmdSalir"));
    QCOMPARE(window.cmdSalir->text(), QStringLiteral("Cerrar"));
    QCOMPARE(window.RichTextBox1->objectName(), QStringLiteral("RichTextBox1"));
    QVERIFY(window.RichTextBox1->isReadOnly());
    QVERIFY(!window.RichTextBox1->openLinks());
}

void TestFrmReferencias::closingAnnouncesOnceAndDiscardsTheWindow_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<QString>("reason");     // of the explanation shown instead of the document
    QTest::addColumn<bool>("byCerrar");      // else as the window manager would
    const QByteArray rtf = "{\\rtf1 x}";
    QTest::newRow("Cerrar") << rtf << QString() << true;
    QTest::newRow("window manager") << rtf << QString() << false;
    QTest::newRow("missing file, explained") << QByteArray() << "El archivo no existe." << true;
    QTest::newRow("garbage, explained") << QByteArray("\x7f"
                                                      "ELF\x02\x01\x01\0garbage",
                                                      15)
                                        << "no está en formato RTF" << true;
}

void TestFrmReferencias::closingAnnouncesOnceAndDiscardsTheWindow()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QFETCH(bool, byCerrar);
    if (!content.isNull())
        writeFile(path_, content);
    QPointer<FrmReferencias> window = openViewer();
    const QString text = window->RichTextBox1->toPlainText();
    if (!reason.isEmpty()) // and the file it is about
        QVERIFY2(text.contains(reason) && text.contains(QDir::toNativeSeparators(path_)),
                 qPrintable(text));
    QSignalSpy closed(window.data(), &FrmReferencias::cerrado);
    bool hiddenWhenAnnounced = false;
    connect(window.data(), &FrmReferencias::cerrado, this,
            [&] { hiddenWhenAnnounced = !window->isVisible(); });
    if (byCerrar)
        QTest::mouseClick(window->cmdSalir, Qt::LeftButton);
    else
        window->close();
    window->close();
    QCOMPARE(closed.count(), 1);
    QVERIFY(hiddenWhenAnnounced);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull()); // its content is discarded with it
}

void TestFrmReferencias::eachOpeningShowsTheFileFromItsStart()
{
    writeFile(path_, longDocument("Primera versi\\'f3n"));
    QPointer<FrmReferencias> first = openViewer();
    QVERIFY(first->RichTextBox1->toPlainText().startsWith(QStringLiteral("Primera versión\n")));
    QVERIFY(first->RichTextBox1->toPlainText().endsWith(QStringLiteral("Párrafo 199")));
    QScrollBar* scrollBar = first->RichTextBox1->verticalScrollBar();
    QVERIFY(scrollBar->maximum() > 0);
    QCOMPARE(scrollBar->value(), 0);
    QCOMPARE(first->RichTextBox1->textCursor().position(), 0);
    scrollBar->setValue(scrollBar->maximum());
    first->cmdSalir->click();

    writeFile(path_, longDocument("Segunda versi\\'f3n"));
    QPointer<FrmReferencias> second = openViewer();
    QVERIFY(second->RichTextBox1->toPlainText().startsWith(QStringLiteral("Segunda versión\n")));
    QVERIFY(!second->RichTextBox1->toPlainText().contains(QStringLiteral("Primera")));
    QCOMPARE(second->RichTextBox1->verticalScrollBar()->value(), 0);
    second->close();
}

QTEST_MAIN(TestFrmReferencias)
#include "tst_frmreferencias.moc"
