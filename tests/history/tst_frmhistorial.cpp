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

void pulsar(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

/// One stored account by key, every field quoted, as the file holds it.
QString cuentaGuardada(const ChartTestSupport& soporte, int id)
{
    return soporte.consultar(QStringLiteral("SELECT quote(CODIGO) || quote(CLASE) || "
                                            "quote(DESCRIPCION) || quote(RUBRO) || "
                                            "quote(VIDA_UTIL) || quote(OBSERVACIONES) FROM "
                                            "vemtaro WHERE id = %1")
                                 .arg(id));
}

QStringList columna(FrmHistorial* h, int columna)
{
    return columnaDeLaGrilla(h->dbgHistorial, columna);
}

/// Makes the change numbered `id` current in the list, with a click on its row.
void elegirCambio(FrmHistorial* h, qint64 id)
{
    const int fila = columna(h, 0).indexOf(QString::number(id));
    QVERIFY2(fila >= 0, "the change is not listed");
    const QRect celda = h->dbgHistorial->visualRect(h->dbgHistorial->model()->index(fila, 1));
    QTest::mouseClick(h->dbgHistorial->viewport(), Qt::LeftButton, {}, celda.center());
}

/// The question or notice that "Deshacer" showed, answered with `respuesta`.
MessageBox::Shown deshacer(FrmHistorial* h, int respuesta = platform::vbOK)
{
    MessageBox::takeShown(); // what came before
    MessageBox::setNextAnswer(respuesta);
    pulsar(h->cmdDeshacer);
    const auto shown = MessageBox::takeShown();
    if (shown.size() > 1)
        qWarning("more than one message box");
    return shown.isEmpty() ? MessageBox::Shown{} : shown[0];
}

} // namespace

class TestFrmHistorial : public QObject {
    Q_OBJECT

