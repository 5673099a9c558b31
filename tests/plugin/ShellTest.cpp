// The entry point and the suite table, driven through PluginMain.
#include <gtest/gtest.h>

#include "HostFixture.h"

namespace shunt_test {
namespace {

using ShellTest = HostFixture;

constexpr int kSuiteTableRows = 33;

TEST_F(ShellTest, StartupAndShutdownLeaveEverythingBalanced) {
    startHost();
    stopHost();
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
    EXPECT_GT(host->counters().blocksAllocated, 0);
    EXPECT_EQ(host->counters().blocksAllocated, host->counters().blocksFreed);
    EXPECT_EQ(host->plugin(plugin).globals, nullptr);
}

TEST_F(ShellTest, EveryCallAcquiresAndReleasesTheWholeTable) {
    startRecording();
    EXPECT_EQ(send("Some Caller", "Some Selector"), kNoErr);
    long acquires = 0, releases = 0;
    for (const auto& record : host->log().records()) {
        acquires += record.suite == "SP Basic Suite" && record.entry == 0;
        releases += record.suite == "SP Basic Suite" && record.entry == 1;
    }
    EXPECT_EQ(acquires, kSuiteTableRows);
    EXPECT_EQ(releases, kSuiteTableRows);
    EXPECT_EQ(acquisitionsOf("SP Access Suite"), 2);
    EXPECT_EQ(acquisitionsOf("AI Context Suite"), 2);
    EXPECT_TRUE(host->imbalances().empty());
}

TEST_F(ShellTest, AccessMessagesTouchNoSuite) {
    startRecording();
    EXPECT_EQ(send(kSPAccessCaller, "Flush"), kNoErr);
    EXPECT_EQ(send(kSPAccessCaller, kSPAccessUnloadSelector), kNoErr);
    for (const auto& call : recordedCalls()) {
        EXPECT_NE(call, "SP Basic Suite:0") << "an access message acquired a suite";
    }
}

TEST_F(ShellTest, UnloadWithNoGlobalsStillParksGlobals) {
    // Started, but with no palette yet: a palette holds the plug-in loaded.
    ASSERT_EQ(send(kSPInterfaceCaller, kSPInterfaceStartupSelector), kNoErr);
    void* globals = nullptr;
    ASSERT_EQ(host->unload(plugin), std::nullopt);
    globals = host->plugin(plugin).globals;
    EXPECT_NE(globals, nullptr) << "the globals record was not parked in the message";
    ASSERT_EQ(host->reload(plugin), std::nullopt);
    ASSERT_EQ(send(kSPInterfaceCaller, kSPInterfaceShutdownSelector), kNoErr);
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(ShellTest, ShutdownBeforeThePaletteExistsDestroysNothing) {
    // The record comes from the host uncleared; a palette handle read from it
    // before one was stored would reach the dialog suite as garbage.
    ASSERT_EQ(send(kSPInterfaceCaller, kSPInterfaceStartupSelector), kNoErr);
    startRecording();
    ASSERT_EQ(send(kSPInterfaceCaller, kSPInterfaceShutdownSelector), kNoErr);
    for (const auto& call : recordedCalls()) {
        EXPECT_NE(call, "ADM Dialog Suite:4");
    }
    EXPECT_TRUE(host->imbalances().empty());
}

TEST_F(ShellTest, RefusedSuiteAfterTheBasicSuiteIsShownOnceAndFails) {
    host->faults().refuse("ADM Icon Suite", std::nullopt, 5);
    EXPECT_EQ(send("Some Caller", "Some Selector"), 5);
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0], "Error: 5, suite: ADM Icon Suite, version: 1!");
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(ShellTest, ARefusalOfRow26NamesTheItemSuite) {
    host->faults().refuse("ADM Item Suite", 7, 5);
    EXPECT_EQ(send("Some Caller", "Some Selector"), 5);
    ASSERT_FALSE(alerts().empty());
    EXPECT_EQ(alerts()[0], "Error: 5, suite: ADM Item Suite, version: 7!");
}

TEST_F(ShellTest, SuiteNotFoundReachesTheHostWithoutTheErrorDialog) {
    host->faults().refuse("ADM Icon Suite", std::nullopt);  // answers 'S!Fd'
    EXPECT_EQ(send("Some Caller", "Some Selector"), fourCharCode("S!Fd"));
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0], "Error: 1394689636, suite: ADM Icon Suite, version: 1!");
    for (const auto& event : host->events()) {
        EXPECT_FALSE(std::holds_alternative<simhost::DialogShown>(event));
    }
}

TEST_F(ShellTest, RefusingAnUnusedEarlySuiteLetsCallsGoOn) {
    host->faults().refuse("AI Fixed Math Suite", std::nullopt);
    startHost();
    EXPECT_EQ(send("Some Caller", "Some Selector"), kNoErr);
    EXPECT_TRUE(alerts().empty());
    stopHost();
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(ShellTest, AFailedReleaseEndsTheReleaseWalk) {
    host->faults().failEntry("SP Basic Suite", 1, 7, /*at=*/3);
    EXPECT_EQ(send("Some Caller", "Some Selector"), kNoErr);
    // Rows after the failing one stay acquired until the next level.
    EXPECT_FALSE(host->imbalances().empty());
}

}  // namespace
}  // namespace shunt_test
