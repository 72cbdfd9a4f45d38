#include "RowSorter.h"

#include "SpanishCollator.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace vemtaro::db {

namespace {

constexpr quint32 nullValue = UINT32_MAX; // a null field, before ranking

// Leading bytes of a value's identity and of its key: numbers sort before texts.
constexpr char numberTag = 1;
constexpr char textTag = 2;

// The eight bytes of `number` in an order that memcmp keeps, for every finite value.
void appendNumberKey(double number, std::string& key)
{
    auto bits = std::bit_cast<quint64>(number);
    bits = bits >> 63 ? ~bits : bits | (quint64(1) << 63);
    for (int shift = 56; shift >= 0; shift -= 8)
        key += char(bits >> shift);
}

// The first eight bytes of `key`, zeros after its end, as one number in the key's order.
quint64 keyPrefix(std::string_view key)
{
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = prefix << 8 | (i < key.size() ? uchar(key[i]) : 0u);
    return prefix;
}

/// Bytes kept in blocks that never move: what it stores stays where it is, and growing never
/// copies it.
class Arena {
public:
    /// Stores `first` and `second` one after the other; returns where they begin.
    const char* store(std::string_view first, std::string_view second)
    {
        const size_t size = first.size() + second.size();
        if (m_free < size) {
            const size_t block = std::max(blockSize, size);
            m_blocks.emplace_back(new char[block]);
            m_next = m_blocks.back().get();
            m_free = block;
        }
        char* const at = m_next;
        std::memcpy(at, first.data(), first.size());
        std::memcpy(at + first.size(), second.data(), second.size());
        m_next += size;
        m_free -= size;
        return at;
    }

private:
    static constexpr size_t blockSize = size_t(1) << 16;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    size_t m_free = 0;
};

} // namespace

/// The distinct values one field takes, each with its sort key, found again by a hash.
class RowSorter::Field {
public:
    Field(SortField sort, SpanishCollator& collator) : m_sort(sort), m_collator(collator) {}

    /// The distinct value of column `column` of the statement's row; nullValue for a null.
    quint32 valueOf(sqlite3_stmt* statement, int column)
    {
        const int type = sqlite3_column_type(statement, column);
        if (type == SQLITE_NULL)
            return nullValue;
        if (m_sort.numeric && (type == SQLITE_INTEGER || type == SQLITE_FLOAT)) {
            // Whole numbers beyond 2^53 may round: they then tie with their neighbours.
            const double number = type == SQLITE_INTEGER
                                      ? double(sqlite3_column_int64(statement, column))
                                      : sqlite3_column_double(statement, column);
            m_identity.assign(1, numberTag);
            m_identity.append(reinterpret_cast<const char*>(&number), sizeof number);
        } else {
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            m_identity.assign(1, textTag);
            m_identity.append(text ? text : "", size_t(sqlite3_column_bytes(statement, column)));
        }
        return intern();
    }

    /// For each distinct value, its rank in this field's order (equal keys, equal ranks), and
    /// in `nullRank` the rank of a null. Frees the values.
    std::vector<quint32> ranks(quint32& nullRank)
    {
        m_slots = {};
        std::vector<std::pair<quint64, quint32>> order(m_entries.size());
        for (quint32 i = 0; i < order.size(); ++i)
            order[i] = {keyPrefix(key(i)), i};
        std::sort(order.begin(), order.end(), [this](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : key(a.second) < key(b.second);
        });
        std::vector<quint32> ranks(m_entries.size());
        quint32 rank = 0; // nulls first; 0 is theirs
        for (size_t i = 0; i < order.size(); ++i) {
            if (i == 0 || order[i].first != order[i - 1].first ||
                key(order[i].second) != key(order[i - 1].second))
                ++rank;
            ranks[order[i].second] = rank;
        }
        nullRank = 0;
        if (m_sort.descending) {
            for (quint32& r : ranks)
                r = rank - r;
            nullRank = rank;
        }
        m_entries = {};
        m_arena = {};
        return ranks;
    }

private:
    /// A distinct value in the arena: its identity (while repeats are looked for), then its
    /// key.
    struct Entry {
        const char* bytes;
        quint32 identitySize;
        quint32 keySize;
    };

    std::string_view identity(const Entry& entry) const
    {
        return {entry.bytes, entry.identitySize};
    }
    std::string_view key(quint32 index) const
    {
        const Entry& entry = m_entries[index];
        return {entry.bytes + entry.identitySize, entry.keySize};
    }

