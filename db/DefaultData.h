#pragma once

struct sqlite3;

namespace vemtaro::db {

/// Creates the tables of the accounts database in `db`, which must be empty. Throws DbError.
void createSchema(sqlite3* db);

/// Makes sure the accounts database exists: when the file at databasePath() is missing, it
/// creates the data folder and writes a database holding the sample chart of accounts, its
/// extended view and the lookup tables. The file appears whole or not at all (it is built
/// under another name in the same folder and then renamed). An existing file, whatever it
/// holds, is never touched. Throws DbError with a Spanish description when it cannot.
void ensureDefaultDatabase();

} // namespace vemtaro::db
