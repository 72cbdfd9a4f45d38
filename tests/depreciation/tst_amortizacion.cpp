// The depreciation calculator: when and where "Consultar Amortizacion" opens it, what it copies
// of the account, which keys its boxes take, and what "&Calcular" works out or stops on.
#include "depreciation/AbrirAmortizacion.h"
#include "depreciation/frmAmortizacion.h"
#include "platform/MessageBox.h"
#include "platform/RegionalNumbers.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QPointer>
#include <QRandomGenerator>
#include <QTest>

using namespace vemtaro;
using depreciation::CuentaActual;
using platform::MessageBox;
using platform::TextBox;

namespace {

/// The prompts of the message boxes shown since the last call, oldest first; one that is not an
/// OK-only box with the application's title is marked so.
QStringList avisos()
{
    QStringList avisos;
    for (const MessageBox::Shown& aviso : MessageBox::takeShown()) {
        const bool okOnly =
            aviso.style == platform::vbOKOnly && aviso.title == MessageBox::applicationTitle();
        avisos << (okOnly ? aviso.prompt : QStringLiteral("(not an OK-only box) ") + aviso.prompt);
    }
    return avisos;
}

/// Replaces the box's text by typing: Ctrl+A, then each character of `teclas`, "\b" as the
/// Backspace key; an empty `teclas` is one Backspace.
void escribir(TextBox* box, const QString& teclas)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    for (QChar c : teclas.isEmpty() ? QStringLiteral("\b") : teclas)
        QTest::keyClick(box, c.toLatin1()); // '\b' is the Backspace key
}

/// The boxes' texts, in order.
QStringList textos(std::initializer_list<const TextBox*> cajas)
{
    QStringList textos;
    for (const TextBox* caja : cajas)
        textos << caja->text();
    return textos;
}

/// A text written with es_AR separators, in the separators of `locale`.
QString regional(QString texto, const QString& locale)
{
    if (locale == QLatin1String("en_US"))
        texto.replace(u',', u'#').replace(u'.', u',').replace(u'#', u'.');
    return texto;
}

/// A calculation in es_AR and, unless `soloEsAr`, in en_US, named after the locale and the
/// inputs: `entradas` is "vida|precio|alta|ejercicio", or only "vida" to press "&Calcular" on
/// the inputs as loaded; `esperados` are the result boxes' texts in order, "*" for any figure,
/// and the boxes past them stay empty. Both are written with es_AR separators.
void fila(const char* entradas, const QString& mensaje, const QString& esperados,
          bool soloEsAr = false)
{
    for (const char* locale : {"es_AR", "en_US"}) {
        QStringList resultados = regional(esperados, locale).split(u' ', Qt::SkipEmptyParts);
        resultados.resize(8);
        const QString texto = regional(QString::fromUtf8(entradas), locale);
        QTest::addRow("%s %s", locale, qPrintable(texto))
            << QString::fromLatin1(locale) << texto.split(u'|') << mensaje << resultados;
        if (soloEsAr)
            return;
    }
}

} // namespace

class TestAmortizacion : public QObject {
    Q_OBJECT

    /// Presses "Consultar Amortizacion" on `cuenta`; returns the calculator then open, or null.
    frmAmortizacion* consultar(const CuentaActual& cuenta)
    {
        depreciation::abrirAmortizacion(m_cuentas.get(), cuenta);
        QList<frmAmortizacion*> abiertas;
        for (QWidget* ventana : QApplication::topLevelWidgets())
            if (auto* calculadora = qobject_cast<frmAmortizacion*>(ventana);
                calculadora && calculadora->isVisible())
                abiertas << calculadora;
        if (abiertas.size() > 1)
            qFatal("more than one calculator window is open");
        return abiertas.value(0);
    }
    /// The same on a computer-equipment account whose useful life reads `vidaUtil`.
    frmAmortizacion* consultar(const QString& vidaUtil)
    {
        return consultar({"4.3.1", "03", "EQUIPOS DE COMPUTACION", "EQUIPAMIENTO", vidaUtil});
    }

