// A PluginMain round trip for a message the plug-in does nothing with, set
// against the 33 acquisitions and releases it makes of the host.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "SuiteTable.h"
#include "simhost/Host.h"

namespace {

// The plug-in's suite table, as the bare loop acquires it.
using shunt_robustness::kSuiteTable;

simhost::HostOptions quietHost() {
    simhost::HostOptions options;
    options.logCalls = false;
    return options;
}

void BM_PluginMainRoundTrip(benchmark::State& state) {
    simhost::Host host(quietHost());
    const SPPluginRef plugin = host.loadBundle(SHUNT_BUNDLE_DIR);
    for (auto _ : state) {
        benchmark::DoNotOptimize(host.sendMessage(plugin, "Idle Caller", "Idle Selector"));
    }
}
BENCHMARK(BM_PluginMainRoundTrip)->Name("PluginMain round trip/Plug-in");

void BM_BareAcquireAndRelease(benchmark::State& state) {
    simhost::Host host(quietHost());
    SPBasicSuite* basic = host.basicSuite();
    std::array<const void*, kSuiteTable.size()> suites{};
    for (auto _ : state) {
        for (std::size_t i = 0; i < kSuiteTable.size(); ++i) {
            benchmark::DoNotOptimize(
                basic->acquireSuite(kSuiteTable[i].name, kSuiteTable[i].version, &suites[i]));
        }
        for (const auto& [name, version] : kSuiteTable) {
            benchmark::DoNotOptimize(basic->releaseSuite(name, version));
        }
    }
}
BENCHMARK(BM_BareAcquireAndRelease)->Name("PluginMain round trip/Bare host calls");

}  // namespace

BENCHMARK_MAIN();
