#include "db/Connection.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "db/RecordSet.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro::db;
using Mode = RecordSet::EditMode;

namespace {

enum Field { Codigo, Clase, Descripcion, Rubro, VidaUtil, Observaciones };

const char* const fiveAccounts =
    "INSERT INTO vemtaro (CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, OBSERVACIONES) VALUES "
    "('101', '01', 'MESA DE MADERA', 'MOBILIARIO', 10, NULL),"
    "('102', '01', 'SILLA GIRATORIA', 'MOBILIARIO', 10, 'CON BRAZOS'),"
    "('201', '02', 'COMPUTADORA PORTATIL', 'EQUIPO DE COMPUTACION', 5, NULL),"
    "('301', '01', NULL, 'TERRENOS', 0, NULL),"
    "('401', '03', 'CAMIONETA', 'VEHICULOS', 5, NULL)";

/// Another program working on the same file through its own engine connection.
class OtherProgram {
public:
    explicit OtherProgram(const QString& path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(m_db, 2000);
    }
    ~OtherProgram() { sqlite3_close(m_db); }
    void exec(const char* sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            const QByteArray message = error;
            sqlite3_free(error);
            QFAIL(message.constData());
        }
    }
    /// The first column of the first row as text ("<null>" for a null, "<none>" without row).
    QString scalar(const char* sql)
    {
        sqlite3_stmt* stmt = nullptr;
        QString result = QStringLiteral("<none>");
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = sqlite3_column_type(stmt, 0) == SQLITE_NULL
                         ? QStringLiteral("<null>")
                         : QString::fromUtf8(
                               reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return result;
    }
    /// Every stored code in key order, comma-separated.
    QString storedCodes()
    {
        return scalar("SELECT group_concat(c, ',') FROM "
                      "(SELECT coalesce(CODIGO, '-') AS c FROM vemtaro ORDER BY id)");
    }

private:
    sqlite3* m_db = nullptr;
};

QStringList codes(const RecordSet& records)
{
    QStringList result;
    for (int row = 0; row < records.recordCount(); ++row)
        result << records.value(row, Codigo).toString();
    return result;
}

QString currentCode(const RecordSet& records)
{
    return records.currentValue(Codigo).toString();
}

} // namespace

class TestRecordSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void opensTheWholeTableInItsOwnOrder();
    void opensAQueryInItsOrder();
    void aRejectedQueryKeepsTheRows();
    void anEmptyResultHasNoCurrentRecord();
    void movesAndDeletes_data();
    void movesAndDeletes();
    void deletingTheOnlyRecord();

    void aNewRecordJoinsTheEndAndBecomesCurrent();
    void aCancelledNewRecordAddsNothing();
    void anEditIsWrittenByUpdate();
    void aCancelledEditShowsTheStoredValues();
    void numericFieldsTakeNumbersOnly_data();
    void numericFieldsTakeNumbersOnly();
    void aRefusedWriteChangesNothing_data();
    void aRefusedWriteChangesNothing();

    void aChangedPendingEditIsWrittenOnTheNextMove();
    void anUnchangedPendingEditIsAbandoned();
    void aMoveWhoseWriteFailsDoesNotMove();
    void openWritesAChangedPendingEdit();

    void rowsDeletedByAnotherProgramReadAsNull();
    void anEditIsNotForcedOverAnotherProgramsChange();
    void aBusyDatabaseRefusesTheWriteUntilFree();

private:
    std::unique_ptr<RecordSet> openRecords(const QString& source = QStringLiteral("vemtaro"));

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<OtherProgram> m_other;
    std::unique_ptr<Connection> m_db;
};

