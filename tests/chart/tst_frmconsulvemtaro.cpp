// Drives the chart window as a clerk would: keys and clicks on its real widgets.
#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "platform/MessageBox.h"
#include "references/FrmReferencias.h"

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

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
        QCOMPARE(ChartTestSupport::focusedName(), QStringLiteral("CmdEjecutar"));
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
        QCOMPARE(ChartTestSupport::focusedName(), QStringLiteral("Text1"));

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
        QCOMPARE(ChartTestSupport::focusedName(), QStringLiteral("txtSubcuenta"));
        QCOMPARE(w->txtCuenta->text(), cuenta);

        // The multi-line remarks box takes no line break from Enter either.
        const QString observaciones = w->txtObserv->text();
        w->txtObserv->setFocus();
        QTest::keyClick(w->txtObserv, Qt::Key_Return);
        QCOMPARE(w->txtObserv->text(), observaciones);
        QCOMPARE(ChartTestSupport::focusedName(), QStringLiteral("cmdSalvar"));
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
            "CmdImprimir", "cmdReferencias", "cmdzoom2",      "cmdzoom1",    "CmdEjecutar"};
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << ChartTestSupport::focusedName();
        }
        QCOMPARE(visited, expected);
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
        QVERIFY(!extendida->isVisible());
        QCOMPARE(nuevo->Text1->text(), QString());
        QVERIFY(nuevo->OptDesc->isChecked());
        QCOMPARE(nuevo->cbobusc->text(), QStringLiteral("descripcion"));
        QCOMPARE(nuevo->dbgResultados->fontSize(), 8.25);
        QVERIFY(nuevo->cmdzoom1->isVisible() && nuevo->cmdzoom2->isVisible());
        QVERIFY(nuevo->dcdatos->caption().startsWith(QStringLiteral("Registro:1 de ")));
        QVERIFY(!nuevo->txtCuenta->isEnabled());
    }

    void leavingTakesTheHiddenExtendedWindowAlong_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Salir") << false;
        QTest::newRow("title-bar close box") << true;
    }

    void leavingTakesTheHiddenExtendedWindowAlong()
    {
        QFETCH(bool, closeBox);
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        QTest::mouseClick(w->cmdBuscAv, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QPointer<QWidget> extendida = frmConsulExtCargada();
        QTest::mouseClick(extendida->findChild<QPushButton*>(QStringLiteral("cmdSalir")),
                          Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QVERIFY(!extendida.isNull());

        QPointer<QWidget> cuadro =
            ChartTestSupport::ventanaVisible(QStringLiteral("FrmConsulVemtaro"));
        if (closeBox)
            cuadro->close();
        else
            QTest::mouseClick(cuadro->findChild<QPushButton*>(QStringLiteral("cmdSalir")),
                              Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QVERIFY(cuadro.isNull());
        QVERIFY(extendida.isNull());
        // With no window left the program ends.
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
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
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        // The first accounts are land, which is not depreciated.
        QCOMPARE(w->Text2->text(), QStringLiteral("0"));
        QTest::mouseClick(w->cmdAmort, Qt::LeftButton);
        const auto shown = platform::MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].prompt, QStringLiteral("Este Bien, no se amortiza"));
        QVERIFY(!ChartTestSupport::ventanaVisible(QStringLiteral("frmAmortizacion")));

        const int depreciated = m_support
                                    ->consultar(QStringLiteral(
                                        "SELECT count(*) FROM vemtaro WHERE id < (SELECT min(id) "
                                        "FROM vemtaro WHERE VIDA_UTIL > 0)"))
                                    .toInt();
        w->dcdatos->moveTo(depreciated);
        const QString cuenta = w->txtCuenta->text();
        QTest::mouseClick(w->cmdAmort, Qt::LeftButton);
        QWidget* calculadora = ChartTestSupport::ventanaVisible(QStringLiteral("frmAmortizacion"));
        QVERIFY(calculadora);
        QCOMPARE(calculadora->findChild<QLineEdit*>(QStringLiteral("txtCodigo"))->text(), cuenta);
        QCOMPARE(calculadora->findChild<QLineEdit*>(QStringLiteral("Text2"))->text(),
                 w->Text2->text());
        // The chart window stays usable beside it.
        QVERIFY(w->isVisible() && w->isEnabled());
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestFrmConsulVemtaro)
#include "tst_frmconsulvemtaro.moc"
