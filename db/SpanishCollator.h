#pragma once

#include <string>
#include <string_view>
#include <vector>

struct UCollator;

namespace vemtaro::db {

/// Spanish alphabetical order (ICU's collation for "es"), ignoring case: accented letters
/// sort with their base letter, ñ after n, and an accent decides only between texts that are
/// otherwise equal; texts that differ only in case are equal.
///
/// The order is given by sort keys: byte strings that compare as memcmp does in the order
/// of their texts, so that a sort computes one key per text rather than comparing texts.
class SpanishCollator {
public:
    /// Throws DbError when the collation cannot be loaded.
    SpanishCollator();
    ~SpanishCollator();
    SpanishCollator(const SpanishCollator&) = delete;
    SpanishCollator& operator=(const SpanishCollator&) = delete;

    /// Appends to `key` the sort key of `utf8`. Each key ends with a zero byte, the only one
    /// in it, so that keys of several fields can be joined and still compare field by field.
    /// Bytes that are not UTF-8 count as U+FFFD.
    void appendSortKey(std::string_view utf8, std::string& key);

private:
    UCollator* m_collator = nullptr;
    std::vector<char16_t> m_utf16; ///< the text being keyed, reused
};

} // namespace vemtaro::db