void TestRecordSet::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("cuentas.sqlite"));
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &raw), SQLITE_OK);
    createSchema(raw);
    QCOMPARE(sqlite3_exec(raw, fiveAccounts, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    m_db = Connection::open(m_path);
    m_other = std::make_unique<OtherProgram>(m_path);
}

void TestRecordSet::cleanup()
{
    m_other.reset();
    m_db.reset();
    m_dir.reset();
}

std::unique_ptr<RecordSet> TestRecordSet::openRecords(const QString& source)
{
    auto records = std::make_unique<RecordSet>(*m_db);
    records->open(source);
    return records;
}

void TestRecordSet::opensTheWholeTableInItsOwnOrder()
{
    RecordSet records(*m_db);
    QSignalSpy reset(&records, &RecordSet::resultReset);
    QSignalSpy repositioned(&records, &RecordSet::repositioned);
    records.open(QStringLiteral("Vemtaro"));

    QCOMPARE(reset.count(), 1);
    QCOMPARE(repositioned.count(), 1);
    QCOMPARE(records.fieldNames(), (QStringList{"CODIGO", "CLASE", "DESCRIPCION", "RUBRO",
                                                "VIDA_UTIL", "OBSERVACIONES"}));
    QCOMPARE(records.fieldIndex(QStringLiteral("vida_util")), int(VidaUtil));
    QCOMPARE(records.fieldIndex(QStringLiteral("id")), -1);
    QCOMPARE(records.recordCount(), 5);
    QCOMPARE(records.absolutePosition(), 0);
    QVERIFY(!records.eof());
    QVERIFY(!records.bof());
    QCOMPARE(codes(records), (QStringList{"101", "102", "201", "301", "401"}));
    QCOMPARE(records.value(1, Observaciones).toString(), QStringLiteral("CON BRAZOS"));
    QCOMPARE(records.value(2, VidaUtil).toInt(), 5);
    QVERIFY(records.value(3, Descripcion).isNull());
    QVERIFY(records.value(5, Codigo).isNull());
    QVERIFY(records.value(0, 6).isNull());
}

void TestRecordSet::opensAQueryInItsOrder()
{
    const auto records = openRecords(
        QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*a*' ORDER BY descripcion"));
    // The null description is never found; letters match without regard to case.
    QCOMPARE(codes(*records), (QStringList{"401", "201", "101", "102"}));
    QCOMPARE(currentCode(*records), QStringLiteral("401"));
}

void TestRecordSet::aRejectedQueryKeepsTheRows()
{
    const auto records = openRecords();
    records->moveTo(2);
    QSignalSpy reset(records.get(), &RecordSet::resultReset);
    QVERIFY_THROWS_EXCEPTION(
        DbError, records->open(QStringLiteral(
                     "SELECT * FROM vemtaro WHERE descripcion LIKE '*O'*' ORDER BY descripcion")));
    QVERIFY_THROWS_EXCEPTION(
        DbError, records->open(QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*' "
                                              "ORDER BY nombre")));
    QCOMPARE(reset.count(), 0);
    QCOMPARE(records->recordCount(), 5);
    QCOMPARE(records->absolutePosition(), 2);
    QCOMPARE(currentCode(*records), QStringLiteral("201"));
}

void TestRecordSet::anEmptyResultHasNoCurrentRecord()
{
    const auto records = openRecords(
        QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*ZZZ*' ORDER BY codigo"));
    QCOMPARE(records->recordCount(), 0);
    QCOMPARE(records->absolutePosition(), -1);
    QVERIFY(records->eof());
    QVERIFY(records->bof());
    QVERIFY(records->currentValue(Codigo).isNull());
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveLast());
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveFirst());
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveNext());
    QVERIFY_THROWS_EXCEPTION(DbError, records->movePrevious());
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveTo(0));
    QVERIFY_THROWS_EXCEPTION(DbError, records->edit());
    QVERIFY_THROWS_EXCEPTION(DbError, records->deleteCurrent());
    QVERIFY_THROWS_EXCEPTION(DbError, records->setValue(Codigo, QStringLiteral("1")));
    QCOMPARE(records->editMode(), Mode::None);

    // A new record is still possible, and becomes the one record of the result.
    records->addNew();
    records->setValue(Codigo, QStringLiteral("999"));
    records->update();
    QCOMPARE(codes(*records), QStringList{"999"});
    QCOMPARE(records->absolutePosition(), 0);
    QVERIFY(!records->eof() && !records->bof());
}

