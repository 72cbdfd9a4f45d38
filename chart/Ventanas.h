#pragma once

#include <QPointer>
#include <QWidget>

namespace vemtaro {

class FrmConsulVemtaro;
class FrmConsulExt;

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

/// The extended search window: shows it, not modal, and returns it. It is created when it is
/// not loaded; when its database cannot be opened, says so in a message box and returns null.
///
/// Its "Volver a Busqueda Básica" brings up a fresh chart window and closes the extended one;
/// a new extended window is then loaded hidden and reset, so that the next opening shows the
/// reset's result.
FrmConsulExt* mostrarFrmConsulExt();
/// The extended search window while it is loaded, visible or hidden; null otherwise.
FrmConsulExt* frmConsulExtCargada();

/// Shows the references viewer modally on the document of the data folder.
QWidget* mostrarFrmReferencias();

} // namespace vemtaro
