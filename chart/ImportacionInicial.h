#pragma once

#include "import/Importer.h"

#include <QProgressDialog>

namespace vemtaro {

/// The progress of the first start's import: it appears only when the import lasts more
/// than a moment, tells the table and the rows, and lets the clerk stop it.
class DialogoImportacion : public QProgressDialog {
public:
    /// How long an import runs before the dialog appears.
    static constexpr int esperaMs = 800;

    DialogoImportacion();
    /// Shows `progress` (processing pending events now and then, through QProgressDialog);
    /// false once the clerk has pressed "Cancelar".
    bool avanzar(const importing::ImportProgress& progress);
};

/// When the accounts database is missing and the data folder holds the office's old Access
/// database, builds the accounts database from it, with a progress dialog for a long import,
/// and then shows the summary in a message box. Does nothing otherwise. Throws db::DbError
/// when the import fails or is stopped: then no database was made.
void importarBaseAnterior();

} // namespace vemtaro