void TestRecordSet::movesAndDeletes_data()
{
    // Steps from the first of the five records: F first, L last, N next, P previous,
    // D delete. `fails` means the last step throws (and changes nothing).
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("count");

    QTest::newRow("open") << "" << false << 0 << false << false << "101" << 5;
    QTest::newRow("next") << "N" << false << 1 << false << false << "102" << 5;
    QTest::newRow("last") << "NL" << false << 4 << false << false << "401" << 5;
    QTest::newRow("first") << "LF" << false << 0 << false << false << "101" << 5;
    QTest::newRow("past the end") << "LN" << false << -1 << true << false << "" << 5;
    QTest::newRow("beyond the end") << "LNN" << true << -1 << true << false << "" << 5;
    QTest::newRow("back from the end") << "LNP" << false << 4 << false << false << "401" << 5;
    QTest::newRow("before the start") << "P" << false << -1 << false << true << "" << 5;
    QTest::newRow("beyond the start") << "PP" << true << -1 << false << true << "" << 5;
    QTest::newRow("back from the start") << "PN" << false << 0 << false << false << "101" << 5;
    QTest::newRow("deleted stays current") << "NND" << false << -1 << false << false << "" << 4;
    QTest::newRow("middle, then next") << "NNDN" << false << 2 << false << false << "301" << 4;
    QTest::newRow("middle, then previous") << "NNDP" << false << 1 << false << false << "102" << 4;
    QTest::newRow("delete twice") << "NNDD" << true << -1 << false << false << "" << 4;
    QTest::newRow("first, then next") << "DN" << false << 0 << false << false << "102" << 4;
    QTest::newRow("first, then previous") << "DP" << false << -1 << false << true << "" << 4;
    QTest::newRow("last, then next") << "LDN" << false << -1 << true << false << "" << 4;
    QTest::newRow("last, next, last") << "LDNL" << false << 3 << false << false << "301" << 4;
    QTest::newRow("past the end, delete") << "LND" << true << -1 << true << false << "" << 5;
    QTest::newRow("two deletes") << "NDNDN" << false << 1 << false << false << "301" << 3;
}

void TestRecordSet::movesAndDeletes()
{
    QFETCH(QString, steps);
    QFETCH(bool, fails);
    QFETCH(int, position);
    QFETCH(bool, eof);
    QFETCH(bool, bof);
    QFETCH(QString, current);
    QFETCH(int, count);

    const auto records = openRecords();
    QSignalSpy repositioned(records.get(), &RecordSet::repositioned);
    int done = 0;
    for (int i = 0; i < steps.size(); ++i) {
        try {
            switch (steps[i].toLatin1()) {
            case 'F':
                records->moveFirst();
                break;
            case 'L':
                records->moveLast();
                break;
            case 'N':
                records->moveNext();
                break;
            case 'P':
                records->movePrevious();
                break;
            case 'D':
                records->deleteCurrent();
                break;
            }
            ++done;
        } catch (const DbError& error) {
            QVERIFY2(fails && i == steps.size() - 1, qPrintable(error.description()));
            QVERIFY(!error.description().isEmpty());
        }
    }
    QCOMPARE(done, fails ? int(steps.size()) - 1 : int(steps.size()));
    QCOMPARE(repositioned.count(), done);
    QCOMPARE(records->absolutePosition(), position);
    QCOMPARE(records->eof(), eof);
    QCOMPARE(records->bof(), bof);
    QCOMPARE(currentCode(*records), current);
    QCOMPARE(records->recordCount(), count);
    QCOMPARE(m_other->scalar("SELECT count(*) FROM vemtaro").toInt(), count);
}

void TestRecordSet::deletingTheOnlyRecord()
{
    const auto records = openRecords(
        QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE 'cam*' ORDER BY codigo"));
    QCOMPARE(codes(*records), QStringList{"401"});
    QSignalSpy removed(records.get(), &RecordSet::rowRemoved);
    records->deleteCurrent();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.front().front().toInt(), 0);
    // The clerk's delete: next, and the last one when past the end, which fails here.
    records->moveNext();
    QVERIFY(records->eof());
    QVERIFY(records->bof());
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveLast());
    QCOMPARE(records->recordCount(), 0);
    QCOMPARE(m_other->storedCodes(), QStringLiteral("101,102,201,301"));
}

