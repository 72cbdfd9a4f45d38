#pragma once

#include <string_view>

struct sqlite3;

namespace vemtaro::db {

/// Registers on the connection `db` (never in the file's schema, so the plain `sqlite3` tool
/// still opens, queries and sorts the file):
/// - the SQL function `jet_like(pattern, value)`: NULL when either is NULL (so neither LIKE
///   nor NOT LIKE ever selects a null field), else 1 or 0 as `value`, read as text (numbers
///   on their decimal text), matches the JetPattern `pattern`. A malformed pattern fails the
///   statement with the pattern's Spanish description. The compiled pattern is kept for the
///   statement while the pattern argument stays the same (a literal or a bound parameter);
/// - the collation `jet_text`, the order of compareJetText.
/// Throws DbError when the engine refuses the registration.
void registerJetFunctions(sqlite3* db);

/// A total order of UTF-8 texts that ignores case: the texts compare by their case-folded
/// characters in code point order (a text before any longer one it begins); texts equal that
/// way compare by their bytes. Negative, 0 or positive, as memcmp.
int compareJetText(std::string_view a, std::string_view b) noexcept;

} // namespace vemtaro::db
