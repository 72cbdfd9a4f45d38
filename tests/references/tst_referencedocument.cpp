// Loading the reference document from its file, the failures explained in its place, and
// the default document written into a new data folder.
#include "RtfTestSupport.h"

#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DefaultData.h"
#include "references/ReferenceDocument.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextTable>
#include <sqlite3.h>

using namespace vemtaro::references;
using namespace vemtaro::references::test;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The useful lives of the default chart, by "cuenta rubro" of its sub-accounts.
QMultiHash<QString, QString> defaultChartLives()
{
    vemtaro::db::ensureDefaultDatabase();
    const auto chart = vemtaro::db::Connection::open(vemtaro::db::databasePath());
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(chart->handle(),
                       "SELECT DISTINCT CODIGO || ' ' || RUBRO, VIDA_UTIL FROM vemtaro", -1, &stmt,
                       nullptr);
    QMultiHash<QString, QString> lives;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        lives.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
                     QString::number(sqlite3_column_int(stmt, 1)));
    sqlite3_finalize(stmt);
    return lives;
}

} // namespace

class TestReferenceDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void loads_data();
    void loads();
    void defaultDocumentOnlyWhereNoneIs();
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

void TestReferenceDocument::loads_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file; "dir": a folder
    QTest::addColumn<QString>("reason");     // empty: the document is shown

    const QString notRtf = QStringLiteral("El archivo no está en formato RTF (Rich Text Format).");
    QTest::newRow("rtf") << QByteArray("{\\rtf1\\ansi Cap\\'edtulo uno}") << QString();
    QTest::newRow("missing") << QByteArray() << "El archivo no existe.";
    QTest::newRow("a folder") << QByteArray("dir")
                              << "La ruta indicada es una carpeta, no un archivo.";
    QTest::newRow("plain text") << QByteArray("Esto no es RTF.") << notRtf;
    QTest::newRow("empty") << QByteArray("") << notRtf;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << notRtf;
}

void TestReferenceDocument::loads()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = dir_->filePath(QStringLiteral("referencias.rtf"));
    if (content == "dir")
        QVERIFY(QDir().mkpath(path));
    else if (!content.isNull())
        writeFile(path, content);

    QTextDocument document;
    document.setPlainText(QStringLiteral("previous"));
    QCOMPARE(loadReferenceDocument(path, document), reason.isEmpty());
    const QString text = document.toPlainText();
    if (reason.isEmpty()) {
        QCOMPARE(text, QStringLiteral("Capítulo uno"));
        return;
    }
    QVERIFY2(text.startsWith(QStringLiteral("No se puede mostrar el documento de referencias.")),
             qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Archivo: ") + QDir::toNativeSeparators(path)),
             qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("previous")));
}

void TestReferenceDocument::defaultDocumentOnlyWhereNoneIs()
{
    const QString path = dir_->filePath(QStringLiteral("nueva/carpeta/referencias.rtf"));
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

void TestReferenceDocument::defaultDocumentIsAGenuineReference()
{
    const auto document = read(defaultDocumentRtf());
    const QString text = document->toPlainText();
    for (const char* expected :
         {"Códigos de cuenta y de subcuenta", "cuatro cifras", "subcuenta 99",
          "Rubros y vidas útiles", "línea recta", "El alta", "La baja", "P − R",
          "Consulta de Amortizaciones", "\u2022\tla compra;"})
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
    const auto chartLives = defaultChartLives();
    for (int row = 1; row < rubros->rows(); ++row) {
        const QString rubro = cellText(rubros, row, 0);
        const QString cuentas = cellText(rubros, row, 1); // "1903", "1101 – 1102", "1901, 1904"
        QStringList used;
        static const QRegularExpression code(QStringLiteral("\\d{4}"));
        for (auto match = code.globalMatch(cuentas); match.hasNext();)
            used += chartLives.values(match.next().captured() + u' ' + rubro);
        QVERIFY2(!used.isEmpty(), qPrintable(cuentas + QLatin1Char(' ') + rubro));
        for (const QString& life : cellText(rubros, row, 2).split(QStringLiteral(" o ")))
            QVERIFY2(used.contains(life), qPrintable(rubro + QStringLiteral(": ") + life));
    }

    // The worked example's table gives the calculator's figures.
    QTextTable* example = found.at(1);
    QStringList results;
    for (int row = 1; row < example->rows(); ++row)
        results << cellText(example, row, 0) + QStringLiteral(": ") + cellText(example, row, 2);
    for (const char* expected : {"Valor residual estimado: 1,00", "Valor amortizable: 999,00",
                                 "Años transcurridos de uso: 5", "Cuota de amortización: 99,90",
                                 "Alícuota: 10,00 %", "Amortización acumulada al cierre: 499,50",
                                 "Valor residual al cierre del ejercicio: 499,50"})
        QVERIFY2(results.contains(QString::fromUtf8(expected)), expected);

    // Headings are bold and larger than the text.
    const QTextCharFormat heading = formatOf(*document, QStringLiteral("4. Alta y baja"));
    QCOMPARE(heading.fontWeight(), int(QFont::Bold));
    QVERIFY(heading.fontPointSize() >
            formatOf(*document, QStringLiteral("la compra")).fontPointSize());
}

QTEST_MAIN(TestReferenceDocument)
#include "tst_referencedocument.moc"
