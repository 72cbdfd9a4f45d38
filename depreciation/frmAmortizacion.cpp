#include "frmAmortizacion.h"

#include "platform/Look.h"
#include "platform/MessageBox.h"
#include "platform/RegionalNumbers.h"

#include <QDate>
#include <cmath>
#include <utility>
#include <vector>

namespace vemtaro {

using namespace platform;
using depreciation::CuentaActual;

namespace {

const QColor rojo = bgr(0x000000FF);
const QColor amarilloClaro = bgr(0x00C0FFFF);
const QColor rosa = bgr(0x00C0C0FF);

/// A bold red caption, wrapped within its place when it is long.
Label* rotulo(const QString& caption, const char* name, int left, int top, int width, int height,
              QWidget* parent)
{
    auto* label = Form::place(new Label(caption, parent), name, left, top, width, height);
    label->setFont(sansFont(9.75, true));
    label->setWordWrap(true);
    setColor(label, QPalette::WindowText, rojo);
    return label;
}

/// A text box; a disabled one still shows its text in full colour, since the clerk reads it.
TextBox* caja(const char* name, int left, int top, int width, int height, bool enabled,
              QWidget* parent)
{
    auto* box = Form::place(new TextBox(parent), name, left, top, width, height);
    box->setFont(sansFont(12));
    box->setEnabled(enabled);
    setColor(box, QPalette::Text, box->palette().color(QPalette::Active, QPalette::Text));
    setColor(box, QPalette::Base, box->palette().color(QPalette::Active, QPalette::Base));
    return box;
}

/// A box for a result, whose type shrinks as far as the whole figure needs.
TextBox* resultado(const char* name, int left, int top, int width, QWidget* parent)
{
    TextBox* box = caja(name, left, top, width, 435, false, parent);
    box->shrinkToFit();
    return box;
}

/// A bar of the result panel's border: a box that holds nothing and takes no input.
TextBox* barra(const char* name, int left, int top, int width, int height, QWidget* parent)
{
    TextBox* bar = caja(name, left, top, width, height, false, parent);
    bar->setReadOnly(true);
    bar->setFocusPolicy(Qt::NoFocus);
    setColor(bar, QPalette::Base, bar->palette().color(QPalette::Active, QPalette::Highlight));
    return bar;
}

/// Ends the calculation at the step that cannot be worked out; `mensaje` tells the clerk why.
struct CalculoDetenido {
    QString mensaje;
};

/// The arithmetic of one step of the calculation, guarded: a division by zero, an overflow or
/// an invalid operation stops the calculation with a message naming what the step works out.
class Paso {
public:
    explicit Paso(QString resultado) : m_resultado(std::move(resultado)) {}

    const QString& resultado() const { return m_resultado; }

    double resta(double a, double b) const { return verificado(a - b); }
    double suma(double a, double b) const { return verificado(a + b); }
    double producto(double a, double b) const { return verificado(a * b); }
    /// a ÷ b, where `divisor` names b for the clerk.
    double cociente(double a, double b, const QString& divisor) const
    {
        if (b == 0)
            detener(QStringLiteral("división por cero (%1 es 0)").arg(divisor));
        return verificado(a / b);
    }

    /// `value`, when it is a finite number.
    double verificado(double value) const
    {
        if (std::isnan(value))
            detener(QStringLiteral("la operación no es válida"));
        if (std::isinf(value))
            detener(QStringLiteral("el resultado es demasiado grande"));
        return value;
    }

private:
    [[noreturn]] void detener(const QString& causa) const
    {
        throw CalculoDetenido{
            QStringLiteral("No se pudo calcular %1: %2.").arg(m_resultado, causa)};
    }

