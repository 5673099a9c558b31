// getToBuffer shortening a long text into a small buffer, set against the
// least the host must do for it: one conversion of the whole text. The
// unit-by-unit shortening it replaces is measured on short texts only; its
// cost grows with the square of the length.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "hostapi/IAIUnicodeString.h"
#include "shellMain.h"
#include "simhost/Host.h"
#include "simhost/UnicodeStrings.h"

namespace {

// A host with the plug-in's suite table filled, for as long as a benchmark runs.
class HostWithSuites {
public:
    HostWithSuites() : host_(hostOptions()) { acquireSuites(host_.basicSuite()); }
    ~HostWithSuites() { releaseSuites(host_.basicSuite()); }
    simhost::Host& host() { return host_; }

private:
    static simhost::HostOptions hostOptions() {
        simhost::HostOptions options;
        options.logCalls = false;
        return options;
    }
    simhost::Host host_;
};

AICharacterEncoding encoding() {
    return simhost::unicode::fullSupport() ? kAIUTF8CharacterEncoding : kAIPlatformCharacterEncoding;
}

// Text whose converted length grows unevenly (one to four bytes a character
// in UTF-8 with ICU, plain ASCII without).
ai::UnicodeString sample(std::size_t units) {
    const std::vector<std::basic_string<ASUnicode>> pieces =
        simhost::unicode::fullSupport()
            ? std::vector<std::basic_string<ASUnicode>>{{'a'}, {0x00E9}, {0x2192}, {0xD83D, 0xDE00}, {'z'}}
            : std::vector<std::basic_string<ASUnicode>>{{'a'}, {'b'}, {'c'}};
    std::basic_string<ASUnicode> text;
    for (std::size_t i = 0; text.size() < units; ++i) {
        text += pieces[i % pieces.size()];
    }
    text.resize(units);
    return ai::UnicodeString(text);
}

constexpr ASUInt32 kBufferSize = 256;

void BM_GetToBuffer(benchmark::State& state) {
    HostWithSuites setup;
    {
        const ai::UnicodeString text = sample(static_cast<std::size_t>(state.range(0)));
        char buffer[kBufferSize];
        const long before = setup.host().strings().conversions();
        for (auto _ : state) {
            benchmark::DoNotOptimize(text.getToBuffer(buffer, kBufferSize, encoding()));
        }
        state.counters["conversions"] =
            benchmark::Counter(static_cast<double>(setup.host().strings().conversions() - before),
                               benchmark::Counter::kAvgIterations);
    }
}
BENCHMARK(BM_GetToBuffer)
    ->Name("getToBuffer/Plug-in")
    ->RangeMultiplier(10)
    ->Range(100, 1'000'000)
    ->Unit(benchmark::kMicrosecond);

// The least there is to do: the whole text converted once.
void BM_WholeConversion(benchmark::State& state) {
    HostWithSuites setup;
    {
        const ai::UnicodeString text = sample(static_cast<std::size_t>(state.range(0)));
        for (auto _ : state) {
            benchmark::DoNotOptimize(text.getInStdString(encoding()));
        }
    }
}
BENCHMARK(BM_WholeConversion)
    ->Name("getToBuffer/Whole conversion")
    ->RangeMultiplier(10)
    ->Range(100, 1'000'000)
    ->Unit(benchmark::kMicrosecond);

// Taking one unit off at a time and converting again, until the text fits.
void BM_UnitByUnit(benchmark::State& state) {
    HostWithSuites setup;
    {
        const ai::UnicodeString text = sample(static_cast<std::size_t>(state.range(0)));
        for (auto _ : state) {
            ai::UnicodeString copy(text);
            std::string converted = copy.getInStdString(encoding());
            while (converted.size() + 2 > kBufferSize) {
                copy.erase(copy.length() - 1, ai::UnicodeString::npos);
                converted = copy.getInStdString(encoding());
            }
            benchmark::DoNotOptimize(converted);
        }
    }
}
BENCHMARK(BM_UnitByUnit)
    ->Name("getToBuffer/Unit by unit")
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
