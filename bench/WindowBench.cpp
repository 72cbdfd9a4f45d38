#include "WindowBench.h"

#include "Bench.h"

#include "db/DataFolder.h"
#include "platform/MessageBox.h"
#include "platform/SearchForm.h"

#include <QAbstractItemModel>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace vemtaro::bench {
namespace {

constexpr int runs = 5;
constexpr int gridPage = 20;

/// Reads what the grid shows first: every field of its first rows.
void readFirstPage(platform::SearchForm& window)
{
    const QAbstractItemModel* model = window.dbgResultados->model();
    for (int row = 0; row < gridPage && row < model->rowCount(); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            model->index(row, column).data();
}

/// SQLite alone: every key of `sql` in its order, then every field of the first rows.
int builtinFirstPage(sqlite3* db, const char* table, const char* sql)
{
    const QByteArray rowSql = QByteArray("SELECT * FROM ") + table + " WHERE id = ?1";
    sqlite3_stmt* keys = nullptr;
    sqlite3_stmt* row = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &keys, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, rowSql.constData(), -1, &row, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", table, sqlite3_errmsg(db));
        return -1;
    }
    std::vector<sqlite3_int64> found;
    while (sqlite3_step(keys) == SQLITE_ROW)
        found.push_back(sqlite3_column_int64(keys, 0));
    for (std::size_t i = 0; i < found.size() && i < gridPage; ++i) {
        sqlite3_bind_int64(row, 1, found[i]);
        while (sqlite3_step(row) == SQLITE_ROW)
            for (int column = 0; column < sqlite3_column_count(row); ++column)
                sqlite3_column_text(row, column);
        sqlite3_reset(row);
    }
    sqlite3_finalize(keys);
    sqlite3_finalize(row);
    return int(found.size());
}

} // namespace

WindowBench::WindowBench(const QString& group, int rows,
                         void (*write)(const QString& path, int rows), const char* table)
    : m_folder(rows, write), m_group(group), m_rows(rows), m_table(table)
{
    sqlite3_open_v2(db::databasePath().toUtf8().constData(), &m_builtin, SQLITE_OPEN_READONLY,
                    nullptr);
}

WindowBench::~WindowBench()
{
    sqlite3_close(m_builtin);
}

void WindowBench::compare(const QString& name, platform::SearchForm& window,
                          const std::function<void()>& click, const char* builtinSql)
{
    int shown = 0;
    int builtinCount = 0;
    std::vector<double> ours, theirs;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(medianMs(1, [&] {
            click();
            readFirstPage(window);
            shown = window.dbgResultados->model()->rowCount();
        }));
        theirs.push_back(
            medianMs(1, [&] { builtinCount = builtinFirstPage(m_builtin, m_table, builtinSql); }));
    }
    if (shown != builtinCount)
        std::fprintf(stderr, "%s: %s finds %d rows, SQLite alone %d\n", qPrintable(m_group),
                     qPrintable(name), shown, builtinCount);
    if (!platform::MessageBox::takeShown().isEmpty())
        std::fprintf(stderr, "%s: %s showed a message box\n", qPrintable(m_group),
                     qPrintable(name));
    const double oursMs = median(ours);
    const double theirsMs = median(theirs);
    const QString prefix = m_group + QLatin1Char('_') + name + QLatin1Char('_');
    const QString suffix = QString::number(m_rows);
    report(prefix + QStringLiteral("ms_") + suffix, oursMs);
    report(prefix + QStringLiteral("builtin_ms_") + suffix, theirsMs);
    report(prefix + QStringLiteral("ratio_") + suffix, oursMs / theirsMs);
}

} // namespace vemtaro::bench
