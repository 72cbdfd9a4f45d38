// The history list read in batches, newest first, narrowed by a word: checked against the rows
// written, with the model tester watching every reset and fetch.
#include "../chart/ChartTestSupport.h"

#include "db/Connection.h"
#include "db/DataFolder.h"
#include "history/FrmHistorial.h"
#include "history/HistoryModel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTableView>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro;
using history::HistoryModel;

namespace {

constexpr int cambiosEscritos = 250;

struct Cuenta {
    QString codigo, descripcion;
};

/// Writes `cambiosEscritos` edits into the history of `db`, with codes and descriptions drawn
/// from Spanish words; returns them in id order (the first has id 1).
std::vector<Cuenta> escribirHistorial(sqlite3* db, QRandomGenerator& azar)
{
    const QStringList palabras = {"MESA",  "SILLA", "ÑANDÚ",   "CAJÓN",   "ESCRITORIO",
                                  "ROBLE", "PINO",  "ARMARIO", "VITRINA", "ÁRBOL"};
    std::vector<Cuenta> cuentas;
    sqlite3_stmt* insert = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO historial (cuando, usuario, tabla, clave, accion, antes, "
                       "despues, codigo, clase, descripcion) VALUES ('2024-05-31T10:00:00', "
                       "'ana', 'vemtaro', ?1, 'modificación', json_object('CODIGO', ?2, "
                       "'DESCRIPCION', ?3), json_object('CODIGO', ?2, 'DESCRIPCION', ?3 || ' "
                       "NUEVA'), ?2, '01', ?3)",
                       -1, &insert, nullptr);
    for (int i = 1; i <= cambiosEscritos; ++i) {
        Cuenta cuenta{QString::number(azar.bounded(10, 100000)), {}};
        QStringList descripcion;
        for (int n = azar.bounded(1, 4); n > 0; --n)
            descripcion << palabras[azar.bounded(int(palabras.size()))];
        cuenta.descripcion = descripcion.join(QLatin1Char(' '));
        const QByteArray codigo = cuenta.codigo.toUtf8();
        const QByteArray texto = cuenta.descripcion.toUtf8();
        sqlite3_bind_int(insert, 1, i);
        sqlite3_bind_text(insert, 2, codigo.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, texto.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE)
            qFatal("%s", sqlite3_errmsg(db));
        sqlite3_reset(insert);
        cuentas.push_back(cuenta);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return cuentas;
}

/// The ids of the changes the model has read, in its order.
QList<qint64> idsLeidos(const HistoryModel& modelo)
{
    QList<qint64> ids;
    for (int row = 0; row < modelo.rowCount(); ++row)
        ids << modelo.change(row).id;
    return ids;
}

void leerTodo(HistoryModel& modelo)
{
    while (modelo.canFetchMore({}))
        modelo.fetchMore({});
}

} // namespace

class TestModelo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_support = std::make_unique<ChartTestSupport>();
        m_db = db::Connection::open(db::databasePath());
        m_cuentas = escribirHistorial(m_db->handle(), m_azar);
    }
    void cleanup()
    {
        m_db.reset();
        m_support.reset();
    }

    void readsInBatchesNewestFirst()
    {
        HistoryModel modelo(*m_db);
        QCOMPARE(modelo.rowCount(), HistoryModel::batchSize);
        QList<qint64> esperados;
        for (qint64 id = cambiosEscritos; id > 0; --id)
            esperados << id;
        for (int leidos : {200, 250}) {
            QVERIFY(modelo.canFetchMore({}));
            modelo.fetchMore({});
            QCOMPARE(modelo.rowCount(), leidos);
        }
        QVERIFY(!modelo.canFetchMore({}));
        QCOMPARE(idsLeidos(modelo), esperados);
        QCOMPARE(modelo.index(249, HistoryModel::Changes).data().toString(),
                 QStringLiteral("DESCRIPCION: %1 → %1 NUEVA").arg(m_cuentas[0].descripcion));
        QCOMPARE(modelo.index(0, HistoryModel::Code).data().toString(), m_cuentas[249].codigo);

        // Read again, it goes as far as it had gone.
        modelo.reload();
        QCOMPARE(idsLeidos(modelo), esperados);
        QCOMPARE(modelo.rowOf(1), 249);
        QCOMPARE(modelo.rowOf(cambiosEscritos + 1), -1);

        // Watched by the tester, batch after batch.
        HistoryModel probado(*m_db);
        QAbstractItemModelTester tester(&probado,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        leerTodo(probado);
        QCOMPARE(idsLeidos(probado), esperados);
    }

    // Random words, drawn from what was written and from nowhere, in any case, against what a
    // plain search of the written codes and descriptions finds.
    void narrowsByAWordOfTheCodeOrDescription()
    {
        HistoryModel modelo(*m_db);
        QAbstractItemModelTester tester(&modelo,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int vez = 0; vez < 40; ++vez) {
            const Cuenta& cuenta = m_cuentas[m_azar.bounded(int(m_cuentas.size()))];
            QString palabra;
            if (vez % 5 == 4) {
                for (int n = m_azar.bounded(1, 4); n > 0; --n)
                    palabra += QChar(u'a' + m_azar.bounded(26));
            } else {
                const QString fuente = vez % 2 ? cuenta.codigo : cuenta.descripcion;
                const int desde = m_azar.bounded(int(fuente.size()));
                palabra = fuente.mid(desde, m_azar.bounded(1, 5));
                if (m_azar.bounded(2))
                    palabra = palabra.toLower();
            }
            if (vez % 7 == 0)
                palabra = QStringLiteral("  ") + palabra + QLatin1Char(' ');
            QList<qint64> esperados;
            for (qint64 id = cambiosEscritos; id > 0; --id) {
                const Cuenta& escrita = m_cuentas[std::size_t(id - 1)];
                if (escrita.codigo.contains(palabra.trimmed(), Qt::CaseInsensitive) ||
                    escrita.descripcion.contains(palabra.trimmed(), Qt::CaseInsensitive))
                    esperados << id;
            }
            modelo.setWord(palabra);
            QCOMPARE(modelo.rowCount(), std::min(int(esperados.size()), HistoryModel::batchSize));
            leerTodo(modelo);
            QVERIFY2(idsLeidos(modelo) == esperados, qPrintable(palabra));
        }
        modelo.setWord(QString());
        leerTodo(modelo);
        QCOMPARE(modelo.rowCount(), cambiosEscritos);
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
