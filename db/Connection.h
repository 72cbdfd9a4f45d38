#pragma once

#include "Schema.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3;

namespace vemtaro::db {

class History;

/// An open accounts database file.
///
/// A file the program may write is opened shared and read-write, in WAL mode with full
/// synchronous writes, so that another process may read it at the same time. A file it cannot
/// write (the file or its folder, which must take the engine's companion files, is read-only)
/// is opened read-only, and opening changes nothing on disk: no journal switch, no companion
/// file. Reads wait at most readWaitMs for another program's write to end, writes (see
/// RecordSet) at most writeWaitMs. Opening registers on this connection (never in the file's
/// schema) the `jet_like(pattern, value)` function that compiled query texts use, and, on a
/// file it may write, prepares the file's change history (see History); a file whose history
/// cannot be prepared opens read-only, saying why.
class Connection {
public:
    static constexpr int readWaitMs = 250;
    static constexpr int writeWaitMs = 5000;

    /// Opens the existing database file at `path`. Throws DbError when it is missing,
    /// unreadable or not a database of this system: one of its five tables, or a field of
    /// theirs, is missing (compared without regard to case; other tables and fields may be
    /// there too).
    static std::unique_ptr<Connection> open(const QString& path);
    ~Connection();

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return m_db; }

    /// The system's own table named `name` (compared without regard to case), or null for any
    /// other name. The tables are vemtaro, extendido, CODIGO, RUBRO and vidaUtil; their
    /// columns are this system's fields in its own order, whatever the file declares besides.
    const TableSchema* table(const QString& name) const;

    bool isReadOnly() const { return !m_readOnlyReason.isEmpty(); }
    /// Why the file was opened read-only, a Spanish sentence naming it; empty when writable.
    const QString& readOnlyReason() const { return m_readOnlyReason; }
    /// Throws DbError with the reason on a read-only file, as every change then does; returns
    /// otherwise.
    void checkWritable() const;

    /// The history that records every write to this file. Throws DbError with the reason on a
    /// read-only file, where nothing is written.
    History& history();

private:
    explicit Connection(sqlite3* db);
    sqlite3* m_db;
    std::vector<TableSchema> m_tables;
    QString m_readOnlyReason;
    std::unique_ptr<History> m_history;
};

} // namespace vemtaro::db
