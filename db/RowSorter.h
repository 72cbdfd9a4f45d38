#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace vemtaro::db {

class SpanishCollator;

/// One field of an ordering.
struct SortField {
    bool numeric = false; ///< the field holds numbers (a text found there sorts after them)
    bool descending = false;
};

/// Puts the rows of a result in order: by the first field, ties by the next, remaining ties
/// in the order the rows were added. Texts follow Spanish alphabetical order ignoring case
/// (SpanishCollator), numbers their value; nulls come first, and last when descending.
///
/// Each distinct value of a field is keyed once (codes and rubros repeat a lot, so most rows
/// cost a hash look-up), the distinct values are sorted by their keys into whole-number
/// ranks, and the rows are then sorted by their ranks: no comparison ever reads a text.
class RowSorter {
public:
    /// Throws DbError when the Spanish collation cannot be loaded.
    explicit RowSorter(const std::vector<SortField>& fields);
    ~RowSorter();
    RowSorter(const RowSorter&) = delete;
    RowSorter& operator=(const RowSorter&) = delete;

    /// Adds the current row of `statement`, which yields the row's key in its column 0 and
    /// the value of each field, in order, in the columns after it.
    void addRow(sqlite3_stmt* statement);

    /// The keys of the rows added, in order. Called once, after the last row.
    std::vector<qint64> sortedKeys();

private:
    class Field;
    std::unique_ptr<SpanishCollator> m_collator;
    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<qint64> m_keys;
    /// For each row, each field's distinct value (a rank once ranked), row after row.
    std::vector<quint32> m_values;
};

} // namespace vemtaro::db
