// Loading the reference document from its file, the failures explained in its place, and
// the default document written into a new data folder.
#include "RtfTestSupport.h"

#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DefaultData.h"
#include "references/ReferenceDocument.h"
#include "references/RtfReader.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextTable>
#include <sqlite3.h>

using namespace vemtaro::references;
using namespace vemtaro::references::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

namespace {

/// The useful lives the default chart gives the sub-accounts of `cuenta` under `rubro`.
QStringList storedLives(const vemtaro::db::Connection& chart, const QString& cuenta,
                        const QString& rubro)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(chart.handle(),
                       "SELECT DISTINCT VIDA_UTIL FROM vemtaro WHERE CODIGO = ?1 AND RUBRO = ?2",
                       -1, &stmt, nullptr);
    const QByteArray code = cuenta.toUtf8();
    const QByteArray name = rubro.toUtf8();
    sqlite3_bind_text(stmt, 1, code.constData(), -1, SQLITE_STATIC);
    sqlite3_bind_text(stmt, 2, name.constData(), -1, SQLITE_STATIC);
    QStringList lives;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        lives << QString::number(sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
    return lives;
}

} // namespace

class TestReferenceDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void loadsRtf();
    void failuresAreExplained_data();
    void failuresAreExplained();
    void defaultDocumentIsWrittenWhenMissing();
    void existingFileIsNeverReplaced();
    void defaultDocumentIsAGenuineReference();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestReferenceDocument::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("XDG_DATA_HOME", dir_->path().toLocal8Bit());
}

void TestReferenceDocument::loadsRtf()
{
    const QString path = dir_->filePath(QStringLiteral("referencias.rtf"));
    writeFile(path, "{\\rtf1\\ansi Cap\\'edtulo uno}");
    QTextDocument document;
    QVERIFY(loadReferenceDocument(path, document));
    QCOMPARE(document.toPlainText(), QStringLiteral("Capítulo uno"));
}

void TestReferenceDocument::failuresAreExplained_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file; "dir": a folder
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << "referencias.rtf" << QByteArray() << "El archivo no existe.";
    QTest::newRow("a folder") << "carpeta.rtf" << QByteArray("dir")
                              << "La ruta indicada es una carpeta, no un archivo.";
    QTest::newRow("plain text") << "texto.rtf" << QByteArray("Esto no es RTF.")
                                << "El archivo no está en formato RTF (Rich Text Format).";
    QTest::newRow("empty") << "vacio.rtf" << QByteArray("")
                           << "El archivo no está en formato RTF (Rich Text Format).";
    QTest::newRow("binary") << "basura.rtf" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11)
                            << "El archivo no está en formato RTF (Rich Text Format).";
}

void TestReferenceDocument::failuresAreExplained()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = dir_->filePath(name);
    if (content == "dir")
        QVERIFY(QDir().mkpath(path));
    else if (!content.isNull())
        writeFile(path, content);

    QTextDocument document;
    document.setPlainText(QStringLiteral("previous"));
    QVERIFY(!loadReferenceDocument(path, document));
    const QString text = document.toPlainText();
    QVERIFY2(text.startsWith(QStringLiteral("No se puede mostrar el documento de referencias.")),
             qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Archivo: ") + QDir::toNativeSeparators(path)),
             qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("previous")));
}

void TestReferenceDocument::defaultDocumentIsWrittenWhenMissing()
{
    const QString path = dir_->filePath(QStringLiteral("nueva/carpeta/referencias.rtf"));
    QVERIFY(ensureDefaultDocument(path));
    QCOMPARE(fileBytes(path), defaultDocumentRtf());
    QVERIFY(QFile::permissions(path) & QFileDevice::ReadOther);
    // Nothing but the document is left in the folder.
    QCOMPARE(QDir(QFileInfo(path).absolutePath())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("referencias.rtf")});
}

