// The chart window's record editor driven as a clerk drives it: "Nuevo", "Edicion", "Salvar",
// "Cancelar" and "Eliminar" clicked, keys typed, boxes answered through the seam, and the
// database file read back after every write.
#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

using namespace vemtaro;
using namespace Qt::StringLiterals;
using platform::MessageBox;

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
const int cuentas = 5;

void pulsar(QAbstractButton* button)
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

int filaActual(FrmConsulVemtaro* w)
{
    return w->dcdatos->recordset().absolutePosition();
}

/// The message boxes shown since the last look, each as "title|buttons|prompt".
QStringList avisos()
{
    QStringList vistos;
    for (const auto& box : MessageBox::takeShown())
        vistos << u"%1|%2|%3"_s.arg(box.title).arg(box.style).arg(box.prompt);
    return vistos;
}

/// A box with the application's title and OK only, as avisos() lists it.
QString aviso(const QString& prompt)
{
    return MessageBox::applicationTitle() + u"|0|"_s + prompt;
}

const QString alerta = u"Alerta!!!|33|los efectos de esta acción son irreversibles\r\nDesea "
                       "Eliminar el presente registro"_s;
const QString sinRegistroActivo = u"Se Produjo un Error|0|No hay ningún registro activo."_s;

} // namespace

class TestMantenimiento : public QObject {
    Q_OBJECT

    /// A stored expression of the account whose code is `codigo`, read from the file.
    QString guardado(const QString& campo, const QString& codigo) const
    {
        return m_support->consultar(
            u"SELECT %1 FROM vemtaro WHERE CODIGO = '%2'"_s.arg(campo, codigo));
    }
    /// The same of the account stored last.
    QString ultima(const QString& campo) const
    {
        return m_support->consultar(u"SELECT %1 FROM vemtaro ORDER BY id DESC"_s.arg(campo));
    }
    int guardadas() const
    {
        return m_support->consultar(u"SELECT count(*) FROM vemtaro"_s).toInt();
    }
    FrmConsulVemtaro* abrir(const QList<QStringList>& filas = cuentasDePrueba())
    {
        m_support->usarCuentas(filas);
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        MessageBox::takeShown();
        return w;
    }

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void addingWalksTheBoxesWithEnterFilteringAndUpperCasingKeys()
    {
        FrmConsulVemtaro* w = abrir();
        pulsar(w->CmdNuevo);
        comprobarEditando(w);
        QCOMPARE(editor(w), QStringList(6));
        QCOMPARE(nombreConFoco(), u"txtCuenta"_s);

        // The rubro box (reached before leaving the description, which disables it)
        // upper-cases what it holds and the key just typed, the caret going to the end.
        w->txtrubro->setFocus();
        w->txtrubro->setText(u"muebles"_s);
        w->txtrubro->setCursorPosition(2);
        teclear(w->txtrubro, u" Y1 úñ"_s);
        QCOMPARE(w->txtrubro->text(), u"MUEBLES Y1 ÚÑ"_s);

        // The codes take digits and Backspace only: not the neighbours of '0' and '9', nor
        // letters, blanks, signs, accents or a digit of another script. Enter moves on.
        w->txtCuenta->setFocus();
        for (auto* box : {w->txtCuenta, w->txtSubcuenta}) {
            QCOMPARE(QApplication::focusWidget(), box);
            QTest::keyClicks(box, u"12a3"_s);
            QTest::keyClick(box, Qt::Key_Backspace);
            teclear(box, u"/0:9 -.,+Ñé٣"_s);
            QCOMPARE(box->text(), u"1209"_s);
            QTest::keyClick(box, Qt::Key_Return);
        }
        QCOMPARE(nombreConFoco(), u"txtDescr"_s);
        const QString typed = u"silla ñandú"_s;
        for (int i = 0; i < typed.size(); ++i) {
            teclear(w->txtDescr, typed.mid(i, 1));
            QCOMPARE(w->txtDescr->text(), typed.left(i + 1).toUpper());
            QCOMPARE(w->txtDescr->cursorPosition(), i + 1);
        }
        // A key typed inside the text goes in there, and the caret still ends at the end.
        w->txtDescr->setCursorPosition(0);
        QTest::keyClick(w->txtDescr, 'x');
        QCOMPARE(w->txtDescr->cursorPosition(), 12);

        // Leaving the description opens the rubro list, in place of the rubro box.
        QVERIFY(!w->Datarubro2->isVisible());
        QTest::keyClick(w->txtDescr, Qt::Key_Return);
        QVERIFY(w->Datarubro2->isVisible());
        QCOMPARE(nombreConFoco(), u"Datarubro2"_s);
        comprobarEditando(w, false);
        QTest::keyClick(w->Datarubro2, Qt::Key_Down);
        QTest::keyClick(w->Datarubro2, Qt::Key_Down);
        const QString rubro = w->Datarubro2->itemText(1);
        QCOMPARE(w->txtrubro->text(), rubro);
        // Moving into the useful life hides it again.
        QTest::keyClick(w->Datarubro2, Qt::Key_Return);
        QCOMPARE(nombreConFoco(), u"Text2"_s);
        QVERIFY(!w->Datarubro2->isVisible());
        QTest::keyClicks(w->Text2, u"12"_s);
        QTest::keyClick(w->Text2, Qt::Key_Return);
        // The multi-line remarks take no line break from Enter either.
        QTest::keyClicks(w->txtObserv, u"nota"_s);
        QTest::keyClick(w->txtObserv, Qt::Key_Return);
        QCOMPARE(nombreConFoco(), u"cmdSalvar"_s);
        QTest::keyClick(w->cmdSalvar, Qt::Key_Return);

        QCOMPARE(avisos(), QStringList());
        QCOMPARE(guardadas(), cuentas + 1);
        QCOMPARE(ultima(u"CODIGO || '|' || CLASE || '|' || DESCRIPCION || '|' || RUBRO || '|' || "
                        "VIDA_UTIL || '|' || OBSERVACIONES"_s),
                 u"1209|1209|XSILLA ÑANDÚ|%1|12|nota"_s.arg(rubro));
        // The new account is the last of the result, and current.
        QCOMPARE(w->dcdatos->caption(), u"Registro:6 de 6"_s);
        QCOMPARE(editor(w), (QStringList{"1209", "1209", "XSILLA ÑANDÚ", rubro, "12", "nota"}));
        QCOMPARE(nombreConFoco(), u"CmdNuevo"_s);
        comprobarNavegando(w);
    }

