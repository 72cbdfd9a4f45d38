// Every write is recorded in table historial, in its own transaction: driven through the chart
// window's editor and grid and the extended window's grid, and read back from the file with
// the engine's own JSON functions, as the sqlite3 tool reads it.
#include "../chart/ChartTestSupport.h"
#include "HistoryTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "db/JetQuery.h"
#include "db/RecordSet.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"

#include <QDateTime>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

using namespace vemtaro;
using platform::MessageBox;

namespace {

QString ahora()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

/// The accounts as stored, every field quoted.
const QString todasLasCuentas = QStringLiteral(
    "SELECT group_concat(id || quote(CODIGO) || quote(CLASE) || quote(DESCRIPCION) || "
    "quote(RUBRO) || quote(VIDA_UTIL) || quote(OBSERVACIONES)) FROM vemtaro");

} // namespace

class TestRegistro : public QObject {
    Q_OBJECT

    /// The newest change: action, table, key, code and description, and `campo` before and
    /// after as the engine reads the JSON ("sin fila" for a side without a row).
    QString cambio(const char* campo) const
    {
        return ultimoCambio(
            *m_support,
            QStringLiteral("accion || '|' || tabla || '|' || clave || '|' || codigo || '|' || "
                           "descripcion || '|' || coalesce(json_extract(antes, '$.%1'), "
                           "json_type(antes, '$.%1'), 'sin fila') || ' → ' || "
                           "coalesce(json_extract(despues, '$.%1'), json_type(despues, '$.%1'), "
                           "'sin fila')")
                .arg(QLatin1String(campo)));
    }

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void everyWriteOfTheChartWindowIsRecordedWithItsValues()
    {
        FrmConsulVemtaro* w = abrirConCuentas(*m_support);
        const QString desde = ahora();
        w->dcdatos->moveTo(1);
        pulsar(w->cmdEdicion);
        escribir(w->Text2, QStringLiteral("12"));
        w->txtObserv->setPlainText(QStringLiteral("dos cajones"));
        pulsar(w->cmdSalvar);
        QCOMPARE(cambio("VIDA_UTIL"),
                 QStringLiteral("modificación|vemtaro|2|120|mesa de luz|10 → 12"));
        QCOMPARE(cambio("OBSERVACIONES").section('|', -1),
                 QStringLiteral("con cajón → dos cajones"));
        // Whole rows on both sides; numbers stay numbers.
        QCOMPARE(cambio("RUBRO").section('|', -1),
                 QStringLiteral("MUEBLES Y UTILES → MUEBLES Y UTILES"));
        QCOMPARE(ultimoCambio(*m_support, "json_type(despues, '$.VIDA_UTIL') || clase"),
                 QStringLiteral("integer02"));
        QCOMPARE(ultimoCambio(*m_support, "usuario"),
                 QString::fromLocal8Bit(getpwuid(geteuid())->pw_name));
        const QString cuando = ultimoCambio(*m_support, "cuando");
        QVERIFY2(cuando >= desde && cuando <= ahora(), qPrintable(cuando));

        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("77"));
        escribir(w->txtDescr, QStringLiteral("armario"));
        pulsar(w->cmdSalvar);
        QCOMPARE(cambio("CODIGO"), QStringLiteral("alta|vemtaro|6|77|ARMARIO|sin fila → 77"));
        QCOMPARE(cambio("RUBRO").section('|', -1), QStringLiteral("sin fila → null"));

        w->dcdatos->moveTo(0);
        pulsar(w->cmdEliminar); // answered OK
        QCOMPARE(cambio("DESCRIPCION"),
                 QStringLiteral("baja|vemtaro|1|112|MESA DE ROBLE|MESA DE ROBLE → sin fila"));

        // A cell of the grid, written when another row becomes current.
        escribirEnCelda(w->dbgResultados, 1, 2, QStringLiteral("SILLON"));
        QCOMPARE(cambiosRegistrados(*m_support), 3);
        QTest::keyClick(w->dbgResultados, Qt::Key_Down);
        QCOMPARE(cambio("DESCRIPCION"),
                 QStringLiteral("modificación|vemtaro|3|3124|SILLON|SILLA DE ROBLE → SILLON"));

