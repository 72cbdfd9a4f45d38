#include "Calculadora.h"
#include "platform/MessageBox.h"
#include "platform/RegionalNumbers.h"

#include <QDate>
#include <QLocale>
#include <QTest>

using namespace vemtaro;
using platform::MessageBox;

namespace {

/// A text written with es_AR separators, in the separators of `locale`.
QString regional(QString texto, const QString& locale)
{
    if (locale == QLatin1String("en_US"))
        for (QChar& c : texto)
            c = c == u',' ? u'.' : c == u'.' ? u',' : c;
    return texto;
}

QStringList prompts(const QList<MessageBox::Shown>& shown)
{
    QStringList texts;
    for (const auto& box : shown)
        texts << box.prompt;
    return texts;
}

const QString mensajeDelAno =
    QStringLiteral("El Año de Alta debe ser un numero igual o menor al Año de Ejercicio");

} // namespace

class TestCalculo : public QObject {
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

    void workedExamples_data();
    void workedExamples();
    void untouchedInputs();
    void untouchedPriceIsNoNumberWithDecimalPoint();
    void yearOfAcquisitionAfterFiscalYear();
    void keyFilters_data();
    void keyFilters();
    void yearTypedIntoEmptiedBoxReadsAsTyped();
    void faultStopsAtItsStep_data();
    void faultStopsAtItsStep();

private:
    std::unique_ptr<prueba::VentanaDeCuentas> m_cuentas;
};

void TestCalculo::workedExamples_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("precio");
    QTest::addColumn<QString>("vida");
    QTest::addColumn<QString>("alta");
    QTest::addColumn<QString>("ejercicio");
    QTest::addColumn<QStringList>("esperados"); // es_AR separators

    struct Ejemplo {
        const char* nombre;
        const char *precio, *vida, *alta, *ejercicio;
        QStringList esperados;
    };
    const Ejemplo ejemplos[] = {
        {"ten years",
         "1000",
         "10",
         "2000",
         "2004",
         {"1,00", "999,00", "5", "99,90", "10,00", "499,50", "499,50", "599,40"}},
        {"quota read back rounded",
         "1000",
         "7",
         "2000",
         "2004",
         {"1,00", "999,00", "5", "142,71", "14,29", "713,55", "285,45", "428,16"}},
        {"past its useful life",
         "1000",
         "3",
         "2000",
         "2004",
         {"1,00", "999,00", "5", "333,00", "33,33", "0,00", "0,00", "1,00"}},
        {"bought in the fiscal year",
         "1000",
         "10",
         "2004",
         "2004",
         {"1,00", "999,00", "1", "99,90", "10,00", "99,90", "899,10", "1.000,00"}},
        {"price with cents",
         "2500,50",
         "5",
         "2003",
         "2004",
         {"1,00", "2.499,50", "2", "499,90", "20,00", "999,80", "1.499,70", "1.999,60"}},
    };
    for (const QString& locale : {QStringLiteral("es_AR"), QStringLiteral("en_US")})
        for (const Ejemplo& e : ejemplos) {
            QStringList esperados;
            for (const QString& texto : e.esperados)
                esperados << regional(texto, locale);
            QTest::addRow("%s %s", qPrintable(locale), e.nombre)
                << locale << regional(QString::fromLatin1(e.precio), locale)
                << QString::fromLatin1(e.vida) << QString::fromLatin1(e.alta)
                << QString::fromLatin1(e.ejercicio) << esperados;
        }
}

void TestCalculo::workedExamples()
{
    QFETCH(QString, locale);
    QFETCH(QString, precio);
    QFETCH(QString, vida);
    QFETCH(QString, alta);
    QFETCH(QString, ejercicio);
    QFETCH(QStringList, esperados);
    QLocale::setDefault(QLocale(locale));

    frmAmortizacion* ventana = m_cuentas->consultar(vida);
    QVERIFY(ventana);
    prueba::calcular(ventana, precio, alta, ejercicio);
    QCOMPARE(prompts(MessageBox::takeShown()), QStringList());
    QCOMPARE(prueba::resultados(ventana), esperados);

    // A second press recomputes the same figures from the same inputs.
    QTest::mouseClick(ventana->cmdCalcular, Qt::LeftButton);
    QCOMPARE(prueba::resultados(ventana), esperados);
}

