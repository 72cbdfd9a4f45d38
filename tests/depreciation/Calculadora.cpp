#include "Calculadora.h"

#include <QApplication>
#include <QTest>

using namespace vemtaro;

namespace prueba {

VentanaDeCuentas::VentanaDeCuentas() : m_widget(std::make_unique<QWidget>())
{
    m_widget->setGeometry(20, 20, 200, 150);
    m_widget->show();
}

VentanaDeCuentas::~VentanaDeCuentas() = default;

frmAmortizacion* VentanaDeCuentas::consultar(const QString& vidaUtil)
{
    consultar({QStringLiteral("4.3.1"), QStringLiteral("03"),
               QStringLiteral("EQUIPOS DE COMPUTACION"), QStringLiteral("EQUIPAMIENTO"), vidaUtil});
    return calculadoraAbierta();
}

void VentanaDeCuentas::consultar(const depreciation::CuentaActual& cuenta)
{
    depreciation::abrirAmortizacion(m_widget.get(), cuenta);
}

frmAmortizacion* calculadoraAbierta()
{
    frmAmortizacion* abierta = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* calculadora = qobject_cast<frmAmortizacion*>(window);
            calculadora && calculadora->isVisible()) {
            if (abierta)
                qFatal("more than one calculator window is open");
            abierta = calculadora;
        }
    return abierta;
}

void cerrarCalculadoras()
{
    while (frmAmortizacion* calculadora = calculadoraAbierta())
        calculadora->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void teclear(platform::TextBox* box, const QString& teclas)
{
    for (QChar c : teclas) {
        if (c == u'\b')
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClick(box, c.toLatin1());
    }
}

void escribir(platform::TextBox* box, const QString& texto)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    teclear(box, texto.isEmpty() ? QStringLiteral("\b") : texto);
}

void calcular(frmAmortizacion* ventana, const QString& precio, const QString& anoAlta,
              const QString& anoEjercicio)
{
    escribir(ventana->txtPrecio, precio);
    escribir(ventana->txtAnoAlta, anoAlta);
    escribir(ventana->txtAnoEjerc, anoEjercicio);
    QTest::mouseClick(ventana->cmdCalcular, Qt::LeftButton);
}

QStringList resultados(const frmAmortizacion* ventana)
{
    QStringList textos;
    for (const platform::TextBox* box :
         {ventana->txtVaResEst, ventana->txtValorAmort, ventana->txtAnoTransc,
          ventana->txtCuotaAmort, ventana->txtAlicuota, ventana->txtAmAcCiEj,
          ventana->txtValResCieAno, ventana->txtresidual})
        textos << box->text();
    return textos;
}

} // namespace prueba
