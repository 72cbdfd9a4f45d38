#include "DbTestSupport.h"

#include "db/RecordSet.h"
#include "db/RecordSetModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <optional>

using namespace vemtaro::db;

class TestRecordSetModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_tester.reset();
        m_model.reset();
        m_records.reset();
        m_data.emplace();
        m_records = std::make_unique<RecordSet>(*m_data->db);
        m_model = std::make_unique<RecordSetModel>(m_records.get());
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_records->open(QStringLiteral("vemtaro"));
    }

    void inPlaceEditsAreWrittenWhenAnotherRowBecomesCurrent()
    {
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        QVERIFY(m_model->setData(m_model->index(2, Descripcion), QStringLiteral("TABLETA")));
        QCOMPARE(m_records->absolutePosition(), 2);
        QCOMPARE(cell(2, Descripcion), QStringLiteral("TABLETA"));
        QCOMPARE(changed.last().at(0).toModelIndex().row(), 2);
        // A second cell of the same row joins the same pending edit.
        QVERIFY(m_model->setData(m_model->index(2, VidaUtil), QStringLiteral("3")));
        QCOMPARE(stored("SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '201'"),
                 QStringLiteral("COMPUTADORA PORTATIL"));

        QVERIFY(m_model->setData(m_model->index(0, Rubro), QStringLiteral("EQUIPO DE OFICINA")));
        QCOMPARE(stored("SELECT DESCRIPCION || ' ' || VIDA_UTIL FROM vemtaro WHERE CODIGO = '201'"),
                 QStringLiteral("TABLETA 3"));
        QCOMPARE(cell(2, VidaUtil), QStringLiteral("3"));
        // An untouched new record is abandoned for the edited row.
        m_records->addNew();
        QVERIFY(m_model->setData(m_model->index(3, Codigo), QStringLiteral("302")));
        m_records->moveFirst();
        QCOMPARE(m_data->other->storedCodes(), QStringLiteral("101,102,201,302,401"));
        QCOMPARE(stored("SELECT RUBRO FROM vemtaro WHERE CODIGO = '101'"),
                 QStringLiteral("EQUIPO DE OFICINA"));
    }

    // A value the record set cannot take is refused at once; one the file refuses when the
    // row is left is dropped, so that the cell shows what is stored and the next edit goes.
    void aRefusedEditIsReportedOnceAndDropped()
    {
        m_data->other->exec("CREATE TRIGGER closed BEFORE UPDATE ON vemtaro WHEN NEW.CODIGO = "
                            "'CERRADA' BEGIN SELECT RAISE(ABORT, 'Cuenta cerrada'); END");
        QSignalSpy failed(m_model.get(), &RecordSetModel::writeFailed);
        QVERIFY(!m_model->setData(m_model->index(1, VidaUtil), QStringLiteral("diez")));
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.takeFirst().front().toString().contains(QLatin1String("VIDA_UTIL")));
        QCOMPARE(m_records->editMode(), RecordSet::EditMode::None);
        QCOMPARE(cell(1, VidaUtil), QStringLiteral("10"));

        QVERIFY(m_model->setData(m_model->index(1, Codigo), QStringLiteral("CERRADA")));
        QCOMPARE(cell(1, Codigo), QStringLiteral("CERRADA"));
        QVERIFY(!m_model->setData(m_model->index(2, Descripcion), QStringLiteral("OTRA")));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.front().front().toString(),
                 QStringLiteral("Cuenta cerrada. Se descartó el cambio."));
        QCOMPARE(m_records->absolutePosition(), 1);
        QCOMPARE(cell(1, Codigo), QStringLiteral("102"));
        QCOMPARE(cell(2, Descripcion), QStringLiteral("COMPUTADORA PORTATIL"));
        QVERIFY(m_model->setData(m_model->index(2, Descripcion), QStringLiteral("OTRA")));
        m_records->moveFirst();
        QCOMPARE(stored("SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '201'"),
                 QStringLiteral("OTRA"));
    }

    void followsTheRecordSet()
    {
        QStringList headers;
        for (int column = 0; column < m_model->columnCount(); ++column)
            headers << m_model->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, m_records->fieldNames());
        QCOMPARE(m_model->index(2, VidaUtil).data(Qt::EditRole), QVariant(QStringLiteral("5")));
        QCOMPARE(m_model->index(3, Descripcion).data(), QVariant(QString()));
        QVERIFY(m_model->index(0, 0).flags().testFlag(Qt::ItemIsEditable));
        QVERIFY(!m_model->insertRows(0, 1) && !m_model->removeRows(0, 1));

        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
        QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        m_records->open(QStringLiteral(
            "SELECT * FROM vemtaro WHERE descripcion LIKE '*a*' ORDER BY descripcion"));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(cell(0, Codigo), QStringLiteral("401"));

        m_records->moveTo(1);
        m_records->deleteCurrent();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.front().at(1).toInt(), 1);
        QCOMPARE(cell(1, Codigo), QStringLiteral("101"));

        m_records->addNew();
        m_records->setValue(Codigo, QStringLiteral("900"));
        m_records->update();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.front().at(1).toInt(), 3);
        QCOMPARE(cell(3, Codigo), QStringLiteral("900"));

        m_records->moveTo(0);
        m_records->setValue(Clase, QStringLiteral("07"));
        m_records->update();
        QCOMPARE(changed.last().at(0).toModelIndex().row(), 0);
        QCOMPARE(cell(0, Clase), QStringLiteral("07"));

        // Another table brings its own columns.
        m_records->open(QStringLiteral("Extendido"));
        QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Ord"));
        QCOMPARE(cell(1, 3), QStringLiteral("SILLA CON BRAZOS"));
    }

private:
    QString cell(int row, int column) const
    {
        return m_model->index(row, column).data().toString();
    }
    QString stored(const char* sql) const { return m_data->other->scalar(sql); }

    std::optional<TestDatabase> m_data;
    std::unique_ptr<RecordSet> m_records;
    std::unique_ptr<RecordSetModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

QTEST_GUILESS_MAIN(TestRecordSetModel)
#include "tst_recordsetmodel.moc"
