// The history list read in batches, newest first, narrowed by a word: checked against the rows
// written, with the model tester watching every reset and fetch.
#include "../chart/ChartTestSupport.h"
#include "HistoryTestSupport.h"

#include "db/Connection.h"
#include "db/DataFolder.h"
#include "history/FrmHistorial.h"
#include "history/HistoryModel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTableView>
#include <QTest>

using namespace vemtaro;
using history::HistoryModel;

namespace {

constexpr int cambiosEscritos = 250;

struct Cuenta {
    QString codigo, descripcion;
};

/// Records `cambiosEscritos` edits, of codes and descriptions drawn from Spanish words;
/// returns them in id order (the first has id 1).
std::vector<Cuenta> escribirHistorial(QRandomGenerator& azar)
{
    const QStringList palabras = {"MESA",  "SILLA", "ÑANDÚ",   "CAJÓN",   "ESCRITORIO",
                                  "ROBLE", "PINO",  "ARMARIO", "VITRINA", "ÁRBOL"};
    std::vector<Cuenta> cuentas;
    QStringList filas;
    for (int i = 1; i <= cambiosEscritos; ++i) {
        QStringList descripcion;
        for (int n = azar.bounded(1, 4); n > 0; --n)
            descripcion << palabras[azar.bounded(int(palabras.size()))];
        cuentas.push_back({QString::number(azar.bounded(10, 100000)), descripcion.join(' ')});
        filas << QStringLiteral("(%1, '%2', '%3')")
                     .arg(i)
                     .arg(cuentas.back().codigo, cuentas.back().descripcion);
    }
    ejecutar("INSERT INTO historial (cuando, usuario, tabla, clave, accion, antes, despues, "
             "codigo, descripcion) SELECT '2024-05-31T10:00:00', 'ana', 'vemtaro', column1, "
             "'modificación', json_object('DESCRIPCION', column3), json_object('DESCRIPCION', "
             "column3 || ' NUEVA'), column2, column3 FROM (VALUES " +
             filas.join(',') + ")");
    return cuentas;
}

/// The ids of the changes the model has read, in its order.
QList<qint64> idsLeidos(HistoryModel& modelo)
{
    while (modelo.canFetchMore({}))
        modelo.fetchMore({});
    QList<qint64> ids;
    for (int row = 0; row < modelo.rowCount(); ++row)
        ids << modelo.change(row).id;
    return ids;
}

} // namespace

class TestModelo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_support = std::make_unique<ChartTestSupport>();
        m_db = db::Connection::open(db::databasePath());
        m_cuentas = escribirHistorial(m_azar);
    }
    void cleanup()
    {
        m_db.reset();
        m_support.reset();
    }

    void readsInBatchesNewestFirst()
    {
        HistoryModel modelo(*m_db);
        for (int leidos : {100, 200, 250}) {
            QCOMPARE(modelo.rowCount(), leidos);
            QCOMPARE(modelo.canFetchMore({}), leidos < cambiosEscritos);
            modelo.fetchMore({});
        }
        QCOMPARE(modelo.index(249, HistoryModel::Changes).data().toString(),
                 QStringLiteral("DESCRIPCION: %1 → %1 NUEVA").arg(m_cuentas[0].descripcion));
        QCOMPARE(modelo.index(0, HistoryModel::Code).data().toString(), m_cuentas[249].codigo);
    }

    // Random words, drawn from what was written and from nowhere (pattern characters too), in
    // any case, against what a plain search of the written codes and descriptions finds.
    void narrowsByAWordOfTheCodeOrDescription()
    {
        HistoryModel modelo(*m_db);
        QAbstractItemModelTester tester(&modelo,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString ajenas = QStringLiteral("abxyz*?#[");
        for (int vez = 0; vez < 40; ++vez) {
            const Cuenta& cuenta = m_cuentas[m_azar.bounded(int(m_cuentas.size()))];
            const QString fuente = vez % 2 ? cuenta.codigo : cuenta.descripcion;
            QString palabra = fuente.mid(m_azar.bounded(int(fuente.size())), m_azar.bounded(1, 5));
            if (vez % 5 == 4)
                palabra = ajenas.mid(m_azar.bounded(int(ajenas.size())), 2);
            if (m_azar.bounded(2))
                palabra = QStringLiteral(" ") + palabra.toLower() + QLatin1Char(' ');
            QList<qint64> esperados;
            for (qint64 id = cambiosEscritos; id > 0; --id)
                if (m_cuentas[std::size_t(id - 1)].codigo.contains(palabra.trimmed(),
                                                                   Qt::CaseInsensitive) ||
                    m_cuentas[std::size_t(id - 1)].descripcion.contains(palabra.trimmed(),
                                                                        Qt::CaseInsensitive))
                    esperados << id;
            modelo.setWord(palabra);
            QCOMPARE(modelo.rowCount(), std::min(int(esperados.size()), HistoryModel::batchSize));
            QVERIFY2(idsLeidos(modelo) == esperados, qPrintable(palabra));
        }
        modelo.setWord(QString());
        QCOMPARE(idsLeidos(modelo).size(), cambiosEscritos);
    }

    // The window's list reads on as the clerk scrolls down.
    void theListReadsOnWhenScrolled()
    {
        FrmHistorial ventana(*m_db, nullptr);
        ventana.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ventana));
        QCOMPARE(ventana.dbgHistorial->model()->rowCount(), HistoryModel::batchSize);
        for (int vez = 0; vez < 3; ++vez) {
            ventana.dbgHistorial->scrollToBottom();
            QCoreApplication::processEvents();
        }
        QCOMPARE(ventana.dbgHistorial->model()->rowCount(), cambiosEscritos);
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
    std::unique_ptr<db::Connection> m_db;
    std::vector<Cuenta> m_cuentas;
    QRandomGenerator m_azar{20240531};
};

QTEST_MAIN(TestModelo)
#include "tst_modelo.moc"
