// The chart window's search and reset on a million accounts, timed from the click to the first
// grid page and the position caption, beside the same work done by SQLite alone.
#include "SyntheticChart.h"
#include "WindowBench.h"

#include "Bench.h"
#include "chart/FrmConsulVemtaro.h"

namespace vemtaro::bench {
namespace {

void run()
{
    WindowBench bench(QStringLiteral("chart"), 1000000, &writeSyntheticChart, "vemtaro");
    FrmConsulVemtaro window;
    window.Text1->setText(QStringLiteral("mesa"));
    window.Text3->setText(QStringLiteral("roble"));
    bench.compare(
        QStringLiteral("search"), window, [&] { window.CmdEjecutar->click(); },
        "SELECT id FROM vemtaro WHERE DESCRIPCION LIKE '%mesa%' AND DESCRIPCION LIKE '%roble%' "
        "AND DESCRIPCION LIKE '%%' ORDER BY DESCRIPCION COLLATE NOCASE");
    bench.compare(
        QStringLiteral("reset"), window, [&] { window.cmdRestablecer->click(); },
        "SELECT id FROM vemtaro WHERE DESCRIPCION LIKE '%' ORDER BY CODIGO COLLATE NOCASE");
}

Registration registration("chart", &run);

} // namespace
} // namespace vemtaro::bench
