#pragma once

struct sqlite3;
struct sqlite3_stmt;

namespace vemtaro::db {

class JetPattern;

/// Registers on the connection `db` (never in the file's schema, so the plain `sqlite3` tool
/// still opens, queries and sorts the file) the SQL function `jet_like(pattern, value)`: NULL
/// when either is NULL (so neither LIKE nor NOT LIKE ever selects a null field), else 1 or 0
/// as `value`, read as text (numbers on their decimal text), matches the JetPattern
/// `pattern`. A malformed pattern fails the statement with the pattern's Spanish description.
/// The compiled pattern is kept for the statement while the pattern argument stays the same
/// (a literal or a bound parameter). Throws DbError when the engine refuses the registration.
void registerJetFunctions(sqlite3* db);

/// Binds the compiled `pattern` to parameter `index` of `statement`, as the pattern argument
/// of `jet_like`: it is matched as it stands, never compiled again, and never read as a text
/// (elsewhere the parameter reads as NULL). The caller keeps `pattern` alive while the
/// statement runs.
void bindJetPattern(sqlite3_stmt* statement, int index, const JetPattern& pattern);

} // namespace vemtaro::db
