// Importing the office's Access database: every value of the shipped Jet 3 and Jet 4 files,
// what the import keeps, creates and lists for review, decoded texts, every refusal with
// nothing left behind, the progress; the first start that runs it, and the command.
#include "../db/DbTestSupport.h"

#include "chart/ImportacionInicial.h"
#include "chart/Ventanas.h"
#include "db/DataFolder.h"
#include "import/FirstStart.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro;
using importing::importAccessDatabase;
using importing::ImportSummary;
using platform::MessageBox;

namespace {

/// Runs jetwriter/jetfiles.py (see its usage) with `arguments`, `input` on its standard input;
/// a failure fails the test. Returns its standard output.
QByteArray runJetFiles(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 QStringList{QFINDTESTDATA("jetwriter/jetfiles.py")} + arguments);
    python.write(input);
    python.closeWriteChannel();
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0)
        QTest::qFail("jetfiles.py failed: " + python.readAllStandardError(), __FILE__, __LINE__);
    return python.readAllStandardOutput();
}

/// A table of a jetfiles.py layout, its columns as "name:type" words ("CODIGO:text Orden:long").
QJsonObject accessTable(const QString& name, const QString& columns, const QList<QJsonArray>& rows)
{
    QJsonArray declared;
    for (const QString& column : columns.split(QLatin1Char(' ')))
        declared.append(QJsonArray::fromStringList(column.split(QLatin1Char(':'))));
    QJsonArray values;
    for (const QJsonArray& row : rows)
        values.append(row);
    return {{"name", name}, {"columns", declared}, {"rows", values}};
}

/// Writes an Access file ("jet3" or "jet4") holding `tables`; `options` as jetfiles.py takes.
void writeAccessFile(const QString& path, const QString& version, const QJsonArray& tables,
                     const QStringList& options = {})
{
    runJetFiles(QStringList{"write", version, path} + options,
                QJsonDocument(QJsonObject{{"tables", tables}}).toJson());
}

QString fixturePath(const QString& version)
{
    return QFINDTESTDATA(QStringLiteral("data/vemtaro-%1.mdb").arg(version));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The first column of each row `sql` gives in the SQLite file at `path`, or the engine's error.
QStringList query(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QStringList rows;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        rows.append(QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db)));
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        rows.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

/// The rows of `table` in the SQLite file at `path`, in key order, each a line of its `columns`
/// as SQL literals, which tell the storage class: "'10' | 10 | 7.5 | NULL | X'0AFF'".
QStringList storedRows(const QString& path, const QString& table, const QStringList& columns)
{
    return query(path, QStringLiteral("SELECT quote(\"%1\") FROM \"%2\" ORDER BY id")
                           .arg(columns.join(QStringLiteral("\") || ' | ' || quote(\"")), table));
}

/// Checks that `database` holds the rows of the layout `table` (of text, memo and long columns)
/// as the import stores their values: JSON tells texts from numbers and from null.
void compareStored(const QString& database, const QJsonObject& table)
{
    QStringList columns;
    for (const QJsonValue& column : table[QStringLiteral("columns")].toArray())
        columns.append(QStringLiteral("\"%1\"").arg(column[0].toString()));
    const QStringList stored =
        query(database,
              QStringLiteral("SELECT json_group_array(json_array(%1)) FROM (SELECT * "
                             "FROM \"%2\" ORDER BY id)")
                  .arg(columns.join(QLatin1Char(',')), table[QStringLiteral("name")].toString()));
    QCOMPARE(QJsonDocument::fromJson(stored.value(0).toUtf8()).array(),
             table[QStringLiteral("rows")].toArray());
}

QJsonArray twoTables()
{
    QList<QJsonArray> cuentas;
    for (int i = 0; i < 40; ++i)
        cuentas.append(
            QJsonArray{QString::number(1000 + i),
                       i % 3 ? QJsonValue(QStringLiteral("Observación %1 ").arg(i).repeated(i * 9))
                             : QJsonValue()});
    return {accessTable("vemtaro", "CODIGO:text OBSERVACIONES:memo", cuentas),
            accessTable("extendido", "Ord:long Descripcion:text",
                        {QJsonArray{1, "SILLA"}, QJsonArray{2, QJsonValue()}})};
}

} // namespace

