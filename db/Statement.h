#pragma once

// The engine's statements and write transactions as the database layer runs them. Internal to
// db/: it brings in the engine's C interface.

#include "Connection.h"
#include "DbError.h"
#include "EngineError.h"

#include <QString>
#include <QVariant>
#include <sqlite3.h>
#include <utility>

namespace vemtaro::db {

/// Column `column` of the current row of `stmt` as it is stored: an integer as a qlonglong, a
/// decimal as a double, a text as a QString, a binary value as a QByteArray, a null as a null
/// QVariant.
QVariant columnValue(sqlite3_stmt* stmt, int column);

/// Column `column` of the current row of `stmt` read as text; empty for a null.
QString columnText(sqlite3_stmt* stmt, int column);

/// Binds `text`, as UTF-8, to parameter `parameter` of `stmt`.
void bindText(sqlite3_stmt* stmt, int parameter, const QString& text);

/// A prepared statement, reset after each use so it can be run again.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, const QString& sql, bool persistent) : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v3(db, text.constData(), int(text.size()),
                               persistent ? SQLITE_PREPARE_PERSISTENT : 0, &m_stmt,
                               nullptr) != SQLITE_OK)
            throw engineFailure(db);
    }
    Statement(Statement&& other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt)
    {
        other.m_stmt = nullptr;
    }
    Statement& operator=(Statement&& other) noexcept
    {
        std::swap(m_db, other.m_db);
        std::swap(m_stmt, other.m_stmt);
        return *this;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }

    sqlite3_stmt* get() const { return m_stmt; }

    /// Steps once: true for a row, false when done; throws on failure.
    bool step() const
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw engineFailure(m_db);
    }
    void reset() const
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

/// Resets a statement however the scope is left.
struct ResetOnExit {
    const Statement& statement;
    ~ResetOnExit() { statement.reset(); }
};

/// One write in a transaction of its own: rolled back unless commit() was reached. It waits
/// longer than a read for another program's write to end.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : m_db(db)
    {
        sqlite3_busy_timeout(db, Connection::writeWaitMs);
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            const DbError failure = engineFailure(db);
            sqlite3_busy_timeout(db, Connection::readWaitMs);
            throw failure;
        }
    }
    ~WriteTransaction()
    {
        if (!m_committed)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(m_db, Connection::readWaitMs);
    }
    void commit()
    {
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            throw engineFailure(m_db);
        m_committed = true;
    }

private:
    sqlite3* m_db;
    bool m_committed = false;
};

} // namespace vemtaro::db
