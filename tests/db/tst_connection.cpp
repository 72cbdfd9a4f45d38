#include "db/Connection.h"
#include "db/DbError.h"
#include "db/DefaultData.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro::db;

namespace {

// A plain engine connection without our functions, as the sqlite3 tool would have.
struct PlainConnection {
    sqlite3* db = nullptr;
    explicit PlainConnection(const QString& path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~PlainConnection() { sqlite3_close(db); }
    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

QString text(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    QString result = QStringLiteral("<error>");
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return result;
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void readsTheSystemTables();
    void refusesWhatIsNoDatabaseOfOurs_data();
    void refusesWhatIsNoDatabaseOfOurs();
    void missingFileIsNotCreated();
    void opensSharedInWriteAheadMode();
    void opensWhileAnotherProgramReads();
    void writesWhileAnotherProgramReads();
    void functionsLiveOnlyOnTheConnection();

private:
    QString makeDatabase(const char* extraSql = nullptr);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConnection::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestConnection::makeDatabase(const char* extraSql)
{
    const QString path = m_dir->filePath(QStringLiteral("chart.sqlite"));
    sqlite3* raw = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &raw);
    createSchema(raw);
    sqlite3_exec(
        raw, "INSERT INTO vemtaro (CODIGO, DESCRIPCION) VALUES ('112', 'MESA'), ('120', 'silla')",
        nullptr, nullptr, nullptr);
    if (extraSql)
        sqlite3_exec(raw, extraSql, nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    return path;
}

void TestConnection::readsTheSystemTables()
{
    const auto db = Connection::open(makeDatabase());
    const TableSchema* vemtaro = db->table(QStringLiteral("VEMTARO"));
    QVERIFY(vemtaro);
    QCOMPARE(vemtaro->name, QStringLiteral("vemtaro"));
    QCOMPARE(vemtaro->keyColumn, QStringLiteral("id"));
    QCOMPARE(vemtaro->columns, QStringList({"CODIGO", "CLASE", "DESCRIPCION", "RUBRO", "VIDA_UTIL",
                                            "OBSERVACIONES"}));
    QCOMPARE(vemtaro->numeric, QList<bool>({false, false, false, false, true, false}));

    const TableSchema* lives = db->table(QStringLiteral("vidautil"));
    QVERIFY(lives);
    QCOMPARE(lives->columns, QStringList({"Vida_Util", "Vida Util"}));
    QCOMPARE(lives->numeric, QList<bool>({true, false}));
    QCOMPARE(db->table(QStringLiteral("Extendido"))->columns,
             QStringList({"Ord", "Codigo", "Clase", "Descripcion"}));
    QVERIFY(db->table(QStringLiteral("CODIGO")));
    QVERIFY(db->table(QStringLiteral("rubro")));
    QVERIFY(!db->table(QStringLiteral("sqlite_master")));
    QVERIFY(!db->table(QStringLiteral("vemtaro2")));
}

void TestConnection::refusesWhatIsNoDatabaseOfOurs_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("text file") << QByteArray("CODIGO;DESCRIPCION\n112;MESA\n").repeated(200)
                               << QStringLiteral("no es una base de datos");
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("falta la tabla «vemtaro»");
    QTest::newRow("other database")
        << QByteArray("other") << QStringLiteral("falta la tabla «RUBRO»");
    QTest::newRow("table without key")
        << QByteArray("nokey") << QStringLiteral("la tabla «vidaUtil» no tiene la clave «id»");
}

void TestConnection::refusesWhatIsNoDatabaseOfOurs()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = m_dir->filePath(QStringLiteral("chart.sqlite"));
    if (content == "other" || content == "nokey") {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &raw);
        const char* sql = content == "other"
                              ? "CREATE TABLE vemtaro (id INTEGER PRIMARY KEY, CODIGO TEXT);"
                                "CREATE TABLE extendido (id INTEGER PRIMARY KEY); CREATE TABLE "
                                "CODIGO (id INTEGER PRIMARY KEY)"
                              : "CREATE TABLE vemtaro (id INTEGER PRIMARY KEY); CREATE TABLE "
                                "extendido (id INTEGER PRIMARY KEY);"
                                "CREATE TABLE CODIGO (id INTEGER PRIMARY KEY); CREATE TABLE RUBRO "
                                "(id INTEGER PRIMARY KEY);"
                                "CREATE TABLE vidaUtil (id TEXT, Vida_Util INTEGER)";
        QCOMPARE(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    try {
        Connection::open(path);
        QFAIL("the file was accepted");
    } catch (const DbError& error) {
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
    }
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before); // a foreign file is left exactly as it was
}

void TestConnection::missingFileIsNotCreated()
{
    const QString path = m_dir->filePath(QStringLiteral("missing.sqlite"));
    try {
        Connection::open(path);
        QFAIL("a missing file was opened");
    } catch (const DbError& error) {
        QVERIFY(error.description().startsWith(QStringLiteral("No se encuentra la base de datos")));
    }
    QVERIFY(!QFile::exists(path));
}

void TestConnection::opensSharedInWriteAheadMode()
{
    const auto db = Connection::open(makeDatabase());
    QCOMPARE(text(db->handle(), "PRAGMA journal_mode"), QStringLiteral("wal"));
    QCOMPARE(text(db->handle(), "PRAGMA synchronous"), QStringLiteral("2"));
    QCOMPARE(text(db->handle(), "PRAGMA foreign_keys"), QStringLiteral("0"));
    PlainConnection other(m_dir->filePath(QStringLiteral("chart.sqlite")));
    QCOMPARE(text(other.db, "SELECT count(*) FROM vemtaro"), QStringLiteral("2"));
}

// A file still in rollback mode cannot switch to WAL while another program reads it; opening
// must still succeed, and reading too.
void TestConnection::opensWhileAnotherProgramReads()
{
    const QString path = makeDatabase();
    PlainConnection reader(path);
    QCOMPARE(reader.exec("BEGIN; SELECT count(*) FROM vemtaro;"), SQLITE_OK);
    QCOMPARE(text(reader.db, "SELECT count(*) FROM vemtaro"), QStringLiteral("2"));
    const auto db = Connection::open(path);
    QCOMPARE(text(db->handle(), "SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '120'"),
             QStringLiteral("silla"));
    reader.exec("COMMIT");
}

void TestConnection::writesWhileAnotherProgramReads()
{
    const QString path = makeDatabase();
    Connection::open(path); // leaves the file in WAL mode
    PlainConnection reader(path);
    QCOMPARE(reader.exec("BEGIN"), SQLITE_OK);
    QCOMPARE(text(reader.db, "SELECT count(*) FROM vemtaro"), QStringLiteral("2"));
    const auto db = Connection::open(path);
    QCOMPARE(sqlite3_exec(db->handle(), "INSERT INTO vemtaro (CODIGO) VALUES ('130')", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    QCOMPARE(text(reader.db, "SELECT count(*) FROM vemtaro"), QStringLiteral("2")); // its snapshot
    reader.exec("COMMIT");
    QCOMPARE(text(reader.db, "SELECT count(*) FROM vemtaro"), QStringLiteral("3"));
}

void TestConnection::functionsLiveOnlyOnTheConnection()
{
    const QString path = makeDatabase();
    {
        const auto db = Connection::open(path);
        QCOMPARE(
            text(db->handle(), "SELECT count(*) FROM vemtaro WHERE jet_like('*ILL*', DESCRIPCION)"),
            QStringLiteral("1"));
        QCOMPARE(text(db->handle(),
                      "SELECT DESCRIPCION FROM vemtaro ORDER BY DESCRIPCION COLLATE jet_text DESC"),
                 QStringLiteral("silla"));
    }
    PlainConnection plain(path);
    QCOMPARE(text(plain.db, "SELECT count(*) FROM sqlite_schema WHERE sql LIKE '%jet_%'"),
             QStringLiteral("0"));
    QCOMPARE(text(plain.db, "SELECT DESCRIPCION FROM vemtaro ORDER BY DESCRIPCION"),
             QStringLiteral("MESA"));
    QCOMPARE(text(plain.db, "PRAGMA integrity_check"), QStringLiteral("ok"));
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
