#pragma once

#include <QPointer>
#include <QWidget>

namespace vemtaro {

class FrmConsulVemtaro;

/// Application-wide settings every window relies on: the name, the style, the title of
/// message boxes, the regional conventions for numbers. Call once after the QApplication
/// exists, before any window.
void prepararAplicacion();

/// Writes the default database and reference document into the data folder where they are
/// missing; never overwrites. A missing database is imported from the office's old Access
/// database when the folder holds it (importarBaseAnterior). Throws db::DbError when the
/// folder cannot be written or the import fails.
void prepararCarpetaDeDatos();

/// Creates the chart window afresh, in its start-up state, and shows it. When the accounts
/// database cannot be opened, says so in a message box and returns null.
FrmConsulVemtaro* mostrarFrmConsulVemtaro();

/// The extended search window: shows it (loading it when it is not loaded) and returns it.
QWidget* mostrarFrmConsulExt();
/// The extended search window while it is loaded, visible or hidden; null otherwise.
QWidget* frmConsulExtCargada();

/// Shows the references viewer modally on the document of the data folder.
QWidget* mostrarFrmReferencias();

} // namespace vemtaro
