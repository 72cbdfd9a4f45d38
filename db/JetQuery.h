#pragma once

#include "Schema.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vemtaro::db {

class Connection;

/// A query text of a record source, checked and translated for SQLite.
struct CompiledQuery {
    const TableSchema* table = nullptr;
    /// One read-only SELECT that yields only the key column of the matching rows, in the
    /// requested order (ties and unordered results in key order).
    QString keySql;
    /// UTF-8 texts bound in order to the `?1`, `?2`, ... parameters of `keySql`.
    std::vector<QByteArray> parameters;
};

/// Checks and translates a record-source text: a bare table name, or a Jet SELECT of all
/// fields of one table with LIKE / not like conditions and an ORDER BY, in the forms the
/// search windows build. Anything else (a second statement, a write, another table, a
/// function, an unknown field, a malformed pattern) throws DbError with a Spanish
/// description; nothing is ever run here.
CompiledQuery compileQuery(const Connection& db, const QString& text);

} // namespace vemtaro::db
