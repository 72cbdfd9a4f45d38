#include "Calculadora.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QTest>

using namespace vemtaro;
using depreciation::CuentaActual;

namespace {

/// What the calculator shows of its account, and its price.
QStringList mostrado(const frmAmortizacion* v)
{
    return prueba::textos(
        {v->txtCodigo, v->txtClase, v->txtDescr, v->txtrubro, v->Text2, v->txtPrecio});
}

/// What it shows once loaded with `cuenta` and `precio` typed.
QStringList cargado(const CuentaActual& c, const QString& precio = QStringLiteral("0,00"))
{
    return {c.cuenta, c.subcuenta, c.descripcion, c.rubro, c.vidaUtil, precio};
}

} // namespace

class TestApertura : public prueba::PruebaDeCalculadora {
    Q_OBJECT

private Q_SLOTS:
    void refusal_data();
    void refusal();
    void oneWindowWithItsOwnCopy();
    void placedBesideOrCoveringLeast_data();
    void placedBesideOrCoveringLeast();
    void neverCoversMoreThanItMust();
};

void TestApertura::refusal_data()
{
    QTest::addColumn<QString>("vida");
    QTest::addColumn<QString>("mensaje");

    const QString noSeAmortiza = QStringLiteral("Este Bien, no se amortiza");
    QTest::newRow("zero") << "0" << noSeAmortiza;
    QTest::newRow("zero with decimals") << "0,00" << noSeAmortiza;
    QTest::newRow("empty, as on an empty result")
        << ""
        << QStringLiteral("La Vida Util de la cuenta no es un número válido: no se puede "
                          "calcular la amortización.");
}

void TestApertura::refusal()
{
    QFETCH(QString, vida);
    QFETCH(QString, mensaje);

    QCOMPARE(consultar(vida), nullptr);
    QCOMPARE(prueba::avisos(), QStringList{mensaje});
}

void TestApertura::oneWindowWithItsOwnCopy()
{
    const CuentaActual muebles{"4.3.1", "03", "MUEBLES Y ÚTILES", "MOBILIARIO", "10"};
    const CuentaActual rodados{"5.1.2", "01", "RODADOS", "VEHICULOS", "5"};
    QPointer<frmAmortizacion> primera = consultar(muebles);
    QVERIFY(primera);
    QCOMPARE(mostrado(primera), cargado(muebles));
    prueba::escribir(primera->txtPrecio, "1234");

    // The chart window has moved to another account: a second opening only brings it forward.
    QCOMPARE(consultar(rodados), primera.data());
    QCOMPARE(mostrado(primera), cargado(muebles, "1234"));

    // Closing unloads it: even before it is destroyed, the next opening copies afresh.
    primera->close();
    QPointer<frmAmortizacion> segunda = consultar(rodados);
    QVERIFY(segunda && segunda != primera);
    QCOMPARE(mostrado(segunda), cargado(rodados));

    // It outlives the chart window.
    cerrarVentanaDeCuentas();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!primera);
    QVERIFY(segunda && segunda->isVisible());
}

void TestApertura::placedBesideOrCoveringLeast_data()
{
    QTest::addColumn<QRect>("pantalla");
    QTest::addColumn<QRect>("cuentas");
    QTest::addColumn<QPoint>("lugar");

    const QRect ancha(0, 0, 1600, 1000);
    // The calculator is 800 × 600 in every row.
    QTest::newRow("right") << ancha << QRect(0, 0, 786, 573) << QPoint(786, 0);
    QTest::newRow("right, exactly") << ancha << QRect(0, 50, 800, 573) << QPoint(800, 50);
    QTest::newRow("left") << ancha << QRect(801, 100, 786, 573) << QPoint(1, 100);
    QTest::newRow("left, exactly") << ancha << QRect(800, 100, 786, 573) << QPoint(0, 100);
    QTest::newRow("top kept on the screen") << ancha << QRect(0, 700, 786, 250) << QPoint(786, 400);
    QTest::newRow("below") << QRect(0, 0, 1600, 1250) << QRect(300, 0, 786, 573)
                           << QPoint(300, 573);
    QTest::newRow("above") << QRect(0, 0, 1600, 1300) << QRect(300, 650, 786, 573)
                           << QPoint(300, 50);
    QTest::newRow("no room: the corner that covers least")
        << ancha << QRect(400, 213, 786, 573) << QPoint(800, 400);
    QTest::newRow("no room, second screen")
        << QRect(1600, 0, 1280, 1024) << QRect(1700, 50, 786, 573) << QPoint(2080, 424);
    QTest::newRow("no room, chart window at the top left")
        << QRect(0, 0, 1366, 768) << QRect(0, 0, 786, 573) << QPoint(566, 168);
    QTest::newRow("screen smaller than the calculator")
        << QRect(0, 0, 640, 480) << QRect(0, 0, 300, 200) << QPoint(0, 0);
}

void TestApertura::placedBesideOrCoveringLeast()
{
    QFETCH(QRect, pantalla);
    QFETCH(QRect, cuentas);
    QFETCH(QPoint, lugar);
    QCOMPARE(depreciation::posicionJunto(cuentas, QSize(800, 600), pantalla), lugar);
}

void TestApertura::neverCoversMoreThanItMust()
{
    // The covered area is the covered width times the covered height, each least somewhere
    // along its own axis: try every place along each.
    const auto menosTapado = [](int desde, int hasta, int largo, int otroDesde, int otroLargo) {
        int menos = largo;
        for (int at = desde; at <= hasta; ++at)
            menos = std::min(menos, std::max(0, std::min(at + largo, otroDesde + otroLargo) -
                                                    std::max(at, otroDesde)));
        return menos;
    };
    QRandomGenerator azar(12);
    for (int vez = 0; vez < 2000; ++vez) {
        const QRect pantalla(azar.bounded(-2000, 2000), azar.bounded(-500, 500),
                             azar.bounded(640, 2561), azar.bounded(480, 1441));
        const QSize tamano(azar.bounded(200, 900), azar.bounded(150, 700));
        const QRect cuentas(pantalla.left() + azar.bounded(-100, pantalla.width()),
                            pantalla.top() + azar.bounded(-100, pantalla.height()),
                            azar.bounded(100, 1200), azar.bounded(100, 900));
        const QRect calculadora(depreciation::posicionJunto(cuentas, tamano, pantalla), tamano);
        QString caso;
        QDebug(&caso) << pantalla << cuentas << tamano;
        // On the screen, as far as it fits there.
        QVERIFY2(
            calculadora.left() >= pantalla.left() && calculadora.top() >= pantalla.top() &&
                (calculadora.right() <= pantalla.right() ||
                 calculadora.left() == pantalla.left()) &&
                (calculadora.bottom() <= pantalla.bottom() || calculadora.top() == pantalla.top()),
            qPrintable(caso));
        const int ancho = menosTapado(
            pantalla.left(), std::max(pantalla.left(), pantalla.right() + 1 - tamano.width()),
            tamano.width(), cuentas.left(), cuentas.width());
        const int alto = menosTapado(
            pantalla.top(), std::max(pantalla.top(), pantalla.bottom() + 1 - tamano.height()),
            tamano.height(), cuentas.top(), cuentas.height());
        const QRect tapado = calculadora.intersected(cuentas);
        QVERIFY2((tapado.isEmpty() ? 0 : qint64(tapado.width()) * tapado.height()) ==
                     qint64(ancho) * alto,
                 qPrintable(caso));
    }
}

QTEST_MAIN(TestApertura)
#include "tst_apertura.moc"
