#pragma once

#include "platform/Controls.h"
#include "platform/SearchForm.h"

namespace vemtaro {

/// The extended search window: searches table `extendido` with up to four words that a
/// description must contain and three that it must not, in one of three modes that decide
/// what the first word is matched against (the description, the code, or the end of the
/// class), ordered by the field typed into cbobusc.
///
/// Each search and each reset is one Jet query text, kept in TxtSQL and handed to the record
/// source. An exclude box the clerk has not filled holds a run of full stops, never an empty
/// text, since an empty exclude word would exclude every row.
///
/// The window never opens another one: "Volver a Busqueda Básica" only asks, through volver(),
/// for whoever opened it to take the clerk back. Closing it destroys it.
class FrmConsulExt : public platform::SearchForm {
    Q_OBJECT
public:
    /// Opens the accounts database of the data folder with the whole `extendido` table in its
    /// own order; throws db::DbError when it cannot.
    FrmConsulExt();
    ~FrmConsulExt() override;

    platform::Frame* Frame1;
    platform::OptionButton* OptDesc;
    platform::OptionButton* Optclase;
    platform::OptionButton* optCod;
    platform::Label* Label6;
    platform::TextBox* Text1;
    platform::TextBox* Text2;
    platform::TextBox* Text3;
    platform::TextBox* Text4;
    platform::Label* Label1;
    platform::TextBox* Text5;
    platform::TextBox* Text6;
    platform::TextBox* Text7;
    platform::Label* Label8;
    platform::ComboBox* cbobusc;
    platform::CommandButton* CmdEjecutar;
    platform::CommandButton* cmdSalir;
    platform::CommandButton* cmdRestablecer;
    platform::CommandButton* CmdImprimir;
    // TxtSQL, dcdatos, the result grid dbgResultados and the zoom pair come with the
    // search window.

    /// The reset: applies the default query (every described row, by code), empties the
    /// include boxes and puts the placeholder back into the exclude boxes. The mode, cbobusc
    /// and the zoom stay as they are.
    void restablecer();

Q_SIGNALS:
    /// The clerk asked to go back to the basic search.
    void volver();

private:
    void crearAreaDeBusqueda();
    void crearBotones();
    void ordenarTabulacion();
    void conectarEventos();

    /// The query text of the selected mode, the seven words and the ordering text.
    QString consultaDeBusqueda() const;

    void CmdEjecutar_Click();
    void cmdRestablecer_Click();
    void cmdSalir_Click();
    void CmdImprimir_Click();
};

} // namespace vemtaro
