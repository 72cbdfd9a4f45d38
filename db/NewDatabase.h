#pragma once

#include <QString>
#include <functional>

struct sqlite3;

namespace vemtaro::db {

/// Builds the database file `path` whole or not at all. `fill` writes into a new, empty
/// database opened under a temporary name in the same folder, inside one transaction that is
/// committed when it returns; the closed file is then renamed to `path`. An existing file is
/// never replaced: when one is at `path` by then, what was built is discarded and false is
/// returned. The folder must exist. Throws DbError when the file cannot be built, and passes
/// on whatever `fill` throws; either way nothing is left behind.
bool buildNewDatabase(const QString& path, const std::function<void(sqlite3*)>& fill);

/// Runs `sql` (one or more statements) on `db`. Throws DbError with the engine's reason.
void runSql(sqlite3* db, const QByteArray& sql);

} // namespace vemtaro::db
