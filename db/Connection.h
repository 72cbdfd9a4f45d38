#pragma once

#include "Schema.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3;

namespace vemtaro::db {

/// An open accounts database file.
///
/// The file is opened shared and read-write, in WAL mode with full synchronous writes and a
/// busy timeout, so that another process may read it at the same time. Opening registers on
/// this connection (never in the file's schema) the `jet_like(pattern, value)` function that
/// compiled query texts use.
class Connection {
public:
    /// Opens the existing database file at `path`. Throws DbError when it is missing,
    /// unreadable or not a database of this system.
    static std::unique_ptr<Connection> open(const QString& path);
    ~Connection();

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return m_db; }

    /// The system's own table named `name` (compared without regard to case), or null for any
    /// other name. The tables are vemtaro, extendido, CODIGO, RUBRO and vidaUtil.
    const TableSchema* table(const QString& name) const;

private:
    explicit Connection(sqlite3* db);
    sqlite3* m_db;
    std::vector<TableSchema> m_tables;
};

} // namespace vemtaro::db
