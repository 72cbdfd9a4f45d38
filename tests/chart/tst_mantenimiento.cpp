// The chart window's record editor driven as a clerk drives it: "Nuevo", "Edicion", "Salvar",
// "Cancelar" and "Eliminar" clicked, keys typed into the boxes, boxes answered through the seam,
// and the database file read back after every write.
#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "platform/MessageBox.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

using namespace vemtaro;
using platform::CommandButton;
using platform::MessageBox;
using platform::TextBox;

namespace {

/// CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, OBSERVACIONES, in the table's order.
QList<QStringList> cuentasDePrueba()
{
    const QString nulo;
    return {
        {"112", "01", "MESA DE ROBLE", "MUEBLES Y UTILES", "10", nulo},
        {"120", "02", "mesa de luz", "MUEBLES Y UTILES", "10", "con cajón"},
        {"3124", "12", "SILLA DE ROBLE", "MUEBLES Y UTILES", "5", nulo},
        {"45", "120", "ESCRITORIO METALICO", "MUEBLES", "15", nulo},
        {"500", "212", "MESETA", "INMUEBLES", "50", nulo},
    };
}

/// The names among `names` of the window's enabled controls.
QStringList habilitados(FrmConsulVemtaro* w, const QStringList& names)
{
    QStringList enabled;
    for (const QString& name : names)
        if (w->findChild<QWidget*>(name)->isEnabled())
            enabled << name;
    return enabled;
}

void verificarNavegando(FrmConsulVemtaro* w)
{
    QStringList botones = ChartTestSupport::allCommandButtons();
    botones.removeAll(QStringLiteral("cmdSalvar"));
    QCOMPARE(habilitados(w, ChartTestSupport::allCommandButtons()), botones);
    QCOMPARE(habilitados(w, ChartTestSupport::allTextBoxes()),
             (QStringList{"Text1", "Text3", "Text4"}));
}

/// Adding or editing; `rubro` is whether txtrubro is still enabled (leaving the description
/// disables it).
void verificarEditando(FrmConsulVemtaro* w, bool rubro = true)
{
    QCOMPARE(habilitados(w, ChartTestSupport::allCommandButtons()),
             (QStringList{"cmdSalvar", "cmdCancelar"}));
    QStringList cajas = ChartTestSupport::allTextBoxes();
    if (!rubro)
        cajas.removeAll(QStringLiteral("txtrubro"));
    QCOMPARE(habilitados(w, ChartTestSupport::allTextBoxes()), cajas);
}

void pulsar(CommandButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

/// Types `text` key by key, accented letters and other scripts too.
void teclear(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), {});
    }
}

/// Replaces the text of `box` by typing `text` into it, key by key.
void escribir(TextBox* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    teclear(box, text);
}

/// The editor's six boxes, in tab order.
QStringList editor(FrmConsulVemtaro* w)
{
    return {w->txtCuenta->text(), w->txtSubcuenta->text(), w->txtDescr->text(),
            w->txtrubro->text(),  w->Text2->text(),        w->txtObserv->text()};
}

void clicEnFila(FrmConsulVemtaro* w, int row)
{
    const QModelIndex cell = w->dbgResultados->model()->index(row, 0);
    w->dbgResultados->scrollTo(cell);
    QTest::mouseClick(w->dbgResultados->viewport(), Qt::LeftButton, {},
                      w->dbgResultados->visualRect(cell).center());
}

const QString preguntaEliminar =
    QStringLiteral("los efectos de esta acción son irreversibles\r\nDesea Eliminar el presente "
                   "registro");

} // namespace

class TestMantenimiento : public QObject {
    Q_OBJECT

