#pragma once

#include "Importer.h"

namespace vemtaro::importing {

/// The office's old database that this start should bring in: `VemtaroCtasPres.mdb` in the
/// data folder (its name compared without regard to case) while the accounts database is
/// missing. Empty when there is nothing to import.
QString pendingAccessDatabase();

/// The summary of the import, `importacion.txt` beside the accounts database.
QString summaryPath();

struct FirstStartImport {
    ImportSummary summary;
    bool summarySaved; ///< whether the summary was written to summaryPath()
};

/// Builds the accounts database at db::databasePath() from `source` and writes the summary
/// beside it, in UTF-8. Throws db::DbError as importAccessDatabase does, with nothing built.
FirstStartImport importAtFirstStart(const QString& source, const ProgressFunction& progress);

} // namespace vemtaro::importing
