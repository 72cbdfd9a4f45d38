// A process killed while it saves keeps every save it committed, and leaves a sound file.
#include "DbTestSupport.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

class TestKilledSaves : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCommittedSaveOutlivesAKill_data()
    {
        QTest::addColumn<int>("rounds");
        QTest::newRow("at the first save") << 1;
        QTest::newRow("after a few") << 7;
        QTest::newRow("after many") << 60;
        for (int i = 0; i < 3; ++i)
            QTest::addRow("random %d", i) << int(QRandomGenerator::global()->bounded(2, 40));
    }

    void everyCommittedSaveOutlivesAKill()
    {
        QFETCH(int, rounds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cuentas.sqlite"));
        createDatabase(path, fiveAccounts);

        QProcess saver;
        saver.start(QStringLiteral(SAVER_PROGRAM), {path});
        QVERIFY(saver.waitForStarted());
        QByteArray printed;
        const QDeadlineTimer deadline(60000);
        while (printed.count('\n') < rounds && saver.state() == QProcess::Running &&
               !deadline.hasExpired()) {
            saver.waitForReadyRead(1000);
            printed += saver.readAllStandardOutput();
        }
        // Land anywhere in the next round: inside a write, between the two, or in the print.
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        saver.kill();
        QVERIFY(saver.waitForFinished());
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
        QVERIFY2(saver.readAllStandardError().isEmpty(), "the saver failed on its own");
        printed += saver.readAllStandardOutput();

        // Only whole lines were printed after a commit.
        const QList<QByteArray> lines = printed.left(printed.lastIndexOf('\n')).split('\n');
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i].toInt(), i + 1);
        const int committed = int(lines.size());
        QVERIFY(committed >= rounds);

        OtherProgram file(path);
        QCOMPARE(file.scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
        // The kill may fall after a commit whose number was not printed yet.
        const int added =
            file.scalar("SELECT count(*) FROM vemtaro WHERE CODIGO LIKE 'saved-%'").toInt();
        QVERIFY2(added == committed || added == committed + 1, qPrintable(QString::number(added)));
        QCOMPARE(file.scalar(QByteArray("SELECT count(DISTINCT CODIGO) FROM vemtaro WHERE CODIGO "
                                        "LIKE 'saved-%' AND CAST(substr(CODIGO, 7) AS INTEGER) "
                                        "BETWEEN 1 AND ") +
                             QByteArray::number(committed)),
                 QString::number(committed));
        const int remarks =
            file.scalar("SELECT OBSERVACIONES FROM vemtaro ORDER BY id LIMIT 1").toInt();
        QVERIFY2(remarks == committed || (remarks == committed + 1 && added == committed + 1),
                 qPrintable(QString::number(remarks)));
        QCOMPARE(file.storedCodes().section(QLatin1Char(','), 0, 4),
                 QStringLiteral("101,102,201,301,401"));
    }
};

QTEST_MAIN(TestKilledSaves)
#include "tst_killedsaves.moc"
