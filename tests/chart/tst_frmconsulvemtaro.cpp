// Drives the chart window as a clerk would: keys and clicks on its real widgets.
#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "depreciation/frmAmortizacion.h"
#include "extsearch/FrmConsulExt.h"
#include "references/FrmReferencias.h"

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QTest>
#include <QTextBrowser>
#include <cmath>

using namespace vemtaro;
using namespace Qt::StringLiterals;

namespace {

FrmConsulVemtaro* cuadroVisible()
{
    return qobject_cast<FrmConsulVemtaro*>(ChartTestSupport::ventanaVisible(u"FrmConsulVemtaro"_s));
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

} // namespace

class TestFrmConsulVemtaro : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void startsAfreshEachTimeItOpens_data()
    {
        QTest::addColumn<QString>("boton"); ///< the button that leaves for another window
        QTest::addColumn<QString>("otra");  ///< that window
        QTest::newRow("program start") << QString() << QString();
        QTest::newRow("back from the extended search") << u"cmdBuscAv"_s << u"FrmConsulExt"_s;
        QTest::newRow("back from the references") << u"cmdReferencias"_s << u"FrmReferencias"_s;
    }

    void startsAfreshEachTimeItOpens()
    {
        QFETCH(QString, boton);
        QFETCH(QString, otra);
        QPointer<FrmConsulVemtaro> w = m_support->abrirCuadro();
        for (int vez = 0; !boton.isEmpty() && vez < 2; ++vez) {
            // Leave some state behind: words, a field, an ordering, a zoom, a position.
            QTest::keyClicks(w->Text1, u"mesa"_s);
            w->optRubr->setChecked(true);
            w->cbobusc->setText(u"codigo"_s);
            QTest::mouseClick(w->cmdzoom2, Qt::LeftButton);
            w->dcdatos->moveTo(3);
            QTest::mouseClick(w->findChild<QPushButton*>(boton), Qt::LeftButton);
            ChartTestSupport::procesarCierres();
            QVERIFY(w.isNull());
            QWidget* ventana = ChartTestSupport::ventanaVisible(otra);
            QVERIFY(ventana);
            if (auto* visor = qobject_cast<FrmReferencias*>(ventana)) // the data folder's
                QVERIFY(visor->RichTextBox1->toPlainText().contains(u"amortización"_s,
                                                                    Qt::CaseInsensitive));
            QTest::mouseClick(ventana->findChild<QPushButton*>(u"cmdSalir"_s), Qt::LeftButton);
            ChartTestSupport::procesarCierres();
            w = cuadroVisible();
            QVERIFY(w);
            QVERIFY(!ChartTestSupport::ventanaVisible(otra));
        }
        // The extended search window stays loaded, hidden, for the next time.
        QCOMPARE(bool(frmConsulExtCargada()), otra == "FrmConsulExt"_L1);

        QVERIFY(w->windowTitle().startsWith(u"Vemtaro de Cuentas     "_s));
        // The platform's own dialogs speak Spanish as well.
        QCOMPARE(QCoreApplication::translate("QFileSystemModel", "Name"), u"Nombre"_s);
        const int cuentas = m_support->consultar(u"SELECT count(*) FROM vemtaro"_s).toInt();
        QVERIFY(cuentas > 100);
        QCOMPARE(w->dbgResultados->model()->rowCount(), cuentas);
        // The grid shows the table in its own order: the first row is the first stored.
        QCOMPARE(w->txtCuenta->text(),
                 m_support->consultar(u"SELECT CODIGO FROM vemtaro ORDER BY id LIMIT 1"_s));
        comprobarNavegando(w);
        QVERIFY(w->OptDesc->isChecked());
        QCOMPARE((QStringList{w->Text1->text(), w->Text3->text(), w->Text4->text(),
                              w->cbobusc->text(), w->cbobusc2->text(), w->TxtSQL->text()}),
                 (QStringList{"", "", "", "descripcion", "", "Text1\n"}));
        QCOMPARE(controlesQue(w,
                              {"TxtSQL", "DataCodigo", "DataRubro", "DataVidaU", "Datarubro2",
                               "cmdzoom1", "cmdzoom2"},
                              &QWidget::isVisible),
                 (QStringList{"cmdzoom1", "cmdzoom2"}));
        QCOMPARE(w->dbgResultados->fontSize(), 8.25);
        QVERIFY(w->defaultButton() == w->CmdEjecutar);
        // Tab follows the tab index, skipping what cannot take the focus, round to the start.
        QCOMPARE(nombreConFoco(), u"CmdEjecutar"_s);
        const QStringList recorrido = {
            "Text1",       "CmdNuevo",       "cmdEdicion",    "cmdEliminar", "cmdCancelar",
            "cmdSalir",    "cmdRestablecer", "dbgResultados", "OptDesc",     "cmdBuscAv",
            "cbobusc",     "cbobusc2",       "Text3",         "Text4",       "cmdAmort",
            "CmdImprimir", "cmdReferencias", "cmdzoom2",      "cmdzoom1",    "cmdHistorial",
            "CmdEjecutar"};
        QCOMPARE(recorridoConTab(recorrido.size()), recorrido);
        // Every box and combo has its name, by object name.
        QCOMPARE(
            nombresAccesibles(w).values(),
            (QStringList{"Códigos", "Rubros", "Vidas útiles", "Rubros", "Palabra 1", "Vida Util",
                         "Palabra 2", "Palabra 3", "Consulta", "Ordenado por", "Segundo orden",
                         "Cuenta", "Descripcion", "Observ.", "Subcuenta", "Rubro"}));
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
            QImage limpio(opcion->size(), marco.format());
            limpio.fill(fondo);
            QVERIFY2(marco.copy(opcion->geometry()) == limpio, qPrintable(opcion->objectName()));
        }
        for (int item = 0; item < w->cbobusc->count(); ++item) {
            w->cbobusc->setText(w->cbobusc->itemText(item));
            QVERIFY2(muestraEntero(w->cbobusc->lineEdit()), qPrintable(w->cbobusc->text()));
        }

