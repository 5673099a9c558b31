// A PluginMain round trip for a message the plug-in does nothing with, set
// against the 33 acquisitions and releases it makes of the host.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "simhost/Host.h"

namespace {

// The suite table of the plug-in, as the bare loop acquires it.
const std::array<std::pair<const char*, ASInt32>, 33> kTable = {{
    {kSPBlocksSuite, kSPBlocksSuiteVersion},
    {kSPPluginsSuite, kSPPluginsSuiteVersion},
    {kSPAccessSuite, kSPAccessSuiteVersion},
    {kAIFixedMathSuite, kAIFixedMathSuiteVersion},
    {kAIArtSuite, kAIArtSuiteVersion},
    {kAIPathSuite, kAIPathSuiteVersion},
    {kAITextFrameSuite, kAITextFrameSuiteVersion},
    {kAIPathStyleSuite, kAIPathStyleSuiteVersion},
    {kAIPatternSuite, kAIPatternSuiteVersion},
    {kAIPlacedSuite, kAIPlacedSuiteVersion},
    {kAIRasterSuite, kAIRasterSuiteVersion},
    {kAIUserSuite, kAIUserSuiteVersion},
    {kAIAppContextSuite, kAIAppContextSuiteVersion},
    {kAIPreferenceSuite, kAIPreferenceSuiteVersion},
    {kAIRuntimeSuite, kAIRuntimeSuiteVersion},
    {kSPAccessSuite, kSPAccessSuiteVersion},
    {kAIMatchingArtSuite, kAIMatchingArtSuiteVersion},
    {kAIDocumentSuite, kAIDocumentSuiteVersion},
    {kAIRealMathSuite, kAIRealMathSuiteVersion},
    {kAITransformArtSuite, kAITransformArtSuiteVersion},
    {kAIAppContextSuite, kAIAppContextSuiteVersion},
    {kAIMenuSuite, kAIMenuSuiteVersion},
    {kAINotifierSuite, kAINotifierSuiteVersion},
    {kADMBasicSuite, kADMBasicSuiteVersion},
    {kADMDialogSuite, kADMDialogSuiteVersion},
    {kADMItemSuite, kADMItemSuiteVersion},
    {kADMIconSuite, kADMIconSuiteVersion},
    {kADMListSuite, kADMListSuiteVersion},
    {kADMDialogGroupSuite, kADMDialogGroupSuiteVersion},
    {kADMNotifierSuite, kADMNotifierSuiteVersion},
    {kADMEntrySuite, kADMEntrySuiteVersion},
    {kADMTrackerSuite, kADMTrackerSuiteVersion},
    {kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion},
}};

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
    std::array<const void*, kTable.size()> suites{};
    for (auto _ : state) {
        for (std::size_t i = 0; i < kTable.size(); ++i) {
            benchmark::DoNotOptimize(basic->acquireSuite(kTable[i].first, kTable[i].second, &suites[i]));
        }
        for (const auto& [name, version] : kTable) {
            benchmark::DoNotOptimize(basic->releaseSuite(name, version));
        }
    }
}
BENCHMARK(BM_BareAcquireAndRelease)->Name("PluginMain round trip/Bare host calls");

}  // namespace

BENCHMARK_MAIN();