        // Saving an edit that changed nothing, and cancelling, record nothing.
        pulsar(w->cmdEdicion);
        pulsar(w->cmdSalvar);
        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("78"));
        pulsar(w->cmdCancelar);
        QCOMPARE(cambiosRegistrados(*m_support), 4);
        QCOMPARE(MessageBox::takeShown().size(), 1); // the deletion's question

        // "Historial" writes a cell edit still pending, so that the list shows it.
        escribirEnCelda(w->dbgResultados, 0, 4, QStringLiteral("9"));
        QVERIFY(abrirHistorial(w));
        QCOMPARE(cambio("VIDA_UTIL").section('|', -1), QStringLiteral("12 → 9"));
    }

    void aCellEditOfTheExtendedWindowIsRecorded()
    {
        m_support->usarExtendido(
            {{"1", "1101", "01", "TERRENO URBANO"}, {"2", "1102", "02", "EDIFICIO"}});
        FrmConsulExt* w = m_support->abrirExtendida();
        QVERIFY(w);
        MessageBox::takeShown();
        escribirEnCelda(w->dbgResultados, 0, 0, QStringLiteral("20"));
        QTest::keyClick(w->dbgResultados, Qt::Key_Down);
        QCOMPARE(cambio("Ord"),
                 QStringLiteral("modificación|extendido|1|1101|TERRENO URBANO|1 → 20"));
        QCOMPARE(ultimoCambio(*m_support, "json_type(despues, '$.Ord') || clase"),
                 QStringLiteral("integer01"));
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void aFailedWriteRecordsNothing_data()
    {
        QTest::addColumn<QString>("accion");
        QTest::addColumn<QString>("obstaculo"); ///< SQL run before the write
        QTest::addColumn<QString>("vida");      ///< typed into Text2
        const QString regla = QStringLiteral("CREATE TRIGGER regla BEFORE %1 ON vemtaro BEGIN "
                                             "SELECT RAISE(ABORT, 'Regla de la oficina.'); END");
        const QString sinHistorial =
            QStringLiteral("CREATE TRIGGER sin_historial BEFORE INSERT ON historial BEGIN SELECT "
                           "RAISE(ABORT, 'El historial no admite cambios.'); END");
        for (const QString accion : {"nuevo", "edicion", "eliminar"}) {
            if (accion != QLatin1String("eliminar"))
                QTest::addRow("%s, value refused", qPrintable(accion))
                    << accion << QString() << "diez";
            const char* cuando = accion == QLatin1String("nuevo")
                                     ? "INSERT"
                                     : (accion == QLatin1String("edicion") ? "UPDATE" : "DELETE");
            QTest::addRow("%s, rule of the table", qPrintable(accion))
                << accion << regla.arg(cuando) << "8";
            QTest::addRow("%s, history refused", qPrintable(accion))
                << accion << sinHistorial << "8";
        }
    }

    // The write and its record commit together or not at all.
    void aFailedWriteRecordsNothing()
    {
        QFETCH(QString, accion);
        QFETCH(QString, obstaculo);
        QFETCH(QString, vida);
        FrmConsulVemtaro* w = abrirConCuentas(*m_support);
        if (!obstaculo.isEmpty())
            ejecutar(obstaculo);
        const QString guardadas = m_support->consultar(todasLasCuentas);
        const auto intentar = [&] {
            if (accion == QLatin1String("eliminar")) {
                w->dcdatos->moveTo(2);
                pulsar(w->cmdEliminar);
                return;
            }
            if (w->CmdNuevo->isEnabled())
                pulsar(accion == QLatin1String("nuevo") ? w->CmdNuevo : w->cmdEdicion);
            escribir(w->txtCuenta, QStringLiteral("999"));
            escribir(w->Text2, vida);
            pulsar(w->cmdSalvar);
        };
        intentar();
        // Told (a failed save is tried twice), and the window goes on adding or editing.
        QCOMPARE(MessageBox::takeShown().size(), 2);
        QCOMPARE(w->cmdSalvar->isEnabled(), accion != QLatin1String("eliminar"));
        QCOMPARE(m_support->consultar(todasLasCuentas), guardadas);
        QCOMPARE(cambiosRegistrados(*m_support), 0);

        // Without the obstacle, the same write goes through and is recorded once.
        ejecutar(
            QStringLiteral("DROP TRIGGER IF EXISTS regla; DROP TRIGGER IF EXISTS sin_historial"));
        vida = QStringLiteral("8");
        intentar();
        QVERIFY(m_support->consultar(todasLasCuentas) != guardadas);
        QCOMPARE(cambiosRegistrados(*m_support), 1);
    }

    void theSearchesCannotReadTheHistory()
    {
        const auto db = db::Connection::open(db::databasePath());
        for (const char* text : {"historial", "SELECT * FROM HISTORIAL WHERE codigo LIKE '*'"})
            QVERIFY_THROWS_EXCEPTION(db::DbError, db::compileQuery(*db, QString::fromLatin1(text)));
    }

    // A table called historial that the file had before is kept under a free name.
    void anOlderTableNamedHistorialIsKeptAside()
    {
        ejecutar(QStringLiteral("CREATE TABLE Historial (nota TEXT); INSERT INTO Historial VALUES "
                                "('de la oficina'); CREATE TABLE historial_anterior (x)"));
        FrmConsulVemtaro* w = abrirConCuentas(*m_support);
        pulsar(w->cmdEliminar);
        QCOMPARE(m_support->consultar("SELECT nota FROM historial_anterior2"),
                 QStringLiteral("de la oficina"));
        QCOMPARE(ultimoCambio(*m_support, "accion"), QStringLiteral("baja"));
    }

    // Nothing is written to a file whose history cannot be prepared: it opens read-only.
    void aFileWhoseHistoryCannotBePreparedOpensReadOnly()
    {
        ejecutar(
            QStringLiteral("CREATE TABLE otra (x); CREATE INDEX historial_deshace ON otra (x)"));
        const auto db = db::Connection::open(db::databasePath());
        QVERIFY2(db->isReadOnly() &&
                     db->readOnlyReason().contains(QStringLiteral("historial de cambios")),
                 qPrintable(db->readOnlyReason()));
        db::RecordSet records(*db);
        records.open(QStringLiteral("vemtaro"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, records.edit());
        QCOMPARE(
            m_support->consultar("SELECT count(*) FROM sqlite_schema WHERE name = 'historial'"),
            QStringLiteral("0"));
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestRegistro)
#include "tst_registro.moc"
