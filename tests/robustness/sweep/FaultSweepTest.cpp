// The fault sweep: every scenario runs once to count its failable host
// calls, then once more for each of them with that call failing. Every run
// must end without a crash, a sanitizer report or a host violation, with
// nothing held after shut-down beyond what the plug-in's design leaves when
// that very call fails, and with what the user saw matching the failure.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <set>

#include "CrashNote.h"
#include "FaultSweep.h"

namespace shunt_robustness {
namespace {

// The checks of what the user saw that each scenario must have applied at
// least once; a sweep that never reached them would prove nothing.
const std::map<std::string, std::set<std::string>>& requiredChecks() {
    static const std::map<std::string, std::set<std::string>> required = {
        {"StartupAndShutdown",
         {"suite refused after the ADM Basic Suite", "suite refused before the ADM Basic Suite",
          "globals record not allocated", "menu item not added", "palette set-up or tear-down step failed"}},
        {"QuitBeforeTheApplicationStarted",
         {"suite refused after the ADM Basic Suite", "globals record not allocated"}},
        {"ArrowButtons", {"path style not written", "art type or path style not read", "selection not read"}},
        {"DashButtons", {"path style not written", "art type or path style not read", "selection not read"}},
        {"ResetButton",
         {"path style not written", "art type or path style not read", "selection not read",
          "image matrix not reset or applied"}},
        {"PopupCapture",
         {"art type or path style not read", "selection not read", "image matrix not captured"}},
        {"PopupApply",
         {"path style not written", "art type or path style not read", "selection not read",
          "image matrix not reset or applied"}},
        {"PopupShowTrackAndOtherEntries", {"matrix text not written"}},
        {"MenuItems", {"check mark not set", "about box from the menu not shown"}},
        {"MenusBeforeTheApplicationStarted",
         {"suite refused after the ADM Basic Suite", "suite refused before the ADM Basic Suite",
          "about box from the menu not shown"}},
        {"AboutBox", {"about box on the host's request not shown"}},
        {"AboutBoxClosedOtherwise",
         {"about box from the menu not shown", "error dialog not built", "error list not read",
          "error dialog with a number the host did not convert"}},
        {"UnloadAndReload",
         {"suite refused after the ADM Basic Suite", "palette set-up or tear-down step failed"}},
    };
    return required;
}

}  // namespace

void PrintTo(const SweepScenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

namespace {

class FaultSweep : public ::testing::TestWithParam<SweepScenario> {};

TEST_P(FaultSweep, EveryFailingHostCallIsSurvivedBalancedAndShown) {
    const SweepScenario& scenario = GetParam();
    const auto started = std::chrono::steady_clock::now();

    setCrashNote("fault sweep " + scenario.name + ", no call failing");
    const SweepRun baseline = runScenario(scenario, std::nullopt);
    ASSERT_GT(baseline.failableCalls, 0) << "the scenario makes no failable host call";
    EXPECT_TRUE(baseline.violations.empty()) << "without a failure: " << baseline.violations.front();
    EXPECT_TRUE(baseline.leftOver.empty())
        << "without a failure the plug-in still holds " << describe(baseline.leftOver);

    std::map<std::string, long> excused;  // documented left-overs, by reason
    std::map<std::string, long> checks;   // spot checks applied, by name
    long failedRuns = 0;
    for (long k = 1; k <= baseline.failableCalls; ++k) {
        const std::string where = scenario.name + ", call " + std::to_string(k) + " of " +
                                  std::to_string(baseline.failableCalls) + " failing";
        setCrashNote("fault sweep " + where);
        const SweepRun run = runScenario(scenario, k);
        ASSERT_FALSE(run.hit.empty())
            << where << ": the call never came, so the scenario does not repeat itself";
        const std::string context = where + " (" + run.hit + ")";
        bool ok = true;
        for (const std::string& violation : run.violations) {
            ADD_FAILURE() << context << ": host violation: " << violation;
            ok = false;
        }
        if (!run.leftOver.empty()) {
            const std::optional<std::string> reason = documentedLeftOver(run.hit, run.leftOver);
            if (reason) {
                ++excused[*reason];
            } else {
                ADD_FAILURE() << context << ": after shut-down the plug-in still holds "
                              << describe(run.leftOver);
                ok = false;
            }
        }
        std::vector<std::string> applied;
        for (const std::string& problem : spotCheck(scenario, run, baseline, applied)) {
            ADD_FAILURE() << context << ": " << problem;
            ok = false;
        }
        for (const std::string& check : applied) {
            ++checks[check];
        }
        failedRuns += ok ? 0 : 1;
    }
    clearCrashNote();

    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "fault sweep " << scenario.name << ": " << baseline.failableCalls
              << " host calls made to fail in turn, " << failedRuns << " run(s) with a problem, " << seconds
              << " s\n";
    for (const auto& [reason, count] : excused) {
        std::cout << "  documented left-over, " << count << " run(s): " << reason << "\n";
    }
    for (const auto& [check, count] : checks) {
        std::cout << "  checked what the user saw, " << count << " run(s): " << check << "\n";
    }
    RecordProperty("faults_injected", static_cast<int>(baseline.failableCalls));
    const auto required = requiredChecks().find(scenario.name);
    ASSERT_NE(required, requiredChecks().end()) << "the scenario names no checks it must reach";
    for (const std::string& check : required->second) {
        EXPECT_GT(checks[check], 0) << "no run of the sweep reached the check \"" << check << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, ::testing::ValuesIn(sweepScenarios()),
                         [](const ::testing::TestParamInfo<SweepScenario>& info) { return info.param.name; });

}  // namespace
}  // namespace shunt_robustness
