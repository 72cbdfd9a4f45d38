// The extended search window's search (the worked example: two words in, one out, the two
// placeholders left) and reset on a million rows of `extendido`, timed from the click to the
// first grid page and the position caption, beside the same work done by SQLite alone.
#include "SyntheticChart.h"
#include "WindowBench.h"

#include "Bench.h"
#include "extsearch/FrmConsulExt.h"

namespace vemtaro::bench {
namespace {

void run()
{
    WindowBench bench(QStringLiteral("ext"), 1000000, &writeSyntheticExtended, "extendido");
    FrmConsulExt window;
    window.Text1->setText(QStringLiteral("mesa"));
    window.Text2->setText(QStringLiteral("madera"));
    window.Text5->setText(QStringLiteral("metal"));
    bench.compare(
        QStringLiteral("search"), window, [&] { window.CmdEjecutar->click(); },
        "SELECT id FROM extendido WHERE Descripcion LIKE '%mesa%' AND Descripcion LIKE "
        "'%madera%' AND Descripcion LIKE '%%' AND Descripcion LIKE '%%' AND Descripcion NOT LIKE "
        "'%metal%' AND Descripcion NOT LIKE '%..................................%' AND "
        "Descripcion NOT LIKE '%..................................%' ORDER BY Descripcion "
        "COLLATE NOCASE");
    bench.compare(
        QStringLiteral("reset"), window, [&] { window.cmdRestablecer->click(); },
        "SELECT id FROM extendido WHERE Descripcion LIKE '%' ORDER BY Codigo COLLATE NOCASE");
}

Registration registration("extsearch", &run);

} // namespace
} // namespace vemtaro::bench
