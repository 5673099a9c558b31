// Runs a sweep scenario once, with or without one failing host call, and
// keeps what a check needs: what the user saw, what the host objected to and
// what the plug-in still held after shut-down.
#ifndef TESTS_ROBUSTNESS_FAULTSWEEP_H
#define TESTS_ROBUSTNESS_FAULTSWEEP_H

#include <optional>
#include <string>
#include <vector>

#include "Holdings.h"
#include "SweepScenarios.h"

namespace shunt_robustness {

// The code a failing entry answers: no host code, so that a message showing
// it can only come from the injected failure.
inline constexpr ASErr kSweepCode = 4242;

struct SweepRun {
    long failableCalls = 0;  // in the scenario's body
    std::string hit;         // the call that was made to fail; empty when none was
    std::vector<std::string> alerts;
    std::vector<simhost::DialogShown> dialogs;
    std::vector<std::string> violations;
    Holdings leftOver;  // after shut-down
};

// `failCall`: the failable call of the body (from 1) to make fail.
SweepRun runScenario(const SweepScenario& scenario, std::optional<long> failCall);

// What the user should have seen in `run`, a run of `scenario` whose call
// `run.hit` failed, compared with `baseline`, the same scenario without a
// failure. One line per deviation; `checked` receives the names of the
// checks that applied.
std::vector<std::string> spotCheck(const SweepScenario& scenario, const SweepRun& run,
                                   const SweepRun& baseline, std::vector<std::string>& checked);

}  // namespace shunt_robustness

#endif
