// Prints the project's speed and memory figures, one "name value" a line.
// Usage: vemtaro_bench [group...]   (all groups when none is named)
#include "Bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace vemtaro::bench {
namespace {
struct Group {
    const char* name;
    BenchFunction run;
};
std::vector<Group>& groups()
{
    static std::vector<Group> all;
    return all;
}
} // namespace

Registration::Registration(const char* name, BenchFunction run)
{
    groups().push_back({name, run});
}

void report(const QString& name, double value)
{
    std::printf("%s %.3f\n", qPrintable(name), value);
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double medianMs(int runs, const std::function<void()>& work, const std::function<void()>& prepare)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(std::move(times));
}

} // namespace vemtaro::bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList wanted = app.arguments().mid(1);
    for (const auto& group : vemtaro::bench::groups())
        if (wanted.isEmpty() || wanted.contains(QString::fromLatin1(group.name)))
            group.run();
    return 0;
}
