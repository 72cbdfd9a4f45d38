#include "ImportTestSupport.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordSet.h"
#include "import/Importer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro;
using importing::importAccessDatabase;
using importing::ImportSummary;

namespace {

using Rows = QList<std::pair<QString, qint64>>;

Rows rowsOf(const ImportSummary& summary)
{
    Rows rows;
    for (const auto& table : summary.tables)
        rows.append({table.table, table.rows});
    return rows;
}

/// The columns of `table` in the file, in their declared order, the row key left out.
QStringList declaredColumns(const QString& path, const QString& table)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* info = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1) WHERE name <> 'id' ORDER BY cid",
                       -1, &info, nullptr);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(info, 1, name.constData(), int(name.size()), SQLITE_STATIC);
    QStringList columns;
    while (sqlite3_step(info) == SQLITE_ROW)
        columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 0)));
    sqlite3_finalize(info);
    sqlite3_close(db);
    return columns;
}

void overwrite(const QString& path, qint64 offset, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(offset);
    file.write(bytes);
}

QJsonArray twoTables()
{
    QList<QJsonArray> cuentas;
    for (int i = 0; i < 40; ++i)
        cuentas.append(
            QJsonArray{QString::number(1000 + i),
                       i % 3 ? QJsonValue(QStringLiteral("Observación %1 ").arg(i).repeated(i * 9))
                             : QJsonValue()});
    return {accessTable(QStringLiteral("vemtaro"), {{"CODIGO", "text"}, {"OBSERVACIONES", "memo"}},
                        cuentas),
            accessTable(QStringLiteral("extendido"), {{"Ord", "long"}, {"Descripcion", "text"}},
                        {QJsonArray{1, "SILLA"}, QJsonArray{2, QJsonValue()}})};
}

} // namespace

