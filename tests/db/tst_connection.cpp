#include "DbTestSupport.h"

#include <QFile>

using namespace vemtaro::db;

class TestConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

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
        row("other database", "CREATE TABLE vemtaro (id INTEGER PRIMARY KEY)",
            "falta la tabla «extendido»");
        row("table without key",
            "CREATE TABLE vemtaro (id INTEGER PRIMARY KEY); CREATE TABLE extendido (id INTEGER "
            "PRIMARY KEY); CREATE TABLE CODIGO (id INTEGER PRIMARY KEY); CREATE TABLE RUBRO (id "
            "INTEGER PRIMARY KEY); CREATE TABLE vidaUtil (id TEXT)",
            "la tabla «vidaUtil» no tiene la clave «id»");
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
        const QByteArray before = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        file.close();
        try {
            Connection::open(path());
            QFAIL("the file was accepted");
        } catch (const DbError& error) {
            QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
        }
        // A foreign file is left exactly as it was, and a missing one is not created.
        QCOMPARE(file.exists(), !content.isNull());
        QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), before);
    }

    void sharesTheFileWithAnotherProgram()
    {
        createDatabase(path(), fiveAccounts);
        OtherProgram other(path());
        // A file still in rollback mode cannot switch to WAL while another program reads it;
        // opening must still succeed, and reading too.
        other.exec("BEGIN; SELECT count(*) FROM vemtaro;");
        QCOMPARE(scalar(Connection::open(path())->handle(), "SELECT count(*) FROM vemtaro"),
                 QStringLiteral("5"));
        other.exec("COMMIT");

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

private:
    QString path() const { return m_dir->filePath(QStringLiteral("cuentas.sqlite")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