    void aPendingRecordSurvivesRefusedMovesAndFailingSaves_data()
    {
        QTest::addColumn<bool>("nuevo");
        QTest::addColumn<QString>("accion"); ///< the move tried: an option, the grid or the bar
        QTest::addColumn<bool>("cancela");   ///< ends with Cancelar rather than a mended save
        for (bool nuevo : {true, false})
            for (const char* accion : {"OptDesc", "Optclase", "optCod", "grid", "bar"}) {
                const bool cancela = accion == "Optclase"_L1 || accion == "bar"_L1;
                QTest::addRow("%s, %s, %s", nuevo ? "new" : "edit", accion,
                              cancela ? "cancelled" : "saved")
                    << nuevo << QString::fromLatin1(accion) << cancela;
            }
    }

    void aPendingRecordSurvivesRefusedMovesAndFailingSaves()
    {
        QFETCH(bool, nuevo);
        QFETCH(QString, accion);
        QFETCH(bool, cancela);
        FrmConsulVemtaro* w = abrir();
        if (accion == "OptDesc"_L1)
            elegir(w->optCod);
        const auto mover = [&](QRadioButton* opcion) {
            if (accion == "grid"_L1)
                clicEnFila(w, 3);
            else if (accion == "bar"_L1)
                w->dcdatos->findChild<QAbstractButton*>(u"cmdPrimero"_s)->click();
            else
                elegir(opcion);
            QCoreApplication::processEvents(); // the grid tells a refused move after the click
        };
        // A stored lower-case description is shown in upper case, from its start.
        clicEnFila(w, 1);
        QCOMPARE(w->txtDescr->text(), u"MESA DE LUZ"_s);
        QCOMPARE(w->txtDescr->cursorPosition(), 0);
        pulsar(nuevo ? w->CmdNuevo : w->cmdEdicion);
        const int actual = nuevo ? cuentas - 1 : 1;
        const QString caption = u"Registro:%1 de 5"_s.arg(actual + 1);
        QCOMPARE(w->dcdatos->caption(), caption);
        // The description is left as it is.
        escribir(w->txtCuenta, u"880"_s);
        escribir(w->Text2, u"diez"_s);
        w->txtObserv->setPlainText(u"otra"_s);
        const QStringList escrita = editor(w);

        // The record source refuses the move and tells why.
        mover(w->findChild<QRadioButton*>(accion));
        QCOMPARE(avisos().size(), 1);
        QCOMPARE(w->dcdatos->caption(), caption);

        // A failed update is shown, tried once more and shown again; the window stays editing.
        for (int vez = 0; vez < 2; ++vez) {
            pulsar(w->cmdSalvar);
            const QStringList errores = avisos();
            QCOMPARE(errores, QStringList(2, errores.value(0)));
            QVERIFY2(errores[0].startsWith(aviso(u"Error: "_s)) && errores[0].contains(u"«diez»"_s),
                     qPrintable(errores[0]));
            comprobarEditando(w);
            QCOMPARE(editor(w), escrita);
        }

        if (cancela) {
            // Cancelling shows the stored record again, and changes nothing while browsing.
            QStringList mostrada = cuentasDePrueba()[actual];
            mostrada[2] = mostrada[2].toUpper();
            for (int vez = 0; vez < 2; ++vez) {
                pulsar(w->cmdCancelar);
                comprobarNavegando(w);
                QCOMPARE(w->dcdatos->caption(), caption);
                QCOMPARE(editor(w), mostrada);
            }
        } else {
            escribir(w->Text2, u"10"_s);
            pulsar(w->cmdSalvar);
            comprobarNavegando(w);
            // The saved account is current; a new one is the last.
            QCOMPARE(filaActual(w), nuevo ? cuentas : actual);
        }
        QCOMPARE(avisos(), QStringList());
        // An untouched description is saved as it was stored, not as shown.
        QCOMPARE(
            guardado(u"ifnull(DESCRIPCION, '') || '|' || VIDA_UTIL || OBSERVACIONES"_s, u"880"_s),
            cancela ? QString()
            : nuevo ? u"|10otra"_s
                    : u"mesa de luz|10otra"_s);
        QCOMPARE(guardadas(), cuentas + (nuevo && !cancela ? 1 : 0));
        QCOMPARE(guardado(u"count(*)"_s, u"120"_s), QString::number(nuevo || cancela ? 1 : 0));
        // Browsing again, the same kind of move is taken.
        mover(w->OptDesc->isChecked() ? w->optCod : w->OptDesc);
        QCOMPARE(avisos(), QStringList());
        QCOMPARE(filaActual(w), accion == "grid"_L1 ? 3 : 0);
        // Browsing writes nothing: a description keeps its case, a null stays null.
        QCOMPARE(guardado(u"DESCRIPCION"_s, nuevo || cancela ? u"120"_s : u"880"_s),
                 u"mesa de luz"_s);
        QCOMPARE(guardado(u"OBSERVACIONES IS NULL"_s, u"112"_s), u"1"_s);
    }