    // The distinct value whose identity is in m_identity, added when new.
    quint32 intern()
    {
        ++m_rows;
        if (m_deduplicating && m_entries.size() * 2 >= m_slots.size())
            grow();
        if (!m_deduplicating)
            return add();
        const size_t mask = m_slots.size() - 1;
        const size_t hashed = hash(m_identity);
        const quint64 tag = hashed >> 32 << 32;
        size_t slot = hashed & mask;
        for (; m_slots[slot] != 0; slot = (slot + 1) & mask) {
            const quint64 entry = m_slots[slot];
            if ((entry >> 32 << 32) == tag && identity(m_entries[quint32(entry) - 1]) == m_identity)
                return quint32(entry) - 1;
        }
        m_slots[slot] = tag | (m_entries.size() + 1);
        return add();
    }

    // Keys the value whose identity is in m_identity and adds it.
    quint32 add()
    {
        m_key.assign(1, m_identity[0]);
        if (m_identity[0] == numberTag) {
            double number = 0;
            std::memcpy(&number, m_identity.data() + 1, sizeof number);
            appendNumberKey(number, m_key);
        } else {
            m_collator.appendSortKey(std::string_view(m_identity).substr(1), m_key);
        }
        // The identity is kept only while repeats are looked for.
        const std::string_view identity = m_deduplicating ? m_identity : std::string_view();
        m_entries.push_back(
            {m_arena.store(identity, m_key), quint32(identity.size()), quint32(m_key.size())});
        return quint32(m_entries.size() - 1);
    }

    static size_t hash(std::string_view bytes) { return std::hash<std::string_view>()(bytes); }

    // Doubles the hash table; or, once it outgrows the processor's caches while most values
    // are new (as codes are), gives up finding repeats: a look-up would cost more than the
    // key it saves, and repeats keyed twice still rank alike.
    void grow()
    {
        constexpr size_t cachedSlots = size_t(1) << 16;
        if (m_slots.size() >= cachedSlots && m_entries.size() * 2 > m_rows) {
            m_deduplicating = false;
            m_slots = {};
            return;
        }
        std::vector<quint64> old = std::move(m_slots);
        m_slots.assign(std::max<size_t>(64, old.size() * 2), 0);
        const size_t mask = m_slots.size() - 1;
        for (const quint64 entry : old) {
            if (entry == 0)
                continue;
            size_t slot = hash(identity(m_entries[quint32(entry) - 1])) & mask;
            while (m_slots[slot] != 0)
                slot = (slot + 1) & mask;
            m_slots[slot] = entry;
        }
    }

    SortField m_sort;
    SpanishCollator& m_collator;
    Arena m_arena;
    std::vector<Entry> m_entries;
    /// Open addressing: the high half of a value's hash and its entry's index + 1; 0 free.
    std::vector<quint64> m_slots;
    std::string m_identity; ///< the value at hand: its tag and its bytes
    std::string m_key;      ///< the key of a new value
    size_t m_rows = 0;      ///< non-null values looked up
    bool m_deduplicating = true;
};

RowSorter::RowSorter(const std::vector<SortField>& fields)
{
    if (fields.empty())
        return;
    m_collator = std::make_unique<SpanishCollator>();
    for (const SortField& field : fields)
        m_fields.push_back(std::make_unique<Field>(field, *m_collator));
}

RowSorter::~RowSorter() = default;

void RowSorter::addRow(sqlite3_stmt* statement)
{
    m_keys.push_back(sqlite3_column_int64(statement, 0));
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_values.push_back(m_fields[i]->valueOf(statement, int(i + 1)));
}

std::vector<qint64> RowSorter::sortedKeys()
{
    std::vector<qint64> keys = std::move(m_keys);
    m_keys = {};
    const size_t width = m_fields.size();
    if (width == 0)
        return keys;
    for (size_t f = 0; f < width; ++f) {
        quint32 nullRank = 0;
        const std::vector<quint32> ranks = m_fields[f]->ranks(nullRank);
        for (size_t i = f; i < m_values.size(); i += width)
            m_values[i] = m_values[i] == nullValue ? nullRank : ranks[m_values[i]];
    }
    m_fields.clear();
    m_collator.reset();

    // Each row as its first rank and its position, which decide most comparisons alone (ranks
    // stay below the row count, so neither half reaches the sign bit).
    std::vector<qint64> rows(keys.size());
    for (quint32 i = 0; i < rows.size(); ++i)
        rows[i] = qint64(m_values[i * width]) << 32 | i;
    const quint32* const ranks = m_values.data();
    std::sort(rows.begin(), rows.end(), [ranks, width](qint64 a, qint64 b) {
        if (a >> 32 != b >> 32 || width == 1)
            return a < b;
        const quint32* x = ranks + quint32(a) * width;
        const quint32* y = ranks + quint32(b) * width;
        for (size_t f = 1; f < width; ++f)
            if (x[f] != y[f])
                return x[f] < y[f];
        return a < b;
    });
    m_values = {};
    for (qint64& row : rows)
        row = keys[quint32(row)];
    return rows;
}

} // namespace vemtaro::db
