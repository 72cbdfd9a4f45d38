#include "db/Connection.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "db/RecordSet.h"
#include "db/RecordSetModel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro::db;

namespace {

enum Field { Codigo, Clase, Descripcion, Rubro, VidaUtil, Observaciones };

const char* const sampleRows =
    "INSERT INTO vemtaro (CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, OBSERVACIONES) VALUES "
    "('101', '01', 'MESA DE MADERA', 'MOBILIARIO', 10, NULL),"
    "('102', '01', 'SILLA GIRATORIA', 'MOBILIARIO', 10, NULL),"
    "('201', '02', 'COMPUTADORA PORTATIL', 'EQUIPO DE COMPUTACION', 5, NULL),"
    "('301', '01', NULL, 'TERRENOS', 0, NULL);"
    "INSERT INTO extendido (Ord, Codigo, Clase, Descripcion) VALUES "
    "(1, '101', '01', 'MESA DE MADERA CON GAVETAS'), (2, '102', '01', 'SILLA CON BRAZOS');";

QString stored(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    QString result = QStringLiteral("<none>");
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return result;
}

} // namespace

class TestRecordSetModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void showsOneRowPerRecordAndOneColumnPerField();
    void anEditGoesIntoThePendingBufferOfItsRow();
    void anEditDuringANewRecordSettlesItFirst();
    void aRefusedEditIsReported();
    void followsTheRecordSet();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Connection> m_db;
    std::unique_ptr<RecordSet> m_records;
    std::unique_ptr<RecordSetModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestRecordSetModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString path = m_dir->filePath(QStringLiteral("cuentas.sqlite"));
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    createSchema(raw);
    QCOMPARE(sqlite3_exec(raw, sampleRows, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    m_db = Connection::open(path);
    m_records = std::make_unique<RecordSet>(*m_db);
    m_model = std::make_unique<RecordSetModel>(m_records.get());
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_records->open(QStringLiteral("vemtaro"));
}

void TestRecordSetModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
    m_records.reset();
    m_db.reset();
    m_dir.reset();
}

void TestRecordSetModel::showsOneRowPerRecordAndOneColumnPerField()
{
    QCOMPARE(m_model->rowCount(), 4);
    QCOMPARE(m_model->columnCount(), 6);
    QStringList headers;
    for (int column = 0; column < m_model->columnCount(); ++column)
        headers << m_model->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(headers, m_records->fieldNames());
    QCOMPARE(m_model->index(2, Descripcion).data().toString(),
             QStringLiteral("COMPUTADORA PORTATIL"));
    QCOMPARE(m_model->index(2, VidaUtil).data(Qt::EditRole).toInt(), 5);
    QVERIFY(m_model->index(3, Descripcion).data().isNull());
    QVERIFY(m_model->index(0, 0).flags().testFlag(Qt::ItemIsEditable));
    // Rows are neither added nor removed through the model.
    QVERIFY(!m_model->insertRows(0, 1));
    QVERIFY(!m_model->removeRows(0, 1));
    QCOMPARE(m_model->rowCount(), 4);
}

void TestRecordSetModel::anEditGoesIntoThePendingBufferOfItsRow()
{
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(m_model->setData(m_model->index(2, Descripcion), QStringLiteral("TABLETA")));
    QCOMPARE(m_records->absolutePosition(), 2);
    QCOMPARE(m_records->editMode(), RecordSet::EditMode::Edit);
    QCOMPARE(m_model->index(2, Descripcion).data().toString(), QStringLiteral("TABLETA"));
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toModelIndex().row(), 2);
    QCOMPARE(stored(m_db->handle(), "SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '201'"),
             QStringLiteral("COMPUTADORA PORTATIL"));

    // A second cell of the same row joins the same pending edit.
    QVERIFY(m_model->setData(m_model->index(2, VidaUtil), QStringLiteral("3")));
    // Another row becoming current writes the edit.
    QVERIFY(m_model->setData(m_model->index(0, Rubro), QStringLiteral("EQUIPO DE OFICINA")));
    QCOMPARE(m_records->absolutePosition(), 0);
    QCOMPARE(stored(m_db->handle(),
                    "SELECT DESCRIPCION || ' ' || VIDA_UTIL FROM vemtaro WHERE CODIGO = '201'"),
             QStringLiteral("TABLETA 3"));
    QCOMPARE(m_model->index(2, VidaUtil).data().toInt(), 3);
    m_records->moveNext();
    QCOMPARE(stored(m_db->handle(), "SELECT RUBRO FROM vemtaro WHERE CODIGO = '101'"),
             QStringLiteral("EQUIPO DE OFICINA"));
}

void TestRecordSetModel::anEditDuringANewRecordSettlesItFirst()
{
    m_records->moveLast();
    m_records->addNew();
    QVERIFY(m_model->setData(m_model->index(3, Codigo), QStringLiteral("302")));
    // The untouched new record was abandoned and row 3 is being edited.
    QCOMPARE(m_records->editMode(), RecordSet::EditMode::Edit);
    QCOMPARE(m_model->rowCount(), 4);
    m_records->moveFirst();
    QCOMPARE(stored(m_db->handle(), "SELECT group_concat(CODIGO) FROM vemtaro"),
             QStringLiteral("101,102,201,302"));
}

void TestRecordSetModel::aRefusedEditIsReported()
{
    QVERIFY(m_model->setData(m_model->index(1, VidaUtil), QStringLiteral("diez")));
    QSignalSpy failed(m_model.get(), &RecordSetModel::writeFailed);
    // Making row 2 current would write "diez" into a numeric field: refused.
    QVERIFY(!m_model->setData(m_model->index(2, Descripcion), QStringLiteral("OTRA")));
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.front().front().toString().contains(QLatin1String("VIDA_UTIL")));
    QCOMPARE(m_records->absolutePosition(), 1);
    QCOMPARE(m_model->index(1, VidaUtil).data().toString(), QStringLiteral("diez"));
    QCOMPARE(m_model->index(2, Descripcion).data().toString(),
             QStringLiteral("COMPUTADORA PORTATIL"));
}

void TestRecordSetModel::followsTheRecordSet()
{
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    m_records->open(
        QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*a*' ORDER BY descripcion"));
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m_model->rowCount(), 3);
    QCOMPARE(m_model->index(0, Codigo).data().toString(), QStringLiteral("201"));

    m_records->moveTo(1);
    m_records->deleteCurrent();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.front().at(1).toInt(), 1);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->index(1, Codigo).data().toString(), QStringLiteral("102"));

    m_records->addNew();
    m_records->setValue(Codigo, QStringLiteral("900"));
    m_records->update();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.front().at(1).toInt(), 2);
    QCOMPARE(m_model->index(2, Codigo).data().toString(), QStringLiteral("900"));

    changed.clear();
    m_records->moveTo(0);
    m_records->edit();
    m_records->setValue(Clase, QStringLiteral("07"));
    m_records->update();
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toModelIndex().row(), 0);
    QCOMPARE(m_model->index(0, Clase).data().toString(), QStringLiteral("07"));

    // Another table brings its own columns.
    m_records->open(QStringLiteral("Extendido"));
    QCOMPARE(reset.count(), 2);
    QCOMPARE(m_model->columnCount(), 4);
    QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Ord"));
    QCOMPARE(m_model->index(1, 3).data().toString(), QStringLiteral("SILLA CON BRAZOS"));
}

QTEST_GUILESS_MAIN(TestRecordSetModel)
#include "tst_recordsetmodel.moc"
