#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "db/Lookup.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro::db;

namespace {

/// Every row of a one-column query, as texts ("<null>" for a null).
QStringList column(Connection& db, const char* sql)
{
    QStringList values;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt, nullptr) != SQLITE_OK)
        return {QStringLiteral("<error: %1>").arg(sqlite3_errmsg(db.handle()))};
    while (sqlite3_step(stmt) == SQLITE_ROW)
        values << (sqlite3_column_type(stmt, 0) == SQLITE_NULL
                       ? QStringLiteral("<null>")
                       : QString::fromUtf8(
                             reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
    sqlite3_finalize(stmt);
    return values;
}

int number(Connection& db, const char* sql)
{
    return column(db, sql).value(0).toInt();
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestDefaultData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void dataFolderFollowsXdgDataHome_data();
    void dataFolderFollowsXdgDataHome();
    void createsTheDatabaseWhenMissing();
    void neverTouchesAnExistingFile_data();
    void neverTouchesAnExistingFile();
    void failsWhenTheFolderCannotBeMade();
    void sampleDataIsConsistent();
    void lookupsListEveryRowInTableOrder();
    void lookupsAcceptOnlyTheSystemsNames_data();
    void lookupsAcceptOnlyTheSystemsNames();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_savedXdg;
};

void TestDefaultData::init()
{
    m_savedXdg = qgetenv("XDG_DATA_HOME");
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("XDG_DATA_HOME", m_home->filePath(QStringLiteral("datos")).toUtf8());
}

void TestDefaultData::cleanup()
{
    qputenv("XDG_DATA_HOME", m_savedXdg);
    m_home.reset();
}

void TestDefaultData::dataFolderFollowsXdgDataHome_data()
{
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/share/vemtaro");
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("folder");
    QTest::newRow("absolute") << "/srv/datos"
                              << "/srv/datos/vemtaro";
    QTest::newRow("trailing slash") << "/srv/datos/"
                                    << "/srv/datos/vemtaro";
    QTest::newRow("empty is ignored") << "" << fallback;
    QTest::newRow("relative is ignored") << "datos/usuario" << fallback;
}

void TestDefaultData::dataFolderFollowsXdgDataHome()
{
    QFETCH(QString, xdg);
    QFETCH(QString, folder);
    qputenv("XDG_DATA_HOME", xdg.toUtf8());
    QCOMPARE(dataFolder(), folder);
    QCOMPARE(databasePath(), folder + QStringLiteral("/VemtaroCtasPres.sqlite"));
}

void TestDefaultData::createsTheDatabaseWhenMissing()
{
    QVERIFY(!QFileInfo::exists(dataFolder()));
    ensureDefaultDatabase();
    QVERIFY(QFileInfo(databasePath()).isFile());
    // Nothing but the database is left behind in the folder.
    QCOMPARE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"VemtaroCtasPres.sqlite"});
    const auto db = Connection::open(databasePath());
    QVERIFY(number(*db, "SELECT count(*) FROM vemtaro") > 0);

    // Once made, it is the clerk's: a second start keeps every change.
    QCOMPARE(sqlite3_exec(db->handle(), "DELETE FROM vemtaro WHERE CODIGO = '1101'", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    const int left = number(*db, "SELECT count(*) FROM vemtaro");
    ensureDefaultDatabase();
    QCOMPARE(number(*db, "SELECT count(*) FROM vemtaro"), left);
}

void TestDefaultData::neverTouchesAnExistingFile_data()
{
    QTest::addColumn<QByteArray>("existing");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("not a database") << QByteArray("contabilidad de 1998\n");
}

void TestDefaultData::neverTouchesAnExistingFile()
{
    QFETCH(QByteArray, existing);
    QVERIFY(QDir().mkpath(dataFolder()));
    QFile file(databasePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(existing);
    file.close();
    const QDateTime modified = QFileInfo(databasePath()).lastModified();

    ensureDefaultDatabase();
    QCOMPARE(contents(databasePath()), existing);
    QCOMPARE(QFileInfo(databasePath()).lastModified(), modified);
    QCOMPARE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestDefaultData::failsWhenTheFolderCannotBeMade()
{
    // A plain file stands where the data folder should be.
    QFile blocker(m_home->filePath(QStringLiteral("datos")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY_THROWS_EXCEPTION(DbError, ensureDefaultDatabase());
    QVERIFY(QFileInfo(blocker.fileName()).isFile());
}

void TestDefaultData::sampleDataIsConsistent()
{
    ensureDefaultDatabase();
    const auto db = Connection::open(databasePath());

    const int accounts = number(*db, "SELECT count(*) FROM vemtaro");
    const int extended = number(*db, "SELECT count(*) FROM extendido");
    QVERIFY2(accounts >= 200 && accounts <= 1000, qPrintable(QString::number(accounts)));
    QVERIFY2(extended >= 1500 && extended <= 6000, qPrintable(QString::number(extended)));
    QVERIFY(QFileInfo(databasePath()).size() < 2 * 1024 * 1024);

    // Some accounts have no description; every other field is filled.
    const int noDescription = number(*db, "SELECT count(*) FROM vemtaro WHERE DESCRIPCION IS NULL");
    QVERIFY(noDescription >= 2 && noDescription <= 10);
    QCOMPARE(number(*db, "SELECT count(*) FROM vemtaro WHERE CODIGO IS NULL OR CLASE IS NULL "
                         "OR RUBRO IS NULL OR VIDA_UTIL IS NULL"),
             0);
    // Descriptions are kept in upper case, as the editor stores them.
    QCOMPARE(number(*db, "SELECT count(*) FROM vemtaro WHERE DESCRIPCION <> upper(DESCRIPCION)"),
             0);

    // Codes and sub-accounts are digit strings; a code and sub-account name one account.
    const QRegularExpression digits(QStringLiteral("^\\d+$"));
    for (const QString& code :
         column(*db, "SELECT CODIGO FROM vemtaro UNION ALL SELECT CLASE FROM vemtaro "
                     "UNION ALL SELECT Codigo FROM extendido UNION ALL SELECT CODIGO FROM CODIGO"))
        QVERIFY2(digits.match(code).hasMatch(), qPrintable(code));
    QCOMPARE(number(*db, "SELECT count(*) FROM (SELECT CODIGO, CLASE FROM vemtaro "
                         "GROUP BY CODIGO, CLASE HAVING count(*) > 1)"),
             0);

    // The lookup tables hold what the accounts use, and nothing they do not.
    QCOMPARE(column(*db, "SELECT DISTINCT RUBRO FROM vemtaro WHERE RUBRO NOT IN "
                         "(SELECT RUBRO FROM RUBRO)"),
             QStringList());
    QCOMPARE(column(*db, "SELECT DISTINCT VIDA_UTIL FROM vemtaro WHERE VIDA_UTIL NOT IN "
                         "(SELECT Vida_Util FROM vidaUtil)"),
             QStringList());
    QCOMPARE(column(*db, "SELECT CODIGO FROM CODIGO ORDER BY id"),
             column(*db, "SELECT CODIGO FROM vemtaro GROUP BY CODIGO ORDER BY min(id)"));
    QCOMPARE(number(*db, "SELECT count(*) FROM RUBRO WHERE RUBROS IS NULL OR "
                         "length(RUBROS) <= length(RUBRO)"),
             0);
    QCOMPARE(number(*db, "SELECT count(*) FROM vidaUtil WHERE \"Vida Util\" IS NULL"), 0);
    QCOMPARE(column(*db, "SELECT DISTINCT typeof(VIDA_UTIL) FROM vemtaro"), QStringList{"integer"});

    // Land and art are not depreciated; a range of useful lives is used.
    QCOMPARE(column(*db, "SELECT DISTINCT VIDA_UTIL FROM vemtaro WHERE RUBRO = 'TERRENOS'"),
             QStringList{"0"});
    QVERIFY(number(*db, "SELECT count(DISTINCT VIDA_UTIL) FROM vemtaro") >= 5);
    QCOMPARE(number(*db, "SELECT max(VIDA_UTIL) FROM vemtaro"), 50);

    // Several detailed descriptions per account, each of an existing account, numbered in order.
    QCOMPARE(number(*db, "SELECT count(*) FROM extendido e WHERE NOT EXISTS (SELECT 1 FROM "
                         "vemtaro v WHERE v.CODIGO = e.Codigo AND v.CLASE = e.Clase)"),
             0);
    QVERIFY(number(*db, "SELECT count(*) FROM (SELECT 1 FROM extendido GROUP BY Codigo, Clase "
                        "HAVING count(*) >= 3)") > accounts / 2);
    QCOMPARE(column(*db, "SELECT count(*) = max(Ord) AND min(Ord) = 1 AND "
                         "count(DISTINCT Ord) = count(*) FROM extendido"),
             QStringList{"1"});
    QCOMPARE(number(*db, "SELECT count(*) FROM extendido WHERE Ord <> "
                         "(SELECT count(*) FROM extendido e2 WHERE e2.id <= extendido.id)"),
             0);
}

void TestDefaultData::lookupsListEveryRowInTableOrder()
{
    ensureDefaultDatabase();
    const auto db = Connection::open(databasePath());
    QCOMPARE(readLookup(*db, QStringLiteral("RUBRO"), QStringLiteral("RUBRO")),
             column(*db, "SELECT RUBRO FROM RUBRO ORDER BY id"));
    QCOMPARE(readLookup(*db, QStringLiteral("rubro"), QStringLiteral("rubros")),
             column(*db, "SELECT RUBROS FROM RUBRO ORDER BY id"));
    QCOMPARE(readLookup(*db, QStringLiteral("CODIGO"), QStringLiteral("Codigo")),
             column(*db, "SELECT CODIGO FROM CODIGO ORDER BY id"));
    const QStringList lives =
        readLookup(*db, QStringLiteral("vidaUtil"), QStringLiteral("Vida_Util"));
    QCOMPARE(lives, column(*db, "SELECT Vida_Util FROM vidaUtil ORDER BY id"));
    QCOMPARE(lives.front(), QStringLiteral("0"));
    QCOMPARE(readLookup(*db, QStringLiteral("vidaUtil"), QStringLiteral("Vida Util")).size(),
             lives.size());

    // A null reads as an empty text, keeping one entry per row.
    sqlite3_exec(db->handle(), "INSERT INTO RUBRO (RUBRO, RUBROS) VALUES (NULL, 'SIN RUBRO')",
                 nullptr, nullptr, nullptr);
    QCOMPARE(readLookup(*db, QStringLiteral("RUBRO"), QStringLiteral("RUBRO")).last(), QString());
}

void TestDefaultData::lookupsAcceptOnlyTheSystemsNames_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::newRow("unknown table") << "sqlite_schema"
                                   << "sql";
    QTest::newRow("unknown field") << "RUBRO"
                                   << "nombre";
    QTest::newRow("the key is no field") << "RUBRO"
                                         << "id";
    QTest::newRow("injected table") << "RUBRO; DROP TABLE vemtaro"
                                    << "RUBRO";
    QTest::newRow("injected field") << "RUBRO"
                                    << "RUBRO FROM vemtaro --";
}

void TestDefaultData::lookupsAcceptOnlyTheSystemsNames()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    ensureDefaultDatabase();
    const auto db = Connection::open(databasePath());
    QVERIFY_THROWS_EXCEPTION(DbError, readLookup(*db, table, field));
    QVERIFY(number(*db, "SELECT count(*) FROM vemtaro") > 0);
}

QTEST_GUILESS_MAIN(TestDefaultData)
#include "tst_defaultdata.moc"