        // Every heading reads whole, in the bold of the current column's.
        QHeaderView* cabecera = w->dbgResultados->horizontalHeader();
        QFont negrita = cabecera->font();
        negrita.setBold(true);
        const int margen = cabecera->style()->pixelMetric(QStyle::PM_HeaderMargin);
        for (int columna = 0; columna < cabecera->count(); ++columna) {
            const QString titulo =
                cabecera->model()->headerData(columna, Qt::Horizontal).toString();
            QVERIFY2(QFontMetrics(negrita).horizontalAdvance(titulo) + 2 * margen <=
                         cabecera->sectionSize(columna),
                     qPrintable(titulo));
        }
        w->dcdatos->setRecordSource(u"SELECT * FROM vemtaro WHERE codigo LIKE 'no hay'"_s);
        w->dcdatos->refresh();
        // The caption of an empty result fits its label.
        const QLabel* caption = w->dcdatos->findChild<QLabel*>(u"caption"_s);
        QCOMPARE(caption->text(), u"No hay entradas de registros"_s);
        const QRect sitio = caption->contentsRect();
        QVERIFY(sitio.contains(caption->fontMetrics().boundingRect(
            sitio, int(caption->alignment()) | (caption->wordWrap() ? Qt::TextWordWrap : 0),
            caption->text())));
        // Closed first, as the clerk closes it, so that the grid is hidden while the database
        // is still open.
        w->close();
    }

    void depreciationOpensOnTheCurrentAccount()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        // The first accounts are land, which is not depreciated.
        while (w->Text2->text() == "0"_L1)
            w->dcdatos->moveNext();
        QTest::mouseClick(w->cmdAmort, Qt::LeftButton);
        auto* calculadora =
            qobject_cast<frmAmortizacion*>(ChartTestSupport::ventanaVisible(u"frmAmortizacion"_s));
        QVERIFY(calculadora);
        QCOMPARE((QStringList{calculadora->txtCodigo->text(), calculadora->txtClase->text(),
                              calculadora->txtDescr->text(), calculadora->txtrubro->text(),
                              calculadora->Text2->text()}),
                 (QStringList{w->txtCuenta->text(), w->txtSubcuenta->text(), w->txtDescr->text(),
                              w->txtrubro->text(), w->Text2->text()}));
        // The chart window stays usable beside it.
        QVERIFY(w->isVisible() && w->isEnabled());

        // The calculator shows its largest figures whole.
        calculadora->txtPrecio->setText(u"922337203685477"_s);
        calculadora->txtAnoAlta->setText(u"2000"_s);
        calculadora->txtAnoEjerc->setText(u"2001"_s);
        QTest::mouseClick(calculadora->cmdCalcular, Qt::LeftButton);
        for (platform::TextBox* caja :
             {calculadora->txtVaResEst, calculadora->txtValorAmort, calculadora->txtAnoTransc,
              calculadora->txtCuotaAmort, calculadora->txtAlicuota, calculadora->txtAmAcCiEj,
              calculadora->txtValResCieAno, calculadora->txtresidual}) {
            QVERIFY(!caja->text().isEmpty());
            QVERIFY2(muestraEntero(caja), qPrintable(caja->text()));
        }
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
        // Leave the extended search window loaded and hidden: it goes along.
        QTest::mouseClick(m_support->abrirCuadro()->cmdBuscAv, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QTest::mouseClick(frmConsulExtCargada()->cmdSalir, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QPointer<QWidget> extendida = frmConsulExtCargada();
        QVERIFY(extendida && !extendida->isVisible());
        QPointer<FrmConsulVemtaro> cuadro = cuadroVisible();

        // Leaving for good leaves no window shown, the hidden one deleted too.
        closeBox ? void(cuadro->close()) : cuadro->cmdSalir->click();
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