void TestRecordSet::aNewRecordJoinsTheEndAndBecomesCurrent()
{
    // In code order the new record would come first; it joins the end all the same.
    const auto records = openRecords(
        QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*' ORDER BY codigo"));
    QSignalSpy appended(records.get(), &RecordSet::rowAppended);
    QSignalSpy repositioned(records.get(), &RecordSet::repositioned);
    records->moveLast();
    records->addNew();
    QCOMPARE(records->editMode(), Mode::AddNew);
    QCOMPARE(records->absolutePosition(), 3);
    for (int field = Codigo; field <= Observaciones; ++field)
        QVERIFY(records->currentValue(field).isNull());
    QCOMPARE(records->value(3, Codigo).toString(), QStringLiteral("401"));

    records->setValue(Codigo, QStringLiteral("001"));
    records->setValue(Descripcion, QStringLiteral("ARCHIVADOR"));
    records->setValue(VidaUtil, QStringLiteral("10"));
    QCOMPARE(records->currentValue(Descripcion).toString(), QStringLiteral("ARCHIVADOR"));
    QCOMPARE(records->recordCount(), 4);
    records->update();

    QCOMPARE(records->editMode(), Mode::None);
    QCOMPARE(records->recordCount(), 5);
    QCOMPARE(appended.count(), 1);
    QCOMPARE(appended.front().front().toInt(), 4);
    QCOMPARE(repositioned.count(), 2);
    QCOMPARE(records->absolutePosition(), 4);
    QCOMPARE(codes(*records), (QStringList{"101", "102", "201", "401", "001"}));
    QCOMPARE(records->currentValue(VidaUtil), QVariant(qlonglong(10)));
    QCOMPARE(m_other->scalar("SELECT typeof(VIDA_UTIL) || ' ' || VIDA_UTIL || ' ' || "
                             "coalesce(CLASE, '<null>') FROM vemtaro WHERE CODIGO = '001'"),
             QStringLiteral("integer 10 <null>"));
}

void TestRecordSet::aCancelledNewRecordAddsNothing()
{
    const auto records = openRecords();
    records->moveLast();
    records->addNew();
    records->setValue(Codigo, QStringLiteral("555"));
    records->cancelUpdate();
    QCOMPARE(records->editMode(), Mode::None);
    QCOMPARE(records->recordCount(), 5);
    QCOMPARE(records->absolutePosition(), 4);
    QCOMPARE(currentCode(*records), QStringLiteral("401"));
    // Nothing is pending any more, so a move writes nothing either.
    records->moveFirst();
    QCOMPARE(m_other->scalar("SELECT count(*) FROM vemtaro").toInt(), 5);
}

void TestRecordSet::anEditIsWrittenByUpdate()
{
    const auto records = openRecords();
    records->moveTo(1);
    QSignalSpy changed(records.get(), &RecordSet::rowChanged);
    records->edit();
    QCOMPARE(records->editMode(), Mode::Edit);
    records->setValue(Descripcion, QStringLiteral("SILLA FIJA"));
    records->setValue(Observaciones, QString()); // an empty text stores null
    // The grid sees the pending buffer in the edited row.
    QCOMPARE(records->value(1, Descripcion).toString(), QStringLiteral("SILLA FIJA"));
    records->update();

    QCOMPARE(records->editMode(), Mode::None);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(changed.last().front().toInt(), 1);
    QCOMPARE(records->absolutePosition(), 1);
    QCOMPARE(records->value(1, Descripcion).toString(), QStringLiteral("SILLA FIJA"));
    QVERIFY(records->value(1, Observaciones).isNull());
    QCOMPARE(m_other->scalar("SELECT DESCRIPCION || '/' || coalesce(OBSERVACIONES, '<null>') "
                             "FROM vemtaro WHERE CODIGO = '102'"),
             QStringLiteral("SILLA FIJA/<null>"));
    QVERIFY_THROWS_EXCEPTION(DbError, records->update()); // nothing pending any more
}

void TestRecordSet::aCancelledEditShowsTheStoredValues()
{
    const auto records = openRecords();
    records->edit();
    records->setValue(Descripcion, QStringLiteral("MESA DE VIDRIO"));
    QCOMPARE(records->currentValue(Descripcion).toString(), QStringLiteral("MESA DE VIDRIO"));
    records->cancelUpdate();
    QCOMPARE(records->currentValue(Descripcion).toString(), QStringLiteral("MESA DE MADERA"));
    QCOMPARE(records->value(0, Descripcion).toString(), QStringLiteral("MESA DE MADERA"));
    records->moveNext();
    QCOMPARE(m_other->scalar("SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '101'"),
             QStringLiteral("MESA DE MADERA"));
}

void TestRecordSet::numericFieldsTakeNumbersOnly_data()
{
    QTest::addColumn<QVariant>("given");
    QTest::addColumn<QString>("stored"); ///< typeof and value, or empty when refused
    QTest::newRow("whole number") << QVariant(QStringLiteral("8")) << "integer 8";
    QTest::newRow("blanks around") << QVariant(QStringLiteral(" 20 ")) << "integer 20";
    QTest::newRow("negative") << QVariant(QStringLiteral("-3")) << "integer -3";
    QTest::newRow("decimal comma") << QVariant(QStringLiteral("2,5")) << "real 2.5";
    QTest::newRow("decimal point") << QVariant(QStringLiteral("7.25")) << "real 7.25";
    QTest::newRow("empty text") << QVariant(QString()) << "null ";
    QTest::newRow("only blanks") << QVariant(QStringLiteral("   ")) << "null ";
    QTest::newRow("null") << QVariant() << "null ";
    QTest::newRow("a number") << QVariant(15) << "integer 15";
    QTest::newRow("word") << QVariant(QStringLiteral("diez")) << "";
    QTest::newRow("number and word") << QVariant(QStringLiteral("10 años")) << "";
    QTest::newRow("exponent") << QVariant(QStringLiteral("1e3")) << "";
    QTest::newRow("group separators") << QVariant(QStringLiteral("1.000,5")) << "";
    QTest::newRow("two signs") << QVariant(QStringLiteral("--5")) << "";
}

void TestRecordSet::numericFieldsTakeNumbersOnly()
{
    QFETCH(QVariant, given);
    QFETCH(QString, stored);
    const auto records = openRecords();
    records->edit();
    records->setValue(VidaUtil, given);
    const char* query = "SELECT typeof(VIDA_UTIL) || ' ' || coalesce(VIDA_UTIL, '') "
                        "FROM vemtaro WHERE CODIGO = '101'";
    if (stored.isEmpty()) {
        try {
            records->update();
            QFAIL("a text that is no number was stored");
        } catch (const DbError& error) {
            QVERIFY2(error.description().contains(QLatin1String("VIDA_UTIL")),
                     qPrintable(error.description()));
        }
        QCOMPARE(records->editMode(), Mode::Edit);
        QCOMPARE(records->currentValue(VidaUtil), given);
        QCOMPARE(m_other->scalar(query), QStringLiteral("integer 10"));
    } else {
        records->update();
        QCOMPARE(m_other->scalar(query), stored);
    }
}

void TestRecordSet::aRefusedWriteChangesNothing_data()
{
    QTest::addColumn<bool>("adding");
    QTest::newRow("edit") << false;
    QTest::newRow("new record") << true;
}

void TestRecordSet::aRefusedWriteChangesNothing()
{
    QFETCH(bool, adding);
    m_other->exec("CREATE TRIGGER cuenta_cerrada BEFORE UPDATE ON vemtaro "
                  "WHEN NEW.CODIGO = '777' BEGIN SELECT RAISE(ABORT, 'Cuenta cerrada'); END;"
                  "CREATE TRIGGER cuenta_nueva_cerrada BEFORE INSERT ON vemtaro "
                  "WHEN NEW.CODIGO = '777' BEGIN SELECT RAISE(ABORT, 'Cuenta cerrada'); END;");
    const auto records = openRecords();
    records->moveTo(2);
    if (adding)
        records->addNew();
    else
        records->edit();
    records->setValue(Codigo, QStringLiteral("777"));
    records->setValue(Descripcion, QStringLiteral("ESCRITORIO"));
    QSignalSpy appended(records.get(), &RecordSet::rowAppended);
    QSignalSpy repositioned(records.get(), &RecordSet::repositioned);
    try {
        records->update();
        QFAIL("the trigger did not refuse the write");
    } catch (const DbError& error) {
        QCOMPARE(error.description(), QStringLiteral("Cuenta cerrada"));
    }
    QCOMPARE(records->editMode(), adding ? Mode::AddNew : Mode::Edit);
    QCOMPARE(records->currentValue(Codigo).toString(), QStringLiteral("777"));
    QCOMPARE(records->currentValue(Descripcion).toString(), QStringLiteral("ESCRITORIO"));
    QCOMPARE(records->absolutePosition(), 2);
    QCOMPARE(records->recordCount(), 5);
    QCOMPARE(appended.count(), 0);
    QCOMPARE(repositioned.count(), 0);
    QCOMPARE(m_other->storedCodes(), QStringLiteral("101,102,201,301,401"));

    // The clerk corrects the code and saves again.
    records->setValue(Codigo, QStringLiteral("778"));
    records->update();
    QCOMPARE(m_other->storedCodes(), adding ? QStringLiteral("101,102,201,301,401,778")
                                            : QStringLiteral("101,102,778,301,401"));
}

void TestRecordSet::aChangedPendingEditIsWrittenOnTheNextMove()
{
    const auto records = openRecords();
    records->moveTo(1);
    // As the grid does: no edit() first, the value goes straight into the pending buffer.
    records->setValue(Rubro, QStringLiteral("EQUIPO DE OFICINA"));
    QCOMPARE(records->editMode(), Mode::Edit);
    QCOMPARE(m_other->scalar("SELECT RUBRO FROM vemtaro WHERE CODIGO = '102'"),
             QStringLiteral("MOBILIARIO"));
    records->moveNext();
    QCOMPARE(records->editMode(), Mode::None);
    QCOMPARE(records->absolutePosition(), 2);
    QCOMPARE(m_other->scalar("SELECT RUBRO FROM vemtaro WHERE CODIGO = '102'"),
             QStringLiteral("EQUIPO DE OFICINA"));
    QCOMPARE(records->value(1, Rubro).toString(), QStringLiteral("EQUIPO DE OFICINA"));

    // A changed new record is written by a move as well.
    records->addNew();
    records->setValue(Codigo, QStringLiteral("500"));
    records->moveFirst();
    QCOMPARE(records->absolutePosition(), 0);
    QCOMPARE(codes(*records).last(), QStringLiteral("500"));
    QCOMPARE(m_other->storedCodes(), QStringLiteral("101,102,201,301,401,500"));
}

void TestRecordSet::anUnchangedPendingEditIsAbandoned()
{
    // Any write of row 102 would now fail, so a move that wrote it would throw.
    m_other->exec("CREATE TRIGGER sin_cambios BEFORE UPDATE ON vemtaro "
                  "BEGIN SELECT RAISE(ABORT, 'escrito'); END;"
                  "CREATE TRIGGER sin_altas BEFORE INSERT ON vemtaro "
                  "BEGIN SELECT RAISE(ABORT, 'escrito'); END;");
    const auto records = openRecords();
    records->moveTo(1);
    // The same texts the record holds (a number as text, null as an empty text).
    records->setValue(VidaUtil, QStringLiteral("10"));
    records->setValue(Descripcion, QStringLiteral("OTRA"));
    records->setValue(Descripcion, QStringLiteral("SILLA GIRATORIA"));
    records->setValue(Clase, QStringLiteral("01"));
    records->moveNext();
    QCOMPARE(records->editMode(), Mode::None);
    QCOMPARE(records->absolutePosition(), 2);

    records->addNew();
    records->setValue(Observaciones, QString());
    records->moveFirst();
    QCOMPARE(records->recordCount(), 5);
    QCOMPARE(records->absolutePosition(), 0);
}

void TestRecordSet::aMoveWhoseWriteFailsDoesNotMove()
{
    const auto records = openRecords();
    records->moveTo(3);
    records->setValue(VidaUtil, QStringLiteral("cinco"));
    QSignalSpy repositioned(records.get(), &RecordSet::repositioned);
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveNext());
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveTo(0));
    QVERIFY_THROWS_EXCEPTION(DbError, records->moveLast());
    QCOMPARE(repositioned.count(), 0);
    QCOMPARE(records->absolutePosition(), 3);
    QCOMPARE(records->editMode(), Mode::Edit);
    QCOMPARE(records->currentValue(VidaUtil).toString(), QStringLiteral("cinco"));

    records->setValue(VidaUtil, QStringLiteral("5"));
    records->moveTo(0);
    QCOMPARE(m_other->scalar("SELECT VIDA_UTIL FROM vemtaro WHERE CODIGO = '301'"),
             QStringLiteral("5"));
}

