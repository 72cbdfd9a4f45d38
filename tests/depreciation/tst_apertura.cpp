#include "Calculadora.h"
#include "platform/Look.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QPointer>
#include <QTest>

using namespace vemtaro;
using platform::MessageBox;

class TestApertura : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QStringLiteral("es_AR")));
        MessageBox::setRecording(true);
        m_cuentas = std::make_unique<prueba::VentanaDeCuentas>();
    }
    void cleanup()
    {
        prueba::cerrarCalculadoras();
        m_cuentas.reset();
        QVERIFY2(MessageBox::takeShown().isEmpty(), "a message nobody looked at");
    }

    void refusal_data();
    void refusal();
    void copiesTheAccountOnLoad();
    void secondOpeningOnlyBringsItForward();
    void closingUnloadsAndTheNextOpeningCopiesAfresh();
    void outlivesTheChartWindow();
    void window();
    void tabOrderSkipsDisabledBoxes();
    void placesBesideTheChartWindow_data();
    void placesBesideTheChartWindow();

private:
    std::unique_ptr<prueba::VentanaDeCuentas> m_cuentas;
};

void TestApertura::refusal_data()
{
    QTest::addColumn<QString>("vida");
    QTest::addColumn<QString>("mensaje");

    const QString noSeAmortiza = QStringLiteral("Este Bien, no se amortiza");
    const QString noEsNumero = QStringLiteral(
        "La Vida Util de la cuenta no es un número válido: no se puede calcular la amortización.");
    QTest::newRow("zero") << "0" << noSeAmortiza;
    QTest::newRow("zero with decimals") << "0,00" << noSeAmortiza;
    QTest::newRow("empty, as on an empty result") << "" << noEsNumero;
    QTest::newRow("words") << "diez" << noEsNumero;
}

void TestApertura::refusal()
{
    QFETCH(QString, vida);
    QFETCH(QString, mensaje);

    QCOMPARE(m_cuentas->consultar(vida), nullptr);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].prompt, mensaje);
    QCOMPARE(shown[0].style, int(platform::vbOKOnly));
    QCOMPARE(shown[0].title, MessageBox::applicationTitle());
}

void TestApertura::copiesTheAccountOnLoad()
{
    depreciation::CuentaActual cuenta{QStringLiteral("4.3.1"), QStringLiteral("03"),
                                      QStringLiteral("MUEBLES Y ÚTILES"),
                                      QStringLiteral("MOBILIARIO"), QStringLiteral("10")};
    m_cuentas->consultar(cuenta);
    frmAmortizacion* ventana = prueba::calculadoraAbierta();
    QVERIFY(ventana);
    QCOMPARE(ventana->txtCodigo->text(), cuenta.cuenta);
    QCOMPARE(ventana->txtClase->text(), cuenta.subcuenta);
    QCOMPARE(ventana->txtDescr->text(), cuenta.descripcion);
    QCOMPARE(ventana->txtrubro->text(), cuenta.rubro);
    QCOMPARE(ventana->Text2->text(), cuenta.vidaUtil);
    QCOMPARE(ventana->txtPrecio->text(), QStringLiteral("0,00"));
    QCOMPARE(ventana->txtAnoAlta->text(), QStringLiteral("0"));
    QCOMPARE(ventana->txtAnoEjerc->text(), QString::number(QDate::currentDate().year()));
    QCOMPARE(ventana->parent(), nullptr);
    // Only the three inputs take typing; the copies and the results are shown, not edited.
    const QList<platform::TextBox*> entradas = {ventana->txtPrecio, ventana->txtAnoAlta,
                                                ventana->txtAnoEjerc};
    for (platform::TextBox* box : ventana->findChildren<platform::TextBox*>())
        QCOMPARE(box->isEnabled(), entradas.contains(box));
}

void TestApertura::secondOpeningOnlyBringsItForward()
{
    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    prueba::escribir(ventana->txtPrecio, QStringLiteral("1234"));

    // The chart window has moved to another account meanwhile.
    m_cuentas->consultar({QStringLiteral("5.1.2"), QStringLiteral("01"), QStringLiteral("RODADOS"),
                          QStringLiteral("VEHICULOS"), QStringLiteral("5")});
    QCOMPARE(prueba::calculadoraAbierta(), ventana);
    QCOMPARE(ventana->txtCodigo->text(), QStringLiteral("4.3.1"));
    QCOMPARE(ventana->Text2->text(), QStringLiteral("10"));
    QCOMPARE(ventana->txtPrecio->text(), QStringLiteral("1234"));
}

void TestApertura::closingUnloadsAndTheNextOpeningCopiesAfresh()
{
    QPointer<frmAmortizacion> primera = m_cuentas->consultar(QStringLiteral("10"));
    prueba::escribir(primera->txtPrecio, QStringLiteral("1234"));
    primera->close();
    // Even before the closed window is destroyed, the next opening makes a new one.
    frmAmortizacion* segunda = m_cuentas->consultar(QStringLiteral("5"));
    QVERIFY(segunda != primera);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!primera);

    QCOMPARE(prueba::calculadoraAbierta(), segunda);
    QCOMPARE(segunda->Text2->text(), QStringLiteral("5"));
    QCOMPARE(segunda->txtPrecio->text(), QStringLiteral("0,00"));
}

void TestApertura::outlivesTheChartWindow()
{
    QPointer<frmAmortizacion> ventana = m_cuentas->consultar(QStringLiteral("10"));
    m_cuentas->cerrar();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(ventana);
    QVERIFY(ventana->isVisible());
}

void TestApertura::window()
{
    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    QCOMPARE(ventana->windowTitle(), QStringLiteral("Consulta de Amortizaciones"));
    QCOMPARE(ventana->size(), QSize(platform::twips(11910), platform::twips(8625)));
    QCOMPARE(ventana->minimumSize(), ventana->maximumSize());
    const Qt::WindowFlags flags = ventana->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
}

void TestApertura::tabOrderSkipsDisabledBoxes()
{
    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    QApplication::setActiveWindow(ventana);
    QVERIFY(QTest::qWaitForWindowActive(ventana));
    QCOMPARE(QApplication::focusWidget(), ventana->txtPrecio);

    QList<QWidget*> order;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget();
    }
    QCOMPARE(order, (QList<QWidget*>{ventana->txtAnoAlta, ventana->txtAnoEjerc,
                                     ventana->cmdCalcular, ventana->txtPrecio}));
}

void TestApertura::placesBesideTheChartWindow_data()
{
    QTest::addColumn<QRect>("junto");
    QTest::addColumn<QPoint>("esperado");

    // A 400 × 300 window on a 1000 × 700 screen.
    QTest::newRow("room on the right") << QRect(100, 50, 300, 200) << QPoint(400, 50);
    QTest::newRow("room on the left only") << QRect(500, 50, 300, 200) << QPoint(100, 50);
    QTest::newRow("room on neither side") << QRect(200, 50, 500, 200) << QPoint(600, 50);
    QTest::newRow("low on the screen") << QRect(100, 600, 300, 100) << QPoint(400, 400);
}

void TestApertura::placesBesideTheChartWindow()
{
    QFETCH(QRect, junto);
    QFETCH(QPoint, esperado);
    QCOMPARE(depreciation::posicionJunto(junto, QSize(400, 300), QRect(0, 0, 1000, 700)), esperado);
}

QTEST_MAIN(TestApertura)
#include "tst_apertura.moc"