    /// A stored field of the account whose code is `codigo`, read from the file.
    QString guardado(const QString& campo, const QString& codigo) const
    {
        return m_support->consultar(
            QStringLiteral("SELECT %1 FROM vemtaro WHERE CODIGO = '%2'").arg(campo, codigo));
    }
    int cuentasGuardadas() const
    {
        return m_support->consultar(QStringLiteral("SELECT count(*) FROM vemtaro")).toInt();
    }
    static void nuevoOEdicion()
    {
        QTest::addColumn<bool>("nuevo");
        QTest::newRow("new") << true;
        QTest::newRow("edit") << false;
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

    void codeBoxesTakeDigitsAndBackspaceOnly_data()
    {
        QTest::addColumn<QString>("caja");
        QTest::newRow("account") << "txtCuenta";
        QTest::newRow("sub-account") << "txtSubcuenta";
    }

    void codeBoxesTakeDigitsAndBackspaceOnly()
    {
        QFETCH(QString, caja);
        FrmConsulVemtaro* w = abrir();
        pulsar(w->CmdNuevo);
        auto* box = w->findChild<TextBox*>(caja);
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("12a3"));
        QCOMPARE(box->text(), QStringLiteral("123"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("12"));
        // The neighbours of '0' and '9', letters, blanks, signs and accents are all refused.
        // A digit of another script is no digit of a code either.
        teclear(box, QStringLiteral("/0:9 -.,+Ñé٣"));
        QCOMPARE(box->text(), QStringLiteral("1209"));
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void descriptionAndRubroAreUpperCase()
    {
        FrmConsulVemtaro* w = abrir();
        // A stored lower-case description is shown in upper case.
        w->dcdatos->moveTo(1);
        QCOMPARE(w->txtDescr->text(), QStringLiteral("MESA DE LUZ"));
        // Shown from its start, not scrolled to the end.
        QCOMPARE(w->txtDescr->cursorPosition(), 0);

        pulsar(w->CmdNuevo);
        // The rubro box (reached without leaving the description, which would disable it)
        // upper-cases what it holds and the key just typed.
        QVERIFY(w->txtrubro->isEnabled());
        w->txtrubro->setFocus();
        QTest::keyClick(w->txtrubro, 'a');
        QCOMPARE(w->txtrubro->text(), QStringLiteral("A"));
        QTest::keyClick(w->txtrubro, 'b');
        QCOMPARE(w->txtrubro->text(), QStringLiteral("AB"));
        // Upper case already, digits, blanks and accented letters; the caret goes to the end.
        w->txtrubro->setText(QStringLiteral("muebles"));
        w->txtrubro->setCursorPosition(2);
        teclear(w->txtrubro, QStringLiteral(" Y1 úñ"));
        QCOMPARE(w->txtrubro->text(), QStringLiteral("MUEBLES Y1 ÚÑ"));
        QTest::keyClick(w->txtrubro, Qt::Key_Backspace);
        QCOMPARE(w->txtrubro->text(), QStringLiteral("MUEBLES Y1 Ú"));

        w->txtDescr->setFocus();
        const QString typed = QStringLiteral("silla ñandú");
        for (int i = 0; i < typed.size(); ++i) {
            teclear(w->txtDescr, typed.mid(i, 1));
            QCOMPARE(w->txtDescr->text(), typed.left(i + 1).toUpper());
            QCOMPARE(w->txtDescr->cursorPosition(), i + 1);
        }
        // A key typed inside the text goes in there, and the caret still ends at the end.
        w->txtDescr->setCursorPosition(0);
        QTest::keyClick(w->txtDescr, 'x');
        QCOMPARE(w->txtDescr->text(), QStringLiteral("XSILLA ÑANDÚ"));
        QCOMPARE(w->txtDescr->cursorPosition(), 12);
        QTest::keyClick(w->txtDescr, Qt::Key_Backspace);
        QCOMPARE(w->txtDescr->text(), QStringLiteral("XSILLA ÑAND"));

        w->txtCuenta->setText(QStringLiteral("7"));
        pulsar(w->cmdSalvar);
        QCOMPARE(guardado(QStringLiteral("DESCRIPCION || RUBRO"), QStringLiteral("7")),
                 QStringLiteral("XSILLA ÑANDMUEBLES Y1 Ú"));
    }

    void enterWalksThroughTheEditorAndTheRubroListWhileAdding()
    {
        FrmConsulVemtaro* w = abrir();
        const int antes = cuentasGuardadas();
        pulsar(w->CmdNuevo);
        verificarEditando(w);
        QVERIFY(editor(w).join(QString()).isEmpty());
        QCOMPARE(nombreConFoco(), QStringLiteral("txtCuenta"));

        QTest::keyClicks(w->txtCuenta, QStringLiteral("45"));
        QTest::keyClick(w->txtCuenta, Qt::Key_Return);
        QCOMPARE(nombreConFoco(), QStringLiteral("txtSubcuenta"));
        QTest::keyClicks(w->txtSubcuenta, QStringLiteral("07"));
        QTest::keyClick(w->txtSubcuenta, Qt::Key_Return);
        QCOMPARE(nombreConFoco(), QStringLiteral("txtDescr"));
        QTest::keyClicks(w->txtDescr, QStringLiteral("armario"));
        QVERIFY(!w->Datarubro2->isVisible());
        // Leaving the description opens the rubro list, in place of the rubro box.
        QTest::keyClick(w->txtDescr, Qt::Key_Return);
        QVERIFY(w->Datarubro2->isVisible());
        QCOMPARE(nombreConFoco(), QStringLiteral("Datarubro2"));
        verificarEditando(w, false);
        QTest::keyClick(w->Datarubro2, Qt::Key_Down);
        QTest::keyClick(w->Datarubro2, Qt::Key_Down);
        const QString rubro = w->Datarubro2->itemText(1);
        QCOMPARE(w->txtrubro->text(), rubro);
        // Moving into the useful life hides it again.
        QTest::keyClick(w->Datarubro2, Qt::Key_Return);
        QCOMPARE(nombreConFoco(), QStringLiteral("Text2"));
        QVERIFY(!w->Datarubro2->isVisible());
        QTest::keyClicks(w->Text2, QStringLiteral("12"));
        QTest::keyClick(w->Text2, Qt::Key_Return);
        QCOMPARE(nombreConFoco(), QStringLiteral("txtObserv"));
        QTest::keyClicks(w->txtObserv, QStringLiteral("nota"));
        QTest::keyClick(w->txtObserv, Qt::Key_Return);
        QCOMPARE(w->txtObserv->text(), QStringLiteral("nota"));
        QCOMPARE(nombreConFoco(), QStringLiteral("cmdSalvar"));
        QTest::keyClick(w->cmdSalvar, Qt::Key_Return);

        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(cuentasGuardadas(), antes + 1);
        QCOMPARE(m_support->consultar(QStringLiteral(
                     "SELECT CODIGO || '|' || CLASE || '|' || DESCRIPCION || '|' || RUBRO || '|' "
                     "|| VIDA_UTIL || '|' || OBSERVACIONES FROM vemtaro ORDER BY id DESC")),
                 QStringLiteral("45|07|ARMARIO|%1|12|nota").arg(rubro));
        // The new account is the last of the result, and current.
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:%1 de %1").arg(antes + 1));
        QCOMPARE(w->dbgResultados->model()->rowCount(), antes + 1);
        QCOMPARE(editor(w), (QStringList{"45", "07", "ARMARIO", rubro, "12", "nota"}));
        QCOMPARE(nombreConFoco(), QStringLiteral("CmdNuevo"));
        verificarNavegando(w);
        // Saving leaves the list as it was.
        QVERIFY(!w->Datarubro2->isVisible());
    }

    void cancellingAddsOrChangesNothing_data() { nuevoOEdicion(); }

    void cancellingAddsOrChangesNothing()
    {
        QFETCH(bool, nuevo);
        FrmConsulVemtaro* w = abrir();
        const int antes = cuentasGuardadas();
        w->dcdatos->moveTo(2);
        pulsar(nuevo ? w->CmdNuevo : w->cmdEdicion);
        const int actual = nuevo ? antes - 1 : 2;
        escribir(w->txtCuenta, QStringLiteral("999"));
        escribir(w->txtDescr, QStringLiteral("cambiada"));
        escribir(w->Text2, QStringLiteral("3"));
        w->txtObserv->setPlainText(QStringLiteral("otra"));
        pulsar(w->cmdCancelar);

        verificarNavegando(w);
        QCOMPARE(cuentasGuardadas(), antes);
        QCOMPARE(w->dbgResultados->model()->rowCount(), antes);
        QCOMPARE(guardado(QStringLiteral("count(*)"), QStringLiteral("999")), QStringLiteral("0"));
        QCOMPARE(w->dcdatos->recordset().absolutePosition(), actual);
        QCOMPARE(w->dcdatos->caption(),
                 QStringLiteral("Registro:%1 de %2").arg(actual + 1).arg(antes));
        QStringList shown = cuentasDePrueba()[actual];
        shown[2] = shown[2].toUpper();
        QCOMPARE(editor(w), shown);
        QCOMPARE(MessageBox::takeShown().size(), 0);

        // Cancelling while browsing changes nothing either.
        pulsar(w->cmdCancelar);
        verificarNavegando(w);
        QCOMPARE(editor(w), shown);
    }

    void browsingAndUntouchedDescriptionsWriteNothing()
    {
        FrmConsulVemtaro* w = abrir();
        const QString lower = QStringLiteral("mesa de luz");
        // Through the grid, the navigation bar and back.
        clicEnFila(w, 1);
        QCOMPARE(w->txtDescr->text(), lower.toUpper());
        clicEnFila(w, 4);
        w->dcdatos->findChild<QAbstractButton*>(QStringLiteral("cmdPrimero"))->click();
        w->dcdatos->findChild<QAbstractButton*>(QStringLiteral("cmdSiguiente"))->click();
        w->dcdatos->findChild<QAbstractButton*>(QStringLiteral("cmdSiguiente"))->click();
        QCOMPARE(guardado(QStringLiteral("DESCRIPCION"), QStringLiteral("120")), lower);

        // Editing another field of it leaves the description as stored.
        clicEnFila(w, 1);
        pulsar(w->cmdEdicion);
        escribir(w->Text2, QStringLiteral("8"));
        escribir(w->txtSubcuenta, QStringLiteral("021"));
        pulsar(w->cmdSalvar);
        QCOMPARE(guardado(QStringLiteral("CLASE || DESCRIPCION || VIDA_UTIL || OBSERVACIONES"),
                          QStringLiteral("120")),
                 QStringLiteral("021") + lower + QStringLiteral("8con cajón"));
        // The edited account stays current, and the grid shows it as saved.
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:2 de 5"));
        QCOMPARE(w->dbgResultados->model()->index(1, 4).data().toString(), QStringLiteral("8"));
        QCOMPARE(guardado(QStringLiteral("OBSERVACIONES IS NULL"), QStringLiteral("112")),
                 QStringLiteral("1"));
    }

    void aFailingSaveIsShownTwiceAndTheWindowStaysEditing_data() { nuevoOEdicion(); }

    void aFailingSaveIsShownTwiceAndTheWindowStaysEditing()
    {
        QFETCH(bool, nuevo);
        FrmConsulVemtaro* w = abrir();
        clicEnFila(w, 2);
        pulsar(nuevo ? w->CmdNuevo : w->cmdEdicion);
        escribir(w->txtCuenta, QStringLiteral("777"));
        escribir(w->Text2, QStringLiteral("diez"));
        const QStringList typed = editor(w);
        for (int vez = 0; vez < 2; ++vez) {
            pulsar(w->cmdSalvar);
            const auto shown = MessageBox::takeShown();
            QCOMPARE(shown.size(), 2);
            for (const auto& box : shown) {
                QVERIFY(box.prompt.startsWith(QStringLiteral("Error: ")));
                QVERIFY(box.prompt.contains(QStringLiteral("«diez»")));
                QCOMPARE(box.style, int(platform::vbOKOnly));
                QCOMPARE(box.title, MessageBox::applicationTitle());
            }
            verificarEditando(w);
            QCOMPARE(editor(w), typed);
            QCOMPARE(cuentasGuardadas(), cuentasDePrueba().size());
            QCOMPARE(guardado(QStringLiteral("count(*)"), QStringLiteral("777")),
                     QStringLiteral("0"));
        }
        // Mended, it saves.
        escribir(w->Text2, QStringLiteral("10"));
        pulsar(w->cmdSalvar);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        verificarNavegando(w);
        QCOMPARE(guardado(QStringLiteral("VIDA_UTIL"), QStringLiteral("777")),
                 QStringLiteral("10"));
        QCOMPARE(cuentasGuardadas(), cuentasDePrueba().size() + (nuevo ? 1 : 0));
        QCOMPARE(guardado(QStringLiteral("count(*)"), QStringLiteral("3124")),
                 QString::number(nuevo ? 1 : 0));
    }

    void newAndEditOnAnEmptyResultAndABlankNewRecord()
    {
        FrmConsulVemtaro* w = abrir();
        escribir(w->Text1, QStringLiteral("inexistente"));
        pulsar(w->CmdEjecutar);
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("No hay entradas de registros"));

        pulsar(w->cmdEdicion);
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].prompt.startsWith(QStringLiteral("Error: No hay ningún registro")));
        verificarNavegando(w);