void TestRecordSet::openWritesAChangedPendingEdit()
{
    const auto records = openRecords();
    records->setValue(Descripcion, QStringLiteral("MESA DE REUNIONES"));
    records->open(QStringLiteral("vemtaro"));
    QCOMPARE(records->editMode(), Mode::None);
    QCOMPARE(records->currentValue(Descripcion).toString(), QStringLiteral("MESA DE REUNIONES"));
    QCOMPARE(m_other->scalar("SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '101'"),
             QStringLiteral("MESA DE REUNIONES"));
}

void TestRecordSet::rowsDeletedByAnotherProgramReadAsNull()
{
    const auto records = openRecords();
    m_other->exec("DELETE FROM vemtaro WHERE CODIGO IN ('201', '401')");
    QCOMPARE(records->recordCount(), 5);
    for (int field = Codigo; field <= Observaciones; ++field)
        QVERIFY(records->value(2, field).isNull());
    QCOMPARE(records->value(3, Rubro).toString(), QStringLiteral("TERRENOS"));

    records->moveTo(2);
    QVERIFY(records->currentValue(Codigo).isNull());
    QVERIFY_THROWS_EXCEPTION(DbError, records->edit());
    QCOMPARE(records->editMode(), Mode::None);
    // Deleting what is gone already succeeds.
    records->deleteCurrent();
    QCOMPARE(records->recordCount(), 4);

    // An edit of a record deleted meanwhile cannot be saved; cancelling it is possible.
    records->moveTo(2);
    QCOMPARE(currentCode(*records), QStringLiteral("301"));
    records->edit();
    records->setValue(Descripcion, QStringLiteral("LOTE"));
    m_other->exec("DELETE FROM vemtaro WHERE CODIGO = '301'");
    QVERIFY_THROWS_EXCEPTION(DbError, records->update());
    QCOMPARE(records->editMode(), Mode::Edit);
    records->cancelUpdate();
    QCOMPARE(m_other->storedCodes(), QStringLiteral("101,102"));
}

