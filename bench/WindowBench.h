#pragma once

#include "SyntheticChartFolder.h"

#include <QString>
#include <functional>

struct sqlite3;

namespace vemtaro::platform {
class SearchForm;
}

namespace vemtaro::bench {

/// A search window's benchmark: clicks of the window beside the same work done by SQLite
/// alone, on one synthetic database in a temporary data folder (see SyntheticChartFolder).
class WindowBench {
public:
    /// Writes the database with `write(path, rows)`; create the window afterwards. The figures
    /// are named after `group`; `table` is the table the window shows.
    WindowBench(const QString& group, int rows, void (*write)(const QString& path, int rows),
                const char* table);
    ~WindowBench();
    WindowBench(const WindowBench&) = delete;
    WindowBench& operator=(const WindowBench&) = delete;

    /// Times `click` on `window` up to the grid's first 20 rows read, and `builtinSql` (which
    /// yields the keys, `id`, of the same rows in the same order) up to every key stepped and
    /// the first 20 rows read, alternating the two so that drifts of the machine hit both
    /// alike; prints <group>_<name>_ms_<rows>, <group>_<name>_builtin_ms_<rows> and
    /// <group>_<name>_ratio_<rows> (medians of 5 runs). Says on stderr when the two find
    /// different numbers of rows or the window showed a message box.
    void compare(const QString& name, platform::SearchForm& window,
                 const std::function<void()>& click, const char* builtinSql);

private:
    SyntheticChartFolder m_folder;
    QString m_group;
    int m_rows;
    const char* m_table;
    sqlite3* m_builtin = nullptr;
};

} // namespace vemtaro::bench
