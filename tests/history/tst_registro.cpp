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

void pulsar(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

QString ahora()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

/// The accounts as stored, one line per row in key order.
const QString todasLasCuentas = QStringLiteral(
    "SELECT group_concat(id || '|' || quote(CODIGO) || quote(CLASE) || quote(DESCRIPCION) || "
    "quote(RUBRO) || quote(VIDA_UTIL) || quote(OBSERVACIONES), char(10)) FROM (SELECT * FROM "
    "vemtaro ORDER BY id)");

} // namespace

class TestRegistro : public QObject {
    Q_OBJECT

    /// The newest change: action, table, key, code, class and description.
    QString cambio() const
    {
        return ultimoCambio(*m_support,
                            QStringLiteral("accion || '|' || tabla || '|' || clave || '|' || "
                                           "coalesce(codigo, '-') || '|' || coalesce(clase, "
                                           "'-') || '|' || coalesce(descripcion, '-')"));
    }
    /// A field of the newest change's values before and after, as the engine reads the JSON.
    QString antesYDespues(const QString& campo) const
    {
        return ultimoCambio(*m_support,
                            QStringLiteral("coalesce(json_extract(antes, '$.%1'), json_type(antes, "
                                           "'$.%1'), 'sin fila') || ' → ' || "
                                           "coalesce(json_extract(despues, '$.%1'), "
                                           "json_type(despues, '$.%1'), 'sin fila')")
                                .arg(campo));
    }
    int cambios() const
    {
        return m_support->consultar(QStringLiteral("SELECT count(*) FROM historial")).toInt();
    }
    FrmConsulVemtaro* abrir()
    {
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        MessageBox::takeShown();
        return w;
    }

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void everyWriteOfTheChartWindowIsRecordedWithItsValues()
    {
        FrmConsulVemtaro* w = abrir();
        QCOMPARE(cambios(), 0);
        const QString desde = ahora();

        w->dcdatos->moveTo(1);
        pulsar(w->cmdEdicion);
        escribir(w->Text2, QStringLiteral("12"));
        w->txtObserv->setPlainText(QStringLiteral("con dos cajones"));
        pulsar(w->cmdSalvar);
        QCOMPARE(cambio(), QStringLiteral("modificación|vemtaro|2|120|02|mesa de luz"));
        QCOMPARE(antesYDespues("VIDA_UTIL"), QStringLiteral("10 → 12"));
        QCOMPARE(antesYDespues("OBSERVACIONES"), QStringLiteral("con cajón → con dos cajones"));
        // Whole rows on both sides, not only what changed; numbers stay numbers.
        QCOMPARE(antesYDespues("RUBRO"), QStringLiteral("MUEBLES Y UTILES → MUEBLES Y UTILES"));
        QCOMPARE(ultimoCambio(*m_support, "json_type(despues, '$.VIDA_UTIL')"),
                 QStringLiteral("integer"));
        QCOMPARE(ultimoCambio(*m_support, "usuario"),
                 QString::fromLocal8Bit(getpwuid(geteuid())->pw_name));
        const QString cuando = ultimoCambio(*m_support, "cuando");
        QVERIFY2(cuando >= desde && cuando <= ahora(), qPrintable(cuando));

        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("77"));
        escribir(w->txtDescr, QStringLiteral("armario"));
        pulsar(w->cmdSalvar);
        QCOMPARE(cambio(), QStringLiteral("alta|vemtaro|6|77|-|ARMARIO"));
        QCOMPARE(antesYDespues("CODIGO"), QStringLiteral("sin fila → 77"));
        QCOMPARE(antesYDespues("OBSERVACIONES"), QStringLiteral("sin fila → null"));

        w->dcdatos->moveTo(0);
        pulsar(w->cmdEliminar); // answered OK
        QCOMPARE(cambio(), QStringLiteral("baja|vemtaro|1|112|01|MESA DE ROBLE"));
        QCOMPARE(antesYDespues("DESCRIPCION"), QStringLiteral("MESA DE ROBLE → sin fila"));

