#pragma once

#include "depreciation/AbrirAmortizacion.h"
#include "depreciation/frmAmortizacion.h"

#include <QObject>
#include <initializer_list>
#include <memory>

namespace prueba {

/// The ground every calculator test stands on: es_AR numbers, recorded message boxes and a
/// shown window standing in for the chart window. After each test the calculators are closed,
/// and a message box no test took is a failure.
class PruebaDeCalculadora : public QObject {
    Q_OBJECT
protected:
    /// Presses "Consultar Amortizacion" on `cuenta`; returns the calculator then open, or null.
    vemtaro::frmAmortizacion* consultar(const vemtaro::depreciation::CuentaActual& cuenta);
    /// The same on a computer-equipment account whose useful life reads `vidaUtil`.
    vemtaro::frmAmortizacion* consultar(const QString& vidaUtil);
    void cerrarVentanaDeCuentas() { m_cuentas.reset(); }

private Q_SLOTS:
    void init();
    void cleanup();

private:
    std::unique_ptr<QWidget> m_cuentas;
};

/// The prompts of the message boxes shown since the last call, oldest first; one that is not an
/// OK-only box with the application's title is marked so.
QStringList avisos();

/// The calculator window that is open, or null.
vemtaro::frmAmortizacion* calculadoraAbierta();

/// Replaces the box's text by typing: Ctrl+A, then each character of `teclas`, "\b" as the
/// Backspace key; an empty `teclas` is one Backspace.
void escribir(vemtaro::platform::TextBox* box, const QString& teclas);

/// Types the price, the year of acquisition and the fiscal year, as many of them as
/// `entradas` holds, and clicks "&Calcular".
void calcular(vemtaro::frmAmortizacion* ventana, const QStringList& entradas);

/// The boxes' texts, in order.
QStringList textos(std::initializer_list<const vemtaro::platform::TextBox*> cajas);

/// The result boxes' texts, in the order of the calculation's steps.
QStringList resultados(const vemtaro::frmAmortizacion* ventana);

} // namespace prueba
