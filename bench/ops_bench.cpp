// One click on the palette's right arrow over N selected pattern-filled
// paths, set against a bare loop that makes the same host calls directly
// through the same suite tables. The host keeps no call log, so what is left
// is the host's own work, and the plug-in should add next to nothing to it:
// the ratio of the two is the plug-in's overhead, and time per path should
// not grow with N.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "simhost/DialogManager.h"
#include "simhost/Host.h"

namespace {

// The suites a click calls, which the bare loop holds for itself.
struct HeldSuites {
    const ADMNotifierSuite* notifier = nullptr;
    const ADMItemSuite* item = nullptr;
    const ADMDialogSuite* dialog = nullptr;
    const ADMTrackerSuite* tracker = nullptr;
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

// A host with the palette open and N pattern-filled paths, all selected.
// Building a million paths takes a while, so one world serves every run
// of the same N.
class World {
public:
    explicit World(std::int64_t paths) : paths_(paths) {
        simhost::HostOptions options;
        options.logCalls = false;
        host_ = std::make_unique<simhost::Host>(options);
        host_->loadBundle(SHUNT_BUNDLE_DIR);
        host_->startup();
        palette_ = host_->dialogs().findDialog("ShuntDialog");
        rightArrow_ = host_->dialogs().findItem(palette_, 1);

        simhost::Document& document = host_->document();
        const simhost::PatternId pattern = document.addPattern(simhost::Pattern{"dots"});
        std::vector<simhost::ArtId> ids;
        ids.reserve(static_cast<std::size_t>(paths));
        for (std::int64_t i = 0; i < paths; ++i) {
            simhost::ArtObject object;
            object.type = kPathArt;
            object.style = simhost::defaultPathStyle();
            object.style.fillColorKind = kPattern;
            object.style.pattern = simhost::patternHandle(pattern);
            ids.push_back(document.add(std::move(object)));
        }
        document.select(std::move(ids));

        SPBasicSuite* basic = host_->basicSuite();
        acquire(basic, kADMNotifierSuite, kADMNotifierSuiteVersion, suites_.notifier);
        acquire(basic, kADMItemSuite, kADMItemSuiteVersion, suites_.item);
        acquire(basic, kADMDialogSuite, kADMDialogSuiteVersion, suites_.dialog);
        acquire(basic, kADMTrackerSuite, kADMTrackerSuiteVersion, suites_.tracker);
        acquire(basic, kAIMatchingArtSuite, kAIMatchingArtSuiteVersion, suites_.matching);
        acquire(basic, kAIArtSuite, kAIArtSuiteVersion, suites_.art);
        acquire(basic, kAIPathStyleSuite, kAIPathStyleSuiteVersion, suites_.style);
        acquire(basic, kAIRealMathSuite, kAIRealMathSuiteVersion, suites_.math);
    }

    std::int64_t paths() const { return paths_; }
    bool ready() const { return rightArrow_ != nullptr; }

    // What the user does: one click on item 1.
    void click() { host_->dialogs().notify(rightArrow_, kADMUserChangedNotifier); }

    // The same host calls, made without the plug-in.
    void bareClick() {
        const HeldSuites& s = suites_;
        const ADMNotifierRef notifier =
            host_->dialogs().notifiers().add(simhost::NotifierState{rightArrow_, kADMUserChangedNotifier});
        char type[255];
        s.notifier->getNotifierType(notifier, type, sizeof type);
        const ADMDialogRef dialog = s.item->getDialog(rightArrow_);
        std::array<unsigned char, kADMKeyMapSize> keyMap;
        for (int key = 0; key < 4; ++key) {
            s.tracker->getKeyMap(keyMap.data());
        }
        benchmark::DoNotOptimize(s.dialog->getItem(dialog, 1));
        benchmark::DoNotOptimize(s.dialog->getItem(dialog, 10));
        benchmark::DoNotOptimize(s.dialog->getItem(dialog, 9));
        AIArtHandle** matches = nullptr;
        ASInt32 count = 0;
        s.matching->getSelectedArt(&matches, &count);
        for (ASInt32 i = 0; i < count; ++i) {
            AIArtHandle art = (*matches)[i];
            ASInt16 artType = 0;
            s.art->getArtType(art, &artType);
            AIPathStyle style;
            s.style->getPathStyle(art, &style);
            s.math->realMatrixConcatTranslate(&style.transform, 1.0f, 0.0f);
            s.style->setPathStyle(art, &style);
        }
        host_->dialogs().notifiers().remove(notifier);
    }

private:
    std::int64_t paths_;
    std::unique_ptr<simhost::Host> host_;
    ADMDialogRef palette_ = nullptr;
    ADMItemRef rightArrow_ = nullptr;
    HeldSuites suites_;
};

World& worldOf(std::int64_t paths) {
    static std::unique_ptr<World> world;
    if (!world || world->paths() != paths) {
        world.reset();  // one host at a time
        world = std::make_unique<World>(paths);
    }
    return *world;
}

template <void (World::*Click)()>
void runClicks(benchmark::State& state) {
    World& world = worldOf(state.range(0));
    if (!world.ready()) {
        state.SkipWithError("the palette has no item 1");
        return;
    }
    for (auto _ : state) {
        (world.*Click)();
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PaletteClick(benchmark::State& state) { runClicks<&World::click>(state); }
void BM_BareHostCalls(benchmark::State& state) { runClicks<&World::bareClick>(state); }

BENCHMARK(BM_PaletteClick)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_BareHostCalls)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
