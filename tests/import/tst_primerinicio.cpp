#include "ImportTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/ImportacionInicial.h"
#include "chart/Ventanas.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "import/FirstStart.h"
#include "platform/DataControl.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sqlite3.h>

using namespace vemtaro;
using platform::MessageBox;

namespace {

QString readUtf8(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void execute(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class TestPrimerInicio : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_home->path().toUtf8());
        QVERIFY(QDir().mkpath(db::dataFolder()));
        prepararAplicacion();
        MessageBox::setRecording(true);
        MessageBox::takeShown();
    }

    void importsTheOfficeAccountsOnce()
    {
        // Copied from Windows, the name may come in capitals.
        const QString mdb = QDir(db::dataFolder()).filePath(QStringLiteral("VEMTAROCTASPRES.MDB"));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("jet3")), mdb));
        const QByteArray before = checksum(mdb);

        prepararCarpetaDeDatos();
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        const QString summary = readUtf8(importing::summaryPath());
        QVERIFY(summary.startsWith(QStringLiteral("Se importó «%1»").arg(mdb)));
        QVERIFY(summary.contains(QStringLiteral("  vemtaro: 500\n")));
        QCOMPARE(shown[0].prompt, summary + QStringLiteral("\nEste resumen está también en «%1».")
                                                .arg(importing::summaryPath()));
        QCOMPARE(checksum(mdb), before);

        // The chart window opens on the office's own accounts, in their old order.
        std::unique_ptr<FrmConsulVemtaro> window(mostrarFrmConsulVemtaro());
        QVERIFY(window);
        QCOMPARE(window->dcdatos->caption(), QStringLiteral("Registro:1 de 500"));
        window.reset();

        // Later starts import nothing again and keep the clerk's changes.
        execute(db::databasePath(), "DELETE FROM vemtaro WHERE id = 1");
        prepararCarpetaDeDatos();
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(storedRows(db::databasePath(), QStringLiteral("vemtaro"), {"CODIGO"}).size(), 499);
        QCOMPARE(readUtf8(importing::summaryPath()), summary);
    }

    void aFailedImportLeavesNoDatabase()
    {
        const QString mdb = QDir(db::dataFolder()).filePath(QStringLiteral("VemtaroCtasPres.mdb"));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("jet4")), mdb));
        QVERIFY(QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::resize(mdb, 40000));
        const QByteArray before = checksum(mdb);
        // Never the sample chart instead, at this start or the next.
        for (int start = 0; start < 2; ++start) {
            try {
                prepararCarpetaDeDatos();
                QFAIL("the start went on");
            } catch (const db::DbError& error) {
                QVERIFY2(error.description().startsWith(
                             QStringLiteral("No se pudo importar «%1»: el archivo está dañado")
                                 .arg(mdb)),
                         qPrintable(error.description()));
            }
            QCOMPARE(QDir(db::dataFolder()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"VemtaroCtasPres.mdb"});
            QCOMPARE(checksum(mdb), before);
            QCOMPARE(MessageBox::takeShown().size(), 0);
        }
    }

    void theBoxCutsALongListTheFileKeepsIt()
    {
        QList<QJsonArray> rows;
        for (int i = 0; i < 30; ++i)
            rows.append(QJsonArray{QString::number(i), i % 2 ? "diez" : "10"});
        writeAccessFile(QDir(db::dataFolder()).filePath(QStringLiteral("VemtaroCtasPres.mdb")),
                        QStringLiteral("jet4"),
                        {accessTable(QStringLiteral("vemtaro"),
                                     {{"CODIGO", "text"}, {"VIDA_UTIL", "text"}}, rows)});
        importarBaseAnterior();
        const QString prompt = MessageBox::takeShown().value(0).prompt;
        const QString file = readUtf8(importing::summaryPath());
        const QString lastOdd =
            QStringLiteral("vemtaro, fila 30: VIDA_UTIL es «diez», que no es un número entero");
        QVERIFY(file.contains(lastOdd));
        QVERIFY(!prompt.contains(lastOdd));
        // Of 23 lines to review (four fields and four tables created empty, fifteen values)
        // the box shows fifteen.
        QVERIFY(prompt.contains(QStringLiteral("… y 8 más")));
        QVERIFY(prompt.endsWith(
            QStringLiteral("Este resumen está también en «%1».").arg(importing::summaryPath())));
    }

    void theDialogAppearsOnlyForALongImport()
    {
        DialogoImportacion dialogo;
        importing::ImportProgress progress{QStringLiteral("extendido"), 0, 100000, 0, 100000};
        QVERIFY(dialogo.avanzar(progress));
        progress.tableRows = progress.rows = 512;
        QVERIFY(dialogo.avanzar(progress));
        QVERIFY(!dialogo.isVisible());

        QTest::qWait(DialogoImportacion::esperaMs + 200);
        progress.tableRows = progress.rows = 10000;
        QVERIFY(dialogo.avanzar(progress));
        QVERIFY(dialogo.isVisible());
        QCOMPARE(dialogo.labelText(),
                 QStringLiteral("Importando la tabla «extendido»: fila 10000 de 100000"));
        QCOMPARE(dialogo.value(), 10000);
        QCOMPARE(dialogo.maximum(), 100000);

        auto* cancelar = dialogo.findChild<QPushButton*>();
        QVERIFY(cancelar);
        QCOMPARE(cancelar->text(), QStringLiteral("Cancelar"));
        QTest::mouseClick(cancelar, Qt::LeftButton);
        QVERIFY(!dialogo.avanzar(progress));
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

QTEST_MAIN(TestPrimerInicio)
#include "tst_primerinicio.moc"
