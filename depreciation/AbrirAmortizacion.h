#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace vemtaro::depreciation {

/// The current account as the chart window's editor boxes show it when the calculator is
/// asked for: the texts of txtCuenta, txtSubcuenta, txtDescr, txtrubro and Text2.
struct CuentaActual {
    QString cuenta;
    QString subcuenta;
    QString descripcion;
    QString rubro;
    QString vidaUtil;
};

/// "Consultar Amortizacion" of the chart window `ventanaCuentas` (not null).
///
/// Reads the useful life with the regional rules. A useful life of 0 shows "Este Bien, no se
/// amortiza" and one that is not a number says so; neither opens anything. Otherwise the
/// depreciation calculator is shown modeless beside `ventanaCuentas`, created first with a
/// copy of `cuenta` when it is not open; when it is open it is only brought forward and keeps
/// what it shows. The calculator has no parent: it stays open when the chart window goes, and
/// the program runs on until it is closed.
void abrirAmortizacion(QWidget* ventanaCuentas, const CuentaActual& cuenta);

/// Where a window whose frame is `tamano` goes beside the window framed by `junto`, within the
/// screen area `pantalla`: to its right, else to its left (top aligned with `junto` as far as
/// the screen allows), else below it, else above it (left aligned likewise), the first where
/// the screen holds it whole; where none does, on the screen where it covers least of `junto`.
QPoint posicionJunto(const QRect& junto, const QSize& tamano, const QRect& pantalla);

} // namespace vemtaro::depreciation
