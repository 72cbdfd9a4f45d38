// The extended search window's search (the worked example: four words in, three out) and
// reset on a million rows of `extendido`, timed from the click to the first grid page and the
// position caption, beside the same work done by SQLite alone.
#include "Bench.h"
#include "SyntheticChart.h"
#include "WindowBench.h"

#include "extsearch/FrmConsulExt.h"

#include <sqlite3.h>

namespace vemtaro::bench {
namespace {

constexpr int rows = 1000000;

void run()
{
    WindowBenchFolder folder;
    writeSyntheticExtended(folder.databasePath(), rows);
    FrmConsulExt window;
    sqlite3* db = nullptr;
    sqlite3_open_v2(folder.databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);

    // As in the worked example: the 34-stop placeholders stay in Text6 and Text7.
    window.Text1->setText(QStringLiteral("mesa"));
    window.Text2->setText(QStringLiteral("madera"));
    window.Text5->setText(QStringLiteral("metal"));
    compareWithBuiltin(
        {QStringLiteral("ext"), QStringLiteral("search"), rows, &window,
         [&] { window.CmdEjecutar->click(); }, db, "extendido",
         "SELECT id FROM extendido WHERE Descripcion LIKE '%mesa%' AND Descripcion LIKE "
         "'%madera%' AND Descripcion LIKE '%%' AND Descripcion LIKE '%%' AND Descripcion NOT "
         "LIKE '%metal%' AND Descripcion NOT LIKE '%..................................%' AND "
         "Descripcion NOT LIKE '%..................................%' ORDER BY Descripcion "
         "COLLATE NOCASE"});
    compareWithBuiltin(
        {QStringLiteral("ext"), QStringLiteral("reset"), rows, &window,
         [&] { window.cmdRestablecer->click(); }, db, "extendido",
         "SELECT id FROM extendido WHERE Descripcion LIKE '%' ORDER BY Codigo COLLATE NOCASE"});
    sqlite3_close(db);
}

Registration registration("extsearch", &run);

} // namespace
} // namespace vemtaro::bench
