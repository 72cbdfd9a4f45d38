#include "ImportTestSupport.h"

#include "db/Connection.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status;
    QString out;
    QString err;
};

Run importar(const QStringList& arguments)
{
    QProcess command;
    command.start(QStringLiteral(VEMTARO_IMPORTAR), arguments);
    command.waitForFinished(60000);
    return {command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1,
            QString::fromUtf8(command.readAllStandardOutput()),
            QString::fromUtf8(command.readAllStandardError())};
}

} // namespace

class TestComando : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void importsAndTellsTheSummary()
    {
        QTemporaryDir dir;
        const QString source = fixturePath(QStringLiteral("jet3"));
        const QString database = dir.filePath(QStringLiteral("nueva.sqlite"));
        const Run run = importar({source, database});
        QCOMPARE(run.status, 0);
        QVERIFY(
            run.out.startsWith(QStringLiteral("Se importó «%1», Access 97 (Jet 3).").arg(source)));
        for (const char* line : {"  vemtaro: 500\n", "  extendido: 3000\n", "  vidaUtil: 5\n"})
            QVERIFY2(run.out.contains(QString::fromUtf8(line)), line);
        QCOMPARE(run.err, QString());
        QVERIFY(vemtaro::db::Connection::open(database));
    }

    void failsWithoutTouchingAnything()
    {
        QTemporaryDir dir;
        const QString notAccess = dir.filePath(QStringLiteral("notas.mdb"));
        const QString existing = dir.filePath(QStringLiteral("existente.sqlite"));
        const QString database = dir.filePath(QStringLiteral("nueva.sqlite"));
        for (const QString& path : {notAccess, existing}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("no es de Access\n");
        }
        const QByteArray existingBefore = checksum(existing);

        Run run = importar({notAccess, database});
        QCOMPARE(run.status, 1);
        QVERIFY(
            run.err.contains(QStringLiteral("«%1»: no es un archivo de Access").arg(notAccess)));
        QCOMPARE(run.out, QString());
        QVERIFY(!QFile::exists(database));

        run = importar({fixturePath(QStringLiteral("jet4")), existing});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(QStringLiteral("ya existe «%1»").arg(existing)));
        QCOMPARE(checksum(existing), existingBefore);

        for (const QStringList& wrong :
             {QStringList(), QStringList{notAccess}, QStringList{notAccess, database, database}}) {
            run = importar(wrong);
            QCOMPARE(run.status, 2);
            QVERIFY(run.err.startsWith(
                QStringLiteral("Uso: vemtaro-importar ORIGEN.mdb DESTINO.sqlite")));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"existente.sqlite", "notas.mdb"}));
    }
};

QTEST_GUILESS_MAIN(TestComando)
#include "tst_comando.moc"
