// The chart window's search and reset on a million accounts, timed from the click to the first
// grid page and the position caption, beside the same work done by SQLite alone.
#include "Bench.h"
#include "SyntheticChartFolder.h"

#include "chart/FrmConsulVemtaro.h"
#include "db/DataFolder.h"
#include "platform/MessageBox.h"

#include <QAbstractItemModel>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace vemtaro::bench {
namespace {

constexpr int rows = 1000000;
constexpr int runs = 5;
constexpr int gridPage = 20;

/// Reads what the grid shows first: every field of its first rows.
void readFirstPage(FrmConsulVemtaro& window)
{
    const QAbstractItemModel* model = window.dbgResultados->model();
    for (int row = 0; row < gridPage && row < model->rowCount(); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            model->index(row, column).data();
}

/// SQLite alone: every key of `sql` in its order, then every field of the first rows.
int builtinFirstPage(sqlite3* db, const char* sql)
{
    sqlite3_stmt* keys = nullptr;
    sqlite3_stmt* row = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &keys, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "SELECT * FROM vemtaro WHERE id = ?1", -1, &row, nullptr) !=
            SQLITE_OK) {
        std::fprintf(stderr, "chart: %s\n", sqlite3_errmsg(db));
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

/// Times `click` on the window and `builtin` on SQLite alone, alternating the two so that
/// drifts of the machine hit both alike, and prints the figures under `name`.
void compare(const QString& name, FrmConsulVemtaro& window, const std::function<void()>& click,
             sqlite3* db, const char* builtin)
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
        theirs.push_back(medianMs(1, [&] { builtinCount = builtinFirstPage(db, builtin); }));
    }
    if (shown != builtinCount)
        std::fprintf(stderr, "chart: %s finds %d rows, SQLite alone %d\n", qPrintable(name), shown,
                     builtinCount);
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    const double oursMs = ours[runs / 2];
    const double theirsMs = theirs[runs / 2];
    const QString n = QString::number(rows);
    report(QStringLiteral("chart_%1_ms_").arg(name) + n, oursMs);
    report(QStringLiteral("chart_%1_builtin_ms_").arg(name) + n, theirsMs);
    report(QStringLiteral("chart_%1_ratio_").arg(name) + n, oursMs / theirsMs);
}

void run()
{
    const SyntheticChartFolder folder(rows);
    FrmConsulVemtaro window;
    sqlite3* db = nullptr;
    sqlite3_open_v2(db::databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);

    window.Text1->setText(QStringLiteral("mesa"));
    window.Text3->setText(QStringLiteral("roble"));
    compare(
        QStringLiteral("search"), window, [&] { window.CmdEjecutar->click(); }, db,
        "SELECT id FROM vemtaro WHERE DESCRIPCION LIKE '%mesa%' AND DESCRIPCION LIKE '%roble%' "
        "AND DESCRIPCION LIKE '%%' ORDER BY DESCRIPCION COLLATE NOCASE");
    compare(
        QStringLiteral("reset"), window, [&] { window.cmdRestablecer->click(); }, db,
        "SELECT id FROM vemtaro WHERE DESCRIPCION LIKE '%' ORDER BY CODIGO COLLATE NOCASE");
    if (!platform::MessageBox::takeShown().isEmpty())
        std::fprintf(stderr, "chart: a query was refused\n");
    sqlite3_close(db);
}

Registration registration("chart", &run);

} // namespace
} // namespace vemtaro::bench
