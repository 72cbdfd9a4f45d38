// The references viewer: its window, the document it shows, and "Cerrar".
#include "references/FrmReferencias.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using vemtaro::FrmReferencias;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A document long enough to scroll, whose first paragraph is `first`.
QByteArray longDocument(const QByteArray& first)
{
    QByteArray rtf = "{\\rtf1\\ansi " + first + "\\par ";
    for (int i = 0; i < 200; ++i)
        rtf += "P\\'e1rrafo " + QByteArray::number(i) + "\\par ";
    return rtf + "}";
}

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestFrmReferencias : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void windowLooksAsDesigned();
    void opensAtTheStartOfTheDocument();
    void eachOpeningReadsTheFileAgain();
    void cerrarClosesAndAnnounces();
    void anyCloseAnnouncesOnce();
    void unreadableDocumentStillLetsTheUserLeave_data();
    void unreadableDocumentStillLetsTheUserLeave();

private:
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

void TestFrmReferencias::windowLooksAsDesigned()
{
    writeFile(path_, "{\\rtf1 x}");
    FrmReferencias window(path_);
    QCOMPARE(window.objectName(), QStringLiteral("FrmReferencias"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Referencias"));
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QCOMPARE(window.windowModality(), Qt::ApplicationModal);
    QCOMPARE(window.size(), QSize(794, 513));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QCOMPARE(window.palette().color(QPalette::Window), QColor(128, 255, 128));
    const QPoint offCentre =
        window.geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QString::number(offCentre.x())));

    QCOMPARE(window.cmdSalir->objectName(), QStringLiteral("cmdSalir"));
    QCOMPARE(window.cmdSalir->text(), QStringLiteral("Cerrar"));
    QCOMPARE(window.cmdSalir->geometry(), QRect(320, 8, 185, 33));
    QCOMPARE(window.cmdSalir->palette().color(QPalette::Button), QColor(128, 255, 255));
    QCOMPARE(window.cmdSalir->font().pointSize(), 18);

    QCOMPARE(window.RichTextBox1->objectName(), QStringLiteral("RichTextBox1"));
    QCOMPARE(window.RichTextBox1->geometry(), QRect(8, 56, 772, 441));
    QVERIFY(window.RichTextBox1->isReadOnly());
    QCOMPARE(window.RichTextBox1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(!window.RichTextBox1->openLinks());
}

void TestFrmReferencias::opensAtTheStartOfTheDocument()
{
    writeFile(path_, longDocument("Primera l\\'ednea"));
    FrmReferencias window(path_);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.RichTextBox1->toPlainText().startsWith(QStringLiteral("Primera línea\n")));
    QVERIFY(window.RichTextBox1->toPlainText().contains(QStringLiteral("Párrafo 199")));
    QVERIFY(window.RichTextBox1->verticalScrollBar()->maximum() > 0);
    QCOMPARE(window.RichTextBox1->verticalScrollBar()->value(), 0);
    QCOMPARE(window.RichTextBox1->textCursor().position(), 0);
}

void TestFrmReferencias::eachOpeningReadsTheFileAgain()
{
    writeFile(path_, longDocument("Primera versi\\'f3n"));
    auto* first = new FrmReferencias(path_);
    first->show();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    first->RichTextBox1->verticalScrollBar()->setValue(
        first->RichTextBox1->verticalScrollBar()->maximum());
    first->cmdSalir->click();

    writeFile(path_, longDocument("Segunda versi\\'f3n"));
    FrmReferencias second(path_);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QVERIFY(second.RichTextBox1->toPlainText().startsWith(QStringLiteral("Segunda versión")));
    QVERIFY(!second.RichTextBox1->toPlainText().contains(QStringLiteral("Primera")));
    QCOMPARE(second.RichTextBox1->verticalScrollBar()->value(), 0);
}

void TestFrmReferencias::cerrarClosesAndAnnounces()
{
    writeFile(path_, "{\\rtf1 x}");
    QPointer<FrmReferencias> window = new FrmReferencias(path_);
    QSignalSpy closed(window.data(), &FrmReferencias::cerrado);
    bool hiddenWhenAnnounced = false;
    connect(window.data(), &FrmReferencias::cerrado, this,
            [&] { hiddenWhenAnnounced = !window->isVisible(); });
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));
    QTest::mouseClick(window->cmdSalir, Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QVERIFY(hiddenWhenAnnounced);
    QVERIFY(!window->isVisible());
    processDeferredDeletes();
    QVERIFY(window.isNull()); // its content is discarded with it
}

void TestFrmReferencias::anyCloseAnnouncesOnce()
{
    writeFile(path_, "{\\rtf1 x}");
    QPointer<FrmReferencias> window = new FrmReferencias(path_);
    QSignalSpy closed(window.data(), &FrmReferencias::cerrado);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));
    window->close(); // as the window manager would
    window->close();
    QCOMPARE(closed.count(), 1);
    processDeferredDeletes();
    QVERIFY(window.isNull());
}

void TestFrmReferencias::unreadableDocumentStillLetsTheUserLeave_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << "El archivo no existe.";
    QTest::newRow("garbage") << QByteArray("\x7f"
                                           "ELF\x02\x01\x01\0garbage",
                                           15)
                             << "no está en formato RTF";
}

void TestFrmReferencias::unreadableDocumentStillLetsTheUserLeave()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    if (!content.isNull())
        writeFile(path_, content);
    QPointer<FrmReferencias> window = new FrmReferencias(path_);
    QSignalSpy closed(window.data(), &FrmReferencias::cerrado);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));
    const QString text = window->RichTextBox1->toPlainText();
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(QDir::toNativeSeparators(path_)), qPrintable(text));
    QVERIFY(window->cmdSalir->isEnabled());
    QTest::mouseClick(window->cmdSalir, Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    processDeferredDeletes();
    QVERIFY(window.isNull());
}

QTEST_MAIN(TestFrmReferencias)
#include "tst_frmreferencias.moc"