void TestCalculo::untouchedInputs()
{
    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    QTest::mouseClick(ventana->cmdCalcular, Qt::LeftButton);

    QCOMPARE(prompts(MessageBox::takeShown()), QStringList());
    QCOMPARE(ventana->txtValorAmort->text(), QStringLiteral("-1,00"));
    QCOMPARE(ventana->txtAnoTransc->text(), QString::number(QDate::currentDate().year() + 1));
    QCOMPARE(ventana->txtCuotaAmort->text(), QStringLiteral("-0,10"));
    QCOMPARE(ventana->txtAlicuota->text(), QStringLiteral("10,00"));
    QCOMPARE(ventana->txtAmAcCiEj->text(), QStringLiteral("0,00"));
    QCOMPARE(ventana->txtresidual->text(), QStringLiteral("1,00"));
}

void TestCalculo::untouchedPriceIsNoNumberWithDecimalPoint()
{
    // The initial "0,00" is written with a decimal comma, which en_US does not read.
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    QCOMPARE(ventana->txtPrecio->text(), QStringLiteral("0,00"));
    QTest::mouseClick(ventana->cmdCalcular, Qt::LeftButton);

    QCOMPARE(prompts(MessageBox::takeShown()),
             QStringList{QStringLiteral("El campo PRECIO no contiene un número válido.")});
    QCOMPARE(prueba::resultados(ventana), QStringList(8, QString()));
}

void TestCalculo::yearOfAcquisitionAfterFiscalYear()
{
    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    prueba::calcular(ventana, QStringLiteral("1000"), QStringLiteral("2006"),
                     QStringLiteral("2004"));

    const auto shown = MessageBox::takeShown();
    QCOMPARE(prompts(shown), QStringList{mensajeDelAno});
    QCOMPARE(shown[0].style, int(platform::vbOKOnly));
    // The calculation goes on with T = -1, and the useful life is not exceeded.
    const QStringList esperados = {"1,00",  "999,00", "-1",       "99,90",
                                   "10,00", "-99,90", "1.098,90", "1.198,80"};
    QCOMPARE(prueba::resultados(ventana), esperados);

    // Each press with these years warns again.
    QTest::mouseClick(ventana->cmdCalcular, Qt::LeftButton);
    QCOMPARE(prompts(MessageBox::takeShown()), QStringList{mensajeDelAno});
    QCOMPARE(prueba::resultados(ventana), esperados);
}

void TestCalculo::keyFilters_data()
{
    QTest::addColumn<QString>("caja");
    QTest::addColumn<bool>("vaciar");
    QTest::addColumn<QString>("teclas");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("cursor");

    QTest::newRow("letters in the year are ignored") << "txtAnoAlta" << false << "2x0-0,4"
                                                     << "2004" << 4;
    QTest::newRow("emptied year gets a 0 before the digit") << "txtAnoAlta" << true << "7"
                                                            << "07" << 2;
    QTest::newRow("emptied year keeps the 0 for a letter") << "txtAnoAlta" << true << "a"
                                                           << "0" << 1;
    QTest::newRow("backspace removes the refilled 0") << "txtAnoAlta" << true << "\b"
                                                      << "" << 0;
    QTest::newRow("backspace in the year") << "txtAnoAlta" << false << "20\b5"
                                           << "25" << 2;
    QTest::newRow("letters in the price are accepted") << "txtPrecio" << false << "12abc"
                                                       << "12abc" << 5;
    QTest::newRow("emptied price gets a 0 before the key") << "txtPrecio" << true << "5"
                                                           << "05" << 2;
}

void TestCalculo::keyFilters()
{
    QFETCH(QString, caja);
    QFETCH(bool, vaciar);
    QFETCH(QString, teclas);
    QFETCH(QString, texto);
    QFETCH(int, cursor);

    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    auto* box = ventana->findChild<platform::TextBox*>(caja);
    QVERIFY(box);
    if (vaciar) {
        prueba::escribir(box, QString());
        QCOMPARE(box->text(), QString());
    } else {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    }
    prueba::teclear(box, teclas);
    QCOMPARE(box->text(), texto);
    QCOMPARE(box->cursorPosition(), cursor);
}

void TestCalculo::yearTypedIntoEmptiedBoxReadsAsTyped()
{
    frmAmortizacion* ventana = m_cuentas->consultar(QStringLiteral("10"));
    prueba::escribir(ventana->txtAnoAlta, QString());
    QTest::keyClicks(ventana->txtAnoAlta, QStringLiteral("2004"));
    QCOMPARE(ventana->txtAnoAlta->text(), QStringLiteral("02004"));
    prueba::escribir(ventana->txtPrecio, QStringLiteral("1000"));
    prueba::escribir(ventana->txtAnoEjerc, QStringLiteral("2004"));
    QTest::mouseClick(ventana->cmdCalcular, Qt::LeftButton);

    QCOMPARE(prompts(MessageBox::takeShown()), QStringList());
    // Same year: one year of use, and the asset leaves at its price.
    QCOMPARE(ventana->txtAnoTransc->text(), QStringLiteral("1"));
    QCOMPARE(ventana->txtresidual->text(), QStringLiteral("1.000,00"));
}

