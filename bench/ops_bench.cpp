// The palette's operations over N selected paths, each filled with a pattern
// and stroked with a dash pattern, set against a bare loop that makes the
// same host calls directly through the same suite tables: a click on the
// right arrow, on the right dash button and on reset, and Apply matrix from
// the popup menu. The host keeps no call log, so what is left is the host's
// own work, and the plug-in should add next to nothing to it: the ratio of
// the two is the plug-in's overhead, and time per path should not grow with N.
//
// There is one host at a time, and building a million paths takes a while:
// one host holds the largest N and a benchmark selects the first N paths.
// The operations touch the selected paths alone, which lie together at the
// start of the document, so repetitions of every N can be interleaved.
//
// Each operation is timed twice over. Warm: the same click again and again,
// so that up to some 10^4 paths the document never leaves the processor's
// caches. Cold: before each side the caches are filled with other data, as
// the rest of the host's work fills them between two clicks a user makes;
// every N then pays the same trip to memory for each path, and what is left
// of the growth with N is the code's own.
//
// Names are "<operation>/<N>" and "<operation>, caches cold/<N>"; the counters
// "Palette" and "Bare host calls" are each side's CPU time for one operation,
// in nanoseconds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "SideBySide.h"
#include "simhost/DialogManager.h"
#include "simhost/Host.h"

namespace {

// The suites the operations call, which the bare loops hold for themselves.
struct HeldSuites {
    const ADMNotifierSuite* notifier = nullptr;
    const ADMItemSuite* item = nullptr;
    const ADMDialogSuite* dialog = nullptr;
    const ADMTrackerSuite* tracker = nullptr;
    const ADMListSuite* list = nullptr;
    const ADMEntrySuite* entry = nullptr;
    const AIMatchingArtSuite* matching = nullptr;
    const AIArtSuite* art = nullptr;
    const AIPathStyleSuite* style = nullptr;
    const AIRealMathSuite* math = nullptr;
};

template <class Suite>
void acquire(SPBasicSuite* basic, const char* name, ASInt32 version, const Suite*& suite) {
    const void* table = nullptr;
    basic->acquireSuite(name, version, &table);
    suite = static_cast<const Suite*>(table);
}

enum class Operation { Arrow, Dash, Reset, Apply };

constexpr ADMInt32 kRightArrowItem = 1;
constexpr ADMInt32 kLeftDashItem = 9;
constexpr ADMInt32 kRightDashItem = 10;
constexpr ADMInt32 kResetItem = 11;
constexpr ADMInt32 kPopupItem = -5;
constexpr int kApplyMatrixEntry = 1;

// A host with the palette open and N paths.
class World {
public:
    explicit World(std::int64_t paths) {
        simhost::HostOptions options;
        options.logCalls = false;
        host_ = std::make_unique<simhost::Host>(options);
        host_->loadBundle(SHUNT_BUNDLE_DIR);
        host_->startup();
        palette_ = host_->dialogs().findDialog("ShuntDialog");
        rightArrow_ = host_->dialogs().findItem(palette_, kRightArrowItem);
        rightDash_ = host_->dialogs().findItem(palette_, kRightDashItem);
        reset_ = host_->dialogs().findItem(palette_, kResetItem);
        popup_ = host_->dialogs().findItem(palette_, kPopupItem);

        simhost::Document& document = host_->document();
        document.reserve(static_cast<std::size_t>(paths));
        const simhost::PatternId pattern = document.addPattern(simhost::Pattern{"dots"});
        ids_.reserve(static_cast<std::size_t>(paths));
        for (std::int64_t i = 0; i < paths; ++i) {
            simhost::ArtObject object;
            object.type = kPathArt;
            object.style = simhost::defaultPathStyle();
            object.style.fillColorKind = kPattern;
            object.style.pattern = simhost::patternHandle(pattern);
            object.style.strokePaint = 1;
            object.style.dashCount = 2;
            object.style.dash[0] = 4;
            object.style.dash[1] = 2;
            ids_.push_back(document.add(std::move(object)));
        }

        SPBasicSuite* basic = host_->basicSuite();
        acquire(basic, kADMNotifierSuite, kADMNotifierSuiteVersion, suites_.notifier);
        acquire(basic, kADMItemSuite, kADMItemSuiteVersion, suites_.item);
        acquire(basic, kADMDialogSuite, kADMDialogSuiteVersion, suites_.dialog);
        acquire(basic, kADMTrackerSuite, kADMTrackerSuiteVersion, suites_.tracker);
        acquire(basic, kADMListSuite, kADMListSuiteVersion, suites_.list);
        acquire(basic, kADMEntrySuite, kADMEntrySuiteVersion, suites_.entry);
        acquire(basic, kAIMatchingArtSuite, kAIMatchingArtSuiteVersion, suites_.matching);
        acquire(basic, kAIArtSuite, kAIArtSuiteVersion, suites_.art);
        acquire(basic, kAIPathStyleSuite, kAIPathStyleSuiteVersion, suites_.style);
        acquire(basic, kAIRealMathSuite, kAIRealMathSuiteVersion, suites_.math);
    }

