#include "AbrirAmortizacion.h"

#include "frmAmortizacion.h"
#include "platform/MessageBox.h"
#include "platform/RegionalNumbers.h"

#include <QPointer>
#include <QScreen>
#include <algorithm>
#include <limits>

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
    const int ultimaIzquierda = std::max(pantalla.left(), pantalla.right() + 1 - tamano.width());
    const int ultimaArriba = std::max(pantalla.top(), pantalla.bottom() + 1 - tamano.height());
    const int alineadaArriba = std::clamp(junto.top(), pantalla.top(), ultimaArriba);
    const int alineadaIzquierda = std::clamp(junto.left(), pantalla.left(), ultimaIzquierda);
    const QPoint alLado[] = {{junto.right() + 1, alineadaArriba},
                             {junto.left() - tamano.width(), alineadaArriba},
                             {alineadaIzquierda, junto.bottom() + 1},
                             {alineadaIzquierda, junto.top() - tamano.height()}};
    for (const QPoint& lugar : alLado)
        if (pantalla.contains(QRect(lugar, tamano)))
            return lugar;

    // The covered width is least at one end of the places the screen allows, and so is the
    // covered height: one of these covers least.
    QPoint mejor;
    qint64 menosTapado = std::numeric_limits<qint64>::max();
    for (int left : {ultimaIzquierda, pantalla.left()})
        for (int top : {alineadaArriba, pantalla.top(), ultimaArriba}) {
            const QRect tapado = QRect(QPoint(left, top), tamano).intersected(junto);
            const qint64 area = tapado.isEmpty() ? 0 : qint64(tapado.width()) * tapado.height();
            if (area < menosTapado) {
                menosTapado = area;
                mejor = {left, top};
            }
        }
    return mejor;
}

} // namespace vemtaro::depreciation