    FrmConsulVemtaro* abrir()
    {
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        MessageBox::takeShown();
        return w;
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
        QCOMPARE(MessageBox::takeShown().size(), 1);
    }
    int cambios() const
    {
        return m_support->consultar(QStringLiteral("SELECT count(*) FROM historial")).toInt();
    }

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void opensModalFromTheChartWindowWhileBrowsing()
    {
        FrmConsulVemtaro* w = abrir();
        // At the right end of the bottom row, in the window.
        QCOMPARE(w->cmdHistorial->text(), QStringLiteral("Historial"));
        const QRect boton = w->cmdHistorial->geometry();
        QVERIFY(boton.left() > w->cmdReferencias->geometry().right());
        QCOMPARE(boton.top(), w->cmdReferencias->geometry().top());
        QCOMPARE(boton.height(), w->cmdReferencias->height());
        QVERIFY(w->rect().contains(boton));

        // Not while adding or editing.
        pulsar(w->CmdNuevo);
        pulsar(w->cmdHistorial);
        QVERIFY(!w->findChild<FrmHistorial*>());
        pulsar(w->cmdCancelar);

        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        QCOMPARE(h->windowTitle(), QStringLiteral("Historial de cambios"));
        QCOMPARE(h->windowModality(), Qt::ApplicationModal);
        QVERIFY(h->isWindow());
        QCOMPARE(nombreConFoco(), QStringLiteral("txtPalabra"));
        for (const auto& [control, nombre] : nombresAccesibles(h).asKeyValueRange())
            QVERIFY2(!nombre.isEmpty(), qPrintable(control));
        QVERIFY(!h->dbgHistorial->accessibleName().isEmpty());
        // Nothing changed yet: nothing to undo.
        QCOMPARE(h->dbgHistorial->model()->rowCount(), 0);
        QVERIFY(!h->cmdDeshacer->isEnabled());
        QVERIFY(!h->lblSoloLectura->isVisible());

        pulsar(h->cmdCerrar);
        ChartTestSupport::procesarCierres();
        QVERIFY(!ChartTestSupport::ventanaVisible(QStringLiteral("FrmHistorial")));
        h = abrirHistorial(w);
        QVERIFY(h);
        QTest::keyClick(h->txtPalabra, Qt::Key_Escape);
        ChartTestSupport::procesarCierres();
        QVERIFY(!ChartTestSupport::ventanaVisible(QStringLiteral("FrmHistorial")));
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void listsTheChangesNewestFirstWithWhatChanged()
    {
        FrmConsulVemtaro* w = abrir();
        tresCambios(w);
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        QCOMPARE(columna(h, 0), (QStringList{"3", "2", "1"}));
        QCOMPARE(columna(h, 3), (QStringList{"vemtaro", "vemtaro", "vemtaro"}));
        QCOMPARE(columna(h, 4), (QStringList{"112", "77", "120"}));
        QCOMPARE(columna(h, 5), (QStringList{"01", "", "02"}));
        QCOMPARE(columna(h, 6), (QStringList{"baja", "alta", "modificación"}));
        QCOMPARE(columna(h, 7),
                 (QStringList{"CODIGO: 112; CLASE: 01; DESCRIPCION: MESA DE ROBLE; RUBRO: MUEBLES "
                              "Y UTILES; VIDA_UTIL: 10",
                              "CODIGO: 77; DESCRIPCION: ARMARIO", "VIDA_UTIL: 10 → 12"}));
        const QRegularExpression fecha(
            QStringLiteral("^\\d\\d/\\d\\d/20\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
        for (const QString& cuando : columna(h, 1))
            QVERIFY2(fecha.match(cuando).hasMatch(), qPrintable(cuando));
        QVERIFY(!columna(h, 2).first().isEmpty());

        // The newest is current, its fields in full below.
        QVERIFY(h->txtDetalle->text().startsWith(QStringLiteral("Cambio n.º 3, ")));
        QVERIFY(h->txtDetalle->text().endsWith(QStringLiteral("\nVIDA_UTIL: 10")));
        elegirCambio(h, 1);
        QVERIFY(h->txtDetalle->text().contains(
            QStringLiteral("modificación en vemtaro de la cuenta 120, subcuenta 02 (mesa de "
                           "luz).\nVIDA_UTIL: 10 → 12")));
        QVERIFY(h->cmdDeshacer->isEnabled());
    }

    void narrowsByAWordOfTheCodeOrDescription_data()
    {
        QTest::addColumn<QString>("palabra");
        QTest::addColumn<QString>("cuentas");
        QTest::newRow("all") << ""
                             << "500,45,3124,120,112";
        QTest::newRow("description, lower case") << "roble"
                                                 << "3124,112";
        QTest::newRow("code") << "12"
                              << "3124,120,112";
        QTest::newRow("either") << "5"
                                << "500,45";
        QTest::newRow("accented") << "ñandú"
                                  << "500";
        QTest::newRow("blanks around") << "  luz "
                                       << "120";
        QTest::newRow("star is a star") << "*"
                                        << "500";
        QTest::newRow("no pattern") << "?"
                                    << "";
        QTest::newRow("nothing") << "zzz"
                                 << "";
    }

    void narrowsByAWordOfTheCodeOrDescription()
    {
        QFETCH(QString, palabra);
        QFETCH(QString, cuentas);
        FrmConsulVemtaro* w = abrir();
        // One change of each account, oldest first.
        for (int fila = 0; fila < 5; ++fila) {
            w->dcdatos->moveTo(fila);
            pulsar(w->cmdEdicion);
            escribir(w->Text2, QStringLiteral("1"));
            pulsar(w->cmdSalvar);
        }
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        escribir(h->txtPalabra, QStringLiteral("x"));
        h->txtPalabra->selectAll();
        QTest::keyClick(h->txtPalabra, Qt::Key_Backspace);
        for (const QChar c : palabra) // typed key by key, accented letters too
            QTest::sendKeyEvent(QTest::Click, h->txtPalabra, Qt::Key_unknown, QString(c), {});
        QCOMPARE(columna(h, 4).join(','), cuentas);
        QCOMPARE(h->cmdDeshacer->isEnabled(), !cuentas.isEmpty());
        QCOMPARE(h->txtDetalle->text().isEmpty(), cuentas.isEmpty());
    }

    void undoesADeletionAnEditAndAnAddition_data()
    {
        QTest::addColumn<int>("cambio");
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<QString>("accion"); ///< the undo's own action, empty when cancelled
        QTest::newRow("deletion") << 3 << int(platform::vbOK) << "alta";
        QTest::newRow("edit") << 1 << int(platform::vbOK) << "modificación";
        QTest::newRow("addition") << 2 << int(platform::vbOK) << "baja";
        QTest::newRow("addition, cancelled") << 2 << int(platform::vbCancel) << "";
    }

    void undoesADeletionAnEditAndAnAddition()
    {
        QFETCH(int, cambio);
        QFETCH(int, respuesta);
        QFETCH(QString, accion);
        FrmConsulVemtaro* w = abrir();
        QStringList originales;
        for (int id = 1; id <= 5; ++id)
            originales << cuentaGuardada(*m_support, id);
        tresCambios(w);
        w->dcdatos->moveTo(2);
        const QString actual = w->txtCuenta->text();
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        elegirCambio(h, cambio);
        const MessageBox::Shown shown = deshacer(h, respuesta);
        if (cambio == 2) {
            QCOMPARE(shown.prompt,
                     QStringLiteral("¿Desea eliminar la cuenta 77 (ARMARIO), agregada "
                                    "el %1 por %2?")
                         .arg(columna(h, 1)[1], columna(h, 2)[1]));
            QCOMPARE(shown.style, 33);
            QCOMPARE(shown.title, QStringLiteral("Historial de cambios"));
        } else {
            QVERIFY2(shown.prompt.isEmpty(), qPrintable(shown.prompt));
        }

        // Read back from the file.
        const QString cuentas = m_support->consultar("SELECT group_concat(CODIGO) FROM vemtaro");
        if (cambio == 3)
            QCOMPARE(cuentaGuardada(*m_support, 1), originales[0]);
        else if (cambio == 1)
            QCOMPARE(cuentaGuardada(*m_support, 2), originales[1]);
        QCOMPARE(cuentas.contains(QStringLiteral("77")), accion.isEmpty() || cambio != 2);
        QCOMPARE(cuentas.split(',').contains(QStringLiteral("112")), cambio == 3);
        QCOMPARE(cambios(), accion.isEmpty() ? 3 : 4);
        if (!accion.isEmpty()) {
            QCOMPARE(ultimoCambio(*m_support, "accion || ' ' || deshace"),
                     accion + QLatin1Char(' ') + QString::number(cambio));
            // Shown at the top; the undone change stays current.
            QCOMPARE(columna(h, 0).first(), QStringLiteral("4"));
            QCOMPARE(h->dbgHistorial->currentIndex().row(), 4 - cambio);
        }

        // Closed, the chart window shows the file as it is now, on the same account.
        pulsar(h->cmdCerrar);
        ChartTestSupport::procesarCierres();
        QCOMPARE(columnaDeLaGrilla(w->dbgResultados, 0).join(','), cuentas);
        QCOMPARE(w->txtCuenta->text(), actual);
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:%1 de %2")
                                            .arg(w->dcdatos->recordset().absolutePosition() + 1)
                                            .arg(cuentas.split(',').size()));
    }

    void asksBeforeOverwritingANewerChange_data()
    {
        QTest::addColumn<QString>("despues"); ///< how the account changed after the change
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
        FrmConsulVemtaro* w = abrir();
        const bool alta = despues == QLatin1String("alta");
        if (alta) {
            pulsar(w->CmdNuevo);
            escribir(w->txtCuenta, QStringLiteral("77"));
            escribir(w->txtDescr, QStringLiteral("armario"));
        } else {
            pulsar(w->cmdEdicion);
            escribir(w->Text2, QStringLiteral("12"));
        }
        pulsar(w->cmdSalvar);
        const int id = alta ? 6 : 1;
        if (despues == QLatin1String("programa")) {
            ejecutar(QStringLiteral("UPDATE vemtaro SET DESCRIPCION = 'MESA GRANDE' WHERE id = 1"));
        } else {
            pulsar(w->cmdEdicion);
            escribir(w->txtDescr, QStringLiteral("mesa grande"));
            pulsar(w->cmdSalvar);
        }
        const QString antes = cuentaGuardada(*m_support, id);
        const int registrados = cambios();

        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        elegirCambio(h, 1);
        const MessageBox::Shown shown = deshacer(h, respuesta);
        QVERIFY2(shown.prompt.contains(QStringLiteral("cambió otra vez después de este cambio:\r\n"
                                                      "DESCRIPCION: era %1, ahora MESA GRANDE\r\n")
                                           .arg(alta ? "ARMARIO" : "MESA DE ROBLE")),
                 qPrintable(shown.prompt));
        QVERIFY(shown.prompt.endsWith(QStringLiteral("¿Desea deshacerlo de todos modos?")));
        QCOMPARE(shown.style, 33);

        if (respuesta == platform::vbCancel) {
            QCOMPARE(cuentaGuardada(*m_support, id), antes);
            QCOMPARE(cambios(), registrados);
        } else if (alta) {
            QCOMPARE(cuentaGuardada(*m_support, id), QString());
            QCOMPARE(ultimoCambio(*m_support, "accion"), QStringLiteral("baja"));
        } else {
            // The field the change made goes back; the newer one stays.
            QCOMPARE(cuentaGuardada(*m_support, id),
                     QStringLiteral("'112''01''MESA GRANDE''MUEBLES Y UTILES'10NULL"));
            QCOMPARE(ultimoCambio(*m_support, "accion || ' ' || deshace"),
                     QStringLiteral("modificación 1"));
        }
    }

    void undoingTwiceChangesOnce()
    {
        FrmConsulVemtaro* w = abrir();
        tresCambios(w);
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        const QString cuentas112 =
            QStringLiteral("SELECT count(*) FROM vemtaro WHERE CODIGO = '112'");
        QCOMPARE(deshacer(h).prompt, QString());
        QCOMPARE(m_support->consultar(cuentas112), QStringLiteral("1"));
        MessageBox::Shown shown = deshacer(h);
        QVERIFY2(shown.prompt.startsWith(QStringLiteral("La cuenta 112, subcuenta 01 (MESA DE "
                                                        "ROBLE) ya se restauró el ")),
                 qPrintable(shown.prompt));
        QVERIFY(shown.prompt.endsWith(QStringLiteral("(cambio n.º 4): no se restaura dos veces.")));
        QCOMPARE(shown.style, int(platform::vbOKOnly));
        QCOMPARE(m_support->consultar(cuentas112), QStringLiteral("1"));
        QCOMPARE(cambios(), 4);

        // Undoing the undo deletes the account again; the old deletion stays undone.
        elegirCambio(h, 4);
        QVERIFY(deshacer(h).prompt.startsWith(QStringLiteral("¿Desea eliminar la cuenta 112")));
        QCOMPARE(m_support->consultar(cuentas112), QStringLiteral("0"));
        elegirCambio(h, 3);
        QVERIFY(deshacer(h).prompt.contains(QStringLiteral("ya se restauró")));
        QCOMPARE(m_support->consultar(cuentas112), QStringLiteral("0"));

        // An edit, twice.
        elegirCambio(h, 1);
        QCOMPARE(deshacer(h).prompt, QString());
        QCOMPARE(m_support->consultar("SELECT VIDA_UTIL FROM vemtaro WHERE id = 2"),
                 QStringLiteral("10"));
        QVERIFY(deshacer(h).prompt.startsWith(QStringLiteral("Este cambio ya se deshizo el ")));
        QCOMPARE(cambios(), 6);
    }

    void saysWhyAChangeOfAGoneAccountCannotBeUndone()
    {
        FrmConsulVemtaro* w = abrir();
        tresCambios(w);
        // The edited account (120) and the added one (77) are deleted afterwards.
        for (const int fila : {0, 3}) {
            w->dcdatos->moveTo(fila);
            pulsar(w->cmdEliminar);
        }
        const int registrados = cambios();
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        elegirCambio(h, 1);
        QCOMPARE(
            deshacer(h).prompt,
            QStringLiteral("La cuenta 120, subcuenta 02 (mesa de luz) ya no existe: se eliminó "
                           "después de este cambio. Para recuperarla, deshaga antes su baja."));
        elegirCambio(h, 2);
        QCOMPARE(deshacer(h).prompt, QStringLiteral("La cuenta 77 (ARMARIO) ya no existe: se "
                                                    "eliminó después de agregarla."));
        QCOMPARE(cambios(), registrados);
    }

    // A deleted account whose key another account took since comes back under a new key.
    void aRestoredAccountTakesANewKeyWhenItsOwnIsTaken()
    {
        FrmConsulVemtaro* w = abrir();
        w->dcdatos->moveLast();
        const QString original = cuentaGuardada(*m_support, 5);
        pulsar(w->cmdEliminar);
        pulsar(w->CmdNuevo);
        escribir(w->txtCuenta, QStringLiteral("88"));
        pulsar(w->cmdSalvar);
        QCOMPARE(m_support->consultar("SELECT CODIGO FROM vemtaro WHERE id = 5"),
                 QStringLiteral("88"));
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        elegirCambio(h, 1);
        QCOMPARE(deshacer(h).prompt, QString());
        QCOMPARE(cuentaGuardada(*m_support, 6), original);
        QCOMPARE(m_support->consultar("SELECT CODIGO FROM vemtaro WHERE id = 5"),
                 QStringLiteral("88"));
        QCOMPARE(ultimoCambio(*m_support, "accion || clave || deshace"), QStringLiteral("alta61"));
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
            FrmConsulVemtaro* w = abrir();
            tresCambios(w);
            w->close();
            ChartTestSupport::procesarCierres();
        }
        const QString archivo = db::databasePath();
        QFile::setPermissions(archivo, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const auto contenido = [&] {
            QFile file(archivo);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray antes = contenido();

        FrmConsulVemtaro* w = m_support->abrirCuadro();
        QVERIFY(w);
        MessageBox::takeShown();
        FrmHistorial* h = abrirHistorial(w);
        QVERIFY(h);
        QCOMPARE(columna(h, 0).join(','), conCambios ? QStringLiteral("3,2,1") : QString());
        QVERIFY(h->lblSoloLectura->isVisible());
        QVERIFY(h->lblSoloLectura->toolTip().contains(QStringLiteral("solo para lectura")));
        QVERIFY(!h->cmdDeshacer->isEnabled());
        escribir(h->txtPalabra, QStringLiteral("77"));
        QCOMPARE(columna(h, 4).join(','), conCambios ? QStringLiteral("77") : QString());
        QVERIFY(!h->cmdDeshacer->isEnabled());
        pulsar(h->cmdCerrar);
        ChartTestSupport::procesarCierres();
        QCOMPARE(contenido(), antes);
        QCOMPARE(
            m_support->consultar("SELECT count(*) FROM sqlite_schema WHERE name = 'historial'"),
            conCambios ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestFrmHistorial)
#include "tst_frmhistorial.moc"
