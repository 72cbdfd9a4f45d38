#include "DbTestSupport.h"

#include "db/DataFolder.h"
#include "db/DefaultData.h"
#include "db/Lookup.h"

#include <QDir>
#include <QFile>

using namespace vemtaro::db;

class TestDefaultData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_savedXdg = qgetenv("XDG_DATA_HOME");
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_home->filePath(QStringLiteral("datos")).toUtf8());
    }

    void cleanup() { qputenv("XDG_DATA_HOME", m_savedXdg); }

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

    void createdOnceAndNeverOverwritten()
    {
        QFETCH(QByteArray, existing);
        QFile file(databasePath());
        if (!existing.isNull()) {
            QVERIFY(QDir().mkpath(dataFolder()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(existing);
            file.close();
        }
        ensureDefaultDatabase();
        // Nothing but the database is left behind in the folder.
        QCOMPARE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"VemtaroCtasPres.sqlite"});
        if (existing.isNull()) {
            // Once made, it is the clerk's: a second start keeps every change.
            QCOMPARE(scalar(Connection::open(databasePath())->handle(),
                            "DELETE FROM vemtaro WHERE id = 1 RETURNING id"),
                     QStringLiteral("1"));
            ensureDefaultDatabase();
            QCOMPARE(scalar(Connection::open(databasePath())->handle(),
                            "SELECT count(*) = 0 FROM vemtaro WHERE id = 1"),
                     QStringLiteral("1"));
        } else {
            ensureDefaultDatabase();
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), existing);
        }
    }

    void failsWhenTheFolderCannotBeMade()
    {
        // A plain file stands where the data folder should be.
        QFile blocker(m_home->filePath(QStringLiteral("datos")));
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
    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_savedXdg;
};

QTEST_GUILESS_MAIN(TestDefaultData)
#include "tst_defaultdata.moc"
