#pragma once

#include "RowSorter.h"
#include "Schema.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace vemtaro::db {

class Connection;
class JetPattern;

/// A query text of a record source, checked and translated for SQLite.
struct CompiledQuery {
    const TableSchema* table = nullptr;
    /// One read-only SELECT of the matching rows in key order, yielding the key column and
    /// then the value of each field of `ordering`.
    QString selectSql;
    /// The patterns of the `?1`, `?2`, ... parameters of `selectSql`, compiled once.
    std::vector<std::shared_ptr<const JetPattern>> patterns;
    /// The requested order (a RowSorter puts the rows in it); empty for key order.
    std::vector<SortField> ordering;

    /// Binds `patterns` to `statement`, prepared from `selectSql`. They stay owned here: this
    /// query must outlive the statement's steps.
    void bindPatterns(sqlite3_stmt* statement) const;
};

/// Checks and translates a record-source text: a bare table name, or a Jet SELECT of all
/// fields of one table with LIKE / not like conditions and an ORDER BY, in the forms the
/// search windows build. Anything else (a second statement, a write, another table, a
/// function, an unknown field, a malformed pattern) throws DbError with a Spanish
/// description; nothing is ever run here.
CompiledQuery compileQuery(const Connection& db, const QString& text);

} // namespace vemtaro::db
