// The reference document: loading it from its file, the failures explained in its place, the
// default document written into a new data folder, and the viewer that shows it.
#include "RtfTestSupport.h"

#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DefaultData.h"
#include "db/RecordSet.h"
#include "references/FrmReferencias.h"
#include "references/ReferenceDocument.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextTable>

using namespace vemtaro::references;
using namespace vemtaro::references::test;
using vemtaro::FrmReferencias;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

/// The sub-accounts of the sample chart, "1903-02" with its rubro and useful life, by account.
struct SubAccount {
    QString code;
    QString rubro;
    int life;
};
QMap<QString, QList<SubAccount>> sampleChart()
{
    vemtaro::db::ensureDefaultDatabase();
    const auto chart = vemtaro::db::Connection::open(vemtaro::db::databasePath());
    vemtaro::db::RecordSet accounts(*chart);
    accounts.open(QStringLiteral("vemtaro"));
    QMap<QString, QList<SubAccount>> byAccount;
    for (int row = 0; row < accounts.recordCount(); ++row) {
        const auto text = [&](const char* field) {
            return accounts.value(row, accounts.fieldIndex(QLatin1String(field))).toString();
        };
        byAccount[text("CODIGO")].append(
            {text("CODIGO") + u'-' + text("CLASE"), text("RUBRO"), text("VIDA_UTIL").toInt()});
    }
    return byAccount;
}

/// The codes that `text` names one by one or as ranges: "1101, 1102", "1201 – 1203",
/// "1201-06 a 08 y 13; 1203-07" (a sub-account alone belongs to the account named before it).
QStringList namedCodes(const QString& text)
{
    static const QRegularExpression item(
        QStringLiteral("(?:(\\d{4})-)?(\\d{2,4})(?:\\s*(?:a|–)\\s*(\\d{2,4}))?"));
    QStringList codes;
    QString account;
    for (auto it = item.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        if (match.hasCaptured(1))
            account = match.captured(1) + u'-';
        const QString first = match.captured(2);
        const QString prefix = first.size() == 2 ? account : QString();
        const QString last = match.hasCaptured(3) ? match.captured(3) : first;
        for (int number = first.toInt(); number <= last.toInt(); ++number)
            codes << prefix + QStringLiteral("%1").arg(number, first.size(), 10, QChar(u'0'));
    }
    return codes;
}

/// The useful lives that the remarks give for sub-accounts, as "1903-13:10", from sentences
/// like "Rack para servidores (1903-13): 10 años.".
QStringList namedLives(const QString& remarks)
{
    static const QRegularExpression sentence(QStringLiteral("\\(([^)]*)\\): (\\d+) años?\\."));
    QStringList lives;
    for (auto it = sentence.globalMatch(remarks); it.hasNext();) {
        const auto match = it.next();
        for (const QString& code : namedCodes(match.captured(1)))
            lives << code + u':' + match.captured(2);
    }
    lives.sort();
    return lives;
}

} // namespace

class TestReferenceDocument : public QObject {
    Q_OBJECT

    /// A shown viewer of the document at m_path.
    QPointer<FrmReferencias> openViewer()
    {
        auto* window = new FrmReferencias(m_path);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            QTest::qFail("the viewer was not shown", __FILE__, __LINE__);
        return window;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_DATA_HOME", m_dir->path().toLocal8Bit());
        m_path = m_dir->filePath(QStringLiteral("referencias.rtf"));
    }

