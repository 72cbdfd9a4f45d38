// The chart window's search and reset on a million accounts, timed from the click to the first
// grid page and the position caption, beside the same work done by SQLite alone.
#include "Bench.h"
#include "SyntheticChart.h"
#include "WindowBench.h"

#include "chart/FrmConsulVemtaro.h"

#include <sqlite3.h>

namespace vemtaro::bench {
namespace {

constexpr int rows = 1000000;

void run()
{
    WindowBenchFolder folder;
    writeSyntheticChart(folder.databasePath(), rows);
    FrmConsulVemtaro window;
    sqlite3* db = nullptr;
    sqlite3_open_v2(folder.databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);

    window.Text1->setText(QStringLiteral("mesa"));
    window.Text3->setText(QStringLiteral("roble"));
    compareWithBuiltin(
        {QStringLiteral("chart"), QStringLiteral("search"), rows, &window,
         [&] { window.CmdEjecutar->click(); }, db, "vemtaro",
         "SELECT id FROM vemtaro WHERE DESCRIPCION LIKE '%mesa%' AND DESCRIPCION LIKE '%roble%' "
         "AND DESCRIPCION LIKE '%%' ORDER BY DESCRIPCION COLLATE NOCASE"});
    compareWithBuiltin(
        {QStringLiteral("chart"), QStringLiteral("reset"), rows, &window,
         [&] { window.cmdRestablecer->click(); }, db, "vemtaro",
         "SELECT id FROM vemtaro WHERE DESCRIPCION LIKE '%' ORDER BY CODIGO COLLATE NOCASE"});
    sqlite3_close(db);
}

Registration registration("chart", &run);

} // namespace
} // namespace vemtaro::bench