    void deleteAsksThenMakesTheNextRecordCurrent_data()
    {
        QTest::addColumn<int>("fila");
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<QString>("queda"); ///< the code then current
        QTest::newRow("first") << 0 << int(platform::vbOK) << "120";
        QTest::newRow("middle") << 2 << int(platform::vbOK) << "45";
        QTest::newRow("next to last") << 3 << int(platform::vbOK) << "500";
        QTest::newRow("last") << 4 << int(platform::vbOK) << "45";
        QTest::newRow("cancelled") << 2 << int(platform::vbCancel) << "3124";
        QTest::newRow("the only one") << -1 << int(platform::vbOK) << "";
    }

    void deleteAsksThenMakesTheNextRecordCurrent()
    {
        QFETCH(int, fila);
        QFETCH(int, respuesta);
        QFETCH(QString, queda);
        FrmConsulVemtaro* w = fila < 0 ? abrir({cuentasDePrueba()[2]}) : abrir();
        clicEnFila(w, std::max(fila, 0));
        const QString codigo = w->txtCuenta->text();
        const int antes = guardadas();
        MessageBox::setNextAnswer(respuesta);
        pulsar(w->cmdEliminar);

        // With none left, the move after the deletion fails, and says so.
        QCOMPARE(avisos(),
                 (fila < 0 ? QStringList{alerta, sinRegistroActivo} : QStringList{alerta}));
        const bool borrada = respuesta == platform::vbOK;
        const QStringList codigos = columnaDeLaGrilla(w->dbgResultados, 0);
        QCOMPARE(guardadas(), antes - (borrada ? 1 : 0));
        QCOMPARE(codigos.size(), guardadas());
        QCOMPARE(guardado(u"count(*)"_s, codigo), QString::number(borrada ? 0 : 1));
        QCOMPARE(w->txtCuenta->text(), queda);
        QCOMPARE(codigos.value(filaActual(w)), queda);
        comprobarNavegando(w);
    }

