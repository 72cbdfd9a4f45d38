// Start-up figures: creating the chart window and completing its first paint.
#include "Bench.h"
#include "SyntheticChart.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "db/DataFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vemtaro::bench {
namespace {

/// Notes when a window has finished painting once.
class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            !static_cast<QWidget*>(watched)->parentWidget())
            painted = true;
        return false;
    }
};

double startupMs()
{
    return medianMs(5, [] {
        FirstPaint paint;
        auto* window = new FrmConsulVemtaro;
        window->installEventFilter(&paint);
        window->show();
        while (!paint.painted)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        delete window;
    });
}

void runStartup()
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    prepararAplicacion();
    prepararCarpetaDeDatos();
    report(QStringLiteral("startup_ms_default"), startupMs());

    QFile::remove(db::databasePath());
    writeSyntheticChart(db::databasePath(), 1000000);
    report(QStringLiteral("startup_ms_1000000"), startupMs());
}

Registration registration("startup", &runStartup);

} // namespace
} // namespace vemtaro::bench