        pulsar(w->CmdNuevo);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        verificarEditando(w);
        // Blanks are nothing: the record is not stored, and the window stays adding.
        escribir(w->Text2, QStringLiteral("  "));
        pulsar(w->cmdSalvar);
        shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].prompt.contains(QStringLiteral("vacío")));
        QCOMPARE(shown[0].title, MessageBox::applicationTitle());
        verificarEditando(w);
        QCOMPARE(nombreConFoco(), QStringLiteral("txtCuenta"));
        QCOMPARE(cuentasGuardadas(), cuentasDePrueba().size());

        // One field is enough.
        w->txtObserv->setFocus();
        QTest::keyClicks(w->txtObserv, QStringLiteral("x"));
        pulsar(w->cmdSalvar);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        verificarNavegando(w);
        QCOMPARE(cuentasGuardadas(), cuentasDePrueba().size() + 1);
        QCOMPARE(m_support->consultar(
                     QStringLiteral("SELECT OBSERVACIONES FROM vemtaro ORDER BY id DESC LIMIT 1")),
                 QStringLiteral("x"));
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de 1"));
    }

    void deleteAsksThenMakesTheNextRecordCurrent_data()
    {
        QTest::addColumn<int>("fila");
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<QString>("quedaActual");
        QTest::newRow("first") << 0 << int(platform::vbOK) << "120";
        QTest::newRow("middle") << 2 << int(platform::vbOK) << "45";
        QTest::newRow("next to last") << 3 << int(platform::vbOK) << "500";
        QTest::newRow("last") << 4 << int(platform::vbOK) << "45";
        QTest::newRow("cancelled") << 2 << int(platform::vbCancel) << "3124";
    }

    void deleteAsksThenMakesTheNextRecordCurrent()
    {
        QFETCH(int, fila);
        QFETCH(int, respuesta);
        QFETCH(QString, quedaActual);
        FrmConsulVemtaro* w = abrir();
        clicEnFila(w, fila);
        const QString codigo = w->txtCuenta->text();
        MessageBox::setNextAnswer(respuesta);
        pulsar(w->cmdEliminar);

        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].prompt, preguntaEliminar);
        QCOMPARE(shown[0].style, 33);
        QCOMPARE(shown[0].title, QStringLiteral("Alerta!!!"));
        const bool borrada = respuesta == platform::vbOK;
        const int quedan = cuentasDePrueba().size() - (borrada ? 1 : 0);
        QCOMPARE(cuentasGuardadas(), quedan);
        QCOMPARE(guardado(QStringLiteral("count(*)"), codigo), QString::number(borrada ? 0 : 1));
        QCOMPARE(w->txtCuenta->text(), quedaActual);
        QCOMPARE(w->dbgResultados->model()->rowCount(), quedan);
        const int actual = w->dcdatos->recordset().absolutePosition();
        QCOMPARE(w->dbgResultados->model()->index(actual, 0).data().toString(), quedaActual);
        QCOMPARE(w->dbgResultados->currentIndex().row(), actual);
        QCOMPARE(w->dcdatos->caption(),
                 QStringLiteral("Registro:%1 de %2").arg(actual + 1).arg(quedan));
        verificarNavegando(w);
    }

    void deletingTheOnlyRecordReportsTheFailedMove()
    {
        m_support->usarCuentas({cuentasDePrueba()[2]});
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        MessageBox::takeShown();
        pulsar(w->cmdEliminar);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QStringLiteral("Alerta!!!"));
        QCOMPARE(shown[1].title, QStringLiteral("Se Produjo un Error"));
        QCOMPARE(shown[1].style, int(platform::vbOKOnly));
        QCOMPARE(shown[1].prompt, QStringLiteral("No hay ningún registro activo."));
        QCOMPARE(cuentasGuardadas(), 0);
        QVERIFY(editor(w).join(QString()).isEmpty());
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("No hay entradas de registros"));
        verificarNavegando(w);
        // Deleting again fails the same way.
        pulsar(w->cmdEliminar);
        QCOMPARE(MessageBox::takeShown().size(), 2);
    }

    void aRefreshOrMoveWaitsForTheRecordBeingTyped_data()
    {
        QTest::addColumn<bool>("nuevo");
        QTest::addColumn<QString>("accion");
        for (bool nuevo : {true, false}) {
            const char* modo = nuevo ? "new, " : "edit, ";
            for (const char* accion : {"OptDesc", "Optclase", "optCod", "grid", "bar"})
                QTest::addRow("%s%s", modo, accion) << nuevo << QString::fromLatin1(accion);
        }
    }

    void aRefreshOrMoveWaitsForTheRecordBeingTyped()
    {
        QFETCH(bool, nuevo);
        QFETCH(QString, accion);
        FrmConsulVemtaro* w = abrir();
        if (accion == QLatin1String("OptDesc"))
            elegir(w->optCod);
        clicEnFila(w, 1);
        pulsar(nuevo ? w->CmdNuevo : w->cmdEdicion);
        const int actual = w->dcdatos->recordset().absolutePosition();
        const QString caption = w->dcdatos->caption();
        escribir(w->txtCuenta, QStringLiteral("880"));
        escribir(w->txtDescr, QStringLiteral("perchero"));

        if (accion == QLatin1String("grid"))
            clicEnFila(w, 3);
        else if (accion == QLatin1String("bar"))
            w->dcdatos->findChild<QAbstractButton*>(QStringLiteral("cmdUltimo"))->click();
        else
            elegir(w->findChild<QRadioButton*>(accion));
        QCoreApplication::processEvents(); // the grid tells a refused move once the click is over
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].prompt.contains(QStringLiteral("Guárdelo o cancélelo")));
        QCOMPARE(w->txtCuenta->text(), QStringLiteral("880"));
        QCOMPARE(w->txtDescr->text(), QStringLiteral("PERCHERO"));
        // Clicking elsewhere has left the description, which disables the rubro box.
        verificarEditando(w, accion == QLatin1String("bar"));
        QCOMPARE(w->dbgResultados->model()->rowCount(), cuentasDePrueba().size());
        QCOMPARE(w->dcdatos->recordset().absolutePosition(), actual);
        QCOMPARE(w->dcdatos->caption(), caption);
        QCOMPARE(cuentasGuardadas(), cuentasDePrueba().size());
        QCOMPARE(guardado(QStringLiteral("DESCRIPCION"), QStringLiteral("120")),
                 QStringLiteral("mesa de luz"));
        // Nor does the grid take a cell edit meanwhile.
        w->Text2->setFocus();
        w->dbgResultados->setFocus();
        QTest::keyClicks(w->dbgResultados, QStringLiteral("zz"));
        QCOMPARE(QApplication::focusWidget(), w->dbgResultados); // no cell editor opened

        pulsar(w->cmdSalvar);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(guardado(QStringLiteral("DESCRIPCION"), QStringLiteral("880")),
                 QStringLiteral("PERCHERO"));
        QCOMPARE(cuentasGuardadas(), cuentasDePrueba().size() + (nuevo ? 1 : 0));
        // Browsing again, the same action works.
        if (accion == QLatin1String("grid")) {
            clicEnFila(w, 3);
            QCOMPARE(w->dcdatos->recordset().absolutePosition(), 3);
        } else if (accion != QLatin1String("bar")) {
            elegir(w->OptDesc == w->findChild<QRadioButton*>(accion) ? w->optCod : w->OptDesc);
            QCOMPARE(MessageBox::takeShown().size(), 0);
        }
    }

    void noBoxCutsALongText()
    {
        FrmConsulVemtaro* w = abrir();
        pulsar(w->cmdEdicion);
        QString largo(40000, QLatin1Char('a'));
        for (QChar& c : largo)
            c = QChar(u'a' + QRandomGenerator::global()->bounded(26));
        w->txtDescr->setText(largo);
        w->txtDescr->setFocus();
        w->txtDescr->end(false);
        QTest::keyClick(w->txtDescr, 'z');
        // Typing on across the 32 767 characters a line editor would keep.
        w->txtSubcuenta->setText(QString(32765, QLatin1Char('7')));
        w->txtSubcuenta->setFocus();
        w->txtSubcuenta->end(false);
        QTest::keyClicks(w->txtSubcuenta, QStringLiteral("1234"));
        pulsar(w->cmdSalvar);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(guardado(QStringLiteral("DESCRIPCION"), QStringLiteral("112")),
                 largo.toUpper() + QLatin1Char('Z'));
        QCOMPARE(
            guardado(QStringLiteral("length(CLASE) || substr(CLASE, -5)"), QStringLiteral("112")),
            QStringLiteral("3276971234"));
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestMantenimiento)
#include "tst_mantenimiento.moc"
