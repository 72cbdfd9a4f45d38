// The history window opened from the chart window's "Historial", driven as a clerk drives it:
// the list, the word that narrows it, "Deshacer" with its questions answered through the seam,
// and the database file read back after every undo.
#include "../chart/ChartTestSupport.h"
#include "HistoryTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "db/DataFolder.h"
#include "history/FrmHistorial.h"
#include "platform/MessageBox.h"

#include <QFile>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

using namespace vemtaro;
using platform::MessageBox;

namespace {

/// One stored account by key, every field quoted, as the file holds it; empty when gone.
QString cuenta(const ChartTestSupport& soporte, int id)
{
    return soporte.consultar(QStringLiteral("SELECT quote(CODIGO) || quote(CLASE) || "
                                            "quote(DESCRIPCION) || quote(RUBRO) || "
                                            "quote(VIDA_UTIL) || quote(OBSERVACIONES) FROM "
                                            "vemtaro WHERE id = %1")
                                 .arg(id));
}

/// A column of the list, top to bottom, joined with commas.
QString columna(FrmHistorial* h, int columna)
{
    return columnaDeLaGrilla(h->dbgHistorial, columna).join(QLatin1Char(','));
}

/// Clicks the row of the change numbered `id`.
void elegirCambio(FrmHistorial* h, qint64 id)
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
    elegirCambio(h, id);
    MessageBox::takeShown(); // what came before
    MessageBox::setNextAnswer(respuesta);
    pulsar(h->cmdDeshacer);
    const auto shown = MessageBox::takeShown();
    if (shown.size() > 1)
        return {QStringLiteral("<%1 boxes>").arg(shown.size()), 0, {}};
    return shown.isEmpty() ? MessageBox::Shown{} : shown[0];
}

/// Three changes made in the chart window: n.º 1 the useful life of 120 from 10 to 12,
/// n.º 2 the new account 77 ARMARIO, n.º 3 the deletion of 112.
void tresCambios(FrmConsulVemtaro* w)
{
    w->dcdatos->moveTo(1);
    pulsar(w->cmdEdicion);
    escribir(w->Text2, QStringLiteral("12"));
    pulsar(w->cmdSalvar);
    pulsar(w->CmdNuevo);
    escribir(w->txtCuenta, QStringLiteral("77"));
    escribir(w->txtDescr, QStringLiteral("armario"));
    pulsar(w->cmdSalvar);
    w->dcdatos->moveTo(0);
    pulsar(w->cmdEliminar);
}

} // namespace

