#pragma once

#include "platform/Controls.h"
#include "platform/DataCombo.h"
#include "platform/SearchForm.h"

#include <functional>

namespace vemtaro {

/// The chart of accounts window: the window the program starts with and the hub from which
/// the clerk searches, edits, prints, and opens the other windows.
///
/// Every creation starts from the same state: the grid shows the whole `vemtaro` table in
/// its own order, the editor's boxes are disabled, and the focus is on CmdEjecutar. Closing it
/// destroys it; the other windows create it afresh when they return.
///
/// The basic search narrows the grid by one field, chosen with the option buttons, and up to
/// two further words that the description must contain; each search is one Jet query text,
/// kept in TxtSQL and handed to the record source.
///
/// The record editor below the search area adds, edits and deletes accounts through the
/// record source. The window keeps no mode variable: browsing, adding and editing are the
/// enabled states of its buttons and boxes. While adding or editing only Salvar and Cancelar
/// can be pressed, and Enter moves on to the next box.
class FrmConsulVemtaro : public platform::SearchForm {
    Q_OBJECT
public:
    /// Opens the accounts database of the data folder; throws db::DbError when it cannot.
    FrmConsulVemtaro();
    ~FrmConsulVemtaro() override;

    // Search area
    platform::Frame* Frame1;
    platform::OptionButton* OptDesc;
    platform::OptionButton* Optclase;
    platform::OptionButton* optCod;
    platform::OptionButton* optRubr;
    platform::OptionButton* optVidaU;
    platform::Label* Label6;
    platform::TextBox* Text1;
    platform::TextBox* Text3;
    platform::TextBox* Text4;
    platform::LookupSource* AdodcCodigo1;
    platform::LookupSource* AdodcRubro1;
    platform::LookupSource* AdodcVidaU1;
    platform::DataCombo* DataCodigo;
    platform::DataCombo* DataRubro;
    platform::DataCombo* DataVidaU;
    platform::Label* Label8;
    platform::ComboBox* cbobusc;
    platform::ComboBox* cbobusc2;
    platform::Line* Line2;
    platform::Line* Line3;
    platform::Line* Line4;
    platform::Line* Line5;
    platform::CommandButton* CmdEjecutar;
    platform::CommandButton* cmdRestablecer;
    platform::CommandButton* CmdImprimir;
    platform::CommandButton* cmdBuscAv;
    // TxtSQL, dcdatos, the result grid dbgResultados and the zoom pair come with the
    // search window.

    // Record editor
    platform::Line* Line1;
    platform::Label* Label1;
    platform::Label* Label2;
    platform::Label* Label3;
    platform::Label* Label4;
    platform::Label* Label7;
    platform::Label* Label5;
    platform::TextBox* txtCuenta;
    platform::TextBox* txtSubcuenta;
    platform::TextBox* txtDescr;
    platform::DataCombo* Datarubro2;
    platform::TextBox* txtrubro;
    platform::TextBox* Text2;
    platform::MultiLineTextBox* txtObserv;
    platform::CommandButton* CmdNuevo;
    platform::CommandButton* cmdEdicion;
    platform::CommandButton* cmdSalvar;
    platform::CommandButton* cmdEliminar;
    platform::CommandButton* cmdCancelar;
    platform::CommandButton* cmdSalir;
    platform::CommandButton* cmdAmort;
    platform::CommandButton* cmdReferencias;
    /// Opens the change history, modal, where a change can be undone.
    platform::CommandButton* cmdHistorial;

    void habilitarBotonesComando();
    void deshabilitarBotonesComando();
    void habilitarCajasTexto();
    void deshabilitarCajasTexto();

protected:
    void Form_KeyPress(int& keyAscii) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void crearAreaDeBusqueda();
    void crearGrilla();
    void crearEditor();
    void ordenarTabulacion();
    void conectarEventos();
    void Form_Load();

    void CmdEjecutar_Click();
    void cmdRestablecer_Click();
    void CmdImprimir_Click();
    void OptDesc_Click();
    void Optclase_Click();
    void optCod_Click();
    void optRubr_Click();
    void optVidaU_Click();
    void Text1_GotFocus();
    /// Shows Text1 and, below it, the one lookup list that feeds it (or none).
    void ofrecerPalabra(platform::DataCombo* lista);
    /// The query text of the selected search field, the words and the ordering text.
    QString consultaDeBusqueda() const;

    void cmdBuscAv_Click();
    void cmdReferencias_Click();
    void cmdSalir_Click();
    void cmdAmort_Click();
    void cmdHistorial_Click();
    /// Runs the current query again after the history window changed the database, keeping
    /// the current account current where it is still in the result (else the same position).
    void mostrarLaBaseActual();

    void CmdNuevo_Click();
    void cmdEdicion_Click();
    void cmdSalvar_Click();
    void cmdCancelar_Click();
    void cmdEliminar_Click();
    void txtCuenta_KeyPress(int& keyAscii);
    void txtSubcuenta_KeyPress(int& keyAscii);
    void txtDescr_Change();
    void txtDescr_LostFocus();
    void txtrubro_KeyPress(int& keyAscii);
    void Text2_GotFocus();
    /// Runs `comenzar` (a new record, or an edit of the current one); when it succeeds, goes
    /// adding or editing with the focus on txtCuenta, else tells the failure and stays browsing.
    void abrirRegistro(const std::function<void()>& comenzar);
    /// Adding or editing: every box enabled, only Salvar and Cancelar pressable.
    void empezarEdicion();
    /// Browsing again after a save or a cancel: every button but Salvar, the search-word boxes
    /// and no editor box enabled.
    void terminarEdicion();

    /// Set while the window closes to make way for another window, which leaves the
    /// extended search window alone.
    bool m_switching = false;
};

} // namespace vemtaro
