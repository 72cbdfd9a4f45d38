#pragma once

#include "DbError.h"

#include <QString>

struct sqlite3;

namespace vemtaro::db {

/// Why the engine failed with the result `code` (primary or extended), as a Spanish phrase
/// that completes a sentence after a colon: "el archivo parece dañado", "otro programa la está
/// usando". Never the engine's own English text.
QString engineReason(int code);

/// The last failure on `db` as the clerk reads it: a Spanish sentence that names the database
/// file where the fault lies with the file (damaged, in use, read-only), and the fields a rule
/// of the table refused. Only a trigger's RAISE text, written for the clerk, is passed through.
DbError engineFailure(sqlite3* db);

} // namespace vemtaro::db
