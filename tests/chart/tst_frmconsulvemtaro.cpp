// Drives the chart window as a clerk would: keys and clicks on its real widgets.
#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "depreciation/frmAmortizacion.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"
#include "references/FrmReferencias.h"

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <cmath>

using namespace vemtaro;
using platform::CommandButton;
using platform::TextControl;

namespace {

QStringList untouchedControls()
{
    return {"OptDesc",    "Optclase",      "optCod",    "optRubr",    "optVidaU",
            "DataCodigo", "DataRubro",     "DataVidaU", "Datarubro2", "cbobusc",
            "cbobusc2",   "dbgResultados", "dcdatos"};
}

QWidget* control(QWidget* window, const QString& name)
{
    auto* found = window->findChild<QWidget*>(name);
    if (!found)
        qWarning("no control named %s", qPrintable(name));
    return found;
}

/// Moves to the first account with a useful life and presses "Consultar Amortizacion";
/// returns the calculator then open, or null.
frmAmortizacion* abrirCalculadora(FrmConsulVemtaro* w)
{
    for (int row = 0; row < w->dcdatos->recordset().recordCount(); ++row) {
        w->dcdatos->moveTo(row);
        if (w->Text2->text() != QLatin1String("0")) {
            QTest::mouseClick(w->cmdAmort, Qt::LeftButton);
            return qobject_cast<frmAmortizacion*>(
                ChartTestSupport::ventanaVisible(QStringLiteral("frmAmortizacion")));
        }
    }
    return nullptr;
}

/// The contrast ratio of two colours, from 1 (the same) to 21 (black on white), by the relative
/// luminance of sRGB.
double contraste(QColor a, QColor b)
{
    const auto luminancia = [](QColor c) {
        const auto lineal = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lineal(c.redF()) + 0.7152 * lineal(c.greenF()) + 0.0722 * lineal(c.blueF());
    };
    const auto [claro, oscuro] = std::minmax(luminancia(a), luminancia(b));
    return (oscuro + 0.05) / (claro + 0.05);
}

/// Whether the box shows the whole of its text. A line edit scrolls its text when it paints,
/// to show the caret: with the caret at the end, the caret stands a whole text's width from
/// where it stood at the start only if nothing scrolled out.
bool muestraEntero(QLineEdit* box)
{
    const auto caret = [box](int position) {
        box->setCursorPosition(position);
        box->grab();
        return box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    };
    const int start = caret(0);
    return caret(box->text().size()) - start >= box->fontMetrics().horizontalAdvance(box->text());
}

/// Whether the label's text, laid out as the label lays it out, stays within its contents.
bool cabe(const QLabel* label)
{
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect room = label->contentsRect();
    return room.contains(label->fontMetrics().boundingRect(room, flags, label->text()));
}

} // namespace