    QString m_resultado;
};

/// `box` read as a number; stops the calculation when it holds none.
double leer(const TextBox* box, const QString& nombre)
{
    if (const auto value = toNumber(box->text()))
        return *value;
    throw CalculoDetenido{QStringLiteral("El campo %1 no contiene un número válido.").arg(nombre)};
}

/// Sets a money box, whose change handler formats the text; a box left empty had a text
/// beyond the range of amounts, and the calculation stops there.
void fijarImporte(TextBox* box, const QString& texto, const Paso& paso)
{
    box->setText(texto);
    if (box->text().isEmpty())
        throw CalculoDetenido{
            QStringLiteral("No se pudo mostrar %1: el importe excede el rango admitido.")
                .arg(paso.resultado())};
}

/// A key typed into an emptied box finds "0" there first, with the caret after it, so that a
/// digit typed next follows the 0 and the number reads as typed.
void rellenarConCero(TextBox* box)
{
    if (!box->text().isEmpty())
        return;
    box->setText(QStringLiteral("0"));
    box->setSelStart(1);
}

} // namespace

frmAmortizacion::frmAmortizacion(const CuentaActual& cuenta)
    : Form(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAmortizacion"));
    setWindowTitle(QStringLiteral("Consulta de Amortizaciones"));
    // A tool window would not count as a main window; the program must not end while the
    // clerk still works here, whichever window closed last before.
    setAttribute(Qt::WA_QuitOnClose);
    setFont(sansFont(9.75));
    setClientSizeTwips(11910, 8625);
    setFixedSize(size());
    // A tool window does not keep the program running by itself; this one is a window of the
    // program like any other, which ends only when the last of them has closed.
    setAttribute(Qt::WA_QuitOnClose);

    crearCuenta();
    crearEntradas();
    crearResultados();
    ordenarTabulacion();
    conectarEventos();
    Form_Load(cuenta);
}

void frmAmortizacion::crearCuenta()
{
    rotulo(QStringLiteral("CODIGO"), "lblCodigo", 240, 240, 1455, 240, this);
    txtCodigo = caja("txtCodigo", 240, 480, 1455, 495, false, this);
    setColor(txtCodigo, QPalette::Text, rojo);
    rotulo(QStringLiteral("CLASE"), "lblClase", 1920, 240, 1335, 240, this);
    txtClase = caja("txtClase", 1920, 480, 1335, 495, false, this);
    rotulo(QStringLiteral("DESCRIPCION"), "lblDescr", 3480, 240, 5055, 240, this);
    txtDescr = caja("txtDescr", 3480, 480, 5055, 495, false, this);
    rotulo(QStringLiteral("RUBRO"), "lblRubro", 8760, 240, 2910, 240, this);
    txtrubro = caja("txtrubro", 8760, 480, 2910, 495, false, this);
}

void frmAmortizacion::crearEntradas()
{
    rotulo(QStringLiteral("VIDA UTIL"), "lblVidaUtil", 240, 1200, 1455, 240, this);
    Text2 = caja("Text2", 240, 1440, 1455, 495, false, this);
    rotulo(QStringLiteral("PRECIO:"), "lblPrecio", 1920, 1200, 3015, 240, this);
    txtPrecio = caja("txtPrecio", 1920, 1440, 3015, 495, true, this);
    // Zero in the region's own separators ("0,00", "0.00"), so that it reads back as a price.
    txtPrecio->setText(moneyFormat(QStringLiteral("0")).text);
    rotulo(QStringLiteral("AÑO DEL ALTA"), "lblAnoAlta", 5160, 1200, 2055, 240, this);
    txtAnoAlta = caja("txtAnoAlta", 5160, 1440, 2055, 495, true, this);
    txtAnoAlta->setText(QStringLiteral("0"));
    rotulo(QStringLiteral("AÑO DEL EJERCICIO"), "lblAnoEjerc", 7440, 1200, 2295, 240, this);
    txtAnoEjerc = caja("txtAnoEjerc", 7440, 1440, 2295, 495, true, this);
}

void frmAmortizacion::crearResultados()
{
    Frame1 = new Frame(QString(), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    setColor(Frame1, QPalette::Window, amarilloClaro);
    Frame1->setAutoFillBackground(true);
    place(Frame1, 240, 2160, 11430, 4920);

    Text1 = barra("Text1", 120, 240, 11190, 105, Frame1);
    Text3 = barra("Text3", 120, 4575, 11190, 105, Frame1);
    Text4 = barra("Text4", 120, 240, 105, 4440, Frame1);
    Text5 = barra("Text5", 11205, 240, 105, 4440, Frame1);

    // Left column: caption, then box, five rows.
    const auto izquierda = [this](const QString& caption, const char* labelName,
                                  const char* boxName, int top) {
        rotulo(caption, labelName, 360, top, 3120, 435, Frame1)
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return resultado(boxName, 3600, top, 2055, Frame1);
    };
    txtVaResEst =
        izquierda(QStringLiteral("VALOR RESIDUAL ESTIMADO:"), "lblVaResEst", "txtVaResEst", 480);
    txtValorAmort =
        izquierda(QStringLiteral("VALOR AMORTIZABLE:"), "lblValorAmort", "txtValorAmort", 1260);
    txtAnoTransc = izquierda(QStringLiteral("AÑOS TRANSCURRIDOS DE USO"), "lblAnoTransc",
                             "txtAnoTransc", 2040);
    txtCuotaAmort =
        izquierda(QStringLiteral("CUOTA DE AMORTIZACION:"), "lblCuotaAmort", "txtCuotaAmort", 2820);
    txtAlicuota = izquierda(QStringLiteral("ALICUOTA:"), "lblAlicuota", "txtAlicuota", 3600);
    auto* porcentaje = new Label(QStringLiteral("%"), Frame1);
    porcentaje->setObjectName(QStringLiteral("lblPorcentaje"));
    porcentaje->setFont(sansFont(12));
    place(porcentaje, 5715, 3600, 300, 435);

    // Right column: the long captions take two lines.
    const auto derecha = [this](const QString& caption, const char* labelName, const char* boxName,
                                int top) {
        rotulo(caption, labelName, 6120, top - 165, 2880, 765, Frame1)
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return resultado(boxName, 9120, top, 1980, Frame1);
    };
    txtAmAcCiEj = derecha(QStringLiteral("AMORTIZACION ACUMULADA AL CIERRE DE EJERCICIO:"),
                          "lblAmAcCiEj", "txtAmAcCiEj", 480);
    txtValResCieAno = derecha(QStringLiteral("VALOR RESIDUAL AL CIERRE DEL EJERCICIO:"),
                              "lblValResCieAno", "txtValResCieAno", 1620);

    // The disposal amount lies over the frame's right column, on the window itself.
    rotulo(QStringLiteral("IMPORTE RESIDUAL: DE BAJA:"), "lblResidual", 6360, 5595, 2880, 765, this)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtresidual = resultado("txtresidual", 9360, 5760, 1980, this);
    setColor(txtresidual, QPalette::Base, rosa);

    cmdCalcular = new CommandButton(QStringLiteral("&Calcular"), this);
    cmdCalcular->setObjectName(QStringLiteral("cmdCalcular"));
    cmdCalcular->setFont(sansFont(18, true));
    place(cmdCalcular, (11910 - 2910) / 2, 7320, 2910, 1095);
}

void frmAmortizacion::ordenarTabulacion()
{
    setTabOrderByIndex({{0, txtPrecio},
                        {2, txtAnoAlta},
                        {3, txtAnoEjerc},
                        {4, cmdCalcular},
                        {6, txtCodigo},
                        {8, txtClase},
                        {14, txtDescr},
                        {15, txtrubro},
                        {16, Text2},
                        {18, txtValorAmort},
                        {19, txtValResCieAno},
                        {20, txtAmAcCiEj},
                        {21, txtAlicuota},
                        {22, txtVaResEst},
                        {23, txtCuotaAmort},
                        {24, txtAnoTransc},
                        {38, txtresidual}});
    txtPrecio->setFocus();
}

void frmAmortizacion::conectarEventos()
{
    cmdCalcular->Click = [this] { cmdCalcular_Click(); };
    txtPrecio->KeyPress = [this](int& keyAscii) { txtPrecio_KeyPress(keyAscii); };
    txtAnoAlta->KeyPress = [this](int& keyAscii) { txtAnoAlta_KeyPress(keyAscii); };
    txtVaResEst->Change = [this] { txtVaResEst_Change(); };
    txtValorAmort->Change = [this] { txtValorAmort_Change(); };
    txtCuotaAmort->Change = [this] { txtCuotaAmort_Change(); };
    txtAlicuota->Change = [this] { txtAlicuota_Change(); };
    txtAmAcCiEj->Change = [this] { txtAmAcCiEj_Change(); };
    txtValResCieAno->Change = [this] { txtValResCieAno_Change(); };
    txtresidual->Change = [this] { txtresidual_Change(); };
    txtAnoTransc->Change = [this] { txtAnoTransc_Change(); };
}

void frmAmortizacion::Form_Load(const CuentaActual& cuenta)
{
    txtCodigo->setText(cuenta.cuenta);
    txtClase->setText(cuenta.subcuenta);
    txtDescr->setText(cuenta.descripcion);
    txtrubro->setText(cuenta.rubro);
    Text2->setText(cuenta.vidaUtil);
    txtAnoEjerc->setText(QString::number(QDate::currentDate().year()));
}

void frmAmortizacion::cmdCalcular_Click()
{
    try {
        calcular();
    } catch (const CalculoDetenido& detenido) {
        MessageBox::show(detenido.mensaje, vbOKOnly);
    }
}

void frmAmortizacion::calcular()
{
    // What an earlier calculation left must not pass for a result of these inputs when this
    // one stops half-way.
    for (TextBox* box : {txtVaResEst, txtValorAmort, txtAnoTransc, txtCuotaAmort, txtAlicuota,
                         txtAmAcCiEj, txtValResCieAno, txtresidual})
        box->setText(QString());

    const double precio = leer(txtPrecio, QStringLiteral("PRECIO"));
    const double anoAlta = leer(txtAnoAlta, QStringLiteral("AÑO DEL ALTA"));
    const double anoEjercicio = leer(txtAnoEjerc, QStringLiteral("AÑO DEL EJERCICIO"));
    const double vidaUtil = leadingNumber(Text2->text());

    const Paso valorResidual(QStringLiteral("el VALOR RESIDUAL ESTIMADO"));
    fijarImporte(txtVaResEst, QStringLiteral("1"), valorResidual);
    const double residual = leer(txtVaResEst, QStringLiteral("VALOR RESIDUAL ESTIMADO"));

    const Paso amortizable(QStringLiteral("el VALOR AMORTIZABLE"));
    fijarImporte(txtValorAmort, toText(amortizable.resta(precio, residual)), amortizable);

    const Paso transcurridos(QStringLiteral("los AÑOS TRANSCURRIDOS DE USO"));
    txtAnoTransc->setText(
        toText(transcurridos.suma(transcurridos.resta(anoEjercicio, anoAlta), 1)));
    const double anos = leer(txtAnoTransc, QStringLiteral("AÑOS TRANSCURRIDOS DE USO"));

    // The quota and the rate take the useful life through text and back.
    const Paso cuota(QStringLiteral("la CUOTA DE AMORTIZACION"));
    const double vida = leadingNumber(toText(cuota.verificado(vidaUtil)));
    const QString laVidaUtil = QStringLiteral("la VIDA UTIL");
    fijarImporte(txtCuotaAmort,
                 toText(cuota.cociente(cuota.resta(precio, residual), vida, laVidaUtil)), cuota);
    const double cuotaAnual = leer(txtCuotaAmort, QStringLiteral("CUOTA DE AMORTIZACION"));

    const Paso alicuota(QStringLiteral("la ALICUOTA"));
    fijarImporte(txtAlicuota, toText(alicuota.cociente(100, vida, laVidaUtil)), alicuota);

    const Paso acumulada(QStringLiteral("la AMORTIZACION ACUMULADA AL CIERRE DE EJERCICIO"));
    fijarImporte(txtAmAcCiEj, toText(acumulada.producto(anos, cuotaAnual)), acumulada);
    const double amortizado =
        leer(txtAmAcCiEj, QStringLiteral("AMORTIZACION ACUMULADA AL CIERRE DE EJERCICIO"));

    const Paso alCierre(QStringLiteral("el VALOR RESIDUAL AL CIERRE DEL EJERCICIO"));
    fijarImporte(txtValResCieAno,
                 toText(alCierre.resta(alCierre.resta(precio, residual), amortizado)), alCierre);
    const double valorAlCierre =
        leer(txtValResCieAno, QStringLiteral("VALOR RESIDUAL AL CIERRE DEL EJERCICIO"));

    const Paso deBaja(QStringLiteral("el IMPORTE RESIDUAL DE BAJA"));
    const double cociente =
        deBaja.cociente(valorAlCierre, cuotaAnual, QStringLiteral("la CUOTA DE AMORTIZACION"));
    fijarImporte(txtresidual,
                 toText(deBaja.suma(deBaja.producto(cociente, cuotaAnual), cuotaAnual)), deBaja);

    // Past its useful life the asset is written off (the value at close stays as worked out).
    if (vidaUtil < anos) {
        fijarImporte(txtresidual, QStringLiteral("1"), deBaja);
        fijarImporte(txtAmAcCiEj, QStringLiteral("0"), acumulada);
    }
    // Bought in the fiscal year, it leaves at its price. The years are compared as the numbers
    // they read, so that "02004" (an emptied box typed into) is the year 2004.
    if (anoAlta == anoEjercicio)
        fijarImporte(txtresidual, txtPrecio->text(), deBaja);
}

void frmAmortizacion::txtPrecio_KeyPress(int& keyAscii)
{
    Q_UNUSED(keyAscii); // the price takes every key
    rellenarConCero(txtPrecio);
}

void frmAmortizacion::txtAnoAlta_KeyPress(int& keyAscii)
{
    rellenarConCero(txtAnoAlta);
    const bool digito = keyAscii >= 48 && keyAscii <= 57;
    if (!digito && keyAscii != 8)
        keyAscii = 0;
}

void frmAmortizacion::formatearImporte(TextBox* box)
{
    if (box->text().isEmpty())
        return;
    const MoneyText importe = moneyFormat(box->text());
    box->setText(importe.ok() ? importe.text : QString());
}

void frmAmortizacion::txtVaResEst_Change()
{
    formatearImporte(txtVaResEst);
}

void frmAmortizacion::txtValorAmort_Change()
{
    formatearImporte(txtValorAmort);
}

void frmAmortizacion::txtCuotaAmort_Change()
{
    formatearImporte(txtCuotaAmort);
}

void frmAmortizacion::txtAlicuota_Change()
{
    formatearImporte(txtAlicuota);
}

void frmAmortizacion::txtAmAcCiEj_Change()
{
    formatearImporte(txtAmAcCiEj);
}

void frmAmortizacion::txtValResCieAno_Change()
{
    formatearImporte(txtValResCieAno);
    const auto valor = toNumber(txtValResCieAno->text());
    if (valor && *valor < 0)
        txtValResCieAno->setText(QStringLiteral("0"));
}

void frmAmortizacion::txtresidual_Change()
{
    formatearImporte(txtresidual);
}

void frmAmortizacion::txtAnoTransc_Change()
{
    const auto anos = toNumber(txtAnoTransc->text());
    if (anos && *anos <= 0)
        MessageBox::show(
            QStringLiteral("El Año de Alta debe ser un numero igual o menor al Año de Ejercicio"),
            vbOKOnly);
}

} // namespace vemtaro
