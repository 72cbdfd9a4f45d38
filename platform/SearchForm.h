#pragma once

#include "Controls.h"
#include "DataControl.h"
#include "DataGrid.h"
#include "Form.h"

#include <memory>

namespace vemtaro::db {
class Connection;
}

namespace vemtaro::platform {

/// What both search windows have alike: the accounts database, a record source `dcdatos`
/// with its result grid `dbgResultados`, the hidden box `TxtSQL` that holds the query text last
/// built, the pair of zoom buttons, the record-position caption, and the apply step.
///
/// A window derived from it places these controls and builds its own query texts; it hands
/// each one to consultar().
class SearchForm : public Form {
    Q_OBJECT
public:
    /// Opens the accounts database of the data folder and the record source on
    /// `recordSource` (a table name: the whole table in its own order). Throws db::DbError
    /// when either cannot be opened.
    explicit SearchForm(const QString& recordSource);
    ~SearchForm() override;

    DataControl* dcdatos;
    DataGrid* dbgResultados;
    MultiLineTextBox* TxtSQL;
    /// One place, one visible at a time: cmdzoom2 (in front) sets the grid's cells to 9
    /// points, cmdzoom1 to 13; each hides itself and shows the other.
    CommandButton* cmdzoom1;
    CommandButton* cmdzoom2;

    /// The caption the record source shows for `position` (0-based, -1 for none) in a result
    /// of `count` records: "Registro:3 de 120", or "No hay entradas de registros" when the
    /// result is empty.
    static QString textoDePosicion(int position, int count);

protected:
    db::Connection& baseDeDatos() { return *m_db; }

    /// Sets the window's caption: `titulo`, a run of blanks, then the office's credit line.
    void ponerTitulo(const QString& titulo);

    /// Keeps `consulta` in TxtSQL as the query last built and applies it (aplicarConsulta).
    void consultar(const QString& consulta);

    /// Makes `text` the record source's query text and runs it, under the busy pointer. A
    /// failure shows "Error: " and the engine's description (OK only, the application's
    /// title) and changes nothing else: the query text stays set to the rejected text.
    void aplicarConsulta(const QString& text);

    /// Selects the whole text of `box`, blanks included, so that typing replaces it.
    static void seleccionarTodo(TextBox* box);

private:
    void dcdatos_Reposition();
    void cmdzoom1_Click();
    void cmdzoom2_Click();

    std::unique_ptr<db::Connection> m_db;
};

} // namespace vemtaro::platform