    void loads_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file; "dir": a folder
        QTest::addColumn<QString>("reason");     // empty: the document is shown
        const QString notRtf =
            QStringLiteral("El archivo no está en formato RTF (Rich Text Format).");
        QTest::newRow("rtf") << QByteArray("{\\rtf1\\ansi Cap\\'edtulo uno}") << QString();
        QTest::newRow("missing") << QByteArray() << "El archivo no existe.";
        QTest::newRow("a folder") << QByteArray("dir")
                                  << "La ruta indicada es una carpeta, no un archivo.";
        QTest::newRow("plain text") << QByteArray("Esto no es RTF.") << notRtf;
        QTest::newRow("empty") << QByteArray("") << notRtf;
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << notRtf;
    }
    void loads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        if (content == "dir")
            QVERIFY(QDir().mkpath(m_path));
        else if (!content.isNull())
            writeFile(m_path, content);

        QTextDocument document;
        document.setPlainText(QStringLiteral("previous"));
        QCOMPARE(loadReferenceDocument(m_path, document), reason.isEmpty());
        QCOMPARE(document.toPlainText(),
                 reason.isEmpty() ? QStringLiteral("Capítulo uno")
                                  : "No se puede mostrar el documento de referencias.\n" + reason +
                                        "\nArchivo: " + QDir::toNativeSeparators(m_path));
    }

    void defaultDocumentOnlyWhereNoneIs()
    {
        const QString path = m_dir->filePath(QStringLiteral("nueva/carpeta/referencias.rtf"));
        QVERIFY(ensureDefaultDocument(path));
        QCOMPARE(fileBytes(path), defaultDocumentRtf());
        QVERIFY(QFile::permissions(path) & QFileDevice::ReadOther);
        // Nothing but the document is left in the folder.
        QCOMPARE(QDir(QFileInfo(path).absolutePath())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("referencias.rtf")});
        // The clerk's own file stays, even one that is not RTF.
        writeFile(path, "not even RTF");
        QVERIFY(ensureDefaultDocument(path));
        QCOMPARE(fileBytes(path), QByteArray("not even RTF"));
    }

    void defaultDocumentIsAGenuineReference_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<bool>("markersAsText"); // the word processor formats them apart
        QTest::newRow("as it comes") << defaultDocumentRtf() << true;
        // An older edition as a word processor writes it back: style sheet, list table,
        // associated fonts, Unicode with fallbacks, row properties again before \row.
        QTest::newRow("written back by a word processor")
            << fileBytes(QFINDTESTDATA("data/libreoffice-export.rtf")) << false;
    }
    void defaultDocumentIsAGenuineReference()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(bool, markersAsText);
        const auto document = read(rtf);
        const QString text = document->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("Referencias del Plan de Cuentas de Bienes\n")));
        for (const char* expected :
             {"Códigos de cuenta y de subcuenta", "cuatro cifras", "subcuenta 99",
              "Rubros y vidas útiles", "línea recta", "El alta", "La baja",
              "Consulta de Amortizaciones", "\n\u2022\tla compra;",
              "\n2.\tValor amortizable: el precio de compra (P) menos el "
              "valor residual estimado, P \u2212 R.\n"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        for (const char* leak : {"Normal", "ListLabel", "Liberation", "Times New Roman"})
            QVERIFY2(!text.contains(QLatin1String(leak)), leak);
        QCOMPARE((QStringList{describe(formatOf(*document, QStringLiteral("4. Alta y baja"))),
                              describe(formatOf(*document, QStringLiteral("3.2 Un ejemplo"))),
                              describe(formatOf(*document, QStringLiteral("la compra")))}),
                 (QStringList{"bold family:Arial size:14 fg:#003366",
                              "bold family:Arial size:12 fg:#800000", "family:Arial size:11"}));

        // The rubro table and the worked example, each with a shaded header row and ruled on
        // every side of every cell; the example gives the calculator's figures, right-aligned.
        const auto found = tables(*document);
        QCOMPARE(found.size(), 2);
        QTextTable* rubros = found.first();
        QCOMPARE(rubros->columns(), 4);
        QCOMPARE(cellText(rubros, 0, 0), QStringLiteral("Rubro"));
        QCOMPARE(cellText(rubros, rubros->rows() - 1, 0), QStringLiteral("INTANGIBLES"));
        for (QTextTable* table : found) {
            QCOMPARE(table->cellAt(0, 0).format().background().color(), QColor(214, 230, 245));
            const QTextTableCellFormat last =
                table->cellAt(table->rows() - 1, table->columns() - 1).format().toTableCellFormat();
            QVERIFY(last.topBorder() > 0 && last.leftBorder() > 0 && last.bottomBorder() > 0 &&
                    last.rightBorder() > 0);
        }
        QTextTable* example = found.at(1);
        QStringList results;
        for (int row = 1; row < example->rows(); ++row)
            results << cellText(example, row, 0) + QStringLiteral(": ") + cellText(example, row, 2);
        QCOMPARE(results,
                 (QStringList{"Valor residual estimado: 1,00", "Valor amortizable: 999,00",
                              "Años transcurridos de uso: 5", "Cuota de amortización: 99,90",
                              "Alícuota: 10,00 %", "Amortización acumulada al cierre: 499,50",
                              "Valor residual al cierre del ejercicio: 499,50"}));
        QCOMPARE(example->cellAt(7, 2).firstCursorPosition().blockFormat().alignment() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);

        // A list marker looks like the text of its item, even right after a heading.
        static const QRegularExpression marker(QStringLiteral("^(\u2022|\\d\\.)\t"));
        int markers = 0;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (!marker.match(block.text()).hasMatch())
                continue;
            ++markers;
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::NextCharacter);
            const QString markerFormat = describe(cursor.charFormat());
            cursor.movePosition(QTextCursor::EndOfBlock);
            QVERIFY2(!markersAsText || markerFormat == describe(cursor.charFormat()),
                     qPrintable(block.text()));
        }
        QCOMPARE(markers, 38);
    }

    // The rubro table gives, for the accounts of each row, the useful life that most of their
    // sub-accounts have, and names every sub-account of the sample chart that has another one.
    void defaultDocumentAgreesWithTheSampleChart()
    {
        const auto chart = sampleChart();
        const auto document = read(defaultDocumentRtf());
        QTextTable* rubros = tables(*document).first();
        QStringList listed;
        for (int row = 1; row < rubros->rows(); ++row) {
            const QString rubro = cellText(rubros, row, 0);
            bool isNumber = false;
            const int usual = cellText(rubros, row, 2).toInt(&isNumber);
            QVERIFY2(isNumber, qPrintable(rubro));
            const QStringList accounts = namedCodes(cellText(rubros, row, 1));
            QVERIFY2(!accounts.isEmpty(), qPrintable(rubro));
            QMap<int, int> frequency; // of each useful life
            QStringList exceptions;   // "1903-13:10"
            for (const QString& account : accounts) {
                QVERIFY2(chart.contains(account) && !listed.contains(account), qPrintable(account));
                listed << account;
                for (const SubAccount& sub : chart.value(account)) {
                    QCOMPARE(sub.rubro, rubro);
                    ++frequency[sub.life];
                    if (sub.life != usual)
                        exceptions << sub.code + u':' + QString::number(sub.life);
                }
            }
            QVERIFY2(frequency.value(usual) ==
                         *std::max_element(frequency.cbegin(), frequency.cend()),
                     qPrintable(rubro + QStringLiteral(": another life is more usual")));
            exceptions.sort();
            QCOMPARE(namedLives(cellText(rubros, row, 3)), exceptions);
        }
        listed.sort();
        QCOMPARE(listed, chart.keys());

        // The rubros said not to depreciate are those whose every sub-account has a life of 0.
        QMap<QString, int> longestLife; // by rubro
        for (const auto& subAccounts : chart)
            for (const SubAccount& sub : subAccounts)
                longestLife[sub.rubro] = std::max(longestLife.value(sub.rubro), sub.life);
        static const QRegularExpression zeroLives(QStringLiteral("vida útil 0 \\(([^)]*)\\)"));
        const auto match = zeroLives.match(document->toPlainText());
        QStringList named =
            match.captured(1).toUpper().split(QRegularExpression(QStringLiteral(", | Y ")));
        named.sort();
        QCOMPARE(named, longestLife.keys(0));
    }

    void viewerLooksAsDesigned()
    {
        writeFile(m_path, "{\\rtf1 x}");
        FrmReferencias window(m_path);
        QCOMPARE(
            (QStringList{window.objectName(), window.windowTitle(), window.cmdSalir->objectName(),
                         window.cmdSalir->text(), window.RichTextBox1->objectName()}),
            (QStringList{"FrmReferencias", "Referencias", "cmdSalir", "Cerrar", "RichTextBox1"}));
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QCOMPARE(window.windowModality(), Qt::ApplicationModal);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        const QPoint offCentre = window.geometry().center() -
                                 QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QString::number(offCentre.x())));
        QVERIFY(window.RichTextBox1->isReadOnly());
        QVERIFY(!window.RichTextBox1->openLinks());
    }

    // Each opening reads the file afresh, or explains why it cannot, and shows it from its
    // start; closing, by "Cerrar" or as the window manager would, announces it once the window
    // is hidden, only once, and discards the window with its content.
    void eachOpeningReadsTheFileAfreshAndClosingAnnouncesOnce()
    {
        for (const QString& first :
             {QStringLiteral("Primera versión"), QStringLiteral("Segunda versión"), QString()}) {
            // Long enough to scroll.
            QByteArray rtf = "{\\rtf1\\ansi " + first.toLatin1() + "\\par ";
            for (int i = 0; i < 200; ++i)
                rtf += "P\\'e1rrafo " + QByteArray::number(i) + "\\par ";
            if (first.isEmpty())
                QVERIFY(QFile::remove(m_path));
            else
                writeFile(m_path, rtf + "}");
            QPointer<FrmReferencias> window = openViewer();
            const QString text = window->RichTextBox1->toPlainText();
            const QScrollBar* scrollBar = window->RichTextBox1->verticalScrollBar();
            if (first.isEmpty()) {
                QVERIFY2(text.contains(QStringLiteral("El archivo no existe.")) &&
                             text.contains(QDir::toNativeSeparators(m_path)),
                         qPrintable(text));
            } else {
                QVERIFY2(text.startsWith(first + u'\n') &&
                             text.endsWith(QStringLiteral("Párrafo 199")),
                         qPrintable(text.left(40)));
                QVERIFY(scrollBar->maximum() > 0);
                QCOMPARE(scrollBar->value(), 0);
                QCOMPARE(window->RichTextBox1->textCursor().position(), 0);
            }

            QSignalSpy closed(window.data(), &FrmReferencias::cerrado);
            bool hiddenWhenAnnounced = false;
            connect(window.data(), &FrmReferencias::cerrado, this,
                    [&] { hiddenWhenAnnounced = !window->isVisible(); });
            if (first.startsWith(u'S'))
                window->close();
            else
                QTest::mouseClick(window->cmdSalir, Qt::LeftButton);
            window->close();
            QCOMPARE(closed.count(), 1);
            QVERIFY(hiddenWhenAnnounced);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(window.isNull());
        }
    }
};

QTEST_MAIN(TestReferenceDocument)
#include "tst_referencedocument.moc"
