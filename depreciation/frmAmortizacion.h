#pragma once

#include "depreciation/AbrirAmortizacion.h"
#include "platform/Controls.h"
#include "platform/Form.h"

namespace vemtaro {

/// The depreciation calculator "Consulta de Amortizaciones": the straight-line depreciation of
/// one asset booked under the account it was opened on.
///
/// The clerk types the price, the year of acquisition and, if need be, the fiscal year;
/// "&Calcular" fills the result boxes. Every money box formats itself whenever its text
/// changes, and each step reads its inputs back from those boxes, so every intermediate result
/// is rounded to the cent before the next step uses it. A step that cannot be worked out stops
/// the calculation with a message; the boxes of the steps before it keep their results and
/// those after it stay empty. Closing the window destroys it.
class frmAmortizacion : public platform::Form {
    Q_OBJECT
public:
    /// Builds the window and runs Form_Load on `cuenta`.
    explicit frmAmortizacion(const depreciation::CuentaActual& cuenta);

    // The account, copied when the window loads
    platform::TextBox* txtCodigo;
    platform::TextBox* txtClase;
    platform::TextBox* txtDescr;
    platform::TextBox* txtrubro;
    platform::TextBox* Text2;

    // Inputs
    platform::TextBox* txtPrecio;
    platform::TextBox* txtAnoAlta;
    platform::TextBox* txtAnoEjerc;
    platform::CommandButton* cmdCalcular;

    // Results
    platform::Frame* Frame1;
    platform::TextBox* txtVaResEst;
    platform::TextBox* txtValorAmort;
    platform::TextBox* txtAnoTransc;
    platform::TextBox* txtCuotaAmort;
    platform::TextBox* txtAlicuota;
    platform::TextBox* txtAmAcCiEj;
    platform::TextBox* txtValResCieAno;
    platform::TextBox* txtresidual;

    // Bars framing the result panel
    platform::TextBox* Text1;
    platform::TextBox* Text3;
    platform::TextBox* Text4;
    platform::TextBox* Text5;

private:
    void crearCuenta();
    void crearEntradas();
    void crearResultados();
    void ordenarTabulacion();
    void conectarEventos();

    void Form_Load(const depreciation::CuentaActual& cuenta);
    void cmdCalcular_Click();
    void calcular();
    void txtPrecio_KeyPress(int& keyAscii);
    void txtAnoAlta_KeyPress(int& keyAscii);
    void txtVaResEst_Change();
    void txtValorAmort_Change();
    void txtCuotaAmort_Change();
    void txtAlicuota_Change();
    void txtAmAcCiEj_Change();
    void txtValResCieAno_Change();
    void txtresidual_Change();
    void txtAnoTransc_Change();

    /// Replaces a money box's text with its money format; a text that has none is removed,
    /// so that no unformatted or garbled figure is shown.
    static void formatearImporte(platform::TextBox* box);
};

} // namespace vemtaro
