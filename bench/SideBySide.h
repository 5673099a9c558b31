// Sides of a comparison timed in the same iterations. Machines here are
// shared: each iteration runs every side once, starting with the next one
// each time, and times each in CPU time, so a busy moment falls on all sides
// alike and their ratios hold however busy the machine is.
#ifndef SHUNT_BENCH_SIDEBYSIDE_H
#define SHUNT_BENCH_SIDEBYSIDE_H

#include <benchmark/benchmark.h>

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <utility>
#include <vector>

namespace bench {

// This process's CPU time: what the machine's other work does not add to.
inline double cpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// One side: the work on a drawing of `paths` paths read from `input`.
using Side = void (*)(const std::filesystem::path& input, int paths);

// Runs the sides on `input` and puts each one's CPU time per iteration, and
// the number of paths, into the state's counters.
inline void compareSides(benchmark::State& state, const std::filesystem::path& input, int paths,
                         const std::vector<std::pair<const char*, Side>>& sides) {
    std::vector<double> spent(sides.size(), 0.0);
    std::size_t first = 0;
    for (auto _ : state) {
        for (std::size_t k = 0; k < sides.size(); ++k) {
            const std::size_t side = (first + k) % sides.size();
            const double start = cpuNanoseconds();
            sides[side].second(input, paths);
            spent[side] += cpuNanoseconds() - start;
        }
        first = (first + 1) % sides.size();
    }
    for (std::size_t side = 0; side < sides.size(); ++side) {
        state.counters[sides[side].first] =
            benchmark::Counter(spent[side], benchmark::Counter::kAvgIterations);
    }
    state.counters["paths"] = static_cast<double>(paths);
}

}  // namespace bench

#endif
