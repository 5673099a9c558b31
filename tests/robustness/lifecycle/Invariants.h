// The checks the lifecycle fuzzer makes after every step. Each looks at the
// host after the step, at what the step recorded before it ran and at what
// earlier steps established, and names what is wrong.
#ifndef TESTS_ROBUSTNESS_INVARIANTS_H
#define TESTS_ROBUSTNESS_INVARIANTS_H

#include <optional>
#include <string>
#include <vector>

#include "Holdings.h"
#include "PaletteOracle.h"
#include "Session.h"

namespace shunt_robustness {

enum class StepKind {
    Startup,
    ApplicationStarted,
    Shutdown,
    Click,
    Choose,
    Track,
    MenuGo,
    MenuUpdate,
    About,
    Unload,
    Reload,
    Keys,
    Select,
    Edit,
    Fault,
    Move,  // the user drags or docks the palette
};

// One step as it was about to run, and what the fuzzer knew then.
struct StepRecord {
    StepKind kind = StepKind::Keys;
    std::string action;  // as the fuzzer prints it
    int item = 0;  // Click: the palette item; Choose: the entry; MenuGo: 0 palette, 1 about, 2 shared about
    bool userClick = true;
    DocumentSnapshot before;
    Holdings holdingsBefore;
    bool paletteBefore = false;
    std::optional<bool> visibleBefore;
    std::size_t eventsBefore = 0;
    // What a healthy palette makes of the step, when the fuzzer knows.
    std::optional<Expectation> expected;
    // Filled in after the step ran.
    std::string faultHit;  // the host call made to fail during the step
    bool unloadRefused = false;
};

// What the checks carry from one step to the next.
struct InvariantState {
    long globalsBlocks = 0;         // the plug-in's globals record: 1 from a good start-up to shut-down
    Holdings paletteHoldings;       // what the palette took when it was made
    Holdings excused;               // left-overs the design explains, kept from step to step
    std::vector<std::string> hits;  // every call made to fail so far, oldest first
    bool startedCleanly = false;    // "Startup" ran without a failure
    bool paletteHealthy = false;    // made without a failure and never reloaded under
};

struct Invariant {
    const char* name;
    std::optional<std::string> (*check)(Session& session, const StepRecord& step,
                                        const InvariantState& state);
};

// Every check, in the order the fuzzer makes them.
const std::vector<Invariant>& invariants();
const Invariant& invariantNamed(const std::string& name);

// Carries the state over the step: what start-up, the palette's creation
// and shut-down changed, and left-overs that a failed call explains.
void advanceState(Session& session, const StepRecord& step, InvariantState& state);

}  // namespace shunt_robustness

#endif
