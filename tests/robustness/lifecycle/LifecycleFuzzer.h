// Seeded random host sessions. A session loads the bundle into a fresh host
// with a random document and then takes random steps that keep the host's
// rules: the plug-in is started before it is used, the palette gets clicks
// only while it exists, and an unload is tried while the plug-in holds an
// access reference only to see the host refuse it. Clicks come with random
// keys and selections, between popup choices, menus, the about box, unloads
// and reloads, injected host failures and edits of the document. Every check
// of Invariants.h runs after every step; the first that fails ends the
// session. The same seed replays the same session exactly.
#ifndef TESTS_ROBUSTNESS_LIFECYCLEFUZZER_H
#define TESTS_ROBUSTNESS_LIFECYCLEFUZZER_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Invariants.h"

namespace shunt_robustness {

struct FuzzOptions {
    int maxSteps = 40;
    bool keepLog = false;  // keep every step's line, not only on failure
};

struct SessionResult {
    std::uint64_t seed = 0;
    int steps = 0;
    int faultsFired = 0;
    int effectsChecked = 0;  // clicks and popup choices compared object by object with the oracle
    std::map<std::string, int> stepsByKind;
    std::vector<std::string> log;        // one line per step
    std::optional<std::string> failure;  // "step N (what): check: problem"
};

SessionResult runFuzzSession(std::uint64_t seed, const FuzzOptions& options);

// The step protocol the fuzzer follows, for tests that take steps by hand.
// beginStep records what the checks need before the step runs.
StepRecord beginStep(Session& session, StepKind kind, std::string action);
// After the step: notes the failure the host injected during it, runs every
// check and carries the state over. The names and problems of the checks
// that failed.
std::vector<std::string> finishStep(Session& session, StepRecord& step, InvariantState& state);

const char* stepKindName(StepKind kind);

}  // namespace shunt_robustness

#endif