class TestImportacion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_source = m_home->filePath(QStringLiteral("anterior.mdb"));
        m_database = m_home->filePath(QStringLiteral("cuentas.sqlite"));
        qputenv("XDG_DATA_HOME", m_home->path().toUtf8());
        QVERIFY(QDir().mkpath(db::dataFolder()));
        prepararAplicacion();
        MessageBox::setRecording(true);
    }

    void fixturesArriveValueByValue_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("format");
        QTest::addRow("jet3") << QStringLiteral("jet3") << QStringLiteral("Access 97 (Jet 3)");
        QTest::addRow("jet4") << QStringLiteral("jet4")
                              << QStringLiteral("Access 2000-2003 (Jet 4)");
    }

    void fixturesArriveValueByValue()
    {
        QFETCH(QString, version);
        QFETCH(QString, format);
        // A program stopped while it had a former file of that name open, and its log stayed:
        // it must not be applied to the new file.
        const QString former = m_home->filePath(QStringLiteral("anterior.sqlite"));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(former).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                              "CREATE TABLE vemtaro (id INTEGER PRIMARY KEY, CODIGO TEXT);"
                              "INSERT INTO vemtaro (CODIGO) VALUES ('viejo');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(QFile::copy(former + "-wal", m_database + "-wal"));
        QVERIFY(QFile::copy(former + "-shm", m_database + "-shm"));
        sqlite3_close(db);

        QList<importing::ImportProgress> told;
        const ImportSummary summary = importAccessDatabase(
            fixturePath(version), m_database, [&told](const importing::ImportProgress& progress) {
                told.append(progress);
                return true;
            });
        for (const QJsonValue& table : QJsonDocument::fromJson(runJetFiles({"fixture-data"}))
                                           .object()[QStringLiteral("tables")]
                                           .toArray())
            compareStored(m_database, table.toObject());
        QCOMPARE(summary.text(),
                 QStringLiteral("Se importó «%1», %2.\n\nFilas importadas por tabla:\n  vemtaro: "
                                "500\n  extendido: 3000\n  CODIGO: 61\n  RUBRO: 21\n  vidaUtil: 5\n"
                                "\nGuardado además del diseño:\n  nada\n\nPara revisar:\n  nada\n")
                     .arg(fixturePath(version), format));

        // The progress tells each table from its first row to its last, never more than a few
        // hundred rows apart.
        QStringList tables;
        for (int i = 0; i < told.size(); ++i) {
            const auto& now = told[i];
            const bool starts = i == 0 || told[i - 1].table != now.table;
            const bool ends = i + 1 == told.size() || told[i + 1].table != now.table;
            if (starts)
                tables.append(now.table);
            QCOMPARE(now.tableRows, starts ? 0 : ends ? now.tableTotal : now.tableRows);
            QVERIFY(i == 0 || (now.rows >= told[i - 1].rows && now.rows - told[i - 1].rows <= 512));
            QCOMPARE(now.total, 3587LL);
        }
        QCOMPARE(tables, QStringList({"vemtaro", "extendido", "CODIGO", "RUBRO", "vidaUtil"}));
        QCOMPARE(told.last().rows, 3587LL);
    }

    void extrasKeptGapsCreatedOddValuesListed_data() { fixturesArriveValueByValue_data(); }

    void extrasKeptGapsCreatedOddValuesListed()
    {
        QFETCH(QString, version);
        const QString longNote = QStringLiteral("Nota larga de la cuenta. ").repeated(200);
        QJsonArray photo;
        QByteArray photoBytes;
        for (int i = 0; i < 6000; ++i) {
            photo.append((i * 7) % 256);
            photoBytes.append(char(i * 7));
        }
        const QJsonValue null;
        writeAccessFile(
            m_source, version,
            {accessTable(
                 "VEMTARO", "codigo:text Id:long Descripcion:text Vida_Util:text Notas:memo",
                 {QJsonArray{"101", 7, "SILLAS", "10", "primera"},
                  QJsonArray{"102", 8, null, "diez", null}, QJsonArray{"103", 9, "", "", ""},
                  QJsonArray{"104", 10, "MESAS", null, longNote},
                  QJsonArray{"105", 11, "ARCHIVOS", "7.5", "x"}}),
             accessTable(
                 "Proveedores",
                 "Nombre:text Activo:boolean Nivel:byte Saldo:int Cuenta:long Tasa:single "
                 "Monto:double Alta:datetime Firma:binary Foto:ole id:text",
                 {QJsonArray{"Ñandú S.A.", true, 255, -5, 2147483647, 1.5, -2.25, 36526.5,
                             QJsonArray{0, 1, 255}, photo, "P-1"},
                  QJsonArray{null, false, null, null, null, null, null, null, null, null, null},
                  QJsonArray{"", false, 0, 0, 0, 0.0, 0.0, 0.0, QJsonArray(), QJsonArray(), ""}}),
             accessTable("sqlite_notas", "Nota:text", {QJsonArray{"del motor"}}),
             // The program keeps its change history in a table of this name.
             accessTable("Historial", "Fecha:text Nota:text",
                         {QJsonArray{"1999-01-01", "alta de muebles"}}),
             accessTable("codigo", "Codigo:binary", {QJsonArray{QJsonArray{65}}, QJsonArray{null}}),
             accessTable("Extendido", "Ord:long Codigo:text Clase:text Descripcion:text",
                         {QJsonArray{1, "E1", "Muebles", "SILLA"}})});

        const ImportSummary summary = importAccessDatabase(m_source, m_database);

        // The design's fields first, in its order and spelling, the old file's extras after.
        QCOMPARE(query(m_database, "SELECT group_concat(name, ' ') FROM (SELECT name FROM "
                                   "pragma_table_info('vemtaro') ORDER BY cid)"),
                 QStringList{"id CODIGO CLASE DESCRIPCION RUBRO VIDA_UTIL OBSERVACIONES "
                             "Id_anterior Notas"});
        QCOMPARE(storedRows(m_database, "vemtaro",
                            {"CODIGO", "CLASE", "DESCRIPCION", "VIDA_UTIL", "OBSERVACIONES",
                             "Id_anterior", "Notas"}),
                 QStringList({"'101' | NULL | 'SILLAS' | 10 | NULL | 7 | 'primera'",
                              "'102' | NULL | NULL | 'diez' | NULL | 8 | NULL",
                              "'103' | NULL | '' | '' | NULL | 9 | ''",
                              "'104' | NULL | 'MESAS' | NULL | NULL | 10 | '" + longNote + "'",
                              "'105' | NULL | 'ARCHIVOS' | 7.5 | NULL | 11 | 'x'"}));
        QCOMPARE(
            storedRows(m_database, "Proveedores",
                       {"Nombre", "Activo", "Nivel", "Saldo", "Cuenta", "Tasa", "Monto", "Alta",
                        "Firma", "id_anterior"}),
            QStringList({"'Ñandú S.A.' | 1 | 255 | -5 | 2147483647 | 1.5 | -2.25 | "
                         "'2000-01-01 12:00:00' | X'0001FF' | 'P-1'",
                         "NULL | 0 | NULL | NULL | NULL | NULL | NULL | NULL | NULL | NULL",
                         "'' | 0 | 0 | 0 | 0 | 0.0 | 0.0 | '1899-12-30 00:00:00' | X'' | ''"}));
        QCOMPARE(storedRows(m_database, "Proveedores", {"Foto"}),
                 (QStringList{"X'" + photoBytes.toHex().toUpper() + "'", "NULL", "X''"}));
        QCOMPARE(storedRows(m_database, "tabla_sqlite_notas", {"Nota"}),
                 QStringList{"'del motor'"});
        QCOMPARE(storedRows(m_database, "Historial_anterior", {"Fecha", "Nota"}),
                 QStringList{"'1999-01-01' | 'alta de muebles'"});

        QVERIFY(summary.text().contains(
            "\nFilas importadas por tabla:\n  vemtaro: 5\n  extendido: 1\n  CODIGO: 2\n  RUBRO: 0\n"
            "  vidaUtil: 0\n  Proveedores: 3\n  tabla_sqlite_notas: 1\n  Historial_anterior: "
            "1\n\n"));
        QCOMPARE(summary.kept, QStringList({"el campo «Id_anterior» de la tabla «vemtaro»",
                                            "el campo «Notas» de la tabla «vemtaro»",
                                            "la tabla «Proveedores», con 3 filas",
                                            "la tabla «tabla_sqlite_notas», con 1 fila",
                                            "la tabla «Historial_anterior», con 1 fila"}));
        QCOMPARE(
            summary.toReview,
            QStringList({
                "el campo «Id» de la tabla «vemtaro» se guardó como «Id_anterior», porque "
                "«id» es la clave de cada fila",
                "el campo «CLASE» de la tabla «vemtaro» no estaba en el archivo; se creó "
                "vacío",
                "el campo «RUBRO» de la tabla «vemtaro» no estaba en el archivo; se creó "
                "vacío",
                "el campo «OBSERVACIONES» de la tabla «vemtaro» no estaba en el archivo; se creó "
                "vacío",
                "vemtaro, fila 2: VIDA_UTIL es «diez», que no es un número entero",
                "vemtaro, fila 3: VIDA_UTIL es «», que no es un número entero",
                "vemtaro, fila 5: VIDA_UTIL es «7.5», que no es un número entero",
                "el campo «id» de la tabla «Proveedores» se guardó como «id_anterior», "
                "porque «id» es la clave de cada fila",
                "la tabla «sqlite_notas» se guardó como «tabla_sqlite_notas», porque los "
                "nombres que empiezan por «sqlite_» son del motor de la base de datos",
                "la tabla «Historial» se guardó como «Historial_anterior», porque «historial» es "
                "el historial de cambios de vemtaro",
                "CODIGO, fila 1: CODIGO es datos binarios, que no es un texto",
                "la tabla «RUBRO» no estaba en el archivo; se creó vacía",
                "la tabla «vidaUtil» no estaba en el archivo; se creó vacía",
            }));
        // The summary cuts a long review list, saying how much it left out.
        const QString shortText = summary.text(3);
        QVERIFY(shortText.contains(summary.toReview[2]));
        QVERIFY(!shortText.contains(summary.toReview[3]));
        QVERIFY(shortText.contains(QStringLiteral("… y 10 más")));
    }

    void textsDecodedFromTheirEncoding_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("texts");
        const QString longText = QStringLiteral("Счёт основных средств; ").repeated(400);
        const auto fila = [](const char* name, const char* version, const QStringList& options,
                             const QStringList& texts) {
            QTest::newRow(name) << version << options << texts;
        };
        fila("Jet 3, cp1251", "jet3", {"--codepage", "cp1251"}, {"Ёлка", "Счёт", "", longText});
        fila("Jet 3, cp1250", "jet3", {"--codepage", "cp1250"},
             {"Łódź", "Žluťoučký kůň", "ő", "Ą"});
        fila("Jet 4, compressed", "jet4", {"--compress"},
             {"Ñandú", "Año útil ¿sí?", "Ñandú 日本 y más", "",
              QStringLiteral("Depreciación de muebles; ").repeated(300),
              QStringLiteral("日本 Año ").repeated(500)});
        fila("Jet 3 with a password", "jet3", {"--password", "clave"}, {"Muebles", "Año"});
        fila("Jet 4 with a password", "jet4", {"--password", "contraseña"}, {"日本", "Año"});
    }

    void textsDecodedFromTheirEncoding()
    {
        QFETCH(QString, version);
        QFETCH(QStringList, options);
        QFETCH(QStringList, texts);
        QList<QJsonArray> rows;
        for (const QString& text : texts)
            rows.append(QJsonArray{text.left(255), text, QJsonValue()});
        const QJsonObject table =
            accessTable("vemtaro", "DESCRIPCION:text OBSERVACIONES:memo RUBRO:text", rows);
        writeAccessFile(m_source, version, {table}, options);
        importAccessDatabase(m_source, m_database);
        compareStored(m_database, table);
    }

    void failureLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<qint64>("size"); ///< cut to this size; -1 removes it, -2 keeps it
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QByteArray>("bytes"); ///< written over the file at `offset`
        QTest::addColumn<QString>("option");   ///< "password", or "stop" midway
        const auto fila = [](const char* name, const char* reason, qint64 size, qint64 offset = 0,
                             const QByteArray& bytes = {}, const char* option = "") {
            QTest::newRow(name) << reason << size << offset << bytes << option;
        };
        const char* const damaged = "el archivo está dañado o incompleto";
        fila("a text file", "no es un archivo de Access", 0, 0, "Cuentas del año 1998\n");
        fila("an empty file", "no es un archivo de Access", 0);
        fila("no file", "no se puede abrir el archivo", -1);
        fila("cut within a page", damaged, 5 * 4096 + 100);
        fila("an unknown version", "es de una versión de Access que este programa no sabe leer", -2,
             0x14, QByteArray("\x09", 1));
        // Page 2 holds the definition of the catalog table.
        fila("an unreadable catalog, a password", "está cifrado con contraseña", -2, 2 * 4096,
             QByteArray(4096, '\x5a'), "password");
        fila("an unreadable catalog", damaged, -2, 2 * 4096, QByteArray(4096, '\x5a'));
        // The writer puts the table definitions after the header page, the global map and the
        // four system tables: the second table's is page 7.
        fila("an unreadable table", "no se puede leer la tabla «extendido»", -2, 7 * 4096,
             QByteArray(4096, '\0'));
        fila("stopped midway", "se interrumpió la importación", -2, 0, {}, "stop");
    }

    void failureLeavesNothingBehind()
    {
        QFETCH(QString, reason);
        QFETCH(qint64, size);
        QFETCH(qint64, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, option);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("VemtaroCtasPres.mdb"));
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        writeAccessFile(source, QStringLiteral("jet4"), twoTables(),
                        option == "password" ? QStringList{"--password", "x"} : QStringList());
        QFile file(source);
        QVERIFY(size == -1 ? file.remove() : size == -2 || file.resize(size));
        if (!bytes.isEmpty()) {
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(offset));
            QCOMPARE(file.write(bytes), bytes.size());
            file.close();
        }
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray sourceBefore = contents(source);
        const QByteArray databaseBefore = contents(database);
        const QString said = refusal([&] {
            importAccessDatabase(source, database, [&](const importing::ImportProgress& progress) {
                return option != "stop" || progress.rows < 20;
            });
        });
        QVERIFY2(
            said.startsWith(QStringLiteral("No se pudo importar «%1»: %2").arg(source, reason)),
            qPrintable(said));
        QVERIFY(said.endsWith(QStringLiteral("No se creó la base de datos «%1», y el archivo de "
                                             "Access no se modificó.")
                                  .arg(database)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
        QCOMPARE(contents(source), sourceBefore);
        QCOMPARE(contents(database), databaseBefore);
    }

    void everyCutAtAPageFails_data() { fixturesArriveValueByValue_data(); }

    // A file cut short at a page loses a table's rows, long texts, or the catalog: never may
    // the import go through without them.
    void everyCutAtAPageFails()
    {
        QFETCH(QString, version);
        const int pageSize = version == "jet3" ? 2048 : 4096;
        const QString whole = m_home->filePath(QStringLiteral("entero.mdb"));
        const QString source = m_home->filePath(QStringLiteral("cortado.mdb"));
        writeAccessFile(whole, version, twoTables());
        const qint64 pages = QFileInfo(whole).size() / pageSize;
        QVERIFY(pages > 10);
        for (qint64 kept = 1; kept < pages; ++kept) {
            QFile::remove(source);
            QVERIFY(QFile::copy(whole, source));
            QVERIFY(QFile::resize(source, kept * pageSize));
            const QString said = refusal([&] { importAccessDatabase(source, m_database); });
            QVERIFY2(
                said.contains(QStringLiteral("dañado o incompleto")),
                qPrintable(QStringLiteral("%1 of %2 pages: %3").arg(kept).arg(pages).arg(said)));
            QVERIFY(!QFile::exists(m_database));
        }
        importAccessDatabase(whole, m_database);
        compareStored(m_database, twoTables()[0].toObject());
    }

    void theFirstStartImportsTheOfficeAccountsOnce()
    {
        // Copied from Windows, the name may come in capitals. Of its 23 lines to review (four
        // fields and four tables created empty, fifteen values) the box shows fifteen.
        const QString mdb = QDir(db::dataFolder()).filePath(QStringLiteral("VEMTAROCTASPRES.MDB"));
        QList<QJsonArray> rows;
        for (int i = 0; i < 30; ++i)
            rows.append(QJsonArray{QString::number(i), i % 2 ? "diez" : "10"});
        writeAccessFile(mdb, QStringLiteral("jet4"),
                        {accessTable("vemtaro", "CODIGO:text VIDA_UTIL:text", rows)});
        const QByteArray before = contents(mdb);

        // Damaged, it stops the start: never the sample chart instead, at this start or the next.
        QVERIFY(QFile::resize(mdb, before.size() - 100));
        for (int start = 0; start < 2; ++start) {
            const QString said = refusal(prepararCarpetaDeDatos);
            QVERIFY2(
                said.startsWith(
                    QStringLiteral("No se pudo importar «%1»: el archivo está dañado").arg(mdb)),
                qPrintable(said));
            QCOMPARE(QDir(db::dataFolder()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"VEMTAROCTASPRES.MDB"});
            QCOMPARE(contents(mdb), before.left(before.size() - 100));
            QCOMPARE(MessageBox::takeShown().size(), 0);
        }
        QFile whole(mdb);
        QVERIFY(whole.open(QIODevice::WriteOnly) && whole.write(before) == before.size());
        whole.close();

        prepararCarpetaDeDatos();
        const QByteArray summary = contents(importing::summaryPath());
        const ImportSummary hecho = importAccessDatabase(mdb, m_home->filePath("otra.sqlite"));
        QCOMPARE(QString::fromUtf8(summary), hecho.text(-1));
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].prompt, hecho.text(15) + QStringLiteral("\nEste resumen está también en "
                                                                  "«%1».")
                                                       .arg(importing::summaryPath()));
        QCOMPARE(contents(mdb), before);
        QCOMPARE(query(db::databasePath(), "SELECT count(*) FROM vemtaro"), QStringList{"30"});

        // Later starts import nothing again and keep the clerk's changes.
        query(db::databasePath(), "DELETE FROM vemtaro WHERE id = 1");
        prepararCarpetaDeDatos();
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(query(db::databasePath(), "SELECT count(*) FROM vemtaro"), QStringList{"29"});
        QCOMPARE(contents(importing::summaryPath()), summary);
    }

    void theFirstStartsDialogAppearsOnlyForALongImport()
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
        QCOMPARE(QPair(dialogo.value(), dialogo.maximum()), QPair(10000, 100000));
        auto* cancelar = dialogo.findChild<QPushButton*>();
        QCOMPARE(cancelar->text(), QStringLiteral("Cancelar"));
        QTest::mouseClick(cancelar, Qt::LeftButton);
        QVERIFY(!dialogo.avanzar(progress));
    }

    void theCommandImportsOrSaysWhyNot()
    {
        const auto importar = [](const QStringList& arguments) {
            QProcess command;
            command.start(QStringLiteral(VEMTARO_IMPORTAR), arguments);
            command.waitForFinished(60000);
            const bool ended = command.exitStatus() == QProcess::NormalExit;
            return QStringList{QString::number(ended ? command.exitCode() : -1),
                               QString::fromUtf8(command.readAllStandardOutput()),
                               QString::fromUtf8(command.readAllStandardError())};
        };
        const QString source = fixturePath(QStringLiteral("jet3"));
        const QString database = m_home->filePath(QStringLiteral("nueva.sqlite"));
        QCOMPARE(
            importar({source, database}),
            (QStringList{"0", importAccessDatabase(source, m_home->filePath("otra.sqlite")).text(),
                         ""}));
        const QByteArray written = contents(database);

        // Refusals go to the error stream, and touch nothing.
        const QString notAccess = QFINDTESTDATA("jetwriter/README.md");
        const QString fails = QStringLiteral("No se pudo importar «%1»: ");
        const QString usage = QStringLiteral("Uso: vemtaro-importar ORIGEN.mdb DESTINO.sqlite\n");
        const std::tuple<QStringList, int, QString> refusals[] = {
            {{notAccess, m_home->filePath("otra2.sqlite")},
             1,
             fails.arg(notAccess) + "no es un archivo de Access."},
            {{source, database}, 1, fails.arg(source) + "ya existe «" + database + "»"},
            {{notAccess}, 2, usage},
            {{notAccess, database, database}, 2, usage}};
        for (const auto& [arguments, status, said] : refusals) {
            const QStringList run = importar(arguments);
            QCOMPARE(run.mid(0, 2), (QStringList{QString::number(status), ""}));
            QVERIFY2(run[2].startsWith(said), qPrintable(run[2]));
        }
        QCOMPARE(contents(database), written);
        QCOMPARE(QDir(m_home->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"nueva.sqlite", "otra.sqlite"}));
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_source;   ///< an Access file a test writes
    QString m_database; ///< the database a test imports into
};

QTEST_MAIN(TestImportacion)
#include "tst_importacion.moc"