        // A cell of the grid, written when another row becomes current.
        escribirEnCelda(w->dbgResultados, 1, 2, QStringLiteral("SILLON"));
        QCOMPARE(cambios(), 3);
        QTest::keyClick(w->dbgResultados, Qt::Key_Down);
        QCOMPARE(cambio(), QStringLiteral("modificación|vemtaro|3|3124|12|SILLON"));
        QCOMPARE(antesYDespues("DESCRIPCION"), QStringLiteral("SILLA DE ROBLE → SILLON"));

        // Saving an edit that changed nothing, and cancelling, record nothing.
        pulsar(w->cmdEdicion);
        pulsar(w->cmdSalvar);
        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("78"));
        pulsar(w->cmdCancelar);
        QCOMPARE(MessageBox::takeShown().size(), 1); // the question of the deletion
        QCOMPARE(cambios(), 4);
        QCOMPARE(m_support->consultar("SELECT group_concat(id) FROM historial WHERE deshace IS "
                                      "NULL AND cuando BETWEEN '" +
                                      desde + "' AND '" + ahora() + "'"),
                 QStringLiteral("1,2,3,4"));
    }

    void aCellEditOfTheExtendedWindowIsRecorded()
    {
        m_support->usarExtendido({{"1", "1101", "01", "TERRENO URBANO"},
                                  {"2", "1102", "02", "TERRENO RURAL"},
                                  {"3", "1103", "03", "EDIFICIO"}});
        FrmConsulExt* w = m_support->abrirExtendida();
        QVERIFY(w);
        MessageBox::takeShown();
        escribirEnCelda(w->dbgResultados, 0, 3, QStringLiteral("TERRENO CENTRICO"));
        QTest::keyClick(w->dbgResultados, Qt::Key_Down);
        QCOMPARE(cambio(), QStringLiteral("modificación|extendido|1|1101|01|TERRENO CENTRICO"));
        QCOMPARE(antesYDespues("Descripcion"), QStringLiteral("TERRENO URBANO → TERRENO CENTRICO"));
        escribirEnCelda(w->dbgResultados, 1, 0, QStringLiteral("20"));
        QTest::keyClick(w->dbgResultados, Qt::Key_Down);
        QCOMPARE(cambio(), QStringLiteral("modificación|extendido|2|1102|02|TERRENO RURAL"));
        QCOMPARE(antesYDespues("Ord"), QStringLiteral("2 → 20"));
        QCOMPARE(ultimoCambio(*m_support, "json_type(despues, '$.Ord')"),
                 QStringLiteral("integer"));
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(cambios(), 2);
    }

    void aFailedWriteRecordsNothing_data()
    {
        QTest::addColumn<QString>("accion");
        QTest::addColumn<QString>("obstaculo"); ///< SQL run before the write
        QTest::addColumn<QString>("valor");     ///< typed into Text2
        const QString regla =
            QStringLiteral("CREATE TRIGGER regla BEFORE %1 ON vemtaro BEGIN SELECT RAISE(ABORT, "
                           "'La regla de la oficina rechaza el cambio.'); END");
        const QString sinHistorial =
            QStringLiteral("CREATE TRIGGER sin_historial BEFORE INSERT ON historial BEGIN SELECT "
                           "RAISE(ABORT, 'El historial no admite cambios.'); END");
        for (const char* accion : {"nuevo", "edicion"}) {
            QTest::addRow("%s, value refused", accion) << accion << QString() << "diez";
            QTest::addRow("%s, rule of the table", accion)
                << accion << regla.arg(accion == QLatin1String("nuevo") ? "INSERT" : "UPDATE")
                << "8";
            QTest::addRow("%s, history refused", accion) << accion << sinHistorial << "8";
        }
        QTest::addRow("delete, rule of the table")
            << "eliminar" << regla.arg(QStringLiteral("DELETE")) << QString();
        QTest::addRow("delete, history refused") << "eliminar" << sinHistorial << QString();
    }

    // The write and its record commit together or not at all.
    void aFailedWriteRecordsNothing()
    {
        QFETCH(QString, accion);
        QFETCH(QString, obstaculo);
        QFETCH(QString, valor);
        FrmConsulVemtaro* w = abrir();
        if (!obstaculo.isEmpty())
            ejecutar(obstaculo);
        const QString guardadas = m_support->consultar(todasLasCuentas);
        w->dcdatos->moveTo(2);
        if (accion == QLatin1String("eliminar")) {
            pulsar(w->cmdEliminar);
            const auto shown = MessageBox::takeShown();
            QCOMPARE(shown.size(), 2);
            QCOMPARE(shown[1].title, QStringLiteral("Se Produjo un Error"));
        } else {
            pulsar(accion == QLatin1String("nuevo") ? w->CmdNuevo : w->cmdEdicion);
            escribir(w->txtCuenta, QStringLiteral("999"));
            escribir(w->Text2, valor);
            pulsar(w->cmdSalvar);
            QCOMPARE(MessageBox::takeShown().size(), 2); // tried twice
            QVERIFY(w->cmdSalvar->isEnabled());
        }
        QCOMPARE(m_support->consultar(todasLasCuentas), guardadas);
        QCOMPARE(cambios(), 0);

        // With the obstacle gone, the same write goes through and is recorded once.
        ejecutar(QStringLiteral("DROP TRIGGER IF EXISTS regla; DROP TRIGGER IF EXISTS "
                                "sin_historial"));
        if (accion == QLatin1String("eliminar")) {
            w->dcdatos->moveTo(2);
            pulsar(w->cmdEliminar);
        } else {
            escribir(w->Text2, QStringLiteral("8"));
            pulsar(w->cmdSalvar);
        }
        QCOMPARE(MessageBox::takeShown().size(), accion == QLatin1String("eliminar") ? 1 : 0);
        QCOMPARE(cambios(), 1);
        QVERIFY(m_support->consultar(todasLasCuentas) != guardadas);
        QCOMPARE(ultimoCambio(*m_support, "accion"),
                 accion == QLatin1String("nuevo")
                     ? QStringLiteral("alta")
                     : (accion == QLatin1String("eliminar") ? QStringLiteral("baja")
                                                            : QStringLiteral("modificación")));
    }

    void theSearchesCannotReadTheHistory()
    {
        const auto db = db::Connection::open(db::databasePath());
        for (const char* text :
             {"historial", "SELECT * FROM historial WHERE codigo LIKE '*'",
              "SELECT * FROM HISTORIAL WHERE descripcion LIKE '*' ORDER BY codigo"})
            try {
                db::compileQuery(*db, QString::fromLatin1(text));
                QFAIL(text);
            } catch (const db::DbError& error) {
                QVERIFY2(
                    error.description().contains(QStringLiteral("historial"), Qt::CaseInsensitive),
                    text);
            }
    }

    // A table called historial that a file had before is kept under another name.
    void anOlderTableNamedHistorialIsKeptAside()
    {
        ejecutar(QStringLiteral("CREATE TABLE Historial (nota TEXT); INSERT INTO Historial "
                                "VALUES ('de la oficina'); CREATE TABLE historial_anterior (x)"));
        FrmConsulVemtaro* w = abrir();
        QCOMPARE(m_support->consultar("SELECT nota FROM historial_anterior2"),
                 QStringLiteral("de la oficina"));
        pulsar(w->cmdEliminar);
        QCOMPARE(ultimoCambio(*m_support, "accion"), QStringLiteral("baja"));
        QCOMPARE(m_support->consultar("SELECT count(*) FROM sqlite_schema WHERE name LIKE "
                                      "'historial%' AND type = 'table'"),
                 QStringLiteral("3"));
    }

    // Nothing is written to a file whose history cannot be recorded: it opens read-only.
    void aFileWhoseHistoryCannotBePreparedOpensReadOnly()
    {
        ejecutar(
            QStringLiteral("CREATE TABLE otra (x); CREATE INDEX historial_deshace ON otra (x)"));
        const auto db = db::Connection::open(db::databasePath());
        QVERIFY(db->isReadOnly());
        QVERIFY2(db->readOnlyReason().contains(QStringLiteral("historial de cambios")),
                 qPrintable(db->readOnlyReason()));
        db::RecordSet records(*db);
        records.open(QStringLiteral("vemtaro"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, records.edit());
        QCOMPARE(m_support->consultar("SELECT count(*) FROM sqlite_schema WHERE name = "
                                      "'historial'"),
                 QStringLiteral("0"));
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestRegistro)
#include "tst_registro.moc"