class TestImportacion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixturesArriveValueByValue_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("format");
        QTest::newRow("Jet 3") << "jet3"
                               << "Access 97 (Jet 3)";
        QTest::newRow("Jet 4") << "jet4"
                               << "Access 2000-2003 (Jet 4)";
    }

    void fixturesArriveValueByValue()
    {
        QFETCH(QString, version);
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        const QByteArray before = checksum(fixturePath(version));
        const ImportSummary summary = importAccessDatabase(fixturePath(version), database);
        QCOMPARE(checksum(fixturePath(version)), before);
        // The data compared below is what the shipped file was written from.
        runJetFiles({QStringLiteral("fixture"), version, dir.filePath(QStringLiteral("x.mdb"))});
        QCOMPARE(checksum(dir.filePath(QStringLiteral("x.mdb"))), before);

        for (const QJsonValue& table : fixtureTables()) {
            const QString name = table[QStringLiteral("name")].toString();
            QCOMPARE(storedRows(database, name, columnNames(table.toObject())),
                     expectedRows(table.toObject()));
        }
        QCOMPARE(rowsOf(summary), (Rows{{"vemtaro", 500},
                                        {"extendido", 3000},
                                        {"CODIGO", 61},
                                        {"RUBRO", 21},
                                        {"vidaUtil", 5}}));
        QCOMPARE(summary.kept, QStringList());
        QCOMPARE(summary.toReview, QStringList());
        QCOMPARE(summary.format, format);

        // The windows read it as their own: nulls and empty texts apart.
        auto db = db::Connection::open(database);
        db::RecordSet records(*db);
        records.open(QStringLiteral("vidaUtil"));
        QCOMPARE(records.recordCount(), 5);
        const int conBlanco = records.fieldIndex(QStringLiteral("Vida Util"));
        QCOMPARE(records.value(4, conBlanco).toString(), QStringLiteral("cien (¡útil!)"));
        QVERIFY(records.value(2, conBlanco).isNull());
        QVERIFY(!records.value(3, conBlanco).isNull());
    }

    void extrasKeptGapsCreatedOddValuesListed_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("Jet 3") << "jet3";
        QTest::newRow("Jet 4") << "jet4";
    }

    void extrasKeptGapsCreatedOddValuesListed()
    {
        QFETCH(QString, version);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("anterior.mdb"));
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        const QString longNote = QStringLiteral("Nota larga de la cuenta. ").repeated(200);
        QJsonArray photo;
        for (int i = 0; i < 6000; ++i)
            photo.append((i * 7) % 256);
        writeAccessFile(
            source, version,
            {accessTable(QStringLiteral("VEMTARO"),
                         {{"codigo", "text"},
                          {"Id", "long"},
                          {"Descripcion", "text"},
                          {"Vida_Util", "text"},
                          {"Notas", "memo"}},
                         {QJsonArray{"101", 7, "SILLAS", "10", "primera"},
                          QJsonArray{"102", 8, QJsonValue(), "diez", QJsonValue()},
                          QJsonArray{"103", 9, "", "", ""},
                          QJsonArray{"104", 10, "MESAS", QJsonValue(), longNote},
                          QJsonArray{"105", 11, "ARCHIVOS", "7.5", "x"}}),
             accessTable(
                 QStringLiteral("Proveedores"),
                 {{"Nombre", "text"},
                  {"Activo", "boolean"},
                  {"Nivel", "byte"},
                  {"Saldo", "int"},
                  {"Cuenta", "long"},
                  {"Tasa", "single"},
                  {"Monto", "double"},
                  {"Alta", "datetime"},
                  {"Firma", "binary"},
                  {"Foto", "ole"},
                  {"id", "text"}},
                 {QJsonArray{"Ñandú S.A.", true, 255, -5, 2147483647, 1.5, -2.25, 36526.5,
                             QJsonArray{0, 1, 255}, photo, "P-1"},
                  QJsonArray{QJsonValue(), false, QJsonValue(), QJsonValue(), QJsonValue(),
                             QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(),
                             QJsonValue()},
                  QJsonArray{"", false, 0, 0, 0, 0.0, 0.0, 0.0, QJsonArray(), QJsonArray(), ""}}),
             accessTable(QStringLiteral("sqlite_notas"), {{"Nota", "text"}},
                         {QJsonArray{"del motor"}}),
             accessTable(QStringLiteral("codigo"), {{"Codigo", "binary"}},
                         {QJsonArray{QJsonValue(QJsonArray{65})}, QJsonArray{QJsonValue()}}),
             accessTable(
                 QStringLiteral("Extendido"),
                 {{"Ord", "long"}, {"Codigo", "text"}, {"Clase", "text"}, {"Descripcion", "text"}},
                 {QJsonArray{1, "E1", "Muebles", "SILLA"}})});

        const ImportSummary summary = importAccessDatabase(source, database);

        // The design's fields first, in its order and spelling, the old file's extras after.
        QCOMPARE(declaredColumns(database, QStringLiteral("vemtaro")),
                 QStringList({"CODIGO", "CLASE", "DESCRIPCION", "RUBRO", "VIDA_UTIL",
                              "OBSERVACIONES", "Id_anterior", "Notas"}));
        QCOMPARE(storedRows(database, QStringLiteral("vemtaro"),
                            {"CODIGO", "CLASE", "DESCRIPCION", "VIDA_UTIL", "OBSERVACIONES",
                             "Id_anterior", "Notas"}),
                 QStringList({
                     "text «101» | null | text «SILLAS» | integer 10 | null | integer 7 | "
                     "text «primera»",
                     "text «102» | null | null | text «diez» | null | integer 8 | null",
                     "text «103» | null | text «» | text «» | null | integer 9 | text «»",
                     "text «104» | null | text «MESAS» | null | null | integer 10 | text «" +
                         longNote + "»",
                     "text «105» | null | text «ARCHIVOS» | real 7.5 | null | integer 11 | "
                     "text «x»",
                 }));
        QCOMPARE(storedRows(database, QStringLiteral("Proveedores"),
                            {"Nombre", "Activo", "Nivel", "Saldo", "Cuenta", "Tasa", "Monto",
                             "Alta", "Firma", "id_anterior"}),
                 QStringList({
                     "text «Ñandú S.A.» | integer 1 | integer 255 | integer -5 | integer "
                     "2147483647 | real 1.5 | real -2.25 | text «2000-01-01 12:00:00» | blob "
                     "0001ff | text «P-1»",
                     "null | integer 0 | null | null | null | null | null | null | null | null",
                     "text «» | integer 0 | integer 0 | integer 0 | integer 0 | real 0 | real 0 "
                     "| text «1899-12-30 00:00:00» | blob  | text «»",
                 }));
        const QJsonObject photos =
            accessTable(QStringLiteral("Proveedores"), {{"Foto", "ole"}},
                        {QJsonArray{QJsonValue(photo)}, QJsonArray{QJsonValue()},
                         QJsonArray{QJsonValue(QJsonArray())}});
        QCOMPARE(storedRows(database, QStringLiteral("Proveedores"), {"Foto"}),
                 expectedRows(photos));

        QCOMPARE(rowsOf(summary), (Rows{{"vemtaro", 5},
                                        {"extendido", 1},
                                        {"CODIGO", 2},
                                        {"RUBRO", 0},
                                        {"vidaUtil", 0},
                                        {"Proveedores", 3},
                                        {"tabla_sqlite_notas", 1}}));
        QCOMPARE(storedRows(database, QStringLiteral("tabla_sqlite_notas"), {"Nota"}),
                 QStringList{"text «del motor»"});
        QCOMPARE(summary.kept, QStringList({"el campo «Id_anterior» de la tabla «vemtaro»",
                                            "el campo «Notas» de la tabla «vemtaro»",
                                            "la tabla «Proveedores», con 3 filas",
                                            "la tabla «tabla_sqlite_notas», con 1 fila"}));
        QCOMPARE(summary.toReview,
                 QStringList({
                     "el campo «Id» de la tabla «vemtaro» se guardó como «Id_anterior», porque "
                     "«id» es la clave de cada fila",
                     "el campo «CLASE» de la tabla «vemtaro» no estaba en el archivo; se creó "
                     "vacío",
                     "el campo «RUBRO» de la tabla «vemtaro» no estaba en el archivo; se creó "
                     "vacío",
                     "el campo «OBSERVACIONES» de la tabla «vemtaro» no estaba en el archivo; "
                     "se creó vacío",
                     "vemtaro, fila 2: VIDA_UTIL es «diez», que no es un número entero",
                     "vemtaro, fila 3: VIDA_UTIL es «», que no es un número entero",
                     "vemtaro, fila 5: VIDA_UTIL es «7.5», que no es un número entero",
                     "el campo «id» de la tabla «Proveedores» se guardó como «id_anterior», "
                     "porque «id» es la clave de cada fila",
                     "la tabla «sqlite_notas» se guardó como «tabla_sqlite_notas», porque los "
                     "nombres que empiezan por «sqlite_» son del motor de la base de datos",
                     "CODIGO, fila 1: CODIGO es datos binarios, que no es un texto",
                     "la tabla «RUBRO» no estaba en el archivo; se creó vacía",
                     "la tabla «vidaUtil» no estaba en el archivo; se creó vacía",
                 }));
        // The summary cuts a long review list, saying how much it left out.
        const QString shortText = summary.text(3);
        QVERIFY(shortText.contains(summary.toReview[2]));
        QVERIFY(!shortText.contains(summary.toReview[3]));
        QVERIFY(shortText.contains(QStringLiteral("… y 9 más")));
        QVERIFY(summary.text().contains(summary.toReview.last()));
    }

    void textsDecodedFromTheirEncoding_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("texts");
        const QString longText = QStringLiteral("Счёт основных средств; ").repeated(400);
        QTest::newRow("Jet 3, cp1251") << "jet3" << QStringList{"--codepage", "cp1251"}
                                       << QStringList{"Ёлка", "Счёт", "", longText};
        QTest::newRow("Jet 3, cp1250") << "jet3" << QStringList{"--codepage", "cp1250"}
                                       << QStringList{"Łódź", "Žluťoučký kůň", "ő", "Ą"};
        QTest::newRow("Jet 4, compressed")
            << "jet4" << QStringList{"--compress"}
            << QStringList{"Ñandú",
                           "Año útil ¿sí?",
                           "Ñandú 日本 y más",
                           "",
                           QStringLiteral("Depreciación de muebles; ").repeated(300),
                           QStringLiteral("日本 Año ").repeated(500)};
        QTest::newRow("Jet 3 with a password")
            << "jet3" << QStringList{"--password", "clave"} << QStringList{"Muebles", "Año"};
        QTest::newRow("Jet 4 with a password")
            << "jet4" << QStringList{"--password", "contraseña"} << QStringList{"日本", "Año"};
    }

    void textsDecodedFromTheirEncoding()
    {
        QFETCH(QString, version);
        QFETCH(QStringList, options);
        QFETCH(QStringList, texts);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("anterior.mdb"));
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        QList<QJsonArray> rows;
        for (const QString& text : texts)
            rows.append(QJsonArray{text.left(255), text, QJsonValue()});
        const QJsonObject table = accessTable(
            QStringLiteral("vemtaro"),
            {{"DESCRIPCION", "text"}, {"OBSERVACIONES", "memo"}, {"RUBRO", "text"}}, rows);
        writeAccessFile(source, version, {table}, options);
        importAccessDatabase(source, database);
        QCOMPARE(storedRows(database, QStringLiteral("vemtaro"), columnNames(table)),
                 expectedRows(table));
    }

    void failureLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("breakage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a text file") << "text"
                                     << "no es un archivo de Access";
        QTest::newRow("an empty file") << "empty"
                                       << "no es un archivo de Access";
        QTest::newRow("a SQLite file") << "sqlite"
                                       << "no es un archivo de Access";
        QTest::newRow("no file") << "missing"
                                 << "no se puede abrir el archivo";
        QTest::newRow("cut within a page") << "cut"
                                           << "el archivo está dañado o incompleto";
        QTest::newRow("an unknown version")
            << "version"
            << "es de una versión de Access que este programa no sabe leer";
        QTest::newRow("unreadable catalog, password") << "encrypted"
                                                      << "está cifrado con contraseña";
        QTest::newRow("unreadable catalog, no password") << "catalog"
                                                         << "el archivo está dañado o incompleto";
        QTest::newRow("a table unreadable") << "table"
                                            << "no se puede leer la tabla «extendido»";
        QTest::newRow("the destination exists") << "destination"
                                                << "ya existe";
    }

    void failureLeavesNothingBehind()
    {
        QFETCH(QString, breakage);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("VemtaroCtasPres.mdb"));
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        const QStringList passwordOption =
            breakage == QLatin1String("encrypted") ? QStringList{"--password", "x"} : QStringList();
        if (breakage != QLatin1String("missing"))
            writeAccessFile(source, QStringLiteral("jet4"), twoTables(), passwordOption);
        QFile file(source);
        if (breakage == QLatin1String("text") || breakage == QLatin1String("empty")) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(breakage == QLatin1String("text") ? "Cuentas del año 1998\n" : "");
            file.close();
        } else if (breakage == QLatin1String("sqlite")) {
            QVERIFY(file.remove());
            importAccessDatabase(fixturePath(QStringLiteral("jet4")), source);
        } else if (breakage == QLatin1String("cut")) {
            QVERIFY(file.resize(file.size() / 2 + 100));
        } else if (breakage == QLatin1String("version")) {
            overwrite(source, 0x14, QByteArray("\x09", 1));
        } else if (breakage == QLatin1String("encrypted") || breakage == QLatin1String("catalog")) {
            // Page 2 holds the definition of the catalog table.
            overwrite(source, 2 * 4096, QByteArray(4096, '\x5a'));
        } else if (breakage == QLatin1String("table")) {
            // The writer puts the table definitions after the header page, the global map and
            // the four system tables: the second table's is page 7.
            overwrite(source, 7 * 4096, QByteArray(4096, '\0'));
        } else if (breakage == QLatin1String("destination")) {
            QVERIFY(file.copy(database));
        }
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray sourceBefore = checksum(source);
        const QByteArray databaseBefore = checksum(database);
        try {
            importAccessDatabase(source, database);
            QFAIL("the import went through");
        } catch (const db::DbError& error) {
            QVERIFY2(error.description().startsWith(
                         QStringLiteral("No se pudo importar «%1»: %2").arg(source, reason)),
                     qPrintable(error.description()));
            QVERIFY(error.description().endsWith(
                QStringLiteral("No se creó la base de datos «%1», y el archivo de Access no se "
                               "modificó.")
                    .arg(database)));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
        QCOMPARE(checksum(source), sourceBefore);
        QCOMPARE(checksum(database), databaseBefore);
    }

    void everyCutAtAPageFails_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("pageSize");
        QTest::newRow("Jet 3") << "jet3" << 2048;
        QTest::newRow("Jet 4") << "jet4" << 4096;
    }

    // A file cut short at a page loses a table's rows, long texts, or the catalog: never may
    // the import go through without them.
    void everyCutAtAPageFails()
    {
        QFETCH(QString, version);
        QFETCH(int, pageSize);
        QTemporaryDir dir;
        const QString whole = dir.filePath(QStringLiteral("entero.mdb"));
        const QString source = dir.filePath(QStringLiteral("cortado.mdb"));
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        writeAccessFile(whole, version, twoTables());
        const qint64 pages = QFileInfo(whole).size() / pageSize;
        QVERIFY(pages > 10);
        for (qint64 kept = 1; kept < pages; ++kept) {
            QFile::remove(source);
            QVERIFY(QFile::copy(whole, source));
            QVERIFY(QFile::resize(source, kept * pageSize));
            try {
                importAccessDatabase(source, database);
                QFAIL(qPrintable(
                    QStringLiteral("imported with %1 of %2 pages").arg(kept).arg(pages)));
            } catch (const db::DbError& error) {
                QVERIFY2(error.description().contains(QStringLiteral("dañado o incompleto")),
                         qPrintable(error.description()));
            }
            QVERIFY(!QFile::exists(database));
        }
        importAccessDatabase(whole, database);
        const QJsonObject cuentas = twoTables()[0].toObject();
        QCOMPARE(storedRows(database, QStringLiteral("vemtaro"), columnNames(cuentas)),
                 expectedRows(cuentas));
    }

    void aFormerDatabasesLogIsNotApplied()
    {
        QTemporaryDir dir;
        const QString former = dir.filePath(QStringLiteral("anterior.sqlite"));
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        // A program stopped while it had a former file of that name open, and its log stayed.
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(former).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                              "CREATE TABLE vemtaro (id INTEGER PRIMARY KEY, CODIGO TEXT);"
                              "INSERT INTO vemtaro (CODIGO) VALUES ('viejo');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(QFile::copy(former + "-wal", database + "-wal"));
        QVERIFY(QFile::copy(former + "-shm", database + "-shm"));
        sqlite3_close(db);

        importAccessDatabase(fixturePath(QStringLiteral("jet3")), database);
        QCOMPARE(storedRows(database, QStringLiteral("vemtaro"), {"CODIGO"}).size(), 500);
    }

    // The program keeps its change history in a table called historial: an Access table of
    // that name is kept under another, and the history starts beside it.
    void anAccessTableNamedHistorialIsKeptApart()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("anterior.mdb"));
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        QJsonArray tables = twoTables();
        tables.append(accessTable(QStringLiteral("Historial"),
                                  {{"Fecha", "text"}, {"Nota", "text"}},
                                  {QJsonArray{"1999-01-01", "alta de muebles"}}));
        writeAccessFile(source, QStringLiteral("jet4"), tables);
        const ImportSummary summary = importAccessDatabase(source, database);
        QVERIFY(summary.toReview.contains(
            QStringLiteral("la tabla «Historial» se guardó como «Historial_anterior», porque "
                           "«historial» es el historial de cambios de vemtaro")));
        QVERIFY(summary.kept.contains(QStringLiteral("la tabla «Historial_anterior», con 1 fila")));
        {
            const auto db = db::Connection::open(database);
            db::RecordSet records(*db);
            records.open(QStringLiteral("vemtaro"));
            records.deleteCurrent();
        }
        QCOMPARE(storedRows(database, QStringLiteral("Historial_anterior"), {"Fecha", "Nota"}),
                 QStringList{"text «1999-01-01» | text «alta de muebles»"});
        QCOMPARE(storedRows(database, QStringLiteral("historial"), {"accion", "codigo"}),
                 QStringList{"text «baja» | text «1000»"});
    }

    void progressTellsEveryRowAndCanStop()
    {
        QTemporaryDir dir;
        const QString database = dir.filePath(QStringLiteral("cuentas.sqlite"));
        QList<importing::ImportProgress> told;
        importAccessDatabase(fixturePath(QStringLiteral("jet4")), database,
                             [&told](const importing::ImportProgress& progress) {
                                 told.append(progress);
                                 return true;
                             });
        // Each table from its first row to its last, never more than a few hundred rows apart.
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

        // Stopping midway leaves nothing.
        QVERIFY(QFile::remove(database));
        try {
            importAccessDatabase(
                fixturePath(QStringLiteral("jet4")), database,
                [](const importing::ImportProgress& progress) { return progress.rows < 1000; });
            QFAIL("the import was not stopped");
        } catch (const db::DbError& error) {
            QVERIFY(error.description().contains(QStringLiteral("se interrumpió la importación")));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestImportacion)
#include "tst_importacion.moc"