void TestCalculo::faultStopsAtItsStep_data()
{
    QTest::addColumn<QString>("vida");
    QTest::addColumn<QString>("precio");
    QTest::addColumn<QString>("alta");
    QTest::addColumn<QString>("ejercicio");
    QTest::addColumn<QString>("mensaje");
    QTest::addColumn<QStringList>("esperados"); // "*" is any figure

    const QStringList nada(8, QString());
    QTest::newRow("price with letters") << "10"
                                        << "12abc"
                                        << "2000"
                                        << "2004"
                                        << "El campo PRECIO no contiene un número válido." << nada;
    QTest::newRow("empty year of acquisition")
        << "10"
        << "1000"
        << ""
        << "2004"
        << "El campo AÑO DEL ALTA no contiene un número válido." << nada;
    QTest::newRow("empty fiscal year")
        << "10"
        << "1000"
        << "2000"
        << ""
        << "El campo AÑO DEL EJERCICIO no contiene un número válido." << nada;
    QTest::newRow("amount beyond the fixed-point range")
        << "10"
        << "1000000000000000"
        << "2000"
        << "2004"
        << "No se pudo mostrar el VALOR AMORTIZABLE: el importe excede el rango admitido."
        << QStringList{"1,00", "", "", "", "", "", "", ""};
    QTest::newRow("useful life whose leading number is 0")
        << "0,5"
        << "1000"
        << "2000"
        << "2004"
        << "No se pudo calcular la CUOTA DE AMORTIZACION: división por cero (la VIDA UTIL es 0)."
        << QStringList{"1,00", "999,00", "5", "", "", "", "", ""};
    QTest::newRow("overflow")
        << "10"
        << "1000"
        << "2000"
        << "1,7E308"
        << "No se pudo calcular la AMORTIZACION ACUMULADA AL CIERRE DE EJERCICIO: el resultado "
           "es demasiado grande."
        << QStringList{"1,00", "999,00", "1,7E+308", "99,90", "10,00", "", "", ""};
    QTest::newRow("zero quota")
        << "10"
        << "1"
        << "2000"
        << "2004"
        << "No se pudo calcular el IMPORTE RESIDUAL DE BAJA: división por cero (la CUOTA DE "
           "AMORTIZACION es 0)."
        << QStringList{"1,00", "0,00", "5", "0,00", "10,00", "0,00", "0,00", ""};
    QTest::newRow("price beyond the range at disposal")
        << "10"
        << "922337203685477,59"
        << "2004"
        << "2004"
        << "No se pudo mostrar el IMPORTE RESIDUAL DE BAJA: el importe excede el rango admitido."
        << QStringList{"1,00", "*", "1", "*", "10,00", "*", "*", ""};
}

void TestCalculo::faultStopsAtItsStep()
{
    QFETCH(QString, vida);
    QFETCH(QString, precio);
    QFETCH(QString, alta);
    QFETCH(QString, ejercicio);
    QFETCH(QString, mensaje);
    QFETCH(QStringList, esperados);

    frmAmortizacion* ventana = m_cuentas->consultar(vida);
    // An earlier calculation leaves figures that must not survive the stop.
    prueba::calcular(ventana, QStringLiteral("5000"), QStringLiteral("2002"),
                     QStringLiteral("2004"));
    MessageBox::takeShown();

    prueba::calcular(ventana, precio, alta, ejercicio);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(prompts(shown), QStringList{mensaje});
    QCOMPARE(shown[0].style, int(platform::vbOKOnly));
    const QStringList obtenidos = prueba::resultados(ventana);
    for (int i = 0; i < esperados.size(); ++i) {
        if (esperados[i] == u'*')
            QVERIFY2(platform::toNumber(obtenidos[i]), qPrintable(obtenidos[i]));
        else
            QCOMPARE(obtenidos[i], esperados[i]);
    }

    // The window stays usable.
    if (platform::leadingNumber(vida) != 0) {
        prueba::calcular(ventana, QStringLiteral("1000"), QStringLiteral("2000"),
                         QStringLiteral("2004"));
        QCOMPARE(prompts(MessageBox::takeShown()), QStringList());
        QCOMPARE(ventana->txtresidual->text(), QStringLiteral("599,40"));
    }
}

QTEST_MAIN(TestCalculo)
#include "tst_calculo.moc"
