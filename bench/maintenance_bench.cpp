// Record maintenance in the chart window on a million accounts, through its buttons: saving
// one edited field of an account in the middle, and deleting an account in the middle, each
// timed from the clicks until the window has shown the result. Neither may re-run the query.
// Beside the wall time, the thread's processor time: the part a busy machine cannot inflate.
#include "Bench.h"
#include "RemarksSaves.h"
#include "SyntheticChartFolder.h"

#include "chart/FrmConsulVemtaro.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <cstdio>
#include <functional>
#include <vector>

namespace vemtaro::bench {
namespace {

constexpr int rows = 1000000;
constexpr int runs = 15;

struct Timing {
    double wallMs;
    double cpuMs;
};

/// Medians of `runs` runs of `work`, each after an untimed `prepare`.
Timing measure(const std::function<void()>& work, const std::function<void()>& prepare)
{
    std::vector<double> wall, cpu;
    for (int run = 0; run < runs; ++run) {
        prepare();
        const double cpuBefore = threadCpuMs();
        wall.push_back(medianMs(1, work));
        cpu.push_back(threadCpuMs() - cpuBefore);
    }
    return {median(std::move(wall)), median(std::move(cpu))};
}

void run()
{
    const SyntheticChartFolder folder(rows);
    FrmConsulVemtaro window;
    window.show();
    QApplication::processEvents();
    int queries = 0;
    QObject::connect(&window.dcdatos->recordset(), &db::RecordSet::resultReset, [&] { ++queries; });

    RemarksSaves saves(window, rows / 2 + 1);
    const Timing save = measure([&] { saves.save(); }, [&] { saves.next(); });
    if (folder.stored(QStringLiteral("SELECT OBSERVACIONES FROM vemtaro WHERE id = %1")
                          .arg(saves.row() + 1)) != saves.remarks())
        std::fprintf(stderr, "maintenance: the last save is not in the file\n");

    const Timing deletion = measure(
        [&] {
            window.cmdEliminar->click(); // the recording seam answers OK
            QApplication::processEvents();
        },
        [&] {
            window.dcdatos->moveTo(rows / 2);
            QApplication::processEvents();
        });
    if (window.dcdatos->recordset().recordCount() != rows - runs ||
        folder.stored(QStringLiteral("SELECT count(*) FROM vemtaro")).toInt() != rows - runs ||
        window.dcdatos->recordset().absolutePosition() != rows / 2)
        std::fprintf(stderr, "maintenance: the deletes did not leave the expected records\n");
    if (queries != 0)
        std::fprintf(stderr, "maintenance: the query ran again %d times\n", queries);
    const auto shown = platform::MessageBox::takeShown();
    if (shown.size() != runs)
        std::fprintf(stderr, "maintenance: %d message boxes, expected the %d questions\n",
                     int(shown.size()), runs);

    const QString n = QString::number(rows);
    report(QStringLiteral("save_ms_") + n, save.wallMs);
    report(QStringLiteral("save_cpu_ms_") + n, save.cpuMs);
    report(QStringLiteral("delete_ms_") + n, deletion.wallMs);
    report(QStringLiteral("delete_cpu_ms_") + n, deletion.cpuMs);
}

Registration registration("maintenance", &run);

} // namespace
} // namespace vemtaro::bench