class TestFrmHistorial : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void opensModalAndListsTheChangesNewestFirst()
    {
        FrmConsulVemtaro* w = abrirConCuentas(*m_support);
        // At the right end of the bottom row; not while adding or editing.
        const QRect boton = w->cmdHistorial->geometry();
        QVERIFY(boton.left() > w->cmdReferencias->geometry().right() && w->rect().contains(boton));
        QCOMPARE(boton.top(), w->cmdReferencias->geometry().top());
        pulsar(w->CmdNuevo);
        pulsar(w->cmdHistorial);
        QVERIFY(!w->findChild<FrmHistorial*>());
        pulsar(w->cmdCancelar);
        tresCambios(w);

        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        QCOMPARE(h->windowTitle(), QStringLiteral("Historial de cambios"));
        QCOMPARE(h->windowModality(), Qt::ApplicationModal);
        QCOMPARE(nombreConFoco(), QStringLiteral("txtPalabra"));
        for (const auto& [control, nombre] : nombresAccesibles(h).asKeyValueRange())
            QVERIFY2(!nombre.isEmpty(), qPrintable(control));
        QCOMPARE(columna(h, 0), QStringLiteral("3,2,1"));
        QCOMPARE(columna(h, 3) + columna(h, 4) + columna(h, 5),
                 QStringLiteral("vemtaro,vemtaro,vemtaro112,77,12001,,02"));
        QCOMPARE(columna(h, 6), QStringLiteral("baja,alta,modificación"));
        QCOMPARE(columnaDeLaGrilla(h->dbgHistorial, 7),
                 (QStringList{"CODIGO: 112; CLASE: 01; DESCRIPCION: MESA DE ROBLE; RUBRO: MUEBLES "
                              "Y UTILES; VIDA_UTIL: 10",
                              "CODIGO: 77; DESCRIPCION: ARMARIO", "VIDA_UTIL: 10 → 12"}));
        QVERIFY(QRegularExpression(
                    QStringLiteral("^(\\d\\d/\\d\\d/20\\d\\d \\d\\d:\\d\\d:\\d\\d,?){3}$"))
                    .match(columna(h, 1))
                    .hasMatch());
        // The newest is current, its fields in full below; a click shows another.
        QVERIFY(h->txtDetalle->text().startsWith(QStringLiteral("Cambio n.º 3, ")));
        elegirCambio(h, 1);
        QVERIFY(h->txtDetalle->text().endsWith(
            QStringLiteral("modificación en vemtaro de la cuenta 120, subcuenta 02 (mesa de "
                           "luz).\nVIDA_UTIL: 10 → 12")));

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

    void undoesADeletionAnEditAndAnAddition_data()
    {
        QTest::addColumn<int>("cambio");
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<QString>("deshecho"); ///< the undo's own action; empty when cancelled
        QTest::newRow("deletion") << 3 << int(platform::vbOK) << "alta";
        QTest::newRow("edit") << 1 << int(platform::vbOK) << "modificación";
        QTest::newRow("addition") << 2 << int(platform::vbOK) << "baja";
        QTest::newRow("addition, cancelled") << 2 << int(platform::vbCancel) << "";
    }

    void undoesADeletionAnEditAndAnAddition()
    {
        QFETCH(int, cambio);
        QFETCH(int, respuesta);
        QFETCH(QString, deshecho);
        FrmConsulVemtaro* w = abrirConCuentas(*m_support);
        const QStringList originales = {cuenta(*m_support, 1), cuenta(*m_support, 2)};
        tresCambios(w);
        w->dcdatos->moveTo(2);
        const QString actual = w->txtCuenta->text();
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        const QString fecha = columnaDeLaGrilla(h->dbgHistorial, 1)[1];
        const MessageBox::Shown shown = deshacer(h, cambio, respuesta);
        if (cambio == 2) {
            QCOMPARE(shown.prompt,
                     QStringLiteral("¿Desea eliminar la cuenta 77 (ARMARIO), agregada "
                                    "el %1 por %2?")
                         .arg(fecha, columnaDeLaGrilla(h->dbgHistorial, 2)[1]));
            QCOMPARE(shown.style, 33);
            QCOMPARE(shown.title, QStringLiteral("Historial de cambios"));
        } else {
            QCOMPARE(shown.prompt, QString());
        }

        // Read back from the file.
        if (cambio != 2)
            QCOMPARE(cuenta(*m_support, cambio == 3 ? 1 : 2), originales[cambio == 3 ? 0 : 1]);
        else
            QCOMPARE(cuenta(*m_support, 6).isEmpty(), !deshecho.isEmpty());
        QCOMPARE(cambiosRegistrados(*m_support), deshecho.isEmpty() ? 3 : 4);
        if (!deshecho.isEmpty()) {
            QCOMPARE(ultimoCambio(*m_support, "accion || ' ' || deshace"),
                     deshecho + QLatin1Char(' ') + QString::number(cambio));
            // At the top of the list; the undone change stays current.
            QCOMPARE(columna(h, 0), QStringLiteral("4,3,2,1"));
            QCOMPARE(h->dbgHistorial->currentIndex().row(), 4 - cambio);
        }

        // Closed, the chart window shows the file as it is now, on the same account.
        pulsar(h->cmdCerrar);
        ChartTestSupport::procesarCierres();
        QCOMPARE(columnaDeLaGrilla(w->dbgResultados, 0).join(','),
                 m_support->consultar("SELECT group_concat(CODIGO) FROM vemtaro"));
        QCOMPARE(w->txtCuenta->text(), actual);
    }

    void asksBeforeOverwritingANewerChange_data()
    {
        QTest::addColumn<QString>("despues"); ///< how the account changed after change n.º 1
        QTest::addColumn<int>("respuesta");
        for (int respuesta : {int(platform::vbOK), int(platform::vbCancel)}) {
            const char* como = respuesta == platform::vbOK ? "yes" : "no";
            QTest::addRow("edit edited again, %s", como) << "edicion" << respuesta;
            QTest::addRow("edit changed by another program, %s", como) << "programa" << respuesta;
            QTest::addRow("addition edited, %s", como) << "alta" << respuesta;
        }
    }

    void asksBeforeOverwritingANewerChange()
    {
        QFETCH(QString, despues);
        QFETCH(int, respuesta);
        FrmConsulVemtaro* w = abrirConCuentas(*m_support);
        const bool alta = despues == QLatin1String("alta");
        pulsar(alta ? w->CmdNuevo : w->cmdEdicion);
        escribir(alta ? w->txtCuenta : w->Text2, QStringLiteral("77"));
        pulsar(w->cmdSalvar);
        const int id = alta ? 6 : 1;
        if (despues == QLatin1String("programa")) {
            ejecutar(QStringLiteral("UPDATE vemtaro SET DESCRIPCION = 'MESA GRANDE' WHERE id = 1"));
        } else {
            pulsar(w->cmdEdicion);
            escribir(w->txtDescr, QStringLiteral("mesa grande"));
            pulsar(w->cmdSalvar);
        }
        const QString antes = cuenta(*m_support, id);
        const int registrados = cambiosRegistrados(*m_support);

        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        const MessageBox::Shown shown = deshacer(h, 1, respuesta);
        QVERIFY2(shown.prompt.contains(QStringLiteral("cambió otra vez después de este cambio:\r\n"
                                                      "DESCRIPCION: era %1, ahora MESA GRANDE\r\n")
                                           .arg(alta ? "(vacío)" : "MESA DE ROBLE")) &&
                     shown.prompt.endsWith(QStringLiteral("¿Desea deshacerlo de todos modos?")),
                 qPrintable(shown.prompt));
        QCOMPARE(shown.style, 33);

        if (respuesta == platform::vbCancel) {
            QCOMPARE(cuenta(*m_support, id), antes);
            QCOMPARE(cambiosRegistrados(*m_support), registrados);
        } else if (alta) {
            QCOMPARE(cuenta(*m_support, id), QString());
        } else {
            // The field the change made goes back; the newer one stays.
            QCOMPARE(cuenta(*m_support, id),
                     QStringLiteral("'112''01''MESA GRANDE''MUEBLES Y UTILES'10NULL"));
            QCOMPARE(ultimoCambio(*m_support, "accion || deshace"),
                     QStringLiteral("modificación1"));
        }
    }

    void undoesEachChangeOnceAndSaysWhyNot()
    {
        FrmConsulVemtaro* w = abrirConCuentas(*m_support);
        tresCambios(w);
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        const QString cuentas112 =
            QStringLiteral("SELECT count(*) FROM vemtaro WHERE CODIGO = '112'");
        QCOMPARE(deshacer(h, 3).prompt, QString());
        const MessageBox::Shown shown = deshacer(h, 3);
        QVERIFY2(
            shown.prompt.startsWith(QStringLiteral("La cuenta 112, subcuenta 01 (MESA DE "
                                                   "ROBLE) ya se restauró el ")) &&
                shown.prompt.endsWith(QStringLiteral("(cambio n.º 4): no se restaura dos veces.")),
            qPrintable(shown.prompt));
        QCOMPARE(shown.style, int(platform::vbOKOnly));
        QCOMPARE(m_support->consultar(cuentas112), QStringLiteral("1"));

        // Undoing the undo deletes it again; the first deletion stays undone.
        QVERIFY(deshacer(h, 4).prompt.startsWith(QStringLiteral("¿Desea eliminar la cuenta 112")));
        QVERIFY(deshacer(h, 3).prompt.contains(QStringLiteral("ya se restauró")));
        QCOMPARE(m_support->consultar(cuentas112), QStringLiteral("0"));
        QCOMPARE(deshacer(h, 1).prompt, QString());
        QVERIFY(deshacer(h, 1).prompt.startsWith(QStringLiteral("Este cambio ya se deshizo el ")));
        QCOMPARE(cambiosRegistrados(*m_support), 6);

        // Changes of accounts deleted since.
        pulsar(h->cmdCerrar);
        ChartTestSupport::procesarCierres();
        for (const char* codigo : {"120", "77"}) {
            w->dcdatos->moveTo(
                columnaDeLaGrilla(w->dbgResultados, 0).indexOf(QLatin1String(codigo)));
            pulsar(w->cmdEliminar);
        }
        h = abrirHistorial(w);
        QCOMPARE(
            deshacer(h, 6).prompt,
            QStringLiteral("La cuenta 120, subcuenta 02 (mesa de luz) ya no existe: se eliminó "
                           "después de este cambio. Para recuperarla, deshaga antes su baja."));
        QCOMPARE(deshacer(h, 2).prompt, QStringLiteral("La cuenta 77 (ARMARIO) ya no existe: se "
                                                       "eliminó después de agregarla."));
        QCOMPARE(cambiosRegistrados(*m_support), 8);

        // The last account's key, free once it was deleted, goes to the next new one: undone,
        // the deletion brings it back under a new key.
        pulsar(h->cmdCerrar);
        ChartTestSupport::procesarCierres();
        w->dcdatos->moveLast();
        const QString ultima = cuenta(*m_support, 5);
        pulsar(w->cmdEliminar);
        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("88"));
        pulsar(w->cmdSalvar);
        h = abrirHistorial(w);
        QCOMPARE(deshacer(h, 9).prompt, QString());
        QCOMPARE(cuenta(*m_support, 5), QStringLiteral("'88'NULLNULLNULLNULLNULL"));
        const int clave = ultimoCambio(*m_support, "clave").toInt();
        QVERIFY(clave != 5);
        QCOMPARE(cuenta(*m_support, clave), ultima);
    }

    void aReadOnlyDatabaseListsWhatThereIs_data()
    {
        QTest::addColumn<bool>("conCambios");
        QTest::newRow("never written") << false;
        QTest::newRow("with changes") << true;
    }

    void aReadOnlyDatabaseListsWhatThereIs()
    {
        QFETCH(bool, conCambios);
        if (conCambios) {
            FrmConsulVemtaro* w = abrirConCuentas(*m_support);
            tresCambios(w);
            w->close();
            ChartTestSupport::procesarCierres();
        }
        QFile archivo(db::databasePath());
        archivo.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        const QByteArray antes = archivo.readAll();

        FrmConsulVemtaro* w = m_support->abrirCuadro();
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        QCOMPARE(columna(h, 0), conCambios ? QStringLiteral("3,2,1") : QString());
        QVERIFY(h->lblSoloLectura->isVisible() &&
                h->lblSoloLectura->toolTip().contains(QStringLiteral("solo para lectura")));
        QVERIFY(!h->cmdDeshacer->isEnabled());
        escribir(h->txtPalabra, QStringLiteral("77"));
        QCOMPARE(columna(h, 4), conCambios ? QStringLiteral("77") : QString());
        QVERIFY(!h->cmdDeshacer->isEnabled());
        pulsar(h->cmdCerrar);
        ChartTestSupport::procesarCierres();
        archivo.seek(0);
        QCOMPARE(archivo.readAll(), antes);
        QCOMPARE(
            m_support->consultar("SELECT count(*) FROM sqlite_schema WHERE name = 'historial'"),
            conCambios ? QStringLiteral("1") : QStringLiteral("0"));
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestFrmHistorial)
#include "tst_frmhistorial.moc"
