#include "DbTestSupport.h"

#include "db/DefaultData.h"
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
