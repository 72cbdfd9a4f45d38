#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace vemtaro::bench {

/// A benchmark group; each registers itself from its own file with a static Registration.
using BenchFunction = void (*)();

struct Registration {
    Registration(const char* name, BenchFunction run);
};

/// Prints one figure as a line "name value".
void report(const QString& name, double value);

/// The middle one of `values` (the upper middle one of an even count).
double median(std::vector<double> values);

/// The processor time this thread has used so far, in milliseconds.
double threadCpuMs();

/// Median wall time in milliseconds of `runs` runs of `work`; `prepare`, when given, runs
/// before each run and is not timed.
double medianMs(int runs, const std::function<void()>& work,
                const std::function<void()>& prepare = {});

} // namespace vemtaro::bench
