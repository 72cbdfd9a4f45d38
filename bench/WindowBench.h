#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>

struct sqlite3;

namespace vemtaro::platform {
class SearchForm;
}

namespace vemtaro::bench {

/// The setting of a search window's benchmark: a temporary data folder (XDG_DATA_HOME), the
/// application prepared as the program does, message boxes recorded instead of shown.
class WindowBenchFolder {
public:
    WindowBenchFolder();
    /// Where the window's accounts database goes; write it before the window is created.
    QString databasePath() const;

private:
    QTemporaryDir m_home;
};

/// One click of a search window beside the same work done by SQLite alone.
struct WindowComparison {
    QString group; ///< the figures' prefix, e.g. "chart"
    QString name;  ///< e.g. "search"
    int rows;      ///< rows in the table, the figures' suffix
    platform::SearchForm* window;
    std::function<void()> click;
    sqlite3* db;            ///< a plain connection to the same file
    const char* table;      ///< the table the window shows
    const char* builtinSql; ///< yields the keys (`id`) of the same rows in the same order
};

/// Times the click up to the grid's first 20 rows read, and the built-in query up to every key
/// stepped and the first 20 rows read, alternating the two so that drifts of the machine hit
/// both alike; prints <group>_<name>_ms_<rows>, <group>_<name>_builtin_ms_<rows> and
/// <group>_<name>_ratio_<rows> (medians of 5 runs). Says on stderr when the two find
/// different numbers of rows or the window showed a message box.
void compareWithBuiltin(const WindowComparison& comparison);

} // namespace vemtaro::bench
