#include "RowCache.h"

#include <algorithm>

namespace vemtaro::db {

RowCache::RowCache(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1))
{
    m_index.reserve(m_capacity + 1);
}

const RowCache::Row* RowCache::find(qint64 key)
{
    const auto found = m_index.find(key);
    if (found == m_index.end())
        return nullptr;
    m_rows.splice(m_rows.begin(), m_rows, found->second);
    return &found->second->second;
}

const RowCache::Row& RowCache::insert(qint64 key, Row row)
{
    if (const auto found = m_index.find(key); found != m_index.end()) {
        found->second->second = std::move(row);
        m_rows.splice(m_rows.begin(), m_rows, found->second);
        return found->second->second;
    }
    if (m_index.size() >= m_capacity) {
        m_index.erase(m_rows.back().first);
        m_rows.pop_back();
    }
    m_rows.emplace_front(key, std::move(row));
    m_index.emplace(key, m_rows.begin());
    return m_rows.front().second;
}

void RowCache::remove(qint64 key)
{
    if (const auto found = m_index.find(key); found != m_index.end()) {
        m_rows.erase(found->second);
        m_index.erase(found);
    }
}

void RowCache::clear()
{
    m_rows.clear();
    m_index.clear();
}

} // namespace vemtaro::db