    std::int64_t paths() const { return static_cast<std::int64_t>(ids_.size()); }
    // The first N paths become the selection, unless they are already.
    void selectFirst(std::int64_t paths) {
        simhost::Document& document = host_->document();
        if (document.selection().size() != static_cast<std::size_t>(paths)) {
            document.select(std::vector<simhost::ArtId>(ids_.begin(), ids_.begin() + paths));
        }
    }
    bool ready() const { return rightArrow_ && rightDash_ && reset_ && popup_; }

    // What the user does: one click, or one choice from the popup menu.
    void palette(Operation operation) {
        simhost::DialogManager& dialogs = host_->dialogs();
        switch (operation) {
            case Operation::Arrow:
                dialogs.notify(rightArrow_, kADMUserChangedNotifier);
                break;
            case Operation::Dash:
                dialogs.notify(rightDash_, kADMUserChangedNotifier);
                break;
            case Operation::Reset:
                dialogs.notify(reset_, kADMUserChangedNotifier);
                break;
            case Operation::Apply:
                dialogs.choose(popup_, kApplyMatrixEntry);
                break;
        }
    }

    // The same host calls, made without the plug-in; the notification is
    // made and ended as the host makes and ends it around an item's procedure.
    void bare(Operation operation) {
        simhost::DialogManager& dialogs = host_->dialogs();
        ADMItemRef item = operation == Operation::Arrow   ? rightArrow_
                          : operation == Operation::Dash  ? rightDash_
                          : operation == Operation::Reset ? reset_
                                                          : popup_;
        if (operation == Operation::Apply) {
            simhost::DialogItem* popup = dialogs.item(popup_);
            dialogs.lists().find(popup->list)->active = kApplyMatrixEntry;
        }
        const ADMNotifierRef notifier =
            dialogs.notifiers().add(simhost::NotifierState{item, kADMUserChangedNotifier});
        switch (operation) {
            case Operation::Arrow:
                bareArrowOrDash(notifier, item, true);
                break;
            case Operation::Dash:
                bareArrowOrDash(notifier, item, false);
                break;
            case Operation::Reset:
                bareReset(notifier);
                break;
            case Operation::Apply:
                bareApply(notifier, item);
                break;
        }
        dialogs.notifiers().remove(notifier);
    }

private:
    // The arrows and dash buttons share one procedure: it reads the keys,
    // finds which item was clicked, then walks the selection.
    void bareArrowOrDash(ADMNotifierRef notifier, ADMItemRef item, bool arrow) {
        const HeldSuites& s = suites_;
        char type[255];
        s.notifier->getNotifierType(notifier, type, sizeof type);
        const ADMDialogRef dialog = s.item->getDialog(item);
        std::array<unsigned char, kADMKeyMapSize> keyMap;
        for (int key = 0; key < 4; ++key) {
            s.tracker->getKeyMap(keyMap.data());
        }
        // The arrows are asked for in turn until the clicked one is found.
        for (ADMInt32 arrowItem = 1; arrowItem <= (arrow ? 1 : 8); ++arrowItem) {
            benchmark::DoNotOptimize(s.dialog->getItem(dialog, arrowItem));
        }
        benchmark::DoNotOptimize(s.dialog->getItem(dialog, kRightDashItem));
        if (arrow) {
            benchmark::DoNotOptimize(s.dialog->getItem(dialog, kLeftDashItem));
        }
        AIArtHandle** matches = nullptr;
        ASInt32 count = 0;
        s.matching->getSelectedArt(&matches, &count);
        for (ASInt32 i = 0; i < count; ++i) {
            AIArtHandle art = (*matches)[i];
            ASInt16 artType = 0;
            s.art->getArtType(art, &artType);
            AIPathStyle style;
            s.style->getPathStyle(art, &style);
            if (arrow) {
                s.math->realMatrixConcatTranslate(&style.transform, 1.0f, 0.0f);
            } else {
                style.dashOffset -= 1.0f;
            }
            s.style->setPathStyle(art, &style);
        }
        if (!arrow) {
            benchmark::DoNotOptimize(s.dialog->getItem(dialog, kLeftDashItem));
        }
    }

    // Reset writes the style twice for a path with a pattern fill and a dash.
    void bareReset(ADMNotifierRef notifier) {
        const HeldSuites& s = suites_;
        char type[255];
        s.notifier->getNotifierType(notifier, type, sizeof type);
        AIArtHandle** matches = nullptr;
        ASInt32 count = 0;
        s.matching->getSelectedArt(&matches, &count);
        AIRealMatrix identity;
        s.math->realMatrixSetIdentity(&identity);
        for (ASInt32 i = 0; i < count; ++i) {
            AIArtHandle art = (*matches)[i];
            ASInt16 artType = 0;
            s.art->getArtType(art, &artType);
            AIPathStyle style;
            s.style->getPathStyle(art, &style);
            style.transform = identity;
            s.style->setPathStyle(art, &style);
            style.dashOffset = 0.0f;
            s.style->setPathStyle(art, &style);
        }
    }