void TestRecordSet::anEditIsNotForcedOverAnotherProgramsChange()
{
    const auto records = openRecords();
    records->edit();
    records->setValue(Descripcion, QStringLiteral("MESA DE CENTRO"));
    m_other->exec("UPDATE vemtaro SET OBSERVACIONES = 'REVISADA' WHERE CODIGO = '101'");
    try {
        records->update();
        QFAIL("another program's change was overwritten unseen");
    } catch (const DbError& error) {
        QVERIFY(error.description().contains(QLatin1String("Otro usuario")));
    }
    QCOMPARE(records->editMode(), Mode::Edit);
    QCOMPARE(m_other->scalar("SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '101'"),
             QStringLiteral("MESA DE MADERA"));
    // Saving again, the clerk's record is written as it stands in the buffer.
    records->update();
    QCOMPARE(m_other->scalar("SELECT DESCRIPCION || '/' || coalesce(OBSERVACIONES, '<null>') "
                             "FROM vemtaro WHERE CODIGO = '101'"),
             QStringLiteral("MESA DE CENTRO/<null>"));
}

void TestRecordSet::aBusyDatabaseRefusesTheWriteUntilFree()
{
    const auto records = openRecords();
    sqlite3_busy_timeout(m_db->handle(), 0);
    records->moveTo(4);
    records->deleteCurrent();
    records->moveLast();
    records->edit();
    records->setValue(Descripcion, QStringLiteral("SIN NOMBRE"));

    m_other->exec("BEGIN IMMEDIATE");
    try {
        records->update();
        QFAIL("wrote while another program held the file");
    } catch (const DbError& error) {
        QVERIFY2(error.description().contains(QLatin1String("en uso")),
                 qPrintable(error.description()));
    }
    QVERIFY_THROWS_EXCEPTION(DbError, records->deleteCurrent());
    QCOMPARE(records->editMode(), Mode::Edit);
    QCOMPARE(records->recordCount(), 4);
    m_other->exec("COMMIT");

    records->update();
    QCOMPARE(m_other->scalar("SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '301'"),
             QStringLiteral("SIN NOMBRE"));
}

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
