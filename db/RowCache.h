#pragma once

#include <QVariant>
#include <QtGlobal>
#include <cstddef>
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vemtaro::db {

/// A bounded cache of rows' field values, keyed by row key, that forgets the least recently
/// used row when it is full.
///
/// A record set keeps only its keys and reads values through this cache, so that showing a
/// grid page or moving back and forth near the current record costs no query, while a result
/// of any size holds at most `capacity` rows of values.
class RowCache {
public:
    using Row = std::vector<QVariant>;

    explicit RowCache(std::size_t capacity = 512);

    /// The cached row of `key`, which becomes the most recently used; null when not cached.
    /// The pointer stays valid until the row is removed or evicted.
    const Row* find(qint64 key);

    /// Caches `row` under `key` (replacing what was there) as the most recently used row,
    /// evicting the least recently used one when the cache is full.
    const Row& insert(qint64 key, Row row);

    /// Forgets the row of `key` (after it was written or deleted).
    void remove(qint64 key);
    void clear();

    std::size_t size() const { return m_index.size(); }
    std::size_t capacity() const { return m_capacity; }

private:
    using Entry = std::pair<qint64, Row>;
    std::size_t m_capacity;
    std::list<Entry> m_rows; ///< most recently used first
    std::unordered_map<qint64, std::list<Entry>::iterator> m_index;
};

} // namespace vemtaro::db