class TestFrmConsulVemtaro : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void startsInItsStartUpState()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        QVERIFY(w);
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("Vemtaro de Cuentas     ")));
        // The platform's own dialogs speak Spanish as well.
        QCOMPARE(QCoreApplication::translate("QFileSystemModel", "Name"), QStringLiteral("Nombre"));

        const int cuentas =
            m_support->consultar(QStringLiteral("SELECT count(*) FROM vemtaro")).toInt();
        QVERIFY(cuentas > 100);
        QCOMPARE(w->dbgResultados->model()->rowCount(), cuentas);
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de %1").arg(cuentas));
        // The grid shows the table in its own order: the first row is the first stored.
        QCOMPARE(w->txtCuenta->text(), m_support->consultar(QStringLiteral(
                                           "SELECT CODIGO FROM vemtaro ORDER BY id LIMIT 1")));

        QVERIFY(w->OptDesc->isChecked());
        QCOMPARE(w->cbobusc->text(), QStringLiteral("descripcion"));
        QCOMPARE(w->cbobusc2->text(), QString());
        for (auto* box : {w->Text1, w->Text3, w->Text4}) {
            QVERIFY(box->text().isEmpty());
            QVERIFY(box->isEnabled());
        }
        for (QWidget* box :
             std::initializer_list<QWidget*>{w->txtCuenta, w->txtSubcuenta, w->txtDescr,
                                             w->txtrubro, w->Text2, w->txtObserv, w->TxtSQL})
            QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
        QVERIFY(!w->TxtSQL->isVisible());
        QCOMPARE(w->TxtSQL->text(), QStringLiteral("Text1\n"));
        for (const QString& name : ChartTestSupport::allCommandButtons())
            QCOMPARE(control(w, name)->isEnabled(), name != QLatin1String("cmdSalvar"));
        for (QWidget* combo : std::initializer_list<QWidget*>{w->DataCodigo, w->DataRubro,
                                                              w->DataVidaU, w->Datarubro2})
            QVERIFY(!combo->isVisible());
        QVERIFY(w->cmdzoom1->isVisible());
        QVERIFY(w->cmdzoom2->isVisible());
        QCOMPARE(w->dbgResultados->fontSize(), 8.25);
        QCOMPARE(nombreConFoco(), QStringLiteral("CmdEjecutar"));
        QVERIFY(w->defaultButton() == w->CmdEjecutar);
    }

    void enterPressesTheSearchButtonWhileItIsEnabled()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        QSignalSpy ejecutar(w->CmdEjecutar, &QPushButton::clicked);
        w->Text1->setFocus();
        QTest::keyClicks(w->Text1, QStringLiteral("mesa"));
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(ejecutar.count(), 1);
        QCOMPARE(w->Text1->text(), QStringLiteral("mesa"));
        QCOMPARE(nombreConFoco(), QStringLiteral("Text1"));

        // Enter on another focused button presses that one instead.
        QSignalSpy restablecer(w->cmdRestablecer, &QPushButton::clicked);
        w->cmdRestablecer->setFocus();
        QTest::keyClick(w->cmdRestablecer, Qt::Key_Return);
        QCOMPARE(restablecer.count(), 1);
        QCOMPARE(ejecutar.count(), 1);
    }

    void enterMovesOnWhileEditing()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        QTest::mouseClick(w->cmdEdicion, Qt::LeftButton);
        QSignalSpy ejecutar(w->CmdEjecutar, &QPushButton::clicked);
        const QString cuenta = w->txtCuenta->text();

        w->txtCuenta->setFocus();
        QTest::keyClick(w->txtCuenta, Qt::Key_Return);
        QCOMPARE(nombreConFoco(), QStringLiteral("txtSubcuenta"));
        QCOMPARE(w->txtCuenta->text(), cuenta);

        // The multi-line remarks box takes no line break from Enter either.
        const QString observaciones = w->txtObserv->text();
        w->txtObserv->setFocus();
        QTest::keyClick(w->txtObserv, Qt::Key_Return);
        QCOMPARE(w->txtObserv->text(), observaciones);
        QCOMPARE(nombreConFoco(), QStringLiteral("cmdSalvar"));
        QCOMPARE(ejecutar.count(), 0);

        // Other keys pass unchanged.
        w->Text2->setFocus();
        w->Text2->selectAll();
        QTest::keyClicks(w->Text2, QStringLiteral("7"));
        QCOMPARE(w->Text2->text(), QStringLiteral("7"));
    }

    void tabOrderFollowsTheTabIndexSkippingWhatCannotTakeFocus()
    {
        QVERIFY(m_support->abrirCuadro());
        const QStringList expected = {
            "Text1",       "CmdNuevo",       "cmdEdicion",    "cmdEliminar", "cmdCancelar",
            "cmdSalir",    "cmdRestablecer", "dbgResultados", "OptDesc",     "cmdBuscAv",
            "cbobusc",     "cbobusc2",       "Text3",         "Text4",       "cmdAmort",
            "CmdImprimir", "cmdReferencias", "cmdzoom2",      "cmdzoom1",    "cmdHistorial",
            "CmdEjecutar"};
        QCOMPARE(recorridoConTab(expected.size()), expected);
    }

    void bulkRoutinesTouchOneKindOnly()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        w->deshabilitarBotonesComando();
        for (const QString& name : ChartTestSupport::allCommandButtons())
            QVERIFY2(!control(w, name)->isEnabled(), qPrintable(name));
        for (const QString& name : {QStringLiteral("Text1"), QStringLiteral("Text3")})
            QVERIFY(control(w, name)->isEnabled());

        w->habilitarCajasTexto();
        for (const QString& name : ChartTestSupport::allTextBoxes())
            QVERIFY2(control(w, name)->isEnabled(), qPrintable(name));
        QVERIFY(!w->TxtSQL->isVisible());

        w->habilitarBotonesComando();
        for (const QString& name : ChartTestSupport::allCommandButtons())
            QVERIFY2(control(w, name)->isEnabled(), qPrintable(name));

        w->deshabilitarCajasTexto();
        for (const QString& name : ChartTestSupport::allTextBoxes())
            QVERIFY2(!control(w, name)->isEnabled(), qPrintable(name));

        // Lists, option buttons, the grid and the record source are never touched, nor are the
        // record source's own navigation buttons.
        w->deshabilitarBotonesComando();
        for (const QString& name : untouchedControls())
            QVERIFY2(control(w, name)->isEnabled(), qPrintable(name));
        for (auto* button : w->dcdatos->findChildren<QAbstractButton*>())
            QVERIFY(button->isEnabled());
    }

    void lookupClickCopiesTheChosenTextOnly()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        w->DataCodigo->show();
        QVERIFY(w->DataCodigo->count() > 10);
        w->Text3->setText(QStringLiteral("roble"));
        w->Text1->setText(QStringLiteral("algo"));
        const QString caption = w->dcdatos->caption();

        // Opening the list of a combo with nothing chosen copies its empty text.
        QTest::mouseClick(w->DataCodigo, Qt::LeftButton);
        QCOMPARE(w->Text1->text(), QString());
        w->DataCodigo->hidePopup();

        // Choosing an entry copies exactly that entry.
        w->DataCodigo->setFocus();
        QTest::keyClick(w->DataCodigo, Qt::Key_Down);
        QTest::keyClick(w->DataCodigo, Qt::Key_Down);
        QCOMPARE(w->Text1->text(), w->DataCodigo->itemText(1));
        QCOMPARE(w->Text3->text(), QStringLiteral("roble"));
        QCOMPARE(w->Text4->text(), QString());
        QCOMPARE(w->dcdatos->caption(), caption);

        // The editor's list feeds the rubro box, and leaving for the useful life hides it.
        QTest::mouseClick(w->cmdEdicion, Qt::LeftButton);
        w->Datarubro2->show();
        w->Datarubro2->setFocus();
        QTest::keyClick(w->Datarubro2, Qt::Key_Down);
        QCOMPARE(w->txtrubro->text(), w->Datarubro2->itemText(0));
        w->Text2->setFocus();
        QVERIFY(!w->Datarubro2->isVisible());
    }

    void zoomAlternatesBetweenNineAndThirteen()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        const QFont header = w->dbgResultados->horizontalHeader()->font();
        QList<qreal> sizes;
        for (int press = 0; press < 5; ++press) {
            CommandButton* visible = w->cmdzoom2->isVisible() ? w->cmdzoom2 : w->cmdzoom1;
            QVERIFY(w->cmdzoom1->isVisible() != w->cmdzoom2->isVisible() || press == 0);
            QTest::mouseClick(visible, Qt::LeftButton);
            sizes << w->dbgResultados->fontSize();
        }
        QCOMPARE(sizes, (QList<qreal>{9, 13, 9, 13, 9}));
        QCOMPARE(w->dbgResultados->horizontalHeader()->font().pointSizeF(), header.pointSizeF());
    }

    void everythingReadsWhole()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        const QColor fondo = w->palette().color(QPalette::Window);
        for (QLabel* rotulo : {w->Label1, w->Label2, w->Label3, w->Label4, w->Label7, w->Label5})
            QVERIFY2(contraste(rotulo->palette().color(QPalette::WindowText), fondo) >= 4.5,
                     qPrintable(rotulo->objectName()));

        // The frame's border and caption stay clear of its option buttons.
        QImage marco(w->Frame1->size(), QImage::Format_RGB32);
        w->Frame1->render(&marco, {}, {}, QWidget::DrawWindowBackground);
        for (QWidget* opcion : w->Frame1->findChildren<platform::OptionButton*>()) {
            int cruzados = 0;
            for (int y = opcion->y(); y <= opcion->geometry().bottom(); ++y)
                for (int x = opcion->x(); x <= opcion->geometry().right(); ++x)
                    cruzados += marco.pixelColor(x, y) != fondo;
            QVERIFY2(cruzados == 0, qPrintable(opcion->objectName()));
        }

        for (int item = 0; item < w->cbobusc->count(); ++item) {
            w->cbobusc->setText(w->cbobusc->itemText(item));
            QVERIFY2(muestraEntero(w->cbobusc->lineEdit()), qPrintable(w->cbobusc->text()));
        }

        // The grid's rows follow the grid's own type, not the window's.
        const QFontMetrics celdas(w->dbgResultados->font());
        QVERIFY(w->dbgResultados->rowHeight(0) >= celdas.height());
        QVERIFY(w->dbgResultados->rowHeight(0) < QFontMetrics(w->font()).height() + 2);

        // The calculator shows its largest figures whole.
        frmAmortizacion* calculadora = abrirCalculadora(w);
        QVERIFY(calculadora);
        calculadora->txtPrecio->setText(QStringLiteral("922337203685477"));
        calculadora->txtAnoAlta->setText(QStringLiteral("2000"));
        calculadora->txtAnoEjerc->setText(QStringLiteral("2001"));
        QTest::mouseClick(calculadora->cmdCalcular, Qt::LeftButton);
        QCOMPARE(platform::MessageBox::takeShown().size(), 0);
        for (platform::TextBox* caja :
             {calculadora->txtVaResEst, calculadora->txtValorAmort, calculadora->txtAnoTransc,
              calculadora->txtCuotaAmort, calculadora->txtAlicuota, calculadora->txtAmAcCiEj,
              calculadora->txtValResCieAno, calculadora->txtresidual}) {
            QVERIFY(!caja->text().isEmpty());
            QVERIFY2(muestraEntero(caja), qPrintable(caja->text()));
        }

        // Every heading reads whole, in the bold of the current column's, full or empty.
        QHeaderView* cabecera = w->dbgResultados->horizontalHeader();
        QFont negrita = cabecera->font();
        negrita.setBold(true);
        const int margen = cabecera->style()->pixelMetric(QStyle::PM_HeaderMargin);
        const auto cortados = [&] {
            QStringList titulos;
            for (int columna = 0; columna < cabecera->count(); ++columna) {
                const QString titulo =
                    cabecera->model()->headerData(columna, Qt::Horizontal).toString();
                if (QFontMetrics(negrita).horizontalAdvance(titulo) + 2 * margen >
                    cabecera->sectionSize(columna))
                    titulos << titulo;
            }
            return titulos;
        };
        QCOMPARE(cortados(), QStringList());
        const int alto = cabecera->height();
        w->dcdatos->setRecordSource(
            QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE 'no hay'"));
        w->dcdatos->refresh();
        QCOMPARE(cortados(), QStringList());
        QCOMPARE(cabecera->height(), alto);
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("No hay entradas de registros"));
        QVERIFY(cabe(w->dcdatos->findChild<QLabel*>(QStringLiteral("caption"))));
        // Closed first, as the clerk closes it, so that the grid is hidden while the database
        // is still open.
        w->close();
    }

    void returningFromAnotherWindowGivesAFreshChartWindow()
    {
        QPointer<FrmConsulVemtaro> w = m_support->abrirCuadro();
        // Leave some state behind: words, a field, a zoom and a position.
        QTest::keyClicks(w->Text1, QStringLiteral("mesa"));
        w->optRubr->setChecked(true);
        w->cbobusc->setText(QStringLiteral("codigo"));
        QTest::mouseClick(w->cmdzoom2, Qt::LeftButton);
        w->dcdatos->moveTo(3);

        QTest::mouseClick(w->cmdBuscAv, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QVERIFY(w.isNull());
        QWidget* extendida = ChartTestSupport::ventanaVisible(QStringLiteral("FrmConsulExt"));
        QVERIFY(extendida);

        QTest::mouseClick(extendida->findChild<QPushButton*>(QStringLiteral("cmdSalir")),
                          Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        auto* nuevo = qobject_cast<FrmConsulVemtaro*>(
            ChartTestSupport::ventanaVisible(QStringLiteral("FrmConsulVemtaro")));
        QVERIFY(nuevo);
        QVERIFY(frmConsulExtCargada() && !frmConsulExtCargada()->isVisible());
        QCOMPARE(nuevo->Text1->text(), QString());
        QVERIFY(nuevo->OptDesc->isChecked());
        QCOMPARE(nuevo->cbobusc->text(), QStringLiteral("descripcion"));
        QCOMPARE(nuevo->dbgResultados->fontSize(), 8.25);
        QVERIFY(nuevo->cmdzoom1->isVisible() && nuevo->cmdzoom2->isVisible());
        QVERIFY(nuevo->dcdatos->caption().startsWith(QStringLiteral("Registro:1 de ")));
        QVERIFY(!nuevo->txtCuenta->isEnabled());
    }

    void referencesReplaceTheChartWindowAndComeBackFresh()
    {
        QPointer<FrmConsulVemtaro> w = m_support->abrirCuadro();
        QTest::keyClicks(w->Text1, QStringLiteral("silla"));
        for (int vez = 0; vez < 2; ++vez) {
            QTest::mouseClick(w->cmdReferencias, Qt::LeftButton);
            ChartTestSupport::procesarCierres();
            QVERIFY(w.isNull());
            auto* visor = qobject_cast<FrmReferencias*>(
                ChartTestSupport::ventanaVisible(QStringLiteral("FrmReferencias")));
            QVERIFY(visor);
            QVERIFY(visor->RichTextBox1->toPlainText().contains(QStringLiteral("amortización"),
                                                                Qt::CaseInsensitive));
            QCOMPARE(visor->RichTextBox1->textCursor().position(), 0);

            QTest::mouseClick(visor->cmdSalir, Qt::LeftButton);
            ChartTestSupport::procesarCierres();
            w = qobject_cast<FrmConsulVemtaro*>(
                ChartTestSupport::ventanaVisible(QStringLiteral("FrmConsulVemtaro")));
            QVERIFY(w);
            QVERIFY(!ChartTestSupport::ventanaVisible(QStringLiteral("FrmReferencias")));
            QCOMPARE(w->Text1->text(), QString());
            QVERIFY(w->dcdatos->caption().startsWith(QStringLiteral("Registro:1 de ")));
        }
    }

    void depreciationOpensOnlyForDepreciatedAccounts()
    {
        // With no region named, numbers are Spanish. (The next test prepares the application
        // afresh.)
        const QByteArray lcAll = qgetenv("LC_ALL");
        const bool lcAllSet = qEnvironmentVariableIsSet("LC_ALL");
        const auto restore =
            qScopeGuard([&] { lcAllSet ? qputenv("LC_ALL", lcAll) : qunsetenv("LC_ALL"); });
        qputenv("LC_ALL", "C");
        prepararAplicacion();

        FrmConsulVemtaro* w = m_support->abrirCuadro();
        // The first accounts are land, which is not depreciated.
        QCOMPARE(w->Text2->text(), QStringLiteral("0"));
        QTest::mouseClick(w->cmdAmort, Qt::LeftButton);
        const auto shown = platform::MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].prompt, QStringLiteral("Este Bien, no se amortiza"));
        QVERIFY(!ChartTestSupport::ventanaVisible(QStringLiteral("frmAmortizacion")));

        frmAmortizacion* calculadora = abrirCalculadora(w);
        QVERIFY(calculadora);
        QCOMPARE(calculadora->txtCodigo->text(), w->txtCuenta->text());
        QCOMPARE(calculadora->Text2->text(), w->Text2->text());
        // The chart window stays usable beside it.
        QVERIFY(w->isVisible() && w->isEnabled());

        QCOMPARE(calculadora->txtPrecio->text(), QStringLiteral("0,00"));
        calculadora->txtPrecio->setText(QStringLiteral("2.500"));
        calculadora->txtAnoAlta->setText(calculadora->txtAnoEjerc->text());
        QTest::mouseClick(calculadora->cmdCalcular, Qt::LeftButton);
        QCOMPARE(platform::MessageBox::takeShown().size(), 0);
        QCOMPARE(calculadora->txtValorAmort->text(), QStringLiteral("2.499,00"));
        QCOMPARE(calculadora->txtresidual->text(), QStringLiteral("2.500,00"));
    }

    void leavingEndsTheProgramWithItsLastWindow_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Salir") << false;
        QTest::newRow("title-bar close box") << true;
    }

    void leavingEndsTheProgramWithItsLastWindow()
    {
        QFETCH(bool, closeBox);
        // Leave the extended search window loaded and hidden, and the calculator open.
        QTest::mouseClick(m_support->abrirCuadro()->cmdBuscAv, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QTest::mouseClick(frmConsulExtCargada()->cmdSalir, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QPointer<QWidget> extendida = frmConsulExtCargada();
        QVERIFY(!extendida.isNull());
        QVERIFY(!extendida->isVisible());
        QPointer<FrmConsulVemtaro> cuadro = qobject_cast<FrmConsulVemtaro*>(
            ChartTestSupport::ventanaVisible(QStringLiteral("FrmConsulVemtaro")));
        QPointer<frmAmortizacion> calculadora = abrirCalculadora(cuadro);
        QVERIFY(calculadora);

        // The program's own event loop decides when it ends. What this test left pending dies
        // with `alcance`.
        QObject alcance;
        bool calculadoraSeguia = false;
        QTimer::singleShot(0, &alcance, [&] {
            closeBox ? void(cuadro->close()) : cuadro->cmdSalir->click();
            QTimer::singleShot(0, &alcance, [&] {
                calculadoraSeguia = calculadora && calculadora->isVisible();
                if (calculadora)
                    calculadora->close();
            });
        });
        QTimer guard;
        guard.callOnTimeout([] { QCoreApplication::exit(1); });
        guard.start(10000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(calculadoraSeguia);
        ChartTestSupport::procesarCierres();
        QVERIFY(cuadro.isNull());
        QVERIFY(extendida.isNull());
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestFrmConsulVemtaro)
#include "tst_frmconsulvemtaro.moc"
