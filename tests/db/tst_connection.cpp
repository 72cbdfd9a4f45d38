#include "DbTestSupport.h"

#include "db/DataFolder.h"
#include "db/DefaultData.h"
#include "db/Lookup.h"
#include "db/RecordSet.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <sqlite3.h>

using namespace vemtaro::db;

namespace {

/// This system's tables written as another program might, from the schema it creates itself:
/// each table's fields in reverse order and lower case, with an extra field first, and an
/// extra table; the field `missing` ("table.field") left out. Also gives the tables' fields.
QByteArray variantSchema(QMap<QString, QStringList>* fields, const QString& missing = {})
{
    fields->clear();
    sqlite3* design = nullptr;
    sqlite3_open(":memory:", &design);
    createSchema(design);
    QString sql = QStringLiteral("CREATE TABLE notas (texto TEXT);");
    for (const QString& table :
         scalar(design, "SELECT group_concat(name, '|') FROM sqlite_schema").split('|')) {
        const QByteArray info = "SELECT group_concat(name || ' ' || type, '|') FROM "
                                "pragma_table_info('" +
                                table.toUtf8() + "') WHERE name <> 'id'";
        QStringList columns{QStringLiteral("\"Extra\" TEXT"),
                            QStringLiteral("id INTEGER PRIMARY KEY")};
        for (const QString& column : scalar(design, info).split('|')) {
            (*fields)[table] << column.section(' ', 0, -2);
            if (table + '.' + column.section(' ', 0, -2) != missing)
                columns.insert(2, quotedName(column.section(' ', 0, -2).toLower()) + ' ' +
                                      column.section(' ', -1));
        }
        sql += QStringLiteral("CREATE TABLE %1 (%2);")
                   .arg(quotedName(table), columns.join(QStringLiteral(", ")));
    }
    sqlite3_close(design);
    return sql.toUtf8();
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_dir->filePath(QStringLiteral("datos")).toUtf8());
    }

    void refusesWhatIsNoDatabaseOfOurs_data()
    {
        QTest::addColumn<QByteArray>("content"); ///< the file's bytes, or SQL that makes it
        QTest::addColumn<QString>("reason");
        auto row = [](const char* name, const QByteArray& content, const char* reason) {
            QTest::newRow(name) << content << QString::fromUtf8(reason);
        };
        row("missing file", QByteArray(), "No se encuentra la base de datos");
        row("text file", QByteArray("CODIGO;DESCRIPCION\n112;MESA\n").repeated(200),
            "no es una base de datos");
        row("empty file", "", "falta la tabla «vemtaro»");
        row("other database", "CREATE TABLE cuentas (id INTEGER PRIMARY KEY)",
            "falta la tabla «vemtaro»");
        row("table without key", "CREATE TABLE vemtaro (id TEXT, CODIGO TEXT)",
            "la tabla «vemtaro» no tiene la clave «id»");
    }

    void refusesWhatIsNoDatabaseOfOurs()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QFile file(path());
        if (content.startsWith("CREATE"))
            createDatabase(path(), content, false);
        else if (!content.isNull())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        const auto disk = [&] {
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>";
            file.close();
            return bytes;
        };
        const QByteArray before = disk();
        const QString told = refusal([&] { Connection::open(path()); });
        QVERIFY2(told.contains(reason), qPrintable(told));
        // A foreign file is left exactly as it was, and a missing one is not created.
        QCOMPARE(disk(), before);
    }

    void checksEveryFieldOfTheFiveTables()
    {
        QMap<QString, QStringList> design;
        variantSchema(&design);
        QCOMPARE(design.size(), 5);
        for (auto table = design.cbegin(); table != design.cend(); ++table) {
            for (const QString& field : *table) {
                QMap<QString, QStringList> ignored;
                QFile::remove(path());
                createDatabase(path(), variantSchema(&ignored, table.key() + '.' + field), false);
                const QString told = refusal([&] { Connection::open(path()); });
                QVERIFY2(told.contains(QStringLiteral("a la tabla «%1» le falta el campo «%2»")
                                           .arg(table.key(), field)),
                         qPrintable(told));
            }
        }
        // All there, in another case and order, with more besides: the windows see their
        // fields in their own order, spelled as the file spells them.
        QFile::remove(path());
        createDatabase(path(), variantSchema(&design), false);
        const auto db = Connection::open(path());
        for (auto table = design.cbegin(); table != design.cend(); ++table)
            QCOMPARE(db->table(table.key())->columns.join(','), table->join(',').toLower());
        QCOMPARE(db->table("vemtaro")->numeric,
                 QList<bool>({false, false, false, false, true, false}));
    }

    void opensWhatItCannotWriteReadOnly_data()
    {
        QTest::addColumn<bool>("wal");    ///< the file was written in WAL mode before
        QTest::addColumn<bool>("folder"); ///< the folder, not the file, cannot be written
        QTest::newRow("read-only file, rollback journal") << false << false;
        QTest::newRow("read-only file, WAL") << true << false;
        QTest::newRow("read-only folder, rollback journal") << false << true;
        QTest::newRow("read-only folder, WAL") << true << true;
    }

    // Nobody may write the file or its folder (an administrator neither, as with a read-only
    // attribute): it opens, reads, refuses every change with its reason, and nothing on disk
    // changes, not even a companion file.
    void opensWhatItCannotWriteReadOnly()
    {
        QFETCH(bool, wal);
        QFETCH(bool, folder);
        createDatabase(path(), fiveAccounts);
        if (wal)
            Connection::open(path()); // switches the file to WAL, and leaves no companion
        const auto disk = [this] {
            QFile file(path());
            file.open(QIODevice::ReadOnly);
            return QDir(m_dir->path()).entryList(QDir::Files).join(',') + file.readAll().toHex();
        };
        const QString before = disk();
        const QString target = folder ? m_dir->path() : path();
        const QFile::Permissions writable = QFile::permissions(target);
        QFile::setPermissions(target, writable & ~(QFile::WriteOwner | QFile::WriteUser |
                                                   QFile::WriteGroup | QFile::WriteOther));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(target, writable); });
        {
            const auto db = Connection::open(path());
            const QString reason =
                QStringLiteral("La base de datos «%1» se abrió solo para lectura: %2")
                    .arg(path(), folder ? QStringLiteral("la carpeta «%1» no permite crear "
                                                         "archivos")
                                              .arg(m_dir->path())
                                        : QStringLiteral("el archivo es de solo lectura."));
            QVERIFY2(db->isReadOnly() && db->readOnlyReason().startsWith(reason),
                     qPrintable(db->readOnlyReason()));
            RecordSet records(*db);
            records.open(QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE 'c*'"));
            QCOMPARE(records.text(1, Codigo), QStringLiteral("401"));
            using Change = std::function<void()>;
            for (const Change& change :
                 {Change([&] { records.edit(); }), Change([&] { records.addNew(); }),
                  Change([&] { records.setValue(Codigo, "9"); }),
                  Change([&] { records.deleteCurrent(); })})
                QCOMPARE(refusal(change), "No se pueden guardar cambios. " + db->readOnlyReason());
            QCOMPARE(disk(), before);
        }
        QCOMPARE(disk(), before);
    }

    void sharesTheFileWithAnotherProgram()
    {
        createDatabase(path(), fiveAccounts);
        OtherProgram other(path());
        const auto db = Connection::open(path());
        QCOMPARE(scalar(db->handle(), "PRAGMA journal_mode"), QStringLiteral("wal"));
        QCOMPARE(scalar(db->handle(), "PRAGMA synchronous"), QStringLiteral("2"));
        // A reader keeps its snapshot while this program writes.
        other.exec("BEGIN; SELECT count(*) FROM vemtaro;");
        QCOMPARE(scalar(db->handle(), "INSERT INTO vemtaro (CODIGO) VALUES ('130') RETURNING id"),
                 QStringLiteral("6"));
        QCOMPARE(other.scalar("SELECT count(*) FROM vemtaro"), QStringLiteral("5"));
        other.exec("COMMIT");
        QCOMPARE(other.scalar("SELECT count(*) FROM vemtaro"), QStringLiteral("6"));
        // This system's functions live on its connection only: the file stays plain.
        QCOMPARE(other.scalar("SELECT count(*) FROM sqlite_schema WHERE sql LIKE '%jet_%'"),
                 QStringLiteral("0"));
        QCOMPARE(other.scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
    }

    // The default database, made in the data folder under XDG_DATA_HOME.
    void dataFolderFollowsXdgDataHome()
    {
        const QString fallback = QDir::homePath() + QStringLiteral("/.local/share/vemtaro");
        const std::pair<const char*, QString> cases[] = {
            {"/srv/datos/", QStringLiteral("/srv/datos/vemtaro")},
            {"", fallback},
            {"datos/usuario", fallback}, // a relative path is ignored
        };
        for (const auto& [xdg, folder] : cases) {
            qputenv("XDG_DATA_HOME", xdg);
            QCOMPARE(databasePath(), folder + QStringLiteral("/VemtaroCtasPres.sqlite"));
        }
    }

    void createdOnceAndNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("existing"); ///< null: no file yet
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("not a database") << QByteArray("contabilidad de 1998\n");
    }

    // Once made, the file is the clerk's: a second start keeps every change, and nothing but
    // the database is left in the folder. What stands in its place is never overwritten.
    void createdOnceAndNeverOverwritten()
    {
        QFETCH(QByteArray, existing);
        QFile file(databasePath());
        if (!existing.isNull())
            QVERIFY(QDir().mkpath(dataFolder()) && file.open(QIODevice::WriteOnly) &&
                    file.write(existing) == existing.size());
        file.close();
        for (const char* change : {"DELETE FROM vemtaro WHERE id = 1", "SELECT 1"}) {
            ensureDefaultDatabase();
            if (existing.isNull())
                scalar(Connection::open(databasePath())->handle(), change);
        }
        QCOMPARE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"VemtaroCtasPres.sqlite"});
        QVERIFY(file.open(QIODevice::ReadOnly));
        if (existing.isNull())
            QCOMPARE(scalar(Connection::open(databasePath())->handle(),
                            "SELECT count(*) > 200 AND min(id) = 2 FROM vemtaro"),
                     QStringLiteral("1"));
        else
            QCOMPARE(file.readAll(), existing);
    }

    void failsWhenTheFolderCannotBeMade()
    {
        // A plain file stands where the data folder should be.
        QFile blocker(m_dir->filePath(QStringLiteral("datos")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY_THROWS_EXCEPTION(DbError, ensureDefaultDatabase());
        QVERIFY(QFileInfo(blocker.fileName()).isFile());
    }

    void sampleDataIsConsistent()
    {
        ensureDefaultDatabase();
        const auto db = Connection::open(databasePath());
        // Each query yields what breaks a rule of the sample data: 0 (or false) when nothing does.
        const char* const breaches[] = {
            "SELECT (SELECT count(*) FROM vemtaro) NOT BETWEEN 200 AND 1000",
            "SELECT (SELECT count(*) FROM extendido) NOT BETWEEN 1500 AND 6000",
            // Every field but a few descriptions is filled, useful lives with whole numbers.
            "SELECT count(*) NOT BETWEEN 2 AND 10 FROM vemtaro WHERE DESCRIPCION IS NULL",
            "SELECT count(*) FROM vemtaro WHERE CODIGO || CLASE || RUBRO IS NULL OR "
            "typeof(VIDA_UTIL) <> 'integer'",
            // Codes and sub-accounts are digit strings; a code and sub-account name one account.
            "SELECT count(*) FROM vemtaro WHERE CODIGO || CLASE GLOB '*[^0-9]*'",
            "SELECT count(*) - count(DISTINCT CODIGO || '/' || CLASE) FROM vemtaro",
            // The lookup tables hold what the accounts use; land is not depreciated.
            "SELECT count(*) FROM vemtaro WHERE RUBRO NOT IN (SELECT RUBRO FROM RUBRO) OR "
            "VIDA_UTIL NOT IN (SELECT Vida_Util FROM vidaUtil) OR CODIGO NOT IN (SELECT CODIGO "
            "FROM CODIGO)",
            "SELECT count(*) FROM vemtaro WHERE RUBRO = 'TERRENOS' AND VIDA_UTIL <> 0",
            // Detailed descriptions belong to existing accounts and are numbered in order.
            "SELECT count(*) FROM extendido e WHERE NOT EXISTS (SELECT 1 FROM vemtaro v "
            "WHERE v.CODIGO = e.Codigo AND v.CLASE = e.Clase)",
            "SELECT count(*) FROM (SELECT Ord, row_number() OVER (ORDER BY id) AS n "
            "FROM extendido) WHERE Ord IS NOT n",
        };
        for (const char* sql : breaches)
            QVERIFY2(scalar(db->handle(), sql) == QLatin1String("0"), sql);
    }

    void lookupsListEveryRowOfKnownNamesOnly()
    {
        ensureDefaultDatabase();
        const auto db = Connection::open(databasePath());
        // A null reads as an empty text, keeping one entry per row, in the table's own order.
        scalar(db->handle(), "INSERT INTO RUBRO DEFAULT VALUES");
        QCOMPARE(readLookup(*db, QStringLiteral("rubro"), QStringLiteral("Rubro")).join('|'),
                 scalar(db->handle(), "SELECT group_concat(coalesce(RUBRO, ''), '|') FROM "
                                      "(SELECT RUBRO FROM RUBRO ORDER BY id)"));
        QCOMPARE(readLookup(*db, QStringLiteral("vidaUtil"), QStringLiteral("Vida Util")).join('|'),
                 scalar(db->handle(), "SELECT group_concat(\"Vida Util\", '|') FROM "
                                      "(SELECT \"Vida Util\" FROM vidaUtil ORDER BY id)"));

        const QStringList refused[] = {{"sqlite_schema", "sql"},
                                       {"RUBRO", "nombre"},
                                       {"RUBRO", "id"},
                                       {"RUBRO; DROP TABLE vemtaro", "RUBRO"},
                                       {"RUBRO", "RUBRO FROM vemtaro --"}};
        for (const QStringList& names : refused)
            QVERIFY_THROWS_EXCEPTION(DbError, readLookup(*db, names[0], names[1]));
        QCOMPARE(scalar(db->handle(), "SELECT count(*) > 0 FROM vemtaro"), QStringLiteral("1"));
    }

private:
    QString path() const { return m_dir->filePath(QStringLiteral("cuentas.sqlite")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
