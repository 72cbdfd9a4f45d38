#pragma once

#include "History.h"
#include "HistoryLog.h"

#include <optional>

namespace vemtaro::db {

class Connection;
struct TableSchema;

/// Undoes recorded changes (see History): a deletion restores the row with its values, under
/// its old key when that is free; an edit puts back the earlier values of the fields it
/// changed; an addition removes the row. Each undo runs in one transaction and is a recorded
/// change of its own, marked as undoing the other, so that a change is never undone twice
/// (undoing the undo redoes it). Only the tables of this system can be changed. Failures
/// throw DbError with a Spanish description and change nothing.
class HistoryUndo {
public:
    /// `db` must outlive it.
    explicit HistoryUndo(Connection& db);

    /// Where a change stands now, for undoing it.
    struct State {
        /// The change that undid it already; it is not undone again.
        std::optional<HistoryEntry> undoneBy;
        /// The values the changed row holds now; nothing when no row has its key.
        std::optional<RowValues> current;
        /// An edit or addition whose row is gone: there is nothing to undo.
        bool gone = false;
        /// An edit or addition whose row has changed since: its values now are not those the
        /// change left, and undoing it overwrites (or removes) the newer ones.
        bool changedSince = false;

        bool operator==(const State& other) const;
    };

    /// Reads where `change` stands now.
    State state(const HistoryEntry& change) const;

    /// Undoes `change`, provided it still stands as `seen` (what the clerk was told and
    /// asked): otherwise, and when it is undone already or its row is gone, it throws and
    /// changes nothing. Returns the id of the undo's own entry in the history, 0 when the row
    /// already held what the undo would write.
    qint64 undo(const HistoryEntry& change, const State& seen);

private:
    const TableSchema& tableOf(const HistoryEntry& change) const;
    qint64 restore(const TableSchema& table, const HistoryEntry& change);
    void putBack(const TableSchema& table, const HistoryEntry& change);
    void remove(const TableSchema& table, qint64 key);

    Connection& m_db;
    HistoryLog m_log;
};

} // namespace vemtaro::db