    void bareApply(ADMNotifierRef notifier, ADMItemRef item) {
        const HeldSuites& s = suites_;
        benchmark::DoNotOptimize(s.notifier->isNotifierType(notifier, kADMUserChangedNotifier));
        const ADMListRef list = s.item->getList(item);
        const ADMEntryRef entry = s.list->getActiveEntry(list);
        benchmark::DoNotOptimize(s.entry->getIndex(entry));
        AIArtHandle** matches = nullptr;
        ASInt32 count = 0;
        s.matching->getSelectedArt(&matches, &count);
        const AIRealMatrix captured{1, 0, 0, 1, 0, 0};
        for (ASInt32 i = 0; i < count; ++i) {
            AIArtHandle art = (*matches)[i];
            ASInt16 artType = 0;
            s.art->getArtType(art, &artType);
            AIPathStyle style;
            s.style->getPathStyle(art, &style);
            style.transform = captured;
            s.style->setPathStyle(art, &style);
        }
    }

    std::vector<simhost::ArtId> ids_;
    std::unique_ptr<simhost::Host> host_;
    ADMDialogRef palette_ = nullptr;
    ADMItemRef rightArrow_ = nullptr;
    ADMItemRef rightDash_ = nullptr;
    ADMItemRef reset_ = nullptr;
    ADMItemRef popup_ = nullptr;
    HeldSuites suites_;
};

constexpr std::int64_t kMostPaths = 1'000'000;

World& world() {
    static World theWorld(kMostPaths);
    return theWorld;
}

enum class Caches { Warm, Cold };

// Reads through a buffer four times the last-level cache (64 MB at least), so
// that nothing the operation will touch is left in any cache. The buffer is
// written once, when made: reading leaves the lines it brings in clean, so
// the operation timed next pays for no write-back of them.
void evictCaches() {
    static const std::vector<std::uint64_t> buffer = [] {
        const long lastLevel = sysconf(_SC_LEVEL3_CACHE_SIZE);
        const std::size_t bytes = std::max<std::size_t>(
            std::size_t{64} << 20, 4 * static_cast<std::size_t>(std::max(lastLevel, 0L)));
        std::vector<std::uint64_t> words(bytes / sizeof(std::uint64_t));
        for (std::size_t at = 0; at < words.size(); ++at) {
            words[at] = at;
        }
        return words;
    }();
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at < buffer.size(); at += 64 / sizeof(std::uint64_t)) {
        sum += buffer[at];
    }
    benchmark::DoNotOptimize(sum);
    benchmark::ClobberMemory();
}

// Each iteration makes the operation once through the palette and once as
// bare host calls, the order alternating, and times each: the two sides see
// the same moments of a busy machine, so their ratio holds however busy it is.
void run(benchmark::State& state, Operation operation, Caches caches) {
    World& host = world();
    if (!host.ready()) {
        state.SkipWithError("the palette lacks an item the operations need");
        return;
    }
    host.selectFirst(state.range(0));
    double palette = 0;
    double bare = 0;
    bool paletteFirst = true;
    for (auto _ : state) {
        for (const bool side : {paletteFirst, !paletteFirst}) {
            if (caches == Caches::Cold) {
                evictCaches();
            }
            const double start = bench::cpuNanoseconds();
            if (side) {
                host.palette(operation);
                palette += bench::cpuNanoseconds() - start;
            } else {
                host.bare(operation);
                bare += bench::cpuNanoseconds() - start;
            }
        }
        paletteFirst = !paletteFirst;
    }
    state.counters["Palette"] = benchmark::Counter(palette, benchmark::Counter::kAvgIterations);
    state.counters["Bare host calls"] = benchmark::Counter(bare, benchmark::Counter::kAvgIterations);
    state.counters["paths"] = static_cast<double>(state.range(0));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const std::pair<const char*, Operation> operations[] = {
        {"Click arrow", Operation::Arrow},
        {"Click dash", Operation::Dash},
        {"Click reset", Operation::Reset},
        {"Apply matrix", Operation::Apply},
    };
    for (const std::int64_t paths :
         {std::int64_t{1'000}, std::int64_t{10'000}, std::int64_t{100'000}, kMostPaths}) {
        for (const auto& [name, operation] : operations) {
            benchmark::RegisterBenchmark(
                name,
                [operation = operation](benchmark::State& state) { run(state, operation, Caches::Warm); })
                ->Arg(paths)
                ->Unit(benchmark::kMillisecond);
            const std::string cold = std::string(name) + ", caches cold";
            benchmark::RegisterBenchmark(
                cold.c_str(),
                [operation = operation](benchmark::State& state) { run(state, operation, Caches::Cold); })
                ->Arg(paths)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
