#include "Calculadora.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QLocale>
#include <QTest>

using namespace vemtaro;
using platform::MessageBox;

namespace prueba {

void PruebaDeCalculadora::init()
{
    QLocale::setDefault(QLocale(QStringLiteral("es_AR")));
    MessageBox::setRecording(true);
    m_cuentas = std::make_unique<QWidget>();
    m_cuentas->setGeometry(20, 20, 200, 150);
    m_cuentas->show();
}

void PruebaDeCalculadora::cleanup()
{
    while (frmAmortizacion* calculadora = calculadoraAbierta())
        calculadora->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_cuentas.reset();
    QVERIFY2(avisos().isEmpty(), "a message nobody looked at");
}

frmAmortizacion* PruebaDeCalculadora::consultar(const depreciation::CuentaActual& cuenta)
{
    depreciation::abrirAmortizacion(m_cuentas.get(), cuenta);
    return calculadoraAbierta();
}

frmAmortizacion* PruebaDeCalculadora::consultar(const QString& vidaUtil)
{
    return consultar({"4.3.1", "03", "EQUIPOS DE COMPUTACION", "EQUIPAMIENTO", vidaUtil});
}

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

frmAmortizacion* calculadoraAbierta()
{
    QList<frmAmortizacion*> abiertas;
    for (QWidget* ventana : QApplication::topLevelWidgets())
        if (auto* calculadora = qobject_cast<frmAmortizacion*>(ventana);
            calculadora && calculadora->isVisible())
            abiertas << calculadora;
    if (abiertas.size() > 1)
        qFatal("more than one calculator window is open");
    return abiertas.value(0);
}

void escribir(platform::TextBox* box, const QString& teclas)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    for (QChar c : teclas.isEmpty() ? QStringLiteral("\b") : teclas) {
        if (c == u'\b')
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClick(box, c.toLatin1());
    }
}

void calcular(frmAmortizacion* ventana, const QStringList& entradas)
{
    const QList<platform::TextBox*> cajas = {ventana->txtPrecio, ventana->txtAnoAlta,
                                             ventana->txtAnoEjerc};
    for (qsizetype i = 0; i < entradas.size(); ++i)
        escribir(cajas[i], entradas[i]);
    QTest::mouseClick(ventana->cmdCalcular, Qt::LeftButton);
}

QStringList textos(std::initializer_list<const platform::TextBox*> cajas)
{
    QStringList textos;
    for (const platform::TextBox* caja : cajas)
        textos << caja->text();
    return textos;
}

QStringList resultados(const frmAmortizacion* v)
{
    return textos({v->txtVaResEst, v->txtValorAmort, v->txtAnoTransc, v->txtCuotaAmort,
                   v->txtAlicuota, v->txtAmAcCiEj, v->txtValResCieAno, v->txtresidual});
}

} // namespace prueba
