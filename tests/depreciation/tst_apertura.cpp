#include "Calculadora.h"

#include <QPointer>
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

QTEST_MAIN(TestApertura)
#include "tst_apertura.moc"
