#include "Calculadora.h"
#include "platform/RegionalNumbers.h"

#include <QDate>
#include <QLocale>
#include <QTest>

using namespace vemtaro;

namespace {

/// A text written with es_AR separators, in the separators of `locale`.
QString regional(QString texto, const QString& locale)
{
    if (locale == QLatin1String("en_US"))
        texto.replace(u',', u'#').replace(u'.', u',').replace(u'#', u'.');
    return texto;
}

/// A calculation, named after its locale and inputs: `entradas` is "vida|precio|alta|ejercicio",
/// or only "vida" to press "&Calcular" on the inputs as loaded; `esperados` are the result
/// boxes' texts in order, "*" for any figure, and the boxes past them stay empty. Both are
/// written with es_AR separators.
void fila(const QString& locale, const char* entradas, const QString& mensaje,
          const QString& esperados)
{
    QStringList resultados = regional(esperados, locale).split(u' ', Qt::SkipEmptyParts);
    resultados.resize(8);
    const QString texto = regional(QString::fromUtf8(entradas), locale);
    QTest::addRow("%s %s", qPrintable(locale), qPrintable(texto))
        << locale << texto.split(u'|') << mensaje << resultados;
}

} // namespace

class TestCalculo : public prueba::PruebaDeCalculadora {
    Q_OBJECT

private Q_SLOTS:
    void calculo_data();
    void calculo();
    void keyFilters();
};

void TestCalculo::calculo_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("entradas");
    QTest::addColumn<QString>("mensaje");
    QTest::addColumn<QStringList>("esperados");

    for (const QString& l : {QStringLiteral("es_AR"), QStringLiteral("en_US")}) {
        fila(l, "10|1000|2000|2004", {}, "1,00 999,00 5 99,90 10,00 499,50 499,50 599,40");
        // The quota is read back rounded before the next steps use it.
        fila(l, "7|1000|2000|2004", {}, "1,00 999,00 5 142,71 14,29 713,55 285,45 428,16");
        // Past its useful life: written off, and the value at close does not go below 0.
        fila(l, "3|1000|2000|2004", {}, "1,00 999,00 5 333,00 33,33 0,00 0,00 1,00");
        // Bought in the fiscal year, it leaves at its price.
        fila(l, "10|1000|2004|2004", {}, "1,00 999,00 1 99,90 10,00 99,90 899,10 1.000,00");
        fila(l, "5|2500,50|2003|2004", {}, "1,00 2.499,50 2 499,90 20,00 999,80 1.499,70 1.999,60");
        // The inputs as loaded, the price written in the region's own separators.
        fila(l, "10", {},
             QStringLiteral("1,00 -1,00 %1 -0,10 10,00 0,00 * 1,00")
                 .arg(QDate::currentDate().year() + 1));
    }
    const QString es = QStringLiteral("es_AR");
    // A useful life of exactly the years of use is not yet written off; one year less is.
    fila(es, "4|1000|2000|2004", {}, "1,00 999,00 5 249,75 25,00 0,00 0,00 1,00");
    fila(es, "5|1000|2000|2004", {}, "1,00 999,00 5 199,80 20,00 999,00 0,00 199,80");
    fila(es, "6|1000|2000|2004", {}, "1,00 999,00 5 166,50 16,67 832,50 166,50 333,00");
    // Acquired after the fiscal year: the calculation goes on with T = 0 or -1.
    const QString anoPosterior =
        QStringLiteral("El Año de Alta debe ser un numero igual o menor al Año de Ejercicio");
    fila(es, "10|1000|2005|2004", anoPosterior, "1,00 999,00 0 99,90 10,00 0,00 999,00 1.098,90");
    fila(es, "10|1000|2006|2004", anoPosterior,
         "1,00 999,00 -1 99,90 10,00 -99,90 1.098,90 1.198,80");
    // A year typed into an emptied box follows a 0, and still equals the fiscal year.
    fila(es, "10|1000|02004|2004", {}, "1,00 999,00 1 99,90 10,00 99,90 899,10 1.000,00");

    // Faults stop the calculation at their step.
    fila(es, "10|12abc|2000|2004", "El campo PRECIO no contiene un número válido.", {});
    fila(es, "10|1000||2004", "El campo AÑO DEL ALTA no contiene un número válido.", {});
    fila(es, "10|1000|2000|", "El campo AÑO DEL EJERCICIO no contiene un número válido.", {});
    fila(es, "10|1000000000000000|2000|2004",
         "No se pudo mostrar el VALOR AMORTIZABLE: el importe excede el rango admitido.", "1,00");
    // The useful life's leading number is 0.
    fila(es, "0,5|1000|2000|2004",
         "No se pudo calcular la CUOTA DE AMORTIZACION: división por cero (la VIDA UTIL es 0).",
         "1,00 999,00 5");
    fila(es, "10|1000|2000|1,7E308",
         "No se pudo calcular la AMORTIZACION ACUMULADA AL CIERRE DE EJERCICIO: el resultado es "
         "demasiado grande.",
         "1,00 999,00 1,7E+308 99,90 10,00");
    fila(es, "10|1|2000|2004",
         "No se pudo calcular el IMPORTE RESIDUAL DE BAJA: división por cero (la CUOTA DE "
         "AMORTIZACION es 0).",
         "1,00 0,00 5 0,00 10,00 0,00 0,00");
    fila(es, "10|922337203685477,59|2004|2004",
         "No se pudo mostrar el IMPORTE RESIDUAL DE BAJA: el importe excede el rango admitido.",
         "1,00 * 1 * 10,00 * *");
}

void TestCalculo::calculo()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, entradas);
    QFETCH(QString, mensaje);
    QFETCH(QStringList, esperados);
    QLocale::setDefault(QLocale(locale));

    frmAmortizacion* ventana = consultar(entradas.takeFirst());
    QVERIFY(ventana);
    if (!entradas.isEmpty()) {
        // An earlier calculation leaves figures that must not survive a stop.
        prueba::calcular(ventana, {"5000", "2002", "2004"});
        prueba::avisos();
    }
    prueba::calcular(ventana, entradas);
    QCOMPARE(prueba::avisos(), mensaje.isEmpty() ? QStringList() : QStringList{mensaje});
    QStringList obtenidos = prueba::resultados(ventana);
    for (qsizetype i = 0; i < obtenidos.size(); ++i)
        if (esperados[i] == u'*' && platform::toNumber(obtenidos[i]))
            obtenidos[i] = esperados[i];
    QCOMPARE(obtenidos, esperados);
}

void TestCalculo::keyFilters()
{
    frmAmortizacion* ventana = consultar("10");
    // The box's text after typing `teclas`, with "|" where the caret is.
    const auto tras = [](platform::TextBox* box, const char* teclas) {
        prueba::escribir(box, QString::fromLatin1(teclas));
        return box->text().insert(box->cursorPosition(), u'|');
    };
    // The year takes digits and Backspace only; the price takes any key.
    QCOMPARE(tras(ventana->txtAnoAlta, "2x0\b0-0,4"), QStringLiteral("2004|"));
    QCOMPARE(tras(ventana->txtPrecio, "12abc"), QStringLiteral("12abc|"));
    // A key typed into an emptied box finds a 0 there, with the caret after it.
    QCOMPARE(tras(ventana->txtAnoAlta, "\b7"), QStringLiteral("07|"));
    QCOMPARE(tras(ventana->txtPrecio, "\b5"), QStringLiteral("05|"));
}

QTEST_MAIN(TestCalculo)
#include "tst_calculo.moc"