void TestReferenceDocument::existingFileIsNeverReplaced()
{
    const QString path = dir_->filePath(QStringLiteral("referencias.rtf"));
    writeFile(path, "{\\rtf1 own document}");
    QVERIFY(ensureDefaultDocument(path));
    QCOMPARE(fileBytes(path), QByteArray("{\\rtf1 own document}"));
    writeFile(path, "not even RTF");
    QVERIFY(ensureDefaultDocument(path));
    QCOMPARE(fileBytes(path), QByteArray("not even RTF"));
}

void TestReferenceDocument::defaultDocumentIsAGenuineReference()
{
    const QByteArray rtf = defaultDocumentRtf();
    QVERIFY(rtf.size() > 10000);
    QVERIFY(rtf.endsWith("}\r\n"));
    const auto document = read(rtf);
    const QString text = document->toPlainText();
    for (const char* expected :
         {"Códigos de cuenta y de subcuenta", "cuatro cifras", "subcuenta 99",
          "Rubros y vidas útiles", "línea recta", "999,00", "99,90", "10,00 %", "499,50", "El alta",
          "La baja", "P − R", "Consulta de Amortizaciones"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

    // The rubro table: a header row and one row a rubro, with their useful lives.
    const auto found = tables(*document);
    QCOMPARE(found.size(), 2);
    QTextTable* rubros = found.first();
    QCOMPARE(rubros->columns(), 4);
    QCOMPARE(cellText(rubros, 0, 0), QStringLiteral("Rubro"));
    QVERIFY(rubros->format().border() > 0);
    // Each row names an account of the default chart with its rubro, and the useful lives
    // it gives are ones that account's sub-accounts use there.
    qputenv("XDG_DATA_HOME", dir_->path().toUtf8());
    vemtaro::db::ensureDefaultDatabase();
    const auto chart = vemtaro::db::Connection::open(vemtaro::db::databasePath());
    for (int row = 1; row < rubros->rows(); ++row) {
        const QString rubro = cellText(rubros, row, 0);
        const QString cuentas = cellText(rubros, row, 1); // "1903", "1101 – 1102", "1901, 1904"
        QStringList used;
        static const QRegularExpression code(QStringLiteral("\\d{4}"));
        for (auto match = code.globalMatch(cuentas); match.hasNext();)
            used += storedLives(*chart, match.next().captured(), rubro);
        QVERIFY2(!used.isEmpty(), qPrintable(cuentas + QLatin1Char(' ') + rubro));
        for (const QString& life : cellText(rubros, row, 2).split(QStringLiteral(" o ")))
            QVERIFY2(used.contains(life), qPrintable(rubro + QStringLiteral(": ") + life));
    }

    // The worked example's table gives the calculator's figures.
    QTextTable* example = found.at(1);
    QMap<QString, QString> results;
    for (int row = 1; row < example->rows(); ++row)
        results.insert(cellText(example, row, 0), cellText(example, row, 2));
    QCOMPARE(results.value(QStringLiteral("Valor residual estimado")), QStringLiteral("1,00"));
    QCOMPARE(results.value(QStringLiteral("Valor amortizable")), QStringLiteral("999,00"));
    QCOMPARE(results.value(QStringLiteral("Años transcurridos de uso")), QStringLiteral("5"));
    QCOMPARE(results.value(QStringLiteral("Cuota de amortización")), QStringLiteral("99,90"));
    QCOMPARE(results.value(QStringLiteral("Alícuota")), QStringLiteral("10,00 %"));
    QCOMPARE(results.value(QStringLiteral("Amortización acumulada al cierre")),
             QStringLiteral("499,50"));
    QCOMPARE(results.value(QStringLiteral("Valor residual al cierre del ejercicio")),
             QStringLiteral("499,50"));

    // Headings are bold and larger than the text; the lists are bulleted.
    const QTextCharFormat heading = formatOf(*document, QStringLiteral("4. Alta y baja"));
    QCOMPARE(heading.fontWeight(), int(QFont::Bold));
    QVERIFY(heading.fontPointSize() >
            formatOf(*document, QStringLiteral("la compra")).fontPointSize());
    QVERIFY(text.contains(QStringLiteral("\u2022\tla compra;")));
}

QTEST_MAIN(TestReferenceDocument)
#include "tst_referencedocument.moc"