    /// A shown window standing in for the chart window.
    std::unique_ptr<QWidget> m_cuentas;

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QStringLiteral("es_AR")));
        MessageBox::setRecording(true);
        m_cuentas = std::make_unique<QWidget>();
        m_cuentas->setGeometry(20, 20, 200, 150);
        m_cuentas->show();
    }
    void cleanup()
    {
        for (QWidget* ventana : QApplication::topLevelWidgets())
            if (qobject_cast<frmAmortizacion*>(ventana))
                ventana->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_cuentas.reset();
        QVERIFY2(avisos().isEmpty(), "a message nobody looked at");
    }

    void oneWindowWithItsOwnCopy()
    {
        const CuentaActual muebles{"4.3.1", "03", "MUEBLES Y ÚTILES", "MOBILIARIO", "10"};
        const CuentaActual rodados{"5.1.2", "01", "RODADOS", "VEHICULOS", "5"};
        // What it shows of its account, and its price.
        const auto mostrado = [](const frmAmortizacion* v) {
            return textos(
                {v->txtCodigo, v->txtClase, v->txtDescr, v->txtrubro, v->Text2, v->txtPrecio});
        };
        const auto cargado = [](const CuentaActual& c, const char* precio = "0,00") {
            return QStringList{c.cuenta, c.subcuenta, c.descripcion, c.rubro, c.vidaUtil, precio};
        };
        QPointer<frmAmortizacion> primera = consultar(muebles);
        QVERIFY(primera);
        QCOMPARE(mostrado(primera), cargado(muebles));
        escribir(primera->txtPrecio, "1234");

        // The chart window has moved to another account: a second opening only brings it forward.
        QCOMPARE(consultar(rodados), primera.data());
        QCOMPARE(mostrado(primera), cargado(muebles, "1234"));

        // Closing unloads it: even before it is destroyed, the next opening copies afresh.
        primera->close();
        QPointer<frmAmortizacion> segunda = consultar(rodados);
        QVERIFY(segunda && segunda != primera);
        QCOMPARE(mostrado(segunda), cargado(rodados));

        // It outlives the chart window.
        m_cuentas.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!primera);
        QVERIFY(segunda && segunda->isVisible());
    }

    void placedBesideOrCoveringLeast_data()
    {
        QTest::addColumn<QRect>("pantalla");
        QTest::addColumn<QRect>("cuentas");
        QTest::addColumn<QPoint>("lugar");
        // The calculator is 800 × 600 in every row; the order of preference is right, left,
        // below, above. Where none has room, the random check below stands for more rows.
        const QRect ancha(0, 0, 1600, 1000), alta(0, 0, 1600, 1300), grande(0, 0, 2400, 1900);
        QTest::newRow("right first") << grande << QRect(800, 650, 786, 573) << QPoint(1586, 650);
        QTest::newRow("right, exactly") << ancha << QRect(0, 50, 800, 573) << QPoint(800, 50);
        QTest::newRow("left before below") << alta << QRect(801, 100, 786, 573) << QPoint(1, 100);
        QTest::newRow("left, exactly") << ancha << QRect(800, 100, 786, 573) << QPoint(0, 100);
        QTest::newRow("top kept on screen") << ancha << QRect(0, 700, 786, 250) << QPoint(786, 400);
        QTest::newRow("below before above")
            << grande << QRect(300, 650, 1800, 573) << QPoint(300, 1223);
        QTest::newRow("above") << alta << QRect(300, 650, 786, 573) << QPoint(300, 50);
        QTest::newRow("no room: least covered")
            << ancha << QRect(400, 213, 786, 573) << QPoint(800, 400);
    }
    void placedBesideOrCoveringLeast()
    {
        QFETCH(QRect, pantalla);
        QFETCH(QRect, cuentas);
        QTEST(depreciation::posicionJunto(cuentas, QSize(800, 600), pantalla), "lugar");
    }

    void neverCoversMoreThanItMust()
    {
        QRandomGenerator azar(12);
        for (int vez = 0; vez < 2000; ++vez) {
            const QRect pantalla(azar.bounded(-2000, 2000), azar.bounded(-500, 500),
                                 azar.bounded(640, 2561), azar.bounded(480, 1441));
            const QSize tamano(azar.bounded(200, 900), azar.bounded(150, 700));
            const QRect cuentas(pantalla.left() + azar.bounded(-100, pantalla.width()),
                                pantalla.top() + azar.bounded(-100, pantalla.height()),
                                azar.bounded(100, 1200), azar.bounded(100, 900));
            const QPoint lugar = depreciation::posicionJunto(cuentas, tamano, pantalla);
            QString caso;
            QDebug(&caso) << pantalla << cuentas << tamano << lugar;
            // On the screen, as far as it fits there: its top-left corner within these places.
            const QRect lugares(pantalla.topLeft(),
                                (pantalla.size() - tamano).expandedTo(QSize(0, 0)) + QSize(1, 1));
            QVERIFY2(lugares.contains(lugar), qPrintable(caso));
            // The covered area is the covered width times the covered height, each least
            // somewhere along its own axis: try every place along each.
            const auto menosTapado = [](int desde, int hasta, int largo, int otro, int otroLargo) {
                int menos = largo;
                for (int at = desde; at <= hasta; ++at)
                    menos = std::min(menos, std::max(0, std::min(at + largo, otro + otroLargo) -
                                                            std::max(at, otro)));
                return qint64(menos);
            };
            const QRect tapado = QRect(lugar, tamano).intersected(cuentas);
            QVERIFY2((tapado.isEmpty() ? 0 : qint64(tapado.width()) * tapado.height()) ==
                         menosTapado(lugares.left(), lugares.right(), tamano.width(),
                                     cuentas.left(), cuentas.width()) *
                             menosTapado(lugares.top(), lugares.bottom(), tamano.height(),
                                         cuentas.top(), cuentas.height()),
                     qPrintable(caso));
        }
    }

    void consultaYCalculo_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("entradas");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QStringList>("esperados");

        fila("10|1000|2000|2004", {}, "1,00 999,00 5 99,90 10,00 499,50 499,50 599,40");
        // The quota is read back rounded before the next steps use it.
        fila("7|1000|2000|2004", {}, "1,00 999,00 5 142,71 14,29 713,55 285,45 428,16");
        // Past its useful life: written off, and the value at close does not go below 0.
        fila("3|1000|2000|2004", {}, "1,00 999,00 5 333,00 33,33 0,00 0,00 1,00");
        // Bought in the fiscal year, it leaves at its price.
        fila("10|1000|2004|2004", {}, "1,00 999,00 1 99,90 10,00 99,90 899,10 1.000,00");
        fila("5|2500,50|2003|2004", {}, "1,00 2.499,50 2 499,90 20,00 999,80 1.499,70 1.999,60");
        // The inputs as loaded, the price written in the region's own separators.
        fila("10", {},
             QStringLiteral("1,00 -1,00 %1 -0,10 10,00 0,00 * 1,00")
                 .arg(QDate::currentDate().year() + 1));
        // A useful life of 0, or none, opens no calculator.
        const QString noSeAmortiza = QStringLiteral("Este Bien, no se amortiza");
        fila("0", noSeAmortiza, {});
        fila("0,00", noSeAmortiza, {});
        fila("",
             "La Vida Util de la cuenta no es un número válido: no se puede calcular la "
             "amortización.",
             {});
        // A useful life of exactly the years of use is not yet written off; one year less is.
        fila("4|1000|2000|2004", {}, "1,00 999,00 5 249,75 25,00 0,00 0,00 1,00");
        fila("5|1000|2000|2004", {}, "1,00 999,00 5 199,80 20,00 999,00 0,00 199,80");
        fila("6|1000|2000|2004", {}, "1,00 999,00 5 166,50 16,67 832,50 166,50 333,00");
        // Acquired after the fiscal year: the calculation goes on with T = 0 or -1.
        const QString anoPosterior =
            QStringLiteral("El Año de Alta debe ser un numero igual o menor al Año de Ejercicio");
        fila("10|1000|2005|2004", anoPosterior, "1,00 999,00 0 99,90 10,00 0,00 999,00 1.098,90");
        fila("10|1000|2006|2004", anoPosterior,
             "1,00 999,00 -1 99,90 10,00 -99,90 1.098,90 1.198,80");
        // A year typed into an emptied box follows a 0, and still equals the fiscal year.
        fila("10|1000|02004|2004", {}, "1,00 999,00 1 99,90 10,00 99,90 899,10 1.000,00");

        // Faults stop the calculation at their step.
        fila("10|12abc|2000|2004", "El campo PRECIO no contiene un número válido.", {});
        fila("10|1000||2004", "El campo AÑO DEL ALTA no contiene un número válido.", {});
        fila("10|1000|2000|", "El campo AÑO DEL EJERCICIO no contiene un número válido.", {});
        fila("10|1000000000000000|2000|2004",
             "No se pudo mostrar el VALOR AMORTIZABLE: el importe excede el rango admitido.",
             "1,00");
        // The useful life's leading number is 0 (in en_US it reads 0.5).
        fila("0,5|1000|2000|2004",
             "No se pudo calcular la CUOTA DE AMORTIZACION: división por cero (la VIDA UTIL es 0).",
             "1,00 999,00 5", true);
        fila("10|1000|2000|1,7E308",
             "No se pudo calcular la AMORTIZACION ACUMULADA AL CIERRE DE EJERCICIO: el resultado "
             "es demasiado grande.",
             "1,00 999,00 1,7E+308 99,90 10,00");
        fila("10|1|2000|2004",
             "No se pudo calcular el IMPORTE RESIDUAL DE BAJA: división por cero (la CUOTA DE "
             "AMORTIZACION es 0).",
             "1,00 0,00 5 0,00 10,00 0,00 0,00");
        fila("10|922337203685477,59|2004|2004",
             "No se pudo mostrar el IMPORTE RESIDUAL DE BAJA: el importe excede el rango "
             "admitido.",
             "1,00 * 1 * 10,00 * *");
    }
    void consultaYCalculo()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, entradas);
        QFETCH(QString, mensaje);
        QFETCH(QStringList, esperados);
        QLocale::setDefault(QLocale(locale));
        frmAmortizacion* v = consultar(entradas.takeFirst());
        if (!v) { // refused, and told so
            QCOMPARE(avisos(), QStringList{mensaje});
            return;
        }
        const auto calcular = [v](const QStringList& valores) {
            const QList<TextBox*> cajas = {v->txtPrecio, v->txtAnoAlta, v->txtAnoEjerc};
            for (qsizetype i = 0; i < valores.size(); ++i)
                escribir(cajas[i], valores[i]);
            QTest::mouseClick(v->cmdCalcular, Qt::LeftButton);
        };
        if (!entradas.isEmpty()) {
            // An earlier calculation leaves figures that must not survive a stop.
            calcular({"5000", "2002", "2004"});
            avisos();
        }

        calcular(entradas);
        QCOMPARE(avisos(), mensaje.isEmpty() ? QStringList() : QStringList{mensaje});
        QStringList obtenidos =
            textos({v->txtVaResEst, v->txtValorAmort, v->txtAnoTransc, v->txtCuotaAmort,
                    v->txtAlicuota, v->txtAmAcCiEj, v->txtValResCieAno, v->txtresidual});
        for (qsizetype i = 0; i < obtenidos.size(); ++i)
            if (esperados[i] == u'*' && platform::toNumber(obtenidos[i]))
                obtenidos[i] = esperados[i];
        QCOMPARE(obtenidos, esperados);
    }

    void keyFilters()
    {
        frmAmortizacion* ventana = consultar("10");
        // The box's text after typing `teclas`, with "|" where the caret is.
        const auto tras = [](TextBox* box, const char* teclas) {
            escribir(box, QString::fromLatin1(teclas));
            return box->text().insert(box->cursorPosition(), u'|');
        };
        // The year takes digits and Backspace only (the price takes any key: see "12abc").
        QCOMPARE(tras(ventana->txtAnoAlta, "2x9\b0/0:4"), QStringLiteral("2004|"));
        // A key typed into an emptied box finds a 0 there, with the caret after it.
        QCOMPARE(tras(ventana->txtAnoAlta, "\b7"), QStringLiteral("07|"));
        QCOMPARE(tras(ventana->txtPrecio, "\b5"), QStringLiteral("05|"));
    }
};

QTEST_MAIN(TestAmortizacion)
#include "tst_amortizacion.moc"
