#pragma once

#include "RowSorter.h"
#include "Schema.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vemtaro::db {

class Connection;

/// A query text of a record source, checked and translated for SQLite.
struct CompiledQuery {
    const TableSchema* table = nullptr;
    /// One read-only SELECT of the matching rows in key order, yielding the key column and
    /// then the value of each field of `ordering`.
    QString selectSql;
    /// UTF-8 texts bound in order to the `?1`, `?2`, ... parameters of `selectSql`.
    std::vector<QByteArray> parameters;
    /// The requested order (a RowSorter puts the rows in it); empty for key order.
    std::vector<SortField> ordering;
};

/// Checks and translates a record-source text: a bare table name, or a Jet SELECT of all
/// fields of one table with LIKE / not like conditions and an ORDER BY, in the forms the
/// search windows build. Anything else (a second statement, a write, another table, a
/// function, an unknown field, a malformed pattern) throws DbError with a Spanish
/// description; nothing is ever run here.
CompiledQuery compileQuery(const Connection& db, const QString& text);

} // namespace vemtaro::db
