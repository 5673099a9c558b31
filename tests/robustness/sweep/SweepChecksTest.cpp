// The sweep's own checks must be able to fail: each is handed a run that
// breaks it.
#include <gtest/gtest.h>

#include "FaultSweep.h"
#include "SuiteTable.h"

namespace shunt_robustness {
namespace {

const SweepScenario& scenarioNamed(const std::string& name) {
    for (const SweepScenario& scenario : sweepScenarios()) {
        if (scenario.name == name) {
            return scenario;
        }
    }
    throw std::logic_error("no sweep scenario " + name);
}

TEST(SweepChecks, TheHostNamesTheCallItMadeFail) {
    Session session(defaultBundleDir());
    simhost::Host& host = session.host();
    const void* suite = nullptr;
    host.faults().failNthCall(1, 7);
    EXPECT_EQ(host.basicSuite()->acquireSuite(kAIArtSuite, kAIArtSuiteVersion, &suite),
              kSPSuiteNotFoundError);
    EXPECT_EQ(host.faults().nthCallHit(), "acquire AI Art Suite 1013");

    ASSERT_EQ(host.basicSuite()->acquireSuite(kAIArtSuite, kAIArtSuiteVersion, &suite), kNoErr);
    host.faults().failNthCall(1, 7);
    EXPECT_EQ(host.basicSuite()->releaseSuite(kAIArtSuite, kAIArtSuiteVersion), 7);
    EXPECT_EQ(host.faults().nthCallHit(), "SP Basic Suite:1");
    host.faults().clear();
    EXPECT_EQ(host.faults().nthCallHit(), "");
    EXPECT_EQ(host.basicSuite()->releaseSuite(kAIArtSuite, kAIArtSuiteVersion), kNoErr);
}

TEST(SweepChecks, ALeftOverTheFailedCallDoesNotExplainIsNotExcused) {
    Holdings block;
    block.blocks = 1;
    EXPECT_FALSE(documentedLeftOver("SP Basic Suite:1", block)) << "a refused release leaks no block";
    EXPECT_FALSE(documentedLeftOver("AI Art Suite:6", block));
    EXPECT_FALSE(documentedLeftOver("acquire AI Art Suite 1013", block)) << "rows before the ADM Basic Suite";
    EXPECT_TRUE(documentedLeftOver("acquire ADM Item Suite 7", block));

    Holdings middle;
    middle.suites[kAIArtSuite] = 1;
    EXPECT_FALSE(documentedLeftOver("SP Basic Suite:1", middle)) << "one row alone is no end of the walk";
    EXPECT_TRUE(documentedLeftOver("SP Basic Suite:1", suiteTableFrom(kADMBasicRow)));
    Holdings twice = suiteTableFrom(kADMBasicRow);
    twice.suites[kADMBasicSuite] = 2;
    EXPECT_FALSE(documentedLeftOver("SP Basic Suite:1", twice));

    Holdings access;
    access.accessRefs = 1;
    EXPECT_TRUE(documentedLeftOver("SP Access Suite:1", access));
    access.blocks = 1;
    EXPECT_FALSE(documentedLeftOver("SP Access Suite:1", access));
    EXPECT_FALSE(documentedLeftOver("SP Access Suite:0", suiteTableFrom(1)));
}

TEST(SweepChecks, AFailedStyleWriteWithoutItsAlertsIsCaught) {
    const SweepScenario& arrows = scenarioNamed("ArrowButtons");
    SweepRun run;
    run.hit = "AI Path Style Suite:1";
    run.alerts = {"There was an error, filter cancelled."};
    std::vector<std::string> applied;
    EXPECT_EQ(spotCheck(arrows, run, SweepRun{}, applied).size(), 1u);
    run.alerts = {"ERROR!", "There was an error, filter cancelled."};
    EXPECT_TRUE(spotCheck(arrows, run, SweepRun{}, applied).empty());
    run.alerts = {"Error setting matrix in pattern!", "There was an error, filter cancelled."};
    EXPECT_EQ(spotCheck(arrows, run, SweepRun{}, applied).size(), 1u)
        << "the apply's alert is not the arrows'";
}

TEST(SweepChecks, AnAlertAFailedSelectionReadShouldNotShowIsCaught) {
    SweepRun baseline;
    baseline.alerts = {"Hmmm... don't know how to handle mystery path art!"};
    SweepRun run;
    run.hit = "AI Matching Art Suite:0";
    run.alerts = {"There was an error, filter cancelled."};
    std::vector<std::string> applied;
    EXPECT_EQ(spotCheck(scenarioNamed("DashButtons"), run, baseline, applied).size(), 1u);
}

TEST(SweepChecks, ARefusedSuiteWithoutItsAlertOrWithTheErrorDialogIsCaught) {
    const SweepScenario& startup = scenarioNamed("StartupAndShutdown");
    SweepRun run;
    run.hit = "acquire ADM Item Suite 7";
    std::vector<std::string> applied;
    EXPECT_EQ(spotCheck(startup, run, SweepRun{}, applied).size(), 1u);
    run.alerts = {"Error: 1394689636, suite: ADM Item Suite, version: 7!"};
    EXPECT_TRUE(spotCheck(startup, run, SweepRun{}, applied).empty());
    run.dialogs.push_back(
        {"Error Dialog", {{2, "A part of the host that the palette needs is not available."}, {3, "S!Fd"}}});
    EXPECT_EQ(spotCheck(startup, run, SweepRun{}, applied).size(), 1u)
        << "'S!Fd' is never shown in the dialog";
}

TEST(SweepChecks, AFailedAllocationWithoutTheErrorDialogIsCaught) {
    SweepRun run;
    run.hit = "SP Basic Suite:3";
    std::vector<std::string> applied;
    EXPECT_EQ(spotCheck(scenarioNamed("StartupAndShutdown"), run, SweepRun{}, applied).size(), 1u);
    run.dialogs.push_back({"Error Dialog", {{2, "There is not enough memory to do that."}, {3, "-108"}}});
    EXPECT_EQ(spotCheck(scenarioNamed("StartupAndShutdown"), run, SweepRun{}, applied).size(), 1u)
        << "the code shown is not the allocator's";
}

}  // namespace
}  // namespace shunt_robustness
