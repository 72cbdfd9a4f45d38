#pragma once

#include "History.h"

#include <QString>
#include <optional>
#include <vector>

namespace vemtaro::db {

class Connection;

/// Reads the change history of a database (see History), newest change first.
///
/// A file without a history (a read-only file never opened for writing since) reads as an
/// empty history. Failures throw DbError.
class HistoryLog {
public:
    /// `db` must outlive the log.
    explicit HistoryLog(const Connection& db);

    /// Up to `limit` changes older than the change `olderThan` (0: from the newest), newest
    /// first. With a `word`, only the changes whose account code or description holds it,
    /// letters compared without regard to case as the searches compare them; blanks around
    /// the word do not count.
    std::vector<HistoryEntry> changes(const QString& word, qint64 olderThan, int limit) const;

    /// The change that undid change `id`, if one did.
    std::optional<HistoryEntry> undoneBy(qint64 id) const;

private:
    std::vector<HistoryEntry> read(const QString& condition,
                                   const std::vector<QByteArray>& parameters, int limit) const;

    const Connection& m_db;
    bool m_exists;
};

} // namespace vemtaro::db
