// Renders the chart window, as the program starts, to a PNG with the offscreen platform.
// Usage: vemtaro_render_chart [output.png]   (default: chart-window.png)
// It works on a default database in a temporary data folder, never on the clerk's own.
#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    vemtaro::prepararAplicacion();
    vemtaro::prepararCarpetaDeDatos();

    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("chart-window.png");
    vemtaro::FrmConsulVemtaro* window = vemtaro::mostrarFrmConsulVemtaro();
    if (!window)
        return 1;
    QApplication::processEvents();
    if (!window->grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
