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
        for (const int rounds : {1, 7, 60, int(QRandomGenerator::global()->bounded(2, 40))})
            QTest::addRow("after %d", rounds) << rounds;
    }

    void everyCommittedSaveOutlivesAKill()
    {
        QFETCH(int, rounds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cuentas.sqlite"));
        createDatabase(path, fiveAccounts);

        QProcess saver;
        saver.start(QStringLiteral(SAVER_PROGRAM), {path});
        QByteArray printed;
        const QDeadlineTimer deadline(60000);
        while (printed.count('\n') < rounds && saver.state() != QProcess::NotRunning &&
               !deadline.hasExpired()) {
            saver.waitForReadyRead(1000);
            printed += saver.readAllStandardOutput();
        }
        // Land anywhere in the next round: inside a write, between the two, or in the print.
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        saver.kill();
        QVERIFY(saver.waitForFinished());
        QVERIFY2(saver.readAllStandardError().isEmpty(), "the saver failed on its own");
        printed += saver.readAllStandardOutput();

        // Only whole lines were printed after a commit.
        const QList<QByteArray> lines = printed.left(printed.lastIndexOf('\n')).split('\n');
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i].toInt(), i + 1);
        const int committed = int(lines.size());
        QVERIFY(committed >= rounds);

        // The kill may fall after a commit whose number was not printed yet.
        OtherProgram file(path);
        QCOMPARE(file.scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
        const QString stored = file.scalar(
            "SELECT count(*) || ' ' || (SELECT OBSERVACIONES FROM vemtaro ORDER BY id LIMIT 1) || "
            "' ' || max(CAST(substr(CODIGO, 7) AS INTEGER)) FROM vemtaro WHERE CODIGO LIKE "
            "'saved-%'");
        const QString whole = QStringLiteral("%1 %1 %1"), half = QStringLiteral("%1 %2 %1");
        QVERIFY2(stored == whole.arg(committed) || stored == whole.arg(committed + 1) ||
                     stored == half.arg(committed + 1).arg(committed),
                 qPrintable(stored));
        QCOMPARE(file.storedCodes().section(QLatin1Char(','), 0, 4),
                 QStringLiteral("101,102,201,301,401"));
    }
};

QTEST_MAIN(TestKilledSaves)
#include "tst_killedsaves.moc"
