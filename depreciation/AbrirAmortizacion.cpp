#include "AbrirAmortizacion.h"

#include "frmAmortizacion.h"
#include "platform/MessageBox.h"
#include "platform/RegionalNumbers.h"

#include <QPointer>
#include <QScreen>
#include <algorithm>

namespace vemtaro::depreciation {
namespace {

/// The one calculator window while it is open.
QPointer<frmAmortizacion>& calculadoraAbierta()
{
    static QPointer<frmAmortizacion> ventana;
    return ventana;
}

} // namespace

void abrirAmortizacion(QWidget* ventanaCuentas, const CuentaActual& cuenta)
{
    using platform::MessageBox;
    const auto vidaUtil = platform::toNumber(cuenta.vidaUtil);
    if (!vidaUtil) {
        MessageBox::show(QStringLiteral("La Vida Util de la cuenta no es un número válido: no se "
                                        "puede calcular la amortización."),
                         platform::vbOKOnly);
        return;
    }
    if (*vidaUtil == 0) {
        MessageBox::show(QStringLiteral("Este Bien, no se amortiza"), platform::vbOKOnly);
        return;
    }

    QPointer<frmAmortizacion>& ventana = calculadoraAbierta();
    if (ventana) {
        ventana->raise();
        ventana->activateWindow();
        return;
    }
    ventana = new frmAmortizacion(cuenta);
    // Closing unloads it, though its deletion waits for the event loop: forget it at once.
    QObject::connect(ventana, &platform::Form::unloaded, [] { calculadoraAbierta() = nullptr; });
    // Its own frame is not known before it is shown; the chart window's is a fair guess.
    const QSize marco = ventanaCuentas->frameGeometry().size() - ventanaCuentas->size();
    ventana->move(posicionJunto(ventanaCuentas->frameGeometry(), ventana->size() + marco,
                                ventanaCuentas->screen()->availableGeometry()));
    ventana->show();
    ventana->activateWindow();
}

QPoint posicionJunto(const QRect& junto, const QSize& tamano, const QRect& pantalla)
{
    int left = junto.right() + 1;
    if (left + tamano.width() - 1 > pantalla.right())
        left = junto.left() - tamano.width();
    if (left < pantalla.left())
        left = std::max(pantalla.left(), pantalla.right() + 1 - tamano.width());
    const int top =
        std::max(pantalla.top(), std::min(junto.top(), pantalla.bottom() + 1 - tamano.height()));
    return {left, top};
}

} // namespace vemtaro::depreciation
