// The change history: every write recorded in table historial together with the write, read
// back as the sqlite3 tool reads it; the list read in batches and narrowed by a word; the
// history window opened from the chart window's "Historial", driven as a clerk drives it, with
// "Deshacer" and its questions answered through the seam.
#include "../chart/ChartTestSupport.h"
#include "../db/DbTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "db/JetQuery.h"
#include "db/RecordSet.h"
#include "extsearch/FrmConsulExt.h"
#include "history/FrmHistorial.h"
#include "history/HistoryModel.h"
#include "platform/MessageBox.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

using namespace vemtaro;
using history::HistoryModel;
using platform::MessageBox;

namespace {

void pulsar(QAbstractButton* boton)
{
    QTest::mouseClick(boton, Qt::LeftButton);
}

void cerrar(QAbstractButton* boton)
{
    pulsar(boton);
    ChartTestSupport::procesarCierres(); // the closed window is deleted
}

/// Runs `sql` on the data folder's database as another program would; a failure fails the test.
void ejecutar(const QString& sql)
{
    OtherProgram(db::databasePath()).exec(sql.toUtf8());
}

/// The chart window's "Historial" clicked: the history window it opened, or null.
FrmHistorial* abrirHistorial(FrmConsulVemtaro* cuadro)
{
    pulsar(cuadro->cmdHistorial);
    auto* abierta = cuadro->findChild<FrmHistorial*>();
    return abierta && QTest::qWaitForWindowExposed(abierta) ? abierta : nullptr;
}

/// Opens the editor of a grid's cell with F2, types `text` over what it shows and presses
/// Enter; the edit is written when another row becomes current.
void escribirEnCelda(QAbstractItemView* grilla, int fila, int columna, const QString& text)
{
    grilla->setFocus();
    grilla->setCurrentIndex(grilla->model()->index(fila, columna));
    QTest::keyClick(grilla, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor commits once the key is handled
}

/// A column of the history list, top to bottom, joined with commas.
QString columna(FrmHistorial* h, int columna)
{
    return columnaDeLaGrilla(h->dbgHistorial, columna).join(QLatin1Char(','));
}

/// Clicks the row of the change numbered `id`.
void elegir(FrmHistorial* h, qint64 id)
{
    const int fila = columnaDeLaGrilla(h->dbgHistorial, 0).indexOf(QString::number(id));
    QVERIFY2(fila >= 0, "the change is not listed");
    const QRect celda = h->dbgHistorial->visualRect(h->dbgHistorial->model()->index(fila, 1));
    QTest::mouseClick(h->dbgHistorial->viewport(), Qt::LeftButton, {}, celda.center());
}

/// "Deshacer" on the change `id`: the question or notice it showed (empty for none), answered
/// with `respuesta`.
MessageBox::Shown deshacer(FrmHistorial* h, qint64 id, int respuesta = platform::vbOK)
{
    elegir(h, id);
    MessageBox::takeShown(); // what came before
    // Answers wait in a queue until a box takes them, and OK answers a box when none waits:
    // only another answer is queued, so that none is left for a later box.
    if (respuesta != platform::vbOK)
        MessageBox::setNextAnswer(respuesta);
    pulsar(h->cmdDeshacer);
    const auto shown = MessageBox::takeShown();
    if (shown.size() > 1)
        return {QStringLiteral("<%1 boxes>").arg(shown.size()), 0, {}};
    return shown.isEmpty() ? MessageBox::Shown{} : shown[0];
}

/// Three changes made in the chart window: n.º 1 the useful life of 120 from 10 to 12 and its
/// remarks, n.º 2 the new account 77 ARMARIO, n.º 3 the deletion of 112.
void tresCambios(FrmConsulVemtaro* w)
{
    w->dcdatos->moveTo(1);
    pulsar(w->cmdEdicion);
    escribir(w->Text2, QStringLiteral("12"));
    w->txtObserv->setPlainText(QStringLiteral("dos cajones"));
    pulsar(w->cmdSalvar);
    pulsar(w->CmdNuevo);
    escribir(w->txtCuenta, QStringLiteral("77"));
    escribir(w->txtDescr, QStringLiteral("armario"));
    pulsar(w->cmdSalvar);
    w->dcdatos->moveTo(0);
    pulsar(w->cmdEliminar); // answered OK
}

QString ahora()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

constexpr int cambiosEscritos = 250;

struct Cuenta {
    QString codigo, descripcion;
};

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

class TestHistorial : public QObject {
    Q_OBJECT

    /// Opens the chart window on five accounts, ids 1 to 5: 112 01 "MESA DE ROBLE" (life 10),
    /// 120 02 "mesa de luz" (10, remarks "con cajón"), 3124 12 "SILLA DE ROBLE" (5), 45 120
    /// "ESCRITORIO METALICO" (15), 500 212 "ÑANDÚ *DISECADO*" (50, "vitrina").
    FrmConsulVemtaro* abrirConCuentas()
    {
        const QString nulo, muebles = QStringLiteral("MUEBLES Y UTILES");
        m_support->usarCuentas({{"112", "01", "MESA DE ROBLE", muebles, "10", nulo},
                                {"120", "02", "mesa de luz", muebles, "10", "con cajón"},
                                {"3124", "12", "SILLA DE ROBLE", muebles, "5", nulo},
                                {"45", "120", "ESCRITORIO METALICO", "MUEBLES", "15", nulo},
                                {"500", "212", "ÑANDÚ *DISECADO*", "INMUEBLES", "50", "vitrina"}});
        FrmConsulVemtaro* cuadro = m_support->abrirCuadro();
        MessageBox::takeShown();
        return cuadro;
    }

    QString consultar(const QString& sql) const { return m_support->consultar(sql); }
    int cambiosRegistrados() const { return consultar("SELECT count(*) FROM historial").toInt(); }
    /// The newest recorded change as `expresion` over its columns reads it, e.g. "accion".
    QString ultimoCambio(const QString& expresion) const
    {
        return consultar(
            QStringLiteral("SELECT %1 FROM historial ORDER BY id DESC").arg(expresion));
    }

    /// Change `id` as the file holds it: action, table, key, code, subaccount, description,
    /// then the whole row before and after as JSON ("-" for no row).
    QString cambio(int id) const
    {
        return consultar(QStringLiteral("SELECT printf('%s|%s|%s|%s|%s|%s|%s|%s', accion, tabla, "
                                        "clave, codigo, clase, descripcion, ifnull(antes, '-'), "
                                        "ifnull(despues, '-')) FROM historial WHERE id = %1")
                             .arg(id));
    }

    /// One stored account by key, every field quoted; empty when gone.
    QString cuenta(int id) const
    {
        return consultar(
            QStringLiteral("SELECT quote(CODIGO) || quote(CLASE) || quote(DESCRIPCION) "
                           "|| quote(RUBRO) || quote(VIDA_UTIL) || quote(OBSERVACIONES) "
                           "FROM vemtaro WHERE id = %1")
                .arg(id));
    }

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void recordsEveryWriteAndListsItNewestFirst()
    {
        FrmConsulVemtaro* w = abrirConCuentas();
        pulsar(w->CmdNuevo); // not while adding or editing
        pulsar(w->cmdHistorial);
        QVERIFY(!w->findChild<FrmHistorial*>());
        pulsar(w->cmdCancelar);

        // Whole rows on both sides, numbers as numbers; by whom and when.
        const QString desde = ahora();
        tresCambios(w);
        QCOMPARE(cambio(1), R"(modificación|vemtaro|2|120|02|mesa de luz|{"CLASE":"02",)"
                            R"("CODIGO":"120","DESCRIPCION":"mesa de luz","OBSERVACIONES":)"
                            R"("con cajón","RUBRO":"MUEBLES Y UTILES","VIDA_UTIL":10}|{"CLASE":)"
                            R"("02","CODIGO":"120","DESCRIPCION":"mesa de luz","OBSERVACIONES":)"
                            R"("dos cajones","RUBRO":"MUEBLES Y UTILES","VIDA_UTIL":12})");
        QCOMPARE(cambio(2), R"(alta|vemtaro|6|77||ARMARIO|-|{"CLASE":null,"CODIGO":"77",)"
                            R"("DESCRIPCION":"ARMARIO","OBSERVACIONES":null,"RUBRO":null,)"
                            R"("VIDA_UTIL":null})");
        QCOMPARE(cambio(3), R"(baja|vemtaro|1|112|01|MESA DE ROBLE|{"CLASE":"01","CODIGO":)"
                            R"("112","DESCRIPCION":"MESA DE ROBLE","OBSERVACIONES":null,"RUBRO":)"
                            R"("MUEBLES Y UTILES","VIDA_UTIL":10}|-)");
        const QString usuario = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
        QCOMPARE(consultar(QStringLiteral("SELECT count(*) FROM historial WHERE usuario = '%1' AND "
                                          "cuando BETWEEN '%2' AND '%3'")
                               .arg(usuario, desde, ahora())),
                 QStringLiteral("3"));

        // Saving an edit that changed nothing, and cancelling, record nothing; "Historial"
        // writes a cell edit of the grid still pending, so that the list shows it.
        pulsar(w->cmdEdicion);
        pulsar(w->cmdSalvar);
        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("78"));
        pulsar(w->cmdCancelar);
        escribirEnCelda(w->dbgResultados, 1, 2, QStringLiteral("SILLON"));
        QCOMPARE(cambiosRegistrados(), 3);
        QCOMPARE(MessageBox::takeShown().size(), 1); // the deletion's question
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        QCOMPARE(ultimoCambio("accion || clave || descripcion || json_extract(antes, "
                              "'$.DESCRIPCION')"),
                 QStringLiteral("modificación3SILLONSILLA DE ROBLE"));

        QCOMPARE(h->windowTitle(), QStringLiteral("Historial de cambios"));
        QCOMPARE(nombreConFoco(), QStringLiteral("txtPalabra"));
        for (const auto& [control, nombre] : nombresAccesibles(h).asKeyValueRange())
            QVERIFY2(!nombre.isEmpty(), qPrintable(control));
        QCOMPARE(columna(h, 0) + columna(h, 2), "4,3,2,1" + QStringList(4, usuario).join(','));
        QCOMPARE(columna(h, 3) + columna(h, 4) + columna(h, 5) + columna(h, 6),
                 QStringLiteral("vemtaro,vemtaro,vemtaro,vemtaro3124,112,77,12012,01,,02"
                                "modificación,baja,alta,modificación"));
        QCOMPARE(columnaDeLaGrilla(h->dbgHistorial, 7),
                 (QStringList{"DESCRIPCION: SILLA DE ROBLE → SILLON",
                              "CODIGO: 112; CLASE: 01; DESCRIPCION: MESA DE ROBLE; RUBRO: MUEBLES "
                              "Y UTILES; VIDA_UTIL: 10",
                              "CODIGO: 77; DESCRIPCION: ARMARIO",
                              "VIDA_UTIL: 10 → 12; OBSERVACIONES: con cajón → dos cajones"}));
        const QRegularExpression fechas(
            QStringLiteral("^(\\d\\d/\\d\\d/20\\d\\d \\d\\d:\\d\\d:\\d\\d,?){4}$"));
        QVERIFY(fechas.match(columna(h, 1)).hasMatch());
        // The newest is current, its fields in full below; a click shows another.
        QVERIFY(h->txtDetalle->text().startsWith(QStringLiteral("Cambio n.º 4, ")));
        elegir(h, 1);
        QCOMPARE(h->txtDetalle->text().section(QStringLiteral(", por "), 1),
                 usuario + QStringLiteral(": modificación en vemtaro de la cuenta 120, subcuenta "
                                          "02 (mesa de luz).\nVIDA_UTIL: 10 → 12\nOBSERVACIONES: "
                                          "con cajón → dos cajones"));

        // Narrowed by a word typed key by key.
        for (const QChar c : QStringLiteral(" MeSa"))
            QTest::sendKeyEvent(QTest::Click, h->txtPalabra, Qt::Key_unknown, QString(c), {});
        QCOMPARE(columna(h, 4), QStringLiteral("112,120"));
        QTest::keyClick(h->txtPalabra, 'z');
        QCOMPARE(columna(h, 4) + h->txtDetalle->text(), QString());
        QVERIFY(!h->cmdDeshacer->isEnabled());
        QTest::keyClick(h->txtPalabra, Qt::Key_Escape);
        ChartTestSupport::procesarCierres();
        QVERIFY(!ChartTestSupport::ventanaVisible(QStringLiteral("FrmHistorial")));
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
        QCOMPARE(cambio(1), R"(modificación|extendido|1|1101|01|TERRENO URBANO|{"Clase":"01",)"
                            R"("Codigo":"1101","Descripcion":"TERRENO URBANO","Ord":1}|{"Clase":)"
                            R"("01","Codigo":"1101","Descripcion":"TERRENO URBANO","Ord":20})");
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void aFailedWriteRecordsNothing_data()
    {
        QTest::addColumn<QString>("accion");
        QTest::addColumn<QString>("obstaculo"); ///< SQL run before the write
        const QString regla = QStringLiteral("CREATE TRIGGER regla BEFORE %1 ON vemtaro BEGIN "
                                             "SELECT RAISE(ABORT, 'Regla de la oficina.'); END");
        const QString sinHistorial =
            QStringLiteral("CREATE TRIGGER sin_historial BEFORE INSERT ON historial BEGIN SELECT "
                           "RAISE(ABORT, 'El historial no admite cambios.'); END");
        for (const auto& [accion, cuando] :
             {std::pair{"nuevo", "INSERT"}, std::pair{"edicion", "UPDATE"},
              std::pair{"eliminar", "DELETE"}}) {
            QTest::addRow("%s, rule of the table", accion) << QString(accion) << regla.arg(cuando);
            QTest::addRow("%s, history refused", accion) << QString(accion) << sinHistorial;
        }
    }

    // The write and its record commit together or not at all.
    void aFailedWriteRecordsNothing()
    {
        QFETCH(QString, accion);
        QFETCH(QString, obstaculo);
        FrmConsulVemtaro* w = abrirConCuentas();
        ejecutar(obstaculo);
        const QString todas = QStringLiteral(
            "SELECT group_concat(id || quote(CODIGO) || quote(CLASE) || quote(DESCRIPCION) || "
            "quote(RUBRO) || quote(VIDA_UTIL) || quote(OBSERVACIONES)) FROM vemtaro");
        const QString guardadas = consultar(todas);
        const auto intentar = [&] {
            if (accion == QLatin1String("eliminar")) {
                w->dcdatos->moveTo(2);
                pulsar(w->cmdEliminar);
                return;
            }
            if (w->CmdNuevo->isEnabled())
                pulsar(accion == QLatin1String("nuevo") ? w->CmdNuevo : w->cmdEdicion);
            escribir(w->txtCuenta, QStringLiteral("999"));
            escribir(w->Text2, QStringLiteral("8"));
            pulsar(w->cmdSalvar);
        };
        intentar();
        // Told (a failed save is tried twice), and the window goes on adding or editing.
        QCOMPARE(MessageBox::takeShown().size(), 2);
        QCOMPARE(w->cmdSalvar->isEnabled(), accion != QLatin1String("eliminar"));
        QCOMPARE(consultar(todas), guardadas);
        QCOMPARE(cambiosRegistrados(), 0);
        // Without the obstacle, the same write goes through and is recorded once.
        ejecutar(
            QStringLiteral("DROP TRIGGER IF EXISTS regla; DROP TRIGGER IF EXISTS sin_historial"));
        intentar();
        QVERIFY(consultar(todas) != guardadas);
        QCOMPARE(cambiosRegistrados(), 1);
    }

    // A table called historial that the file had before is kept under a free name; the
    // searches cannot read the history.
    void anOlderTableNamedHistorialIsKeptAside()
    {
        ejecutar(QStringLiteral("CREATE TABLE Historial (nota TEXT); INSERT INTO Historial VALUES "
                                "('de la oficina'); CREATE TABLE historial_anterior (x)"));
        pulsar(abrirConCuentas()->cmdEliminar);
        QCOMPARE(consultar("SELECT nota FROM historial_anterior2"),
                 QStringLiteral("de la oficina"));
        QCOMPARE(ultimoCambio("accion"), QStringLiteral("baja"));
        const auto db = db::Connection::open(db::databasePath());
        for (const char* text : {"historial", "SELECT * FROM HISTORIAL WHERE codigo LIKE '*'"})
            QVERIFY_THROWS_EXCEPTION(db::DbError, db::compileQuery(*db, QString::fromLatin1(text)));
    }

    // The list is read in batches, newest first. A word narrows it: random words, drawn from what
    // was written and from nowhere (pattern characters too), in any case, against what a plain
    // search of the written codes and descriptions finds.
    void readsInBatchesNarrowedByAWord()
    {
        const auto db = db::Connection::open(db::databasePath()); // makes the history table
        // Edits of codes and descriptions drawn from Spanish words, the first with id 1.
        const QStringList palabras =
            QStringLiteral("MESA SILLA ÑANDÚ CAJÓN ESCRITORIO ROBLE PINO ARMARIO VITRINA [A] ÁRBOL")
                .split(' ');
        std::vector<Cuenta> cuentas;
        QStringList filas;
        for (int i = 1; i <= cambiosEscritos; ++i) {
            QStringList descripcion;
            for (int n = m_azar.bounded(1, 4); n > 0; --n)
                descripcion << palabras[m_azar.bounded(int(palabras.size()))];
            cuentas.push_back({QString::number(m_azar.bounded(10, 100000)), descripcion.join(' ')});
            filas << QStringLiteral("(%1, '%2', '%3')")
                         .arg(i)
                         .arg(cuentas.back().codigo, cuentas.back().descripcion);
        }
        ejecutar("INSERT INTO historial (cuando, usuario, tabla, clave, accion, antes, despues, "
                 "codigo, descripcion) SELECT '2024-05-31T10:00:00', 'ana', 'vemtaro', column1, "
                 "'modificación', json_object('DESCRIPCION', column3), json_object('DESCRIPCION', "
                 "column3 || ' NUEVA'), column2, column3 FROM (VALUES " +
                 filas.join(',') + ")");
        HistoryModel modelo(*db);
        for (int leidos : {100, 200, 250}) {
            QCOMPARE(modelo.rowCount(), leidos);
            QCOMPARE(modelo.canFetchMore({}), leidos < cambiosEscritos);
            modelo.fetchMore({});
        }
        QCOMPARE(modelo.index(249, HistoryModel::Changes).data().toString(),
                 QStringLiteral("DESCRIPCION: %1 → %1 NUEVA").arg(cuentas[0].descripcion));
        QCOMPARE(modelo.index(0, HistoryModel::Code).data().toString(), cuentas[249].codigo);

        QAbstractItemModelTester tester(&modelo,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString ajenas = QStringLiteral("abxyz*?#[");
        for (int vez = 0; vez < 40; ++vez) {
            const Cuenta& cuenta = cuentas[m_azar.bounded(int(cuentas.size()))];
            const QString fuente = vez % 2 ? cuenta.codigo : cuenta.descripcion;
            QString palabra = fuente.mid(m_azar.bounded(int(fuente.size())), m_azar.bounded(1, 5));
            if (vez % 5 == 4)
                palabra = ajenas.mid(m_azar.bounded(int(ajenas.size())), 2);
            if (m_azar.bounded(2))
                palabra = QStringLiteral(" ") + palabra.toLower() + QLatin1Char(' ');
            QList<qint64> esperados;
            for (qint64 id = cambiosEscritos; id > 0; --id) {
                const Cuenta& escrita = cuentas[std::size_t(id - 1)];
                if (escrita.codigo.contains(palabra.trimmed(), Qt::CaseInsensitive) ||
                    escrita.descripcion.contains(palabra.trimmed(), Qt::CaseInsensitive))
                    esperados << id;
            }
            modelo.setWord(palabra);
            QCOMPARE(modelo.rowCount(), std::min(int(esperados.size()), HistoryModel::batchSize));
            QVERIFY2(idsLeidos(modelo) == esperados, qPrintable(palabra));
        }
        modelo.setWord(QString());
        QCOMPARE(idsLeidos(modelo).size(), cambiosEscritos);
    }

    void undoesEachChangeOnceAndSaysWhyNot()
    {
        FrmConsulVemtaro* w = abrirConCuentas();
        const QString mesa = cuenta(1), luz = cuenta(2);
        tresCambios(w);
        w->dcdatos->moveTo(2);
        const QString actual = w->txtCuenta->text();
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        // An added account is removed only when the clerk agrees.
        MessageBox::Shown shown = deshacer(h, 2, platform::vbCancel);
        QCOMPARE(shown.prompt, QStringLiteral("¿Desea eliminar la cuenta 77 (ARMARIO), agregada el "
                                              "%1 por %2?")
                                   .arg(columnaDeLaGrilla(h->dbgHistorial, 1)[1],
                                        columnaDeLaGrilla(h->dbgHistorial, 2)[1]));
        QCOMPARE(shown.style, 33);
        QCOMPARE(shown.title, QStringLiteral("Historial de cambios"));
        QCOMPARE(cuenta(6), QStringLiteral("'77'NULL'ARMARIO'NULLNULLNULL"));
        QCOMPARE(cambiosRegistrados(), 3);

        // A deletion brings the account back with its values and key; the undo goes to the
        // top of the list, the undone change stays current.
        QCOMPARE(deshacer(h, 3).prompt, QString());
        QCOMPARE(cuenta(1), mesa);
        QCOMPARE(ultimoCambio("accion || ' ' || deshace"), QStringLiteral("alta 3"));
        QCOMPARE(columna(h, 0), QStringLiteral("4,3,2,1"));
        QCOMPARE(h->dbgHistorial->currentIndex().row(), 1);
        shown = deshacer(h, 3);
        QVERIFY2(
            shown.prompt.startsWith(QStringLiteral("La cuenta 112, subcuenta 01 (MESA DE "
                                                   "ROBLE) ya se restauró el ")) &&
                shown.prompt.endsWith(QStringLiteral("(cambio n.º 4): no se restaura dos veces.")),
            qPrintable(shown.prompt));
        QCOMPARE(shown.style, int(platform::vbOKOnly));
        const QString cuentas112 =
            QStringLiteral("SELECT count(*) FROM vemtaro WHERE CODIGO = '112'");
        QCOMPARE(consultar(cuentas112), QStringLiteral("1"));

        // An edit puts back the fields it changed, once; when another program changed the
        // account since, only if the clerk agrees.
        ejecutar(QStringLiteral("UPDATE vemtaro SET DESCRIPCION = 'MESA GRANDE' WHERE id = 2"));
        shown = deshacer(h, 1, platform::vbCancel);
        QVERIFY2(shown.prompt.contains(QStringLiteral("cambió otra vez después de este cambio:\r\n"
                                                      "DESCRIPCION: era mesa de luz, ahora MESA "
                                                      "GRANDE\r\n")) &&
                     shown.prompt.endsWith(QStringLiteral("¿Desea deshacerlo de todos modos?")),
                 qPrintable(shown.prompt));
        QCOMPARE(shown.style, 33);
        QCOMPARE(cambiosRegistrados(), 4);
        QCOMPARE(deshacer(h, 1).prompt, shown.prompt);
        QCOMPARE(cuenta(2), QString(luz).replace("mesa de luz", "MESA GRANDE"));
        QCOMPARE(ultimoCambio("accion || ' ' || deshace"), QStringLiteral("modificación 1"));
        QVERIFY(deshacer(h, 1).prompt.startsWith(QStringLiteral("Este cambio ya se deshizo el ")));

        // Undoing the undo deletes the account again; the first deletion stays undone.
        QVERIFY(deshacer(h, 4).prompt.startsWith(QStringLiteral("¿Desea eliminar la cuenta 112")));
        QCOMPARE(ultimoCambio("accion || ' ' || deshace"), QStringLiteral("baja 4"));
        QVERIFY(deshacer(h, 3).prompt.contains(QStringLiteral("ya se restauró")));
        QCOMPARE(consultar(cuentas112), QStringLiteral("0"));
        QCOMPARE(cambiosRegistrados(), 6);

        // Closed, the chart window shows the file as it is now, on the same account.
        cerrar(h->cmdCerrar);
        QCOMPARE(columnaDeLaGrilla(w->dbgResultados, 0).join(','),
                 consultar("SELECT group_concat(CODIGO) FROM vemtaro"));
        QCOMPARE(w->txtCuenta->text(), actual);

        // Changes of accounts deleted since.
        for (const char* codigo : {"120", "77"}) {
            w->dcdatos->moveTo(
                columnaDeLaGrilla(w->dbgResultados, 0).indexOf(QLatin1String(codigo)));
            pulsar(w->cmdEliminar);
        }
        h = abrirHistorial(w);
        QCOMPARE(
            deshacer(h, 5).prompt,
            QStringLiteral("La cuenta 120, subcuenta 02 (MESA GRANDE) ya no existe: se eliminó "
                           "después de este cambio. Para recuperarla, deshaga antes su baja."));
        QCOMPARE(deshacer(h, 2).prompt, QStringLiteral("La cuenta 77 (ARMARIO) ya no existe: se "
                                                       "eliminó después de agregarla."));
        QCOMPARE(cambiosRegistrados(), 8);

        // The last account's key, free once it was deleted, goes to the next new one: undone,
        // the deletion brings it back under a new key.
        cerrar(h->cmdCerrar);
        w->dcdatos->moveLast();
        const QString ultima = cuenta(5);
        pulsar(w->cmdEliminar);
        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("88"));
        pulsar(w->cmdSalvar);
        h = abrirHistorial(w);
        QCOMPARE(deshacer(h, 9).prompt, QString());
        QCOMPARE(cuenta(5), QStringLiteral("'88'NULLNULLNULLNULLNULL"));
        const int clave = ultimoCambio("clave").toInt();
        QVERIFY(clave != 5);
        QCOMPARE(cuenta(clave), ultima);
        // An added account changed since is removed with its values now, if the clerk agrees.
        ejecutar(QStringLiteral("UPDATE vemtaro SET DESCRIPCION = 'MESITA' WHERE id = 5"));
        shown = deshacer(h, 10);
        QVERIFY2(shown.prompt.contains(QStringLiteral("DESCRIPCION: era (vacío), ahora MESITA\r\n"
                                                      "Si lo deshace, la cuenta se eliminará")),
                 qPrintable(shown.prompt));
        QCOMPARE(cuenta(5), QString());
    }

    void aReadOnlyDatabaseListsWhatThereIs_data()
    {
        QTest::addColumn<bool>("conCambios");
        QTest::addColumn<QString>("obstaculo"); ///< SQL run before; none: the file is read-only
        QTest::addColumn<QString>("motivo");    ///< what the reason given says
        const QString soloLectura = QStringLiteral("el archivo es de solo lectura");
        QTest::newRow("read-only file, never written") << false << QString() << soloLectura;
        QTest::newRow("read-only file, with changes") << true << QString() << soloLectura;
        QTest::newRow("history cannot be prepared")
            << false << "CREATE TABLE otra (x); CREATE INDEX historial_deshace ON otra (x)"
            << "no se pudo preparar su historial de cambios";
    }

    // Nothing is written, no history made; what there is can be read.
    void aReadOnlyDatabaseListsWhatThereIs()
    {
        QFETCH(bool, conCambios);
        QFETCH(QString, obstaculo);
        QFETCH(QString, motivo);
        if (conCambios) {
            FrmConsulVemtaro* w = abrirConCuentas();
            tresCambios(w);
            w->close();
            ChartTestSupport::procesarCierres();
        }
        QFile archivo(db::databasePath());
        if (obstaculo.isEmpty())
            archivo.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        else
            ejecutar(obstaculo);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        const QByteArray antes = archivo.readAll();

        FrmHistorial* h = abrirHistorial(m_support->abrirCuadro());
        QVERIFY(h);
        QCOMPARE(columna(h, 0), conCambios ? QStringLiteral("3,2,1") : QString());
        QVERIFY2(h->lblSoloLectura->isVisible() && h->lblSoloLectura->toolTip().contains(motivo),
                 qPrintable(h->lblSoloLectura->toolTip()));
        QVERIFY(!h->cmdDeshacer->isEnabled());
        escribir(h->txtPalabra, QStringLiteral("77"));
        QCOMPARE(columna(h, 4), conCambios ? QStringLiteral("77") : QString());
        cerrar(h->cmdCerrar);
        const auto db = db::Connection::open(db::databasePath());
        db::RecordSet records(*db);
        records.open(QStringLiteral("vemtaro"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, records.edit());
        archivo.seek(0);
        if (obstaculo.isEmpty()) // otherwise the engine's own switch of journal mode is written
            QCOMPARE(archivo.readAll(), antes);
        QCOMPARE(consultar("SELECT count(*) FROM sqlite_schema WHERE name = 'historial'"),
                 conCambios ? "1" : "0");
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
    QRandomGenerator m_azar{20240531};
};

QTEST_MAIN(TestHistorial)
#include "tst_historial.moc"