    void anEmptyResultRefusesDeletingAndEditingAndBlankRecords()
    {
        FrmConsulVemtaro* w = abrir({});
        pulsar(w->cmdEliminar);
        QCOMPARE(avisos(), (QStringList{alerta, sinRegistroActivo}));
        pulsar(w->cmdEdicion);
        const QStringList sinRegistro = avisos();
        QCOMPARE(sinRegistro.size(), 1);
        QVERIFY(sinRegistro[0].startsWith(aviso(u"Error: No hay ningún registro"_s)));
        comprobarNavegando(w);
        QCOMPARE(editor(w), QStringList(6));

        pulsar(w->CmdNuevo);
        QCOMPARE(avisos(), QStringList());
        // Blanks are nothing: the record is not stored, and the window stays adding.
        escribir(w->Text2, u"  "_s);
        pulsar(w->cmdSalvar);
        QCOMPARE(avisos(), QStringList{aviso(u"El registro nuevo está vacío: escriba sus datos "
                                             "antes de salvarlo, o cancélelo."_s)});
        comprobarEditando(w);
        QCOMPARE(nombreConFoco(), u"txtCuenta"_s);
        QCOMPARE(guardadas(), 0);
        // One field is enough.
        w->txtObserv->setFocus();
        QTest::keyClicks(w->txtObserv, u"x"_s);
        pulsar(w->cmdSalvar);
        QCOMPARE(avisos(), QStringList());
        comprobarNavegando(w);
        QCOMPARE(ultima(u"OBSERVACIONES || count(*)"_s), u"x1"_s);
    }

    // The close box is the one way out while adding or editing: it asks, Cancel keeps the
    // window and what was typed, OK leaves without storing it. Browsing, it asks nothing.
    void closingWhileAddingOrEditingAsksFirst_data()
    {
        QTest::addColumn<QString>("boton");
        QTest::newRow("browsing") << QString();
        QTest::newRow("Nuevo") << u"CmdNuevo"_s;
        QTest::newRow("Edicion") << u"cmdEdicion"_s;
    }

    void closingWhileAddingOrEditingAsksFirst()
    {
        QFETCH(QString, boton);
        FrmConsulVemtaro* w = abrir();
        const QString actual = w->txtCuenta->text();
        if (!boton.isEmpty()) {
            pulsar(w->findChild<QAbstractButton*>(boton));
            escribir(w->txtCuenta, u"777"_s);
            const QString pregunta =
                MessageBox::applicationTitle() +
                u"|33|Hay un registro nuevo o en edición sin guardar: si sale ahora, se "
                "perderá.\r\n¿Desea salir sin guardarlo?"_s;
            MessageBox::setNextAnswer(platform::vbCancel);
            QVERIFY(!w->close());
            QCOMPARE(avisos(), QStringList{pregunta});
            QVERIFY(w->isVisible());
            comprobarEditando(w);
            QCOMPARE(w->txtCuenta->text(), u"777"_s);
            QVERIFY(w->close());
            QCOMPARE(avisos(), QStringList{pregunta});
        } else {
            QVERIFY(w->close());
            QCOMPARE(avisos(), QStringList());
        }
        ChartTestSupport::procesarCierres();
        QCOMPARE(guardadas(), cuentas);
        QCOMPARE(guardado(u"count(*)"_s, u"777"_s), u"0"_s);
        QCOMPARE(guardado(u"count(*)"_s, actual), u"1"_s);
    }

    void noBoxCutsALongText()
    {
        FrmConsulVemtaro* w = abrir();
        pulsar(w->cmdEdicion);
        QString largo(40000, u'a');
        for (QChar& c : largo)
            c = QChar(u'a' + QRandomGenerator::global()->bounded(26));
        w->txtDescr->setText(largo);
        w->txtDescr->setFocus();
        w->txtDescr->end(false);
        QTest::keyClick(w->txtDescr, 'z');
        // Typing on across the 32 767 characters a line editor would keep.
        w->txtSubcuenta->setText(QString(32765, u'7'));
        w->txtSubcuenta->setFocus();
        w->txtSubcuenta->end(false);
        QTest::keyClicks(w->txtSubcuenta, u"1234"_s);
        pulsar(w->cmdSalvar);
        QCOMPARE(avisos(), QStringList());
        QCOMPARE(guardado(u"DESCRIPCION"_s, u"112"_s), largo.toUpper() + u'Z');
        QCOMPARE(guardado(u"length(CLASE) || substr(CLASE, -5)"_s, u"112"_s), u"3276971234"_s);
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestMantenimiento)
#include "tst_mantenimiento.moc"
