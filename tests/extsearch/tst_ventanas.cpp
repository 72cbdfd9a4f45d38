// The extended search window's comings and goings: opened in place of the chart window, the
// return that leaves it loaded, hidden and reset, and its own close box.
#include "../chart/ChartTestSupport.h"
#include "ExtTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace vemtaro;
using platform::MessageBox;

namespace {

FrmConsulVemtaro* cuadroVisible()
{
    return qobject_cast<FrmConsulVemtaro*>(
        ChartTestSupport::ventanaVisible(QStringLiteral("FrmConsulVemtaro")));
}

/// Runs the program's event loop, with `accion` as its first event; true when the program
/// then ends by itself (its last window closed), false when it is still running a second later.
bool elProgramaTerminaTras(const std::function<void()>& accion)
{
    QTimer::singleShot(0, qApp, accion);
    QTimer sigue;
    sigue.setSingleShot(true);
    QObject::connect(&sigue, &QTimer::timeout, qApp, [] { QApplication::exit(1); });
    sigue.start(1000);
    return QApplication::exec() == 0;
}

QStringList ventanasVisibles()
{
    QStringList names;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            names << window->objectName();
    return names;
}

} // namespace

class TestVentanas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_support = std::make_unique<ChartTestSupport>();
        m_support->usarExtendido(extendidoDePrueba());
    }
    void cleanup() { m_support.reset(); }

    void theSecondOpeningShowsTheReset()
    {
        FrmConsulExt* primera = m_support->abrirExtendida();
        QPointer<FrmConsulExt> vieja = primera;
        // Leave every kind of state behind: a mode, words, an ordering, a zoom, a result.
        elegir(primera->Optclase);
        escribir(primera->Text1, QStringLiteral("1"));
        escribir(primera->Text6, QStringLiteral("metal"));
        escribir(primera->cbobusc, QStringLiteral("Ord DESC"));
        QTest::mouseClick(primera->cmdzoom2, Qt::LeftButton);
        QTest::mouseClick(primera->CmdEjecutar, Qt::LeftButton);
        primera->dcdatos->moveTo(2);

        QTest::mouseClick(primera->cmdSalir, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QVERIFY(vieja.isNull());
        FrmConsulVemtaro* cuadro = cuadroVisible();
        QVERIFY(cuadro);
        QCOMPARE(cuadro->Text1->text(), QString());
        QVERIFY(cuadro->dcdatos->caption().startsWith(QStringLiteral("Registro:1 de ")));
        QCOMPARE(ventanasVisibles(), QStringList{"FrmConsulVemtaro"});

        // Loaded but hidden, as created and then reset.
        FrmConsulExt* oculta = frmConsulExtCargada();
        QVERIFY(oculta && !oculta->isVisible());
        QVERIFY(oculta->OptDesc->isChecked());
        QCOMPARE(oculta->cbobusc->text(), QStringLiteral("descripcion"));
        QCOMPARE(oculta->dbgResultados->fontSize(), 8.25);
        QCOMPARE(
            oculta->TxtSQL->text(),
            QStringLiteral("SELECT * FROM extendido WHERE Descripcion LIKE '*' ORDER BY Codigo"));

        QTest::mouseClick(cuadro->cmdBuscAv, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        FrmConsulExt* segunda = frmConsulExtCargada();
        QCOMPARE(segunda, oculta);
        QVERIFY(segunda->isVisible());
        QCOMPARE(ventanasVisibles(), QStringList{"FrmConsulExt"});
        // By code, the row without a description left out: not the table's own order.
        QCOMPARE(ordsDeLaGrilla(segunda),
                 (QStringList{"9", "1", "2", "6", "8", "10", "3", "7", "5"}));
        QCOMPARE(segunda->dcdatos->caption(), QStringLiteral("Registro:1 de 9"));
        for (platform::TextBox* excluida : {segunda->Text5, segunda->Text6, segunda->Text7})
            QCOMPARE(excluida->text(), puntos(36));
        QCOMPARE(segunda->Text1->text(), QString());
        QVERIFY(!segunda->cmdzoom1->isVisible() && segunda->cmdzoom2->isVisible());
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void itsCloseBoxClosesItAlone()
    {
        QPointer<FrmConsulExt> w = m_support->abrirExtendida();
        // No chart window comes back: the program ends.
        QVERIFY(elProgramaTerminaTras([&] { w->close(); }));
        ChartTestSupport::procesarCierres();
        QVERIFY(w.isNull());
        QVERIFY(!frmConsulExtCargada());
        QCOMPARE(ventanasVisibles(), QStringList());
    }

    void theCalculatorOutlivesItsCloseBox()
    {
        m_support->usarCuentas({{"101", "1", "MESA", "MUEBLES", "10", QString()}});
        FrmConsulVemtaro* cuadro = m_support->abrirCuadro();
        QTest::mouseClick(cuadro->cmdAmort, Qt::LeftButton);
        QVERIFY(ChartTestSupport::ventanaVisible(QStringLiteral("frmAmortizacion")));
        QTest::mouseClick(cuadro->cmdBuscAv, Qt::LeftButton);
        ChartTestSupport::procesarCierres();

        QVERIFY(!elProgramaTerminaTras([] { frmConsulExtCargada()->close(); }));
        ChartTestSupport::procesarCierres();
        QCOMPARE(ventanasVisibles(), QStringList{"frmAmortizacion"});
        QVERIFY(!frmConsulExtCargada());
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestVentanas)
#include "tst_ventanas.moc"
