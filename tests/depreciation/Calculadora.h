#pragma once

#include "depreciation/AbrirAmortizacion.h"
#include "depreciation/frmAmortizacion.h"

#include <QWidget>
#include <memory>

namespace prueba {

/// A shown window standing in for the chart window that opens the calculator.
class VentanaDeCuentas {
public:
    VentanaDeCuentas();
    ~VentanaDeCuentas();
    QWidget* widget() const { return m_widget.get(); }
    /// Presses "Consultar Amortizacion" with the account that shows useful life `vidaUtil`.
    vemtaro::frmAmortizacion* consultar(const QString& vidaUtil);
    void consultar(const vemtaro::depreciation::CuentaActual& cuenta);
    void cerrar() { m_widget.reset(); }

private:
    std::unique_ptr<QWidget> m_widget;
};

/// The calculator window that is open, or null.
vemtaro::frmAmortizacion* calculadoraAbierta();

/// Closes every calculator window and lets it be destroyed.
void cerrarCalculadoras();

/// Types each character of `teclas` into the box, "\b" as the Backspace key.
void teclear(vemtaro::platform::TextBox* box, const QString& teclas);

/// Replaces the box's text by typing: Ctrl+A, then `texto`; an empty `texto` is a Backspace.
void escribir(vemtaro::platform::TextBox* box, const QString& texto);

/// Types the three inputs and clicks "&Calcular".
void calcular(vemtaro::frmAmortizacion* ventana, const QString& precio, const QString& anoAlta,
              const QString& anoEjercicio);

/// The result boxes' texts, in the order of the calculation's steps.
QStringList resultados(const vemtaro::frmAmortizacion* ventana);

} // namespace prueba
